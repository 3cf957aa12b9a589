// libTalvix.so as the host meets it: registered into an empty registry beside keys of
// others, its controls made by class identifier through the registry, and unregistered.
#include "talvixids.h"

#include <afx.h>
#include <atlbase.h>
#include <qelsymbolselectlist.h>
#include <qelviewsrv.h>

#include <testing/buildpaths.h>
#include <testing/emptyregistry.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

typedef HRESULT (*EntryPoint)();

std::string Value(HKEY root, const char *path, const char *name = nullptr)
{
    char buffer[1024] = "";
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<none>";
    DWORD bytes = sizeof buffer;
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &bytes);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? buffer : "<none>";
}

class TalvixServer : public EmptyRegistry {
protected:
    void SetUp() override
    {
        EmptyRegistry::SetUp();
        library_ = dlopen(kQelTalvixLibraryPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        dlclose(library_);
        EmptyRegistry::TearDown();
    }
    HRESULT Run(const char *entryPoint)
    {
        auto function = reinterpret_cast<EntryPoint>(dlsym(library_, entryPoint));
        return function != nullptr ? function() : E_NOTIMPL;
    }

    void *library_ = nullptr;
};

const char kExplorerServer[] = "CLSID\\{72611521-B1A9-11D3-BFA2-006097125629}\\InprocServer32";
const char kViewServers[] = "Software\\Tosk\\Qelvane\\Version3\\View Server";
const char kExplorerView[] = "Software\\Tosk\\Qelvane\\Version3\\View Server\\StdQelSymbolExplWin";
const char kSelectListKey[] = "CLSID\\{9563DFBA-B8D4-11D2-94C2-00A02457BF0F}";
const char kOthersView[] = "Software\\Tosk\\Qelvane\\Version3\\View Server\\OthersView";

TEST_F(TalvixServer, RegistersTheExplorerWhoseControlComesFromTheLibrary)
{
    HKEY others = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOthersView, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &others, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(others, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>("{0}"), 4);
    RegCloseKey(others);
    ASSERT_EQ(Run("DllRegisterServer"), S_OK);
    char path[4096] = "";
    ASSERT_NE(realpath(kQelTalvixLibraryPath, path), nullptr);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, kExplorerServer), path);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "QEL.Talvix.1\\CLSID"), "{72611521-B1A9-11D3-BFA2-006097125629}");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kExplorerView), "{72611521-B1A9-11D3-BFA2-006097125629}");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kExplorerView, "Description"), "Standard QEL Symbol Explorer");
    // The select list registers as a control of its own, by its own script.
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "QEL.QelSymbolSelectList\\CurVer"), "QEL.QelSymbolSelectList.1");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "QEL.QelSymbolSelectList.1\\CLSID"), "{9563DFBA-B8D4-11D2-94C2-00A02457BF0F}");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, kSelectListKey), "QelSymbolSelectList Class");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (std::string(kSelectListKey) + "\\InprocServer32").c_str()), path);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (std::string(kSelectListKey) + "\\ToolboxBitmap32").c_str()),
              std::string(path) + ", 103");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (std::string(kSelectListKey) + "\\TypeLib").c_str()),
              "{EF0E9403-D9B2-11D1-BC34-006097125629}");
    {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(u"QEL.QelSymbolSelectList", &clsid), S_OK);
        CComPtr<IQelSymbolSelectList> list;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQelSymbolSelectList,
                                   reinterpret_cast<void **>(&list)),
                  S_OK);
    }

    {
        CComPtr<IQelViewSrv> view;
        ASSERT_EQ(CoCreateInstance(CLSID_QelSymbolExplorer, nullptr, CLSCTX_INPROC_SERVER, IID_IQelViewSrv,
                                   reinterpret_cast<void **>(&view)),
                  S_OK);
        CComBSTR name;
        ASSERT_EQ(view->GetVersion(&name), S_OK);
        EXPECT_EQ(std::string(CString(name)), "StdQelSymbolExplWin") << "the library's own strings";
        EXPECT_EQ(Run("DllCanUnloadNow"), S_FALSE) << "while its control lives";
    }
    EXPECT_EQ(Run("DllCanUnloadNow"), S_OK);

    ASSERT_EQ(Run("DllUnregisterServer"), S_OK);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, kExplorerServer), "<none>");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, kSelectListKey), "<none>");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kExplorerView), "<none>");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kOthersView), "{0}") << "others' view servers stay";
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kViewServers, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

DWORD Number(HKEY root, const std::string &path, const char *name)
{
    DWORD value = 0xFFFFFFFFu;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD bytes = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0xFFFFFFFFu;
    RegCloseKey(key);
    return value;
}

TEST_F(TalvixServer, RegistersTheWatchLocalsAndExplorerAsThreeViewServersOfTheSymbolServer)
{
    struct View {
        const char *name;
        const char *clsid;
        DWORD frame, direct, cx, cy;
    };
    const View views[] = {
        {"StdQelWatchWin", "{72611523-B1A9-11D3-BFA2-006097125629}", 0, 0, 200, 200},
        {"StdQelLocalsWin", "{72611522-B1A9-11D3-BFA2-006097125629}", 0, 0, 200, 200},
        {"StdQelSymbolExplWin", "{72611521-B1A9-11D3-BFA2-006097125629}", 1, 1, 0, 0},
    };
    const std::string symbolServer = std::string(kViewServers) + "\\{EF0E9413-D9B2-11D1-BC34-006097125629}";
    ASSERT_EQ(Run("DllRegisterServer"), S_OK);
    char path[4096] = "";
    ASSERT_NE(realpath(kQelTalvixLibraryPath, path), nullptr);
    for (const View &view : views) {
        SCOPED_TRACE(view.name);
        const std::string key = std::string(kViewServers) + "\\" + view.name;
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, key.c_str()), view.clsid);
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, (symbolServer + "\\" + view.clsid).c_str()), view.name);
        EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, key, "PreferedFrame"), view.frame);
        EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, key, "OpenDirect"), view.direct);
        EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, key, "cx"), view.cx);
        EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, key, "cy"), view.cy);
        const std::string items = std::string("CLSID\\") + view.clsid + "\\ToolFrameItems";
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (items + "\\ActivateHotkey").c_str()), std::string(path) + ",-1");
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (items + "\\ViewServer").c_str()), view.name);
    }
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, "CLSID\\{72611523-B1A9-11D3-BFA2-006097125629}\\ToolboxBitmap32"),
              std::string(path) + ",252");
    {
        CComPtr<IQelViewSrv> view;
        ASSERT_EQ(CoCreateInstance(CLSID_QelWatch, nullptr, CLSCTX_INPROC_SERVER, IID_IQelViewSrv,
                                   reinterpret_cast<void **>(&view)),
                  S_OK);
        CComBSTR title;
        ASSERT_EQ(view->GetTitle(&title), S_OK);
        EXPECT_EQ(std::string(CString(title)), "Standard QEL Watch Window");
    }
    ASSERT_EQ(Run("DllUnregisterServer"), S_OK);
    for (const View &view : views) {
        SCOPED_TRACE(view.name);
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, (std::string(kViewServers) + "\\" + view.name).c_str()), "<none>");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, (symbolServer + "\\" + view.clsid).c_str()), "<none>");
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + view.clsid).c_str()), "<none>");
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, symbolServer.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the symbol server's key stays";
    RegCloseKey(key);
}

} // namespace
