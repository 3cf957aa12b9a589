// A view-server control registered as DllRegisterServer registers it: through the module,
// which offers the registrar, into an empty registry with the test program's path as the
// module's.
#include "viewserverregistration.h"

#include "symbolexplorer.h"
#include "talvixids.h"

#include <atlbase.h>
#include <atliface.h>

#include <testing/emptyregistry.h>

#include <testing/failingfactory.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const char kViewServerRoot[] = "Software\\Tosk\\Qelvane\\Version3\\View Server";
const char kSymbolServerKey[] = "Software\\Tosk\\Qelvane\\Version3\\View Server\\{EF0E9413-D9B2-11D1-BC34-006097125629}";
const char kExplorerClass[] = "CLSID\\{72611521-B1A9-11D3-BFA2-006097125629}";

BEGIN_OBJECT_MAP(RegistrationMap)
    OBJECT_ENTRY(CLSID_QelSymbolExplorer, CQelSymbolExplorer)
END_OBJECT_MAP()

class ViewServerRegistration : public EmptyRegistry {
protected:
    void SetUp() override
    {
        EmptyRegistry::SetUp();
        ASSERT_EQ(module_.Init(RegistrationMap, AfxGetInstanceHandle()), S_OK);
        GetModuleFileNameA(AfxGetInstanceHandle(), path_, sizeof path_);
    }
    void TearDown() override
    {
        module_.Term();
        EmptyRegistry::TearDown();
    }

    // A value as text ("<none>" when missing): texts as they stand, DWORDs in decimal.
    static std::string Value(HKEY root, const std::string &path, const char *name = nullptr)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<none>";
        BYTE buffer[4096] = {};
        DWORD size = sizeof buffer - 1;
        DWORD type = 0;
        LONG result = RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return "<none>";
        if (type == REG_DWORD) {
            DWORD number = 0;
            memcpy(&number, buffer, sizeof number);
            return std::to_string(number);
        }
        return reinterpret_cast<const char *>(buffer);
    }
    static bool Open(HKEY root, const std::string &path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    CComModule module_;
    char path_[4096] = {};
};

TEST_F(ViewServerRegistration, WritesTheExplorersClassAndViewServerKeys)
{
    ASSERT_EQ(module_.RegisterServer(), S_OK);
    const std::string module = path_;
    const std::string server(ViewServerModuleName(path_));
    const std::string cls = kExplorerClass;
    struct Expected {
        HKEY root;
        std::string key;
        const char *name;
        std::string value;
    } expected[] = {
        {HKEY_CLASSES_ROOT, "QEL." + server + ".1", nullptr, "Standard QEL Symbol Explorer"},
        {HKEY_CLASSES_ROOT, "QEL." + server + ".1\\CLSID", nullptr, "{72611521-B1A9-11D3-BFA2-006097125629}"},
        {HKEY_CLASSES_ROOT, "QEL." + server + "\\CurVer", nullptr, "QEL." + server + ".1"},
        {HKEY_CLASSES_ROOT, cls, nullptr, "Standard QEL Symbol Explorer"},
        {HKEY_CLASSES_ROOT, cls + "\\ProgID", nullptr, "QEL." + server + ".1"},
        {HKEY_CLASSES_ROOT, cls + "\\VersionIndependentProgID", nullptr, "QEL." + server},
        {HKEY_CLASSES_ROOT, cls + "\\InprocServer32", nullptr, module},
        {HKEY_CLASSES_ROOT, cls + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {HKEY_CLASSES_ROOT, cls + "\\ToolboxBitmap32", nullptr, module + ",202"},
        {HKEY_CLASSES_ROOT, cls + "\\DefaultIcon", nullptr, module + ", -262"},
        {HKEY_CLASSES_ROOT, cls + "\\MiscStatus", nullptr, "0"},
        {HKEY_CLASSES_ROOT, cls + "\\MiscStatus\\1", nullptr, "131473"},
        {HKEY_CLASSES_ROOT, cls + "\\TypeLib", nullptr, "{0812F8D4-D420-11D3-BFF0-006097125629}"},
        {HKEY_CLASSES_ROOT, cls + "\\Version", nullptr, "1.0"},
        {HKEY_CLASSES_ROOT, cls + "\\ToolFrameItems\\ViewServer", nullptr, "StdQelSymbolExplWin"},
        {HKEY_CLASSES_ROOT, cls + "\\ToolFrameItems\\FrameName", nullptr, "Symbol Explorer View"},
        {HKEY_CLASSES_ROOT, cls + "\\ToolFrameItems\\MenuString", nullptr, "&Symbol Explorer"},
        {HKEY_CLASSES_ROOT, cls + "\\ToolFrameItems\\ToolTipString", nullptr, "Explore Symbols "},
        {HKEY_CLASSES_ROOT, cls + "\\ToolFrameItems\\MessageString", nullptr, "Standard QEL Symbol Explorer"},
        {HKEY_CLASSES_ROOT, cls + "\\ToolFrameItems\\ActivateHotkey", nullptr, module + ",-1"},
        {HKEY_CLASSES_ROOT, cls + "\\AuxUserType\\2", nullptr, "Symbol Explorer View"},
        {HKEY_CLASSES_ROOT, cls + "\\AuxUserType\\3", nullptr, server},
        {HKEY_LOCAL_MACHINE, std::string(kSymbolServerKey) + "\\{72611521-B1A9-11D3-BFA2-006097125629}", nullptr,
         "StdQelSymbolExplWin"},
        {HKEY_LOCAL_MACHINE, std::string(kViewServerRoot) + "\\StdQelSymbolExplWin", nullptr,
         "{72611521-B1A9-11D3-BFA2-006097125629}"},
        {HKEY_LOCAL_MACHINE, std::string(kViewServerRoot) + "\\StdQelSymbolExplWin", "Description",
         "Standard QEL Symbol Explorer"},
        {HKEY_LOCAL_MACHINE, std::string(kViewServerRoot) + "\\StdQelSymbolExplWin", "MultipleUse", "1"},
    };
    for (const Expected &entry : expected)
        EXPECT_EQ(Value(entry.root, entry.key, entry.name), entry.value) << entry.key << " " << (entry.name ? entry.name : "");
    const std::pair<const char *, const char *> numbers[] = {
        {"ViewCat", "7"}, {"MenuCat", "5"}, {"ToolBarCat", "5"}, {"MultiInst", "0"},
        {"OpenDirect", "1"}, {"PreferedFrame", "1"}, {"cx", "0"}, {"cy", "0"},
    };
    for (const auto &[name, value] : numbers)
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, std::string(kViewServerRoot) + "\\StdQelSymbolExplWin", name), value) << name;
}

TEST_F(ViewServerRegistration, UnregisteringKeepsTheSharedKeysAndOthersEntries)
{
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kSymbolServerKey) + "\\{11111111-2222-3333-4444-555555555555}").c_str(),
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(module_.RegisterServer(), S_OK);
    ASSERT_EQ(module_.UnregisterServer(), S_OK);
    EXPECT_FALSE(Open(HKEY_CLASSES_ROOT, kExplorerClass));
    EXPECT_FALSE(Open(HKEY_LOCAL_MACHINE, std::string(kViewServerRoot) + "\\StdQelSymbolExplWin"));
    EXPECT_FALSE(Open(HKEY_LOCAL_MACHINE, std::string(kSymbolServerKey) + "\\{72611521-B1A9-11D3-BFA2-006097125629}"));
    EXPECT_TRUE(Open(HKEY_LOCAL_MACHINE, std::string(kSymbolServerKey) + "\\{11111111-2222-3333-4444-555555555555}"));
    EXPECT_TRUE(Open(HKEY_CLASSES_ROOT, "CLSID"));
}

TEST_F(ViewServerRegistration, AFailingRegistrarWritesNothing)
{
    CComObject<CFailingClassFactory> *factory = nullptr;
    ASSERT_EQ(CComObject<CFailingClassFactory>::CreateInstance(&factory), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_Registrar, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    EXPECT_EQ(module_.RegisterServer(), E_OUTOFMEMORY);
    CoRevokeClassObject(cookie);
    EXPECT_FALSE(Open(HKEY_CLASSES_ROOT, kExplorerClass));
    EXPECT_FALSE(Open(HKEY_LOCAL_MACHINE, kViewServerRoot));
}

TEST_F(ViewServerRegistration, ATextSetThatDoesNotLoadFailsTheScriptAndWritesNothing)
{
    ViewServerDescriptor descriptor = g_SymbolExplorerDescriptor;
    descriptor.textSetId = 9999;
    // The registrar is offered only while a module registers: offer it as the module does.
    DWORD cookie = 0;
    CComPtr<IUnknown> factory;
    ASSERT_EQ(CComCreator<CComObjectNoLock<CComClassFactory>>::CreateInstance(
                  reinterpret_cast<void *>(&QelAtlCreateRegistrar), IID_IUnknown, reinterpret_cast<void **>(&factory)),
              S_OK);
    ASSERT_EQ(CoRegisterClassObject(CLSID_Registrar, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    EXPECT_EQ(RegisterViewServer(&descriptor, TRUE), DISP_E_EXCEPTION);
    CoRevokeClassObject(cookie);
    EXPECT_FALSE(Open(HKEY_CLASSES_ROOT, kExplorerClass));
}

TEST(ViewServerModuleName, IsTheFileNameBeforeItsFirstDotWithoutLinuxsPrefix)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/opt/qel/lib/libTalvix.so", "Talvix"}, {"/opt/qel/Talvix.dll", "Talvix"},
        {"/opt/q.el/libTalvix.so.1", "Talvix"},  {"/opt/qel/program", "program"},
        {"/opt/qel/", ""},
    };
    for (const auto &[path, name] : cases)
        EXPECT_STREQ(ViewServerModuleName(path), name) << path;
}

TEST(ViewServerTextPart, PartsAreFoundBetweenNewlines)
{
    const CString texts("a\nbb\n\nd ");
    const char *parts[] = {"a", "bb", "", "d ", "", ""};
    for (int index = 0; index < 6; index++)
        EXPECT_STREQ(ViewServerTextPart(texts, index), parts[index]) << index;
}

} // namespace
