// libKorvex.so as the host meets it: loaded by its path, registered, its classes created
// by class identifier inside host objects that aggregate them, driven in the host's order
// and let go until the library may be unloaded.
#include "symservertesting.h"

#include <debugserver.h>
#include <symserverids.h>

#include <testing/buildpaths.h>

#include <testing/countedobject.h>
#include <testing/stgtesting.h>

#include <dlfcn.h>

namespace {

typedef HRESULT (*EntryPoint)();

class KorvexLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        QelUseRegistryFile(nullptr);
        handle_ = dlopen(kQelKorvexLibraryPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        auto registerServer = reinterpret_cast<EntryPoint>(dlsym(handle_, "DllRegisterServer"));
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), S_OK);
        canUnloadNow_ = reinterpret_cast<EntryPoint>(dlsym(handle_, "DllCanUnloadNow"));
        ASSERT_NE(canUnloadNow_, nullptr);
    }
    void TearDown() override
    {
        if (handle_ == nullptr)
            return;
        auto unregisterServer = reinterpret_cast<EntryPoint>(dlsym(handle_, "DllUnregisterServer"));
        EXPECT_EQ(unregisterServer(), S_OK);
        CoFreeUnusedLibraries();
        dlclose(handle_);
        QelUseRegistryFile(nullptr);
    }

    static std::string ClassText(const char *path, const char *name = nullptr)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<none>";
        char buffer[4096] = {};
        DWORD size = sizeof buffer - 1;
        LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? std::string(buffer) : "<none>";
    }

    void *handle_ = nullptr;
    EntryPoint canUnloadNow_ = nullptr;
};

TEST_F(KorvexLibrary, RegistersItsClassesAndTypeLibrary)
{
    const char *classKey = "CLSID\\{EF0E9413-D9B2-11D1-BC34-006097125629}";
    EXPECT_EQ(ClassText(classKey), "QelSymbol Class");
    EXPECT_EQ(ClassText((std::string(classKey) + "\\ProgID").c_str()), "QEL.QelSymbol.1");
    EXPECT_EQ(ClassText((std::string(classKey) + "\\VersionIndependentProgID").c_str()), "QEL.QelSymbol");
    EXPECT_EQ(ClassText((std::string(classKey) + "\\InprocServer32").c_str(), "ThreadingModel"), "Free");
    std::string library = ClassText((std::string(classKey) + "\\InprocServer32").c_str());
    EXPECT_NE(library.find("libKorvex.so"), std::string::npos) << library;
    EXPECT_EQ(ClassText("QEL.QelSymbol\\CurVer"), "QEL.QelSymbol.1");
    EXPECT_EQ(ClassText("QEL.QelSymbolPCP.1"), "QelSymbolPCP Class");
    EXPECT_EQ(ClassText("CLSID\\{C56C0F9A-C437-40DC-AB43-685609B1ACF5}"), "Property Page");
    EXPECT_EQ(ClassText("TypeLib\\{EF0E9403-D9B2-11D1-BC34-006097125629}\\1.0"), "korvex 1.0 Type Library");
}

TEST_F(KorvexLibrary, RunsTheHostsOrderAndLetsGoOfEverything)
{
    ASSERT_EQ(CoInitializeEx(nullptr, 0), S_OK);
    {
        CountedObject gui;
        CComPtr<IStorage> storage;
        storage.Attach(NewMemoryStorage());
        for (const CLSID *clsid : {&CLSID_QelSymbol, &CLSID_QelSymbolPCP}) {
            CComPtr<IUnknown> debugServer;
            ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &debugServer), S_OK);
            auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
            ASSERT_EQ(host->CreateSymbolServer(*clsid), S_OK);
            EXPECT_EQ(canUnloadNow_(), S_FALSE);
            CComPtr<IQelSymbSrv> srv;
            ASSERT_EQ(debugServer->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv)), S_OK);
            CComPtr<IQelSymbol> symbol;
            ASSERT_EQ(debugServer->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol)), S_OK);
            CComPtr<IUnknown> identity;
            symbol->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
            EXPECT_EQ(identity.p, debugServer.p);
            EXPECT_EQ(srv->Init(debugServer, nullptr), S_OK);
            EXPECT_EQ(srv->Init(storage, &gui), S_OK);
            EXPECT_EQ(srv->RestoreSettings(), S_OK);
            CComBSTR version;
            EXPECT_EQ(srv->GetVersion(&version), S_OK);
            EXPECT_EQ(std::u16string(version), u"Standard QEL Symbol Server");
            EXPECT_EQ(srv->Cleanup(), S_OK);
            srv.Release();
            symbol.Release();
            identity.Release();
            host->ReleaseSymbolServer();
            EXPECT_EQ(canUnloadNow_(), S_OK);
        }
        EXPECT_EQ(gui.References(), 1u);
        // The storage is the test's alone again.
        EXPECT_EQ(storage.p->AddRef(), 2u);
        storage.p->Release();
    }
    EXPECT_EQ(canUnloadNow_(), S_OK);
    CoUninitialize();
}

TEST_F(KorvexLibrary, ADebugServerObjectThatGoesTakesItsSymbolServerAlong)
{
    {
        CComPtr<IUnknown> debugServer;
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &debugServer), S_OK);
        auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
        ASSERT_EQ(host->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        CComPtr<IQelSymbSrv> srv;
        ASSERT_EQ(debugServer->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv)), S_OK);
        CComPtr<IStorage> storage;
        storage.Attach(NewMemoryStorage());
        CountedObject gui;
        EXPECT_EQ(srv->Init(debugServer, nullptr), S_OK);
        EXPECT_EQ(srv->Init(storage, &gui), S_OK);
        // No Cleanup: the host object's last reference ends the engine with the server.
    }
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

} // namespace
