// qelhost load: a program file loaded through the symbol server as the debugger loads it,
// and what the load left in the program's symbol database.
#pragma once

// The arguments behind "load": FILE [--id N] [--autoload-elf] [--elf-dialog PATH|cancel]
// [--dbdir DIR] [--rows TABLE] [--modules] [--idle SECONDS]. Prints the records of the load on standard output, the
// host's traces on standard error. 0 after a load that succeeded, 1 after one that
// failed (or when the servers cannot be started), 2 for arguments it does not take.
int LoadProgramFile(int argc, char **argv);
