#include "windowcreate.h"

#include "lasterror.h"
#include "windowclass.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "winerror.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// The messages of the window life cycle, as "name:window" entries in the order they came.
std::vector<std::pair<UINT, HWND>> lifeLog;
std::string createdWithName;
LPVOID createdWithParameter = nullptr;
LRESULT nccreateAnswer = TRUE;
LRESULT createAnswer = 0;

LRESULT CALLBACK LifeRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE || message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY)
        lifeLog.emplace_back(message, window);
    if (message == WM_CREATE) {
        auto *create = reinterpret_cast<LPCREATESTRUCTA>(lParam);
        createdWithName = create->lpszName != nullptr ? create->lpszName : "";
        createdWithParameter = create->lpCreateParams;
        EXPECT_TRUE(IsWindow(window)) << "the handle is live while it is made";
        return createAnswer;
    }
    if (message == WM_NCCREATE)
        return nccreateAnswer;
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowLife : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = LifeRecorder;
            windowClass.lpszClassName = "QelLifeTest";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        lifeLog.clear();
        nccreateAnswer = TRUE;
        createAnswer = 0;
    }

    static HWND Make(HWND parent = nullptr, DWORD style = WS_POPUP, LPCSTR name = "a title")
    {
        return CreateWindowExA(0, "qellifetest", name, style, 1, 1, 1, 1, parent, nullptr, nullptr, &createAnswer);
    }
};

TEST_F(WindowLife, CreationSendsNcCreateThenCreateWithTheCreationData)
{
    HWND window = Make();
    ASSERT_NE(window, nullptr) << "the class name is found blind to case";
    ASSERT_EQ(lifeLog.size(), 2u);
    EXPECT_EQ(lifeLog[0], std::make_pair(static_cast<UINT>(WM_NCCREATE), window));
    EXPECT_EQ(lifeLog[1], std::make_pair(static_cast<UINT>(WM_CREATE), window));
    EXPECT_EQ(createdWithName, "a title");
    EXPECT_EQ(createdWithParameter, &createAnswer);
    DestroyWindow(window);
}

TEST_F(WindowLife, HandlesAreSmallNumbersThatFitInto32BitsAndAreNeverReusedAsTheyWere)
{
    HWND first = Make();
    uintptr_t value = reinterpret_cast<uintptr_t>(first);
    EXPECT_NE(value, 0u);
    EXPECT_LT(value, uintptr_t(0x80000000)) << "never taken for a negative 32-bit value";
    DestroyWindow(first);
    HWND second = Make();
    EXPECT_NE(second, first) << "a stale handle does not name the next window";
    EXPECT_FALSE(IsWindow(first));
    DestroyWindow(second);
}

TEST_F(WindowLife, ProcedureThatRefusesCreationLeavesNoWindow)
{
    nccreateAnswer = FALSE;
    EXPECT_EQ(Make(), nullptr);
    ASSERT_EQ(lifeLog.size(), 2u);
    EXPECT_EQ(lifeLog[1].first, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(lifeLog[0].second));

    nccreateAnswer = TRUE;
    createAnswer = -1;
    lifeLog.clear();
    EXPECT_EQ(Make(), nullptr);
    ASSERT_EQ(lifeLog.size(), 4u);
    EXPECT_EQ(lifeLog[2].first, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(lifeLog[3].first, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(lifeLog[0].second));
}

TEST_F(WindowLife, DestructionReachesTheWindowThenItsChildrenThenEndsIt)
{
    HWND parent = Make();
    HWND child = Make(parent, WS_CHILD);
    HWND owned = Make(parent, WS_POPUP);
    ASSERT_NE(child, nullptr);
    ASSERT_NE(owned, nullptr);
    lifeLog.clear();
    EXPECT_TRUE(DestroyWindow(parent));
    ASSERT_EQ(lifeLog.size(), 6u);
    EXPECT_EQ(lifeLog.front(), std::make_pair(static_cast<UINT>(WM_DESTROY), parent));
    EXPECT_EQ(lifeLog.back(), std::make_pair(static_cast<UINT>(WM_NCDESTROY), parent));
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(owned));
    SetLastError(0);
    EXPECT_FALSE(DestroyWindow(parent));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowLife, OnlyTheOwnerThreadDestroysAWindow)
{
    HWND window = Make();
    BOOL destroyed = TRUE;
    DWORD error = 0;
    std::thread([&] {
        destroyed = DestroyWindow(window);
        error = GetLastError();
    }).join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(WindowLife, WmCloseDestroysTheWindowByDefault)
{
    HWND window = Make();
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowLife, ThreadsWindowsEndWithTheThread)
{
    HWND window = nullptr;
    std::thread([&] { window = Make(); }).join();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowLife, BadCreationRequestsFailWithTheirErrors)
{
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(Make(nullptr, WS_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
    EXPECT_EQ(Make(reinterpret_cast<HWND>(0x12345), WS_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(lifeLog.empty());
}

TEST_F(WindowLife, ClassNamesAreUniqueBlindToCase)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LifeRecorder;
    windowClass.lpszClassName = "QELLIFETEST";
    SetLastError(0);
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    windowClass.lpfnWndProc = nullptr;
    windowClass.lpszClassName = "QelLifeTestWithoutProcedure";
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
