#include "ole2.h"
#include "testing/buildpaths.h"
#include "testing/comallocbalance.h"
#include "testserver/testcounter.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace {

class ServerLibrary : public ComAllocBalance {
protected:
    // A new counter from the test server, made through its class factory.
    static ITestCounter *NewCounter()
    {
        IClassFactory *factory = nullptr;
        HRESULT hr = QelGetClassObjectFromLibrary(kQelComTestServerPath, CLSID_TestCounter, IID_IClassFactory,
                                                  reinterpret_cast<void **>(&factory));
        EXPECT_EQ(hr, S_OK);
        if (FAILED(hr))
            return nullptr;
        ITestCounter *counter = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITestCounter, reinterpret_cast<void **>(&counter)), S_OK);
        factory->Release();
        return counter;
    }

    static LONG InstancesMade(ITestCounter *counter)
    {
        LONG made = 0;
        counter->GetInstancesMade(&made);
        return made;
    }

    static bool IsLoaded()
    {
        void *handle = dlopen(kQelComTestServerPath, RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return handle != nullptr;
    }
};

TEST_F(ServerLibrary, CreatesAClassFromTheLibraryAtAPath)
{
    ITestCounter *counter = NewCounter();
    ASSERT_NE(counter, nullptr);
    LONG count = 0;
    counter->Increment(&count);
    counter->Increment(&count);
    EXPECT_EQ(count, 2);
    // The server's BSTRs come from the same COM layer as the host's.
    BSTR name = nullptr;
    ASSERT_EQ(counter->GetName(&name), S_OK);
    EXPECT_EQ(std::u16string(name), u"TestCounter");
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + 1);
    SysFreeString(name);
    counter->Release();
    CoFreeUnusedLibraries();
}

TEST_F(ServerLibrary, KeepsTheLibraryLoadedAndReusesIt)
{
    ITestCounter *first = NewCounter();
    ITestCounter *second = NewCounter();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(InstancesMade(second), InstancesMade(first));
    EXPECT_GE(InstancesMade(second), 2);
    first->Release();
    second->Release();
    CoFreeUnusedLibraries();
}

TEST_F(ServerLibrary, UnloadsOnlyALibraryThatServesNoObject)
{
    ITestCounter *counter = NewCounter();
    ASSERT_NE(counter, nullptr);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsLoaded());
    counter->Release();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(IsLoaded());
    // Loaded afresh, the library counts from the start again.
    counter = NewCounter();
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(InstancesMade(counter), 1);
    counter->Release();
    CoFreeUnusedLibraries();
}

TEST_F(ServerLibrary, PassesTheServersAnswerForAClassItDoesNotServe)
{
    const CLSID otherClass = {0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 4}};
    IClassFactory *factory = reinterpret_cast<IClassFactory *>(1);
    EXPECT_EQ(QelGetClassObjectFromLibrary(kQelComTestServerPath, otherClass, IID_IClassFactory,
                                           reinterpret_cast<void **>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    CoFreeUnusedLibraries();
}

TEST_F(ServerLibrary, AMissingLibraryIsNotFound)
{
    IClassFactory *factory = nullptr;
    EXPECT_EQ(QelGetClassObjectFromLibrary("/nonexistent/libNothing.so", CLSID_TestCounter, IID_IClassFactory,
                                           reinterpret_cast<void **>(&factory)),
              CO_E_DLLNOTFOUND);
    EXPECT_EQ(QelGetClassObjectFromLibrary("", CLSID_TestCounter, IID_IClassFactory, reinterpret_cast<void **>(&factory)),
              CO_E_DLLNOTFOUND);
}

TEST_F(ServerLibrary, ALibraryWithoutTheEntryPointIsAnErrorInTheLibrary)
{
    // The COM layer itself is a shared library that exports no DllGetClassObject.
    IClassFactory *factory = nullptr;
    EXPECT_EQ(QelGetClassObjectFromLibrary(kQelComLibraryPath, CLSID_TestCounter, IID_IClassFactory,
                                           reinterpret_cast<void **>(&factory)),
              CO_E_ERRORINDLL);
}

TEST(ServerLibraryExports, AServerExportsOnlyItsEntryPoints)
{
    void *handle = dlopen(kQelComTestServerPath, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, "DllGetClassObject"), nullptr);
    EXPECT_NE(dlsym(handle, "DllCanUnloadNow"), nullptr);
    EXPECT_EQ(dlsym(handle, "IID_ITestCounter"), nullptr);
    dlclose(handle);
}

} // namespace
