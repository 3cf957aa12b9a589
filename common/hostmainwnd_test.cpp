#include "hostmainwnd.h"

#include <gtest/gtest.h>

namespace {

TEST(HostMainWindow, FindsTheDesktopOfThisProcessByItsTitle)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "QelHostMainTestWindow";
    RegisterClassA(&windowClass);
    HWND other = CreateWindowExA(0, "QelHostMainTestWindow", "QEL Deskto", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND desktop = CreateWindowExA(0, "QelHostMainTestWindow", "QEL Desktop - project", WS_POPUP, 0, 0, 1, 1, nullptr,
                                   nullptr, nullptr, nullptr);
    GetHostMainWnd(1, nullptr);
    int active = 5;
    CWnd *window = GetHostMainWnd(0, &active);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->m_hWnd, desktop);
    EXPECT_TRUE(active == 0 || active == 1);
    EXPECT_EQ(GetHostMainWnd(0, nullptr), window) << "one object for the process";
    GetHostMainWnd(1, nullptr);
    EXPECT_EQ(window->m_hWnd, nullptr);
    DestroyWindow(desktop);
    EXPECT_EQ(GetHostMainWnd(0, &active)->m_hWnd, GetDesktopWindow()) << "no desktop: the desktop window";
    GetHostMainWnd(1, &active);
    EXPECT_EQ(active, -1);
    DestroyWindow(other);
}

} // namespace
