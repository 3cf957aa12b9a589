// For the tree's tests: a parent that records the tree notifications it gets as
// "CODE TEXT" (itemNew's text, else itemOld's, else "-"), the tree made inside it, and the
// check that windows, GDI objects and nodes are back where they were.
#pragma once

#include "afxdc.h"
#include "drawnlisttesting.h"
#include "drawnsubitemtextstorage.h"
#include "drawntreectrl.h"

#include <cstring>

class TreeParent : public CWnd {
public:
    std::vector<std::string> log;
    std::function<LRESULT(NMHDR *)> answer;
    DrawnTreeBaseC *tree = nullptr;

    BOOL Make(int width = 400, int height = 300)
    {
        return CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr);
    }

    // The text of a notified item as the tree gives it (no callbacks resolved).
    std::string TextOf(HTREEITEM item)
    {
        if (tree == nullptr || item == nullptr || tree->LiveNode(item) == nullptr)
            return "-";
        LPCSTR text = tree->LiveNode(item)->m_item.pszText;
        return text == nullptr ? "" : text == LPSTR_TEXTCALLBACKA ? "(callback)" : text;
    }

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT *result) override
    {
        NMHDR *header = reinterpret_cast<NMHDR *>(lParam);
        UINT code = header->code;
        std::string text = "-";
        if (code == TVN_SELCHANGINGA || code == TVN_SELCHANGEDA || code == TVN_ITEMEXPANDINGA ||
            code == TVN_ITEMEXPANDEDA || code == TVN_DELETEITEMA || code == TVN_BEGINDRAGA || code == TVN_BEGINRDRAGA) {
            NM_TREEVIEW *info = reinterpret_cast<NM_TREEVIEW *>(lParam);
            text = info->itemNew.hItem != nullptr ? TextOf(info->itemNew.hItem) : TextOf(info->itemOld.hItem);
        } else if (code == TVN_GETDISPINFOA || code == TVN_SETDISPINFOA || code == TVN_BEGINLABELEDITA ||
                   code == TVN_ENDLABELEDITA) {
            text = TextOf(reinterpret_cast<NMTVDISPINFOA *>(lParam)->item.hItem);
        } else if (code == TVN_KEYDOWN) {
            text = std::to_string(reinterpret_cast<TV_KEYDOWN *>(lParam)->wVKey);
        }
        log.push_back(std::to_string(static_cast<int>(code)) + " " + text);
        *result = answer ? answer(header) : 0;
        return TRUE;
    }
};

// Nodes that count themselves, so that a test sees every node freed.
struct CountedNode : public _Node {
    static int &Live()
    {
        static int live = 0;
        return live;
    }
    CountedNode() { ++Live(); }
    ~CountedNode() override { --Live(); }
};

class CountingTree : public DrawnTreeCtrl {
public:
    _Node *CreateNode() override { return new CountedNode; }
};

class DrawnTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        nodesAtStart_ = CountedNode::Live();
        windowsAtStart_ = qelwin::WindowCount();
        objectsAtStart_ = QelGdiLiveObjects();
        palette_ = std::make_unique<QelDistinctPalette>();
        DrawnListBaseC::LoadSharedColors();
        ASSERT_TRUE(parent_.Make());
    }
    void TearDown() override
    {
        tree_.reset();
        parent_.DestroyWindow();
        DrawnTreeBaseC::DeleteSharedResources();
        images_.clear();
        palette_.reset();
        DrawnListBaseC::LoadSharedColors();
        EXPECT_EQ(qelwin::WindowCount(), windowsAtStart_);
        EXPECT_EQ(QelGdiLiveObjects(), objectsAtStart_);
        EXPECT_EQ(CountedNode::Live(), nodesAtStart_);
    }

    DrawnTreeCtrl &Make(DWORD treeStyle = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, DWORD exStyle = 0,
                        CRect rect = CRect(0, 0, 200, 100))
    {
        tree_ = std::make_unique<CountingTree>();
        parent_.tree = tree_.get();
        EXPECT_TRUE(tree_->Create(treeStyle | WS_CHILD | WS_VISIBLE | WS_BORDER, exStyle, rect, &parent_, 7, nullptr));
        tree_->SetRedraw(TRUE);
        return *tree_;
    }

    // Images `side` pixels square, image i filled with colour `colors[i]`; a pixel of
    // colour `transparent` is see-through.
    CImageList *Images(int side, const std::vector<COLORREF> &colors, COLORREF transparent = CLR_NONE)
    {
        auto images = std::make_unique<CImageList>();
        images->Create(side, side, ILC_COLOR32 | (transparent != CLR_NONE ? ILC_MASK : 0), 0, 0);
        CClientDC screen(&parent_);
        for (COLORREF color : colors) {
            CDC dc;
            dc.CreateCompatibleDC(&screen);
            CBitmap bitmap;
            bitmap.CreateCompatibleBitmap(&screen, side, side);
            CBitmap *before = dc.SelectObject(&bitmap);
            dc.FillSolidRect(0, 0, side, side, color);
            dc.SelectObject(before);
            if (transparent != CLR_NONE)
                images->Add(&bitmap, transparent);
            else
                images->Add(&bitmap, static_cast<CBitmap *>(nullptr));
        }
        images_.push_back(std::move(images));
        return images_.back().get();
    }

    // The texts of the rows from the top, each indented by two blanks a level.
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < tree_->GetItemCount(); ++row) {
            HTREEITEM item = tree_->GetItemAtIndex(row);
            rows.push_back(std::string(2 * static_cast<size_t>(tree_->GetLevel(item) - 1), ' ') +
                           std::string(tree_->GetItemText(item)));
        }
        return rows;
    }

    static void Pump() { PumpQueue(); }

    std::unique_ptr<QelDistinctPalette> palette_;
    TreeParent parent_;
    std::unique_ptr<DrawnTreeCtrl> tree_;
    std::vector<std::unique_ptr<CImageList>> images_;
    int nodesAtStart_ = 0;
    size_t windowsAtStart_ = 0;
    size_t objectsAtStart_ = 0;
};
