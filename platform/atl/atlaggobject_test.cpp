#include "atlbase.h"

#include <gtest/gtest.h>

interface IQelTestInner : public IUnknown {
    STDMETHOD(Inner)(LONG *value) PURE;
};
QEL_DEFINE_IID(IQelTestInner, 0x1A2B3C11, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11);

interface IQelTestOuter : public IUnknown {
    STDMETHOD(Outer)(LONG *value) PURE;
};
QEL_DEFINE_IID(IQelTestOuter, 0x1A2B3C12, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x12);

namespace {

int g_innerObjects = 0;

// The class that is aggregated. It remembers its controlling unknown, as a server that
// hands its owner on does.
class CInner : public CComObjectRootEx<CComMultiThreadModel>, public IQelTestInner {
public:
    CInner() { g_innerObjects++; }
    ~CInner() { g_innerObjects--; }

    BEGIN_COM_MAP(CInner)
        COM_INTERFACE_ENTRY(IQelTestInner)
    END_COM_MAP()
    DECLARE_GET_CONTROLLING_UNKNOWN()
    DECLARE_PROTECT_FINAL_CONSTRUCT()

    HRESULT FinalConstruct()
    {
        m_controlling = GetControllingUnknown();
        return S_OK;
    }

    STDMETHODIMP Inner(LONG *value) override
    {
        *value = 7;
        return S_OK;
    }

    IUnknown *m_controlling = nullptr;
};

// The outer object: it answers its own interface and hands every other to the inner one.
class COuter : public CComObjectRootEx<CComMultiThreadModel>, public IQelTestOuter {
public:
    BEGIN_COM_MAP(COuter)
        COM_INTERFACE_ENTRY(IQelTestOuter)
        COM_INTERFACE_ENTRY_AGGREGATE_BLIND(m_inner)
    END_COM_MAP()

    HRESULT FinalConstruct()
    {
        CComAggObject<CInner> *inner = nullptr;
        HRESULT hr = CComAggObject<CInner>::CreateInstance(GetControllingUnknown(), &inner);
        if (SUCCEEDED(hr)) {
            inner->AddRef();
            m_inner = inner;
            m_innerObject = &inner->m_contained;
        }
        return hr;
    }
    void FinalRelease()
    {
        if (m_inner != nullptr)
            m_inner->Release();
    }
    IUnknown *GetControllingUnknown() { return GetUnknown(); }

    STDMETHODIMP Outer(LONG *value) override
    {
        *value = 3;
        return S_OK;
    }

    IUnknown *m_inner = nullptr;
    CInner *m_innerObject = nullptr;
};

class AggObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CComObject<COuter>::CreateInstance(&outer_), S_OK);
        outer_->AddRef();
    }
    void TearDown() override
    {
        if (outer_ != nullptr)
            outer_->Release();
        EXPECT_EQ(g_innerObjects, 0);
    }

    CComObject<COuter> *outer_ = nullptr;
};

TEST_F(AggObject, InnerInterfacesAnswerForTheOuterObjectsIdentity)
{
    CComPtr<IQelTestInner> inner;
    ASSERT_EQ(outer_->QueryInterface(IID_IQelTestInner, reinterpret_cast<void **>(&inner)), S_OK);
    LONG value = 0;
    inner->Inner(&value);
    EXPECT_EQ(value, 7);

    CComPtr<IUnknown> identity;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity)), S_OK);
    EXPECT_EQ(identity.p, outer_->GetUnknown());
    CComPtr<IQelTestOuter> backToOuter;
    EXPECT_EQ(inner->QueryInterface(IID_IQelTestOuter, reinterpret_cast<void **>(&backToOuter)), S_OK);
    EXPECT_EQ(outer_->m_innerObject->m_controlling, outer_->GetUnknown());
}

TEST_F(AggObject, ReferencesOnInnerInterfacesKeepTheOuterObjectAlive)
{
    CComPtr<IQelTestInner> inner;
    ASSERT_EQ(outer_->QueryInterface(IID_IQelTestInner, reinterpret_cast<void **>(&inner)), S_OK);
    outer_->Release();
    outer_ = nullptr;
    EXPECT_EQ(g_innerObjects, 1);
    LONG value = 0;
    EXPECT_EQ(inner->Inner(&value), S_OK);
    inner.Release();
    EXPECT_EQ(g_innerObjects, 0);
}

TEST_F(AggObject, UnknownInterfacesFailThroughBothObjects)
{
    void *none = reinterpret_cast<void *>(1);
    EXPECT_EQ(outer_->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST(AggObjectCreation, NeedsAnOuterObject)
{
    CComAggObject<CInner> *inner = reinterpret_cast<CComAggObject<CInner> *>(1);
    EXPECT_EQ(CComAggObject<CInner>::CreateInstance(nullptr, &inner), E_INVALIDARG);
    EXPECT_EQ(inner, nullptr);
    EXPECT_EQ(g_innerObjects, 0);
}

TEST(AggObjectCreation, AnObjectOnItsOwnIsItsOwnControllingUnknown)
{
    CComObject<CInner> *object = nullptr;
    ASSERT_EQ(CComObject<CInner>::CreateInstance(&object), S_OK);
    CComPtr<IQelTestInner> hold(object);
    EXPECT_EQ(object->m_controlling, object->GetUnknown());
}

} // namespace
