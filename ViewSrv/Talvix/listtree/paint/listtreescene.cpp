#include "listtreescene.h"

#include "afxdc.h"
#include "afxinputmap.h"
#include "drawingchecks.h"
#include "drawnlistctrl.h"
#include "drawnlisttip.h"
#include "drawntreectrl.h"
#include "gdiobjects.h"
#include "imagelist.h"
#include "syscolors.h"
#include "windowtable.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// Bounds that keep any scene within memory and time.
const long kMaxListSide = 2048;
const long kMaxImageSide = 128;
const long kMaxImages = 64;
const int kMaxItems = 5000;
const int kMaxColumns = 64;
const long kMaxCoordinate = 100000;
const int kMaxDepth = 64;

std::string Escaped(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

// Blank-separated words; a word in double quotes may hold blanks, \" and \\. False with
// the reason for an open quote or a stray backslash.
bool SplitWords(const std::string &line, std::vector<std::string> *words, std::string *reason)
{
    size_t at = 0;
    while (at < line.size()) {
        char c = line[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++at;
            continue;
        }
        if (c == '#')
            break;
        std::string word;
        if (c == '"') {
            ++at;
            bool closed = false;
            while (at < line.size()) {
                char d = line[at++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (at >= line.size() || (line[at] != '"' && line[at] != '\\')) {
                        *reason = "a backslash escapes neither \" nor \\";
                        return false;
                    }
                    d = line[at++];
                }
                word += d;
            }
            if (!closed) {
                *reason = "a quoted text is not closed";
                return false;
            }
        } else {
            while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r')
                word += line[at++];
        }
        words->push_back(word);
    }
    return true;
}

bool Number(const std::string &word, long *value)
{
    if (word.empty() || word.size() > 12)
        return false;
    char *end = nullptr;
    bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    long parsed = std::strtol(word.c_str(), &end, hex ? 16 : 10);
    if (end == nullptr || *end != '\0' || (!hex && !(std::isdigit(static_cast<unsigned char>(word.back())))))
        return false;
    *value = parsed;
    return true;
}

// The pop-up: tells of every notification it gets.
class ScenePopup : public CWnd {
public:
    std::string *out = nullptr;
    DrawnTreeCtrl *tree = nullptr;

protected:
    // The text of a notified tree item as stored: "-" for none or a callback text.
    std::string TextOf(HTREEITEM item)
    {
        _Node *node = tree != nullptr ? tree->LiveNode(item) : nullptr;
        LPCSTR text = node != nullptr ? node->m_item.pszText : nullptr;
        return text == nullptr || text == LPSTR_TEXTCALLBACKA ? "-" : Escaped(text);
    }
    // Tree notifications: "notify CODE TEXT"; a callback count is answered 1.
    bool TreeNotify(NMHDR *header, LRESULT *result)
    {
        UINT code = header->code;
        if (tree == nullptr || code > TVN_FIRST || code < TVN_KEYDOWN)
            return false;
        *result = 0;
        if (out == nullptr)
            return true;
        std::string text = "-";
        if (code == TVN_GETDISPINFOA || code == TVN_SETDISPINFOA || code == TVN_BEGINLABELEDITA ||
            code == TVN_ENDLABELEDITA) {
            NMTVDISPINFOA *info = reinterpret_cast<NMTVDISPINFOA *>(header);
            text = TextOf(info->item.hItem);
            if (code == TVN_GETDISPINFOA && (info->item.mask & TVIF_CHILDREN) != 0)
                info->item.cChildren = 1;
            // An edit the user ends with Return is taken.
            if (code == TVN_ENDLABELEDITA)
                *result = 1;
        } else if (code == TVN_KEYDOWN) {
            text = std::to_string(reinterpret_cast<TV_KEYDOWN *>(header)->wVKey);
        } else {
            NM_TREEVIEW *info = reinterpret_cast<NM_TREEVIEW *>(header);
            text = TextOf(info->itemNew.hItem != nullptr ? info->itemNew.hItem : info->itemOld.hItem);
        }
        *out += "notify\t" + std::to_string(static_cast<int>(code)) + "\t" + text + "\n";
        return true;
    }

    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT *result) override
    {
        NMHDR *header = reinterpret_cast<NMHDR *>(lParam);
        if (TreeNotify(header, result) || out == nullptr)
            return TRUE;
        int row = -1;
        if (header->code == LVN_DELETEITEM || header->code == LVN_INSERTITEM)
            row = reinterpret_cast<NMLISTVIEW *>(lParam)->iItem;
        else if (header->code == LVN_BEGINLABELEDITA || header->code == LVN_ENDLABELEDITA ||
                 header->code == LVN_GETDISPINFOA)
            row = reinterpret_cast<NMLVDISPINFOA *>(lParam)->item.iItem;
        *out += "notify\t" + std::to_string(static_cast<int>(header->code)) + "\t" + std::to_string(row) + "\n";
        // An edit the user ends with Return is taken.
        *result = header->code == LVN_ENDLABELEDITA ? 1 : 0;
        return TRUE;
    }
};

void Pump()
{
    MSG message;
    for (int guard = 0; guard < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++guard) {
        if (message.message == WM_QUIT)
            break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int ScrollCode(const std::string &name)
{
    static const struct {
        const char *name;
        int code;
    } kCodes[] = {{"LINEUP", SB_LINEUP},       {"LINELEFT", SB_LINELEFT},   {"LINEDOWN", SB_LINEDOWN},
                  {"LINERIGHT", SB_LINERIGHT}, {"PAGEUP", SB_PAGEUP},       {"PAGELEFT", SB_PAGELEFT},
                  {"PAGEDOWN", SB_PAGEDOWN},   {"PAGERIGHT", SB_PAGERIGHT}, {"THUMBPOSITION", SB_THUMBPOSITION},
                  {"THUMBTRACK", SB_THUMBTRACK}, {"TOP", SB_TOP},           {"LEFT", SB_LEFT},
                  {"BOTTOM", SB_BOTTOM},       {"RIGHT", SB_RIGHT},         {"ENDSCROLL", SB_ENDSCROLL}};
    for (const auto &entry : kCodes)
        if (name == entry.name)
            return entry.code;
    return -1;
}

class Scene {
public:
    explicit Scene(std::string *out) : out_(out) {}

    // False with the reason when the command is wrong.
    bool Run(const std::vector<std::string> &words, std::string *reason);
    // Reports what the list shows (and writes the PNG) when `report`, then ends the scene.
    void Finish(bool report, const char *pngPath);

private:
    bool NeedList(std::string *reason)
    {
        if (list_ == nullptr)
            *reason = "no list yet";
        return list_ != nullptr;
    }
    HWND KeyTarget() { return GetFocus() != nullptr ? nullptr : list_->m_hWnd; }
    void Report();
    bool MakeWindow(const std::vector<long> &numbers, bool tree, std::string *reason);
    bool AddNode(const std::vector<std::string> &words, std::string *reason);
    // The node that the texts joined by / lead to from the top; NULL for none.
    HTREEITEM Find(const std::string &path);
    void ReportTreeRow(int row);

    std::string *out_;
    std::unique_ptr<ScenePopup> popup_;
    std::unique_ptr<DrawnListCtrl> list_;
    DrawnTreeCtrl *tree_ = nullptr;
    std::vector<std::unique_ptr<CImageList>> images_;
    // The last node made at each level, for the next node one level deeper.
    std::vector<HTREEITEM> lastAtLevel_;
    bool firstColumn_ = true;
};

bool Scene::MakeWindow(const std::vector<long> &numbers, bool tree, std::string *reason)
{
    if (list_ != nullptr) {
        *reason = "a list exists already";
        return false;
    }
    if (numbers[0] < 1 || numbers[1] < 1 || numbers[0] > kMaxListSide || numbers[1] > kMaxListSide) {
        *reason = "a list size out of range";
        return false;
    }
    popup_ = std::make_unique<ScenePopup>();
    popup_->out = out_;
    if (!popup_->CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr)) {
        *reason = "no pop-up";
        return false;
    }
    popup_->ShowWindow(SW_SHOW);
    SetActiveWindow(popup_->m_hWnd);
    if (tree) {
        auto made = std::make_unique<DrawnTreeCtrl>();
        tree_ = made.get();
        list_ = std::move(made);
        popup_->tree = tree_;
    } else {
        list_ = std::make_unique<DrawnListCtrl>();
    }
    DWORD style = static_cast<DWORD>(numbers[2]) & ~(WS_POPUP | WS_CHILD);
    if (!list_->Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER, static_cast<DWORD>(numbers[3]),
                       CRect(0, 0, static_cast<int>(numbers[0]), static_cast<int>(numbers[1])), popup_.get(), 1,
                       nullptr)) {
        list_.reset();
        tree_ = nullptr;
        popup_->tree = nullptr;
        *reason = "the list was not made";
        return false;
    }
    if (tree_ != nullptr) {
        tree_->SetIndent(static_cast<int>(numbers[4]));
        tree_->EnableSubItemTexts(TRUE);
    }
    list_->SetRedraw(TRUE);
    return true;
}

bool Scene::AddNode(const std::vector<std::string> &words, std::string *reason)
{
    long level;
    if (words.size() < 4 || !Number(words[1], &level)) {
        *reason = words.size() < 4 ? "too few words" : "not a number: " + words[1];
        return false;
    }
    if (level < 1 || level > kMaxDepth || static_cast<size_t>(level) > lastAtLevel_.size() + 1 ||
        (level > 1 && lastAtLevel_[static_cast<size_t>(level) - 2] == nullptr)) {
        *reason = "no node at the level above";
        return false;
    }
    if (tree_->GetItemCount() >= kMaxItems || static_cast<long>(words.size()) - 3 > kMaxColumns) {
        *reason = "too many nodes or texts";
        return false;
    }
    TV_INSERTSTRUCT insert{};
    insert.hParent = level == 1 ? TVI_ROOT : lastAtLevel_[static_cast<size_t>(level) - 2];
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_STATE;
    insert.item.pszText = const_cast<LPSTR>(words[3].c_str());
    insert.item.stateMask = 0xFFFF;
    bool hidden = false, disabled = false;
    if (words[2] != "-") {
        std::istringstream flags(words[2]);
        std::string flag;
        while (std::getline(flags, flag, ',')) {
            size_t equals = flag.find('=');
            std::string name = flag.substr(0, equals), value = equals == std::string::npos ? "" : flag.substr(equals + 1);
            long number = 0;
            bool numbered = equals != std::string::npos && Number(value, &number) && number >= 0 && number <= kMaxImages;
            if (name == "expanded" && equals == std::string::npos) {
                insert.item.state |= TVIS_EXPANDED;
            } else if (name == "bold" && equals == std::string::npos) {
                insert.item.state |= TVIS_BOLD;
            } else if (name == "hidden" && equals == std::string::npos) {
                hidden = true;
            } else if (name == "disabled" && equals == std::string::npos) {
                disabled = true;
            } else if (name == "children" && (numbered || value == "callback")) {
                insert.item.mask |= TVIF_CHILDREN;
                insert.item.cChildren = value == "callback" ? I_CHILDRENCALLBACK : static_cast<int>(number);
            } else if (name == "image" && numbered) {
                insert.item.mask |= TVIF_IMAGE;
                insert.item.iImage = static_cast<int>(number);
            } else if (name == "selimage" && numbered) {
                insert.item.mask |= TVIF_SELECTEDIMAGE;
                insert.item.iSelectedImage = static_cast<int>(number);
            } else if (name == "state" && numbered && number <= 15) {
                insert.item.state |= INDEXTOSTATEIMAGEMASK(number);
            } else {
                *reason = "no such node flag: " + flag;
                return false;
            }
        }
    }
    HTREEITEM node = tree_->InsertItem(&insert);
    if (node == nullptr) {
        *reason = "the node was not made";
        return false;
    }
    lastAtLevel_.resize(static_cast<size_t>(level));
    lastAtLevel_[static_cast<size_t>(level) - 1] = node;
    for (size_t i = 4; i < words.size(); ++i)
        tree_->SetSubItemText(node, static_cast<int>(i - 3), words[i].c_str());
    if (disabled) {
        DrawnTreeItemFlags flags;
        flags.valid = 1;
        flags.value = flags.mask = DTF_DISABLED;
        tree_->SetItemFlags(node, &flags);
    }
    if (hidden)
        tree_->SetItemHidden(node, TRUE);
    return true;
}

HTREEITEM Scene::Find(const std::string &path)
{
    HTREEITEM parent = TVI_ROOT, found = nullptr;
    std::istringstream parts(path);
    std::string part;
    while (std::getline(parts, part, '/')) {
        found = nullptr;
        for (HTREEITEM child = tree_->GetChildItem(parent); child != nullptr; child = tree_->GetNextSiblingItem(child))
            if (std::string(tree_->GetItemText(child)) == part) {
                found = child;
                break;
            }
        if (found == nullptr)
            return nullptr;
        parent = found;
    }
    return found;
}

bool Scene::Run(const std::vector<std::string> &words, std::string *reason)
{
    const std::string &command = words[0];
    std::vector<long> numbers;
    auto numbersFrom = [&](size_t first, size_t count) {
        numbers.clear();
        if (words.size() < first + count) {
            *reason = "too few words";
            return false;
        }
        for (size_t i = first; i < first + count; ++i) {
            long value;
            if (!Number(words[i], &value)) {
                *reason = "not a number: " + words[i];
                return false;
            }
            numbers.push_back(value);
        }
        return true;
    };
    auto exactly = [&](size_t count) {
        if (words.size() != count) {
            *reason = "wrong number of words";
            return false;
        }
        return true;
    };
    if (command == "list" || command == "tree") {
        bool tree = command == "tree";
        if (!exactly(tree ? 6 : 5) || !numbersFrom(1, tree ? 5 : 4))
            return false;
        if (tree && (numbers[4] < 0 || numbers[4] > kMaxImageSide)) {
            *reason = "an indent out of range";
            return false;
        }
        return MakeWindow(numbers, tree, reason);
    }
    if (!NeedList(reason))
        return false;
    if (command == "column") {
        if (!exactly(4) || !numbersFrom(2, 2))
            return false;
        if (list_->GetColumnCount() >= kMaxColumns || numbers[1] < -1 || numbers[1] > kMaxCoordinate) {
            *reason = "too many columns or a width out of range";
            return false;
        }
        // A tree comes with its first column: the first column command sets it.
        if (tree_ != nullptr && firstColumn_) {
            list_->SetColumnText(0, words[1].c_str());
            list_->SetColumnFormat(0, static_cast<int>(numbers[0]) & 3);
            list_->SetColumnWidth(0, static_cast<int>(numbers[1]));
        } else {
            list_->AddColumn(words[1].c_str(), static_cast<int>(numbers[0]) & 3, static_cast<int>(numbers[1]), -1);
        }
        firstColumn_ = false;
    } else if (tree_ != nullptr && (command == "item" || command == "image")) {
        *reason = "a list's command: " + command;
        return false;
    } else if (tree_ == nullptr && (command == "node" || command == "expand" || command == "collapse" ||
                                    command == "select" || command == "sort")) {
        *reason = "a tree's command: " + command;
        return false;
    } else if (command == "node") {
        if (!AddNode(words, reason))
            return false;
    } else if (command == "expand" || command == "collapse" || command == "select" || command == "sort") {
        if (!exactly(2))
            return false;
        HTREEITEM node = Find(words[1]);
        if (node == nullptr) {
            *reason = "no such node: " + words[1];
            return false;
        }
        if (command == "expand" || command == "collapse")
            tree_->Expand(node, command == "expand" ? TVE_EXPAND : TVE_COLLAPSE, TRUE);
        else if (command == "select")
            tree_->Select(node, TVGN_CARET);
        else
            tree_->SortChildren(node, FALSE, TRUE);
    } else if (command == "item") {
        if (words.size() < 2) {
            *reason = "too few words";
            return false;
        }
        if (list_->GetItemCount() >= kMaxItems) {
            *reason = "too many items";
            return false;
        }
        int row = list_->InsertItem(list_->GetItemCount(), words[1].c_str());
        for (size_t i = 2; i < words.size(); ++i)
            list_->SetItemText(row, static_cast<int>(i - 1), words[i].c_str());
    } else if (command == "image") {
        if (!exactly(3) || !numbersFrom(1, 2))
            return false;
        if (!list_->SetItem(static_cast<int>(numbers[0]), 0, LVIF_IMAGE, nullptr, static_cast<int>(numbers[1]), 0, 0,
                            0)) {
            *reason = "no such row";
            return false;
        }
    } else if (command == "images") {
        if (!exactly(4) || !numbersFrom(2, 2))
            return false;
        int which = words[1] == "normal" ? LVSIL_NORMAL : words[1] == "small" && tree_ == nullptr ? LVSIL_SMALL
                                                        : words[1] == "state" ? LVSIL_STATE : -1;
        if (which < 0 || numbers[0] < 1 || numbers[0] > kMaxImageSide || numbers[1] < 1 || numbers[1] > kMaxImages) {
            *reason = "images: a kind, size or count out of range";
            return false;
        }
        int side = static_cast<int>(numbers[0]);
        auto images = std::make_unique<CImageList>();
        images->Create(side, side, ILC_COLOR, static_cast<int>(numbers[1]), 0);
        CClientDC screen(popup_.get());
        for (long i = 0; i < numbers[1]; ++i) {
            CDC dc;
            dc.CreateCompatibleDC(&screen);
            CBitmap bitmap;
            bitmap.CreateCompatibleBitmap(&screen, side, side);
            CBitmap *before = dc.SelectObject(&bitmap);
            dc.FillSolidRect(0, 0, side, side, RGB((16 * i + 16) & 0xFF, 0xA0, 0xB0));
            dc.SelectObject(before);
            images->Add(&bitmap, static_cast<CBitmap *>(nullptr));
        }
        // A list with shared image lists keeps this one; the scene frees it at the end.
        list_->SetImageList(images.get(), which);
        images_.push_back(std::move(images));
    } else if (command == "key") {
        if (!exactly(2))
            return false;
        std::string name = words[1];
        UINT modifiers = 0;
        for (size_t plus; (plus = name.rfind('+')) != std::string::npos && plus > 0; name.resize(plus)) {
            std::string modifier = name.substr(plus + 1);
            if (modifier == "shift")
                modifiers |= MK_SHIFT;
            else if (modifier == "ctrl")
                modifiers |= MK_CONTROL;
            else
                break;
        }
        int key = QelKeyFromName(name.c_str());
        if (key == 0) {
            *reason = "no such key: " + name;
            return false;
        }
        QelSendKey(KeyTarget(), key, modifiers);
    } else if (command == "type") {
        if (!exactly(2))
            return false;
        QelSendText(KeyTarget(), words[1].c_str());
    } else if (command == "wheel") {
        if (!exactly(2) || !numbersFrom(1, 1))
            return false;
        QelSendMouse(list_->m_hWnd, WM_MOUSEWHEEL, 0, 0, MAKEWPARAM(0, static_cast<WORD>(numbers[0])));
    } else if (command == "click") {
        if (!numbersFrom(1, 2))
            return false;
        bool right = false, twice = false;
        UINT keys = 0;
        for (size_t i = 3; i < words.size(); ++i) {
            if (words[i] == "right")
                right = true;
            else if (words[i] == "double")
                twice = true;
            else if (words[i] == "shift")
                keys |= MK_SHIFT;
            else if (words[i] == "ctrl")
                keys |= MK_CONTROL;
            else {
                *reason = "click: unknown word " + words[i];
                return false;
            }
        }
        int x = static_cast<int>(std::clamp(numbers[0], -kMaxCoordinate, kMaxCoordinate));
        int y = static_cast<int>(std::clamp(numbers[1], -kMaxCoordinate, kMaxCoordinate));
        UINT button = right ? MK_RBUTTON : MK_LBUTTON;
        UINT down = right ? (twice ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
        // The release waits in the queue: a press that starts a divider drag finds it
        // there, any other press is followed by it.
        QelSetKeyState(VK_SHIFT, (keys & MK_SHIFT) != 0);
        QelSetKeyState(VK_CONTROL, (keys & MK_CONTROL) != 0);
        QelPostMouse(list_->m_hWnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, x, y, keys);
        if (list_->m_hWnd != nullptr)
            QelSendMouse(list_->m_hWnd, down, x, y, keys | button);
        Pump();
        QelSetKeyState(VK_SHIFT, FALSE);
        QelSetKeyState(VK_CONTROL, FALSE);
    } else if (command == "move") {
        if (!exactly(3) || !numbersFrom(1, 2))
            return false;
        QelSendMouse(list_->m_hWnd, WM_MOUSEMOVE, static_cast<int>(std::clamp(numbers[0], -kMaxCoordinate, kMaxCoordinate)),
                     static_cast<int>(std::clamp(numbers[1], -kMaxCoordinate, kMaxCoordinate)), 0);
    } else if (command == "vscroll" || command == "hscroll") {
        if (words.size() < 2 || words.size() > 3) {
            *reason = "wrong number of words";
            return false;
        }
        int code = ScrollCode(words[1]);
        if (code < 0) {
            *reason = "no such scroll code: " + words[1];
            return false;
        }
        long position = 0;
        if (words.size() == 3 && !Number(words[2], &position)) {
            *reason = "not a number: " + words[2];
            return false;
        }
        CScrollBar *bar = list_->GetScrollBarCtrl(command == "vscroll" ? SB_VERT : SB_HORZ);
        if ((code == SB_THUMBTRACK || code == SB_THUMBPOSITION) && words.size() == 3) {
            if (bar == nullptr) {
                *reason = "no scroll bar";
                return false;
            }
            QelScrollBarThumb(bar->m_hWnd, static_cast<int>(position), code == SB_THUMBPOSITION);
        } else {
            list_->SendMessage(command == "vscroll" ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, 0), 0);
        }
    } else if (command == "focus") {
        if (!exactly(1))
            return false;
        list_->SetFocus();
    } else if (command == "edit") {
        if (!exactly(3) || !numbersFrom(1, 2))
            return false;
        if (!list_->EditLabel(static_cast<int>(numbers[0]), static_cast<int>(numbers[1]))) {
            *reason = "the cell was not edited";
            return false;
        }
    } else if (command == "probe") {
        if (!exactly(3) || !numbersFrom(1, 2))
            return false;
        QelPaintPending();
        HBITMAP shot = QelCaptureWindow(list_->m_hWnd, TRUE);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ before = SelectObject(dc, shot);
        COLORREF color = GetPixel(dc, static_cast<int>(numbers[0]) + 1, static_cast<int>(numbers[1]) + 1);
        SelectObject(dc, before);
        DeleteDC(dc);
        DeleteObject(shot);
        char line[64];
        // A COLORREF holds red in its low byte.
        std::snprintf(line, sizeof line, "pixel\t%ld\t%ld\t%02X%02X%02X\n", numbers[0], numbers[1],
                      static_cast<unsigned>(color & 0xFF), static_cast<unsigned>((color >> 8) & 0xFF),
                      static_cast<unsigned>((color >> 16) & 0xFF));
        *out_ += line;
    } else {
        *reason = "unknown command: " + command;
        return false;
    }
    Pump();
    if (list_->m_hWnd == nullptr) {
        *reason = "the list is gone";
        return false;
    }
    return true;
}

// What the list shows: its rows, cells and header read back from its pixels.
void Scene::Report()
{
    QelPaintPending();
    HBITMAP shot = QelCaptureWindow(list_->m_hWnd, TRUE);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(dc, shot);
    auto read = [&](CRect rect, std::initializer_list<COLORREF> colors) {
        rect.OffsetRect(1, 1);
        char text[2048];
        for (COLORREF color : colors) {
            QelReadText(dc, &rect, color, text, sizeof text);
            if (text[0] != '\0')
                return std::string(text);
        }
        return std::string();
    };
    CRect rows;
    list_->GetListClientRect(&rows);
    DrawnListCtrl &list = *list_;
    std::initializer_list<COLORREF> cellColors = {list.GetTextColor(), list.GetSelTextColor(), list.GetGrayTextColor(),
                                                  GetSysColor(COLOR_MENUTEXT), list.GetTextBkColor()};
    for (int row = list.GetTopIndex(); row < list.GetItemCount(); ++row) {
        CRect cell;
        if (!list.GetCellRect(row, 0, &cell, 0) || cell.top >= rows.bottom)
            break;
        char line[96];
        if (tree_ != nullptr) {
            ReportTreeRow(row);
        } else {
            std::snprintf(line, sizeof line, "row\t%d\t%ld\t%ld\t%X\n", row, static_cast<long>(cell.top),
                          static_cast<long>(cell.Height()), list.GetItemState(row, 0xFFFF));
            *out_ += line;
        }
        for (int column = 0; column < list.GetColumnCount(); ++column) {
            list.GetCellRect(row, column, &cell, 0);
            CRect visible;
            visible.IntersectRect(&cell, &rows);
            // A tree's item cell is read on its label: the lines and buttons are no text.
            CRect label;
            if (tree_ != nullptr && list.GetColumnAt(column)->subItem == 0 && list.GetCellRect(row, column, &label, 2))
                visible.IntersectRect(&visible, &label);
            std::string text = visible.IsRectEmpty() ? "" : read(visible, cellColors);
            std::snprintf(line, sizeof line, "cell\t%d\t%d\t%ld\t%ld\t", row, column, static_cast<long>(cell.left),
                          static_cast<long>(cell.right));
            *out_ += line + Escaped(text) + "\n";
        }
    }
    if ((list.GetListStyle() & LVS_TYPEMASK) == LVS_REPORT && list.IsHeaderShown()) {
        for (int column = 0; column < list.GetColumnCount(); ++column) {
            CRect part(list.GetColumnLeft(column), 0, list.GetColumnRight(column), rows.top);
            CRect client;
            list.CWnd::GetClientRect(&client);
            part.IntersectRect(&part, &client);
            std::string text = part.IsRectEmpty() ? "" : read(part, {GetSysColor(COLOR_BTNTEXT)});
            *out_ += "header\t" + std::to_string(column) + "\t" + Escaped(text) + "\n";
        }
    }
    SelectObject(dc, before);
    DeleteDC(dc);
    DeleteObject(shot);
    DrawnListTip *tip = list.GetTip();
    if (tip->m_hWnd != nullptr && tip->IsWindowVisible()) {
        CRect rect;
        tip->GetWindowRect(&rect);
        char line[96];
        std::snprintf(line, sizeof line, "tip\t%ld\t%ld\t%ld\t%ld\t", static_cast<long>(rect.left),
                      static_cast<long>(rect.top), static_cast<long>(rect.right), static_cast<long>(rect.bottom));
        *out_ += line + Escaped(std::string(tip->GetText())) + "\n";
    }
}

// "row R TOP HEIGHT STATE LEVEL", "label R L T R B" and, where one is drawn,
// "button R L T R B".
void Scene::ReportTreeRow(int row)
{
    CRect cell, label, button;
    tree_->GetCellRect(row, 0, &cell, 0);
    tree_->GetCellRect(row, 0, &label, 2);
    HTREEITEM item = tree_->GetItemAtIndex(row);
    int level = tree_->GetLevel(item);
    char line[128];
    std::snprintf(line, sizeof line, "row\t%d\t%ld\t%ld\t%X\t%d\nlabel\t%d\t%ld\t%ld\t%ld\t%ld\n", row,
                  static_cast<long>(cell.top), static_cast<long>(cell.Height()), tree_->GetItemState(row, 0xFFFF),
                  level, row, static_cast<long>(label.left), static_cast<long>(label.top),
                  static_cast<long>(label.right), static_cast<long>(label.bottom));
    *out_ += line;
    DWORD style = tree_->GetTreeStyle();
    bool rootLines = (style & TVS_LINESATROOT) != 0 && (style & (TVS_HASBUTTONS | TVS_HASLINES)) != 0;
    if ((style & TVS_HASBUTTONS) != 0 && (level > 1 || rootLines) && tree_->ItemHasChildren(item) &&
        tree_->GetButtonRect(&button, row) > 0) {
        std::snprintf(line, sizeof line, "button\t%d\t%ld\t%ld\t%ld\t%ld\n", row, static_cast<long>(button.left),
                      static_cast<long>(button.top), static_cast<long>(button.right),
                      static_cast<long>(button.bottom));
        *out_ += line;
    }
}

void Scene::Finish(bool report, const char *pngPath)
{
    if (report && list_ != nullptr && list_->m_hWnd != nullptr) {
        Report();
        if (pngPath != nullptr) {
            HBITMAP shot = QelCaptureWindow(list_->m_hWnd, TRUE);
            if (!QelWritePng(shot, pngPath))
                *out_ += "error: the PNG was not written\n";
            DeleteObject(shot);
        }
    }
    // What the windows say as they go is not part of the scene.
    if (popup_ != nullptr)
        popup_->out = nullptr;
    list_.reset();
    tree_ = nullptr;
    if (popup_ != nullptr)
        popup_->tree = nullptr;
    if (popup_ != nullptr && popup_->m_hWnd != nullptr)
        popup_->DestroyWindow();
    popup_.reset();
    images_.clear();
    Pump();
}

} // namespace

ListSceneResult PlayListScene(const std::string &scene, const char *pngPath)
{
    ListSceneResult result;
    size_t windows = qelwin::WindowCount(), objects = QelGdiLiveObjects();
    {
        Scene player(&result.output);
        std::istringstream lines(scene);
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            std::vector<std::string> words;
            std::string reason;
            bool good = line.find('\0') == std::string::npos ? SplitWords(line, &words, &reason)
                                                              : (reason = "a NUL byte", false);
            if (good && words.empty())
                continue;
            if (good)
                good = player.Run(words, &reason);
            if (!good) {
                result.output += "error: line " + std::to_string(number) + ": " + reason + "\n";
                result.failed = true;
                player.Finish(false, nullptr);
                break;
            }
        }
        if (!result.failed)
            player.Finish(true, pngPath);
    }
    DrawnTreeBaseC::DeleteSharedResources();
    if (!result.failed) {
        char line[64];
        std::snprintf(line, sizeof line, "live\t%ld\t%ld\n", static_cast<long>(qelwin::WindowCount()) - static_cast<long>(windows),
                      static_cast<long>(QelGdiLiveObjects()) - static_cast<long>(objects));
        result.output += line;
    }
    return result;
}
