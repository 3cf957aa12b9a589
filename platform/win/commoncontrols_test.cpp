#include "combobox.h"
#include "dialogs.h"
#include "globalmemory.h"
#include "imagelist.h"
#include "inputmessages.h"
#include "lasterror.h"
#include "listview.h"
#include "progressbar.h"
#include "resources.h"
#include "tooltip.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// What the parent was told: "command:ID:CODE" and "notify:ID:CODE:ROW:X".
std::vector<std::string> told;

LRESULT CALLBACK ParentRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        told.push_back("command:" + std::to_string(LOWORD(wParam)) + ":" + std::to_string(HIWORD(wParam)));
    if (message == WM_NOTIFY) {
        const auto *click = reinterpret_cast<const NMITEMACTIVATE *>(lParam);
        told.push_back("notify:" + std::to_string(wParam) + ":" + std::to_string(static_cast<int>(click->hdr.code)) +
                       ":" + std::to_string(click->iItem) + ":" + std::to_string(click->ptAction.x));
        return 7;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class CommonControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = ParentRecorder;
            windowClass.lpszClassName = "QelControlParent";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        told.clear();
        parent_ = CreateWindowExA(0, "QelControlParent", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND Child(LPCSTR className, int id)
    {
        return CreateWindowExA(0, className, "", WS_CHILD, 0, 0, 50, 50, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               nullptr, nullptr);
    }

    static std::string Text(HWND window)
    {
        char text[64];
        GetWindowTextA(window, text, sizeof text);
        return text;
    }

    HWND parent_ = nullptr;
};

// Items in order; picking one makes its text the edit text; typing tells the parent;
// emptying the list empties the text.
TEST_F(CommonControls, AComboBoxKeepsItsItemsAndAnEditText)
{
    HWND combo = Child("ComboBox", 5);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("main")), 0);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("0x100")), 1);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 1, 0), 5);
    char item[8];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item)), 5);
    EXPECT_STREQ(item, "0x100");
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item)), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(Text(combo), "0x100");
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(told.empty());
    SetWindowTextA(combo, "typed");
    EXPECT_EQ(told, std::vector<std::string>{"command:5:5"});
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Text(combo), "");
}

// A sorted list puts each text in the platform's order, keeps a value per item that
// follows it, finds texts blind to case, and tells the parent of what the user does in
// the open list and of its closing only.
TEST_F(CommonControls, ASortedComboBoxListsInThePlatformsOrderAndTellsWhatTheUserPicks)
{
    HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | CBS_SORT | CBS_DROPDOWNLIST, 0, 0, 50, 50, parent_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(4)), nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    for (const char *text : {"zeta", "Beta", "alpha", "beta", "_start"})
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        char item[16] = "";
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        order.push_back(item);
        EXPECT_EQ(SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), 100 + i), TRUE);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"_start", "alpha", "Beta", "beta", "zeta"}))
        << "equal texts blind to case stay in the order they came";
    EXPECT_EQ(SendMessageA(combo, CB_SETITEMDATA, 5, 1), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("BETA")), 2);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, 2, reinterpret_cast<LPARAM>("BETA")), 3) << "after item 2";
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, 3, reinterpret_cast<LPARAM>("alpha")), 1) << "round again";
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("bet")), CB_ERR);

    SendMessageA(combo, CB_SETCURSEL, 3, 0);
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 1, 0), 4);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2) << "the selection follows its item";
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 2, 0), 103);
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 2, 0), 3);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR) << "and goes with it";
    EXPECT_EQ(Text(combo), "");
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 3, 0), CB_ERR);
    EXPECT_TRUE(told.empty()) << "nothing the user did";

    ASSERT_TRUE(QelComboPick(combo, 1, FALSE));
    ASSERT_TRUE(QelComboPick(combo, 1, FALSE));
    ASSERT_TRUE(QelComboPick(combo, 2, TRUE));
    EXPECT_EQ(told, (std::vector<std::string>{"command:4:1", "command:4:1", "command:4:8"}))
        << "a change each, then the closing";
    EXPECT_EQ(Text(combo), "zeta");
    told.clear();
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(told.empty()) << "a closed list does not close again";
    EXPECT_FALSE(QelComboPick(combo, 3, TRUE));
    EXPECT_FALSE(QelComboPick(parent_, 0, TRUE));
}

// A tool tip keeps its tools by window and id, their texts and rectangles, and what is
// relayed to it.
TEST_F(CommonControls, AToolTipKeepsItsToolsAndWhatIsRelayed)
{
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, parent_, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    RECT where{};
    GetWindowRect(tip, &where);
    EXPECT_EQ(where.left, 0);
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = parent_;
    tool.uId = 1;
    tool.lpszText = const_cast<LPSTR>("Select program function");
    EXPECT_TRUE(SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));
    tool.lpszText = const_cast<LPSTR>("Select ARM7 program function");
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    char text[12] = "";
    tool.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "Select ARM7") << "cut to the buffer with its NUL";
    tool.uId = 2;
    SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "") << "no such tool";
    tool.cbSize = 8;
    EXPECT_FALSE(SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)));

    EXPECT_EQ(SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 300), -1);
    SendMessageA(tip, TTM_ACTIVATE, TRUE, 0);
    MSG move{};
    move.hwnd = parent_;
    move.message = WM_MOUSEMOVE;
    move.pt = POINT{12, 5};
    SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
    QELTOOLTIPSTATE state{};
    ASSERT_TRUE(QelGetToolTipState(tip, &state));
    EXPECT_TRUE(state.active);
    EXPECT_EQ(state.maxTipWidth, 300);
    EXPECT_TRUE(state.relayed);
    EXPECT_EQ(state.lastRelayed.pt.x, 12);
    EXPECT_FALSE(QelGetToolTipState(parent_, &state));
}

// The position stays inside the range; setting one answers the old.
TEST_F(CommonControls, AProgressBarKeepsItsPositionInsideItsRange)
{
    HWND bar = Child(PROGRESS_CLASS, 6);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 150, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 50)), MAKELONG(0, 100));
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 50);
    SendMessageA(bar, PBM_SETRANGE32, 10, 1000);
    EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 5, 0), 50);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 10);
}

// Rows with texts per column, a number of the caller's and a state image; hit tests on
// the fixed layout; clicks reach the parent as WM_NOTIFY.
TEST_F(CommonControls, AListViewKeepsRowsAndTellsItsParentOfClicks)
{
    HWND list = Child(WC_LISTVIEW, 234);
    ASSERT_NE(list, nullptr);
    LVCOLUMNA column{LVCF_WIDTH | LVCF_TEXT, 0, 50, const_cast<LPSTR>("Loaded"), 0, 0};
    EXPECT_EQ(SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)), 0);
    column.cx = 365;
    EXPECT_EQ(SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)), 1);
    for (int i = 0; i < 2; ++i) {
        std::string text = "#" + std::to_string(i + 1);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = 9;
        item.pszText = text.data();
        item.lParam = 40 + i;
        item.state = INDEXTOSTATEIMAGEMASK(i + 1);
        item.stateMask = LVIS_STATEIMAGEMASK;
        EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), i);
        item.iSubItem = 1;
        item.pszText = const_cast<LPSTR>("a.elf {/p/a.elf}");
        EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item)));
    }
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    char text[8];
    LVITEMA read{};
    read.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    read.iItem = 1;
    read.iSubItem = 1;
    read.pszText = text;
    read.cchTextMax = sizeof text;
    read.stateMask = LVIS_STATEIMAGEMASK;
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_STREQ(text, "a.elf {");
    EXPECT_EQ(read.lParam, 41);
    EXPECT_EQ(read.state, INDEXTOSTATEIMAGEMASK(2));
    LVITEMA state{};
    state.state = INDEXTOSTATEIMAGEMASK(2) | LVIS_SELECTED;
    state.stateMask = LVIS_STATEIMAGEMASK;
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state)));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 0, 0xFFFF), static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(2)));

    const struct {
        int x, y;
        int row;
        UINT flags;
        int subItem;
    } hits[] = {{3, 20, 1, LVHT_ONITEMSTATEICON, 0}, {30, 5, 0, LVHT_ONITEMLABEL, 0}, {60, 5, 0, LVHT_ONITEMLABEL, 1},
                {3, 40, -1, LVHT_NOWHERE, 0},        {500, 5, -1, LVHT_NOWHERE, 0}};
    for (const auto &h : hits) {
        LVHITTESTINFO info{{h.x, h.y}, 0, 0, 0};
        EXPECT_EQ(SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info)), h.row) << h.x << "," << h.y;
        EXPECT_EQ(info.flags, h.flags);
        EXPECT_EQ(info.iSubItem, h.subItem);
    }
    EXPECT_EQ(QelClickListItem(list, 1, TRUE, FALSE), 7);
    EXPECT_EQ(QelClickListItem(list, 0, FALSE, TRUE), 7);
    EXPECT_EQ(told, (std::vector<std::string>{"notify:234:-2:1:8", "notify:234:-3:0:20"}));
    EXPECT_EQ(QelClickListItem(parent_, 0, TRUE, FALSE), -1);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

// Blocks keep their size and are checked: what is not a live block fails.
TEST(GlobalMemory, BlocksAreCheckedHandles)
{
    HGLOBAL block = GlobalAlloc(GHND, 40);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 40u);
    char *bytes = static_cast<char *>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[39], 0);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GlobalFree(block), nullptr);
    for (HGLOBAL stray : {block, static_cast<HGLOBAL>(&told)}) {
        EXPECT_EQ(GlobalLock(stray), nullptr);
        EXPECT_EQ(GlobalSize(stray), 0u);
        EXPECT_EQ(GlobalFree(stray), stray);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

// The list's count is the bitmap's width in images; only a header that fits the resource
// is read.
TEST(ImageList, CountsTheImagesOfABitmapResource)
{
    struct Dib {
        BITMAPINFOHEADER header;
        BYTE bits[64];
    };
    static const Dib twoImages = {{40, 32, 16, 1, 4, 0, 0, 0, 0, 0, 0}, {}};
    static const Dib hugeHeader = {{4000, 32, 16, 1, 4, 0, 0, 0, 0, 0, 0}, {}};
    static const QEL_RESOURCE_ENTRY entries[] = {
        {RT_BITMAP, MAKEINTRESOURCE(130), &twoImages, sizeof twoImages},
        {RT_BITMAP, MAKEINTRESOURCE(131), &twoImages, 20},
        {RT_BITMAP, MAKEINTRESOURCE(132), &hugeHeader, sizeof hugeHeader},
    };
    static const QEL_MODULE_RESOURCES tables = {nullptr, 0, entries, 3};
    static int anchor;
    HINSTANCE module = QelRegisterModule(&anchor, &tables);
    ASSERT_NE(module, nullptr);
    HIMAGELIST list = ImageList_LoadImageA(module, MAKEINTRESOURCE(130), 16, 1, 255, IMAGE_BITMAP, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    for (int id : {131, 132}) {
        EXPECT_EQ(ImageList_LoadImageA(module, MAKEINTRESOURCE(id), 16, 1, 255, IMAGE_BITMAP, 0), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    }
    EXPECT_EQ(ImageList_LoadImageA(module, MAKEINTRESOURCE(130), 64, 1, 255, IMAGE_BITMAP, 0), nullptr);
    EXPECT_EQ(ImageList_LoadImageA(module, MAKEINTRESOURCE(133), 16, 1, 255, IMAGE_BITMAP, 0), nullptr);
    QelUnregisterModule(module);
}

} // namespace
