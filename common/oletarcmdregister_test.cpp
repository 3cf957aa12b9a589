// Handlers connected to the host stand-in's frame: what they register, at which level,
// and the view servers whose views they open.
#include "oletarcmdtesting.h"
#include "viewsrvscriptregentry.h"

#include <hostframe.h>
#include <hostowner.h>
#include <hostreports.h>

#include "testing/comobjectbalance.h"
#include "testing/stgtesting.h"

#include <set>

namespace {

using namespace OleTarCmdTesting;
using namespace ViewSrvTesting;
using QelHost::CHostFrame;
using QelHost::CHostOwner;

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

class HandlerRegistration : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
        frame_ = Make<CHostFrame>();
        owner_ = Make<CHostOwner>();
        storage_.Attach(NewMemoryStorage());
        settings_ = std::make_unique<CStorage>(storage_);
    }
    void TearDown() override
    {
        settings_.reset();
        storage_.Release();
        owner_.Release();
        frame_.Release();
        QelUseRegistryFile(nullptr);
        ComObjectBalance::TearDown();
    }

    IUnknown *Frame() { return static_cast<IQelHostFrame *>(frame_); }
    IUnknown *Owner() { return static_cast<IQelServerState *>(owner_); }

    const QelHost::FrameRegistration *RegistrationOf(DWORD commandId)
    {
        for (const auto &registration : frame_->Registrations()) {
            if (registration.commandId == commandId && frame_->FindRegistration(registration.cookie))
                return frame_->FindRegistration(registration.cookie);
        }
        return nullptr;
    }

    std::string RegistryText(const char *viewServer, const char *value)
    {
        CString text;
        CViewSrvScriptRegEntry entry(viewServer);
        return entry.ReadValue(text, value) ? std::string(static_cast<LPCSTR>(text)) : "<missing>";
    }

    CComPtr<CHostFrame> frame_;
    CComPtr<CHostOwner> owner_;
    CComPtr<IStorage> storage_;
    std::unique_ptr<CStorage> settings_;
};

TEST_F(HandlerRegistration, ConnectRegistersTheEntriesOfLevelZero)
{
    CTestHandler handler;
    handler.SetServerInterface(Owner());
    ASSERT_TRUE(handler.Connect(Frame(), settings_.get()));

    // 60 names a view server (none registered, so it has no item), 10 and 11 have frame
    // items; 12 is of level 1, and 1 to 4 have nothing to show.
    std::set<DWORD> registered;
    std::set<DWORD> cookies;
    for (const auto &registration : frame_->Registrations()) {
        registered.insert(registration.commandId);
        cookies.insert(registration.cookie);
        EXPECT_EQ(registration.owner, Owner());
        EXPECT_TRUE(IsEqualGUID(registration.group, CGID_Test));
        EXPECT_NE(registration.cookie, 0u);
        EXPECT_NE(registration.cookie, 0xFFFFFFFFu);
    }
    EXPECT_EQ(registered, (std::set<DWORD>{60, 10, 11}));
    EXPECT_EQ(cookies.size(), 3u);
    EXPECT_TRUE(RegistrationOf(60)->hasViewServer);
    EXPECT_EQ(RegistrationOf(60)->viewServer, "StdQelWatchWin");
    EXPECT_FALSE(RegistrationOf(10)->hasViewServer);

    HINSTANCE module = AfxGetResourceHandle();
    const auto &items = frame_->Items();
    ASSERT_EQ(items.size(), 3u);
    // 10: menu and tool bar at once; 11: its menu item, and again without cookie.
    EXPECT_EQ(items[0].slot, 4);
    EXPECT_EQ(items[0].cookie, RegistrationOf(10)->cookie);
    EXPECT_EQ(items[0].position, 2);
    EXPECT_EQ(items[0].module, module);
    EXPECT_EQ(items[0].textId, 101);
    EXPECT_EQ(items[1].slot, 5);
    EXPECT_EQ(items[1].cookie, RegistrationOf(11)->cookie);
    EXPECT_EQ(items[1].textId, 102);
    EXPECT_EQ(items[2].slot, 5);
    EXPECT_EQ(items[2].cookie, 0u);
    EXPECT_EQ(items[2].module, nullptr);
    EXPECT_EQ(items[2].textId, 0);

    // 20 and 21 are script items of their view server.
    EXPECT_EQ(RegistryText("StdHTMLView", "Open"), std::string("qel:") + kTestGroupText + "\\20\\104,34");
    EXPECT_EQ(RegistryText("StdHTMLView", "Help"), std::string("qel:") + kTestGroupText + "\\21\\105,help.html");

    // Connecting again registers nothing twice.
    ASSERT_TRUE(handler.Connect(Frame(), settings_.get()));
    EXPECT_EQ(frame_->Registrations().size(), 3u);
    EXPECT_TRUE(handler.Disconnect());
}

TEST_F(HandlerRegistration, RegistersHigherLevelsOnlyWhenAsked)
{
    CTestHandler handler;
    EXPECT_FALSE(handler.AddCommandsOfLevel(1)); // not connected
    ASSERT_TRUE(handler.Connect(Frame(), settings_.get()));
    size_t before = frame_->Registrations().size();
    EXPECT_FALSE(handler.AddCommandsOfLevel(0));
    EXPECT_EQ(frame_->Registrations().size(), before);

    EXPECT_TRUE(handler.AddCommandsOfLevel(1));
    ASSERT_NE(RegistrationOf(12), nullptr);
    DWORD cookie = RegistrationOf(12)->cookie;
    const auto &items = frame_->Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[items.size() - 2].slot, 5);
    EXPECT_EQ(items[items.size() - 2].position, 4);
    EXPECT_EQ(items.back().slot, 6);
    EXPECT_EQ(items.back().position, 5);
    EXPECT_EQ(items.back().cookie, cookie);

    EXPECT_TRUE(handler.RemoveCommandsOfLevel(1));
    EXPECT_EQ(frame_->Removals(), std::vector<DWORD>{cookie});
    EXPECT_EQ(RegistrationOf(12), nullptr);
    EXPECT_NE(RegistrationOf(10), nullptr);

    ASSERT_TRUE(handler.Disconnect());
    EXPECT_EQ(frame_->Removals().size(), 4u);
    EXPECT_EQ(RegistrationOf(10), nullptr);
    EXPECT_EQ(RegistrationOf(60), nullptr);
    EXPECT_FALSE(handler.Disconnect());
}

TEST_F(HandlerRegistration, LeavesAnEntryUnregisteredWhenTheFrameRefusesIt)
{
    CTestHandler handler;
    frame_->FailSlot(3);
    ASSERT_TRUE(handler.Connect(Frame(), settings_.get()));
    EXPECT_TRUE(frame_->Registrations().empty());
    EXPECT_TRUE(frame_->Items().empty());
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(handler.IsRegistered(i));
    // Later, the frame takes them.
    frame_->FailSlot(0);
    ASSERT_TRUE(handler.Connect(Frame(), settings_.get()));
    EXPECT_EQ(frame_->Registrations().size(), 3u);
    EXPECT_TRUE(handler.Disconnect());
}

TEST_F(HandlerRegistration, NeedsAFrameWithTheFrameInterface)
{
    CTestHandler handler;
    EXPECT_FALSE(handler.Connect(Owner(), settings_.get()));
    EXPECT_FALSE(handler.Connect(nullptr, settings_.get()));
    EXPECT_FALSE(handler.Disconnect());
}

TEST_F(HandlerRegistration, GivesTheViewServerItemItsCookieAndOpensViews)
{
    RegisterViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}");
    CTestCmdClass commands;
    commands.SetServerInterface(Owner());
    ASSERT_TRUE(commands.Connect(Frame(), settings_.get()));
    CBasicOleTarCmdHndl *handler = commands.GetHandlers().GetHead();
    CViewSrvItemObj *item = handler->GetFirstItemObj();
    ASSERT_NE(item, nullptr);
    ASSERT_NE(RegistrationOf(60), nullptr);
    EXPECT_EQ(item->GetViewServerId(), RegistrationOf(60)->cookie);
    EXPECT_EQ(item->GetOwner(), Owner());

    ASSERT_EQ(commands.Exec(&CGID_Test, 60, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(frame_->Views(item->GetViewServerId()).size(), 1u);

    // Disconnecting asks the frame to close the view and forgets the cookie.
    EXPECT_TRUE(commands.Disconnect());
    EXPECT_EQ(frame_->ViewRequests().back().slot, 10);
    EXPECT_EQ(item->GetViewServerId(), 0xFFFFFFFFu);
}

TEST_F(HandlerRegistration, ServesAViewServerWithoutMultipleUseToOneHandlerOnly)
{
    RegisterViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}");
    {
        CTestCmdClass commands;
        POSITION position = commands.GetHandlers().GetHeadPosition();
        EXPECT_NE(commands.GetHandlers().GetNext(position)->GetFirstItemObj(), nullptr);
        commands.GetHandlers().GetNext(position);
        EXPECT_EQ(commands.GetHandlers().GetNext(position)->GetFirstItemObj(), nullptr);
        EXPECT_EQ(commands.GetViewServerNames().GetSize(), 0);
    }
    SetDword(ViewServerPath("StdQelWatchWin"), "MultipleUse", 1);
    CTestCmdClass commands;
    POSITION position = commands.GetHandlers().GetHeadPosition();
    EXPECT_NE(commands.GetHandlers().GetNext(position)->GetFirstItemObj(), nullptr);
    commands.GetHandlers().GetNext(position);
    EXPECT_NE(commands.GetHandlers().GetNext(position)->GetFirstItemObj(), nullptr);
    EXPECT_EQ(commands.GetViewServerNames().GetSize(), 1);
}

TEST_F(HandlerRegistration, OpensViewsAsTheOpenViewCommandIsAsked)
{
    RegisterViewServer("StdQelWatchWin", "{00000000-0000-0000-0000-000000000070}");
    CTestCmdClass commands;
    ASSERT_TRUE(commands.Connect(Frame(), settings_.get()));
    auto *handler = static_cast<CTestHandler *>(commands.GetHandlers().GetHead());
    CViewSrvItemObj *item = handler->GetFirstItemObj();
    DWORD cookie = item->GetViewServerId();

    // No argument: the command text gives the file.
    handler->m_commandText = "/src/main.c";
    CVariantArray none;
    EXPECT_EQ(handler->OpenViewCommand(&none, nullptr), S_OK);
    ASSERT_EQ(frame_->Views(cookie).size(), 1u);
    EXPECT_EQ(frame_->Views(cookie)[0]->SourceFile(), "/src/main.c");

    // A file name.
    CVariantArray file(1);
    file[0].SetString("/src/util.c");
    EXPECT_EQ(handler->OpenViewCommand(&file, nullptr), S_OK);
    ASSERT_EQ(frame_->Views(cookie).size(), 2u);

    // A view restored from its storage opens the file kept there.
    CComPtr<IStorage> restored;
    restored.Attach(NewMemoryStorage());
    CStorage(restored).WriteString("SourceFile", "/src/kept.c");
    CVariantArray fromStorage(2);
    fromStorage[0].SetValue(CComVariant(static_cast<IUnknown *>(restored)));
    fromStorage[1].SetValue(CComVariant(1u));
    EXPECT_EQ(handler->OpenViewCommand(&fromStorage, nullptr), S_OK);
    ASSERT_EQ(frame_->Views(cookie).size(), 3u);
    EXPECT_NE(item->FindInstanceBySourceFile("/src/kept.c"), nullptr);

    // The host reports a view closed.
    CVariantArray closed(2);
    closed[0].SetValue(CComVariant(item->FindViewBySourceFile("/src/util.c")));
    closed[1].SetValue(CComVariant(16u));
    EXPECT_EQ(handler->OpenViewCommand(&closed, nullptr), S_OK);
    EXPECT_EQ(item->GetInstances().GetCount(), 2);
    EXPECT_EQ(handler->OpenViewCommand(&closed, nullptr), E_INVALIDARG); // gone already

    // Closing all asks the frame; the views stay until reported.
    CVariantArray closeAll(2);
    closeAll[0].SetValue(CComVariant(static_cast<IUnknown *>(nullptr)));
    closeAll[1].SetValue(CComVariant(16u));
    EXPECT_EQ(handler->OpenViewCommand(&closeAll, nullptr), E_FAIL);

    CVariantArray wrong(2);
    wrong[0].SetValue(CComVariant(static_cast<IUnknown *>(restored)));
    wrong[1].SetValue(CComVariant(7u));
    EXPECT_EQ(handler->OpenViewCommand(&wrong, nullptr), E_INVALIDARG);
    CVariantArray number(1);
    number[0].SetValue(CComVariant(7u));
    EXPECT_EQ(handler->OpenViewCommand(&number, nullptr), E_INVALIDARG);
    EXPECT_TRUE(commands.Disconnect());
}

TEST_F(HandlerRegistration, OpenViewCommandNeedsAnItem)
{
    CTestHandler handler;
    EXPECT_EQ(handler.OpenViewCommand(nullptr, nullptr), E_INVALIDARG);
}

} // namespace
