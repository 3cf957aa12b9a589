#include "qelhostsessionviews.h"

#include "drawntreerows.h"
#include "qelhostscript.h"
#include "qelhostsessionhost.h"

#include <drawingchecks.h>
#include <userinput.h>

#include <cstdio>
#include <cstring>

namespace QelHost {

namespace {

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

struct ShownItem {
    std::string text;
    TVITEMA fields;
};

ShownItem Shown(HWND tree, HTREEITEM item)
{
    char text[260] = "";
    ShownItem shown{};
    shown.fields.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN | TVIF_STATE;
    shown.fields.hItem = item;
    shown.fields.stateMask = TVIS_EXPANDED;
    shown.fields.pszText = text;
    shown.fields.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&shown.fields));
    shown.fields.pszText = nullptr;
    shown.text = text;
    return shown;
}

void PrintTree(HWND tree, HTREEITEM item, int level)
{
    for (; item != nullptr; item = Next(tree, TVGN_NEXT, item)) {
        ShownItem shown = Shown(tree, item);
        std::printf("%d\t%s\t%d\t%d\t%d\n", level, shown.text.c_str(), shown.fields.iImage, shown.fields.cChildren,
                    (shown.fields.state & TVIS_EXPANDED) != 0 ? 1 : 0);
        PrintTree(tree, Next(tree, TVGN_CHILD, item), level + 1);
    }
}

// The item that PATH names, its ancestors expanded so that it can be seen; NULL when
// there is none.
HTREEITEM FindItem(HWND tree, const std::vector<std::string> &texts)
{
    HTREEITEM item = Next(tree, TVGN_ROOT, nullptr);
    for (size_t depth = 0; depth < texts.size(); ++depth) {
        while (item != nullptr && Shown(tree, item).text != texts[depth])
            item = Next(tree, TVGN_NEXT, item);
        if (item == nullptr || depth + 1 == texts.size())
            return item;
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        item = Next(tree, TVGN_CHILD, item);
    }
    return nullptr;
}

// The view's drawn tree (control 4711 that is no tree view), or NULL.
HWND DrawnTree(CHostControlSite *view)
{
    HWND top = view->Window();
    std::vector<HWND> pending{top};
    while (!pending.empty()) {
        HWND window = pending.back();
        pending.pop_back();
        char name[32] = "";
        GetClassNameA(window, name, sizeof name);
        if (window != top && GetDlgCtrlID(window) == 4711 && std::strcmp(name, WC_TREEVIEWA) != 0)
            return window;
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            pending.push_back(child);
    }
    return nullptr;
}

// The window of the view that takes the user's keys: its drawn tree when it has one, else
// its tree view, else the control's own window.
HWND InputWindow(CHostControlSite *view)
{
    HWND drawn = DrawnTree(view);
    if (drawn != nullptr)
        return drawn;
    HWND tree = view->FindChild(WC_TREEVIEWA);
    return tree != nullptr ? tree : view->Window();
}

// click VIEW left|right|double [value] PATH on a drawn tree: the row found by reading
// the rows, scrolled into view, clicked on its name or its value.
bool ClickDrawnRow(HWND tree, UINT message, bool onValue, const std::string &path, std::string *error)
{
    DrawnTreeRows reader(tree, PumpQuietly);
    std::vector<DrawnTreeRow> rows = reader.ReadAll();
    int index = reader.Find(SplitItemPath(path), &rows);
    DrawnTreeRow row;
    if (index < 0 || !reader.Reveal(static_cast<size_t>(index), &row))
        return Fail(error, "the tree shows no row " + path);
    POINT point = onValue ? row.valueCenter : row.nameCenter;
    if (point.x < 0)
        return Fail(error, "the row " + path + " shows no value");
    reader.Click(point, message, 0);
    return true;
}

// key VIEW KEY[+shift][+ctrl], type VIEW TEXT, shot VIEW FILE.
bool RunInput(const std::vector<std::string> &words, CHostControlSite *view, std::string *error)
{
    const std::string &command = words[0];
    if (command == "shot") {
        QelPaintPending();
        HBITMAP shot = QelCaptureWindow(view->Window(), TRUE);
        BOOL written = shot != nullptr && QelWritePng(shot, words[2].c_str());
        if (shot != nullptr)
            DeleteObject(shot);
        return written ? true : Fail(error, "the shot cannot be written to " + words[2]);
    }
    HWND window = InputWindow(view);
    SetFocus(window);
    if (command == "type") {
        QelSendText(window, words[2].c_str());
        PumpQuietly();
        return true;
    }
    int key = 0;
    UINT modifiers = 0;
    if (!ParseKeyName(words[2], &key, &modifiers, error))
        return false;
    QelSendKey(window, key, modifiers);
    PumpQuietly();
    return true;
}

} // namespace

bool SessionViewCommands::Handles(const std::string &command)
{
    return command == "tree" || command == "shown" || command == "click" || command == "breakpoints" || command == "key" ||
           command == "type" || command == "shot";
}

bool SessionViewCommands::Configure(const std::vector<std::string> &words, std::string *error)
{
    if (words.size() != 2 || words[1].empty())
        return Fail(error, "double takes a view server's name");
    m_doubles.insert(words[1]);
    return true;
}

void SessionViewCommands::Prepare(CHostFrame &frame) const
{
    for (const std::string &name : m_doubles)
        frame.KeepDouble(name);
}

bool SessionViewCommands::Run(const std::vector<std::string> &words, CHostFrame &frame, CHostDebugServer *host,
                              std::string *error)
{
    const std::string &command = words[0];
    PumpQuietly();
    if (command == "breakpoints") {
        if (words.size() != 1)
            return Fail(error, "breakpoints takes nothing");
        for (const HostBreakpoint &breakpoint : host->Breakpoints())
            std::printf("breakpoint 0x%08X %d %s\n", static_cast<unsigned>(breakpoint.address), breakpoint.enabled ? 1 : 0,
                        breakpoint.name.c_str());
        return true;
    }
    if (command == "key" || command == "type" || command == "shot") {
        if (words.size() != 3 || words[2].empty())
            return Fail(error, command + " takes a view and " +
                                   (command == "key" ? "a key" : command == "type" ? "a text" : "a file"));
        std::vector<CHostControlSite *> views = frame.ControlViews(words[1]);
        if (views.empty())
            return Fail(error, "no control shows " + words[1]);
        return RunInput(words, views.front(), error);
    }
    const bool click = command == "click";
    const bool onValue = click && words.size() == 5 && words[3] == "value";
    if (words.size() != (click ? (onValue ? 5u : 4u) : 2u))
        return Fail(error, click ? "click takes a view, left, right or double, value or not, and a path"
                                 : command + " takes a view");
    std::vector<CHostControlSite *> views = frame.ControlViews(words[1]);
    HWND drawn = views.empty() ? nullptr : DrawnTree(views.front());
    HWND tree = views.empty() || drawn != nullptr ? nullptr : views.front()->FindChild(WC_TREEVIEWA);
    if (tree == nullptr && drawn == nullptr)
        return Fail(error, "no control of " + words[1] + " shows a tree");
    if (command == "shown") {
        if (drawn == nullptr)
            return Fail(error, "shown reads drawn trees only; tree lists " + words[1] + "'s");
        for (const DrawnTreeRow &row : DrawnTreeRows(drawn, PumpQuietly).ReadAll())
            std::printf("%s\n", row.Line().c_str());
        return true;
    }
    if (!click) {
        if (tree == nullptr)
            return Fail(error, "tree lists tree views only; shown reads " + words[1] + "'s");
        PrintTree(tree, Next(tree, TVGN_ROOT, nullptr), 0);
        return true;
    }
    const std::string &button = words[2];
    UINT message = button == "left" ? WM_LBUTTONDOWN : button == "right" ? WM_RBUTTONDOWN : WM_LBUTTONDBLCLK;
    if (button != "left" && button != "right" && button != "double")
        return Fail(error, "click takes left, right or double");
    if (drawn != nullptr)
        return ClickDrawnRow(drawn, message, onValue, words.back(), error);
    if (onValue)
        return Fail(error, "a tree view has no value column");
    HTREEITEM item = FindItem(tree, SplitItemPath(words[3]));
    RECT label{};
    std::memcpy(&label, &item, sizeof item); // the item goes in where its rectangle comes out
    if (item == nullptr || !SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)))
        return Fail(error, "the tree shows no item " + words[3]);
    POINT point{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    POINT screen = point;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(tree, message, 0, MAKELPARAM(point.x, point.y));
    PumpQuietly();
    return true;
}

} // namespace QelHost
