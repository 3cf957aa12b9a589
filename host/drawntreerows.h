// DrawnTreeRows: the rows of an owner-drawn tree as its user sees them, read from its
// pixels only, so that a session and a dialog script can check and drive the locals
// view or the selection dialog without reaching into the control.
//
// A row is a band of the tree's surface that holds anything but its background and the
// dotted lines between rows: its
// text (glyphs in the window, selection, menu, grey or red text colour), its icon, its
// button (a square outline in the button-shadow colour, with a minus and, while its
// children are hidden, a plus bar), its selection fill. Its text splits into a name and a
// value where the value column begins, found where most rows' text resumes after a gap
// of two blank cells or more. A row's level follows from its name's indent: the least
// indent is the root's (level 1), and each level lies one step of the least difference
// between indents further in. A row that shows no name counts as at the root; a row
// that shows nothing at all cannot be seen, and is not read.
//
// Reading all rows scrolls as a user does: the thumb of the tree's vertical bar to the
// top, then a page at a time, and at the end back where it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace QelHost {

// No place: a row without a value column, or without content.
constexpr LONG kNowhere = 0x7FFFFFFF;

struct DrawnTreeRow {
    int level = 1;
    char button = '.'; // '+' children hidden, '-' shown, '.' none
    std::string name;
    std::string value;
    bool red = false;
    bool bold = false;
    // Where the row stood when it was read, in the tree's client coordinates.
    RECT band{};
    POINT nameCenter{-1, -1};
    POINT valueCenter{-1, -1};
    POINT buttonCenter{-1, -1};

    // "red", "bold", both joined by ",", or "-".
    std::string Marks() const;
    // LEVEL<TAB>BUTTON<TAB>NAME<TAB>VALUE<TAB>MARKS
    std::string Line() const;
};

class DrawnTreeRows {
public:
    // `settle` handles the messages that a scroll or click leaves, until the tree has
    // painted what they asked for.
    DrawnTreeRows(HWND tree, std::function<void()> settle);

    // Every row from the top.
    std::vector<DrawnTreeRow> ReadAll();
    // Row `index` of the last ReadAll, scrolled into view, as it stands now; false when
    // there is no such row.
    bool Reveal(size_t index, DrawnTreeRow *row);
    // The index in `rows` of the row that `path` names (the names from the root down),
    // -1 when there is none. A row on the way whose children are hidden is expanded by
    // a click on its button, and the rows are read again into `rows`.
    int Find(const std::vector<std::string> &path, std::vector<DrawnTreeRow> *rows);
    // A press and release of `button` (WM_LBUTTONDOWN, WM_RBUTTONDOWN, or
    // WM_LBUTTONDBLCLK for a double click), with `keys` (MK_ bits) held, at `point`.
    void Click(POINT point, UINT button, WPARAM keys);

private:
    struct Glyph {
        LONG x;
        char byte;
        bool bold;
        bool red;
    };
    struct Seen {
        RECT band{};   // up to half way to the rows beside it
        LONG middle = 0; // of what it shows
        std::vector<Glyph> glyphs;
        RECT buttonBox{-1, -1, -1, -1};
        bool plus = false;
        LONG contentLeft = kNowhere;
    };

    // The rows that show whole now, from the top of the client area.
    std::vector<Seen> ReadScreen();
    HWND VerticalBar() const;
    void ScrollTo(HWND bar, int position);
    // The left of the value column, from all rows read.
    static LONG ValueColumn(const std::vector<Seen> &seen);
    DrawnTreeRow Describe(const Seen &seen) const;
    void Levels(const std::vector<Seen> &seen, std::vector<DrawnTreeRow> *rows) const;

    HWND m_tree;
    std::function<void()> m_settle;
    LONG m_valueColumn = kNowhere;
    std::vector<Seen> m_seen; // of the last ReadAll
    std::vector<DrawnTreeRow> m_rows;
};

} // namespace QelHost
