#include "hostviewservers.h"

#include <viewsrvregistry.h>

#include <string>

namespace QelHost {

namespace {

struct ViewServer {
    const char *name;
    const char *clsid;
    const char *description;
};

// The watch and locals windows and the symbol explorer are Talvix's QelWatch, QelLocals
// and QelSymbolExplorer; the SFR view has an identifier of this stand-in's own.
const ViewServer kViewServers[] = {
    {"StdQelWatchWin", "{72611523-B1A9-11D3-BFA2-006097125629}", "Standard QEL Watch Window"},
    {"StdQelSFRView", "{5E1C0A71-3B2D-4F6E-8A90-1D2C3B4A5F60}", "Standard QEL SFR View"},
    {"StdQelLocalsWin", "{72611522-B1A9-11D3-BFA2-006097125629}", "Standard QEL Locals Window"},
    {"StdQelSymbolExplWin", "{72611521-B1A9-11D3-BFA2-006097125629}", "Standard QEL Symbol Explorer"},
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
        // One view at a time, in the view category of the debugger's windows.
        const std::pair<const char *, DWORD> numbers[] = {{"ViewCat", 7},      {"MenuCat", 5},       {"ToolBarCat", 5},
                                                          {"MultiInst", 0},    {"OpenDirect", 0},    {"PreferedFrame", 0},
                                                          {"cx", 200},         {"cy", 200}};
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
