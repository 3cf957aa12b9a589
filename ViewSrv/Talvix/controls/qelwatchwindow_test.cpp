// The watch view as the host embeds it: its view-server interface and IQelWatch handed to
// its tree.
#include "qelwatchwindow.h"
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

class QelWatchTest : public ::testing::Test {
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
        ASSERT_EQ(CComObject<CQelWatch>::CreateInstance(&watch_), S_OK);
        control_ = static_cast<IOleObject *>(watch_);
        ASSERT_EQ(control_->SetClientSite(site_), S_OK);
        // The host may initialise the view before it shows it.
        ASSERT_EQ(watch_->Init(static_cast<IOleCommandTarget *>(server_), nullptr), S_OK);
        ASSERT_EQ(control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, container_, nullptr), S_OK);
        symbols_->WaitUntilIdle();
        Pump();
    }
    void TearDown() override
    {
        watch_->Cleanup();
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
    CComObject<CQelWatch> *watch_ = nullptr;
    CComPtr<IOleObject> control_;
};

TEST_F(QelWatchTest, TheViewNamesItselfAndHandsIQelWatchToItsTree)
{
    CComBSTR name, title;
    ASSERT_EQ(watch_->GetVersion(&name), S_OK);
    EXPECT_EQ(std::string(CString(name)), "StdQelWatchWin");
    ASSERT_EQ(watch_->GetTitle(&title), S_OK);
    EXPECT_EQ(std::string(CString(title)), "Standard QEL Watch Window");
    QelSetHelpViewer(RecordHelp);
    g_helpTopics.clear();
    EXPECT_EQ(watch_->HelpFunc(0xFFFFFFFFu), S_OK);
    QelSetHelpViewer(nullptr);
    EXPECT_EQ(g_helpTopics, (std::vector<ULONG_PTR>{5}));

    CComQIPtr<IQelWatch> watch(control_);
    ASSERT_NE(watch, nullptr);
    CComVariant names(static_cast<LONG>(7)), ids(static_cast<LONG>(8));
    EXPECT_EQ(watch->Watches(&names, &ids), S_FALSE);
    EXPECT_EQ(V_I4(&names), 7);
    EXPECT_EQ(V_I4(&ids), 8) << "the outputs stay as they were";
    EXPECT_EQ(watch->AddWatch(CComBSTR("?(1+2)"), nullptr), E_INVALIDARG);
    LONG id = 0;
    ASSERT_EQ(watch->AddWatch(CComBSTR("?(1+2)"), &id), S_OK);
    EXPECT_NE(watch_->Tree().ItemOfId(id), nullptr);
    LONG again = 5;
    EXPECT_EQ(watch->AddWatch(CComBSTR("?(1+2)"), &again), S_OK);
    EXPECT_EQ(again, 0) << "a text already shown";
    EXPECT_EQ(watch->AddWatchSymbol(0, &again), S_OK);
    EXPECT_EQ(watch->NewOrder(CComVariant(static_cast<LONG>(3))), S_FALSE) << "no array of ids";
    EXPECT_EQ(watch->ChangeWatch(CComBSTR("?(3)"), 999), S_OK);
    EXPECT_EQ(watch->VarEdChanged(), S_OK);
    watch_->Cleanup();
    EXPECT_EQ(server_->refreshWindow, 0);
}

} // namespace
