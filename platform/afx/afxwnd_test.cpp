#include "afxwnd.h"

#include "afxexcept.h"
#include "debugoutput.h"
#include "lasterror.h"
#include "processthreads.h"
#include "registeredmessages.h"
#include "testing/messagepump.h"
#include "windowclass.h"
#include "windowinfo.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// Set after the map is made, as the request window's number is.
UINT requestMessage = 0;

// A hidden window as the system makes them: one registered message, one plain message,
// the timer, and the life cycle.
class CTestWindow : public CWnd {
public:
    std::vector<std::string> log;
    std::vector<DWORD> threads;
    int createAnswer = 0;
    bool postNcDestroyed = false;

    BOOL Make()
    {
        return CreateEx(0, AfxRegisterWndClass(0), "QELSYMBOLREQUEST", WS_POPUP, 1, 1, 1, 1, nullptr, nullptr);
    }

protected:
    afx_msg LRESULT OnRequest(WPARAM wParam, LPARAM lParam)
    {
        log.push_back("request " + std::to_string(wParam) + " " + std::to_string(lParam));
        threads.push_back(GetCurrentThreadId());
        return 0;
    }
    afx_msg LRESULT OnQuestion(WPARAM, LPARAM lParam) { return lParam * 3; }
    afx_msg LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowNotSupportedException(); }
    afx_msg int OnCreate(LPCREATESTRUCT create)
    {
        log.push_back(std::string("create ") + create->lpszName);
        return createAnswer != 0 ? createAnswer : CWnd::OnCreate(create);
    }
    afx_msg void OnDestroy()
    {
        log.push_back("destroy");
        CWnd::OnDestroy();
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { log.push_back("timer " + std::to_string(nIDEvent)); }
    void PostNcDestroy() override { postNcDestroyed = true; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWindow, CWnd)
    ON_REGISTERED_MESSAGE(requestMessage, OnRequest)
    ON_MESSAGE(WM_USER + 1, OnQuestion)
    ON_MESSAGE(WM_USER + 2, OnThrow)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
END_MESSAGE_MAP()

// A derived map: its own entry wins, the base's entries still count.
class CDerivedWindow : public CTestWindow {
protected:
    afx_msg LRESULT OnQuestion(WPARAM, LPARAM lParam) { return lParam * 5; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWindow, CTestWindow)
    ON_MESSAGE(WM_USER + 1, OnQuestion)
END_MESSAGE_MAP()

class CWndTest : public ::testing::Test {
protected:
    void SetUp() override { requestMessage = RegisterWindowMessageA("QELSYMBOLREQUEST"); }
};

TEST_F(CWndTest, HiddenPopupGetsItsRegisteredMessageOnItsThread)
{
    CTestWindow window;
    ASSERT_TRUE(window.Make());
    ASSERT_TRUE(IsWindow(window.m_hWnd));
    EXPECT_EQ(window.GetSafeHwnd(), window.m_hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window);
    HWND handle = window;
    std::thread([handle] { PostMessageA(handle, requestMessage, 300, 17); }).join();
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return window.threads.size() == 1; }));
    EXPECT_EQ(window.log.back(), "request 300 17");
    EXPECT_EQ(window.threads[0], GetCurrentThreadId());
}

TEST_F(CWndTest, CreationAndDestructionReachTheHandlersInOrder)
{
    CTestWindow window;
    ASSERT_TRUE(window.Make());
    HWND handle = window.m_hWnd;
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_EQ(window.log, (std::vector<std::string>{"create QELSYMBOLREQUEST", "destroy"}));
    EXPECT_TRUE(window.postNcDestroyed);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);
    EXPECT_FALSE(window.DestroyWindow()) << "nothing left to destroy";
}

TEST_F(CWndTest, OnCreateCanRefuseTheWindow)
{
    CTestWindow window;
    window.createAnswer = -1;
    EXPECT_FALSE(window.Make());
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_TRUE(window.postNcDestroyed);
}

TEST_F(CWndTest, MemberPostAndSendReachTheMap)
{
    CDerivedWindow window;
    ASSERT_TRUE(window.Make());
    EXPECT_EQ(window.SendMessage(WM_USER + 1, 0, 2), 10) << "the derived entry wins";
    EXPECT_TRUE(window.PostMessage(requestMessage, 100, 1));
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return !window.threads.empty(); })) << "the base entry still counts";
    window.SendMessage(WM_CLOSE);
    EXPECT_EQ(window.m_hWnd, nullptr) << "an unmapped message goes to the default, which destroys";
}

TEST_F(CWndTest, AnotherThreadsSendWaitsForTheAnswer)
{
    CTestWindow window;
    ASSERT_TRUE(window.Make());
    HWND handle = window;
    LRESULT answer = 0;
    std::thread sender([&] { answer = SendMessageA(handle, WM_USER + 1, 0, 7); });
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return answer != 0; }));
    sender.join();
    EXPECT_EQ(answer, 21);
}

TEST_F(CWndTest, TimerArrivesAtOnTimer)
{
    CTestWindow window;
    ASSERT_TRUE(window.Make());
    EXPECT_EQ(window.SetTimer(3, 10, nullptr), 3u);
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return window.log.back() == "timer 3"; }));
    EXPECT_TRUE(window.KillTimer(3));
}

std::string debugText;

TEST_F(CWndTest, FrameworkExceptionOfAHandlerIsReportedAndEnded)
{
    QelSetDebugOutputHandler([](void *, LPCSTR text) { debugText += text; }, nullptr);
    CTestWindow window;
    ASSERT_TRUE(window.Make());
    debugText.clear();
    EXPECT_EQ(window.SendMessage(WM_USER + 2), 0);
    QelSetDebugOutputHandler(nullptr, nullptr);
    EXPECT_NE(debugText.find("An unsupported operation was attempted."), std::string::npos) << debugText;
    EXPECT_TRUE(IsWindow(window.m_hWnd)) << "the window lives on";
}

TEST_F(CWndTest, DestroyingTheObjectDestroysItsWindow)
{
    HWND handle;
    {
        CTestWindow window;
        ASSERT_TRUE(window.Make());
        handle = window.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(CWnd::FromHandlePermanent(handle), nullptr);
}

HWND PlainWindow()
{
    static bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "QelPlainWindowOfAnotherModule";
        return RegisterClassA(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "QelPlainWindowOfAnotherModule", "QEL Desktop", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST_F(CWndTest, AttachedWindowIsFoundAndSurvivesDetach)
{
    HWND plain = PlainWindow();
    {
        CWnd wrapper;
        EXPECT_TRUE(wrapper.Attach(plain));
        EXPECT_EQ(CWnd::FromHandlePermanent(plain), &wrapper);
        CWnd other;
        EXPECT_FALSE(other.Attach(plain)) << "one permanent object per window";
        EXPECT_FALSE(other.Attach(reinterpret_cast<HWND>(0x1234))) << "no window";
        EXPECT_EQ(wrapper.Detach(), plain);
        EXPECT_EQ(wrapper.m_hWnd, nullptr);
    }
    EXPECT_TRUE(IsWindow(plain));
    DestroyWindow(plain);
}

TEST_F(CWndTest, DesktopCanBeAttachedAndIsNotDestroyed)
{
    {
        CWnd wrapper;
        EXPECT_TRUE(wrapper.Attach(GetDesktopWindow()));
    }
    EXPECT_TRUE(IsWindow(GetDesktopWindow()));
    EXPECT_EQ(CWnd::FromHandlePermanent(GetDesktopWindow()), nullptr);
}

TEST_F(CWndTest, FromHandleGivesTheSameTemporaryObjectWhileTheWindowLives)
{
    HWND plain = PlainWindow();
    CWnd *temporary = CWnd::FromHandle(plain);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandle(plain), temporary);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr) << "a temporary object is not permanent";
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    DestroyWindow(plain);
    CWnd::FromHandle(GetDesktopWindow()); // drops the object of the destroyed window
}

TEST_F(CWndTest, CreateExRefusesUnknownClasses)
{
    CWnd window;
    EXPECT_FALSE(window.CreateEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    EXPECT_EQ(window.m_hWnd, nullptr);
}

TEST_F(CWndTest, RegisteredClassNameIsStablePerStyle)
{
    LPCTSTR first = AfxRegisterWndClass(0);
    EXPECT_EQ(AfxRegisterWndClass(0), first);
    EXPECT_STRNE(AfxRegisterWndClass(0x8), first);
    EXPECT_EQ(std::string(first).rfind("Afx:", 0), 0u);
}

} // namespace
