// qelhost parse: watch expressions parsed as the watch window parses them, without a
// program: the names given with --type are its type names.
#pragma once

// The arguments behind "parse": [--type NAME]... [--mode 1] [--normalise] TEXT... (a TEXT
// of "-" reads one text per line of standard input). For each text one line with its
// tree, or the parser's three-line report; with --normalise instead the normalised text,
// its format and its expression, split by tabs. With --mode 1 the parser trace goes to
// standard error. 0 when every text parsed (or was normalised), 1 when one did not, 2
// for arguments it does not take.
int ParseWatchTexts(int argc, char **argv);
