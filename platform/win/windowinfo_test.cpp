#include "windowinfo.h"

#include "lasterror.h"
#include "processthreads.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowmessages.h"
#include "winerror.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class WindowInfo : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.lpszClassName = "QelInfoTest";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
    }

    void TearDown() override
    {
        for (auto window = windows_.rbegin(); window != windows_.rend(); ++window)
            DestroyWindow(*window);
    }

    HWND Make(LPCSTR title, HWND parent = nullptr, DWORD style = WS_POPUP)
    {
        HWND window =
            CreateWindowExA(0, "QelInfoTest", title, style, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
        windows_.push_back(window);
        return window;
    }

private:
    std::vector<HWND> windows_;
};

TEST_F(WindowInfo, TextIsTheNameTheWindowWasMadeWith)
{
    HWND window = Make("QEL Desktop - project");
    char text[64];
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 21);
    EXPECT_STREQ(text, "QEL Desktop - project");
    EXPECT_EQ(GetWindowTextA(window, text, 4), 3) << "cut to the buffer, terminated";
    EXPECT_STREQ(text, "QEL");
    EXPECT_EQ(GetWindowTextA(Make(nullptr), text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    SetLastError(0);
    EXPECT_EQ(GetWindowTextA(reinterpret_cast<HWND>(0x77770001), text, sizeof text), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowInfo, WindowKnowsItsThreadAndProcess)
{
    DWORD process = 0;
    EXPECT_EQ(GetWindowThreadProcessId(Make("x"), &process), GetCurrentThreadId());
    EXPECT_EQ(process, GetCurrentProcessId());
    SetLastError(0);
    EXPECT_EQ(GetWindowThreadProcessId(nullptr, &process), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

std::vector<HWND> Enumerated()
{
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(WindowInfo, EnumerationListsTopLevelWindowsNewestFirst)
{
    HWND older = Make("older");
    HWND child = Make("child", older, WS_CHILD);
    HWND owned = Make("owned", older, WS_POPUP);
    std::vector<HWND> found = Enumerated();
    auto position = [&](HWND window) { return std::find(found.begin(), found.end(), window) - found.begin(); };
    ASSERT_LT(position(owned), static_cast<long>(found.size()));
    ASSERT_LT(position(older), static_cast<long>(found.size()));
    EXPECT_LT(position(owned), position(older));
    EXPECT_EQ(position(child), static_cast<long>(found.size())) << "no child windows";
    EXPECT_EQ(position(GetDesktopWindow()), static_cast<long>(found.size())) << "not the desktop";
}

TEST_F(WindowInfo, EnumerationStopsWhenTheCallbackSaysSo)
{
    Make("one");
    Make("two");
    int calls = 0;
    EXPECT_FALSE(EnumWindows(
        [](HWND, LPARAM count) {
            ++*reinterpret_cast<int *>(count);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&calls)));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(EnumWindows(nullptr, 0));
}

TEST_F(WindowInfo, DesktopIsAWindowOfNoThreadThatNobodyDestroysOrPostsTo)
{
    HWND desktop = GetDesktopWindow();
    EXPECT_TRUE(IsWindow(desktop));
    EXPECT_EQ(GetDesktopWindow(), desktop);
    DWORD process = 1;
    EXPECT_EQ(GetWindowThreadProcessId(desktop, &process), 0u);
    EXPECT_EQ(process, 0u);
    EXPECT_FALSE(DestroyWindow(desktop));
    EXPECT_FALSE(PostMessageA(desktop, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SendMessageA(desktop, WM_USER, 0, 0), 0);
}

TEST_F(WindowInfo, MadeUpHandlesAreNoWindows)
{
    for (uintptr_t value : {uintptr_t(0), uintptr_t(1), uintptr_t(0xFFFF), uintptr_t(0x7FFFFFFF), uintptr_t(0xFFFFFFFF),
                            uintptr_t(0x80010002), ~uintptr_t(0)})
        EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(value))) << value;
}

} // namespace
