#include "drawntreetesting.h"

#include "crtstring.h"

#include <algorithm>
#include <random>

namespace {

// A small depth-first model of the tree: what rows, links, focus and selection must be.
class TreeModel {
public:
    struct Node {
        std::string text;
        int parent = -1;
        std::vector<int> children;
        bool expanded = false;
        bool hidden = false;
        HTREEITEM handle = nullptr;
        bool alive = true;
    };

    TreeModel() { nodes.push_back(Node{}); }

    bool Shown(int id) const
    {
        if (nodes[id].hidden)
            return false;
        for (int up = nodes[id].parent; up > 0; up = nodes[up].parent)
            if (!nodes[up].expanded || nodes[up].hidden)
                return false;
        return true;
    }
    void Walk(int id, std::vector<int> *order, bool shownOnly) const
    {
        for (int child : nodes[id].children) {
            if (shownOnly && !Shown(child))
                continue;
            order->push_back(child);
            Walk(child, order, shownOnly);
        }
    }
    std::vector<int> Rows() const
    {
        std::vector<int> rows;
        Walk(0, &rows, true);
        return rows;
    }
    std::vector<int> Alive() const
    {
        std::vector<int> all;
        Walk(0, &all, false);
        return all;
    }
    bool Inside(int id, int top) const
    {
        for (int up = id; up >= 0; up = nodes[up].parent)
            if (up == top)
                return true;
        return false;
    }
    void Remove(int id)
    {
        for (int child : std::vector<int>(nodes[id].children))
            Remove(child);
        nodes[id].alive = false;
        auto &siblings = nodes[nodes[id].parent].children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), id));
        selection.erase(std::remove(selection.begin(), selection.end(), id), selection.end());
    }
    int Find(HTREEITEM handle) const
    {
        for (size_t i = 1; i < nodes.size(); ++i)
            if (nodes[i].alive && nodes[i].handle == handle)
                return static_cast<int>(i);
        return -1;
    }
    int Compare(int a, int b) const { return _stricmp(nodes[a].text.c_str(), nodes[b].text.c_str()); }

    std::vector<Node> nodes;
    int focus = -1;
    std::vector<int> selection;
};

class DrawnTreeModelTest : public DrawnTreeTest {
protected:
    // After rows went: the focus, when its row went, is on the nearest earlier row that
    // stayed, as the list moves it.
    void FocusAfterRowsWent(const std::vector<int> &before)
    {
        if (model_.focus < 0 || (model_.nodes[model_.focus].alive && model_.Shown(model_.focus)))
            return;
        auto at = std::find(before.begin(), before.end(), model_.focus);
        int focus = -1;
        for (auto it = before.begin(); it != at; ++it)
            if (model_.nodes[*it].alive && model_.Shown(*it))
                focus = *it;
        model_.focus = focus;
        model_.selection.erase(std::remove_if(model_.selection.begin(), model_.selection.end(),
                                              [&](int id) { return !model_.Shown(id); }),
                               model_.selection.end());
    }

    void Check(int step)
    {
        SCOPED_TRACE("step " + std::to_string(step) + " after " + last_);
        DrawnTreeCtrl &tree = *tree_;
        std::vector<int> rows = model_.Rows();
        ASSERT_EQ(tree.GetItemCount(), static_cast<int>(rows.size()));
        for (size_t row = 0; row < rows.size(); ++row)
            ASSERT_EQ(tree.GetItemAtIndex(static_cast<int>(row)), model_.nodes[rows[row]].handle) << "row " << row;
        for (int id : model_.Alive()) {
            const TreeModel::Node &node = model_.nodes[id];
            HTREEITEM parent = node.parent == 0 ? nullptr : model_.nodes[node.parent].handle;
            ASSERT_EQ(tree.GetParentItem(node.handle), parent);
            HTREEITEM child = node.children.empty() ? nullptr : model_.nodes[node.children.front()].handle;
            ASSERT_EQ(tree.GetChildItem(node.handle), child);
            auto &siblings = model_.nodes[node.parent].children;
            auto at = std::find(siblings.begin(), siblings.end(), id);
            HTREEITEM next = at + 1 == siblings.end() ? nullptr : model_.nodes[*(at + 1)].handle;
            ASSERT_EQ(tree.GetNextSiblingItem(node.handle), next);
            ASSERT_EQ(tree.GetItemText(node.handle), CString(node.text.c_str()));
            ASSERT_EQ((tree.GetItemState(node.handle, TVIS_EXPANDED) & TVIS_EXPANDED) != 0, node.expanded) << node.text << " " << id;
        }
        HTREEITEM focus = model_.focus > 0 ? model_.nodes[model_.focus].handle : nullptr;
        ASSERT_EQ(tree.GetSelectedItem(), focus);
        std::vector<HTREEITEM> selected, expected;
        for (HTREEITEM item = tree.GetNextItem(nullptr, 32); item != nullptr; item = tree.GetNextItem(item, 33))
            selected.push_back(item);
        for (int id : rows)
            if (std::find(model_.selection.begin(), model_.selection.end(), id) != model_.selection.end())
                expected.push_back(model_.nodes[id].handle);
        ASSERT_EQ(selected, expected);
    }

    TreeModel model_;
    std::string last_;
};

TEST_F(DrawnTreeModelTest, TenThousandRandomChangesKeepRowsLinksFocusAndSelectionAsTheModelSays)
{
    DrawnTreeCtrl &tree = Make(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0, CRect(0, 0, 150, 80));
    tree.SetRedraw(FALSE);
    std::mt19937 random(63);
    auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    std::vector<HTREEITEM> gone;
    const char *const kTexts[] = {"a", "B", "b", "c", "A", "d", "C", "e"};
    for (int step = 0; step < 10000; ++step) {
        std::vector<int> alive = model_.Alive();
        std::vector<int> before = model_.Rows();
        int what = pick(alive.size() < 30 ? 3 : alive.size() > 250 ? 12 : 14);
        if (alive.empty() || what < 3) {
            // Insert, with every place code.
            int parent = alive.empty() || pick(4) == 0 ? 0 : alive[static_cast<size_t>(pick(static_cast<int>(alive.size())))];
            TreeModel::Node node;
            node.text = kTexts[pick(8)];
            node.parent = parent;
            node.expanded = pick(3) == 0;
            std::vector<int> &siblings = model_.nodes[parent].children;
            int code = pick(7);
            HTREEITEM after = TVI_LAST;
            size_t at = siblings.size();
            bool fails = false;
            if (code == 0) {
                after = TVI_FIRST;
                at = 0;
            } else if (code == 1 || code == 2) {
                after = code == 1 ? TVI_SORT : TVI_SORTDESCENDING;
                int direction = code == 1 ? 1 : -1;
                model_.nodes.push_back(node);
                int fresh = static_cast<int>(model_.nodes.size()) - 1;
                at = 0;
                std::vector<int> &children = model_.nodes[parent].children;
                while (at < children.size() && model_.Compare(children[at], fresh) * direction <= 0)
                    ++at;
                model_.nodes.pop_back();
            } else if (code == 3 && !siblings.empty()) {
                size_t index = static_cast<size_t>(pick(static_cast<int>(siblings.size())));
                after = model_.nodes[siblings[index]].handle;
                at = index + 1;
            } else if (code == 4) {
                after = pick(2) == 0 ? nullptr : TVI_ROOT;
            } else if (code == 5 && !alive.empty()) {
                // A sibling of another parent: refused when the parent has children.
                int other = alive[static_cast<size_t>(pick(static_cast<int>(alive.size())))];
                if (model_.nodes[other].parent != parent) {
                    after = model_.nodes[other].handle;
                    fails = !siblings.empty();
                }
            }
            last_ = "insert " + node.text + " code " + std::to_string(code);
            HTREEITEM handle = tree.InsertItem(TVIF_TEXT | TVIF_STATE, node.text.c_str(), 0, 0,
                                               node.expanded ? TVIS_EXPANDED : 0, TVIS_EXPANDED, 0,
                                               parent == 0 ? TVI_ROOT : model_.nodes[parent].handle, after);
            if (fails) {
                ASSERT_EQ(handle, nullptr) << last_;
            } else {
                ASSERT_NE(handle, nullptr) << last_;
                node.handle = handle;
                model_.nodes.push_back(node);
                std::vector<int> &children = model_.nodes[parent].children;
                children.insert(children.begin() + static_cast<long>(at), static_cast<int>(model_.nodes.size()) - 1);
            }
        } else {
            int id = alive[static_cast<size_t>(pick(static_cast<int>(alive.size())))];
            TreeModel::Node &node = model_.nodes[id];
            HTREEITEM handle = node.handle;
            switch (what) {
            case 3:
            case 4: {
                last_ = "delete " + node.text;
                ASSERT_TRUE(tree.DeleteItem(handle));
                std::vector<int> all;
                model_.Walk(id, &all, false);
                for (int inner : all)
                    gone.push_back(model_.nodes[inner].handle);
                gone.push_back(handle);
                model_.Remove(id);
                FocusAfterRowsWent(before);
                break;
            }
            case 5:
            case 6: {
                UINT code = what == 5 ? TVE_EXPAND : pick(2) == 0 ? TVE_COLLAPSE : TVE_TOGGLE;
                last_ = "expand " + std::to_string(code) + " " + node.text;
                bool collapse = code == TVE_COLLAPSE || (code == TVE_TOGGLE && node.expanded);
                BOOL done = tree.Expand(handle, code, pick(2) == 0);
                if (node.children.empty()) {
                    ASSERT_FALSE(done);
                    break;
                }
                ASSERT_TRUE(done);
                if (collapse && node.expanded && model_.focus >= 0 && model_.focus != id && model_.Inside(model_.focus, id) &&
                    model_.Shown(id)) {
                    model_.focus = id;
                    model_.selection = {id};
                }
                node.expanded = !collapse;
                FocusAfterRowsWent(before);
                break;
            }
            case 7:
                last_ = "hide " + node.text;
                node.hidden = pick(2) == 0;
                ASSERT_TRUE(tree.SetItemHidden(handle, node.hidden));
                FocusAfterRowsWent(before);
                break;
            case 8: {
                last_ = "select " + node.text;
                bool hidden = false;
                for (int up = id; up > 0; up = model_.nodes[up].parent)
                    hidden = hidden || model_.nodes[up].hidden;
                BOOL done = tree.Select(handle, TVGN_CARET);
                ASSERT_EQ(done, !hidden);
                if (!hidden) {
                    for (int up = node.parent; up > 0; up = model_.nodes[up].parent)
                        model_.nodes[up].expanded = true;
                    model_.focus = id;
                    model_.selection = {id};
                }
                break;
            }
            case 9: {
                int parent = pick(3) == 0 ? 0 : alive[static_cast<size_t>(pick(static_cast<int>(alive.size())))];
                bool ascending = pick(2) == 0, recursive = pick(2) == 0;
                last_ = "sort under " + model_.nodes[parent].text;
                ASSERT_TRUE(tree.SortChildren(parent == 0 ? TVI_ROOT : model_.nodes[parent].handle, recursive, ascending));
                std::vector<int> parents = {parent};
                if (recursive)
                    model_.Walk(parent, &parents, false);
                for (int sorted : parents) {
                    auto &children = model_.nodes[sorted].children;
                    std::stable_sort(children.begin(), children.end(), [&](int a, int b) {
                        return model_.Compare(a, b) * (ascending ? 1 : -1) < 0;
                    });
                }
                break;
            }
            case 10: {
                int target = pick(3) == 0 ? 0 : alive[static_cast<size_t>(pick(static_cast<int>(alive.size())))];
                bool first = pick(2) == 0;
                last_ = "move " + node.text + " under " + model_.nodes[target].text;
                BOOL done = tree.MoveItem(handle, target == 0 ? TVI_ROOT : model_.nodes[target].handle, TRUE,
                                          first ? TVI_FIRST : TVI_LAST);
                if (model_.Inside(target, id)) {
                    ASSERT_FALSE(done);
                    break;
                }
                ASSERT_TRUE(done);
                auto &old = model_.nodes[node.parent].children;
                old.erase(std::find(old.begin(), old.end(), id));
                auto &fresh = model_.nodes[target].children;
                fresh.insert(first ? fresh.begin() : fresh.end(), id);
                node.parent = target;
                int focus = model_.focus;
                if (focus >= 0 && !model_.Shown(focus)) {
                    int top = model_.nodes[0].children.front();
                    focus = model_.nodes[top].hidden ? -2 : top;
                }
                if (focus == -2) {
                    // Where the list left it: the model follows the tree here.
                    int row = tree.GetFocusItem();
                    model_.focus = row >= 0 ? model_.Find(tree.GetItemAtIndex(row)) : -1;
                    model_.selection.clear();
                } else {
                    model_.focus = focus;
                    model_.selection.clear();
                    if (focus >= 0)
                        model_.selection = {focus};
                }
                break;
            }
            case 11:
                last_ = "show all";
                ASSERT_TRUE(tree.ShowAllItems());
                for (TreeModel::Node &each : model_.nodes)
                    each.hidden = false;
                break;
            default: {
                // Handles of deleted nodes are refused, not followed.
                if (gone.empty())
                    break;
                HTREEITEM stale = gone[static_cast<size_t>(pick(static_cast<int>(gone.size())))];
                if (model_.Find(stale) >= 0)
                    break;
                last_ = "stale";
                ASSERT_FALSE(tree.Expand(stale, TVE_EXPAND));
                ASSERT_FALSE(tree.DeleteItem(stale));
                ASSERT_EQ(tree.GetItemData(stale), 0);
                ASSERT_EQ(tree.GetNextSiblingItem(stale), nullptr);
                ASSERT_FALSE(tree.SetItemText(stale, "x"));
                break;
            }
            }
        }
        Check(step);
        if (HasFatalFailure())
            return;
    }
}

// The rows' texts with two blanks per level.
using Texts = std::vector<std::string>;

TEST_F(DrawnTreeModelTest, PlacesLinksAndIndentFollowTheTreeViewRules)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM a = tree.InsertItem("a"), b = tree.InsertItem("b"), c = tree.InsertItem("c");
    // Equal texts compared blind to case go after the existing ones.
    HTREEITEM upperB = tree.InsertItem("B", TVI_ROOT, TVI_SORT);
    EXPECT_EQ(Rows(), (Texts{"a", "b", "B", "c"}));
    EXPECT_EQ(tree.GetPrevSiblingItem(c), upperB);
    HTREEITEM first = tree.InsertItem("first", TVI_ROOT, TVI_FIRST);
    HTREEITEM child = tree.InsertItem("child", b, c); // c is no child of b, and b has none
    EXPECT_NE(child, nullptr);
    EXPECT_EQ(tree.InsertItem("late", b, c), nullptr);
    EXPECT_EQ(tree.GetParentItem(a), nullptr);
    EXPECT_EQ(tree.GetParentItem(child), b);
    EXPECT_EQ(tree.GetChildItem(nullptr), first);
    EXPECT_EQ(tree.GetChildItem(TVI_ROOT), first);
    EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_ROOT), first);
    EXPECT_EQ(tree.GetNextItem(a, 99), nullptr);
    EXPECT_EQ(tree.GetLevel(child), 2);
    EXPECT_EQ(tree.GetNextVisibleItem(first), a);
    // A child without a row: the next and previous items in depth-first order that have one.
    EXPECT_EQ(tree.GetNextVisibleItem(child), upperB);
    EXPECT_EQ(tree.GetPrevVisibleItem(child), b);
    tree.SetIndent(15);
    EXPECT_EQ(tree.GetIndent(), 16);
    // Sorting is stable both ways.
    tree.DeleteAllItems();
    for (const char *text : {"x1", "Y", "x2", "y", "X3"})
        tree.InsertItem(CString(text).Left(1), 0, 0, TVI_ROOT, TVI_LAST);
    std::vector<HTREEITEM> order;
    for (HTREEITEM item = tree.GetRootItem(); item != nullptr; item = tree.GetNextSiblingItem(item))
        order.push_back(item);
    tree.SortChildren(TVI_ROOT, FALSE, TRUE);
    EXPECT_EQ(Rows(), (Texts{"x", "x", "X", "Y", "y"}));
    EXPECT_EQ(tree.GetRootItem(), order[0]);
    EXPECT_EQ(tree.GetNextSiblingItem(tree.GetRootItem()), order[2]);
    tree.SortChildren(TVI_ROOT, FALSE, FALSE);
    EXPECT_EQ(Rows(), (Texts{"Y", "y", "x", "x", "X"}));
    EXPECT_EQ(tree.GetRootItem(), order[1]);
}

TEST_F(DrawnTreeModelTest, HiddenItemsStayHiddenUntilShownAgainAndMovesKeepSubtrees)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM top = tree.InsertItem("top"), other = tree.InsertItem("other");
    HTREEITEM one = tree.InsertItem("one", top), two = tree.InsertItem("two", top);
    tree.InsertItem("deep", two);
    tree.SetItemHidden(one, TRUE);
    tree.Expand(top, TVE_EXPAND);
    EXPECT_EQ(Rows(), (Texts{"top", "  two", "other"}));
    EXPECT_TRUE(tree.IsItemHidden(one));
    tree.Expand(two, TVE_EXPAND);
    tree.SetItemHidden(top, TRUE);
    EXPECT_EQ(Rows(), (Texts{"other"}));
    EXPECT_TRUE(tree.IsItemHidden(two));
    tree.ShowAllItems();
    EXPECT_EQ(Rows(), (Texts{"top", "  one", "  two", "    deep", "other"}));
    // A subtree moves whole, open as it was; never into itself.
    EXPECT_FALSE(tree.MoveItem(top, two, TRUE, TVI_LAST));
    EXPECT_TRUE(tree.MoveItem(two, other, TRUE, TVI_LAST));
    EXPECT_EQ(Rows(), (Texts{"top", "  one", "other"}));
    tree.Expand(other, TVE_EXPAND);
    EXPECT_EQ(Rows(), (Texts{"top", "  one", "other", "  two", "    deep"}));
}

TEST_F(DrawnTreeModelTest, AnExpansionThatDoesNotScrollStillGivesTheUserTheScrollBarToReachItsRows)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM top = tree.InsertItem("top");
    for (int i = 0; i < 12; ++i)
        tree.InsertItem("child", top);
    ASSERT_FALSE(tree.GetScrollBarCtrl(SB_VERT) != nullptr && IsWindowVisible(tree.GetScrollBarCtrl(SB_VERT)->m_hWnd));
    // As an owner expands an item whose children it has just been told of.
    ASSERT_TRUE(tree.Expand(top, TVE_EXPAND));
    ASSERT_NE(tree.GetScrollBarCtrl(SB_VERT), nullptr);
    EXPECT_TRUE(IsWindowVisible(tree.GetScrollBarCtrl(SB_VERT)->m_hWnd));
    EXPECT_EQ(tree.GetTopIndex(), 0);
    tree.Expand(top, TVE_COLLAPSE);
    EXPECT_FALSE(IsWindowVisible(tree.GetScrollBarCtrl(SB_VERT)->m_hWnd));
}

TEST_F(DrawnTreeModelTest, ItemFieldsKeepTheOwnersValueAndBuffersTheirCapacity)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM item = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, "a long label", 0, 0, 0, 0, 0x1234, TVI_ROOT, TVI_LAST);
    // Setting the text leaves the owner's value alone.
    EXPECT_TRUE(tree.SetItemText(item, "renamed"));
    EXPECT_EQ(tree.GetItemData(item), 0x1234);
    EXPECT_TRUE(tree.SetItemData(item, 0x77));
    EXPECT_EQ(tree.GetItemData(item), 0x77);
    char buffer[8];
    std::memset(buffer, 'z', sizeof buffer);
    TV_ITEM fields{};
    fields.mask = TVIF_TEXT | TVIF_HANDLE;
    fields.hItem = item;
    fields.pszText = buffer;
    fields.cchTextMax = 4;
    EXPECT_TRUE(tree.GetItem(&fields));
    EXPECT_STREQ(buffer, "ren");
    EXPECT_EQ(buffer[4], 'z');
    fields.cchTextMax = 0;
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_TRUE(tree.GetItem(&fields));
    EXPECT_EQ(buffer[0], 'z');
    // A new node's images are the tree's own "no image"; state bits stay under the mask.
    fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    HTREEITEM plain = tree.InsertItem("plain");
    fields.hItem = plain;
    EXPECT_TRUE(tree.GetItem(&fields));
    EXPECT_EQ(fields.iImage, -12);
    EXPECT_EQ(fields.iSelectedImage, -12);
    tree.SetItemState(plain, TVIS_BOLD | TVIS_CUT, TVIS_BOLD);
    EXPECT_EQ(tree.GetItemState(plain, 0xFFFF), static_cast<UINT>(TVIS_BOLD));
    // Sub-item texts: kept for sub-items 1 to the column count (the column made with the
    // tree and this one) while the storage is on.
    tree.AddColumn("Value", LVCFMT_LEFT, 60, 1);
    tree.EnableSubItemTexts(TRUE);
    EXPECT_TRUE(tree.SetSubItemText(item, 1, "value"));
    EXPECT_FALSE(tree.SetSubItemText(item, 3, "beyond"));
    EXPECT_EQ(tree.GetItemText(item, 1), CString("value"));
    EXPECT_EQ(tree.GetItemText(item, 3), CString(""));
    EXPECT_EQ(tree.GetItemText(item, 0), CString("renamed"));
    EXPECT_TRUE(tree.DeleteItem(item));
    EXPECT_EQ(tree.GetItemText(item, 1), CString(""));
}

int ByValue(LPARAM a, LPARAM b, LPARAM direction)
{
    return static_cast<int>((a - b) * direction);
}

TEST_F(DrawnTreeModelTest, SortingKeepsFocusSelectionAndDropHighlightOnTheirItems)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM c = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, "c", 0, 0, 0, 0, 1, TVI_ROOT, TVI_LAST);
    HTREEITEM a = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, "a", 0, 0, 0, 0, 3, TVI_ROOT, TVI_LAST);
    HTREEITEM b = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, "b", 0, 0, 0, 0, 2, TVI_ROOT, TVI_LAST);
    tree.InsertItem("inner", a);
    tree.Expand(a, TVE_EXPAND);
    ASSERT_TRUE(tree.Select(c, TVGN_CARET));
    ASSERT_TRUE(tree.SelectDropTarget(b));
    parent_.log.clear();
    ASSERT_TRUE(tree.SortChildren(TVI_ROOT));
    EXPECT_EQ(Rows(), (Texts{"a", "  inner", "b", "c"}));
    EXPECT_EQ(tree.GetSelectedItem(), c);
    EXPECT_EQ(tree.GetNextItem(nullptr, 32), c);
    EXPECT_EQ(tree.GetDropHilightItem(), b);
    EXPECT_EQ(parent_.log, std::vector<std::string>{}); // unnotified
    // The caller's comparison of the owner's values, descending here: c (1) last.
    TV_SORTCB sort{};
    sort.hParent = TVI_ROOT;
    sort.lpfnCompare = ByValue;
    sort.lParam = -1;
    ASSERT_TRUE(tree.SortChildrenCB(&sort));
    EXPECT_EQ(Rows(), (Texts{"a", "  inner", "b", "c"}));
    sort.lParam = 1;
    ASSERT_TRUE(tree.SortChildrenCB(&sort));
    EXPECT_EQ(Rows(), (Texts{"c", "b", "a", "  inner"}));
    EXPECT_EQ(tree.GetSelectedItem(), c);
    EXPECT_EQ(tree.GetDropHilightItem(), b);
}

TEST(DrawnSubItemTextStorageTest, KeepsTextsPerItemAndSubItemAndCutsToTheBuffer)
{
    DrawnSubItemTextStorage storage;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(0x1000), other = reinterpret_cast<HTREEITEM>(0x2000);
    char buffer[6] = "xxxxx";
    EXPECT_FALSE(storage.GetSubItemTextAt(item, 1, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(storage.SetSubItemTextAt(item, 1, "one"));
    EXPECT_TRUE(storage.SetSubItemTextAt(item, 2, "two"));
    EXPECT_FALSE(storage.GetSubItemTextAt(item, 3, buffer, sizeof buffer));
    EXPECT_TRUE(storage.SetSubItemTextAt(other, 5, "fifth and long"));
    EXPECT_TRUE(storage.GetSubItemTextAt(other, 2, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(storage.GetSubItemTextAt(other, 5, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "fifth");
    EXPECT_FALSE(storage.SetSubItemTextAt(item, 0, "own text"));
    storage.RemoveItemTexts(item);
    storage.RemoveItemTexts(item);
    EXPECT_FALSE(storage.GetSubItemTextAt(item, 1, buffer, sizeof buffer));
    EXPECT_TRUE(storage.GetSubItemTextAt(other, 5, buffer, 1));
    EXPECT_STREQ(buffer, "");
}

} // namespace
