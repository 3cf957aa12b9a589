#include "editcontrol.h"
#include "testing/controlcapture.h"
#include "testing/drawingfixture.h"

#include <vector>

namespace {

std::vector<WPARAM> commands;

LRESULT CALLBACK ParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        commands.push_back(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

class Edits : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = ParentProcedure;
            windowClass.lpszClassName = "QelEditParent";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        liveAtStart_ = QelGdiLiveObjects();
        parent_ = CreateWindowExA(0, "QelEditParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr, nullptr,
                                  nullptr, nullptr);
        commands.clear();
    }
    void TearDown() override
    {
        DestroyWindow(parent_);
        EXPECT_EQ(QelGdiLiveObjects(), liveAtStart_);
    }

    HWND Make(DWORD style, int id)
    {
        return CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | style, 10, 10, 200, 40, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    QelDistinctPalette palette_;
    HWND parent_ = nullptr;
    size_t liveAtStart_ = 0;
};

// "alpha" spans x 1-31 and its tab reaches 48 from the text's left, 1: "beta" at 49 on the
// default stops; on stops every 16 dialog units (24 pixels) it stands at 1 + 48 as well.
// Characters 2 to 8 ("pha\tbe") are selected: highlight from 1 + 12 to 1 + 60, line 1-14.
TEST_F(Edits, TextPaintsFromOneOneWithItsSelectionInTheHighlightColours)
{
    HWND edit = Make(ES_MULTILINE | ES_AUTOVSCROLL, 1);
    SendMessageA(edit, EM_SETTABSTOPS, 0, 0);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SetWindowTextA(edit, "alpha\tbeta\r\ngamma");
    SendMessageA(edit, EM_SETSEL, 2, 8);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    DWORD start = 0, end = 0;
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)),
              MAKELONG(2, 8));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 8u);
    EXPECT_EQ(SendMessageA(edit, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    QelPaintPending();
    {
        QelCapturedWindow shot(edit);
        RECT all{0, 0, 200, 40};
        EXPECT_EQ(shot.Read(all, GetSysColor(COLOR_WINDOWTEXT)), "al        ta\ngamma");
        EXPECT_EQ(shot.Read(all, GetSysColor(COLOR_HIGHLIGHTTEXT)), "pha   be");
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), window = GetSysColor(COLOR_WINDOW);
        struct Pixel {
            int x, y;
            COLORREF color;
        } pixels[] = {{12, 1, window}, {13, 1, highlight}, {60, 13, highlight}, {61, 1, window},
                      {13, 0, window}, {13, 14, window},  {1, 15, window}};
        for (const Pixel &p : pixels)
            EXPECT_EQ(shot.At(p.x, p.y), p.color) << p.x << "," << p.y;
    }
    QelShot(edit, "edit_selection");

    const INT every16[] = {16};
    SendMessageA(edit, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(every16));
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    QelPaintPending();
    QelCapturedWindow shot(edit);
    RECT all{0, 0, 200, 40};
    EXPECT_EQ(shot.Read(all, GetSysColor(COLOR_WINDOWTEXT)), "alpha   beta\ngamma");
    EXPECT_EQ(shot.Read(all, GetSysColor(COLOR_HIGHLIGHTTEXT)), "");
}

TEST_F(Edits, SelectionsAreOrderedAndKeptWithinTheText)
{
    HWND edit = Make(0, 1);
    SetWindowTextA(edit, "abcdef");
    struct Case {
        WPARAM start;
        LPARAM end;
        DWORD wantStart, wantEnd;
    } cases[] = {{0, -1, 0, 6}, {5, 2, 2, 5}, {3, 99, 3, 6}, {static_cast<WPARAM>(-1), 0, 6, 6}, {4, 4, 4, 4}};
    for (const Case &c : cases) {
        SendMessageA(edit, EM_SETSEL, c.start, c.end);
        DWORD start = 99, end = 99;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, c.wantStart) << c.start << "," << c.end;
        EXPECT_EQ(end, c.wantEnd) << c.start << "," << c.end;
    }
    SetWindowTextA(edit, "xy");
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(0, 0)) << "new text puts the selection at its start";
}

TEST_F(Edits, SettingTheTextTellsChangeOnlyForSingleLineEdits)
{
    HWND single = Make(ES_AUTOHSCROLL, 7);
    HWND multi = Make(ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN, 8);
    SetWindowTextA(multi, "two\r\nlines");
    EXPECT_TRUE(commands.empty());
    SetWindowTextA(single, "one");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], MAKEWPARAM(7, EN_CHANGE));
    char text[16];
    GetWindowTextA(multi, text, sizeof text);
    EXPECT_STREQ(text, "two\r\nlines");
}

} // namespace
