// DrawnListBaseC: a list window that keeps its own rows, cells and columns, paints them,
// its column header and grid itself, and handles selection, keys, the mouse and in-place
// editing itself. Its scroll bars are child "ScrollBar" windows; there is no list-view or
// header control underneath. Derived lists (the trees) change the drawing through the
// virtual paint steps and the behaviour through the hooks.
#pragma once

#include "afxtypedarrays.h"
#include "afxctrls.h"
#include "afxeditscroll.h"
#include "afxgdi.h"
#include "afxwnd.h"
#include "drawnlistclient.h"
#include "drawnlistrecords.h"
#include "drawnlistresources.h"
#include "listviewnotify.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowfocus.h"
#include "windowstate.h"

#include <vector>

class DrawnListTip;
class DrawnListEdit;

// The scroll bars' child ids.
#define DRAWNLIST_HSCROLL_ID 59904
#define DRAWNLIST_VSCROLL_ID 59920

// Colour table entries.
enum DrawnListColor {
    kListText,
    kListTextBk,
    kListSelText,
    kListSelBk,
    kListGrayText,
    kListLabelBk,
    kListSelLabelBk,
    kListTipBk,
    kListTipText,
    kListWindowBk,
    kListColorCount
};

// List style bits beyond the LVS_ names.
#define DLS_SHOWSELALWAYS 0x0008
// Extended style bits.
#define DLS_EX_LABELTIPS 0x00100000
#define DLS_EX_ROWLINES 0x00400000
#define DLS_EX_COLUMNLINES 0x00800000
#define DLS_EX_FULLROWSELECT 0x02000000
#define DLS_EX_FILLITEMCOLUMN 0x04000000
#define DLS_EX_KEEPWIDTHONDELETE 0x08000000

// Hit flags beyond the LVHT_ names.
#define DLHT_DIVIDER 0x0800
#define DLHT_HEADER 0x1000
#define DLHT_ONROW 0x2000
#define DLHT_LEFTOFLABEL 0x4000
#define DLHT_RIGHTOFLABEL 0x8000

class DrawnListBaseC : public CWnd, public DrawnListClient {
public:
    DrawnListBaseC();
    ~DrawnListBaseC() override;

    // 1. Creation.
    virtual BOOL Create(DWORD style, DWORD exStyle, const RECT &rect, CWnd *parent, UINT id, LPVOID param);
    virtual BOOL Create(DWORD style, const RECT &rect, CWnd *parent, UINT id);
    BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT &rect, CWnd *parent, UINT id,
                CCreateContext *context = nullptr) override;
    BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr) override;
    // Takes the place, id, styles (and WS_BORDER) of the dialog item `id` of `parent`.
    virtual BOOL CreateFromPlaceholder(UINT id, CWnd *parent);

    // 2. Colours and fonts.
    virtual COLORREF GetBkColor();
    virtual COLORREF GetTextColor() { return m_colors[kListText]; }
    virtual COLORREF GetTextBkColor() { return m_colors[kListTextBk]; }
    virtual COLORREF GetGrayTextColor() { return m_colors[kListGrayText]; }
    virtual COLORREF GetLabelBkColor() { return m_colors[kListLabelBk]; }
    virtual COLORREF GetSelLabelBkColor() { return m_colors[kListSelLabelBk]; }
    virtual CFont *GetHeaderFont();
    virtual CWnd *GetNotifyWnd() { return m_notifyWnd; }
    virtual BOOL SetBkColor(COLORREF color);
    virtual BOOL SetTextColor(COLORREF color) { return SetColor(kListText, color); }
    virtual BOOL SetTextBkColor(COLORREF color) { return SetColor(kListTextBk, color); }
    virtual BOOL SetSelTextColor(COLORREF color) { return SetColor(kListSelText, color); }
    virtual BOOL SetSelBkColor(COLORREF color) { return SetColor(kListSelBk, color); }
    virtual BOOL SetGrayTextColor(COLORREF color) { return SetColor(kListGrayText, color); }
    virtual BOOL SetLabelBkColor(COLORREF color) { return SetColor(kListLabelBk, color); }
    virtual BOOL SetSelLabelBkColor(COLORREF color) { return SetColor(kListSelLabelBk, color); }
    virtual BOOL SetTipBkColor(COLORREF color) { return SetColor(kListTipBk, color); }
    virtual BOOL SetTipTextColor(COLORREF color) { return SetColor(kListTipText, color); }
    virtual BOOL SetLabelFont(CFont *font);
    virtual BOOL SetHeaderFont(CFont *font);
    virtual BOOL SetNotifyWnd(CWnd *window);
    virtual BOOL SetFollowSystemColors(BOOL follow);
    virtual BOOL GetFollowSystemColors() { return m_followSystemColors; }

    // 3. Repainting and row geometry.
    virtual void InvalidateItem(int row);
    virtual void InvalidateRows(int first, int last);
    virtual int GetTopIndex() { return m_topIndex; }
    virtual int GetCountPerPage();
    virtual int GetCountAbove();
    virtual int GetLastPageTop();
    virtual int GetLastVisibleIndex();
    virtual int GetEndVisibleIndex();
    virtual int GetPrevPageTop();
    virtual int RowFromY(int y);
    virtual int RowFromYInclusive(int y);
    virtual int RowFromPoint(CPoint point);
    virtual void SetRowHeight(int row, int height);
    virtual int GetRowsHeight(int a, int b, BOOL inclusive);
    virtual int CountRowsInHeight(int height, int start, BOOL downwards);
    virtual void InvalidateAllRowHeights();
    virtual void InvalidateRowHeight(int row);

    // 4. Columns.
    virtual BOOL DeleteColumnByName(LPCSTR text);
    virtual BOOL DeleteColumn(int column);
    virtual void DeleteAllColumns();
    virtual int AddColumn(const LVCOLUMNA *column);
    virtual int AddColumn(LPCSTR text, int format, int width, int subItem);
    virtual int AddColumn(DrawnListColumn *record);
    virtual int InsertColumn(int position, const LVCOLUMNA *column);
    virtual int InsertColumn(int position, LPCSTR text, int format, int width, int subItem, BOOL redraw = TRUE);
    virtual int InsertColumn(int position, DrawnListColumn *record, BOOL redraw = TRUE);
    virtual BOOL GetColumn(int column, LVCOLUMNA *info);
    virtual BOOL SetColumn(int column, const LVCOLUMNA *info, BOOL redraw = TRUE);
    virtual int GetColumnLeft(int column);
    virtual int GetColumnRight(int column);
    virtual BOOL SetColumnWidth(int column, int width);
    virtual int GetColumnWidth(int column);
    virtual BOOL SetColumnFormat(int column, int format);
    virtual int GetColumnFormat(int column);
    virtual BOOL SetColumnText(int column, LPCSTR text);
    virtual CString GetColumnText(int column);
    virtual int FindColumnByName(LPCSTR text);
    virtual int GetColumnCount() { return static_cast<int>(m_columns.size()); }
    virtual int FindColumn(LPCSTR text, int *subItem);
    virtual DrawnListColumn *GetColumnAt(int column);

    // 5. Items.
    virtual LPARAM GetItemDataOf(DrawnListItem *record) { return record != nullptr ? record->data : 0; }
    virtual int GetItemCount() { return static_cast<int>(m_items.size()); }
    virtual int GetSubItemCount() { return m_subItemCount; }
    virtual BOOL SetItem(LVITEMA *item, BOOL redraw = TRUE);
    virtual BOOL SetItem(int row, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask,
                         LPARAM data);
    virtual BOOL SetItemUserState(int row, UINT state, UINT mask);
    virtual BOOL GetItem(LVITEMA *item, BOOL copyText = TRUE, BOOL notify = TRUE);
    virtual UINT GetItemUserState(int row, UINT mask);
    virtual BOOL SetItemText(int row, int subItem, LPCSTR text);
    virtual int GetItemText(int row, int subItem, LPSTR buffer, int size);
    virtual CString GetItemText(int row, int subItem);
    virtual BOOL DeleteItem(DrawnListItem *record);
    virtual BOOL DeleteItems(int first, int count);
    virtual BOOL DeleteAllItems();
    virtual int GetSelectedCount() { return static_cast<int>(m_selection.GetSize()); }
    virtual BOOL GetItemRect(int row, CRect *rect, int part);
    virtual int InsertItemRecord(int row, DrawnListItem *record);
    virtual int InsertItem(UINT mask, int row, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM data);
    virtual int InsertItem(int row, LPCSTR text, int image);
    virtual int InsertItem(int row, LPCSTR text);
    virtual int InsertItem(const LVITEMA *item);
    virtual int InsertItemAfter(DrawnListItem *record, LVITEMA *item);
    virtual int InsertItemBefore(DrawnListItem *record, LVITEMA *item);
    DrawnListItem *GetItemRecord(int row);

    // 6. Selection and state.
    virtual void SetCaret(int row, BOOL select);
    virtual void MoveCaret(int row);
    virtual void DeselectAllExcept(int row);
    virtual void SelectRange(int a, int b, BOOL select);
    virtual int GetFocusItem() { return m_focusRow; }
    virtual CPoint GetScrollExtent();
    virtual BOOL SetItemState(int row, UINT state, UINT mask);
    virtual UINT GetItemState(int row, UINT mask);
    virtual BOOL SetItemData(int row, LPARAM data);
    virtual LPARAM GetItemData(int row);
    virtual void SelectItem(int row, BOOL select);
    virtual UINT GetCallbackMask() { return m_stateCallbackMask; }
    virtual BOOL SetCallbackMask(UINT mask);
    virtual UINT GetUserStateCallbackMask() { return m_userStateCallbackMask; }
    virtual BOOL SetUserStateCallbackMask(UINT mask);
    virtual BOOL NeedsDispInfo(int row);
    virtual int GetNextItem(int start, UINT flags);
    virtual void SetDropHighlight(int row);
    virtual int GetDropHighlight() { return m_dropRow; }

    // 7. Image lists.
    virtual CImageList *GetImageList(int which);
    virtual CImageList *SetImageList(CImageList *list, int which);
    virtual CImageList *CopyImageList(CImageList *list);

    // 8. Hit testing, scrolling, editing.
    virtual int HitTest(int x, int y, UINT *flags, int *column);
    virtual void SetTopIndexAt(int row);
    virtual void ScrollHorizontal(int dx);
    virtual void ScrollRows(int delta, BOOL byPage);
    virtual void EnsureVisible(int row);
    virtual void ScrollRangeIntoView(int first, int last);
    virtual BOOL EditLabel(int row, int column);
    virtual DrawnListEdit *GetEditControl() { return m_edit; }
    virtual void CancelEditTimer();

    // 9. Styles.
    virtual BOOL HasStyle(DWORD bits) { return (m_listStyle & bits) != 0; }
    virtual BOOL HasExtendedStyle(DWORD bits) { return (m_listExStyle & bits) != 0; }
    virtual void GetStyles(DWORD *style, DWORD *exStyle);
    virtual void SetStyles(DWORD style, DWORD exStyle, BOOL redraw = TRUE);
    virtual DWORD GetListStyle() { return m_listStyle; }
    virtual DWORD GetListExtendedStyle() { return m_listExStyle; }
    virtual void SetListStyle(DWORD style, BOOL redraw = TRUE);
    virtual void SetListExtendedStyle(DWORD exStyle, BOOL redraw = TRUE);
    virtual void ModifyListStyle(DWORD remove, DWORD add, BOOL redraw = TRUE);
    virtual void ModifyListExtendedStyle(DWORD remove, DWORD add, BOOL redraw = TRUE);
    virtual void ModifyListStyles(DWORD remove, DWORD add, DWORD exRemove, DWORD exAdd, BOOL redraw = TRUE);
    virtual void SetMultiLineLabels(BOOL multiLine, BOOL redraw = TRUE);
    virtual void EnableLabelTips(BOOL enable, BOOL redraw = TRUE);
    virtual void SetMultipleSelection(BOOL multiple, BOOL redraw = TRUE);
    virtual BOOL AreLabelTipsEnabled() { return HasExtendedStyle(DLS_EX_LABELTIPS); }
    virtual BOOL IsHeaderShown() { return !HasStyle(LVS_NOCOLUMNHEADER); }
    virtual void ShowHeader(BOOL show, BOOL redraw = TRUE);
    virtual BOOL IsMultipleSelection() { return !HasStyle(LVS_SINGLESEL); }
    virtual void SetRedraw(BOOL redraw);
    virtual BOOL GetRedraw() { return m_redraw; }

    // 10. Layout and measuring.
    virtual void RecalcScrollBars();
    virtual int GetTotalWidth();
    virtual int GetScrollRowCount() { return GetItemCount(); }
    virtual void GetClientRect(CRect *rect);
    virtual CDC *CreateMeasureDC();
    virtual BOOL AutoSizeColumns();
    virtual CScrollBar *CreateScrollBar(int which);
    virtual void AddSubItems(DrawnListItem *record);
    virtual void RemoveSubItems(DrawnListItem *record);
    virtual void InitItemRecord(DrawnListItem *record);
    virtual DrawnListItem *NewItemRecord();
    virtual void ShowScrollBar(int which, BOOL show, SCROLLINFO *info);
    virtual void SetPaintBkColor(DrawnListPaintContext *context);
    virtual void SetPaintLabelBkColor(DrawnListPaintContext *context);
    virtual void SetPaintColors(DrawnListPaintContext *context);
    virtual void SetPaintFont(DrawnListPaintContext *context);
    virtual CPen *GetHorzGridPen();
    virtual CPen *GetVertGridPen();
    virtual int MeasureRow(int row);
    virtual int MeasureRowAt(int row, DrawnListPaintContext *context);
    virtual int MeasureCell(DrawnListPaintContext *context);
    virtual void MeasureIcon(DrawnListPaintContext *context, CRect *icon);
    virtual void MeasureLabel(DrawnListPaintContext *context, LPCSTR text, int width, CRect *label);
    virtual void PositionScrollBars();
    virtual void FitItemColumn();
    virtual int GetRowGap() { return 0; }
    virtual int TrackColumnDivider(int x, int y, int column);
    virtual void Paint(CDC *dc, const CRect &area);
    virtual void PreparePaintItem(DrawnListPaintContext *context, int row);
    virtual DrawnListPaintContext *NewPaintContext(CDC *dc);
    virtual CDC *NewMemoryDC(CDC *target, const CRect &area);
    virtual void PaintHeader(DrawnListPaintContext *context);
    virtual void PaintRows(DrawnListPaintContext *context, const CRect &area);
    virtual void PaintRow(DrawnListPaintContext *context, int row, const CRect &rowRect, const CRect &area);
    virtual void DrawCell(DrawnListPaintContext *context);
    virtual void DrawIcon(DrawnListPaintContext *context);
    virtual void DrawLabel(DrawnListPaintContext *context);
    virtual void DrawRowLine(DrawnListPaintContext *context, const CRect &rowRect);
    virtual void DrawColumnLines(DrawnListPaintContext *context, const CRect &rowRect, BOOL lastRow);
    virtual void UpdateVertScroll(int count);
    virtual void UpdateHorzScroll(int width);

    // 11. Key handlers: (focus row, sub-item of the clicked column, Shift, Ctrl).
    virtual void OnKeyArrowUp(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyArrowDown(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyF2(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyReturn(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyHome(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyEnd(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyCollapse(int, int, BOOL, BOOL) {}
    virtual void OnKeyBack(int, int, BOOL, BOOL) {}
    virtual void OnKeyExpand(int, int, BOOL, BOOL) {}
    virtual void OnKeyExpandAll(int, int, BOOL, BOOL) {}
    virtual void OnKeyPageUp(int row, int subItem, BOOL shift, BOOL control);
    virtual void OnKeyPageDown(int row, int subItem, BOOL shift, BOOL control);

    // 12. Notifications and hooks.
    virtual LRESULT SendNotify(UINT code);
    virtual void OnBeginDrag(int, CPoint) {}
    virtual LRESULT NotifyBeginLabelEdit(int row, int subItem);
    virtual void OnBeginRightDrag(int, CPoint) {}
    virtual LRESULT NotifyDeleteItem(int row);
    virtual LRESULT NotifyEndLabelEdit(int row, int subItem, CString *text, BOOL confirmed);
    virtual void OnSelChanged(int, int, BOOL) {}
    virtual LRESULT OnSelChanging(int, int, BOOL) { return 0; }
    virtual LRESULT NotifyGetDispInfo(LVITEMA *item);
    virtual void OnSetDispInfo(LVITEMA *) {}
    virtual void OnGetUserStateDispInfo(LVITEMA *) {}
    virtual LRESULT NotifyInsertItem(int row);
    virtual LRESULT NotifyKeyDown(UINT key);
    virtual BOOL SelectWithModifiers(int row, UINT hitFlags, UINT keyFlags, BOOL notify);
    virtual void OnCaretMoved(int, BOOL) {}
    virtual CWnd *GetNotifyTarget();
    virtual void PreCreateStyles(DWORD *style, DWORD *exStyle);
    // 0 nothing, 1 select, 2 select and arm dragging.
    virtual int GetClickAction(int row, UINT hitFlags);

    // DrawnListClient.
    CWnd *GetOwnerWindow() override { return this; }
    BOOL IsMultiLine() override { return !HasStyle(LVS_NOLABELWRAP); }
    void EndLabelEdit(BOOL confirmed) override;
    int GetColumnSubItem(int column) override;
    CPoint GetScrollOrigin() override { return CPoint(m_scrollX, m_scrollY); }
    BOOL GetListClientRect(CRect *rect) override;
    BOOL GetCellRect(int row, int column, CRect *rect, int part) override;
    CString GetCellText(int row, int column) override;
    void ClientToScreenPoint(CPoint *point) override { ClientToScreen(point); }
    CWnd *CaptureMouse(BOOL capture) override;
    BOOL IsSelected(int row) override;
    COLORREF GetSelTextColor() override { return m_colors[kListSelText]; }
    COLORREF GetSelBkColor() override { return m_colors[kListSelBk]; }
    COLORREF GetTipTextColor() override { return m_colors[kListTipText]; }
    COLORREF GetTipBkColor() override { return m_colors[kListTipBk]; }
    CFont *GetLabelFont() override;

    CScrollBar *GetScrollBarCtrl(int bar) const override;
    DrawnListTip *GetTip() { return m_tip; }
    int GetEditRow() const { return m_editRow; }
    int GetClickedColumn() const { return m_clickedColumn; }

    // The grid pens are shared by every list of the process; a test that counts GDI
    // objects lets them go first.
    static void DeleteGridPens();
    // The colours shared by all lists, read again from the system.
    static void LoadSharedColors();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC *dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSysColorChange();
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg UINT OnGetDlgCode() { return 0x87; }
    afx_msg void OnLButtonDown(UINT keys, CPoint point);
    afx_msg void OnLButtonUp(UINT keys, CPoint point);
    afx_msg void OnLButtonDblClk(UINT keys, CPoint point);
    afx_msg void OnRButtonDown(UINT keys, CPoint point);
    afx_msg void OnRButtonUp(UINT keys, CPoint point);
    afx_msg void OnMouseMove(UINT keys, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT keys, short delta, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd *window, UINT hitTest, UINT message);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnSetFocus(CWnd *old);
    afx_msg void OnKillFocus(CWnd *next);
    afx_msg void OnVScroll(UINT code, UINT position, CScrollBar *bar);
    afx_msg void OnHScroll(UINT code, UINT position, CScrollBar *bar);
    afx_msg void OnCancelMode();
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnEditUpdate();
    afx_msg void OnEditKillFocus();
    DECLARE_MESSAGE_MAP()

    BOOL SetColor(int index, COLORREF color);
    void LoadColors();
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(m_items.size()); }
    // The text of a cell as stored (the item's for sub-item 0); NULL for a missing sub-item.
    LPSTR *CellTextSlot(DrawnListItem *record, int subItem);
    int SelectionIndex(int row, bool *found) const;
    void AddToSelection(int row);
    void RemoveFromSelection(int row);
    int RowHeight(int row);
    // The row area's top for the top index and the y where `row` starts; false above it.
    bool RowTop(int row, int *top);
    void ButtonPress(UINT keys, CPoint point, bool right);
    void FinishDividerDrag(int column, int change);
    bool IsFocused();
    BOOL ShowsSelection();
    void ScrollToRow(int row);
    void RemoveRow(int row);
    // The row of the record, looked for at `near` first; -1 once it is gone.
    int RowOfRecord(DrawnListItem *record, int near);
    void ResetRowHeights();
    // Places the edit over the label of the cell under edit, with its margins.
    void PlaceEdit();
    // Rows that a derived list keeps in line with a model of its own, put in and taken
    // out (records deleted) at once and without notifications; the focus, drop-highlight
    // and anchor rows and the selection follow as for single rows.
    void InsertRowRecords(int row, DrawnListItem *const *records, int count);
    void RemoveRowRecords(int first, int count);

    int m_wheelRemainder = 0;
    int m_topIndex = 0;
    int m_headerHeight = 18;
    int m_pendingEditRow = -1;
    int m_clickedColumn = 0;
    int m_editRow = -1;
    int m_subItemCount = 0;
    int m_focusRow = -1;
    int m_dropRow = -1;
    int m_anchorRow = -1;
    LRESULT m_lastNotifyResult = 0;
    UINT m_stateCallbackMask = 0;
    UINT m_userStateCallbackMask = 0;
    UINT_PTR m_editTimer = 0;
    DWORD m_listStyle = 0;
    DWORD m_listExStyle = 0;
    DWORD m_scrollBarFlags = 0;
    COLORREF m_colors[kListColorCount];
    BOOL m_overDivider = FALSE;
    BOOL m_selectionVeto = FALSE;
    BOOL m_editEnded = FALSE;
    BOOL m_redraw = FALSE;
    BOOL m_dragging = FALSE;
    BOOL m_dragArmed = FALSE;
    BOOL m_followSystemColors = FALSE;
    HCURSOR m_dividerCursor = nullptr;
    char *m_textBuffer;
    CFont *m_labelFont = nullptr;
    CFont *m_headerFont = nullptr;
    CImageList *m_imageLists[3] = {nullptr, nullptr, nullptr};
    DrawnListTip *m_tip;
    int m_scrollX = 0;
    int m_scrollY = 0;
    CPoint m_pressPoint;
    CString m_labelBeforeEdit;
    std::vector<DrawnListColumn *> m_columns;
    std::vector<DrawnListItem *> m_items;
    CDWordArray m_selection;
    DrawnListEdit *m_edit;
    CWnd *m_notifyWnd = nullptr;

    CScrollBar m_scrollBars[2];
    // Set while a message loop of the divider drag runs; the list's destruction sets it.
    bool *m_destroyedFlag = nullptr;
    // The records a DeleteItems under way has still to take out; a record that goes
    // meanwhile (the owner deleting rows while it hears of one) is taken off them.
    std::vector<std::vector<DrawnListItem *> *> m_pendingDeletions;
    // The record under edit and its sub-item: rows may move while the owner is told.
    DrawnListItem *m_editRecord = nullptr;
    int m_editSubItem = 0;
};
