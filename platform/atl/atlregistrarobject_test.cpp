#include "atlbase.h"
#include "atliface.h"
#include "testing/atltestmodule.h"
#include "testing/failingfactory.h"

#include <gtest/gtest.h>

#include <string>

DEFINE_GUID(CLSID_QelAtlTestScripted, 0x1A2B3C25, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x25);

namespace {

// A class that registers as the view servers do: through the registrar object, with the
// path of its module.
class CScripted : public CComObjectRootEx<CComMultiThreadModel>,
                  public CComCoClass<CScripted, &CLSID_QelAtlTestScripted>,
                  public IUnknown {
public:
    BEGIN_COM_MAP(CScripted)
        COM_INTERFACE_ENTRY(IUnknown)
    END_COM_MAP()

    static HRESULT UpdateRegistry(BOOL bRegister)
    {
        CComPtr<IRegistrar> registrar;
        HRESULT hr = CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar,
                                      reinterpret_cast<void **>(&registrar));
        if (SUCCEEDED(hr)) {
            char path[4096] = {};
            GetModuleFileNameA(QelAtlTestModule(), path, sizeof path);
            OLECHAR wide[4096] = {};
            MultiByteToWideChar(CP_ACP, 0, path, -1, wide, 4096);
            hr = registrar->AddReplacement(u"Module", wide);
            if (SUCCEEDED(hr))
                hr = bRegister ? registrar->ResourceRegister(wide, IDR_TEST_CLASS, u"REGISTRY")
                               : registrar->ResourceUnregister(wide, IDR_TEST_CLASS, u"REGISTRY");
        }
        return hr;
    }
};

BEGIN_OBJECT_MAP(ScriptedObjectMap)
    OBJECT_ENTRY(CLSID_QelAtlTestScripted, CScripted)
END_OBJECT_MAP()

class RegistrarObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        QelUseRegistryFile(nullptr);
        ASSERT_NE(QelAtlTestModule(), nullptr);
        ASSERT_EQ(module_.Init(ScriptedObjectMap, QelAtlTestModule()), S_OK);
    }
    void TearDown() override
    {
        module_.Term();
        QelUseRegistryFile(nullptr);
    }

    // The server path that the script wrote with the replacement, "" when nothing.
    static std::string Registered()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{1A2B3C21-0001-0002-8000-000000000021}\\InprocServer32", 0,
                          KEY_READ, &key) != ERROR_SUCCESS)
            return "";
        char path[4096] = {};
        DWORD size = sizeof path - 1;
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(path), &size);
        RegCloseKey(key);
        return path;
    }

    CComModule module_;
};

TEST_F(RegistrarObject, IsOfferedWhileTheModuleRegistersAndRunsItsResources)
{
    ASSERT_EQ(module_.RegisterServer(), S_OK);
    char path[4096] = {};
    GetModuleFileNameA(QelAtlTestModule(), path, sizeof path);
    EXPECT_EQ(Registered(), path);
    ASSERT_EQ(module_.UnregisterServer(), S_OK);
    EXPECT_EQ(Registered(), "");

    IRegistrar *outside = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar,
                               reinterpret_cast<void **>(&outside)),
              REGDB_E_CLASSNOTREG);
}

TEST_F(RegistrarObject, AFailingRegistrarInTheClassTableServesAndNothingIsWritten)
{
    CComObject<CFailingClassFactory> *factory = nullptr;
    ASSERT_EQ(CComObject<CFailingClassFactory>::CreateInstance(&factory), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_Registrar, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    EXPECT_EQ(module_.RegisterServer(), E_OUTOFMEMORY);
    EXPECT_EQ(Registered(), "");
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST(RegistrarObjectAlone, FindsModulesByPathOnly)
{
    CComPtr<IRegistrar> registrar;
    ASSERT_EQ(QelAtlCreateRegistrar(nullptr, IID_IRegistrar, reinterpret_cast<void **>(&registrar)), S_OK);
    EXPECT_EQ(registrar->ResourceRegister(u"/no/such/libModule.so", IDR_TEST_PLAIN, u"REGISTRY"),
              HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(registrar->ResourceRegister(nullptr, IDR_TEST_PLAIN, u"REGISTRY"), E_INVALIDARG);
}

} // namespace
