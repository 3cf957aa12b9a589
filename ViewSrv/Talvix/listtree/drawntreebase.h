// DrawnTreeBaseC: a tree laid over the owner-drawn list. It keeps its own nodes and shows
// every shown node (all ancestors expanded, none hidden) as one row of the list, in
// depth-first order; a row's list item carries its node. The interface follows the
// platform's tree view (HTREEITEM, TV_ITEM, TVN_ notifications) with sub-item texts per
// column, hidden items, item flags and bold items added.
#pragma once

#include "drawnlistctrl.h"
#include "drawntreenode.h"
#include "drawntreenodeset.h"
#include "treeview.h"


class CDataExchange;
class DrawnSubItemTextStorage;

// The tree's extended style: mirrors of four list options.
#define DTS_EX_MULTIPLESELECTION 0x00100000
#define DTS_EX_MULTILINELABELS 0x00200000
#define DTS_EX_SHOWHEADER 0x00400000
#define DTS_EX_LABELTIPS 0x00800000
#define DTS_EX_MIRRORS 0x00F00000
// The tree style bits that are stored; TVS_EDITLABELS and TVS_SHOWSELALWAYS are the list's.
#define DTS_STORED 0x17

// Item flags as the list's user state: valid bit, value and mask.
struct DrawnTreeItemFlags {
    UINT valid = 0;
    UINT value = 0;
    UINT mask = 0;
};

class DrawnTreeBaseC : public DrawnListCtrl {
public:
    DrawnTreeBaseC();
    ~DrawnTreeBaseC() override;

    using DrawnListBaseC::Create;
    using DrawnListBaseC::DeleteItem;
    using DrawnListBaseC::EnsureVisible;
    using DrawnListBaseC::GetItem;
    using DrawnListBaseC::GetItemData;
    using DrawnListBaseC::GetItemState;
    using DrawnListBaseC::GetItemRect;
    using DrawnListBaseC::GetItemText;
    using DrawnListBaseC::GetNextItem;
    using DrawnListBaseC::HitTest;
    using DrawnListBaseC::InsertItem;
    using DrawnListBaseC::SelectItem;
    using DrawnListBaseC::SetItem;
    using DrawnListBaseC::SetItemData;
    using DrawnListBaseC::SetItemState;
    using DrawnListBaseC::SetItemText;
    using DrawnListBaseC::EditLabel;

    BOOL Create(DWORD style, DWORD exStyle, const RECT &rect, CWnd *parent, UINT id, LPVOID param) override;
    BOOL Create(DWORD style, const RECT &rect, CWnd *parent, UINT id) override;

    // Inserting and deleting.
    HTREEITEM InsertItem(const TV_INSERTSTRUCT *insert);
    HTREEITEM InsertItem(UINT mask, LPCSTR text, int image, int selectedImage, UINT state, UINT stateMask,
                         LPARAM data, HTREEITEM parent, HTREEITEM after);
    HTREEITEM InsertItem(LPCSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(LPCSTR text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    BOOL InsertItems(TV_ITEM **items, HTREEITEM parent, int count, BOOL redraw);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems() override;

    // Expanding.
    BOOL Expand(HTREEITEM item, UINT code, BOOL scroll = FALSE);
    BOOL ExpandAll(HTREEITEM item, BOOL redraw);

    // Relations.
    HTREEITEM GetNextItem(HTREEITEM item, UINT code);
    HTREEITEM GetChildItem(HTREEITEM item);
    HTREEITEM GetNextSiblingItem(HTREEITEM item);
    HTREEITEM GetPrevSiblingItem(HTREEITEM item);
    HTREEITEM GetParentItem(HTREEITEM item);
    HTREEITEM GetRootItem(HTREEITEM item = nullptr);
    HTREEITEM GetFirstVisibleItem();
    HTREEITEM GetNextVisibleItem(HTREEITEM item);
    HTREEITEM GetPrevVisibleItem(HTREEITEM item);
    HTREEITEM GetSelectedItem();
    HTREEITEM GetDropHilightItem();
    // The node's level: 1 for a top-level item, 0 for none.
    int GetLevel(HTREEITEM item);

    // Item fields.
    virtual BOOL GetItem(TV_ITEM *item, BOOL copyText = TRUE, BOOL resolve = TRUE);
    BOOL SetItem(TV_ITEM *item);
    BOOL SetItemData(HTREEITEM item, LPARAM data);
    BOOL SetItemState(HTREEITEM item, UINT state, UINT stateMask);
    BOOL SetItemImage(HTREEITEM item, int image, int selectedImage);
    LPARAM GetItemData(HTREEITEM item);
    UINT GetItemState(HTREEITEM item, UINT stateMask);
    CString GetItemText(HTREEITEM item, int subItem = 0);
    BOOL ItemHasChildren(HTREEITEM item);
    HTREEITEM GetItemAtIndex(int row);
    int FindItemIndex(HTREEITEM item, int start = 0);
    BOOL GetItemRect(HTREEITEM item, CRect *rect, BOOL textOnly);

    // Selection and scrolling.
    BOOL Select(HTREEITEM item, UINT code);
    BOOL SelectItem(HTREEITEM item);
    BOOL SelectDropTarget(HTREEITEM item, BOOL ensureShown = TRUE);
    BOOL SelectAndScrollToTop(HTREEITEM item);
    BOOL EnsureVisible(HTREEITEM item, BOOL withParent = FALSE);
    HTREEITEM HitTest(int x, int y, UINT *flags);

    // Order.
    BOOL SortChildren(HTREEITEM parent, BOOL recursive = FALSE, BOOL ascending = TRUE);
    BOOL SortChildrenCB(const TV_SORTCB *sort, BOOL recursive = FALSE, BOOL ascending = TRUE);
    BOOL MoveItem(HTREEITEM item, HTREEITEM newParent, BOOL redraw, HTREEITEM after);

    // Hidden items.
    BOOL SetItemHidden(HTREEITEM item, BOOL hidden);
    BOOL ShowAllItems();
    BOOL IsItemHidden(HTREEITEM item);

    BOOL EditLabel(HTREEITEM item, int column = 0);
    CImageList *CreateDragImage(HTREEITEM item);

    void SetIndent(int pixels);
    int GetIndent() { return m_indent; }

    // Added virtual operations.
    virtual BOOL SetItemFlags(HTREEITEM item, const DrawnTreeItemFlags *flags);
    virtual BOOL GetItemFlags(HTREEITEM item, DrawnTreeItemFlags *flags, BOOL askOwner);
    virtual void EnableSubItemTexts(BOOL enable);
    virtual BOOL HasSubItemTexts() { return m_subItemTexts != nullptr; }
    virtual BOOL SetSubItemText(HTREEITEM item, int subItem, LPCSTR text);
    virtual BOOL SetItemText(HTREEITEM item, LPCSTR text);
    virtual int CompareItems(HTREEITEM a, HTREEITEM b);
    virtual void GetTreeStyles(DWORD *style, DWORD *exStyle);
    virtual void SetTreeStyles(DWORD style, DWORD exStyle, BOOL redraw = TRUE);
    virtual DWORD GetTreeStyle();
    virtual DWORD GetTreeExStyle() { return m_treeExStyle; }
    virtual void SetTreeStyle(DWORD style, BOOL redraw = TRUE);
    virtual void SetTreeExStyle(DWORD exStyle, BOOL redraw = TRUE);
    virtual void ModifyTreeStyle(DWORD remove, DWORD add, BOOL redraw = TRUE);
    virtual void ModifyTreeExStyle(DWORD remove, DWORD add, BOOL redraw = TRUE);
    virtual void ModifyTreeStyles(DWORD remove, DWORD add, DWORD exRemove, DWORD exAdd, BOOL redraw = TRUE);
    virtual void RedrawItem(HTREEITEM item);
    virtual void CalcTextRect(CDC *dc, _Node *node, LPCSTR text, CRect *rect);
    virtual void DrawLines(DrawnListPaintContext *context);
    virtual void DrawButton(DrawnListPaintContext *context);
    virtual void DrawHorzLine(CDC *dc, int x1, int x2, int y);
    virtual void DrawVertLine(CDC *dc, int x, int y1, int y2);
    virtual LRESULT NotifyItemGetDispInfo(TV_ITEM *item);
    virtual void NotifyItemExpanded(HTREEITEM item, UINT code);
    virtual LRESULT NotifyItemExpanding(HTREEITEM item, UINT code);
    virtual void NotifyItemSetDispInfo(TV_ITEM *item);
    virtual void OnItemFlagsDispInfo(DrawnTreeItemFlags *) {}
    virtual void OnTreeHook(LPARAM) {}
    virtual CBitmap *CreateTextBitmap(CDC *dc, LPCSTR text);
    virtual CImageList *CreateTextDragImage(CDC *dc, LPCSTR text);
    virtual CImageList *CreateIconDragImage(CImageList *images, int index);
    virtual CImageList *MergeDragImages(CImageList *icon, CImageList *text);
    virtual BOOL DeleteItemTree(HTREEITEM item);
    virtual int GetButtonRect(CRect *rect, int row);
    virtual void NotifyItemDeleted(HTREEITEM item);
    virtual _Node *CreateNode() { return new _Node; }

    // Overridden list operations.
    void PreCreateStyles(DWORD *style, DWORD *exStyle) override;
    BOOL SetItem(LVITEMA *item, BOOL redraw = TRUE) override;
    BOOL GetItem(LVITEMA *item, BOOL copyText = TRUE, BOOL notify = TRUE) override;
    BOOL SetItemUserState(int row, UINT state, UINT mask) override;
    UINT GetItemUserState(int row, UINT mask) override;
    BOOL NeedsDispInfo(int row) override;
    CImageList *SetImageList(CImageList *list, int which) override;
    void SetMultiLineLabels(BOOL multiLine, BOOL redraw = TRUE) override;
    void EnableLabelTips(BOOL enable, BOOL redraw = TRUE) override;
    void SetMultipleSelection(BOOL multiple, BOOL redraw = TRUE) override;
    void ShowHeader(BOOL show, BOOL redraw = TRUE) override;
    LRESULT OnSelChanging(int row, int oldRow, BOOL cause) override;
    void OnSelChanged(int row, int oldRow, BOOL cause) override;
    void OnBeginDrag(int row, CPoint point) override;
    void OnBeginRightDrag(int row, CPoint point) override;
    LRESULT NotifyBeginLabelEdit(int row, int subItem) override;
    LRESULT NotifyEndLabelEdit(int row, int subItem, CString *text, BOOL confirmed) override;
    LRESULT NotifyKeyDown(UINT key) override;
    LRESULT NotifyGetDispInfo(LVITEMA *item) override;
    void OnSetDispInfo(LVITEMA *item) override;
    LPARAM GetItemDataOf(DrawnListItem *record) override;
    void OnKeyCollapse(int row, int subItem, BOOL shift, BOOL control) override;
    void OnKeyBack(int row, int subItem, BOOL shift, BOOL control) override;
    void OnKeyExpand(int row, int subItem, BOOL shift, BOOL control) override;
    void OnKeyExpandAll(int row, int subItem, BOOL shift, BOOL control) override;
    void OnKeyReturn(int row, int subItem, BOOL shift, BOOL control) override;
    void SetPaintFont(DrawnListPaintContext *context) override;
    void PreparePaintItem(DrawnListPaintContext *context, int row) override;
    DrawnListPaintContext *NewPaintContext(CDC *dc) override;
    int MeasureCell(DrawnListPaintContext *context) override;
    void DrawCell(DrawnListPaintContext *context) override;

    // Replaces the dialog item `id` by the control while it has no window.
    friend void DDX_SECControl(CDataExchange *exchange, int id, DrawnTreeBaseC &control);

    // The pens and the bold font are shared by every tree of the process; a test that
    // counts GDI objects lets them go first.
    static void DeleteSharedResources();

    // The node of a handle that names a live node of this tree; NULL otherwise, also
    // for NULL and TVI_ROOT.
    _Node *LiveNode(HTREEITEM item);
    _Node *GetRootNode() { return m_root; }
    // The node shown in the row, NULL for none.
    _Node *NodeOfRow(int row);
    // The row that shows the node, -1 for none.
    int RowOfNode(_Node *node);

protected:
    afx_msg void OnDestroy();
    afx_msg void OnLButtonDown(UINT keys, CPoint point);
    afx_msg void OnLButtonDblClk(UINT keys, CPoint point);
    DECLARE_MESSAGE_MAP()

    // The parent a handle names: the root for NULL and TVI_ROOT, else a live node.
    _Node *ParentNode(HTREEITEM item);
    void EnsureRoot();
    // Stores the masked fields as SetItem and insertion do; answers the bits that went to
    // the owner because the node holds callbacks.
    UINT StoreFields(_Node *node, const TV_ITEM *item);
    // Shown: neither it nor an ancestor hidden, every ancestor expanded.
    bool IsShown(_Node *node);
    bool IsDisabled(_Node *node);
    // Adds rows for the shown node's row-less subtree after `row`; answers the row after
    // the last one added.
    int AddRowsFor(_Node *node, int row, std::vector<_Node *> *rows);
    void AddRows(int row, const std::vector<_Node *> &rows);
    // The rows of the node's shown descendants after its row, unselected and removed.
    void RemoveDescendantRows(_Node *node);
    void RemoveNodeRow(_Node *node);
    // The row after which a new shown node goes: after the last row of the nearest shown
    // node before it in depth-first order.
    int RowAfterPredecessor(_Node *node);
    bool Link(_Node *parent, _Node *node, HTREEITEM after);
    BOOL DeleteOneNode(_Node *node, bool wholeTree);
    // Brings every node's row presence in line with being shown, from `from` onwards.
    void SyncRows(_Node *from);
    void RelabelRows(_Node *parent);
    void SortSiblings(_Node *parent, int direction, const TV_SORTCB *callback);
    _Node *FocusNode() { return NodeOfRow(GetFocusItem()); }
    LRESULT SendTreeNotify(NMHDR *header, UINT code);
    LRESULT NotifySelection(UINT code, int row, int oldRow, BOOL cause);
    void FillNotifyItem(_Node *node, TV_ITEM *item);
    // TVN_BEGINDRAGA or TVN_BEGINRDRAGA, unless dragging is off.
    void NotifyDrag(UINT code, int row, CPoint point);
    // Text of the node's label for painting, measuring and tips.
    LPCSTR NodeText(_Node *node);
    bool Toggle(_Node *node);
    bool HasRootLines()
    {
        return (m_treeStyle & TVS_LINESATROOT) != 0 && (m_treeStyle & (TVS_HASBUTTONS | TVS_HASLINES)) != 0;
    }
    // The button of a row whose cell is `cell`; answers half its size.
    int ButtonRectIn(const CRect &cell, DrawnListItem *record, _Node *node, CRect *rect);

    DrawnSubItemTextStorage *m_subItemTexts = nullptr;
    _Node *m_root = nullptr;
    int m_indent = 20;
    DWORD m_treeStyle = 0;
    DWORD m_treeExStyle = 0;
    DrawnTreeNodeSet m_liveNodes;
    // The window style's tree bits, kept from before creation to after the list's.
    DWORD m_pendingTreeStyle = 0;
};
