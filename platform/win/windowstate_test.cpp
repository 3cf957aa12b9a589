#include "windowstate.h"

#include "lasterror.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstatus.h"
#include "windowtable.h"
#include "winerror.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// The focus and size messages, as "message:window:wParam" texts in the order they came.
std::vector<std::string> stateLog;

std::string Entry(const char *name, HWND window, WPARAM wParam)
{
    return std::string(name) + ":" + std::to_string(reinterpret_cast<uintptr_t>(window)) + ":" +
           std::to_string(static_cast<uintptr_t>(wParam));
}

LRESULT CALLBACK StateRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFOCUS)
        stateLog.push_back(Entry("set", window, wParam));
    else if (message == WM_KILLFOCUS)
        stateLog.push_back(Entry("kill", window, wParam));
    else if (message == WM_SIZE)
        stateLog.push_back(Entry("size", window, static_cast<WPARAM>(lParam)));
    return DefWindowProcA(window, message, wParam, lParam);
}

// A subclass that answers WM_GETTEXTLENGTH itself and hands the rest on.
WNDPROC superProcedure = nullptr;
LRESULT CALLBACK LengthSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETTEXTLENGTH)
        return 99;
    return CallWindowProcA(superProcedure, window, message, wParam, lParam);
}

class WindowState : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = StateRecorder;
            windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
            windowClass.lpszClassName = "QelStateTest";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        stateLog.clear();
        windowsBefore_ = qelwin::WindowCount();
    }

    void TearDown() override
    {
        for (HWND window : made_)
            DestroyWindow(window);
        EXPECT_EQ(qelwin::WindowCount(), windowsBefore_) << "every window is destroyed";
        EXPECT_EQ(GetFocus(), nullptr);
        EXPECT_EQ(GetActiveWindow(), nullptr);
    }

    HWND Make(DWORD style, HWND parent = nullptr, int id = 0, RECT rect = RECT{0, 0, 10, 10})
    {
        HWND window = CreateWindowExA(0, "QelStateTest", "made", style, rect.left, rect.top, rect.right - rect.left,
                                      rect.bottom - rect.top, parent,
                                      reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
        EXPECT_NE(window, nullptr);
        if (parent == nullptr)
            made_.push_back(window);
        return window;
    }

    size_t windowsBefore_ = 0;
    std::vector<HWND> made_;
};

TEST_F(WindowState, TextsChangeThroughMessagesAndAreReadFromAnyThread)
{
    HWND window = Make(WS_POPUP);
    ASSERT_TRUE(SetWindowTextA(window, "a longer title"));
    EXPECT_EQ(GetWindowTextLengthA(window), 14);
    char text[8];
    EXPECT_EQ(SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 7);
    EXPECT_STREQ(text, "a longe");
    std::string seen;
    std::thread([&] {
        char buffer[32];
        GetWindowTextA(window, buffer, sizeof buffer);
        seen = buffer;
    }).join();
    EXPECT_EQ(seen, "a longer title");
    EXPECT_TRUE(SetWindowTextA(window, nullptr));
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_FALSE(SetWindowTextA(reinterpret_cast<HWND>(0x7777), "x"));
}

TEST_F(WindowState, StylesParentsIdentifiersAndWindowWords)
{
    HWND top = Make(WS_POPUP);
    HWND child = Make(WS_CHILD | WS_VISIBLE | WS_TABSTOP, top, 42);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetDlgCtrlID(child), 42);
    EXPECT_EQ(GetDlgCtrlID(top), 0);

    EXPECT_FALSE(IsWindowVisible(child)) << "its parent is hidden";
    EXPECT_FALSE(ShowWindow(top, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(top, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(top));

    EXPECT_FALSE(EnableWindow(child, FALSE)) << "it was enabled";
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(EnableWindow(child, TRUE));

    // WS_CHILD stays as the window was made, whatever the new style says.
    SetWindowLongA(child, GWL_STYLE, WS_GROUP);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), static_cast<DWORD>(WS_CHILD | WS_GROUP));
    EXPECT_EQ(SetWindowLongA(child, GWLP_ID, 7), 42);
    EXPECT_EQ(GetDlgCtrlID(child), 7);

    EXPECT_EQ(SetWindowLongPtrA(top, sizeof(LONG_PTR), 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(top, sizeof(LONG_PTR)), 1234);
    for (int index : {2 * static_cast<int>(sizeof(LONG_PTR)), 3, -99}) {
        SetLastError(0);
        EXPECT_EQ(GetWindowLongPtrA(top, index), 0) << index;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX)) << index;
    }
}

TEST_F(WindowState, ASubclassSeesMessagesFirstAndHandsTheRestOn)
{
    HWND window = Make(WS_POPUP);
    superProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LengthSubclass)));
    EXPECT_EQ(superProcedure, &StateRecorder);
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 99);
    SetWindowTextA(window, "handed on");
    char text[16];
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "handed on");
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProcedure));
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 9);
}

TEST_F(WindowState, RectanglesFollowTheParentAndASizeChangeSendsWmSize)
{
    HWND top = Make(WS_POPUP, nullptr, 0, RECT{100, 50, 400, 250});
    HWND child = Make(WS_CHILD, top, 1, RECT{10, 20, 60, 40});
    RECT rect;
    ASSERT_TRUE(GetWindowRect(child, &rect));
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.right, 160);
    EXPECT_EQ(rect.bottom, 90);
    ASSERT_TRUE(GetClientRect(top, &rect));
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 200);
    POINT point{5, 5};
    ASSERT_TRUE(ClientToScreen(child, &point));
    EXPECT_EQ(point.x, 115);
    EXPECT_EQ(point.y, 75);
    ASSERT_TRUE(ScreenToClient(top, &point));
    EXPECT_EQ(point.x, 15);
    EXPECT_EQ(point.y, 25);

    ASSERT_TRUE(MoveWindow(top, 0, 0, 300, 200, TRUE));
    EXPECT_TRUE(stateLog.empty()) << "a move without a new size sends no WM_SIZE";
    ASSERT_TRUE(SetWindowPos(top, nullptr, 9, 9, 320, 240, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(GetWindowRect(top, &rect));
    EXPECT_EQ(rect.left, 0) << "SWP_NOMOVE kept the place";
    EXPECT_EQ(rect.right, 320);
    EXPECT_EQ(stateLog, std::vector<std::string>{Entry("size", top, MAKELPARAM(320, 240))});

    RECT units{1, 2, 30, 40};
    ASSERT_TRUE(MapDialogRect(top, &units));
    EXPECT_EQ(units.left, 2);
    EXPECT_EQ(units.bottom, 80);
    ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &rect));
    EXPECT_EQ(rect.right, 1024);
}

TEST_F(WindowState, FocusMovesWithKillAndSetMessagesAndLeavesWithItsWindow)
{
    HWND top = Make(WS_POPUP);
    HWND first = Make(WS_CHILD, top, 1);
    HWND second = Make(WS_CHILD, top, 2);
    EXPECT_EQ(SetFocus(first), nullptr);
    EXPECT_EQ(GetActiveWindow(), top) << "the focus activates its top-level window";
    EXPECT_EQ(SetFocus(second), first);
    EXPECT_EQ(SetFocus(second), second) << "no messages when it has the focus";
    EXPECT_EQ(stateLog, (std::vector<std::string>{Entry("set", first, 0),
                                                   Entry("kill", first, reinterpret_cast<WPARAM>(second)),
                                                   Entry("set", second, reinterpret_cast<WPARAM>(first))}));
    EXPECT_EQ(GetFocus(), second);
    DestroyWindow(second);
    EXPECT_EQ(GetFocus(), nullptr);

    HWND other = nullptr;
    std::thread([&] { other = SetFocus(first); }).join();
    EXPECT_EQ(other, nullptr) << "a window of another thread does not take this thread's focus";
    SetActiveWindow(nullptr);
}

TEST_F(WindowState, ShowingActivatesAndHidingOrDestroyingHandsTheActivationToTheOwner)
{
    HWND owner = Make(WS_POPUP);
    HWND owned = Make(WS_POPUP, owner);
    ShowWindow(owner, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), owner);
    ShowWindow(owned, SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), owner) << "SW_SHOWNA does not activate";
    ShowWindow(owned, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), owned);
    ShowWindow(owned, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), owner);

    ASSERT_TRUE(SetForegroundWindow(owned));
    EXPECT_EQ(GetActiveWindow(), owned) << "the foreground window is active";
    DestroyWindow(owned);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(SetActiveWindow(nullptr), owner);
}

} // namespace
