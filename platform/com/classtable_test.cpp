#include "ole2.h"
#include "testing/buildpaths.h"
#include "testing/countedobject.h"
#include "testing/emptyregistry.h"
#include "testserver/testcounter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

DEFINE_GUID(kClass, 0x6BF73296, 0x759E, 0x44DF, 0x81, 0xAE, 0xB4, 0xE3, 0x1F, 0xE2, 0xF2, 0x10);
DEFINE_GUID(kUnknownClass, 0x6BF73296, 0x759E, 0x44DF, 0x81, 0xAE, 0xB4, 0xE3, 0x1F, 0xE2, 0xF2, 0x11);

// A class factory double: it hands out one CountedObject and remembers the outer object.
class Factory final : public IClassFactory {
public:
    ULONG References() const { return references_; }
    IUnknown *LastOuter() const { return lastOuter_; }
    int Created() const { return created_; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override
    {
        lastOuter_ = outer;
        created_++;
        return object_.QueryInterface(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    CountedObject object_;

private:
    ULONG references_ = 1;
    IUnknown *lastOuter_ = nullptr;
    int created_ = 0;
};

TEST(ClassTable, CreatesARegisteredClassAndPassesTheOuterObject)
{
    Factory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(factory.References(), 2u);

    IDispatch *object = nullptr;
    ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(&object)), S_OK);
    EXPECT_EQ(object, static_cast<IDispatch *>(&factory.object_));
    object->Release();

    CountedObject outer;
    IUnknown *inner = nullptr;
    ASSERT_EQ(CoCreateInstance(kClass, &outer, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&inner)), S_OK);
    EXPECT_EQ(factory.LastOuter(), &outer);
    inner->Release();

    EXPECT_EQ(factory.References(), 2u);
    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.References(), 1u);
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&inner)),
              REGDB_E_CLASSNOTREG);
}

TEST(ClassTable, AnUnknownClassIsNotRegistered)
{
    IUnknown *object = reinterpret_cast<IUnknown *>(1);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoGetClassObject(kUnknownClass, CLSCTX_ALL, nullptr, IID_IClassFactory, reinterpret_cast<void **>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
}

TEST(ClassTable, GetClassObjectAsksTheFactoryForTheInterface)
{
    Factory factory;
    DWORD cookie;
    CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    IClassFactory *found = nullptr;
    ASSERT_EQ(CoGetClassObject(kClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, reinterpret_cast<void **>(&found)), S_OK);
    EXPECT_EQ(found, &factory);
    found->Release();
    IDispatch *dispatch = nullptr;
    EXPECT_EQ(CoGetClassObject(kClass, CLSCTX_INPROC_SERVER, nullptr, IID_IDispatch, reinterpret_cast<void **>(&dispatch)), E_NOINTERFACE);
    EXPECT_EQ(factory.References(), 2u);
    CoRevokeClassObject(cookie);
}

TEST(ClassTable, ContextsSelectTheRegistrationsARequestSees)
{
    Factory local;
    DWORD cookie;
    ASSERT_EQ(CoRegisterClassObject(kClass, &local, CLSCTX_LOCAL_SERVER, REGCLS_MULTI_SEPARATE, &cookie), S_OK);
    IUnknown *object = nullptr;
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object)),
              REGDB_E_CLASSNOTREG);
    ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object)), S_OK);
    object->Release();
    CoRevokeClassObject(cookie);

    // A multiple-use local server serves its own process too.
    ASSERT_EQ(CoRegisterClassObject(kClass, &local, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object)), S_OK);
    object->Release();
    CoRevokeClassObject(cookie);
}

TEST(ClassTable, ASingleUseRegistrationServesOnce)
{
    Factory factory;
    DWORD cookie;
    ASSERT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_SINGLEUSE, &cookie), S_OK);
    IUnknown *object = nullptr;
    ASSERT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object)), S_OK);
    object->Release();
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST(ClassTable, TheLatestRegistrationServesAndTheEarlierOneReturnsAfterRevoking)
{
    Factory first;
    Factory second;
    DWORD firstCookie, secondCookie;
    CoRegisterClassObject(kClass, &first, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &firstCookie);
    CoRegisterClassObject(kClass, &second, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &secondCookie);
    EXPECT_NE(firstCookie, secondCookie);
    IUnknown *object = nullptr;
    CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object));
    object->Release();
    EXPECT_EQ(second.Created(), 1);
    CoRevokeClassObject(secondCookie);
    CoCreateInstance(kClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object));
    object->Release();
    EXPECT_EQ(first.Created(), 1);
    CoRevokeClassObject(firstCookie);
}

TEST(ClassTable, RefusesBadRegistrationsAndUnknownCookies)
{
    Factory factory;
    DWORD cookie = 0;
    EXPECT_EQ(CoRegisterClassObject(kClass, nullptr, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), E_INVALIDARG);
    EXPECT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, nullptr), E_INVALIDARG);
    EXPECT_EQ(CoRegisterClassObject(kClass, &factory, 0, REGCLS_MULTIPLEUSE, &cookie), E_INVALIDARG);
    EXPECT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, 8, &cookie), E_INVALIDARG);
    EXPECT_EQ(factory.References(), 1u);
    EXPECT_EQ(CoRevokeClassObject(0xDEAD), CO_E_OBJNOTREG);
    IUnknown *object;
    COSERVERINFO *remote = reinterpret_cast<COSERVERINFO *>(&factory);
    EXPECT_EQ(CoGetClassObject(kClass, CLSCTX_REMOTE_SERVER, remote, IID_IUnknown, reinterpret_cast<void **>(&object)),
              E_INVALIDARG);
}

TEST(ClassTable, ProgIDsNameRegisteredClassesUntilTheyAreRevoked)
{
    Factory factory;
    DWORD cookie;
    CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    ASSERT_EQ(QelSetClassObjectProgID(cookie, u"QEL.QelMsgBox"), S_OK);
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(CLSIDFromProgID(u"qel.qelmsgbox", &clsid), S_OK);
    EXPECT_EQ(clsid, kClass);
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelMsgBox.1", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelMsgBo", &clsid), CO_E_CLASSSTRING);
    CoRevokeClassObject(cookie);
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelMsgBox", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(QelSetClassObjectProgID(cookie, u"QEL.Gone"), CO_E_OBJNOTREG);
    EXPECT_EQ(QelSetClassObjectProgID(cookie, u""), E_INVALIDARG);
}

// Classes and ProgIDs that the registry names, as the servers' registration writes them.
class RegisteredClasses : public EmptyRegistry {
protected:
    static void SetDefault(const std::string &path, const std::string &text)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static constexpr const char *kCounterServer = "CLSID\\{5E0C1A02-7B2D-4C3E-9F10-2A3B4C5D6E7F}\\InprocServer32";
};

TEST_F(RegisteredClasses, CreatesAClassFromTheLibraryThatTheRegistryNames)
{
    SetDefault(kCounterServer, kQelComTestServerPath);
    ITestCounter *counter = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_ITestCounter,
                               reinterpret_cast<void **>(&counter)),
              S_OK);
    LONG count = 0;
    EXPECT_EQ(counter->Increment(&count), S_OK);
    EXPECT_EQ(count, 1);
    counter->Release();
    CoFreeUnusedLibraries();
    // Only in-process servers are known.
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, IID_ITestCounter,
                               reinterpret_cast<void **>(&counter)),
              REGDB_E_CLASSNOTREG);
}

TEST_F(RegisteredClasses, AskTheProcesssRegistrationsFirst)
{
    SetDefault(kCounterServer, kQelComTestServerPath);
    Factory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_TestCounter, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    IUnknown *object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void **>(&object)),
              S_OK);
    EXPECT_EQ(factory.Created(), 1);
    object->Release();
    CoRevokeClassObject(cookie);
}

TEST_F(RegisteredClasses, ReportWhatIsMissingOrBroken)
{
    IUnknown *object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
              REGDB_E_CLASSNOTREG);
    SetDefault("CLSID\\{5E0C1A02-7B2D-4C3E-9F10-2A3B4C5D6E7F}", "TestCounter Class"); // no InprocServer32
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
              REGDB_E_CLASSNOTREG);
    SetDefault(kCounterServer, "/nonexistent/libNothing.so");
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&object)),
              CO_E_DLLNOTFOUND);
    EXPECT_EQ(object, nullptr);
}

TEST_F(RegisteredClasses, ProgIDsNameTheClassesOfTheirCLSIDKeys)
{
    SetDefault("QEL.QelWatch\\CLSID", "{5e0c1a02-7b2d-4c3e-9f10-2a3b4c5d6e7f}");
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(CLSIDFromProgID(u"qel.QELWATCH", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestCounter);

    // The process's own names come first.
    Factory factory;
    DWORD cookie = 0;
    CoRegisterClassObject(kClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    ASSERT_EQ(QelSetClassObjectProgID(cookie, u"QEL.QelWatch"), S_OK);
    ASSERT_EQ(CLSIDFromProgID(u"QEL.QelWatch", &clsid), S_OK);
    EXPECT_EQ(clsid, kClass);
    CoRevokeClassObject(cookie);

    SetDefault("QEL.Broken\\CLSID", "not a class identifier");
    SetDefault("QEL.Long\\CLSID", "{5e0c1a02-7b2d-4c3e-9f10-2a3b4c5d6e7f} and more");
    SetDefault("QEL.Parent\\Child\\CLSID", "{5e0c1a02-7b2d-4c3e-9f10-2a3b4c5d6e7f}");
    clsid = GUID_NULL;
    for (const char16_t *progId : {u"QEL.Broken", u"QEL.Long", u"QEL.Missing", u"QEL.Parent\\Child", u"QEL.\u0100"})
        EXPECT_EQ(CLSIDFromProgID(progId, &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, GUID_NULL);
}

} // namespace
