// View-server items opening, showing and closing views through the host stand-in's
// frame.
#include "htmlviewsrvitemobj.h"
#include "viewsrvscriptregentry.h"
#include "viewsrvtesting.h"

#include <hostframe.h>
#include <hostowner.h>
#include <hostreports.h>

#include "testing/comobjectbalance.h"
#include "testing/stgtesting.h"

namespace {

using namespace ViewSrvTesting;
using QelHost::CHostFrame;
using QelHost::CHostOwner;
using QelHost::CHostView;

constexpr DWORD kCookie = 77;

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

class ViewServerItem : public EmptyRegistry {
protected:
    void SetUp() override
    {
        EmptyRegistry::SetUp();
        frame_ = Make<CHostFrame>();
        owner_ = Make<CHostOwner>();
        ASSERT_EQ(frame_->RegisterCommand(kCookie, 70, Owner(), nullptr, CComBSTR("StdQelWatchWin")), S_OK);
    }
    void TearDown() override
    {
        owner_.Release();
        frame_.Release();
        EmptyRegistry::TearDown();
    }

    IUnknown *Owner() { return static_cast<IQelServerState *>(owner_); }

    // An item of the view server "StdQelWatchWin", registered with the frame.
    void Prepare(CViewSrvItemObj &item, DWORD multiInst = 1)
    {
        WriteViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}", 3, multiInst);
        ASSERT_TRUE(item.ReadRegistration("StdQelWatchWin", nullptr));
        item.SetRegistration(kCookie, static_cast<IQelHostFrame *>(frame_), Owner(), nullptr);
    }

    std::vector<CHostView *> Views() { return frame_->Views(kCookie); }

    CComPtr<CHostFrame> frame_;
    CComPtr<CHostOwner> owner_;
};

TEST_F(ViewServerItem, ReadsItsRegistration)
{
    WriteViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}", 3, 0);
    CViewSrvItemObj item;
    ASSERT_TRUE(item.ReadRegistration("StdQelWatchWin", nullptr));
    const GUID expected = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0x70}};
    EXPECT_TRUE(IsEqualGUID(item.GetClsid(), expected));
    EXPECT_EQ(item.GetViewCat(), 3u);
    EXPECT_EQ(item.GetMultiInst(), 0u);
    EXPECT_EQ(item.GetViewServerId(), 0xFFFFFFFFu);
}

TEST_F(ViewServerItem, TakesTheClsidOfItsBaseViewServer)
{
    WriteViewServer("StdHTMLView", "{00000000-0000-0000-0000-0000000000AA}");
    SetDword(ViewServerPath("Script"), "MultiInst", 1);
    CViewSrvItemObj item;
    ASSERT_TRUE(item.ReadRegistration("Script", "StdHTMLView"));
    const GUID expected = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0xAA}};
    EXPECT_TRUE(IsEqualGUID(item.GetClsid(), expected));
    EXPECT_EQ(item.GetViewCat(), 0u); // not present: 0
}

TEST_F(ViewServerItem, RefusesARegistrationWithoutClsidOrMultiInst)
{
    SetDword(ViewServerPath("NoClsid"), "MultiInst", 1);
    SetText(ViewServerPath("NoMultiInst"), nullptr, "{00000000-0000-0000-0000-000000000001}");
    CViewSrvItemObj item;
    EXPECT_FALSE(item.ReadRegistration("NoClsid", nullptr));
    EXPECT_FALSE(item.ReadRegistration("NoMultiInst", nullptr));
    EXPECT_FALSE(item.ReadRegistration("", nullptr));
    EXPECT_FALSE(item.ReadRegistration("Unknown", nullptr));
}

TEST_F(ViewServerItem, OpensAFileInANewViewAndActivatesItsViewLater)
{
    CViewSrvItemObj item;
    Prepare(item);
    ASSERT_EQ(item.CreateInstance("/src/main.c"), S_OK);
    ASSERT_EQ(Views().size(), 1u);
    CHostView *view = Views()[0];
    ASSERT_EQ(view->Commands().size(), 1u);
    const auto &open = view->Commands()[0];
    EXPECT_TRUE(IsEqualGUID(open.group, GUID_NULL));
    EXPECT_EQ(open.id, 1u);
    ASSERT_EQ(open.arguments.size(), 1u);
    EXPECT_EQ(QelHost::AnsiText(open.arguments[0].bstrVal), "/src/main.c");
    ASSERT_EQ(item.GetInstances().GetCount(), 1);
    EXPECT_EQ(item.GetInstances().GetHead()->GetSourceFile(), "/src/main.c");
    EXPECT_EQ(view->SourceFile(), "/src/main.c");

    // The same file (blind to case) shows that view again and opens nothing.
    ASSERT_EQ(item.CreateInstance("/SRC/Main.C"), S_OK);
    EXPECT_EQ(Views().size(), 1u);
    EXPECT_EQ(view->Commands().size(), 1u);
    ASSERT_EQ(frame_->ViewRequests().size(), 2u);
    EXPECT_EQ(frame_->ViewRequests()[1].view, item.GetFirstView());

    // Another file gets a view of its own.
    ASSERT_EQ(item.CreateInstance("/src/util.c"), S_OK);
    EXPECT_EQ(Views().size(), 2u);
    EXPECT_EQ(item.FindViewBySourceFile("/src/util.c"), static_cast<IUnknown *>(Views()[1]));
}

TEST_F(ViewServerItem, WithoutFileOnlyShowsAView)
{
    CViewSrvItemObj item;
    Prepare(item);
    ASSERT_EQ(item.CreateInstance(nullptr), S_OK);
    ASSERT_EQ(Views().size(), 1u);
    EXPECT_TRUE(Views()[0]->Commands().empty());
    EXPECT_EQ(item.GetInstances().GetCount(), 1);
    EXPECT_EQ(item.GetInstances().GetHead()->GetSourceFile(), "");
}

TEST_F(ViewServerItem, OfOneViewAtATimeShowsThatView)
{
    CViewSrvItemObj item;
    Prepare(item, 0);
    ASSERT_EQ(item.CreateInstance("/src/a.c"), S_OK);
    CViewSrvInstObj *instance = nullptr;
    ASSERT_EQ(item.OpenView(&instance), S_OK);
    EXPECT_EQ(Views().size(), 1u);
    EXPECT_EQ(item.GetInstances().GetCount(), 1);
    EXPECT_EQ(instance, item.GetInstances().GetHead());
}

TEST_F(ViewServerItem, KeepsTheFileUnsetWhenTheViewRefusesIt)
{
    CViewSrvItemObj item;
    Prepare(item, 0);
    ASSERT_EQ(item.CreateInstance(nullptr), S_OK);
    Views()[0]->SetOpenResult(E_ACCESSDENIED);
    // One view at a time: the file goes to the view that is open, which refuses it.
    EXPECT_EQ(item.CreateInstance("/src/b.c"), E_ACCESSDENIED);
    EXPECT_EQ(Views().size(), 1u);
    EXPECT_EQ(item.GetInstances().GetHead()->GetSourceFile(), "");
    EXPECT_EQ(item.FindInstanceBySourceFile("/src/b.c"), nullptr);
}

TEST_F(ViewServerItem, ClosesViewsOnlyWhenTheFrameReportsThemClosed)
{
    CViewSrvItemObj item;
    Prepare(item);
    ASSERT_EQ(item.CreateInstance("/src/a.c"), S_OK);
    ASSERT_EQ(item.CreateInstance("/src/b.c"), S_OK);
    EXPECT_EQ(item.CloseAll(), E_FAIL);
    int closes = 0;
    for (const auto &request : frame_->ViewRequests())
        closes += request.slot == 10;
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(item.RemoveInstance(item.FindViewBySourceFile("/src/a.c")), S_OK);
    EXPECT_EQ(item.RemoveInstance(item.FindViewBySourceFile("/src/b.c")), S_OK);
    EXPECT_EQ(item.RemoveInstance(static_cast<IQelServerState *>(owner_)), E_INVALIDARG);
    EXPECT_EQ(item.CloseAll(), S_OK);
}

TEST_F(ViewServerItem, TellsTheActiveViewAndItsFile)
{
    CViewSrvItemObj item;
    Prepare(item);
    ASSERT_EQ(item.CreateInstance("/src/a.c"), S_OK);
    ASSERT_EQ(item.CreateInstance("/src/b.c"), S_OK);
    EXPECT_TRUE(item.ActivateBySourceFile("/src/a.c"));
    EXPECT_FALSE(item.ActivateBySourceFile("/src/none.c"));
    IUnknown *active = nullptr;
    CString file;
    ASSERT_EQ(item.GetActiveView(&active, file), S_OK);
    EXPECT_EQ(active, item.FindViewBySourceFile("/src/a.c"));
    EXPECT_EQ(file, "/src/a.c");
    active->Release();
    EXPECT_TRUE(item.SetSourceFileOf(item.FindViewBySourceFile("/src/a.c"), "/src/c.c"));
    EXPECT_EQ(item.FindInstanceBySourceFile("/src/a.c"), nullptr);
    EXPECT_NE(item.FindInstanceBySourceFile("/src/c.c"), nullptr);
}

TEST_F(ViewServerItem, WithoutFrameAnswersNoInterface)
{
    WriteViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}");
    CViewSrvItemObj item;
    ASSERT_TRUE(item.ReadRegistration("StdQelWatchWin", nullptr));
    EXPECT_EQ(item.CreateInstance("/src/a.c"), E_NOINTERFACE);
    EXPECT_EQ(item.CloseView(nullptr), E_NOINTERFACE);
    IUnknown *view = nullptr;
    CString file;
    EXPECT_EQ(item.GetActiveView(&view, file), E_NOINTERFACE);
    EXPECT_EQ(item.GetInstances().GetCount(), 0);
}

TEST_F(ViewServerItem, OfHtmlOpensEveryFileInANewView)
{
    CHTMLViewSrvItemObj item;
    Prepare(item);
    ASSERT_EQ(item.CreateInstance("/doc/a.html"), S_OK);
    ASSERT_EQ(item.CreateInstance("/doc/a.html"), S_OK);
    ASSERT_EQ(Views().size(), 2u);
    for (CHostView *view : Views()) {
        ASSERT_EQ(view->Commands().size(), 1u);
        EXPECT_TRUE(IsEqualGUID(view->Commands()[0].group, CGID_QelHTMLView));
        EXPECT_EQ(view->Commands()[0].id, 1u);
    }
}

TEST_F(ViewServerItem, OfScriptsOpensTheDocumentOfItsDefaultPageOnce)
{
    CDerivedHTMLViewSrvItemObj item;
    Prepare(item);
    ASSERT_TRUE(CViewSrvScriptRegEntry("StdQelWatchWin").WriteValue(nullptr, "/doc/start.html"));
    ASSERT_EQ(item.CreateInstance(nullptr), S_OK);
    ASSERT_EQ(owner_->RequestedFiles(), std::vector<std::string>{"/doc/start.html"});
    ASSERT_EQ(Views().size(), 1u);
    const auto &open = Views()[0]->Commands();
    ASSERT_EQ(open.size(), 1u);
    ASSERT_EQ(open[0].arguments.size(), 1u);
    ASSERT_EQ(open[0].arguments[0].vt, VT_UNKNOWN);
    EXPECT_EQ(open[0].arguments[0].punkVal, owner_->Documents()[0]);
    EXPECT_EQ(item.GetInstances().GetHead()->GetSourceFile(), "/doc/start.html");

    EXPECT_EQ(item.CreateInstance("/DOC/start.html"), S_OK);
    EXPECT_EQ(Views().size(), 1u);
    EXPECT_EQ(owner_->RequestedFiles().size(), 1u);
}

TEST_F(ViewServerItem, OfScriptsFailsWithoutAnOwnerThatMakesDocuments)
{
    CDerivedHTMLViewSrvItemObj item;
    WriteViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}");
    ASSERT_TRUE(item.ReadRegistration("StdQelWatchWin", nullptr));
    CComPtr<CHostFrame> other = Make<CHostFrame>();
    ASSERT_EQ(other->RegisterCommand(kCookie, 70, nullptr, nullptr, CComBSTR("StdQelWatchWin")), S_OK);
    // A frame without a debug-server object has nobody to pass the document command to.
    item.SetRegistration(kCookie, static_cast<IQelHostFrame *>(other), static_cast<IQelHostFrame *>(other), nullptr);
    EXPECT_EQ(item.CreateInstance("/doc/a.html"), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(item.FindInstanceBySourceFile("/doc/a.html"), nullptr);
}

class ViewServerInstance : public ComObjectBalance {};

TEST_F(ViewServerInstance, RestoredFromItsStorageShowsItsFileAgain)
{
    CComPtr<IStorage> storage;
    storage.Attach(NewMemoryStorage());
    {
        CViewSrvInstObj first(nullptr, "/src/main.c", storage);
        first.SetSourceFile("/src/main.c");
    }
    CViewSrvInstObj restored(nullptr, "", storage);
    EXPECT_EQ(restored.GetSourceFile(), "/src/main.c");
    EXPECT_EQ(restored.ExecCommand(nullptr, 1, nullptr, nullptr), E_NOINTERFACE);
    CViewSrvInstObj bare(nullptr, "", nullptr);
    bare.SetSourceFile("/src/x.c");
    EXPECT_EQ(bare.GetSourceFile(), "/src/x.c");
}

} // namespace
