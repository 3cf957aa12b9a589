#include "treeview.h"

#include "collation.h"
#include "controlstate.h"
#include "inputmessages.h"
#include "systemclasses.h"
#include "windowgeometry.h"
#include "windowmessages.h"
#include "windowstate.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

const int kRowHeight = 16;
const int kIndent = 19;
const int kImageWidth = 16;
const int kCharWidth = 6;
const int kLabelMargin = 4;
const int kTextBuffer = 260;
const int kTipBuffer = 1024;

struct Node {
    HTREEITEM handle = nullptr;
    Node *parent = nullptr;
    Node *firstChild = nullptr;
    Node *lastChild = nullptr;
    Node *prev = nullptr;
    Node *next = nullptr;
    std::string text;
    bool callbackText = false;
    int image = 0;
    int selectedImage = 0;
    bool childrenSet = false;
    int children = 0;
    UINT state = 0;
    LPARAM param = 0;
};

struct TreeState {
    Node root; // the hidden root: its children are the root level
    std::unordered_map<HTREEITEM, std::unique_ptr<Node>> nodes;
    ULONG_PTR lastHandle = 0;
    Node *caret = nullptr;
    HIMAGELIST images[TVSIL_STATE + 1] = {};
    // Items may not come, go or move while the tree asks its parent about them or tells
    // it of a deletion: the walk in progress holds them.
    bool locked = false;
    HTREEITEM tipItem = nullptr;
    std::string tip;
};

Node *Find(TreeState &tree, HTREEITEM handle)
{
    auto found = tree.nodes.find(handle);
    return found != tree.nodes.end() ? found->second.get() : nullptr;
}

// The item, or the hidden root for TVI_ROOT and NULL.
Node *ParentNode(TreeState &tree, HTREEITEM handle)
{
    if (handle == nullptr || handle == TVI_ROOT)
        return &tree.root;
    return Find(tree, handle);
}

LRESULT Notify(HWND window, NMHDR &header, UINT code)
{
    header.hwndFrom = window;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
    header.code = code;
    HWND parent = GetParent(window);
    return parent != nullptr ? SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) : 0;
}

std::string TextOf(HWND window, const Node &node)
{
    if (!node.callbackText)
        return node.text;
    char buffer[kTextBuffer] = "";
    NMTVDISPINFOA info{};
    info.item.mask = TVIF_TEXT;
    info.item.hItem = node.handle;
    info.item.state = node.state;
    info.item.lParam = node.param;
    info.item.pszText = buffer;
    info.item.cchTextMax = kTextBuffer;
    Notify(window, info.hdr, TVN_GETDISPINFOA);
    // The parent may point at a text of its own rather than fill the buffer.
    if (info.item.pszText == nullptr || info.item.pszText == LPSTR_TEXTCALLBACKA)
        return std::string();
    return std::string(info.item.pszText, strnlen(info.item.pszText, kTextBuffer - 1));
}

void Unlink(Node &node)
{
    Node &parent = *node.parent;
    (node.prev != nullptr ? node.prev->next : parent.firstChild) = node.next;
    (node.next != nullptr ? node.next->prev : parent.lastChild) = node.prev;
    node.prev = node.next = nullptr;
}

// Links `node` into `parent` after `after` (NULL: first).
void LinkAfter(Node &parent, Node &node, Node *after)
{
    node.parent = &parent;
    node.prev = after;
    node.next = after != nullptr ? after->next : parent.firstChild;
    (node.prev != nullptr ? node.prev->next : parent.firstChild) = &node;
    (node.next != nullptr ? node.next->prev : parent.lastChild) = &node;
}

void SetFields(Node &node, const TVITEMA &item)
{
    if ((item.mask & TVIF_TEXT) != 0) {
        node.callbackText = item.pszText == LPSTR_TEXTCALLBACKA;
        node.text = node.callbackText || item.pszText == nullptr ? std::string() : std::string(item.pszText);
    }
    if ((item.mask & TVIF_IMAGE) != 0)
        node.image = item.iImage;
    if ((item.mask & TVIF_SELECTEDIMAGE) != 0)
        node.selectedImage = item.iSelectedImage;
    if ((item.mask & TVIF_CHILDREN) != 0) {
        node.childrenSet = true;
        node.children = item.cChildren;
    }
    if ((item.mask & TVIF_STATE) != 0) {
        // Selection goes through TVM_SELECTITEM only.
        UINT mask = item.stateMask & ~static_cast<UINT>(TVIS_SELECTED);
        node.state = (node.state & ~mask) | (item.state & mask);
    }
    if ((item.mask & TVIF_PARAM) != 0)
        node.param = item.lParam;
}

HTREEITEM Insert(HWND window, TreeState &tree, const TVINSERTSTRUCTA &insert)
{
    Node *parent = ParentNode(tree, insert.hParent);
    if (parent == nullptr || tree.locked)
        return nullptr;
    Node *after = nullptr;
    bool sorted = insert.hInsertAfter == TVI_SORT;
    if (insert.hInsertAfter == TVI_LAST || insert.hInsertAfter == nullptr) {
        after = parent->lastChild;
    } else if (insert.hInsertAfter != TVI_FIRST && !sorted) {
        after = Find(tree, insert.hInsertAfter);
        if (after == nullptr || after->parent != parent)
            return nullptr;
    }
    auto made = std::make_unique<Node>();
    Node &node = *made;
    node.handle = reinterpret_cast<HTREEITEM>(++tree.lastHandle);
    SetFields(node, insert.item);
    tree.nodes.emplace(node.handle, std::move(made));
    LinkAfter(*parent, node, after);
    if (sorted && node.next != nullptr) {
        // Asked once the item exists, so that the parent can tell its text by its handle.
        tree.locked = true;
        std::string text = TextOf(window, node);
        Node *place = nullptr;
        for (Node *sibling = node.next; sibling != nullptr; sibling = sibling->next) {
            if (lstrcmpiA(TextOf(window, *sibling).c_str(), text.c_str()) > 0)
                break;
            place = sibling;
        }
        tree.locked = false;
        if (place != nullptr) {
            Unlink(node);
            LinkAfter(*parent, node, place);
        }
    }
    return node.handle;
}

void CollectPostOrder(Node &node, std::vector<Node *> &order)
{
    for (Node *child = node.firstChild; child != nullptr; child = child->next)
        CollectPostOrder(*child, order);
    order.push_back(&node);
}

BOOL Delete(HWND window, TreeState &tree, HTREEITEM handle)
{
    if (tree.locked)
        return FALSE;
    Node *top = handle == nullptr || handle == TVI_ROOT ? &tree.root : Find(tree, handle);
    if (top == nullptr)
        return FALSE;
    std::vector<Node *> order;
    CollectPostOrder(*top, order);
    if (top == &tree.root)
        order.pop_back();
    tree.locked = true;
    for (Node *node : order) {
        NMTREEVIEWA info{};
        info.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
        info.itemOld.hItem = node->handle;
        info.itemOld.lParam = node->param;
        Notify(window, info.hdr, TVN_DELETEITEMA);
    }
    tree.locked = false;
    if (top == &tree.root) {
        tree.root.firstChild = tree.root.lastChild = nullptr;
    } else {
        Unlink(*top);
    }
    for (Node *node : order) {
        if (tree.caret == node)
            tree.caret = nullptr;
        if (tree.tipItem == node->handle) {
            tree.tipItem = nullptr;
            tree.tip.clear();
        }
        tree.nodes.erase(node->handle);
    }
    return TRUE;
}

bool Expanded(const Node &node)
{
    return (node.state & TVIS_EXPANDED) != 0;
}

bool HasChildren(const Node &node)
{
    return node.childrenSet ? node.children != 0 : node.firstChild != nullptr;
}

BOOL Expand(TreeState &tree, UINT action, HTREEITEM handle)
{
    Node *node = Find(tree, handle);
    if (node == nullptr)
        return FALSE;
    switch (action & 0xF) {
    case TVE_COLLAPSE:
        node->state &= ~static_cast<UINT>(TVIS_EXPANDED);
        return TRUE;
    case TVE_EXPAND:
        node->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        return TRUE;
    case TVE_TOGGLE:
        node->state ^= TVIS_EXPANDED;
        node->state |= Expanded(*node) ? TVIS_EXPANDEDONCE : 0;
        return TRUE;
    default:
        return FALSE;
    }
}

bool Visible(const Node &node)
{
    for (const Node *up = node.parent; up != nullptr && up->parent != nullptr; up = up->parent)
        if (!Expanded(*up))
            return false;
    return true;
}

// The visible item after `node` in depth-first order (NULL: the first).
Node *NextVisible(TreeState &tree, Node *node)
{
    if (node == nullptr)
        return tree.root.firstChild;
    if (Expanded(*node) && node->firstChild != nullptr)
        return node->firstChild;
    for (Node *up = node; up != nullptr && up != &tree.root; up = up->parent)
        if (up->next != nullptr)
            return up->next;
    return nullptr;
}

Node *LastVisibleIn(Node *node)
{
    while (Expanded(*node) && node->lastChild != nullptr)
        node = node->lastChild;
    return node;
}

HTREEITEM GetNext(TreeState &tree, UINT relation, HTREEITEM handle)
{
    if (relation == TVGN_ROOT || relation == TVGN_FIRSTVISIBLE)
        return tree.root.firstChild != nullptr ? tree.root.firstChild->handle : nullptr;
    if (relation == TVGN_CARET)
        return tree.caret != nullptr ? tree.caret->handle : nullptr;
    if (relation == TVGN_CHILD) {
        Node *parent = ParentNode(tree, handle);
        return parent != nullptr && parent->firstChild != nullptr ? parent->firstChild->handle : nullptr;
    }
    Node *node = Find(tree, handle);
    if (node == nullptr)
        return nullptr;
    Node *answer = nullptr;
    switch (relation) {
    case TVGN_NEXT:
        answer = node->next;
        break;
    case TVGN_PREVIOUS:
        answer = node->prev;
        break;
    case TVGN_PARENT:
        answer = node->parent != &tree.root ? node->parent : nullptr;
        break;
    case TVGN_NEXTVISIBLE:
        answer = Visible(*node) ? NextVisible(tree, node) : nullptr;
        break;
    case TVGN_PREVIOUSVISIBLE:
        if (Visible(*node))
            answer = node->prev != nullptr ? LastVisibleIn(node->prev)
                                           : (node->parent != &tree.root ? node->parent : nullptr);
        break;
    default:
        break;
    }
    return answer != nullptr ? answer->handle : nullptr;
}

BOOL GetItem(HWND window, TreeState &tree, TVITEMA &item)
{
    Node *node = Find(tree, item.hItem);
    if (node == nullptr)
        return FALSE;
    if ((item.mask & TVIF_TEXT) != 0 && item.pszText != nullptr && item.pszText != LPSTR_TEXTCALLBACKA &&
        item.cchTextMax > 0) {
        std::string text = TextOf(window, *node);
        size_t count = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::memcpy(item.pszText, text.data(), count);
        item.pszText[count] = '\0';
    }
    if ((item.mask & TVIF_IMAGE) != 0)
        item.iImage = node->image;
    if ((item.mask & TVIF_SELECTEDIMAGE) != 0)
        item.iSelectedImage = node->selectedImage;
    if ((item.mask & TVIF_CHILDREN) != 0)
        item.cChildren = node->childrenSet ? node->children : (node->firstChild != nullptr ? 1 : 0);
    if ((item.mask & TVIF_STATE) != 0)
        item.state = node->state & item.stateMask;
    if ((item.mask & TVIF_PARAM) != 0)
        item.lParam = node->param;
    return TRUE;
}

int Level(const Node &node)
{
    int level = 0;
    for (const Node *up = node.parent; up != nullptr && up->parent != nullptr; up = up->parent)
        ++level;
    return level;
}

int RowOf(TreeState &tree, const Node &target)
{
    int row = 0;
    for (Node *node = NextVisible(tree, nullptr); node != nullptr; node = NextVisible(tree, node), ++row)
        if (node == &target)
            return row;
    return -1;
}

struct ItemLayout {
    int button; // the left edge of the button's place
    int image;  // the left edge of the image
    int label;  // the left edge of the label
    int right;  // the right edge of the label
};

ItemLayout LayoutOf(HWND window, TreeState &tree, const Node &node)
{
    bool linesAtRoot = (GetWindowLongA(window, GWL_STYLE) & TVS_LINESATROOT) != 0;
    ItemLayout layout{};
    layout.image = kIndent * (Level(node) + (linesAtRoot ? 1 : 0));
    layout.button = layout.image - kIndent;
    layout.label = layout.image + (tree.images[TVSIL_NORMAL] != nullptr ? kImageWidth : 0);
    layout.right = layout.label + kCharWidth * static_cast<int>(TextOf(window, node).size()) + kLabelMargin;
    return layout;
}

BOOL ItemRect(HWND window, TreeState &tree, BOOL labelOnly, RECT &rect)
{
    HTREEITEM handle = nullptr;
    std::memcpy(&handle, &rect, sizeof handle); // the item comes in the rectangle's place
    Node *node = Find(tree, handle);
    if (node == nullptr || !Visible(*node))
        return FALSE;
    int row = RowOf(tree, *node);
    if (row < 0)
        return FALSE;
    RECT client{};
    GetClientRect(window, &client);
    rect.top = row * kRowHeight;
    rect.bottom = rect.top + kRowHeight;
    if (labelOnly) {
        ItemLayout layout = LayoutOf(window, tree, *node);
        rect.left = layout.label;
        rect.right = layout.right;
    } else {
        rect.left = 0;
        rect.right = client.right;
    }
    return TRUE;
}

HTREEITEM HitTest(HWND window, TreeState &tree, TVHITTESTINFO &info)
{
    info.hItem = nullptr;
    info.flags = TVHT_NOWHERE;
    if (info.pt.y < 0 || info.pt.x < 0)
        return nullptr;
    int row = info.pt.y / kRowHeight;
    Node *node = NextVisible(tree, nullptr);
    for (int i = 0; node != nullptr && i < row; ++i)
        node = NextVisible(tree, node);
    if (node == nullptr) {
        info.flags = TVHT_BELOW;
        return nullptr;
    }
    ItemLayout layout = LayoutOf(window, tree, *node);
    bool buttons = (GetWindowLongA(window, GWL_STYLE) & TVS_HASBUTTONS) != 0;
    if (info.pt.x >= layout.right)
        info.flags = TVHT_ONITEMRIGHT;
    else if (info.pt.x >= layout.label)
        info.flags = TVHT_ONITEMLABEL;
    else if (info.pt.x >= layout.image)
        info.flags = TVHT_ONITEMICON;
    else if (info.pt.x >= layout.button && buttons && HasChildren(*node))
        info.flags = TVHT_ONITEMBUTTON;
    else
        info.flags = TVHT_ONITEMINDENT;
    info.hItem = node->handle;
    return node->handle;
}

BOOL Select(HWND window, TreeState &tree, UINT action, HTREEITEM handle, UINT cause)
{
    if (action != TVGN_CARET)
        return FALSE;
    Node *node = handle != nullptr ? Find(tree, handle) : nullptr;
    if (handle != nullptr && node == nullptr)
        return FALSE;
    if (node == tree.caret)
        return TRUE;
    NMTREEVIEWA info{};
    info.action = cause;
    info.itemOld.mask = info.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
    if (tree.caret != nullptr) {
        tree.caret->state &= ~static_cast<UINT>(TVIS_SELECTED);
        info.itemOld.hItem = tree.caret->handle;
        info.itemOld.lParam = tree.caret->param;
    }
    tree.caret = node;
    if (node != nullptr) {
        node->state |= TVIS_SELECTED;
        info.itemNew.hItem = node->handle;
        info.itemNew.lParam = node->param;
        // An item selected inside a collapsed parent is shown.
        for (Node *up = node->parent; up != nullptr && up != &tree.root; up = up->parent)
            up->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    }
    Notify(window, info.hdr, TVN_SELCHANGEDA);
    return TRUE;
}

void SortLevel(HWND window, TreeState &tree, Node &parent, bool recurse)
{
    std::vector<std::pair<std::string, Node *>> keyed;
    for (Node *child = parent.firstChild; child != nullptr; child = child->next)
        keyed.emplace_back(std::string(), child);
    bool wasLocked = tree.locked;
    tree.locked = true;
    for (auto &entry : keyed)
        entry.first = TextOf(window, *entry.second);
    tree.locked = wasLocked;
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return lstrcmpiA(a.first.c_str(), b.first.c_str()) < 0; });
    parent.firstChild = parent.lastChild = nullptr;
    for (auto &entry : keyed)
        LinkAfter(parent, *entry.second, parent.lastChild);
    if (recurse)
        for (auto &entry : keyed)
            SortLevel(window, tree, *entry.second, true);
}

LRESULT Click(HWND window, TreeState &tree, UINT message, LPARAM lParam)
{
    TVHITTESTINFO hit{};
    hit.pt.x = GET_X_LPARAM(lParam);
    hit.pt.y = GET_Y_LPARAM(lParam);
    HitTest(window, tree, hit);
    NMHDR header{};
    switch (message) {
    case WM_LBUTTONDOWN:
        if (hit.hItem != nullptr && (hit.flags & TVHT_ONITEMBUTTON) != 0)
            Expand(tree, TVE_TOGGLE, hit.hItem);
        else if (hit.hItem != nullptr && (hit.flags & TVHT_ONITEM) != 0)
            Select(window, tree, TVGN_CARET, hit.hItem, TVC_BYMOUSE);
        Notify(window, header, NM_CLICK);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (Notify(window, header, NM_DBLCLK) == 0 && hit.hItem != nullptr && Find(tree, hit.hItem) != nullptr &&
            (hit.flags & TVHT_ONITEM) != 0)
            Expand(tree, TVE_TOGGLE, hit.hItem);
        return 0;
    default:
        Notify(window, header, NM_RCLICK);
        return 0;
    }
}

void MouseMove(HWND window, TreeState &tree, LPARAM lParam)
{
    if ((GetWindowLongA(window, GWL_STYLE) & TVS_INFOTIP) == 0)
        return;
    TVHITTESTINFO hit{};
    hit.pt.x = GET_X_LPARAM(lParam);
    hit.pt.y = GET_Y_LPARAM(lParam);
    HitTest(window, tree, hit);
    if ((hit.flags & TVHT_ONITEM) == 0)
        hit.hItem = nullptr;
    if (hit.hItem == tree.tipItem)
        return;
    tree.tipItem = hit.hItem;
    tree.tip.clear();
    Node *node = hit.hItem != nullptr ? Find(tree, hit.hItem) : nullptr;
    if (node == nullptr)
        return;
    std::vector<char> buffer(kTipBuffer, '\0');
    NMTVGETINFOTIPA info{};
    info.pszText = buffer.data();
    info.cchTextMax = kTipBuffer;
    info.hItem = node->handle;
    info.lParam = node->param;
    Notify(window, info.hdr, TVN_GETINFOTIPA);
    if (tree.tipItem == hit.hItem)
        tree.tip.assign(buffer.data(), strnlen(buffer.data(), kTipBuffer - 1));
}

} // namespace

namespace qelwin {

LRESULT CALLBACK TreeViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ControlLifetime<TreeState>(window, message, wParam, lParam, &result))
        return result;
    TreeState *tree = ControlState<TreeState>(window);
    if (tree == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case TVM_INSERTITEMA:
        return reinterpret_cast<LRESULT>(
            lParam != 0 ? Insert(window, *tree, *reinterpret_cast<const TVINSERTSTRUCTA *>(lParam)) : nullptr);
    case TVM_DELETEITEM:
        return Delete(window, *tree, reinterpret_cast<HTREEITEM>(lParam));
    case TVM_EXPAND:
        return Expand(*tree, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam));
    case TVM_GETNEXTITEM:
        return reinterpret_cast<LRESULT>(GetNext(*tree, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam)));
    case TVM_GETITEMA:
        return lParam != 0 && GetItem(window, *tree, *reinterpret_cast<TVITEMA *>(lParam));
    case TVM_SETITEMA: {
        if (lParam == 0)
            return FALSE;
        const TVITEMA &item = *reinterpret_cast<const TVITEMA *>(lParam);
        Node *node = Find(*tree, item.hItem);
        if (node == nullptr)
            return FALSE;
        SetFields(*node, item);
        return TRUE;
    }
    case TVM_GETITEMRECT:
        return lParam != 0 && ItemRect(window, *tree, static_cast<BOOL>(wParam), *reinterpret_cast<RECT *>(lParam));
    case TVM_HITTEST:
        return reinterpret_cast<LRESULT>(
            lParam != 0 ? HitTest(window, *tree, *reinterpret_cast<TVHITTESTINFO *>(lParam)) : nullptr);
    case TVM_SELECTITEM:
        return Select(window, *tree, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam), TVC_UNKNOWN);
    case TVM_SORTCHILDREN: {
        Node *parent = ParentNode(*tree, reinterpret_cast<HTREEITEM>(lParam));
        if (parent == nullptr || tree->locked)
            return FALSE;
        SortLevel(window, *tree, *parent, wParam != 0);
        return TRUE;
    }
    case TVM_SETIMAGELIST: {
        if (wParam != TVSIL_NORMAL && wParam != TVSIL_STATE)
            return 0;
        HIMAGELIST old = tree->images[wParam];
        tree->images[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETIMAGELIST:
        return wParam == TVSIL_NORMAL || wParam == TVSIL_STATE ? reinterpret_cast<LRESULT>(tree->images[wParam]) : 0;
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(tree->nodes.size());
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        return Click(window, *tree, message, lParam);
    case WM_MOUSEMOVE:
        MouseMove(window, *tree, lParam);
        return 0;
    case WM_DESTROY:
        // The parent hears of every item that goes with the window, as on Windows.
        Delete(window, *tree, TVI_ROOT);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace qelwin

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX *init)
{
    return init != nullptr && init->dwSize >= sizeof(INITCOMMONCONTROLSEX);
}

int QelTreeTipText(HWND tree, LPSTR buffer, int size)
{
    char name[32] = "";
    if (GetClassNameA(tree, name, sizeof name) == 0 || std::strcmp(name, WC_TREEVIEWA) != 0)
        return -1;
    TreeState *state = qelwin::ControlState<TreeState>(tree);
    if (state == nullptr || buffer == nullptr || size < 1)
        return 0;
    size_t count = std::min(state->tip.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, state->tip.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}
