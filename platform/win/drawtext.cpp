#include "textdraw.h"

#include "gdipixels.h"
#include "glyphs.h"
#include "textrun.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using qelwin::kCellHeight;
using qelwin::kCellWidth;

struct Line {
    size_t start;
    size_t count;
};

bool IsBlank(char c, bool tabsExpand)
{
    return c == ' ' || (tabsExpand && c == '\t');
}

// Breaks one text line into lines no wider than `width`, at blanks. The blanks at a
// break are dropped; a word is never split, so a word wider than `width` stands alone.
void BreakWords(const char *text, size_t start, size_t end, int64_t width, const qelwin::TabStops *tabs,
                std::vector<Line> &lines)
{
    bool expand = tabs != nullptr;
    size_t lineStart = start;
    size_t lineEnd = start; // past the last word that fits
    size_t at = start;
    int64_t x = 0; // the width up to `at` from lineStart
    for (;;) {
        size_t blankEnd = at;
        int64_t wordX = x;
        while (blankEnd < end && IsBlank(text[blankEnd], expand)) {
            wordX = text[blankEnd] == '\t' ? tabs->Next(wordX) : wordX + kCellWidth;
            ++blankEnd;
        }
        if (blankEnd == end) {
            lines.push_back({lineStart, end - lineStart}); // trailing blanks stay
            return;
        }
        size_t wordEnd = blankEnd;
        while (wordEnd < end && !IsBlank(text[wordEnd], expand))
            ++wordEnd;
        int64_t wordRight = wordX + static_cast<int64_t>(wordEnd - blankEnd) * kCellWidth;
        if (wordRight > width && lineEnd > lineStart) {
            lines.push_back({lineStart, lineEnd - lineStart});
            lineStart = lineEnd = at = blankEnd;
            x = 0;
            continue;
        }
        lineEnd = at = wordEnd;
        x = wordRight;
    }
}

// The text's lines, as DrawTextA cuts them.
std::vector<Line> CutLines(const char *text, size_t count, UINT format, int64_t width, const qelwin::TabStops *tabs)
{
    std::vector<Line> lines;
    if (count == 0)
        return lines;
    if ((format & DT_SINGLELINE) != 0) {
        lines.push_back({0, count});
        return lines;
    }
    size_t start = 0;
    while (start < count) {
        size_t end = start;
        while (end < count && text[end] != '\n' && text[end] != '\r')
            ++end;
        if ((format & DT_WORDBREAK) != 0)
            BreakWords(text, start, end, width, tabs, lines);
        else
            lines.push_back({start, end - start});
        if (end < count && text[end] == '\r' && end + 1 < count && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

LONG ToLong(int64_t value)
{
    return static_cast<LONG>(
        std::clamp<int64_t>(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

} // namespace

int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format)
{
    std::shared_ptr<qelwin::DeviceContext> found = qelwin::LookUpDC(dc);
    if (found == nullptr || rect == nullptr || count < -1 || (text == nullptr && count != 0))
        return 0;
    size_t length = count == -1 ? std::strlen(text) : static_cast<size_t>(count);
    qelwin::TabStops tabStops(0, nullptr);
    const qelwin::TabStops *tabs = (format & DT_EXPANDTABS) != 0 ? &tabStops : nullptr;
    int64_t left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
    int64_t width = right - left;

    std::vector<Line> lines = CutLines(text, length, format, width, tabs);
    const std::string ellipsis = "...";
    const int64_t ellipsisWidth = 3 * kCellWidth;
    struct Shown {
        const char *text;
        size_t count;
        bool ellipsis;
        int64_t width;
    };
    std::vector<Shown> shown;
    shown.reserve(lines.size());
    int64_t widest = 0;
    for (const Line &line : lines) {
        Shown each{text + line.start, line.count, false, qelwin::RunWidth(text + line.start, line.count, tabs)};
        if ((format & DT_END_ELLIPSIS) != 0 && each.width > width) {
            // The longest beginning that leaves room for the ellipsis; widths only grow
            // with the count, so the walk stops at the first that does not fit.
            size_t keep = 0;
            int64_t x = 0;
            while (keep < each.count) {
                int64_t next = tabs != nullptr && each.text[keep] == '\t' ? tabs->Next(x) : x + kCellWidth;
                if (next + ellipsisWidth > width)
                    break;
                x = next;
                ++keep;
            }
            each = Shown{each.text, keep, true, x + ellipsisWidth};
        }
        widest = std::max(widest, each.width);
        shown.push_back(each);
    }
    int64_t height = static_cast<int64_t>(shown.size()) * kCellHeight;

    if ((format & DT_CALCRECT) != 0) {
        rect->right = ToLong(left + widest);
        rect->bottom = ToLong(top + height);
        return ToLong(height);
    }

    qelwin::DeviceContext &context = *found;
    RECT bounds = context.Bounds();
    if (context.surface == nullptr)
        return ToLong(height);
    qelwin::DeviceContext::Point shift = context.ToDevice(0, 0);
    if ((format & DT_NOCLIP) == 0)
        bounds = qelwin::Intersect(bounds, qelwin::Clamp(left + shift.x, top + shift.y, right + shift.x,
                                                         bottom + shift.y, bounds));
    int64_t y = top;
    if ((format & (DT_VCENTER | DT_SINGLELINE)) == (DT_VCENTER | DT_SINGLELINE))
        y = top + (bottom - top - kCellHeight) / 2;
    for (const Shown &line : shown) {
        if (y + shift.y >= bounds.bottom)
            break;
        int64_t x = left;
        if ((format & DT_CENTER) != 0)
            x = left + (width - line.width) / 2;
        else if ((format & DT_RIGHT) != 0)
            x = right - line.width;
        int64_t deviceX = x + shift.x, deviceY = y + shift.y;
        qelwin::DrawRun(context, deviceX, deviceY, line.text, line.count, tabs, deviceX, bounds);
        if (line.ellipsis) {
            int64_t after = deviceX + line.width - ellipsisWidth;
            qelwin::DrawRun(context, after, deviceY, ellipsis.data(), ellipsis.size(), nullptr, after, bounds);
        }
        y += kCellHeight;
    }
    return ToLong(height);
}
