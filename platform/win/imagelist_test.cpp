#include "testing/drawingfixture.h"

namespace {

const COLORREF kRed = RGB(200, 0, 0);
const COLORREF kGreen = RGB(0, 190, 0);
const COLORREF kBlue = RGB(0, 0, 180);
const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kYellow = RGB(250, 250, 0);

// Three images of 4 x 2 side by side, red, green and blue; the green one's pixel (1, 0)
// magenta. The mask is black but for image 0's pixel (0, 0) and image 2's (1, 1).
class ImageLists : public QelDrawingTest {
protected:
    void SetUp() override
    {
        QelDrawingTest::SetUp();
        scratch_ = CreateCompatibleDC(nullptr);
        images_ = CreateCompatibleBitmap(scratch_, 12, 2);
        mask_ = CreateCompatibleBitmap(scratch_, 12, 2);
        HGDIOBJ before = SelectObject(scratch_, images_);
        const COLORREF colors[3] = {kRed, kGreen, kBlue};
        for (int x = 0; x < 12; ++x)
            for (int y = 0; y < 2; ++y)
                SetPixel(scratch_, x, y, colors[x / 4]);
        SetPixel(scratch_, 5, 0, kMagenta);
        SelectObject(scratch_, mask_);
        SetPixel(scratch_, 0, 0, RGB(255, 255, 255));
        SetPixel(scratch_, 9, 1, RGB(1, 0, 0)); // not black: transparent too
        SelectObject(scratch_, before);
    }

    void TearDown() override
    {
        DeleteObject(images_);
        DeleteObject(mask_);
        DeleteDC(scratch_);
        QelDrawingTest::TearDown();
    }

    // Draws the image at (x, y) on a fresh surface and answers the image's 8 pixels.
    std::vector<COLORREF> Drawn(HIMAGELIST list, int index, UINT style, int x = 10, int y = 10)
    {
        Clear();
        EXPECT_TRUE(ImageList_Draw(list, index, dc_, x, y, style));
        std::vector<COLORREF> pixels;
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column)
                pixels.push_back(GetPixel(dc_, x + column, y + row));
        return pixels;
    }

    HDC scratch_ = nullptr;
    HBITMAP images_ = nullptr;
    HBITMAP mask_ = nullptr;
};

const COLORREF P = kQelPaper;

TEST_F(ImageLists, MaskBitmapMakesNonBlackPixelsTransparentAndTheBackgroundFillsThem)
{
    HIMAGELIST list = ImageList_Create(4, 2, ILC_MASK | ILC_COLOR32, 3, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_Add(list, images_, mask_), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    const COLORREF R = kRed, B = kBlue, Y = kYellow;
    EXPECT_EQ(Drawn(list, 0, ILD_NORMAL), (std::vector<COLORREF>{P, R, R, R, R, R, R, R}));
    EXPECT_EQ(Drawn(list, 2, ILD_TRANSPARENT), (std::vector<COLORREF>{B, B, B, B, B, P, B, B}));
    EXPECT_EQ(ImageList_SetBkColor(list, kYellow), static_cast<COLORREF>(CLR_NONE));
    EXPECT_EQ(Drawn(list, 0, ILD_NORMAL), (std::vector<COLORREF>{Y, R, R, R, R, R, R, R}));
    EXPECT_EQ(Drawn(list, 0, ILD_TRANSPARENT), (std::vector<COLORREF>{P, R, R, R, R, R, R, R}));
    EXPECT_EQ(ImageList_SetBkColor(list, CLR_NONE), kYellow);
    EXPECT_EQ(Drawn(list, 0, ILD_NORMAL), (std::vector<COLORREF>{P, R, R, R, R, R, R, R})) << "CLR_NONE keeps";

    // Clipped to the surface: drawn at (-2, -1), image row 1's columns 2 and 3 show.
    Clear();
    EXPECT_TRUE(ImageList_Draw(list, 0, dc_, -2, -1, ILD_NORMAL));
    EXPECT_EQ(Box(kRed), (RECT{0, 0, 2, 1}));

    IMAGEINFO info;
    ASSERT_TRUE(ImageList_GetImageInfo(list, 2, &info));
    EXPECT_EQ(info.rcImage, (RECT{8, 0, 12, 2}));
    EXPECT_FALSE(ImageList_GetImageInfo(list, 3, &info));
    EXPECT_TRUE(ImageList_Destroy(list));
}

TEST_F(ImageLists, MaskColourAndListsWithoutMasks)
{
    const COLORREF R = kRed, G = kGreen, M = kMagenta;
    HIMAGELIST masked = ImageList_Create(4, 2, ILC_MASK, 0, 0);
    HIMAGELIST plain = ImageList_Create(4, 2, ILC_COLOR24, 0, 0);
    EXPECT_EQ(ImageList_AddMasked(masked, images_, kMagenta), 0);
    EXPECT_EQ(Drawn(masked, 1, ILD_NORMAL), (std::vector<COLORREF>{G, P, G, G, G, G, G, G}));
    EXPECT_EQ(ImageList_Add(plain, images_, mask_), 0);
    EXPECT_EQ(ImageList_AddMasked(plain, images_, kMagenta), 3) << "indexes go on";
    EXPECT_EQ(Drawn(plain, 0, ILD_TRANSPARENT), (std::vector<COLORREF>{R, R, R, R, R, R, R, R}));
    EXPECT_EQ(Drawn(plain, 4, ILD_TRANSPARENT), (std::vector<COLORREF>{G, M, G, G, G, G, G, G}));
    EXPECT_EQ(ImageList_Add(masked, nullptr, nullptr), -1);
    HBITMAP narrow = CreateCompatibleBitmap(scratch_, 3, 2);
    EXPECT_EQ(ImageList_Add(masked, narrow, nullptr), -1) << "narrower than one image";
    DeleteObject(narrow);
    EXPECT_TRUE(ImageList_Destroy(masked));
    EXPECT_TRUE(ImageList_Destroy(plain));
}

TEST_F(ImageLists, AnIndexOutOfTheListDrawsNothing)
{
    HIMAGELIST list = ImageList_Create(4, 2, ILC_MASK, 0, 0);
    ImageList_Add(list, images_, nullptr);
    for (int index : {-1, 3, 1000}) {
        EXPECT_FALSE(ImageList_Draw(list, index, dc_, 0, 0, ILD_NORMAL)) << index;
        EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelPaper), kWidth * kHeight) << index;
    }
    EXPECT_FALSE(ImageList_Draw(list, 0, nullptr, 0, 0, ILD_NORMAL));
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Draw(list, 0, dc_, 0, 0, ILD_NORMAL));
}

TEST_F(ImageLists, ADuplicateIsIndependentOfItsSource)
{
    const COLORREF R = kRed, Y = kYellow;
    HIMAGELIST source = ImageList_Create(4, 2, ILC_MASK, 0, 0);
    ImageList_Add(source, images_, mask_);
    HIMAGELIST copy = ImageList_Duplicate(source);
    ASSERT_NE(copy, nullptr);
    ImageList_SetBkColor(copy, kYellow);
    ImageList_Add(source, images_, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(source), 6);
    EXPECT_EQ(ImageList_GetImageCount(copy), 3);
    EXPECT_EQ(ImageList_GetBkColor(source), static_cast<COLORREF>(CLR_NONE));
    EXPECT_TRUE(ImageList_Destroy(source));
    EXPECT_EQ(Drawn(copy, 0, ILD_NORMAL), (std::vector<COLORREF>{Y, R, R, R, R, R, R, R}));
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(copy, &cx, &cy));
    EXPECT_EQ(cx * 10 + cy, 42);
    EXPECT_TRUE(ImageList_Destroy(copy));
    EXPECT_EQ(ImageList_Duplicate(copy), nullptr);
}

} // namespace
