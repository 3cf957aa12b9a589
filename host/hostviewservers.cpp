#include "hostviewservers.h"

#include <viewsrvregistry.h>

#include <string>

namespace QelHost {

namespace {

struct ViewServer {
    const char *name;
    const char *clsid;
    const char *description;
    DWORD multiInst;
};

// The watch and locals windows and the symbol explorer are Talvix's QelWatch, QelLocals
// and QelSymbolExplorer; the SFR view and the program window have identifiers of this
// stand-in's own. The program window shows several files at once.
const ViewServer kViewServers[] = {
    {"StdQelWatchWin", "{72611523-B1A9-11D3-BFA2-006097125629}", "Standard QEL Watch Window", 0},
    {"StdQelSFRView", "{5E1C0A71-3B2D-4F6E-8A90-1D2C3B4A5F60}", "Standard QEL SFR View", 0},
    {"StdQelLocalsWin", "{72611522-B1A9-11D3-BFA2-006097125629}", "Standard QEL Locals Window", 0},
    {"StdQelSymbolExplWin", "{72611521-B1A9-11D3-BFA2-006097125629}", "Standard QEL Symbol Explorer", 0},
    {"StdQelProgWin", "{9B3E51C4-7A2F-4D08-B6E1-3C5A8F0D2E97}", "Standard QEL Program Window", 1},
};

const char kQelSymbolText[] = "{EF0E9413-D9B2-11D1-BC34-006097125629}";

LONG SetText(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(std::string(text).size() + 1));
}

LONG SetNumber(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

// Writes the values of `key` through `write`, and closes it.
template <class Write>
LONG WriteKey(const std::string &path, Write write)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    result = write(key);
    RegCloseKey(key);
    return result;
}

LONG RegisterViewServer(const ViewServer &server)
{
    const std::string root = QEL_VIEWSERVER_KEY "\\";
    LONG result = WriteKey(root + kQelSymbolText + "\\" + server.clsid,
                           [&](HKEY key) { return SetText(key, nullptr, server.name); });
    if (result != ERROR_SUCCESS)
        return result;
    return WriteKey(root + server.name, [&](HKEY key) {
        // In the view category of the debugger's windows.
        const std::pair<const char *, DWORD> numbers[] = {{"ViewCat", 7},   {"MenuCat", 5},
                                                          {"ToolBarCat", 5}, {"MultiInst", server.multiInst},
                                                          {"OpenDirect", 0}, {"PreferedFrame", 0},
                                                          {"cx", 200},       {"cy", 200}};
        LONG written = SetText(key, nullptr, server.clsid);
        if (written == ERROR_SUCCESS)
            written = SetText(key, "Description", server.description);
        if (written == ERROR_SUCCESS)
            written = SetText(key, "MultipleUse", "1");
        for (const auto &number : numbers) {
            if (written == ERROR_SUCCESS)
                written = SetNumber(key, number.first, number.second);
        }
        return written;
    });
}

} // namespace

LONG RegisterSymbolViewServers()
{
    for (const ViewServer &server : kViewServers) {
        LONG result = RegisterViewServer(server);
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}

} // namespace QelHost
