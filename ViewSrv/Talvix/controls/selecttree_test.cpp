#include "selecttree.h"

#include "drawntreetesting.h"

#include <testing/tickcountoffset.h>
#include <userinput.h>

#include <map>

namespace {

const LPARAM kGroup = 0xFFFFFFFF;

// The dialog's part: tips per item text and the choices it was asked to make.
class SelectOwner : public TreeParent, public SelectTreeOwner {
public:
    std::map<std::string, std::string> tips;
    std::vector<std::string> choices;
    CSelectTreeCtrl *select = nullptr;

    CString GetItemTipText(HTREEITEM item) override
    {
        auto found = tips.find(std::string(select->GetItemText(item)));
        return found != tips.end() ? CString(found->second.c_str()) : CString();
    }
    void OnOK() override { choices.push_back(std::string(select->GetItemText(select->GetSelectedItem()))); }
};

class SelectTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        windowsAtStart_ = qelwin::WindowCount();
        objectsAtStart_ = QelGdiLiveObjects();
        palette_ = std::make_unique<QelDistinctPalette>();
        DrawnListBaseC::LoadSharedColors();
        ASSERT_TRUE(owner_.Make());
        tree_ = std::make_unique<CSelectTreeCtrl>();
        owner_.tree = tree_.get();
        owner_.select = tree_.get();
        ASSERT_TRUE(tree_->Create(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | WS_CHILD | WS_VISIBLE, 0,
                                  CRect(0, 0, 200, 4 * 18), &owner_, 1040, nullptr));
        tree_->SetRedraw(TRUE);
        tree_->PrepareSelectTree();
        tree_->SetOwnerDialog(&owner_);
        tree_->SetChosenList(&chosen_);
        globals_ = Group("Globals");
        for (const char *name : {"alpha", "Beta", "gamma", "abacus", "abc", "delta"})
            Member(name, globals_, static_cast<LPARAM>(members_.size()));
        statics_ = Group("Statics");
        Member("galore", statics_, 100);
    }
    void TearDown() override
    {
        tree_->ReleaseSelectTree();
        tree_.reset();
        owner_.DestroyWindow();
        DrawnTreeBaseC::DeleteSharedResources();
        palette_.reset();
        DrawnListBaseC::LoadSharedColors();
        EXPECT_EQ(qelwin::WindowCount(), windowsAtStart_);
        EXPECT_EQ(QelGdiLiveObjects(), objectsAtStart_);
    }

    HTREEITEM Group(const char *text)
    {
        return tree_->InsertItem(TVIF_TEXT | TVIF_CHILDREN | TVIF_PARAM, text, 0, 0, 0, 0, kGroup, TVI_ROOT, TVI_LAST);
    }
    HTREEITEM Member(const char *text, HTREEITEM parent, LPARAM data)
    {
        HTREEITEM item = tree_->InsertItem(TVIF_TEXT | TVIF_PARAM, text, 0, 0, 0, 0, data, parent, TVI_LAST);
        members_[text] = item;
        return item;
    }
    std::string Selected()
    {
        HTREEITEM item = tree_->GetSelectedItem();
        return item != nullptr ? std::string(tree_->GetItemText(item)) : "(none)";
    }
    std::string Top() { return std::string(tree_->GetItemText(tree_->GetFirstVisibleItem())); }
    void Type(char letter) { QelSendKey(tree_->m_hWnd, std::toupper(letter), 0); }
    void DoubleClick(HTREEITEM item)
    {
        CRect rect;
        ASSERT_TRUE(tree_->GetItemRect(item, &rect, TRUE));
        QelSendMouse(tree_->m_hWnd, WM_LBUTTONDBLCLK, rect.CenterPoint().x, rect.CenterPoint().y, MK_LBUTTON);
    }
    // The log's TVN_KEYDOWN entries: the keys the tree let the list have.
    std::vector<std::string> KeysPassed()
    {
        std::vector<std::string> keys;
        std::string prefix = std::to_string(static_cast<int>(TVN_KEYDOWN)) + " ";
        for (const std::string &line : owner_.log)
            if (line.compare(0, prefix.size(), prefix) == 0)
                keys.push_back(line.substr(prefix.size()));
        return keys;
    }
    bool Expanded(HTREEITEM item) { return (tree_->GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }

    std::unique_ptr<QelDistinctPalette> palette_;
    SelectOwner owner_;
    std::unique_ptr<CSelectTreeCtrl> tree_;
    CDWordArray chosen_;
    HTREEITEM globals_ = nullptr, statics_ = nullptr;
    std::map<std::string, HTREEITEM> members_;
    size_t windowsAtStart_ = 0, objectsAtStart_ = 0;
};

TEST_F(SelectTreeTest, ADoubleClickChoosesAMemberAndLeavesAGroupAsItWas)
{
    DoubleClick(globals_);
    EXPECT_FALSE(Expanded(globals_)) << "a group neither expands nor chooses";
    EXPECT_TRUE(owner_.choices.empty());
    tree_->Expand(globals_, TVE_EXPAND);
    DoubleClick(globals_);
    EXPECT_TRUE(Expanded(globals_)) << "nor collapses";
    EXPECT_TRUE(owner_.choices.empty());
    EXPECT_EQ(std::count(owner_.log.begin(), owner_.log.end(), std::to_string(static_cast<int>(NM_DBLCLK)) + " -"), 0);

    DoubleClick(members_["Beta"]);
    EXPECT_EQ(owner_.choices, std::vector<std::string>{"Beta"}) << "the item under the mouse, selected first";
    EXPECT_EQ(Selection(*tree_).size(), 1u);
}

TEST_F(SelectTreeTest, TypingSearchesTheSiblingsByPrefixAndStartsAfreshAfterAPause)
{
    tree_->Expand(globals_, TVE_EXPAND);
    tree_->Expand(statics_, TVE_EXPAND);
    tree_->SelectItem(members_["delta"]);
    owner_.log.clear();

    Type('a');
    Type('B');
    EXPECT_EQ(Selected(), "abacus") << "the first sibling beginning with \"ab\" in any case";
    EXPECT_EQ(Top(), "abacus") << "scrolled to the top";
    Type('z');
    EXPECT_EQ(Selected(), "abacus") << "no match changes nothing";

    QelAdvanceTickCount(2000);
    Type('b');
    EXPECT_EQ(Selected(), "Beta") << "after a pause \"b\" alone; the search starts at the first sibling";
    QelAdvanceTickCount(2000);
    Type('g');
    EXPECT_EQ(Selected(), "gamma") << "\"galore\" is no sibling";
    EXPECT_TRUE(KeysPassed().empty()) << "the letters never reach the list, found or not";
    EXPECT_EQ(Selection(*tree_).size(), 1u);

    QelAdvanceTickCount(2000);
    tree_->SelectItem(statics_);
    Type('g');
    EXPECT_EQ(Selected(), "Globals") << "at the top level the top-level items are the siblings";
}

TEST_F(SelectTreeTest, KeysThatTypeNoSearchCharacterKeepTheTreesMeaning)
{
    tree_->SelectItem(globals_);
    owner_.log.clear();
    QelSendKey(tree_->m_hWnd, VK_ADD, 0);
    EXPECT_TRUE(Expanded(globals_)) << "keypad plus expands";
    QelSendKey(tree_->m_hWnd, VK_SUBTRACT, 0);
    EXPECT_FALSE(Expanded(globals_)) << "keypad minus collapses";
    QelSendKey(tree_->m_hWnd, VK_MULTIPLY, 0);
    EXPECT_TRUE(Expanded(globals_)) << "keypad multiply expands all";
    QelSendKey(tree_->m_hWnd, VK_DOWN, 0);
    EXPECT_EQ(Selected(), "alpha");
    for (int key : {VK_SPACE, VK_RETURN, VK_ESCAPE})
        QelSendKey(tree_->m_hWnd, key, 0);
    QelSendKey(tree_->m_hWnd, 'A', MK_CONTROL);
    std::vector<std::string> expected;
    for (int key : {VK_ADD, VK_SUBTRACT, VK_MULTIPLY, VK_DOWN, VK_SPACE, VK_RETURN, VK_ESCAPE, static_cast<int>('A')})
        expected.push_back(std::to_string(key));
    EXPECT_EQ(KeysPassed(), expected);
}

TEST_F(SelectTreeTest, WithNothingSelectedLettersAreSwallowedAndSelectNothing)
{
    tree_->DeselectAllExcept(-1);
    ASSERT_EQ(tree_->GetSelectedItem(), nullptr);
    Type('g');
    EXPECT_EQ(tree_->GetSelectedItem(), nullptr);
    EXPECT_TRUE(KeysPassed().empty());
}

// Two rows of one text, one of them chosen: the chosen one shows more ink.
TEST_F(SelectTreeTest, ChosenItemsAreDrawnBoldFromTheMomentTheyAreChosen)
{
    tree_->DeleteAllItems();
    HTREEITEM first = Member("REG", TVI_ROOT, 3);
    HTREEITEM second = Member("REG", TVI_ROOT, 4);
    tree_->SetItemState(first, TVIS_BOLD, TVIS_BOLD);
    chosen_.Add(4);
    tree_->Invalidate();
    CRect one, two;
    tree_->GetItemRect(first, &one, TRUE);
    tree_->GetItemRect(second, &two, TRUE);
    two.right = one.right = std::max(one.right, two.right) + 10;
    {
        ListShot shot(*tree_);
        COLORREF ink = Sys(COLOR_WINDOWTEXT);
        EXPECT_EQ(shot.Read(one, ink), "REG") << "the tree's own bold state means nothing here";
        EXPECT_GT(shot.Count(two, ink), shot.Count(one, ink));
    }
    chosen_.Add(3);
    tree_->Invalidate();
    ListShot shot(*tree_);
    EXPECT_EQ(shot.Count(two, Sys(COLOR_WINDOWTEXT)), shot.Count(one, Sys(COLOR_WINDOWTEXT)));
}

TEST_F(SelectTreeTest, TheTipShowsTheOwnersTextForTheItemUnderTheMouse)
{
    owner_.tips["Globals"] = "all the globals";
    tree_->EnableLabelTips(TRUE);
    tree_->ModifyListStyle(0, LVS_NOLABELWRAP);
    tree_->GetTip()->EnableCustomText();
    ::SetActiveWindow(owner_.m_hWnd);
    CRect rect;
    tree_->GetItemRect(globals_, &rect, TRUE);
    QelSendMouse(tree_->m_hWnd, WM_MOUSEMOVE, rect.left + 2, rect.CenterPoint().y, 0);
    ASSERT_NE(tree_->GetTip()->m_hWnd, nullptr);
    ASSERT_TRUE(tree_->GetTip()->IsWindowVisible());
    QelPaintPending();
    CRect tip;
    tree_->GetTip()->GetClientRect(&tip);
    QelCapturedWindow shot(tree_->GetTip()->m_hWnd);
    EXPECT_EQ(shot.Read(tip, Sys(COLOR_INFOTEXT)), "all the globals");
}

// The dialog may never have released them: the tree's end frees the font and the key
// buffer, once, whichever way it goes.
TEST(SelectTreeLifetime, FontAndKeyBufferGoWithTheTreeReleasedOrNot)
{
    size_t objectsAtStart = QelGdiLiveObjects();
    for (bool released : {false, true}) {
        TreeParent parent;
        ASSERT_TRUE(parent.Make());
        {
            CSelectTreeCtrl tree;
            ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, 0, CRect(0, 0, 100, 100), &parent, 1040, nullptr));
            tree.PrepareSelectTree();
            tree.PrepareSelectTree();
            EXPECT_GT(QelGdiLiveObjects(), objectsAtStart);
            if (released)
                tree.ReleaseSelectTree();
            tree.DestroyWindow();
        }
        parent.DestroyWindow();
        DrawnTreeBaseC::DeleteSharedResources();
        DrawnListBaseC::DeleteGridPens();
        EXPECT_EQ(QelGdiLiveObjects(), objectsAtStart) << (released ? "released" : "not released");
    }
}

} // namespace
