// For tests of what is drawn: a palette whose colours all differ, a memory DC with a
// bitmap, pixel counts and text read back, and a check that no GDI object is left.
#pragma once

#include "windows.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Every system colour different from the others and from the test's own colours; the
// classic table comes back afterwards.
class QelDistinctPalette {
public:
    QelDistinctPalette()
    {
        for (int i = 0; i <= COLOR_INFOBK; ++i) {
            indexes_.push_back(i);
            saved_.push_back(GetSysColor(i));
            colors_.push_back(RGB(10 + 9 * i, 200 - 7 * i, 33 + 5 * i));
        }
        SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), colors_.data());
    }
    ~QelDistinctPalette() { SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), saved_.data()); }

private:
    std::vector<INT> indexes_;
    std::vector<COLORREF> saved_;
    std::vector<COLORREF> colors_;
};

const COLORREF kQelPaper = RGB(250, 240, 230);
const COLORREF kQelInk = RGB(20, 40, 160);

class QelDrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        liveAtStart_ = QelGdiLiveObjects();
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc_, kWidth, kHeight);
        before_ = SelectObject(dc_, bitmap_);
        Clear();
        SetTextColor(dc_, kQelInk);
        SetBkMode(dc_, TRANSPARENT);
    }

    void TearDown() override
    {
        SelectObject(dc_, before_);
        EXPECT_TRUE(DeleteObject(bitmap_));
        EXPECT_TRUE(DeleteDC(dc_));
        EXPECT_EQ(QelGdiLiveObjects(), liveAtStart_) << "every object and DC made is gone";
    }

    void Clear(COLORREF color = kQelPaper)
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                SetPixel(dc_, x, y, color);
    }

    // Pixels of `color` within `rect` (device coordinates: the DC's origins untouched).
    int Count(const RECT &rect, COLORREF color) const
    {
        int count = 0;
        for (LONG y = rect.top; y < rect.bottom; ++y)
            for (LONG x = rect.left; x < rect.right; ++x)
                count += GetPixel(dc_, x, y) == color ? 1 : 0;
        return count;
    }

    // The bounding box of the pixels of `color`; empty when there is none.
    RECT Box(COLORREF color) const
    {
        RECT box{kWidth, kHeight, 0, 0};
        for (LONG y = 0; y < kHeight; ++y)
            for (LONG x = 0; x < kWidth; ++x)
                if (GetPixel(dc_, x, y) == color)
                    box = RECT{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                               std::max(box.bottom, y + 1)};
        return box.right == 0 ? RECT{0, 0, 0, 0} : box;
    }

    std::string Read(COLORREF color = kQelInk) const
    {
        RECT all{0, 0, kWidth, kHeight};
        char text[1024];
        QelReadText(dc_, &all, color, text, sizeof text);
        return text;
    }

    static const int kWidth = 240;
    static const int kHeight = 120;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ before_ = nullptr;
    size_t liveAtStart_ = 0;
};

inline bool operator==(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream &operator<<(std::ostream &out, const RECT &r)
{
    return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
