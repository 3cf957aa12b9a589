#include "combobox.h"
#include "devicecontext.h"
#include "drawing.h"
#include "gdiobjects.h"
#include "dialogs.h"
#include "globalmemory.h"
#include "imagelist.h"
#include "imagelistdrag.h"
#include "lasterror.h"
#include "listview.h"
#include "progressbar.h"
#include "resources.h"
#include "windowclass.h"
#include "windowcreate.h"
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
// A device-independent bitmap: header, colour table (0x00RRGGBB each), then `rows` as
// stored, each already padded to 4 bytes.
std::vector<BYTE> Dib(LONG width, LONG height, WORD bits, const std::vector<DWORD> &colors,
                      const std::vector<std::vector<BYTE>> &rows, DWORD used = 0)
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biClrUsed = used;
    std::vector<BYTE> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    for (DWORD color : colors)
        for (int shift : {0, 8, 16, 24})
            bytes.push_back(static_cast<BYTE>(color >> shift));
    for (const auto &row : rows)
        bytes.insert(bytes.end(), row.begin(), row.end());
    return bytes;
}

// The pixel of image `index` at (x, y), drawn over white.
COLORREF PixelOfImage(HIMAGELIST list, int index, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 32, 32);
    HGDIOBJ before = SelectObject(dc, bitmap);
    RECT all = {0, 0, 32, 32};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT);
    COLORREF color = GetPixel(dc, x, y);
    SelectObject(dc, before);
    DeleteObject(white);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return color;
}

TEST(ImageList, ReadsTheBitmapsPixelsInEitherRowOrderWithTheirMask)
{
    // 4 bits, bottom up, 32 x 4: image 0 red over green, image 1 blue; a row is 16 bytes.
    std::vector<std::vector<BYTE>> rows4;
    for (int stored = 0; stored < 4; ++stored) {
        BYTE left = stored < 2 ? 0x22 : 0x11; // stored from the bottom: the top two are red
        std::vector<BYTE> row(8, left);
        row.resize(16, 0x33);
        rows4.push_back(row);
    }
    std::vector<BYTE> four = Dib(32, 4, 4, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, rows4, 4);
    // 8 bits, top down, 4 x 2, two colours used; magenta is the mask.
    std::vector<BYTE> eight = Dib(4, -2, 8, {0xFFFFFF, 0xFF00FF}, {{0, 1, 1, 0}, {1, 1, 1, 1}}, 2);
    // 24 bits, bottom up, 3 x 2: rows of 9 bytes padded to 12; the top-left pixel is the mask.
    std::vector<BYTE> twentyFour = Dib(3, 2, 24, {},
                                       {{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0, 0, 0},
                                        {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0, 0, 0}});
    std::vector<BYTE> thirtyTwo = Dib(1, 1, 32, {}, {{0x33, 0x22, 0x11, 0xFF}});
    const QEL_RESOURCE_ENTRY entries[] = {
        {RT_BITMAP, MAKEINTRESOURCE(130), four.data(), static_cast<DWORD>(four.size())},
        {RT_BITMAP, MAKEINTRESOURCE(131), eight.data(), static_cast<DWORD>(eight.size())},
        {RT_BITMAP, MAKEINTRESOURCE(132), twentyFour.data(), static_cast<DWORD>(twentyFour.size())},
        {RT_BITMAP, MAKEINTRESOURCE(133), thirtyTwo.data(), static_cast<DWORD>(thirtyTwo.size())},
    };
    const QEL_MODULE_RESOURCES tables = {nullptr, 0, entries, 4};
    static int anchor;
    HINSTANCE module = QelRegisterModule(&anchor, &tables);
    ASSERT_NE(module, nullptr);
    HIMAGELIST list = ImageList_LoadImageA(module, MAKEINTRESOURCE(130), 16, 1, CLR_NONE, IMAGE_BITMAP, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 4);
    EXPECT_EQ(PixelOfImage(list, 0, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOfImage(list, 0, 15, 3), RGB(0, 255, 0));
    EXPECT_EQ(PixelOfImage(list, 1, 7, 2), RGB(0, 0, 255));
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    list = ImageList_LoadImageA(module, MAKEINTRESOURCE(131), 4, 1, RGB(255, 0, 255), IMAGE_BITMAP, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(PixelOfImage(list, 0, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(PixelOfImage(list, 0, 1, 0), RGB(255, 255, 255)); // magenta: see-through to white
    EXPECT_EQ(PixelOfImage(list, 0, 3, 0), RGB(255, 255, 255));
    ImageList_Destroy(list);
    list = ImageList_LoadImageA(module, MAKEINTRESOURCE(132), 3, 1, CLR_DEFAULT, IMAGE_BITMAP, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(PixelOfImage(list, 0, 0, 0), RGB(255, 255, 255)); // the top-left colour is the mask
    EXPECT_EQ(PixelOfImage(list, 0, 1, 0), RGB(0x06, 0x05, 0x04));
    EXPECT_EQ(PixelOfImage(list, 0, 2, 1), RGB(0x90, 0x80, 0x70));
    ImageList_Destroy(list);
    list = ImageList_LoadImageA(module, MAKEINTRESOURCE(133), 1, 1, CLR_NONE, IMAGE_BITMAP, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(PixelOfImage(list, 0, 0, 0), RGB(0x11, 0x22, 0x33));
    ImageList_Destroy(list);
    EXPECT_EQ(ImageList_LoadImageA(module, MAKEINTRESOURCE(130), 64, 1, CLR_NONE, IMAGE_BITMAP, 0), nullptr);
    EXPECT_EQ(ImageList_LoadImageA(module, MAKEINTRESOURCE(134), 16, 1, CLR_NONE, IMAGE_BITMAP, 0), nullptr);
    QelUnregisterModule(module);
}

TEST(ImageList, ADragKeepsItsOwnCopyWithItsHotSpotAndPosition)
{
    HIMAGELIST list = ImageList_Create(8, 8, ILC_COLOR32 | ILC_MASK, 1, 0);
    EXPECT_FALSE(ImageList_BeginDrag(list, 0, 1, 2)); // no image yet
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    ASSERT_EQ(ImageList_Add(list, bitmap, nullptr), 0);
    EXPECT_FALSE(ImageList_DragMove(5, 5));
    ASSERT_TRUE(ImageList_BeginDrag(list, 0, 3, 4));
    ImageList_Destroy(list); // the drag has its own copy
    EXPECT_TRUE(ImageList_DragEnter(nullptr, 10, 20));
    EXPECT_TRUE(ImageList_DragMove(30, 40));
    POINT position{}, hotSpot{};
    HIMAGELIST dragged = ImageList_GetDragImage(&position, &hotSpot);
    ASSERT_NE(dragged, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(dragged), 1);
    EXPECT_EQ(position.x, 30);
    EXPECT_EQ(position.y, 40);
    EXPECT_EQ(hotSpot.x, 3);
    EXPECT_EQ(hotSpot.y, 4);
    EXPECT_TRUE(ImageList_DragLeave(nullptr));
    ImageList_EndDrag();
    EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(dragged), 0);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(ImageList, ADamagedBitmapGivesNoListAndIsNeverReadBeyondItsEnd)
{
    std::vector<BYTE> good = Dib(4, 2, 8, {0, 0xFFFFFF}, {{0, 1, 0, 1}, {1, 0, 1, 0}}, 2);
    auto changed = [&](size_t at, const void *value, size_t size) {
        std::vector<BYTE> bytes = good;
        std::memcpy(bytes.data() + at, value, size);
        return bytes;
    };
    const LONG kMinHeight = INT32_MIN, kTall = -20000, kWide = 20000;
    const DWORD kBigHeader = 4000, kTooManyColours = 300, kRle = 1;
    const WORD kSixteen = 16;
    std::vector<std::vector<BYTE>> damaged = {
        std::vector<BYTE>(good.begin(), good.end() - 1),          // the last row cut
        std::vector<BYTE>(good.begin(), good.begin() + 44),       // the colour table cut
        std::vector<BYTE>(good.begin(), good.begin() + 20),       // the header cut
        changed(0, &kBigHeader, 4),                               // a header beyond the end
        changed(4, &kWide, 4), changed(8, &kTall, 4), changed(8, &kMinHeight, 4),
        changed(14, &kSixteen, 2), changed(16, &kRle, 4), changed(32, &kTooManyColours, 4),
        Dib(4, 1, 8, {0, 0xFFFFFF}, {{0, 1, 2, 0}}, 2),           // an index beyond the table
    };
    std::vector<QEL_RESOURCE_ENTRY> entries;
    for (size_t i = 0; i < damaged.size(); ++i)
        entries.push_back({RT_BITMAP, MAKEINTRESOURCE(140 + i), damaged[i].data(), static_cast<DWORD>(damaged[i].size())});
    entries.push_back({RT_BITMAP, MAKEINTRESOURCE(139), good.data(), static_cast<DWORD>(good.size())});
    const QEL_MODULE_RESOURCES tables = {nullptr, 0, entries.data(), entries.size()};
    static int anchor;
    HINSTANCE module = QelRegisterModule(&anchor, &tables);
    ASSERT_NE(module, nullptr);
    HIMAGELIST list = ImageList_LoadImageA(module, MAKEINTRESOURCE(139), 2, 1, CLR_NONE, IMAGE_BITMAP, 0);
    EXPECT_NE(list, nullptr);
    ImageList_Destroy(list);
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE("damage " + std::to_string(i));
        SetLastError(0);
        EXPECT_EQ(ImageList_LoadImageA(module, MAKEINTRESOURCE(140 + i), 2, 1, CLR_NONE, IMAGE_BITMAP, 0), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    }
    QelUnregisterModule(module);
}

} // namespace
