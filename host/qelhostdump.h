// qelhost dump: a program file dumped as the system dumps it when it loads it.
#pragma once

// Opens the ELF program file at `path` with the dump going to `target` ("stdout",
// "stderr", the path itself for "<name>.dmp" beside it, or a file), runs the sections
// pass against a debug-server object of the host, and reports what the host's download
// interface received. 0 when the file was read and everything written, 1 when it could
// not be read or the dump or the report could not be written; the message on standard
// error says which.
int DumpProgramFile(const char *path, const char *target);

// The program that `qelhost dump` reads when it is given none: the sample ARM program in
// the source tree (the build writes the path: qel_add_build_paths).
extern const char kQelSampleProgram[];
