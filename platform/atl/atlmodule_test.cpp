#include "atlbase.h"
#include "testing/atltestmodule.h"

#include <gtest/gtest.h>

#include <string>

interface IQelTestThing : public IUnknown {
    STDMETHOD(Answer)(LONG *value) PURE;
};
QEL_DEFINE_IID(IQelTestThing, 0x1A2B3C22, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x22);

DEFINE_GUID(CLSID_QelAtlTestLoner, 0x1A2B3C23, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x23);
DEFINE_GUID(CLSID_QelAtlTestUnknown, 0x1A2B3C24, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24);

namespace {

int g_starts = 0;
int g_ends = 0;

class CThing : public CComObjectRootEx<CComMultiThreadModel>,
               public CComCoClass<CThing, &CLSID_QelAtlTestClass>,
               public IQelTestThing {
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_TEST_CLASS)
    BEGIN_COM_MAP(CThing)
        COM_INTERFACE_ENTRY(IQelTestThing)
    END_COM_MAP()

    static void ObjectMain(bool starting) { (starting ? g_starts : g_ends)++; }

    STDMETHODIMP Answer(LONG *value) override
    {
        *value = 42;
        return S_OK;
    }
};

class CLoner : public CComObjectRootEx<CComSingleThreadModel>,
               public CComCoClass<CLoner, &CLSID_QelAtlTestLoner>,
               public IQelTestThing {
public:
    DECLARE_NO_REGISTRY()
    DECLARE_NOT_AGGREGATABLE(CLoner)
    BEGIN_COM_MAP(CLoner)
        COM_INTERFACE_ENTRY(IQelTestThing)
    END_COM_MAP()

    STDMETHODIMP Answer(LONG *value) override
    {
        *value = 1;
        return S_OK;
    }
};

// A stand-in for the outer object of an aggregation.
class COuterStandIn final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void **ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

BEGIN_OBJECT_MAP(TestObjectMap)
    OBJECT_ENTRY(CLSID_QelAtlTestClass, CThing)
    OBJECT_ENTRY(CLSID_QelAtlTestLoner, CLoner)
END_OBJECT_MAP()

class Module : public ::testing::Test {
protected:
    void SetUp() override
    {
        QelUseRegistryFile(nullptr);
        ASSERT_EQ(_pAtlModule, &module_);
        ASSERT_NE(QelAtlTestModule(), nullptr);
        ASSERT_EQ(module_.Init(TestObjectMap, QelAtlTestModule()), S_OK);
    }
    void TearDown() override
    {
        module_.Term();
        QelUseRegistryFile(nullptr);
    }

    HRESULT Factory(REFCLSID clsid, IClassFactory **factory)
    {
        return module_.GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void **>(factory));
    }

    static std::string Text(const char *path, const char *name = nullptr)
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

    CComModule module_;
};

TEST_F(Module, FactoriesCreateTheMapsClassesAndNoOthers)
{
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(Factory(CLSID_QelAtlTestClass, &factory), S_OK);
    CComPtr<IQelTestThing> thing;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IQelTestThing, reinterpret_cast<void **>(&thing)), S_OK);
    LONG value = 0;
    thing->Answer(&value);
    EXPECT_EQ(value, 42);

    CComPtr<IClassFactory> again;
    ASSERT_EQ(Factory(CLSID_QelAtlTestClass, &again), S_OK);
    EXPECT_EQ(again.p, factory.p);

    IClassFactory *none = reinterpret_cast<IClassFactory *>(1);
    EXPECT_EQ(Factory(CLSID_QelAtlTestUnknown, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
    void *object = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(Module, ObjectsAndServerLocksHoldTheModuleButFactoriesDoNot)
{
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(Factory(CLSID_QelAtlTestClass, &factory), S_OK);
    EXPECT_EQ(module_.GetLockCount(), 0);
    CComPtr<IQelTestThing> thing;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IQelTestThing, reinterpret_cast<void **>(&thing)), S_OK);
    EXPECT_EQ(module_.GetLockCount(), 1);
    factory->LockServer(TRUE);
    EXPECT_EQ(module_.GetLockCount(), 2);
    factory->LockServer(FALSE);
    thing.Release();
    EXPECT_EQ(module_.GetLockCount(), 0);
}

TEST_F(Module, AggregationFollowsTheClassesDeclaration)
{
    COuterStandIn outer;
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(Factory(CLSID_QelAtlTestClass, &factory), S_OK);
    void *inner = nullptr;
    // The outer object must ask for the inner object's own IUnknown.
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IQelTestThing, &inner), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &inner), S_OK);
    EXPECT_EQ(module_.GetLockCount(), 1);
    static_cast<IUnknown *>(inner)->Release();
    EXPECT_EQ(module_.GetLockCount(), 0);

    CComPtr<IClassFactory> loners;
    ASSERT_EQ(Factory(CLSID_QelAtlTestLoner, &loners), S_OK);
    EXPECT_EQ(loners->CreateInstance(&outer, IID_IUnknown, &inner), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(inner, nullptr);
}

TEST_F(Module, TellsEveryClassWhenItStartsAndEnds)
{
    int starts = g_starts, ends = g_ends;
    module_.Term();
    EXPECT_EQ(g_ends, ends + 1);
    module_.Term();
    EXPECT_EQ(g_ends, ends + 1);
    module_.Init(TestObjectMap, QelAtlTestModule());
    EXPECT_EQ(g_starts, starts + 1);
}

TEST_F(Module, RegistersItsClassesSoThatCoCreateInstanceFindsTheModule)
{
    ASSERT_EQ(module_.RegisterServer(TRUE), S_OK);
    char path[4096] = {};
    GetModuleFileNameA(QelAtlTestModule(), path, sizeof path);
    EXPECT_EQ(Text("CLSID\\{1A2B3C21-0001-0002-8000-000000000021}\\InprocServer32"), path);
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(u"QEL.AtlTest.1", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_QelAtlTestClass);

    const char *version = "TypeLib\\{1A2B3C2F-0001-0002-8000-00000000002F}\\1.0";
    EXPECT_EQ(Text(version), "atltest 1.0 Type Library");
    EXPECT_EQ(Text((std::string(version) + "\\0\\win32").c_str()), path);
    EXPECT_EQ(Text((std::string(version) + "\\FLAGS").c_str()), "0");

    ASSERT_EQ(module_.UnregisterServer(), S_OK);
    EXPECT_EQ(Text("CLSID\\{1A2B3C21-0001-0002-8000-000000000021}"), "<none>");
    EXPECT_EQ(Text("QEL.AtlTest.1"), "<none>");
    EXPECT_EQ(Text("TypeLib\\{1A2B3C2F-0001-0002-8000-00000000002F}"), "<none>");
    EXPECT_EQ(CLSIDFromProgID(u"QEL.AtlTest.1", &clsid), CO_E_CLASSSTRING);
}

TEST_F(Module, RegistersOneClassWhenAsked)
{
    ASSERT_EQ(module_.RegisterServer(FALSE, &CLSID_QelAtlTestClass), S_OK);
    EXPECT_NE(Text("QEL.AtlTest.1"), "<none>");
    EXPECT_EQ(Text("TypeLib\\{1A2B3C2F-0001-0002-8000-00000000002F}\\1.0"), "<none>");
}

TEST(ModuleWithoutMap, CreatesNothing)
{
    CComModule module;
    IClassFactory *factory = reinterpret_cast<IClassFactory *>(1);
    EXPECT_EQ(module.GetClassObject(CLSID_QelAtlTestClass, IID_IClassFactory, reinterpret_cast<void **>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(module.RegisterServer(), S_OK);
}

} // namespace
