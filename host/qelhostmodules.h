// qelhost load --modules: every module of the loaded program read into its database, as
// the symbol engine reads them when it has time or a query needs one.
#pragma once

#include <windows.h>

// Reads the modules of the program that the database at `databasePath` describes (the
// program file it names; `programFile` when it names none) and keeps them; the time the
// reading took in *microseconds. False, with the reason on stderr, when the database or
// the program cannot be opened or a module cannot be read.
bool ReadAllModules(const char *databasePath, const char *programFile, LONG programId, long long *microseconds);
