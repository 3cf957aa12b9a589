// What the benchmarks on the 3000-module synthetic firmware share: the firmware, made
// once in bench-firmware/ of the build folder with the cross tool chain (scripts/setup.sh
// --cross) by the generator of the shared bench folder beside the clone; a temporary
// folder to work in, so that no database lands beside the firmware; and the clock and
// statistics that their counters come from.
//
// A benchmark that includes this is built with qel_add_build_paths giving it
// kQelBenchFirmwareFolder and kQelFirmwareGenerator.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern const char kQelBenchFirmwareFolder[];
extern const char kQelFirmwareGenerator[];

namespace qelbench {

namespace fs = std::filesystem;

// A temporary folder named after `prefix`, removed with everything in it.
struct BenchFolder {
    explicit BenchFolder(const char *prefix)
    {
        std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    BenchFolder(const BenchFolder &) = delete;
    BenchFolder &operator=(const BenchFolder &) = delete;
    fs::path path;
};

inline bool OnPath(const char *program)
{
    return std::system(("command -v " + std::string(program) + " > /dev/null 2>&1").c_str()) == 0;
}

// The firmware, made when it is not there yet (some minutes: 3000 units through the
// cross compiler); "" when it cannot be made, with the reason in `failure`. The link
// writes firmware.elf last, so a run stopped halfway leaves none and the next one makes
// it again. A benchmark that wants another number of modules has a folder of its own.
inline std::string Firmware(std::string &failure, int modules = 3000, const fs::path &folder = kQelBenchFirmwareFolder)
{
    const fs::path firmware = folder / "firmware.elf";
    if (fs::exists(firmware))
        return firmware.string();
    if (!OnPath("arm-none-eabi-gcc")) {
        failure = "arm-none-eabi-gcc is not on PATH, so the firmware cannot be made (scripts/setup.sh --cross "
                  "installs it)";
        return "";
    }
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        failure = "the firmware's folder " + folder.string() + " cannot be made: " + error.message();
        return "";
    }
    const std::string log = (folder / "make.log").string();
    const std::string make = "python3 '" + std::string(kQelFirmwareGenerator) + "' --modules " + std::to_string(modules) + " --seed 1 --out '" +
                             folder.string() + "' > '" + log + "' 2>&1 && make -C '" + folder.string() +
                             "' -j\"$(nproc)\" >> '" + log + "' 2>&1";
    if (std::system(make.c_str()) != 0 || !fs::exists(firmware)) {
        failure = "the firmware could not be made; see " + log;
        return "";
    }
    return firmware.string();
}

// A copy of the firmware in `folder`; "" with the reason in `failure` when none can be
// made.
inline fs::path FirmwareCopy(const fs::path &folder, std::string &failure, int modules = 3000,
                             const fs::path &firmwareFolder = kQelBenchFirmwareFolder)
{
    const std::string firmware = Firmware(failure, modules, firmwareFolder);
    if (firmware.empty())
        return {};
    const fs::path copy = folder / "firmware.elf";
    std::error_code error;
    if (!fs::copy_file(firmware, copy, error)) {
        failure = "the firmware cannot be copied into " + folder.string() + ": " + error.message();
        return {};
    }
    return copy;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `command` through the shell; answers its seconds, or a negative value when it
// failed.
inline double TimeCommand(const std::string &command)
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return -1;
    return SecondsSince(start);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The `percent` percentile by the nearest-rank rule: the smallest value that at least
// that share of the values does not exceed.
inline double Percentile(std::vector<double> values, double percent)
{
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(percent / 100 * double(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

} // namespace qelbench
