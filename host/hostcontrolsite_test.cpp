// A view server whose registry key names a class that can be made gets that control as
// its view, embedded in a host window: initialised, moved with its window, asked to store
// its settings before the views are kept and let go as the host lets a view go.
#include "hostframe.h"

#include <qelviewsrv.h>
#include <viewsrvregistry.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using QelHost::CHostControlSite;
using QelHost::CHostFrame;

const CLSID CLSID_TestViewControl = {0x5A3B7C11, 0x1D2E, 0x4F30, {0x9A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71}};
const char kViewServer[] = "TestControlWin";
constexpr DWORD kCookie = 7;

std::vector<std::string> g_calls; // what every test control was asked, in order

class CTestViewControl : public CComObjectRootEx<CComSingleThreadModel>,
                         public CComCoClass<CTestViewControl, &CLSID_TestViewControl>,
                         public CComControl<CTestViewControl>,
                         public IOleObjectImpl<CTestViewControl>,
                         public IOleInPlaceObjectWindowlessImpl<CTestViewControl>,
                         public IQelViewSrv {
public:
    BEGIN_COM_MAP(CTestViewControl)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IQelViewSrv)
    END_COM_MAP()
    BEGIN_MSG_MAP(CTestViewControl)
        CHAIN_MSG_MAP(CComControl<CTestViewControl>)
    END_MSG_MAP()
    DECLARE_NO_REGISTRY()

    HRESULT IOleInPlaceObject_SetObjectRects(LPCRECT prcPos, LPCRECT prcClip)
    {
        g_calls.push_back("SetObjectRects " + std::to_string(prcPos->right - prcPos->left) + "x" +
                          std::to_string(prcPos->bottom - prcPos->top));
        return CComControlBase::IOleInPlaceObject_SetObjectRects(prcPos, prcClip);
    }
    HRESULT IOleInPlaceObject_InPlaceDeactivate()
    {
        g_calls.push_back("InPlaceDeactivate");
        return CComControlBase::IOleInPlaceObject_InPlaceDeactivate();
    }
    HRESULT IOleObject_Close(DWORD option)
    {
        g_calls.push_back("Close");
        return CComControlBase::IOleObject_Close(option);
    }

    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetVersion(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetErrorInfo(BSTR *) override { return S_FALSE; }
    STDMETHODIMP Init(IUnknown *server, IUnknown *storage) override
    {
        g_calls.push_back(std::string("Init ") + (server != nullptr ? "server" : "none") + " " +
                          (storage != nullptr ? "storage" : "none"));
        return S_OK;
    }
    STDMETHODIMP Cleanup() override
    {
        g_calls.push_back("Cleanup");
        return S_OK;
    }
    STDMETHODIMP GetTitle(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP StoreSettings() override
    {
        g_calls.push_back("StoreSettings");
        return S_OK;
    }
    STDMETHODIMP GetDbgServer(IUnknown **) override { return E_NOTIMPL; }
    STDMETHODIMP HelpFunc(UINT) override { return E_NOTIMPL; }
};

class HostControlViews : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(QEL_VIEWSERVER_KEY "\\") + kViewServer).c_str(), 0,
                                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const char clsid[] = "{5A3B7C11-1D2E-4F30-9A1B-2C3D4E5F6071}";
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(clsid), sizeof clsid);
        RegCloseKey(key);
        CComPtr<IClassFactory> factory;
        ASSERT_EQ(CTestViewControl::_ClassFactoryCreatorClass::CreateInstance(
                      reinterpret_cast<void *>(&CTestViewControl::_CreatorClass::CreateInstance), IID_IClassFactory,
                      reinterpret_cast<void **>(&factory)),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(CLSID_TestViewControl, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &classCookie),
                  S_OK);
        ASSERT_EQ(CComObject<CHostFrame>::CreateInstance(&frame), S_OK);
        holdFrame = static_cast<IQelHostFrame *>(frame);
        ASSERT_EQ(frame->RegisterCommand(kCookie, 30, nullptr, nullptr, CComBSTR(kViewServer)), S_OK);
    }
    void TearDown() override
    {
        holdFrame.Release();
        CoRevokeClassObject(classCookie);
        QelUseRegistryFile(nullptr);
    }

    DWORD classCookie = 0;
    CComObject<CHostFrame> *frame = nullptr;
    CComPtr<IQelHostFrame> holdFrame;
};

TEST_F(HostControlViews, TheControlLivesInAHostWindowFromItsInitToItsClose)
{
    CComPtr<IUnknown> view;
    CComPtr<IStorage> storage;
    ASSERT_EQ(frame->ShowView(kCookie, nullptr, &view, &storage), S_OK);
    EXPECT_TRUE(frame->Views(kCookie).empty()) << "no double was made";
    std::vector<CHostControlSite *> sites = frame->ControlViews(kViewServer);
    ASSERT_EQ(sites.size(), 1u);
    CHostControlSite *site = sites[0];
    EXPECT_EQ(site->Control(), view.p);
    EXPECT_EQ(g_calls, std::vector<std::string>{"Init none storage"});

    // The control window fills the host window, and follows it.
    CComQIPtr<IOleWindow> window(view);
    HWND control = nullptr;
    ASSERT_EQ(window->GetWindow(&control), S_OK);
    EXPECT_EQ(GetParent(control), site->Window());
    site->Resize(120, 90);
    EXPECT_EQ(g_calls.back(), "SetObjectRects 120x90");
    RECT client{};
    GetClientRect(control, &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 90);

    // What the control asks of its in-place frame is recorded there.
    CComQIPtr<IOleObject> object(view);
    CComPtr<IOleClientSite> clientSite;
    object->GetClientSite(&clientSite);
    CComQIPtr<IOleInPlaceSite> inPlaceSite(clientSite);
    ASSERT_NE(inPlaceSite, nullptr);
    CComPtr<IOleInPlaceFrame> inPlaceFrame;
    CComPtr<IOleInPlaceUIWindow> document;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(inPlaceSite->GetWindowContext(&inPlaceFrame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(position.right, 120);
    CComQIPtr<IOleCommandTarget> target(inPlaceFrame);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->Exec(nullptr, 40, 0, nullptr, nullptr), S_OK);
    ASSERT_EQ(site->Execs().size(), 1u);
    EXPECT_EQ(site->Execs()[0].id, 40u);
    EXPECT_TRUE(IsEqualGUID(site->Execs()[0].group, GUID_NULL));
    target.Release();
    inPlaceFrame.Release();
    inPlaceSite.Release();
    clientSite.Release();

    // Its settings are stored before the views are kept; it goes as a host lets a view go.
    CComPtr<IStorage> workspace;
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &workspace), S_OK);
    g_calls.clear();
    EXPECT_EQ(frame->SaveViews(workspace), S_OK);
    EXPECT_EQ(g_calls, std::vector<std::string>{"StoreSettings"});
    g_calls.clear();
    HWND host = site->Window();
    window.Release();
    object.Release();
    ASSERT_EQ(frame->CloseView(kCookie, view), S_OK);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"Cleanup", "InPlaceDeactivate", "Close"}));
    EXPECT_FALSE(IsWindow(control));
    EXPECT_FALSE(IsWindow(host));
    EXPECT_TRUE(frame->ControlViews(kViewServer).empty());
}

TEST_F(HostControlViews, AViewServerKeptAsADoubleGetsTheFactorysView)
{
    frame->KeepDouble(kViewServer);
    CComPtr<IUnknown> view;
    CComPtr<IStorage> storage;
    ASSERT_EQ(frame->ShowView(kCookie, nullptr, &view, &storage), S_OK);
    EXPECT_EQ(frame->Views(kCookie).size(), 1u);
    EXPECT_TRUE(frame->ControlViews(kViewServer).empty());
    EXPECT_TRUE(g_calls.empty());
}

} // namespace
