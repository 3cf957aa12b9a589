// qelhost query: symbol requests asked of the symbol server, through IQelSymbol, about a
// program loaded as qelhost load loads it.
#pragma once

// The arguments behind "query": PROGRAM [--modules] [--dbdir DIR] [--time]
// [--event|--sync] [CODE ARG...]. Answers the request on the command line, or else each
// request line of standard input, one line per record on standard output. 0 when the
// program was loaded ("-" loads none), 1 when it was not (or the servers cannot be
// started), 2 for arguments it does not take.
int QueryProgramFile(int argc, char **argv);
