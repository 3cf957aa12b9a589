#include "userinput.h"

#include "dialogs.h"
#include "editcontrol.h"
#include "scrollbar.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

std::string Describe(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        return "setcursor " + std::to_string(HIWORD(lParam));
    case WM_CAPTURECHANGED:
        return "capturechanged";
    case WM_ENABLE:
        return "enable " + std::to_string(wParam);
    case WM_KEYDOWN:
        return "down " + std::to_string(wParam) + ((GetKeyState(VK_SHIFT) & 0x8000) != 0 ? " shift" : "");
    case WM_CHAR:
        return std::string("char ") + static_cast<char>(wParam);
    case WM_KEYUP:
        return "up " + std::to_string(wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL:
        return std::string(message == WM_LBUTTONDOWN ? "press" : message == WM_LBUTTONDBLCLK ? "double"
                           : message == WM_MOUSEMOVE ? "move" : "wheel") +
               " " + std::to_string(GET_X_LPARAM(lParam)) + "," + std::to_string(GET_Y_LPARAM(lParam)) + " " +
               std::to_string(static_cast<SHORT>(HIWORD(wParam))) + " " + std::to_string(LOWORD(wParam));
    case WM_VSCROLL:
        return "vscroll " + std::to_string(LOWORD(wParam));
    default:
        return "";
    }
}

LRESULT CALLBACK Logging(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::string line = Describe(message, wParam, lParam);
    if (!line.empty()) {
        char name[32] = "";
        GetWindowTextA(window, name, sizeof name);
        g_log.push_back(std::string(name) + ": " + line);
    }
    // The window named "chooser" picks the cursor for its children.
    char title[32] = "";
    GetWindowTextA(window, title, sizeof title);
    if (message == WM_SETCURSOR && std::string(title) == "chooser") {
        SetCursor(LoadCursorA(nullptr, IDC_CROSS));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class UserInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        static bool registered = [] {
            WNDCLASSA plain{};
            plain.lpfnWndProc = Logging;
            plain.lpszClassName = "QelInputPlain";
            plain.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
            WNDCLASSA doubles = plain;
            doubles.lpszClassName = "QelInputDoubles";
            doubles.style = CS_DBLCLKS;
            WNDCLASSA dialog{};
            dialog.lpfnWndProc = DefDlgProcA;
            dialog.cbWndExtra = DLGWINDOWEXTRA;
            dialog.lpszClassName = "QelInputDialog";
            return RegisterClassA(&plain) != 0 && RegisterClassA(&doubles) != 0 && RegisterClassA(&dialog) != 0;
        }();
        ASSERT_TRUE(registered);
    }
    void TearDown() override
    {
        for (HWND window : windows_)
            DestroyWindow(window);
        QelSetKeyState(VK_SHIFT, FALSE);
    }
    HWND Make(LPCSTR className, LPCSTR name, DWORD style, HWND parent, int x, int y)
    {
        HWND window = CreateWindowExA(0, className, name, style | WS_VISIBLE, x, y, 100, 100, parent, nullptr, nullptr,
                                      nullptr);
        if (parent == nullptr)
            windows_.push_back(window);
        return window;
    }
    std::vector<HWND> windows_;
};

TEST_F(UserInput, MouseMovesTheCursorAsksForACursorAndFollowsTheCapture)
{
    HWND top = Make("QelInputPlain", "chooser", WS_POPUP, nullptr, 100, 50);
    HWND child = Make("QelInputPlain", "child", WS_CHILD, top, 10, 10);
    HWND other = Make("QelInputPlain", "other", WS_POPUP, nullptr, 300, 300);

    QelSendMouse(child, WM_MOUSEMOVE, 5, 6, MK_SHIFT);
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 100 + 10 + 5);
    EXPECT_EQ(cursor.y, 50 + 10 + 6);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS)); // the parent chose
    QelSendMouse(other, WM_MOUSEMOVE, 1, 1, 0);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM)); // the class's

    // A capture takes the mouse in its own coordinates; no cursor is asked for.
    EXPECT_EQ(SetCapture(child), nullptr);
    g_log.clear();
    QelSendMouse(other, WM_LBUTTONDOWN, 0, 0, MK_LBUTTON);
    QelSendMouse(other, WM_MOUSEWHEEL, 0, 0, MAKEWPARAM(0, static_cast<WORD>(-120)));
    EXPECT_EQ(SetCapture(top), child);
    SendMessageA(top, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child: press 190,240 0 1", "child: wheel 300,300 -120 0",
                                               "child: capturechanged", "chooser: capturechanged"}));
    // A hidden or destroyed holder lets the capture go.
    SetCapture(child);
    ShowWindow(top, SW_HIDE);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(SetCapture(reinterpret_cast<HWND>(0x7FFF1234)), nullptr);
}

TEST_F(UserInput, DoubleClicksOnlyReachClassesThatAskForThem)
{
    HWND plain = Make("QelInputPlain", "plain", WS_POPUP, nullptr, 0, 0);
    HWND doubles = Make("QelInputDoubles", "doubles", WS_POPUP, nullptr, 0, 0);
    QelPostMouse(plain, WM_LBUTTONDBLCLK, 1, 2, MK_LBUTTON);
    QelPostMouse(doubles, WM_LBUTTONDBLCLK, 3, 4, MK_LBUTTON);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_EQ(g_log, (std::vector<std::string>{"plain: setcursor 513", "doubles: setcursor 515",
                                               "plain: press 1,2 0 1", "doubles: double 3,4 0 1"}));
}

TEST_F(UserInput, KeysGiveDownCharacterAndUpWithTheirModifiersHeld)
{
    HWND window = Make("QelInputPlain", "keys", WS_POPUP, nullptr, 0, 0);
    SetFocus(window);
    QelSendKey(nullptr, '4', MK_SHIFT);
    QelSendKey(window, VK_F2, 0);
    QelSendKey(window, 'C', MK_CONTROL);
    QelSendText(nullptr, "a\r");
    EXPECT_EQ(g_log, (std::vector<std::string>{"keys: down 52 shift", "keys: char $", "keys: up 52", "keys: down 113",
                                               "keys: up 113", "keys: down 67", "keys: up 67", "keys: char a",
                                               "keys: char \r"}));
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    QelSetKeyState(VK_CONTROL, TRUE);
    EXPECT_NE(GetKeyState(VK_CONTROL) & 0x8000, 0);
    QelSetKeyState(VK_CONTROL, FALSE);
    EXPECT_EQ(QelKeyFromName("RETURN"), VK_RETURN);
    EXPECT_EQ(QelKeyFromName("F2"), VK_F2);
    EXPECT_EQ(QelKeyFromName("a"), 'A');
    EXPECT_EQ(QelKeyFromName("7"), '7');
    EXPECT_EQ(QelKeyFromName("F02"), 0);
    EXPECT_EQ(QelKeyFromName("VK_UP"), 0);
    EXPECT_EQ(QelKeyFromName(""), 0);
}

TEST_F(UserInput, DisablingAWindowTellsItAndTakesItsFocus)
{
    HWND top = Make("QelInputPlain", "top", WS_POPUP, nullptr, 0, 0);
    HWND child = Make("QelInputPlain", "child", WS_CHILD, top, 0, 0);
    SetFocus(child);
    EnableWindow(top, FALSE);
    EnableWindow(top, FALSE); // no change: nothing told
    EXPECT_EQ(GetFocus(), nullptr);
    EnableWindow(top, TRUE);
    EXPECT_EQ(g_log, (std::vector<std::string>{"top: enable 0", "top: enable 1"}));
}

TEST_F(UserInput, NextDialogControlVisitsVisibleEnabledTabStopsAndWraps)
{
    HWND dialog = Make("QelInputDialog", "dialog", WS_POPUP, nullptr, 0, 0);
    HWND first = Make("QelInputPlain", "first", WS_CHILD | WS_TABSTOP, dialog, 0, 0);
    Make("QelInputPlain", "no stop", WS_CHILD, dialog, 0, 0);
    HWND disabled = Make("QelInputPlain", "disabled", WS_CHILD | WS_TABSTOP | WS_DISABLED, dialog, 0, 0);
    HWND last = Make("QelInputPlain", "last", WS_CHILD | WS_TABSTOP, dialog, 0, 0);
    (void)disabled;
    SetFocus(first);
    SendMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
    EXPECT_EQ(GetFocus(), last);
    SendMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
    EXPECT_EQ(GetFocus(), first);
    SendMessageA(dialog, WM_NEXTDLGCTL, 1, 0);
    EXPECT_EQ(GetFocus(), last);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), 1);
    EXPECT_EQ(GetFocus(), first);
}

// A 16x100 bar: arrows 0-16 and 84-100; range 0-99, page 10 at 45 puts the thumb at 46-54.
TEST_F(UserInput, PressesOnAScrollBarScrollALineOrAPageAndEnd)
{
    HWND parent = Make("QelInputPlain", "parent", WS_POPUP, nullptr, 0, 0);
    HWND bar = CreateWindowExA(0, "ScrollBar", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 16, 100, parent, nullptr,
                               nullptr, nullptr);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 45, 0};
    SetScrollInfo(bar, SB_CTL, &info, FALSE);
    g_log.clear();
    for (int y : {2, 97, 30, 70, 50})
        SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, y));
    EXPECT_EQ(g_log, (std::vector<std::string>{"parent: vscroll 0", "parent: vscroll 8", "parent: vscroll 1",
                                               "parent: vscroll 8", "parent: vscroll 2", "parent: vscroll 8",
                                               "parent: vscroll 3", "parent: vscroll 8"}));
}

TEST_F(UserInput, TypingIntoAnEditChangesItsTextAndTellsTheParent)
{
    HWND parent = Make("QelInputPlain", "parent", WS_POPUP, nullptr, 0, 0);
    HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 90, 40, parent, nullptr,
                                nullptr, nullptr);
    HWND single = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 50, 90, 20, parent, nullptr, nullptr,
                                  nullptr);
    SetFocus(edit);
    QelSendText(nullptr, "abc\rd");
    for (int key : {VK_HOME, VK_DELETE, VK_RIGHT, VK_BACK, VK_END, VK_LEFT, VK_BACK})
        QelSendKey(nullptr, key, 0);
    char text[64] = "";
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "cd"); // a line break goes as a whole
    SetFocus(single);
    QelSendText(nullptr, "x\ry");
    GetWindowTextA(single, text, sizeof text);
    EXPECT_STREQ(text, "xy");
}

} // namespace

TEST(KeyboardLayout, ToAsciiTypesWhatAUsKeyboardTypesInTheKeyState)
{
    BYTE state[256];
    WORD typed = 0;
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_EQ(state[VK_SHIFT] & 0x80, 0);
    EXPECT_EQ(ToAscii('A', 0x1E, state, &typed, 0), 1);
    EXPECT_EQ(typed, 'a');
    EXPECT_EQ(ToAscii(VK_MULTIPLY, 0x37, state, &typed, 0), 1);
    EXPECT_EQ(typed, '*');
    EXPECT_EQ(ToAscii(VK_F2, 0x3C, state, &typed, 0), 0) << "a key without a character";

    QelSetKeyState(VK_SHIFT, TRUE);
    ASSERT_TRUE(GetKeyboardState(state));
    QelSetKeyState(VK_SHIFT, FALSE);
    EXPECT_NE(state[VK_SHIFT] & 0x80, 0);
    EXPECT_EQ(ToAscii('B', 0x30, state, &typed, 0), 1);
    EXPECT_EQ(typed, 'B');
    EXPECT_EQ(ToAscii('2', 0x03, state, &typed, 0), 1);
    EXPECT_EQ(typed, '@');

    QelSetKeyState(VK_CONTROL, TRUE);
    ASSERT_TRUE(GetKeyboardState(state));
    QelSetKeyState(VK_CONTROL, FALSE);
    EXPECT_EQ(ToAscii('C', 0x2E, state, &typed, 0), 1);
    EXPECT_EQ(typed, 3) << "Ctrl+C types its control character";
    EXPECT_EQ(ToAscii('2', 0x03, state, &typed, 0), 0);
    EXPECT_FALSE(GetKeyboardState(nullptr));
}
