#include "afx.h"
#include "imagelistdrag.h"

#include "testing/drawingfixture.h"

namespace {

class CImageListTest : public QelDrawingTest {};

// Two 3 x 3 images of one bitmap, the second one's centre in the mask colour; a copy made
// with Create(CImageList *) keeps them after the source is gone.
TEST_F(CImageListTest, AddsDrawsAndCopiesThroughTheFrameworkForms)
{
    CDC *dc = CDC::FromHandle(dc_);
    CBitmap strip;
    ASSERT_TRUE(strip.CreateCompatibleBitmap(dc, 6, 3));
    {
        CDC paint;
        ASSERT_TRUE(paint.CreateCompatibleDC(dc));
        CBitmap *before = paint.SelectObject(&strip);
        paint.FillSolidRect(0, 0, 6, 3, kQelInk);
        paint.SetPixel(4, 1, RGB(255, 0, 255));
        paint.SelectObject(before);
    }
    CImageList copy;
    {
        CImageList list;
        ASSERT_TRUE(list.Create(3, 3, ILC_MASK | ILC_COLOR32, 2, 0));
        EXPECT_EQ(list.Add(&strip, RGB(255, 0, 255)), 0);
        EXPECT_EQ(list.GetImageCount(), 2);
        EXPECT_TRUE(list.Draw(dc, 1, CPoint(10, 10), ILD_TRANSPARENT));
        EXPECT_EQ(Count(RECT{10, 10, 13, 13}, kQelInk), 8);
        EXPECT_EQ(GetPixel(dc_, 11, 11), kQelPaper);
        EXPECT_FALSE(list.Draw(dc, 2, CPoint(0, 0), ILD_NORMAL));
        ASSERT_TRUE(copy.Create(&list));
        list.SetBkColor(RGB(1, 2, 3));
        EXPECT_EQ(copy.GetBkColor(), static_cast<COLORREF>(CLR_NONE));
    }
    copy.SetBkColor(RGB(9, 8, 7));
    EXPECT_TRUE(copy.Draw(dc, 1, CPoint(20, 10), ILD_NORMAL));
    EXPECT_EQ(GetPixel(dc_, 21, 11), RGB(9, 8, 7));
    IMAGEINFO info;
    EXPECT_TRUE(copy.GetImageInfo(1, &info));
    EXPECT_EQ(info.rcImage, (RECT{3, 0, 6, 3}));
    // Image 1, its centre see-through, as overlay 1 over image 0 keeps image 0's centre.
    EXPECT_TRUE(copy.SetOverlayImage(1, 1));
    EXPECT_FALSE(copy.SetOverlayImage(2, 1));
    // Merged: image 0 with image 1 four pixels right of it, 7 x 3, the column between
    // them see-through.
    CImageList merged;
    ASSERT_TRUE(merged.Create(copy, 0, copy, 1, 4, 0));
    EXPECT_EQ(merged.GetImageCount(), 1);
    EXPECT_TRUE(merged.Draw(dc, 0, CPoint(30, 10), ILD_TRANSPARENT));
    EXPECT_EQ(Count(RECT{30, 10, 37, 13}, kQelInk), 9 + 8);
    EXPECT_EQ(GetPixel(dc_, 33, 11), kQelPaper);
    EXPECT_EQ(GetPixel(dc_, 35, 11), kQelPaper);
    // A drag keeps its image and place.
    EXPECT_TRUE(merged.BeginDrag(0, CPoint(1, 1)));
    EXPECT_TRUE(CImageList::DragEnter(nullptr, CPoint(5, 6)));
    EXPECT_TRUE(CImageList::DragMove(CPoint(7, 8)));
    POINT at{};
    EXPECT_NE(ImageList_GetDragImage(&at, nullptr), nullptr);
    EXPECT_EQ(at.x, 7);
    EXPECT_TRUE(CImageList::DragLeave(nullptr));
    CImageList::EndDrag();
    EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
}

} // namespace
