// qelhost register: writes the component servers' classes into the registry, or takes
// them out, as an installer does.
#pragma once

// The arguments behind "register": [--remove] NAME... (Korvex, Talvix, Brennet). Each
// named server's library is loaded from the host's lib folder and its DllRegisterServer
// (DllUnregisterServer with --remove) runs into the registry of QEL_REGISTRY; a line
// "NAME<TAB>0xHHHHHHHH" tells its HRESULT. 0 when every server answered success, 1 when
// one did not (or could not be loaded), 2 for arguments it does not take.
int RegisterServers(int argc, char **argv);
