// qelhost watch: the watch and locals windows' side of the communication variable
// objects, on a program loaded through the symbol server and the host's simulated target
// filled from it.
#pragma once

// qelhost watch FILE [--core CORE] [--pc ADDR] [--format NAME] [--expand N] [--location]
// [--locals] [--dbdir DIR] TEXT...
// Each TEXT is checked as the watch window checks a typed text and becomes one entry, a
// variable (a name or a scoped symbol) or an expression; --locals adds the locals at the
// program counter as the locals window does. Every entry is read once; --expand opens
// its items N levels deep, --format chooses that display format wherever an item offers
// it; --dbdir places the program's symbol database as qelhost load does. Prints "NAME<TAB>VALUE" per item, children indented two blanks a level, with a tab
// and the item's location text behind for --location; a variable that is not found
// prints "TEXT<TAB>not found", a text the window refuses "TEXT<TAB>refused". 0 when the
// program was loaded, 1 when it or the core was not, 2 for arguments it does not take.
// `argv` starts after "watch".
int WatchTexts(int argc, char **argv);
