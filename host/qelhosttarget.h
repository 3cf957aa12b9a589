// qelhost target: the host's simulated target after a program file (and a core file)
// was given to it, as the system's target-access object and memory interfaces see it.
#pragma once

// qelhost target FILE [--core CORE] [--preset arm|c16x|tricore] [--pc ADDR] [ADDR LEN]...
// Prints "NAME 0xVALUE" for each register of the preset, "PC 0xVALUE" or "PC none", then
// each range ADDR LEN as lines "0xADDRESS:" with up to 16 blank-separated bytes in two
// hex digits ("--" for a byte that is not mapped). Numbers are decimal or "0x" hex. 0
// when everything was shown, 1 when the file or the core was refused (the reason on
// standard error), 2 for arguments it does not take. `argv` starts after "target".
int ShowTarget(int argc, char **argv);
