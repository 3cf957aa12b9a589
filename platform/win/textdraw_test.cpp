#include "testing/drawingfixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

class TextDrawing : public QelDrawingTest {
protected:
    void UseFont(LONG weight)
    {
        LOGFONTA wanted{};
        wanted.lfHeight = -17; // any size maps to the one font
        wanted.lfWeight = weight;
        std::snprintf(wanted.lfFaceName, sizeof wanted.lfFaceName, "Courier New");
        font_ = CreateFontIndirectA(&wanted);
        fontBefore_ = SelectObject(dc_, font_);
    }

    void TearDown() override
    {
        if (font_ != nullptr) {
            SelectObject(dc_, fontBefore_);
            EXPECT_TRUE(DeleteObject(font_));
        }
        QelDrawingTest::TearDown();
    }

    HFONT font_ = nullptr;
    HGDIOBJ fontBefore_ = nullptr;
};

TEST_F(TextDrawing, EveryGlyphAndItsBoldFormReadBackAsItself)
{
    for (LONG weight : {FW_NORMAL, FW_BOLD}) {
        UseFont(weight);
        for (int byte = 33; byte <= 126; ++byte) {
            Clear();
            char text = static_cast<char>(byte);
            TextOutA(dc_, 7, 5, &text, 1);
            EXPECT_EQ(Read(), std::string(1, text)) << "byte " << byte << " weight " << weight;
        }
        SelectObject(dc_, fontBefore_);
        DeleteObject(font_);
        font_ = nullptr;
    }
}

TEST_F(TextDrawing, TheStylesTellBoldGlyphsFromRegularOnesAcrossLines)
{
    UseFont(FW_NORMAL);
    TextOutA(dc_, 7, 5, "ab", 2);
    TextOutA(dc_, 7, 40, "1 .", 3);
    HFONT bold = nullptr;
    {
        LOGFONTA wanted{};
        wanted.lfHeight = -17;
        wanted.lfWeight = FW_BOLD;
        bold = CreateFontIndirectA(&wanted);
    }
    HGDIOBJ regular = SelectObject(dc_, bold);
    TextOutA(dc_, 7 + 4 * 6, 5, "Cd", 2);
    TextOutA(dc_, 7 + 3 * 6, 40, "x", 1);
    SelectObject(dc_, regular);
    DeleteObject(bold);

    RECT all{0, 0, kWidth, kHeight};
    char text[64], styles[64];
    ASSERT_EQ(QelReadTextStyles(dc_, &all, kQelInk, text, styles, sizeof text), 11);
    EXPECT_STREQ(text, "ab  Cd\n1 .x");
    EXPECT_STREQ(styles, "rr  bb r rb");
    // Cut short with the text, and a caller that wants no styles gets the same text.
    ASSERT_EQ(QelReadTextStyles(dc_, &all, kQelInk, text, styles, 6), 5);
    EXPECT_STREQ(styles, "rr  b");
    EXPECT_EQ(Read(), "ab  Cd\n1 .x");
    // The same glyphs with the cells they stand in, for a reader that needs to know where.
    QELGLYPH glyphs[3];
    ASSERT_EQ(QelFindGlyphs(dc_, &all, kQelInk, glyphs, 3), 7);
    EXPECT_EQ(glyphs[0].x, 7);
    EXPECT_EQ(glyphs[0].top, 5);
    EXPECT_EQ(glyphs[0].byte, 'a');
    EXPECT_EQ(glyphs[2].x, 7 + 4 * 6);
    EXPECT_EQ(glyphs[2].byte, 'C');
    EXPECT_TRUE(glyphs[2].bold);
    RECT second{7 + 6, 40, kWidth, kHeight};
    ASSERT_EQ(QelFindGlyphs(dc_, &second, kQelInk, glyphs, 3), 2);
    EXPECT_EQ(glyphs[0].byte, '.');
    EXPECT_EQ(glyphs[0].x, 7 + 2 * 6);
    EXPECT_EQ(glyphs[0].top, 40);
    EXPECT_FALSE(glyphs[0].bold);
}

TEST_F(TextDrawing, GlyphsStandInTheirCellsAndOtherBytesAreBoxes)
{
    struct Case {
        const char *text;
        LONG weight;
        RECT box;  // of the ink, the cell's top left at (10, 20)
        int count; // pixels of ink
    } cases[] = {
        {"H", FW_NORMAL, {10, 23, 15, 30}, 7 + 7 + 3},       // two columns and the bar, rows 3-9
        {"H", FW_BOLD, {10, 23, 16, 30}, 7 * 4 + 2},          // each column doubled, the bar 1 longer
        {"g", FW_NORMAL, {10, 25, 15, 32}, 18},                // below the baseline: rows 5-11
        {"\x01", FW_NORMAL, {10, 23, 15, 30}, 20},             // the box's outline
        {"\xE9", FW_SEMIBOLD, {10, 23, 16, 30}, 6 * 2 + 4 * 5}, // bold from 600 up
        {"HH", FW_NORMAL, {10, 23, 21, 30}, 34},               // 6 pixels apart
    };
    for (const Case &c : cases) {
        UseFont(c.weight);
        Clear();
        TextOutA(dc_, 10, 20, c.text, static_cast<int>(strlen(c.text)));
        EXPECT_EQ(Box(kQelInk), c.box) << c.text;
        EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), c.count) << c.text;
        SelectObject(dc_, fontBefore_);
        DeleteObject(font_);
        font_ = nullptr;
    }
}

TEST_F(TextDrawing, ExtentsCountSixPixelsACharacterAndTabsToTheirStops)
{
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc_, "abc", 3, &size));
    EXPECT_EQ(size.cx, 18);
    EXPECT_EQ(size.cy, 13);
    EXPECT_TRUE(GetTextExtentPoint32A(dc_, "a\tc", 3, &size));
    EXPECT_EQ(size.cx, 18) << "GetTextExtentPoint32A does not expand tabs";
    EXPECT_FALSE(GetTextExtentPoint32A(dc_, "abc", -1, &size));

    const INT every20[] = {20};
    const INT twoStops[] = {10, 30};
    const INT shrinking[] = {30, 10};
    struct Case {
        const char *text;
        int stopCount;
        const INT *stops;
        int width;
    } cases[] = {
        {"a\tb", 0, nullptr, 54},       // 6, to 48, then b
        {"a\tb", 1, every20, 26},       // 6, to 20, then b
        {"a\t\t\tb", 2, twoStops, 54},  // 6, to 10, to 30, to 48, then b
        {"a\tb", 2, shrinking, 54},     // stops that do not grow: every 48
        {"", 0, nullptr, 0},
    };
    for (const Case &c : cases) {
        DWORD extent = GetTabbedTextExtentA(dc_, c.text, static_cast<int>(strlen(c.text)), c.stopCount, c.stops);
        EXPECT_EQ(LOWORD(extent), c.width) << c.text;
        EXPECT_EQ(HIWORD(extent), 13);
    }

    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(dc_, &metrics));
    EXPECT_EQ(metrics.tmHeight, 13);
    EXPECT_EQ(metrics.tmAscent, 10);
    EXPECT_EQ(metrics.tmDescent, 3);
    EXPECT_EQ(metrics.tmExternalLeading + metrics.tmInternalLeading, 0);
    EXPECT_EQ(metrics.tmAveCharWidth, 6);
}

TEST_F(TextDrawing, DrawTextPlacesBreaksAndClipsLines)
{
    struct Case {
        const char *name;
        const char *text;
        RECT rect;
        UINT format;
        int height;      // the answer
        RECT ink;        // the ink's bounding box
        const char *read; // the text read back
    } cases[] = {
        {"left", "HH", {10, 10, 130, 60}, 0, 13, {10, 13, 21, 20}, "HH"},
        {"centre", "HH", {10, 10, 130, 60}, DT_CENTER, 13, {64, 13, 75, 20}, "HH"},       // 10 + (120 - 12) / 2
        {"centre odd", "HH", {10, 10, 131, 60}, DT_CENTER, 13, {64, 13, 75, 20}, "HH"},   // 10 + 109 / 2
        {"right", "HH", {10, 10, 130, 60}, DT_RIGHT, 13, {118, 13, 129, 20}, "HH"},
        {"vcentre", "HH", {10, 10, 130, 60}, DT_VCENTER | DT_SINGLELINE, 13, {10, 31, 21, 38}, "HH"}, // 10 + 37 / 2
        {"vcentre low", "HH", {10, 10, 130, 20}, DT_VCENTER | DT_SINGLELINE, 13, {10, 12, 21, 19}, "HH"}, // 10 + -3 / 2
        {"vcentre needs single line", "HH", {10, 10, 130, 60}, DT_VCENTER, 13, {10, 13, 21, 20}, "HH"},
        {"lines", "HH\nHH\r\nHH\rHH", {10, 10, 130, 80}, 0, 52, {10, 13, 21, 59}, "HH\nHH\nHH\nHH"},
        {"single line boxes", "HH\r\nH", {10, 10, 130, 60}, DT_SINGLELINE | DT_WORDBREAK, 13, {10, 13, 39, 20},
         "HH\x7F\x7FH"},
        {"word break", "aaa bbb ccc", {10, 10, 70, 60}, DT_WORDBREAK, 26, {10, 13, 51, 33}, "aaa bbb\nccc"},
        {"word too wide", "abcdefghijklm pq", {10, 10, 70, 60}, DT_WORDBREAK, 26, {10, 13, 68, 35},
         "abcdefghij\npq"},
        {"blanks at a break go", "aa    bb", {10, 10, 40, 60}, DT_WORDBREAK, 26, {10, 15, 21, 33}, "aa\nbb"},
        {"tab as a box", "a\tb", {10, 10, 130, 60}, 0, 13, {10, 13, 27, 20}, "a\x7F" "b"},
        {"tab expanded", "a\tb", {10, 10, 130, 60}, DT_EXPANDTABS, 13, {10, 13, 63, 20}, "a       b"},
        {"ellipsis", "abcdefghijklmnop", {10, 10, 70, 60}, DT_END_ELLIPSIS | DT_SINGLELINE, 13, {10, 13, 67, 22},
         "abcdefg..."},
        {"ellipsis alone, clipped", "abcdef", {10, 10, 22, 60}, DT_END_ELLIPSIS, 13, {11, 18, 19, 20}, ".."},
        {"clipped", "HHHHHHHHHH", {10, 10, 40, 60}, 0, 13, {10, 13, 39, 20}, "HHHHH"},
        {"not clipped", "HHHHHHHHHH", {10, 10, 40, 60}, DT_NOCLIP, 13, {10, 13, 69, 20}, "HHHHHHHHHH"},
        {"no text", "", {10, 10, 130, 60}, 0, 0, {0, 0, 0, 0}, ""},
    };
    for (const Case &c : cases) {
        Clear();
        RECT rect = c.rect;
        EXPECT_EQ(DrawTextA(dc_, c.text, -1, &rect, c.format), c.height) << c.name;
        EXPECT_EQ(rect, c.rect) << c.name << ": the rectangle stays";
        EXPECT_EQ(Box(kQelInk), c.ink) << c.name;
        EXPECT_EQ(Read(), c.read) << c.name;
    }
}

TEST_F(TextDrawing, DrawTextCalcRectMeasuresWithoutDrawing)
{
    struct Case {
        const char *text;
        UINT format;
        RECT rect;
        RECT measured;
        int height;
    } cases[] = {
        {"HH\nHHH", 0, {10, 10, 130, 60}, {10, 10, 28, 36}, 26},
        {"aaa bbb ccc", DT_WORDBREAK, {10, 10, 70, 60}, {10, 10, 52, 36}, 26},
        {"abcdefghijklmnop", DT_END_ELLIPSIS | DT_SINGLELINE, {10, 10, 70, 60}, {10, 10, 70, 23}, 13},
        {"", DT_WORDBREAK, {10, 10, 70, 60}, {10, 10, 10, 10}, 0},
    };
    for (const Case &c : cases) {
        Clear();
        RECT rect = c.rect;
        EXPECT_EQ(DrawTextA(dc_, c.text, -1, &rect, c.format | DT_CALCRECT), c.height) << c.text;
        EXPECT_EQ(rect, c.measured) << c.text;
        EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), 0) << c.text;
    }
}

TEST_F(TextDrawing, DrawTextReadsNoFurtherThanItsCountAndFillsCellsWhenOpaque)
{
    const char text[] = {'H', 'H', 'H'}; // no terminator
    RECT rect{10, 10, 130, 60};
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, RGB(1, 2, 3));
    EXPECT_EQ(DrawTextA(dc_, text, 2, &rect, 0), 13);
    EXPECT_EQ(Read(), "HH");
    EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, RGB(1, 2, 3)), 12 * 13 - 34) << "the cells, less the ink";
    EXPECT_EQ(DrawTextA(dc_, text, -2, &rect, 0), 0);
    EXPECT_EQ(DrawTextA(nullptr, "x", 1, &rect, 0), 0);
}

TEST_F(TextDrawing, FontsKeepTheirDescriptionAndTheStockFontIsQelSans)
{
    UseFont(FW_BOLD);
    LOGFONTA kept{};
    EXPECT_EQ(GetObjectA(font_, sizeof kept, &kept), static_cast<int>(sizeof kept));
    EXPECT_EQ(kept.lfHeight, -17);
    EXPECT_EQ(kept.lfWeight, FW_BOLD);
    EXPECT_STREQ(kept.lfFaceName, "Courier New");
    for (int stock : {DEFAULT_GUI_FONT, SYSTEM_FONT, ANSI_VAR_FONT}) {
        EXPECT_EQ(GetObjectA(GetStockObject(stock), sizeof kept, &kept), static_cast<int>(sizeof kept));
        EXPECT_STREQ(kept.lfFaceName, "QelSans");
        EXPECT_EQ(kept.lfHeight, -13);
        EXPECT_EQ(kept.lfWeight, FW_NORMAL);
    }
}

TEST_F(TextDrawing, FontSheetIsWrittenAsPng)
{
    std::string sheet;
    for (int byte = 32; byte <= 126; ++byte) {
        sheet.push_back(static_cast<char>(byte));
        if (byte % 32 == 31)
            sheet.push_back('\n');
    }
    RECT rect{2, 2, kWidth - 2, kHeight - 2};
    DrawTextA(dc_, sheet.c_str(), -1, &rect, DT_WORDBREAK);
    UseFont(FW_BOLD);
    rect.top = 60;
    DrawTextA(dc_, sheet.c_str(), -1, &rect, DT_WORDBREAK);
    const char *folder = std::getenv("QEL_SHOT_DIR");
    std::string path = std::string(folder != nullptr ? folder : ::testing::TempDir().c_str()) + "/fontsheet.png";
    ASSERT_TRUE(QelWritePng(bitmap_, path.c_str()));
    std::ifstream in(path, std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Signature, header chunk, one data chunk of stored blocks (one filter byte and three
    // bytes a pixel each row; 5 bytes a block of at most 65535), the end chunk.
    size_t raw = kHeight * (1 + 3 * kWidth);
    size_t blocks = (raw + 65534) / 65535;
    EXPECT_EQ(file.size(), 8 + (12 + 13) + (12 + 2 + 5 * blocks + raw + 4) + 12);
    EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    EXPECT_EQ(file.substr(12, 4), "IHDR");
    EXPECT_EQ(file.substr(16, 8), std::string("\0\0\0\xF0\0\0\0\x78", 8)) << "240 by 120";
    EXPECT_EQ(file.substr(file.size() - 12), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
    if (folder == nullptr)
        std::remove(path.c_str());
}

} // namespace
