// qelhost sfr: the special function registers of a controller, loaded as the debugger
// loads them: through the host's controller information, which asks the symbol server's
// controller engine.
#pragma once

// The arguments behind "sfr": NAME|PATH [--controller-directory DIR] [--address VALUE
// SPACE]... [--bit VALUE BIT SPACE].... --controller-directory sets the registry's
// "Controller Database" directory (kept in QEL_REGISTRY's file when that is set) before
// the load. Prints what was loaded, one line per item, and the lookups asked for. 0 when
// registers were found, 1 when none were (or the servers cannot be started), 2 for
// arguments it does not take.
int ShowControllerRegisters(int argc, char **argv);
