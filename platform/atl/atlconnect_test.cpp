#include "atlbase.h"

#include <gtest/gtest.h>

#include <vector>

DEFINE_GUID(DIID_QelTestReadyEvents, 0x1A2B3C10, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10);
DEFINE_GUID(DIID_QelTestStateEvents, 0x1A2B3C11, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11);
DEFINE_GUID(DIID_QelTestUnusedEvents, 0x1A2B3C12, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x12);

namespace {

int g_liveSources = 0;

// A source of two event interfaces, firing as the system's proxies do: under its lock, to
// every sink of the array that is not null.
class CEventSource : public CComObjectRootEx<CComMultiThreadModel>,
                     public IConnectionPointContainerImpl<CEventSource>,
                     public IConnectionPointImpl<CEventSource, &DIID_QelTestReadyEvents>,
                     public IConnectionPointImpl<CEventSource, &DIID_QelTestStateEvents> {
public:
    typedef IConnectionPointImpl<CEventSource, &DIID_QelTestReadyEvents> ReadyPoint;

    CEventSource() { g_liveSources++; }
    ~CEventSource() { g_liveSources--; }

    BEGIN_COM_MAP(CEventSource)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CEventSource)
        CONNECTION_POINT_ENTRY(DIID_QelTestReadyEvents)
        CONNECTION_POINT_ENTRY(DIID_QelTestStateEvents)
    END_CONNECTION_POINT_MAP()

    void FireReady(LONG request)
    {
        VARIANT arg;
        VariantInit(&arg);
        arg.vt = VT_I4;
        arg.lVal = request;
        DISPPARAMS params = {&arg, nullptr, 1, 0};
        Lock();
        for (IUnknown **sink = ReadyPoint::m_vec.begin(); sink < ReadyPoint::m_vec.end(); sink++) {
            if (*sink)
                reinterpret_cast<IDispatch *>(*sink)->Invoke(1, IID_NULL, 0x400, DISPATCH_METHOD, &params, nullptr,
                                                             nullptr, nullptr);
        }
        Unlock();
    }
};

// A sink that records the requests it is told of and counts its references.
class RecordingSink final : public IDispatch {
public:
    explicit RecordingSink(const IID &events) : events_(events) {}

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        heard.push_back(params->rgvarg[0].lVal);
        return S_OK;
    }

    ULONG references = 1;
    std::vector<LONG> heard;

private:
    IID events_;
};

class ConnectionPoints : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CComObject<CEventSource>::CreateInstance(&object_), S_OK);
        source_ = object_;
    }
    void TearDown() override
    {
        source_.Release();
        EXPECT_EQ(g_liveSources, 0);
    }

    CComObject<CEventSource> *object_ = nullptr;
    CComPtr<IUnknown> source_;
};

TEST_F(ConnectionPoints, EventsReachEveryAdvisedSink)
{
    RecordingSink first(DIID_QelTestReadyEvents), second(DIID_QelTestReadyEvents);
    DWORD cookie1 = 0, cookie2 = 0;
    ASSERT_EQ(AtlAdvise(source_, &first, DIID_QelTestReadyEvents, &cookie1), S_OK);
    ASSERT_EQ(AtlAdvise(source_, &second, DIID_QelTestReadyEvents, &cookie2), S_OK);
    EXPECT_NE(cookie1, 0u);
    EXPECT_NE(cookie1, cookie2);
    object_->FireReady(7);
    EXPECT_EQ(first.heard, std::vector<LONG>{7});
    EXPECT_EQ(second.heard, std::vector<LONG>{7});
    EXPECT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, cookie1), S_OK);
    EXPECT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, cookie2), S_OK);
    EXPECT_EQ(first.references, 1u);
}

TEST_F(ConnectionPoints, UnadviseEndsTheEventsAndAStaleCookieFindsNothing)
{
    RecordingSink first(DIID_QelTestReadyEvents), second(DIID_QelTestReadyEvents);
    DWORD cookie1 = 0, cookie2 = 0;
    ASSERT_EQ(AtlAdvise(source_, &first, DIID_QelTestReadyEvents, &cookie1), S_OK);
    EXPECT_EQ(first.references, 2u); // the point holds the sink
    ASSERT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, cookie1), S_OK);
    EXPECT_EQ(first.references, 1u);
    // The next sink takes the free slot, but not the old cookie.
    ASSERT_EQ(AtlAdvise(source_, &second, DIID_QelTestReadyEvents, &cookie2), S_OK);
    EXPECT_NE(cookie2, cookie1);
    EXPECT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, cookie1), CONNECT_E_NOCONNECTION);
    object_->FireReady(3);
    EXPECT_TRUE(first.heard.empty());
    EXPECT_EQ(second.heard, std::vector<LONG>{3});
    EXPECT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, 0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, cookie2), S_OK);
}

TEST_F(ConnectionPoints, ASinkWithoutTheEventInterfaceCannotConnect)
{
    RecordingSink other(DIID_QelTestStateEvents);
    DWORD cookie = 99;
    EXPECT_EQ(AtlAdvise(source_, &other, DIID_QelTestReadyEvents, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(other.references, 1u);
    EXPECT_EQ(AtlAdvise(source_, nullptr, DIID_QelTestReadyEvents, &cookie), E_POINTER);
    EXPECT_EQ(AtlAdvise(source_, &other, DIID_QelTestReadyEvents, nullptr), E_POINTER);
}

TEST_F(ConnectionPoints, OnlyThePointsOfTheMapAreFound)
{
    RecordingSink sink(DIID_QelTestUnusedEvents);
    DWORD cookie = 99;
    EXPECT_EQ(AtlAdvise(source_, &sink, DIID_QelTestUnusedEvents, &cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(AtlAdvise(nullptr, &sink, DIID_QelTestReadyEvents, &cookie), E_INVALIDARG);
    // An object that fires nothing has no container.
    RecordingSink notASource(DIID_QelTestReadyEvents);
    EXPECT_EQ(AtlAdvise(&notASource, &sink, DIID_QelTestReadyEvents, &cookie), E_NOINTERFACE);
    EXPECT_EQ(AtlUnadvise(&notASource, DIID_QelTestReadyEvents, 1), E_NOINTERFACE);
}

TEST_F(ConnectionPoints, APointIsItsOwnInterfaceAndKeepsItsObjectAlive)
{
    CComQIPtr<IConnectionPointContainer> container(source_);
    ASSERT_NE(container.p, nullptr);
    IConnectionPoint *point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID_QelTestStateEvents, &point), S_OK);
    IID iid;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID_QelTestStateEvents);
    IConnectionPointContainer *back = nullptr;
    ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ(back, container.p);
    back->Release();
    IConnectionPoint *same = nullptr;
    ASSERT_EQ(point->QueryInterface(&same), S_OK);
    EXPECT_EQ(same, point);
    same->Release();
    IConnectionPointContainer *notHere = nullptr;
    EXPECT_EQ(point->QueryInterface(&notHere), E_NOINTERFACE);

    container.Release();
    source_.Release();
    EXPECT_EQ(g_liveSources, 1);
    point->Release();
    EXPECT_EQ(g_liveSources, 0);
}

TEST_F(ConnectionPoints, EnumConnectionsListsTheSinksWithTheirCookies)
{
    RecordingSink first(DIID_QelTestReadyEvents), second(DIID_QelTestReadyEvents);
    DWORD cookie1 = 0, cookie2 = 0;
    ASSERT_EQ(AtlAdvise(source_, &first, DIID_QelTestReadyEvents, &cookie1), S_OK);
    ASSERT_EQ(AtlAdvise(source_, &second, DIID_QelTestReadyEvents, &cookie2), S_OK);
    ASSERT_EQ(AtlUnadvise(source_, DIID_QelTestReadyEvents, cookie1), S_OK);
    CComQIPtr<IConnectionPointContainer> container(source_);
    CComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID_QelTestReadyEvents, &point.p), S_OK);
    IEnumConnections *connections = nullptr;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA data[2];
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(2, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(data[0].pUnk, static_cast<IUnknown *>(&second));
    EXPECT_EQ(data[0].dwCookie, cookie2);
    data[0].pUnk->Release();
    connections->Release();
    EXPECT_EQ(second.references, 2u);
    EXPECT_EQ(point->Unadvise(cookie2), S_OK);
}

TEST_F(ConnectionPoints, EnumConnectionPointsGivesThePointsOfTheMap)
{
    CComQIPtr<IConnectionPointContainer> container(source_);
    IEnumConnectionPoints *points = nullptr;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint *got[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    IID first, second;
    got[0]->GetConnectionInterface(&first);
    got[1]->GetConnectionInterface(&second);
    EXPECT_EQ(first, DIID_QelTestReadyEvents);
    EXPECT_EQ(second, DIID_QelTestStateEvents);
    got[0]->Release();
    got[1]->Release();
    points->Release();
}

TEST_F(ConnectionPoints, AnObjectThatGoesReleasesItsSinks)
{
    RecordingSink sink(DIID_QelTestStateEvents);
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(source_, &sink, DIID_QelTestStateEvents, &cookie), S_OK);
    EXPECT_EQ(sink.references, 2u);
    source_.Release();
    EXPECT_EQ(sink.references, 1u);
}

TEST(DynamicUnkArray, ARemovedSlotIsTakenAgainWithANewCookie)
{
    RecordingSink a(IID_NULL), b(IID_NULL), c(IID_NULL);
    CComDynamicUnkArray sinks;
    DWORD ca = sinks.Add(&a), cb = sinks.Add(&b);
    EXPECT_EQ(sinks.GetUnknown(cb), &b);
    EXPECT_TRUE(sinks.Remove(ca));
    EXPECT_FALSE(sinks.Remove(ca));
    EXPECT_EQ(sinks.GetAt(0), nullptr); // the slot stays, empty, so that firing skips it
    DWORD cc = sinks.Add(&c);
    EXPECT_EQ(sinks.GetSize(), 2);
    EXPECT_EQ(sinks.GetAt(0), &c);
    EXPECT_NE(cc, ca);
    EXPECT_EQ(sinks.GetUnknown(ca), nullptr);
    EXPECT_EQ(sinks.GetUnknown(0xFEFEFEFE), nullptr);
    EXPECT_FALSE(sinks.Remove(0));
}

} // namespace
