// The locals view as the host embeds it: its view-server interface, its registration,
// and the variable code filling its tree through the control.
#include "qellocals.h"
#include "watchtreetest.h"

#include <testing/controlsite.h>
#include <testing/emptyregistry.h>
#include <winhelp.h>

#include <gtest/gtest.h>

namespace {

class CContainer : public CWindowImpl<CContainer> {
public:
    BEGIN_MSG_MAP(CContainer)
    END_MSG_MAP()
};

std::vector<ULONG_PTR> g_helpTopics;

BOOL RecordHelp(HWND, LPCSTR, UINT command, ULONG_PTR data)
{
    g_helpTopics.push_back(command == HELP_CONTEXT ? data : 0);
    return TRUE;
}

class QelLocalsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline_ = QelGetComAllocCounts();
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&symbols_), S_OK);
        symbols_->AddRef();
        ASSERT_EQ(CComObject<CScriptedDebugServer>::CreateInstance(&server_), S_OK);
        server_->AddRef();
        server_->symbols = static_cast<IQelSymbol *>(symbols_);
        site_ = QelMakeTestSite(holdSite_);
        ASSERT_NE(site_, nullptr);
        RECT rect{0, 0, 300, 200};
        ASSERT_NE(container_.Create(nullptr, rect, "container", WS_POPUP | WS_VISIBLE), nullptr);
        site_->window = container_;
        site_->position = rect;
        ASSERT_EQ(CComObject<CQelLocals>::CreateInstance(&locals_), S_OK);
        control_ = static_cast<IOleObject *>(locals_);
        ASSERT_EQ(control_->SetClientSite(site_), S_OK);
        // The host may initialise the view before it shows it.
        ASSERT_EQ(locals_->Init(static_cast<IOleCommandTarget *>(server_), nullptr), S_OK);
        ASSERT_EQ(control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, container_, nullptr), S_OK);
        symbols_->WaitUntilIdle();
        Pump();
    }
    void TearDown() override
    {
        locals_->Cleanup();
        control_->Close(OLECLOSE_NOSAVE);
        control_->SetClientSite(nullptr);
        control_.Release();
        container_.DestroyWindow();
        for (auto &variable : server_->made)
            EXPECT_EQ(variable->m_dwRef, 1) << "only the debug server's list holds the object";
        server_->Release();
        symbols_->Release();
        QelComAllocCounts now = QelGetComAllocCounts();
        EXPECT_EQ(now.bstrs, baseline_.bstrs);
        EXPECT_EQ(now.safeArrays, baseline_.safeArrays);
    }

    QelComAllocCounts baseline_{};
    CComObject<CTestSymbolServer> *symbols_ = nullptr;
    CComObject<CScriptedDebugServer> *server_ = nullptr;
    CComPtr<IOleClientSite> holdSite_;
    CQelTestSite *site_ = nullptr;
    CContainer container_;
    CComObject<CQelLocals> *locals_ = nullptr;
    CComPtr<IOleObject> control_;
};

TEST_F(QelLocalsTest, TheViewNamesItselfAndHandsOutItsDebugServerWithAReference)
{
    CComBSTR name, title, error;
    ASSERT_EQ(locals_->GetVersion(&name), S_OK);
    EXPECT_EQ(std::string(CString(name)), "StdQelLocalsWin");
    ASSERT_EQ(locals_->GetTitle(&title), S_OK);
    EXPECT_EQ(std::string(CString(title)), "Standard QEL Locals Window");
    EXPECT_EQ(locals_->GetErrorInfo(&error), S_FALSE);
    EXPECT_EQ(locals_->GetVersion(nullptr), E_INVALIDARG);
    EXPECT_EQ(locals_->GetDbgServer(nullptr), E_INVALIDARG);
    ULONG before = server_->m_dwRef;
    IUnknown *debugServer = nullptr;
    ASSERT_EQ(locals_->GetDbgServer(&debugServer), S_OK);
    EXPECT_EQ(debugServer, static_cast<IOleCommandTarget *>(server_));
    EXPECT_EQ(server_->m_dwRef, before + 1);
    debugServer->Release();

    QelSetHelpViewer(RecordHelp);
    g_helpTopics.clear();
    EXPECT_EQ(locals_->HelpFunc(0xFFFFFFFFu), S_OK);
    EXPECT_EQ(locals_->HelpFunc(12), S_OK);
    QelSetHelpViewer(nullptr);
    EXPECT_EQ(g_helpTopics, (std::vector<ULONG_PTR>{8, 12}));
}

TEST_F(QelLocalsTest, TheVariableCodeFillsTheTreeThroughTheControl)
{
    CLocalsControl &tree = locals_->Tree();
    ASSERT_TRUE(::IsWindow(tree.m_hWnd));
    EXPECT_EQ(tree.GetDlgCtrlID(), 4711);
    ASSERT_NE(tree.GetEmptyRow(), nullptr) << "the function has no locals yet";
    EXPECT_EQ(server_->refreshWindow, static_cast<LONG>(reinterpret_cast<INT_PTR>(tree.m_hWnd)));
    CComQIPtr<IQelCommonWatch> watch(control_);
    ASSERT_NE(watch, nullptr);
    LONG item = 0;
    ASSERT_EQ(watch->InsertItem(nullptr, 5, 1, nullptr, &item), S_OK);
    EXPECT_NE(tree.ItemOfId(item), nullptr);
    EXPECT_EQ(watch->SetItemText(item + 77), E_INVALIDARG);
    EXPECT_EQ(watch->DeleteItem(item), S_OK);
    EXPECT_EQ(tree.ItemOfId(item), nullptr);

    // The arrow keys stay with the tree.
    MSG key{};
    key.message = WM_KEYDOWN;
    key.wParam = VK_DOWN;
    HRESULT hr = S_OK;
    EXPECT_TRUE(locals_->PreTranslateAccelerator(&key, hr));
    key.wParam = VK_RETURN;
    EXPECT_FALSE(locals_->PreTranslateAccelerator(&key, hr));

    // Cleanup lets the debug server go.
    locals_->Cleanup();
    EXPECT_EQ(server_->refreshWindow, 0);
}

TEST_F(QelLocalsTest, StoredOptionsComeBackInTheNextViewOfTheSameStorage)
{
    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &storage), S_OK);
    IUnknown *debugServer = static_cast<IOleCommandTarget *>(server_);
    ASSERT_EQ(locals_->Init(debugServer, storage), S_OK);
    locals_->Tree().SetOptions(FALSE, TRUE, TRUE);
    EXPECT_EQ(locals_->StoreSettings(), S_OK);
    locals_->Cleanup();
    locals_->Tree().SetOptions(FALSE, FALSE, FALSE);
    ASSERT_EQ(locals_->Init(debugServer, storage), S_OK);
    EXPECT_FALSE(locals_->Tree().GetHexadecimal());
    EXPECT_TRUE(locals_->Tree().GetAscii());
    EXPECT_TRUE(locals_->Tree().GetExponential());
    symbols_->WaitUntilIdle();
    Pump();
}

// The default value of a key; "<none>" when the key is not there.
std::string DefaultValue(LPCSTR path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<none>";
    char value[256] = "";
    DWORD size = sizeof value;
    LONG result = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? value : "<none>";
}

BEGIN_OBJECT_MAP(LocalsMap)
    OBJECT_ENTRY(CLSID_QelLocals, CQelLocals)
END_OBJECT_MAP()

class LocalsRegistration : public EmptyRegistry {
protected:
    void SetUp() override
    {
        EmptyRegistry::SetUp();
        ASSERT_EQ(module_.Init(LocalsMap, AfxGetInstanceHandle()), S_OK);
    }
    void TearDown() override
    {
        module_.Term();
        EmptyRegistry::TearDown();
    }
    CComModule module_;
};

TEST_F(LocalsRegistration, RegisteringWritesTheLocalsViewServerKeysAndUnregisteringTakesThem)
{
    const char view[] = "Software\\Tosk\\Qelvane\\Version3\\View Server\\StdQelLocalsWin";
    const char listed[] = "Software\\Tosk\\Qelvane\\Version3\\View Server\\{EF0E9413-D9B2-11D1-BC34-006097125629}\\"
                          "{72611522-B1A9-11D3-BFA2-006097125629}";
    ASSERT_EQ(module_.RegisterServer(FALSE), S_OK);
    EXPECT_EQ(DefaultValue(view), "{72611522-B1A9-11D3-BFA2-006097125629}");
    EXPECT_EQ(DefaultValue(listed), "StdQelLocalsWin");
    ASSERT_EQ(module_.UnregisterServer(), S_OK);
    EXPECT_EQ(DefaultValue(view), "<none>");
    EXPECT_EQ(DefaultValue(listed), "<none>");
}

} // namespace
