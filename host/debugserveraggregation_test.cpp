#include "debugserver.h"

#include <qelhostframe.h>

#include <gtest/gtest.h>

#include <vector>

interface IQelTestCarried : public IUnknown {
    STDMETHOD(Owner)(IUnknown **ppOwner) PURE;
};
QEL_DEFINE_IID(IQelTestCarried, 0x1A2B3C41, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x41);
DEFINE_GUID(CLSID_QelTestCarried, 0x1A2B3C42, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42);
DEFINE_GUID(CLSID_Missing, 0x1A2B3C43, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x43);

namespace {

int g_carried = 0;

std::vector<DWORD> g_carriedCommands;

// A symbol server in miniature: aggregatable, it answers an interface of its own and
// commands, and knows its controlling unknown.
class CCarried : public CComObjectRootEx<CComMultiThreadModel>,
                 public CComCoClass<CCarried, &CLSID_QelTestCarried>,
                 public IQelTestCarried,
                 public IOleCommandTarget,
                 public IConnectionPointContainerImpl<CCarried>,
                 public IConnectionPointImpl<CCarried, &DIID__SymProcEvents> {
public:
    CCarried() { g_carried++; }
    ~CCarried() { g_carried--; }
    BEGIN_COM_MAP(CCarried)
        COM_INTERFACE_ENTRY(IQelTestCarried)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CCarried)
        CONNECTION_POINT_ENTRY(DIID__SymProcEvents)
    END_CONNECTION_POINT_MAP()
    DECLARE_GET_CONTROLLING_UNKNOWN()

    STDMETHODIMP Owner(IUnknown **ppOwner) override
    {
        *ppOwner = GetControllingUnknown();
        (*ppOwner)->AddRef();
        return S_OK;
    }

    // Every command is supported and enabled, and answers its own id.
    STDMETHODIMP QueryStatus(const GUID *, ULONG count, OLECMD *cmds, OLECMDTEXT *) override
    {
        for (ULONG i = 0; i < count; ++i)
            cmds[i].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
        return S_OK;
    }
    STDMETHODIMP Exec(const GUID *, DWORD id, DWORD, VARIANT *, VARIANT *out) override
    {
        g_carriedCommands.push_back(id);
        out->vt = VT_UI4;
        out->ulVal = id;
        return S_OK;
    }
};

class DebugServerAggregation : public ::testing::Test {
protected:
    void SetUp() override
    {
        IClassFactory *factory = nullptr;
        ASSERT_EQ(CCarried::_ClassFactoryCreatorClass::CreateInstance(
                      reinterpret_cast<void *>(&CCarried::_CreatorClass::CreateInstance), IID_IClassFactory,
                      reinterpret_cast<void **>(&factory)),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(CLSID_QelTestCarried, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &cookie_),
                  S_OK);
        factory->Release();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &debugServer_), S_OK);
        host_ = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer_.p));
    }
    void TearDown() override
    {
        debugServer_.Release();
        CoRevokeClassObject(cookie_);
        EXPECT_EQ(g_carried, 0);
    }

    DWORD cookie_ = 0;
    CComPtr<IUnknown> debugServer_;
    QelHost::CHostDebugServer *host_ = nullptr;
};

TEST_F(DebugServerAggregation, TheCarriedServersInterfacesAreTheDebugServersOwn)
{
    void *none = nullptr;
    EXPECT_EQ(debugServer_->QueryInterface(IID_IQelTestCarried, &none), E_NOINTERFACE);
    ASSERT_EQ(host_->CreateSymbolServer(CLSID_QelTestCarried), S_OK);
    CComPtr<IQelTestCarried> carried;
    ASSERT_EQ(debugServer_->QueryInterface(IID_IQelTestCarried, reinterpret_cast<void **>(&carried)), S_OK);
    CComPtr<IUnknown> owner, identity;
    carried->Owner(&owner);
    carried->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    EXPECT_EQ(owner.p, debugServer_.p);
    EXPECT_EQ(identity.p, debugServer_.p);
    // The holder interface stays the host's, reached from the carried server too.
    CComPtr<IQelHostHolder> holder;
    EXPECT_EQ(carried->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder)), S_OK);
}

TEST_F(DebugServerAggregation, TheCarriedServerGoesWhenReleasedOrWithTheDebugServer)
{
    ASSERT_EQ(host_->CreateSymbolServer(CLSID_QelTestCarried), S_OK);
    EXPECT_EQ(g_carried, 1);
    host_->ReleaseSymbolServer();
    EXPECT_EQ(g_carried, 0);
    ASSERT_EQ(host_->CreateSymbolServer(CLSID_QelTestCarried), S_OK);
    ASSERT_EQ(host_->CreateSymbolServer(CLSID_QelTestCarried), S_OK);
    EXPECT_EQ(g_carried, 1);
    debugServer_.Release();
    EXPECT_EQ(g_carried, 0);
}

TEST_F(DebugServerAggregation, CommandsThatTheDebugServerDoesNotAnswerAreTheCarriedServers)
{
    CComQIPtr<IOleCommandTarget> commands(debugServer_.p);
    ASSERT_NE(commands, nullptr);
    OLECMD status = {7, 0};
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(commands->QueryStatus(&CLSID_QelTestCarried, 1, &status, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands->Exec(&CLSID_QelTestCarried, 2, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands->Exec(&CGID_QelHostCommands, 200, 0, nullptr, &out), OLECMDERR_E_NOTSUPPORTED);

    ASSERT_EQ(host_->CreateSymbolServer(CLSID_QelTestCarried), S_OK);
    g_carriedCommands.clear();
    EXPECT_EQ(commands->QueryStatus(&CLSID_QelTestCarried, 1, &status, nullptr), S_OK);
    EXPECT_EQ(status.cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    EXPECT_EQ(commands->Exec(&CLSID_QelTestCarried, 2, 0, nullptr, &out), S_OK);
    EXPECT_EQ(out.ulVal, 2u);
    // The host's command group is shared: its commands other than the target-access one
    // are the carried server's too.
    EXPECT_EQ(commands->Exec(&CGID_QelHostCommands, 200, 0, nullptr, &out), S_OK);
    EXPECT_EQ(commands->Exec(&CGID_QelHostCommands, QEL_HOSTCMD_TARGET_ACCESS, 0, nullptr, &out), S_OK);
    EXPECT_EQ(out.vt, VT_UNKNOWN);
    VariantClear(&out);
    EXPECT_EQ(g_carriedCommands, (std::vector<DWORD>{2, 200}));
    EXPECT_EQ(host_->Commands()->Commands().size(), 5u);
}

TEST_F(DebugServerAggregation, TheCarriedServersPointsStandBesideTheTargetsInTheContainer)
{
    CComQIPtr<IConnectionPointContainer> container(debugServer_.p);
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(host_->CreateSymbolServer(CLSID_QelTestCarried), S_OK);
    for (const IID *events : {&DIID__SymProcEvents, &DIID__TargetStateEvents, &DIID__QelTargetPatternEvents}) {
        CComPtr<IConnectionPoint> point;
        EXPECT_EQ(container->FindConnectionPoint(*events, &point), S_OK);
        IID iid = IID_NULL;
        ASSERT_NE(point, nullptr);
        point->GetConnectionInterface(&iid);
        EXPECT_TRUE(IsEqualGUID(iid, *events));
    }
    CComPtr<IConnectionPoint> none;
    EXPECT_EQ(container->FindConnectionPoint(IID_IQelTestCarried, &none), CONNECT_E_NOCONNECTION);
    CComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint *fetched[4] = {};
    ULONG count = 0;
    points->Next(4, fetched, &count);
    EXPECT_EQ(count, 3u);
    for (ULONG i = 0; i < count; ++i)
        fetched[i]->Release();
}

TEST_F(DebugServerAggregation, AClassThatIsNotThereIsReported)
{
    QelUseRegistryFile(nullptr);
    EXPECT_EQ(host_->CreateSymbolServer(CLSID_Missing), REGDB_E_CLASSNOTREG);
}

} // namespace
