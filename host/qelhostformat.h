// qelhost format: a value as a variable node shows it, from bytes given in hex, and what
// the node stores for a text typed in.
#pragma once

// The arguments behind "format": [--class C] [--base B] [--layout W,OFF,S] [--mode M]
// [--swapped] [--format N|NAME] [--parse TEXT] HEXBYTES. The node (class 0 and mode 1
// unless given) holds the bytes (for a constant mode, the location's value and third
// word); it prints its value text in the format, or with --parse the bytes it stores for
// TEXT as contiguous lower-case hex. 0 when done, 1 when the text was refused ("refused"),
// 2 for arguments it does not take.
int FormatValue(int argc, char **argv);
