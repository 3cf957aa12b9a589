#include "windowstatus.h"

#include "windowclass.h"
#include "windowcreate.h"
#include "windowinfo.h"
#include "lasterror.h"
#include "winerror.h"

#include <gtest/gtest.h>

namespace {

HWND Make(DWORD style, HWND parent = nullptr)
{
    static bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "QelStatusTest";
        return RegisterClassA(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "QelStatusTest", "status", style, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
}

TEST(WindowStatus, OnlyTheForegroundWindowHasAnActiveCaption)
{
    HWND first = Make(WS_POPUP);
    HWND second = Make(WS_POPUP);
    WINDOWINFO info;
    ASSERT_TRUE(GetWindowInfo(first, &info));
    EXPECT_EQ(info.cbSize, sizeof info);
    EXPECT_EQ(info.dwStyle, static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(info.dwWindowStatus, 0u);
    ASSERT_TRUE(SetForegroundWindow(first));
    EXPECT_EQ(GetForegroundWindow(), first);
    GetWindowInfo(first, &info);
    EXPECT_EQ(info.dwWindowStatus, static_cast<DWORD>(WS_ACTIVECAPTION));
    GetWindowInfo(second, &info);
    EXPECT_EQ(info.dwWindowStatus, 0u);
    DestroyWindow(first);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    DestroyWindow(second);
}

TEST(WindowStatus, ChildWindowsTheDesktopAndStaleHandlesAreRefused)
{
    HWND parent = Make(WS_POPUP);
    HWND child = Make(WS_CHILD, parent);
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(SetForegroundWindow(child));
    EXPECT_FALSE(SetForegroundWindow(GetDesktopWindow()));
    DestroyWindow(parent);
    EXPECT_FALSE(SetForegroundWindow(parent));
    WINDOWINFO info;
    EXPECT_FALSE(GetWindowInfo(parent, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

} // namespace
