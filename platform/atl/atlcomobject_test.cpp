#include "atlbase.h"

#include <gtest/gtest.h>

#include <functional>

interface IQelTestFirst : public IUnknown {
    STDMETHOD(First)(LONG *value) PURE;
};
QEL_DEFINE_IID(IQelTestFirst, 0x1A2B3C01, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);

interface IQelTestSecond : public IUnknown {
    STDMETHOD(Second)(LONG *value) PURE;
};
QEL_DEFINE_IID(IQelTestSecond, 0x1A2B3C02, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02);

DEFINE_GUID(IID_QelTestAlias, 0x1A2B3C03, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03);

namespace {

int g_liveObjects = 0;
int g_finalReleases = 0;

class CTwoFaced : public CComObjectRootEx<CComMultiThreadModel>, public IQelTestFirst, public IQelTestSecond {
public:
    CTwoFaced() { g_liveObjects++; }
    ~CTwoFaced() { g_liveObjects--; }

    BEGIN_COM_MAP(CTwoFaced)
        COM_INTERFACE_ENTRY(IQelTestFirst)
        COM_INTERFACE_ENTRY(IQelTestSecond)
        COM_INTERFACE_ENTRY_IID(IID_QelTestAlias, IQelTestSecond)
    END_COM_MAP()

    void FinalRelease() { g_finalReleases++; }

    STDMETHODIMP First(LONG *value) override
    {
        *value = 1;
        return S_OK;
    }
    STDMETHODIMP Second(LONG *value) override
    {
        *value = 2;
        return S_OK;
    }
};

class CRefusesToStart : public CComObjectRootEx<CComSingleThreadModel>, public IQelTestFirst {
public:
    CRefusesToStart() { g_liveObjects++; }
    ~CRefusesToStart() { g_liveObjects--; }
    BEGIN_COM_MAP(CRefusesToStart)
        COM_INTERFACE_ENTRY(IQelTestFirst)
    END_COM_MAP()
    HRESULT FinalConstruct() { return E_FAIL; }
    STDMETHODIMP First(LONG *) override { return S_OK; }
};

TEST(ComObject, AnswersEveryInterfaceOfItsMapAndNoOther)
{
    CComObject<CTwoFaced> *object = nullptr;
    ASSERT_EQ(CComObject<CTwoFaced>::CreateInstance(&object), S_OK);
    object->AddRef();

    CComPtr<IQelTestSecond> second;
    ASSERT_EQ(object->QueryInterface(IID_IQelTestSecond, reinterpret_cast<void **>(&second)), S_OK);
    LONG value = 0;
    second->Second(&value);
    EXPECT_EQ(value, 2);

    CComPtr<IQelTestSecond> alias;
    ASSERT_EQ(object->QueryInterface(IID_QelTestAlias, reinterpret_cast<void **>(&alias)), S_OK);
    EXPECT_EQ(alias.p, second.p);

    void *none = reinterpret_cast<void *>(1);
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    object->Release();
}

TEST(ComObject, HasOneIdentityWhicheverInterfaceIsAsked)
{
    CComObject<CTwoFaced> *object = nullptr;
    ASSERT_EQ(CComObject<CTwoFaced>::CreateInstance(&object), S_OK);
    CComPtr<IQelTestFirst> first(object);
    CComQIPtr<IQelTestSecond> second(first);
    ASSERT_TRUE(second != nullptr);

    CComPtr<IUnknown> viaFirst, viaSecond;
    first->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&viaFirst));
    second->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&viaSecond));
    EXPECT_EQ(viaFirst.p, viaSecond.p);
    EXPECT_TRUE(first.IsEqualObject(second));
}

TEST(ComObject, IsFreedWithItsLastReferenceAfterFinalRelease)
{
    int finalReleases = g_finalReleases;
    {
        CComObject<CTwoFaced> *object = nullptr;
        ASSERT_EQ(CComObject<CTwoFaced>::CreateInstance(&object), S_OK);
        EXPECT_EQ(g_liveObjects, 1);
        CComPtr<IQelTestFirst> first(object);
        CComQIPtr<IQelTestSecond> second(first);
        first.Release();
        EXPECT_EQ(g_liveObjects, 1);
    }
    EXPECT_EQ(g_liveObjects, 0);
    EXPECT_EQ(g_finalReleases, finalReleases + 1);
}

// The free-threaded model with a visitor that runs right after the step that drops an
// object's last reference, as another thread that holds the object without a reference
// of its own may run at that moment.
struct CVisitedThreadModel : CComMultiThreadModel {
    static inline std::function<void()> visitor;

    static ULONG Decrement(LONG *p)
    {
        ULONG left = CComMultiThreadModel::Decrement(p);
        if (left == 0)
            Visit();
        return left;
    }
    static LONG CompareExchange(LONG *p, LONG exchange, LONG comparand)
    {
        LONG before = CComMultiThreadModel::CompareExchange(p, exchange, comparand);
        if (before == 1 && comparand == 1)
            Visit();
        return before;
    }
    static void Visit()
    {
        std::function<void()> once;
        once.swap(visitor);
        if (once)
            once();
    }
};

class CVisited : public CComObjectRootEx<CVisitedThreadModel>, public IQelTestFirst {
public:
    ~CVisited() { destroyed++; }
    BEGIN_COM_MAP(CVisited)
        COM_INTERFACE_ENTRY(IQelTestFirst)
    END_COM_MAP()
    STDMETHODIMP First(LONG *) override { return S_OK; }
    static inline int destroyed = 0;
};

TEST(ComObject, AReferenceTakenAndDroppedAsTheLastOneGoesDestroysItOnce)
{
    CComObject<CVisited> *object = nullptr;
    ASSERT_EQ(CComObject<CVisited>::CreateInstance(&object), S_OK);
    object->AddRef();
    CVisitedThreadModel::visitor = [object] {
        object->AddRef();
        object->Release();
    };
    object->Release();
    EXPECT_EQ(CVisited::destroyed, 1);
}

TEST(ComObject, CreationFailsCleanlyWhenFinalConstructFails)
{
    CComObject<CRefusesToStart> *object = reinterpret_cast<CComObject<CRefusesToStart> *>(1);
    EXPECT_EQ(CComObject<CRefusesToStart>::CreateInstance(&object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(g_liveObjects, 0);
}

TEST(ComObject, ObjectLockIsReentrantForItsThread)
{
    CComObject<CTwoFaced> *object = nullptr;
    ASSERT_EQ(CComObject<CTwoFaced>::CreateInstance(&object), S_OK);
    CComPtr<IQelTestFirst> hold(object);
    {
        CTwoFaced::ObjectLock outer(object);
        CTwoFaced::ObjectLock inner(object);
    }
    SUCCEED();
}

} // namespace
