#include "drawntreerows.h"

#include <drawingchecks.h>
#include <scrollbar.h>
#include <userinput.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace QelHost {

namespace {

const LONG kCellWidth = 6;
const LONG kCellHeight = 13;
// Between a name and its value there are two blank cells or more; inside a value, one.
const LONG kColumnGap = 3 * kCellWidth;
// Bands closer than this are parts of one row.
const LONG kRowGap = 3;
// The ink of a glyph lies within rows 3 to 11 of its cell.
const LONG kInkMiddle = 7;
const COLORREF kRed = RGB(255, 0, 0);
// How long a user waits for an expanded row's children, in milliseconds.
const DWORD kMostWait = 10000;

std::string Spaced(const std::vector<std::pair<LONG, char>> &glyphs)
{
    std::string text;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        if (i > 0) {
            LONG gap = glyphs[i].first - glyphs[i - 1].first - kCellWidth;
            text.append(static_cast<size_t>(std::max<LONG>(0, (gap + kCellWidth / 2) / kCellWidth)), ' ');
        }
        text.push_back(glyphs[i].second);
    }
    return text;
}

// The pixels of a captured surface, read once.
class Surface {
public:
    Surface(HDC dc, const RECT &area) : m_area(area)
    {
        LONG width = area.right - area.left, height = area.bottom - area.top;
        m_pixels.resize(static_cast<size_t>(std::max<LONG>(width, 0)) * std::max<LONG>(height, 0));
        for (LONG y = 0; y < height; ++y)
            for (LONG x = 0; x < width; ++x)
                m_pixels[static_cast<size_t>(y) * width + x] = GetPixel(dc, area.left + x, area.top + y);
        std::map<COLORREF, size_t> counts;
        for (COLORREF pixel : m_pixels)
            ++counts[pixel];
        size_t most = 0;
        for (const auto &[color, count] : counts)
            if (count > most) {
                most = count;
                m_background = color;
            }
    }
    COLORREF At(LONG x, LONG y) const
    {
        if (x < m_area.left || x >= m_area.right || y < m_area.top || y >= m_area.bottom)
            return m_background;
        return m_pixels[static_cast<size_t>(y - m_area.top) * (m_area.right - m_area.left) + (x - m_area.left)];
    }
    COLORREF Background() const { return m_background; }
    const RECT &Area() const { return m_area; }

private:
    RECT m_area;
    std::vector<COLORREF> m_pixels;
    COLORREF m_background = RGB(255, 255, 255);
};

// A square outline of `color` whose top-left corner is (x, y): its side, or 0.
LONG SquareAt(const Surface &surface, LONG x, LONG y, COLORREF color)
{
    for (LONG side = 16; side >= 5; --side) {
        bool whole = true;
        for (LONG i = 0; i < side && whole; ++i)
            whole = surface.At(x + i, y) == color && surface.At(x + i, y + side - 1) == color &&
                    surface.At(x, y + i) == color && surface.At(x + side - 1, y + i) == color;
        if (whole)
            return side;
    }
    return 0;
}

} // namespace

std::string DrawnTreeRow::Marks() const
{
    if (red && bold)
        return "red,bold";
    return red ? "red" : bold ? "bold" : "-";
}

std::string DrawnTreeRow::Line() const
{
    return std::to_string(level) + "\t" + button + "\t" + name + "\t" + value + "\t" + Marks();
}

DrawnTreeRows::DrawnTreeRows(HWND tree, std::function<void()> settle) : m_tree(tree), m_settle(std::move(settle)) {}

HWND DrawnTreeRows::VerticalBar() const
{
    for (HWND child = GetWindow(m_tree, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        if (std::strcmp(name, "ScrollBar") == 0 && IsWindowVisible(child) &&
            (GetWindowLongA(child, GWL_STYLE) & SBS_VERT) != 0)
            return child;
    }
    return nullptr;
}

void DrawnTreeRows::ScrollTo(HWND bar, int position)
{
    QelScrollBarThumb(bar, position, TRUE);
    if (m_settle)
        m_settle();
}

std::vector<DrawnTreeRows::Seen> DrawnTreeRows::ReadScreen()
{
    std::vector<Seen> rows;
    QelPaintPending();
    RECT area{};
    GetClientRect(m_tree, &area);
    // The scroll bars are children over the surface: what lies under them is not shown.
    for (HWND child = GetWindow(m_tree, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        if (std::strcmp(name, "ScrollBar") != 0 || !IsWindowVisible(child))
            continue;
        RECT bar{};
        GetWindowRect(child, &bar);
        POINT corner{bar.left, bar.top};
        ScreenToClient(m_tree, &corner);
        if ((GetWindowLongA(child, GWL_STYLE) & SBS_VERT) != 0)
            area.right = std::min(area.right, corner.x);
        else
            area.bottom = std::min(area.bottom, corner.y);
    }
    // The capture holds the whole window: its client area stands inside the border.
    RECT window{};
    GetWindowRect(m_tree, &window);
    POINT origin{0, 0};
    ClientToScreen(m_tree, &origin);
    const LONG dx = origin.x - window.left, dy = origin.y - window.top;
    area = RECT{area.left + dx, area.top + dy, area.right + dx, area.bottom + dy};
    HBITMAP shot = QelCaptureWindow(m_tree, FALSE);
    if (shot == nullptr)
        return rows;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(dc, shot);
    Surface surface(dc, area);

    // The bands: runs of lines that hold anything but the background and the dotted
    // lines that join rows (buttons have their signs in the text colour).
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    std::vector<std::pair<LONG, LONG>> bands;
    for (LONG y = area.top; y < area.bottom; ++y) {
        bool ink = false;
        for (LONG x = area.left; x < area.right && !ink; ++x)
            ink = surface.At(x, y) != surface.Background() && surface.At(x, y) != shadow;
        if (!ink)
            continue;
        if (!bands.empty() && y - bands.back().second < kRowGap)
            bands.back().second = y + 1;
        else
            bands.emplace_back(y, y + 1);
    }
    // A band cut by the bottom edge is a row that does not show whole.
    if (!bands.empty() && bands.back().second >= area.bottom && bands.size() > 1)
        bands.pop_back();
    for (size_t i = 0; i < bands.size(); ++i) {
        Seen seen;
        LONG above = i == 0 ? area.top : (bands[i - 1].second + bands[i].first) / 2;
        LONG below = i + 1 == bands.size() ? area.bottom : (bands[i].second + bands[i + 1].first + 1) / 2;
        seen.band = RECT{area.left, above, area.right, below};
        seen.middle = (bands[i].first + bands[i].second) / 2;
        rows.push_back(seen);
    }

    // The glyphs of every text colour, each in the band that holds its ink.
    std::vector<COLORREF> inks;
    for (COLORREF color : {GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_MENUTEXT),
                           GetSysColor(COLOR_GRAYTEXT), kRed})
        if (std::find(inks.begin(), inks.end(), color) == inks.end())
            inks.push_back(color);
    // What may stand in a glyph's cell: the background, the selection fills, text, and
    // the focus rectangle, which inverts what it is drawn over.
    std::vector<COLORREF> allowed = inks;
    for (COLORREF fill : {surface.Background(), GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_MENU)}) {
        allowed.push_back(fill);
        allowed.push_back(fill ^ 0xFFFFFF);
        allowed.push_back(fill ^ surface.Background());
    }
    for (COLORREF color : inks) {
        int count = QelFindGlyphs(dc, &area, color, nullptr, 0);
        std::vector<QELGLYPH> glyphs(static_cast<size_t>(count));
        if (count > 0)
            QelFindGlyphs(dc, &area, color, glyphs.data(), count);
        for (const QELGLYPH &glyph : glyphs) {
            // Text stands on the background or a fill, with at most a focus rectangle's
            // dots of another text colour about it; a cell that holds other colours is a
            // piece of an icon that looks like a glyph.
            bool onFill = true;
            for (LONG y = glyph.top; y < glyph.top + kCellHeight && onFill; ++y)
                for (LONG x = glyph.x; x < glyph.x + kCellWidth && onFill; ++x) {
                    COLORREF pixel = surface.At(x, y);
                    onFill = std::find(allowed.begin(), allowed.end(), pixel) != allowed.end();
                }
            if (!onFill)
                continue;
            LONG middle = glyph.top + kInkMiddle;
            for (Seen &seen : rows)
                if (middle >= seen.band.top && middle < seen.band.bottom) {
                    seen.glyphs.push_back({glyph.x, glyph.byte, glyph.bold != FALSE, color == kRed});
                    break;
                }
        }
    }
    for (Seen &seen : rows) {
        std::sort(seen.glyphs.begin(), seen.glyphs.end(), [](const Glyph &a, const Glyph &b) { return a.x < b.x; });
        for (LONG y = seen.band.top; y < seen.band.bottom && seen.buttonBox.left < 0; ++y)
            for (LONG x = seen.band.left; x < seen.band.right && seen.buttonBox.left < 0; ++x) {
                LONG side = surface.At(x, y) == shadow ? SquareAt(surface, x, y, shadow) : 0;
                if (side == 0)
                    continue;
                seen.buttonBox = RECT{x, y, x + side, y + side};
                // The minus runs through the centre; the plus adds a bar above it.
                LONG cx = x + (side - 1) / 2, cy = y + (side - 1) / 2;
                seen.plus = surface.At(cx, cy - 1) == surface.At(cx, cy) && surface.At(cx, cy) != surface.At(x + 1, y + 1);
            }
        LONG from = seen.buttonBox.left >= 0 ? seen.buttonBox.right : seen.band.left;
        // The button's sign and outline read as glyphs too ("+" and "_"): they are no text.
        seen.glyphs.erase(std::remove_if(seen.glyphs.begin(), seen.glyphs.end(),
                                         [&](const Glyph &glyph) { return glyph.x < from; }),
                          seen.glyphs.end());
        for (LONG x = from; x < seen.band.right && seen.contentLeft == kNowhere; ++x)
            for (LONG y = seen.band.top; y < seen.band.bottom; ++y)
                if (surface.At(x, y) != surface.Background()) {
                    seen.contentLeft = x;
                    break;
                }
    }
    SelectObject(dc, before);
    DeleteDC(dc);
    DeleteObject(shot);
    // Back to the client coordinates that clicks take.
    for (Seen &seen : rows) {
        auto back = [&](RECT &rect) { rect = RECT{rect.left - dx, rect.top - dy, rect.right - dx, rect.bottom - dy}; };
        back(seen.band);
        seen.middle -= dy;
        if (seen.buttonBox.left >= 0)
            back(seen.buttonBox);
        for (Glyph &glyph : seen.glyphs)
            glyph.x -= dx;
        if (seen.contentLeft != kNowhere)
            seen.contentLeft -= dx;
    }
    return rows;
}

LONG DrawnTreeRows::ValueColumn(const std::vector<Seen> &seen)
{
    std::map<LONG, size_t> starts;
    for (const Seen &row : seen)
        for (size_t i = 1; i < row.glyphs.size(); ++i)
            if (row.glyphs[i].x - row.glyphs[i - 1].x >= kColumnGap) {
                ++starts[row.glyphs[i].x];
                break;
            }
    LONG column = kNowhere;
    size_t most = 0;
    for (const auto &[x, count] : starts)
        if (count > most) {
            most = count;
            column = x;
        }
    // The value's first glyph may be one that stands a column further in.
    return column == kNowhere ? column : column - kCellWidth / 2;
}

DrawnTreeRow DrawnTreeRows::Describe(const Seen &seen) const
{
    DrawnTreeRow row;
    row.band = seen.band;
    std::vector<std::pair<LONG, char>> name, value;
    for (const Glyph &glyph : seen.glyphs) {
        (glyph.x >= m_valueColumn ? value : name).emplace_back(glyph.x, glyph.byte);
        row.red = row.red || glyph.red;
        row.bold = row.bold || glyph.bold;
    }
    row.name = Spaced(name);
    row.value = Spaced(value);
    LONG middle = seen.middle;
    if (!name.empty())
        row.nameCenter = POINT{(name.front().first + name.back().first + kCellWidth) / 2, middle};
    else if (seen.contentLeft != kNowhere)
        row.nameCenter = POINT{seen.contentLeft + 1, middle};
    if (!value.empty())
        row.valueCenter = POINT{(value.front().first + value.back().first + kCellWidth) / 2, middle};
    else if (m_valueColumn != kNowhere)
        row.valueCenter = POINT{m_valueColumn + kCellWidth, middle};
    if (seen.buttonBox.left >= 0) {
        row.button = seen.plus ? '+' : '-';
        row.buttonCenter = POINT{(seen.buttonBox.left + seen.buttonBox.right - 1) / 2,
                                 (seen.buttonBox.top + seen.buttonBox.bottom - 1) / 2};
    }
    return row;
}

void DrawnTreeRows::Levels(const std::vector<Seen> &seen, std::vector<DrawnTreeRow> *rows) const
{
    std::vector<LONG> indents;
    for (const Seen &row : seen)
        if (!row.glyphs.empty() && row.glyphs.front().x < m_valueColumn)
            indents.push_back(row.glyphs.front().x);
    std::sort(indents.begin(), indents.end());
    indents.erase(std::unique(indents.begin(), indents.end()), indents.end());
    LONG step = kNowhere;
    for (size_t i = 1; i < indents.size(); ++i)
        step = std::min(step, indents[i] - indents[i - 1]);
    for (size_t i = 0; i < seen.size(); ++i) {
        const Seen &row = seen[i];
        bool named = !row.glyphs.empty() && row.glyphs.front().x < m_valueColumn;
        (*rows)[i].level = named && step != kNowhere ? 1 + static_cast<int>((row.glyphs.front().x - indents.front() + step / 2) / step) : 1;
    }
}

std::vector<DrawnTreeRow> DrawnTreeRows::ReadAll()
{
    m_seen.clear();
    HWND bar = VerticalBar();
    if (bar == nullptr) {
        m_seen = ReadScreen();
    } else {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(bar, SB_CTL, &info);
        int start = info.nPos;
        int page = std::max(1, static_cast<int>(info.nPage));
        int lastTop = std::max(info.nMin, info.nMax - page + 1);
        int read = 0; // rows taken so far, from index 0
        for (int top = info.nMin;; top = std::min(top + page, lastTop)) {
            ScrollTo(bar, top);
            std::vector<Seen> screen = ReadScreen();
            for (size_t i = static_cast<size_t>(read - top); i < screen.size() && i < static_cast<size_t>(page); ++i)
                m_seen.push_back(screen[i]);
            read = top + std::min(page, static_cast<int>(screen.size()));
            if (top >= lastTop || read <= top)
                break;
        }
        ScrollTo(bar, start);
    }
    m_valueColumn = ValueColumn(m_seen);
    m_rows.clear();
    for (const Seen &seen : m_seen)
        m_rows.push_back(Describe(seen));
    Levels(m_seen, &m_rows);
    return m_rows;
}

bool DrawnTreeRows::Reveal(size_t index, DrawnTreeRow *row)
{
    if (index >= m_rows.size())
        return false;
    HWND bar = VerticalBar();
    if (bar == nullptr) {
        *row = m_rows[index];
        return true;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(bar, SB_CTL, &info);
    int page = std::max(1, static_cast<int>(info.nPage));
    int position = static_cast<int>(index);
    if (position < info.nPos || position >= info.nPos + page) {
        ScrollTo(bar, std::min(position, std::max(info.nMin, info.nMax - page + 1)));
        GetScrollInfo(bar, SB_CTL, &info);
    }
    std::vector<Seen> screen = ReadScreen();
    size_t shown = index - static_cast<size_t>(info.nPos);
    if (index < static_cast<size_t>(info.nPos) || shown >= screen.size())
        return false;
    int level = m_rows[index].level;
    *row = Describe(screen[shown]);
    row->level = level;
    return true;
}

void DrawnTreeRows::Click(POINT point, UINT button, WPARAM keys)
{
    UINT press = button == WM_RBUTTONDOWN ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    UINT release = button == WM_RBUTTONDOWN ? WM_RBUTTONUP : WM_LBUTTONUP;
    WPARAM held = keys | (press == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON);
    QelSendMouse(m_tree, WM_MOUSEMOVE, point.x, point.y, keys);
    QelSendMouse(m_tree, press, point.x, point.y, held);
    QelSendMouse(m_tree, release, point.x, point.y, keys);
    if (button == WM_LBUTTONDBLCLK) {
        QelSendMouse(m_tree, WM_LBUTTONDBLCLK, point.x, point.y, held);
        QelSendMouse(m_tree, WM_LBUTTONUP, point.x, point.y, keys);
    }
    if (m_settle)
        m_settle();
}

int DrawnTreeRows::Find(const std::vector<std::string> &path, std::vector<DrawnTreeRow> *rows)
{
    size_t from = 0;
    int level = 1;
    for (size_t depth = 0; depth < path.size(); ++depth, ++level) {
        size_t found = rows->size();
        for (size_t i = from; i < rows->size() && (*rows)[i].level >= level; ++i)
            if ((*rows)[i].level == level && (*rows)[i].name == path[depth]) {
                found = i;
                break;
            }
        if (found == rows->size())
            return -1;
        if (depth + 1 == path.size())
            return static_cast<int>(found);
        if ((*rows)[found].button == '+') {
            DrawnTreeRow shown;
            if (!Reveal(found, &shown) || shown.buttonCenter.x < 0)
                return -1;
            Click(shown.buttonCenter, WM_LBUTTONDOWN, 0);
            // The owner may ask for the children first: the user waits for them to show.
            DWORD start = GetTickCount();
            for (;;) {
                *rows = ReadAll();
                bool shownChildren = found + 1 < rows->size() && (*rows)[found + 1].level > level;
                if (shownChildren || GetTickCount() - start > kMostWait)
                    break;
                if (m_settle)
                    m_settle();
            }
        }
        from = found + 1;
    }
    return -1;
}

} // namespace QelHost
