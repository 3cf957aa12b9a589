#include "selectdialogresources.h"

#include <afxctrls.h>
#include <afxdc.h>
#include <gdipixels.h>

#include <gtest/gtest.h>

namespace {

// Each of the eight images shows its kind's colour at its centre, on white.
TEST(SelectImages, EightImagesEachInItsKindsColour)
{
    size_t objectsAtStart = QelGdiLiveObjects();
    {
        CImageList images;
        ASSERT_TRUE(images.Create(IDB_SELECT_IMAGES, 16, 0, CLR_NONE));
        EXPECT_EQ(images.GetImageCount(), 8);
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 16 * 8, 16));
        CBitmap *before = dc.SelectObject(&bitmap);
        for (int image = 0; image < 8; ++image)
            EXPECT_TRUE(images.Draw(&dc, image, CPoint(16 * image, 0), ILD_NORMAL));
        const COLORREF centres[8] = {RGB(128, 128, 128), RGB(0, 0, 255),   RGB(255, 255, 0), RGB(0, 255, 0),
                                     RGB(128, 0, 128),   RGB(192, 192, 192), RGB(0, 255, 255), RGB(255, 0, 0)};
        for (int image = 0; image < 8; ++image) {
            EXPECT_EQ(dc.GetPixel(16 * image + 8, 8), centres[image]) << "image " << image;
            EXPECT_EQ(dc.GetPixel(16 * image, 0), RGB(255, 255, 255)) << "image " << image;
        }
        dc.SelectObject(before);
    }
    EXPECT_EQ(QelGdiLiveObjects(), objectsAtStart);
}

// The dialog's tree, check box and buttons with their texts and styles, the check box
// off and unusable until a mode asks for it.
TEST(SelectDialogTemplate, HoldsTheTreeTheHiddenExpandBoxAndTheTwoButtons)
{
    HWND dialog = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDD_SYMBOL_SELECT), nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    char text[64];
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ(text, "Select Symbol");
    HWND tree = GetDlgItem(dialog, IDC_SELECT_TREE);
    ASSERT_NE(tree, nullptr);
    GetClassNameA(tree, text, sizeof text);
    EXPECT_STREQ(text, "SysTreeView32");
    const DWORD treeStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP | WS_BORDER | WS_TABSTOP;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(tree, GWL_STYLE)) & treeStyles, treeStyles);
    HWND expand = GetDlgItem(dialog, IDC_SELECT_EXPAND);
    ASSERT_NE(expand, nullptr);
    GetWindowTextA(expand, text, sizeof text);
    EXPECT_STREQ(text, "&Expand");
    EXPECT_FALSE(IsWindowEnabled(expand));
    EXPECT_EQ(GetWindowLongA(expand, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_NE(GetWindowLongA(tree, GWL_STYLE) & WS_VISIBLE, 0);
    GetWindowTextA(GetDlgItem(dialog, IDOK), text, sizeof text);
    EXPECT_STREQ(text, "&Select");
    GetWindowTextA(GetDlgItem(dialog, IDCANCEL), text, sizeof text);
    EXPECT_STREQ(text, "&Close");
    EXPECT_TRUE(DestroyWindow(dialog));
}

} // namespace
