// A project profile in an INI file next to Python's configparser, in the same run: 5,000
// keys in 100 sections written through Profile::CIniProfile and read back, then the same
// by configparser. An INI profile goes to the file with every call (as the platform's INI
// functions do, with no cache), so configparser does what each call does: a write reads
// the file, sets the key and writes the file; a read reads the file and gets the key. The
// time is the profile's; the counters give both times and their ratio.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BENCH=ON
//   cmake --build build-bench --target ini_bench && build-bench/bin/ini_bench
#include <iniprofile.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const int kSections = 100;
const int kKeysPerSection = 50;

const char kPython[] = R"(
import configparser, sys
path, sections, keys = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def load():
    c = configparser.ConfigParser(interpolation=None)
    c.optionxform = str
    c.read(path)
    return c
for s in range(sections):
    for k in range(keys):
        c = load()
        if not c.has_section("Brennet.S%d" % s):
            c.add_section("Brennet.S%d" % s)
        c["Brennet.S%d" % s]["Key%d" % k] = "value %d.%d" % (s, k) if k % 2 else str(s * 1000 + k)
        with open(path, "w") as f:
            c.write(f, space_around_delimiters=False)
for s in range(sections):
    for k in range(keys):
        value = load()["Brennet.S%d" % s]["Key%d" % k]
        if value != ("value %d.%d" % (s, k) if k % 2 else str(s * 1000 + k)):
            sys.exit("wrong value")
)";

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Writes the keys and reads them back; false when a value does not read back.
bool WriteAndRead(const std::string &path)
{
    Profile::CIniProfile profile(path.c_str(), nullptr);
    profile.SetSectionPrefix("Brennet");
    char name[16], section[16], text[32], expected[32];
    for (int s = 0; s < kSections; ++s) {
        snprintf(section, sizeof section, "S%d", s);
        for (int k = 0; k < kKeysPerSection; ++k) {
            snprintf(name, sizeof name, "Key%d", k);
            snprintf(text, sizeof text, "value %d.%d", s, k);
            if (!(k % 2 ? profile.WriteString(section, name, text)
                        : profile.WriteDWORD(section, name, s * 1000 + k, Profile::PROFILE_STYLE_DECIMAL)))
                return false;
        }
    }
    for (int s = 0; s < kSections; ++s) {
        snprintf(section, sizeof section, "S%d", s);
        for (int k = 0; k < kKeysPerSection; ++k) {
            snprintf(name, sizeof name, "Key%d", k);
            if (k % 2) {
                snprintf(expected, sizeof expected, "value %d.%d", s, k);
                if (!profile.GetString(section, name, "", text, sizeof text) || std::string(text) != expected)
                    return false;
            } else {
                DWORD value = 0;
                if (!profile.GetDWORD(section, name, 0, &value) || value != DWORD(s * 1000 + k))
                    return false;
            }
        }
    }
    return true;
}

void ProfileNextToConfigParser(benchmark::State &state)
{
    const std::string folder = std::filesystem::temp_directory_path() / ("ini-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string ours = folder + "/profile.ini", theirs = folder + "/configparser.ini";
    const std::string script = folder + "/configparser_bench.py";
    if (FILE *file = fopen(script.c_str(), "w")) {
        fputs(kPython, file);
        fclose(file);
    }
    const std::string python = "python3 '" + script + "' '" + theirs + "' " + std::to_string(kSections) + " " +
                               std::to_string(kKeysPerSection);
    double profileSeconds = 0, pythonSeconds = 0;
    for (auto _ : state) {
        std::filesystem::remove(ours);
        std::filesystem::remove(theirs);
        auto start = std::chrono::steady_clock::now();
        if (!WriteAndRead(ours)) {
            state.SkipWithError("a value did not read back");
            break;
        }
        double seconds = SecondsSince(start);
        state.SetIterationTime(seconds);
        profileSeconds += seconds;

        start = std::chrono::steady_clock::now();
        if (std::system(python.c_str()) != 0) {
            state.SkipWithError("python3 with configparser failed");
            break;
        }
        pythonSeconds += SecondsSince(start);
    }
    if (!state.error_occurred()) {
        state.counters["profile_s"] = profileSeconds / state.iterations();
        state.counters["configparser_s"] = pythonSeconds / state.iterations();
        state.counters["profile/configparser"] = profileSeconds / pythonSeconds;
        state.counters["file_kB"] = double(std::filesystem::file_size(ours)) / 1e3;
    }
    std::filesystem::remove_all(folder);
}

BENCHMARK(ProfileNextToConfigParser)->Iterations(1)->Unit(benchmark::kSecond)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
