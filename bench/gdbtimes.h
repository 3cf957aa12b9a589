// gdb's own account of how long each of a list of commands took, from one gdb-multiarch
// session on a program: the commands come on its standard input after
// "maint set per-command time on", and each "Command execution time" line that gdb then
// writes to its standard error gives the wall time of one command, in order.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qelbench {

// The wall seconds of each of `commands`, in their order, run in one session on
// `program`; the command file and gdb's output go to `folder`. False, with the reason in
// `failure`, when gdb cannot run, reports an error (a command that found nothing says
// so: "No symbol ...", "No line number information ..."), or gives another number of
// times than of commands.
bool GdbCommandTimes(const std::filesystem::path &program, const std::vector<std::string> &commands,
                     const std::filesystem::path &folder, std::vector<double> &seconds, std::string &failure);

} // namespace qelbench
