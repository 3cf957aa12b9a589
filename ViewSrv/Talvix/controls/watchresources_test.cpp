// The resources that the watch and locals windows load, as the windows load them.
#include "talvixstrings.h"
#include "watchresources.h"

#include <afxctrls.h>
#include <drawingchecks.h>
#include <hostperiodeditor.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

std::string Loaded(UINT id)
{
    CString text;
    return text.LoadString(id) ? std::string(text) : std::string("<none>");
}

TEST(WatchResources, TheWindowsTextsAndStorageNamesAreTheirOwn)
{
    EXPECT_EQ(Loaded(IDS_LOCALS_TEXTS), "Standard QEL Locals Window\nStdQelLocalsWin\nLocals View\n&Locals\nLocals");
    EXPECT_EQ(Loaded(IDS_WATCH_TEXTS), "Standard QEL Watch Window\nStdQelWatchWin\nWatch View\n&Watch\nWatch");
    EXPECT_EQ(Loaded(IDS_WATCH_NOT_FOUND), "not found");
    EXPECT_EQ(Loaded(IDS_WATCH_STORAGE), "Watches");
    EXPECT_EQ(Loaded(IDS_WATCH_NUMBER), "Number");
    CString entry;
    entry.Format(Loaded(IDS_WATCH_ENTRY).c_str(), 12);
    EXPECT_EQ(std::string(entry), "Watch12");
    EXPECT_EQ(Loaded(IDS_WATCH_HEXADECIMAL), "Hexadecimal");
    EXPECT_EQ(Loaded(IDS_WATCH_ASCII), "ASCII");
    EXPECT_EQ(Loaded(IDS_WATCH_EXPONENTIAL), "Exponential");
    EXPECT_EQ(Loaded(IDS_LOCALS_STORAGE), "Locals");
}

// The palette index of pixel (x, y) of the bitmap, y from the top.
int PixelOf(const unsigned char *bitmap, int x, int y)
{
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap, sizeof header);
    const unsigned char *bits = bitmap + header.biSize + 16 * 4;
    const int stride = (header.biWidth * 4 + 31) / 32 * 4;
    unsigned char pair = bits[(header.biHeight - 1 - y) * stride + x / 2];
    return x % 2 == 0 ? pair >> 4 : pair & 0xF;
}

TEST(WatchResources, TheTreesImageListHoldsFiveDistinctPicturesOf16By16)
{
    CImageList images;
    ASSERT_TRUE(images.Create(IDB_WATCH_IMAGES, 16, 0, RGB(255, 255, 255)));
    EXPECT_EQ(images.GetImageCount(), 5);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images.m_hImageList, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    // Each image draws something on the white ground, and no two draw the same.
    std::set<std::vector<int>> pictures;
    for (int image = 0; image < 5; ++image) {
        std::vector<int> picture;
        int inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                picture.push_back(PixelOf(g_WatchImagesBitmap, image * 16 + x, y));
                inked += picture.back() != 15;
            }
        EXPECT_GT(inked, 10) << "image " << image;
        pictures.insert(picture);
    }
    EXPECT_EQ(pictures.size(), 5u);
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST(WatchResources, TheDisplayFormatDialogOffersTheThreeOptionsInItsGroup)
{
    HWND dialog =
        CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDD_WATCH_CONFIG), nullptr, QuietDialog, 0);
    ASSERT_NE(dialog, nullptr);
    char text[64];
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ(text, "Display format");
    const std::pair<int, const char *> items[] = {{IDC_WATCH_HEXADECIMAL, "He&xadecimal"},
                                                  {IDC_WATCH_ASCII, "&ASCII (for characters)"},
                                                  {IDC_WATCH_EXPONENTIAL, "&Exponential (for floating points)"},
                                                  {IDOK, "OK"},
                                                  {IDCANCEL, "Cancel"}};
    for (const auto &[id, expected] : items) {
        HWND item = GetDlgItem(dialog, id);
        ASSERT_NE(item, nullptr) << id;
        GetWindowTextA(item, text, sizeof text);
        EXPECT_STREQ(text, expected);
    }
    for (int id : {IDC_WATCH_HEXADECIMAL, IDC_WATCH_ASCII, IDC_WATCH_EXPONENTIAL}) {
        EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & 0xF, BS_AUTOCHECKBOX);
        CheckDlgButton(dialog, id, BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog, id), BST_CHECKED);
    }
    // The group box "Options" frames the three boxes.
    HWND group = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowTextA(child, text, sizeof text);
        if (std::strcmp(text, "Options") == 0)
            group = child;
    }
    ASSERT_NE(group, nullptr);
    RECT frame, box;
    GetWindowRect(group, &frame);
    for (int id : {IDC_WATCH_HEXADECIMAL, IDC_WATCH_ASCII, IDC_WATCH_EXPONENTIAL}) {
        GetWindowRect(GetDlgItem(dialog, id), &box);
        EXPECT_TRUE(box.left > frame.left && box.right < frame.right && box.top > frame.top &&
                    box.bottom < frame.bottom)
            << id;
    }
    DestroyWindow(dialog);
}

TEST(WatchResources, TheRefreshPeriodDialogEmbedsTheHostsPeriodEditor)
{
    DWORD cookie = 0;
    ASSERT_EQ(QelHost::RegisterPeriodEditor(&cookie), S_OK);
    CDialog dialog(IDD_WATCH_PERIOD);
    ASSERT_TRUE(dialog.Create(IDD_WATCH_PERIOD));
    char text[64];
    GetWindowTextA(dialog.m_hWnd, text, sizeof text);
    EXPECT_STREQ(text, "Refresh Period for Watch Entry");
    HWND editor = GetDlgItem(dialog.m_hWnd, IDC_WATCH_PERIOD_EDITOR);
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(QelHost::HostControlDispatch(editor), nullptr) << "the host's editor";
    dialog.ShowWindow(SW_SHOW);
    QelPaintPending();
    EXPECT_TRUE(QelShot(dialog.m_hWnd, "watch-period-dialog"));
    RECT client;
    GetClientRect(dialog.m_hWnd, &client);
    RECT units{0, 0, 246, 145};
    MapDialogRect(dialog.m_hWnd, &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_NE(GetDlgItem(dialog.m_hWnd, IDOK), nullptr);
    EXPECT_NE(GetDlgItem(dialog.m_hWnd, IDCANCEL), nullptr);
    dialog.DestroyWindow();
    EXPECT_FALSE(IsWindow(editor));
    CoRevokeClassObject(cookie);
}

} // namespace
