#include "hostframe.h"
#include "hostprogwinview.h"

#include <qelsymbol.h>
#include <storagewrapper.h>
#include <variantarray.h>

#include "testing/comallocbalance.h"
#include "testing/stgtesting.h"

#include <gtest/gtest.h>

namespace {

using QelHost::CHostFrame;
using QelHost::CHostView;

constexpr DWORD kProgWin = 3, kWatch = 5;

// A handler that cannot take over a view handed back: it asks the frame for a new view.
class CViewTaker : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CViewTaker)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    CHostFrame *frame = nullptr; // not held: the frame holds this object
    std::vector<std::pair<CComPtr<IUnknown>, CComPtr<IUnknown>>> taken; // the view given, the view shown

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *) override
    {
        CVariantArray arguments(in, FALSE);
        if (!group || !IsEqualGUID(*group, CLSID_QelSymbol) || id != 10 || arguments.GetSize() != 2 ||
            arguments[1].GetValue().vt != VT_UI4 || arguments.GetUI4(1) != 1)
            return E_INVALIDARG;
        CComPtr<IUnknown> shown;
        CComPtr<IStorage> storage;
        frame->ShowView(kProgWin, nullptr, &shown, &storage);
        taken.emplace_back(arguments.GetUnknown(0), shown);
        return S_OK;
    }
};

// A handler that keeps each view it is told of with its code, and that may close another
// view while it is told.
class CViewListener : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CViewListener)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    CHostFrame *frame = nullptr; // not held: the frame holds this object
    CComPtr<IUnknown> closeWhenTold;
    std::vector<std::pair<CComPtr<IUnknown>, DWORD>> told;

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *, DWORD, DWORD, VARIANT *in, VARIANT *) override
    {
        CVariantArray arguments(in, FALSE);
        told.emplace_back(arguments.GetUnknown(0), arguments.GetUI4(1));
        if (CComPtr<IUnknown> other = closeWhenTold) {
            closeWhenTold.Release();
            EXPECT_EQ(frame->CloseView(kProgWin, other), S_OK);
        }
        return S_OK;
    }
};

CComPtr<CHostFrame> NewFrame()
{
    CComObject<CHostFrame> *frame = nullptr;
    EXPECT_EQ(CComObject<CHostFrame>::CreateInstance(&frame), S_OK);
    CComPtr<CHostFrame> held(frame);
    frame->SetViewFactory("StdQelProgWin", QelHost::ProgWinViewFactory());
    EXPECT_EQ(frame->RegisterCommand(kProgWin, 10, nullptr, &CLSID_QelSymbol, CComBSTR("StdQelProgWin")), S_OK);
    return held;
}

void OpenView(CHostFrame *frame, DWORD cookie, const char *file)
{
    CComPtr<IUnknown> view;
    CComPtr<IStorage> storage;
    ASSERT_EQ(frame->ShowView(cookie, nullptr, &view, &storage), S_OK);
    CComVariant name(file);
    EXPECT_EQ(CComQIPtr<IOleCommandTarget>(view)->Exec(nullptr, 1, 0, &name, nullptr), S_OK);
}

class FrameViewsTest : public ComAllocBalance {};

TEST_F(FrameViewsTest, HandsTheViewsKeptInTheWorkspaceBackAndPassesOverDamagedRecords)
{
    CComPtr<IStorage> workspace, records;
    workspace.Attach(NewMemoryStorage());
    {
        CComPtr<CHostFrame> frame = NewFrame();
        ASSERT_EQ(frame->RegisterCommand(kWatch, 70, nullptr, &CLSID_QelSymbol, CComBSTR("StdQelWatchWin")), S_OK);
        OpenView(frame, kProgWin, "/src/main.c");
        OpenView(frame, kWatch, "watch");
        OpenView(frame, kProgWin, "/src/thumb.c");
        ASSERT_EQ(frame->SaveViews(workspace), S_OK);
    }
    ASSERT_EQ(workspace->OpenStorage(u"HostViews", nullptr, kStgOpenRW, nullptr, 0, &records), S_OK);
    EXPECT_EQ(ElementNames(records), (std::vector<std::u16string>{u"dView1", u"dView2", u"dView3"}));
    // Records that are no storage, hold no name or only half a character of one, name an
    // unknown view server or have no storage of the view.
    auto add = [&](const char16_t *name, const char *bytes, size_t size, bool withStorage) {
        CComPtr<IStorage> record, storage;
        ASSERT_EQ(records->CreateStorage(name, kStgCreate, 0, 0, &record), S_OK);
        WriteStream(record, u"ViewServer", std::string(bytes, size));
        if (withStorage) {
            EXPECT_EQ(record->CreateStorage(u"Storage", kStgCreate, 0, 0, &storage), S_OK);
        }
    };
    WriteStream(records, u"View4", "StdQelProgWin");
    add(u"View5", "", 0, true);
    add(u"View6", "S\0t", 3, true);
    add(u"View7", "S\0t\0d\0X\0\0", 10, true);
    add(u"View8", "S\0t\0d\0Q\0e\0l\0P\0r\0o\0g\0W\0i\0n\0\0", 28, false);
    records.Release();

    EXPECT_EQ(NewFrame()->ReopenViews(workspace), 0u) << "no debug-server object to hand them to";
    CComObject<CViewTaker> *taker = nullptr;
    ASSERT_EQ(CComObject<CViewTaker>::CreateInstance(&taker), S_OK);
    CComPtr<CHostFrame> frame = NewFrame();
    taker->frame = frame;
    frame->SetDebugServer(taker->GetUnknown());
    // The watch window's view server is not registered this time: its view stays away.
    EXPECT_EQ(frame->ReopenViews(workspace), 2u);
    std::vector<CHostView *> views = frame->Views(kProgWin);
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0]->SourceFile(), "/src/main.c");
    EXPECT_EQ(views[1]->SourceFile(), "/src/thumb.c");
    EXPECT_NE(dynamic_cast<QelHost::CHostProgWinView *>(views[0]), nullptr) << "made by the view server's factory";
    ASSERT_EQ(taker->taken.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(taker->taken[i].first.IsEqualObject(views[i]->GetUnknown()));
        EXPECT_TRUE(taker->taken[i].second.IsEqualObject(views[i]->GetUnknown())) << "a new view is the one handed back";
    }

    ASSERT_EQ(workspace->DestroyElement(u"HostViews"), S_OK);
    WriteStream(workspace, u"HostViews", "View1");
    EXPECT_EQ(frame->ReopenViews(workspace), 0u);
    EXPECT_EQ(frame->SaveViews(nullptr), E_POINTER);
}

TEST_F(FrameViewsTest, AClosedViewIsNoLongerListedActiveOrKeptAndItsHandlerIsTold)
{
    CComObject<CViewListener> *listener = nullptr;
    ASSERT_EQ(CComObject<CViewListener>::CreateInstance(&listener), S_OK);
    CComPtr<CHostFrame> frame = NewFrame();
    listener->frame = frame;
    frame->SetDebugServer(listener->GetUnknown());
    OpenView(frame, kProgWin, "/src/main.c");
    OpenView(frame, kProgWin, "/src/thumb.c");
    OpenView(frame, kProgWin, "/src/startup.s");
    std::vector<CComPtr<IUnknown>> views;
    for (CHostView *view : frame->Views(kProgWin))
        views.emplace_back(view->GetUnknown());
    ASSERT_EQ(views.size(), 3u);

    // The active view closes, and its handler closes another one while it is told.
    listener->closeWhenTold = views[0];
    EXPECT_EQ(frame->CloseView(kProgWin, views[2]), S_OK);
    ASSERT_EQ(listener->told.size(), 2u);
    EXPECT_TRUE(listener->told[0].first.IsEqualObject(views[2]));
    EXPECT_TRUE(listener->told[1].first.IsEqualObject(views[0]));
    EXPECT_EQ(listener->told[0].second, 16u);
    EXPECT_EQ(listener->told[1].second, 16u);
    std::vector<CHostView *> open = frame->Views(kProgWin);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0]->SourceFile(), "/src/thumb.c");
    CComPtr<IUnknown> active;
    EXPECT_EQ(frame->GetActiveView(kProgWin, &active), S_OK);
    EXPECT_TRUE(active.IsEqualObject(views[1]));
    EXPECT_EQ(frame->CloseView(kProgWin, views[2]), E_INVALIDARG) << "closed already";

    CComPtr<IStorage> workspace, records;
    workspace.Attach(NewMemoryStorage());
    ASSERT_EQ(frame->SaveViews(workspace), S_OK);
    ASSERT_EQ(workspace->OpenStorage(u"HostViews", nullptr, kStgOpenRW, nullptr, 0, &records), S_OK);
    EXPECT_EQ(ElementNames(records), (std::vector<std::u16string>{u"dView1"}));

    EXPECT_EQ(frame->CloseView(kProgWin, views[1]), S_OK);
    active.Release();
    EXPECT_EQ(frame->GetActiveView(kProgWin, &active), S_OK);
    EXPECT_EQ(active, nullptr);
    frame->SetDebugServer(nullptr);
}

} // namespace
