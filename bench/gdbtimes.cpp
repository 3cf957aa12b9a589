#include "gdbtimes.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace qelbench {

namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The wall seconds of "Command execution time: 0.000090 (cpu), 0.000091 (wall)".
bool WallSeconds(const std::string &line, double *seconds)
{
    double cpu = 0;
    return std::sscanf(line.c_str(), "Command execution time: %lf (cpu), %lf (wall)", &cpu, seconds) == 2;
}

// gdb's time stamps around each timed command: "2026-12-10 01:42:22.591 - command started".
bool IsTimeStamp(const std::string &line)
{
    return line.size() > 20 && line[4] == '-' && (line.find(" - command started") != std::string::npos ||
                                                 line.find(" - command finished") != std::string::npos);
}

} // namespace

bool GdbCommandTimes(const fs::path &program, const std::vector<std::string> &commands, const fs::path &folder,
                     std::vector<double> &seconds, std::string &failure)
{
    const fs::path input = folder / "gdb-commands", output = folder / "gdb-output", errors = folder / "gdb-errors";
    {
        std::ofstream script(input);
        script << "set pagination off\nset width 0\nset confirm off\nmaint set per-command time on\n";
        for (const std::string &command : commands)
            script << command << '\n';
        if (!script.flush()) {
            failure = "the gdb commands cannot be written to " + input.string();
            return false;
        }
    }
    const std::string run = "gdb-multiarch -nx -q '" + program.string() + "' < '" + input.string() + "' > '" +
                            output.string() + "' 2> '" + errors.string() + "'";
    if (std::system(run.c_str()) != 0) {
        failure = "gdb-multiarch failed on " + program.string() + "; see " + errors.string();
        return false;
    }
    seconds.clear();
    std::ifstream log(errors);
    for (std::string line; std::getline(log, line);) {
        double wall = 0;
        if (StartsWith(line, "Command execution time:") && WallSeconds(line, &wall))
            seconds.push_back(wall);
        else if (!line.empty() && !IsTimeStamp(line)) {
            failure = "gdb-multiarch answered \"" + line + "\"";
            return false;
        }
    }
    if (seconds.size() != commands.size()) {
        failure = "gdb-multiarch timed " + std::to_string(seconds.size()) + " of " + std::to_string(commands.size()) +
                  " commands; see " + errors.string();
        return false;
    }
    return true;
}

} // namespace qelbench
