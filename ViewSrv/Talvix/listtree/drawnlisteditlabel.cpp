// Editing a cell in place: the edit laid over its label, the text written back as it is
// typed, and the owner's say at the beginning and the end.
#include "drawnlistbase.h"

#include "afxdc.h"
#include "afxinputmap.h"
#include "drawnlistedit.h"
#include "drawnlisttip.h"

#include <algorithm>

BOOL DrawnListBaseC::EditLabel(int row, int column)
{
    if (m_edit->m_hWnd != nullptr || !ValidRow(row) || GetColumnAt(column) == nullptr)
        return FALSE;
    m_tip->HideTip();
    m_pendingEditRow = -1;
    EnsureVisible(row);
    m_editRow = row;
    m_clickedColumn = column;
    m_editRecord = m_items[static_cast<size_t>(row)];
    m_editSubItem = GetColumnSubItem(column);
    DWORD style = WS_CHILD | WS_BORDER | ES_MULTILINE |
                  (HasStyle(LVS_NOLABELWRAP) ? ES_AUTOHSCROLL | ES_WANTRETURN : ES_AUTOVSCROLL);
    if (!m_edit->Create(style, CRect(0, 0, 0, 0), this, 1)) {
        m_editRow = -1;
        m_editRecord = nullptr;
        return FALSE;
    }
    PlaceEdit();
    CString text = GetItemText(row, m_editSubItem);
    m_edit->SetTabStops();
    m_edit->SetFont(GetLabelFont(), FALSE);
    m_edit->SetWindowText(text);
    m_edit->SetSel(0, -1);
    LRESULT refused = NotifyBeginLabelEdit(row, m_editSubItem);
    // The owner may have changed the rows meanwhile; the edit follows its record.
    int now = RowOfRecord(m_editRecord, row);
    if (refused != 0 || now < 0 || m_edit->m_hWnd == nullptr) {
        if (m_edit->m_hWnd != nullptr)
            m_edit->DestroyWindow();
        m_editRow = m_pendingEditRow = -1;
        m_editRecord = nullptr;
        return FALSE;
    }
    m_editRow = now;
    if (now != row)
        PlaceEdit();
    m_edit->ShowWindow(SW_SHOW);
    m_edit->SetFocus();
    m_labelBeforeEdit = text;
    InvalidateItem(m_editRow);
    m_editEnded = FALSE;
    return TRUE;
}

void DrawnListBaseC::PlaceEdit()
{
    CRect label, rows, cell;
    if (!GetCellRect(m_editRow, m_clickedColumn, &label, 2))
        return;
    GetListClientRect(&rows);
    GetCellRect(m_editRow, m_clickedColumn, &cell, 0);
    CRect place(std::max(static_cast<int>(label.left) - 4, 0), label.top - 1, label.right + 10, label.bottom + 1);
    int limit = GetColumnCount() > 1 ? cell.right : rows.right;
    place.right = std::min(static_cast<int>(place.right), limit);
    if (place.bottom <= place.top)
        place.bottom = place.top + 2;
    m_edit->MoveWindow(place.left, place.top, place.Width(), place.Height(), TRUE);
}

void DrawnListBaseC::OnEditUpdate()
{
    if (m_edit->m_hWnd == nullptr || !ValidRow(m_editRow))
        return;
    CString text;
    m_edit->GetWindowText(text);
    int height = m_items[static_cast<size_t>(m_editRow)]->rowHeight;
    SetItemText(m_editRow, m_editSubItem, text);
    int measured = MeasureRow(m_editRow);
    if (measured != height) {
        InvalidateAllRowHeights();
        InvalidateRows(m_editRow, GetItemCount() - 1);
    }
    PlaceEdit();
}

void DrawnListBaseC::OnEditKillFocus()
{
    EndLabelEdit(TRUE);
}

void DrawnListBaseC::EndLabelEdit(BOOL confirmed)
{
    if (m_edit->m_hWnd == nullptr || m_editEnded)
        return;
    m_editEnded = TRUE;
    CString text;
    m_edit->GetWindowText(text);
    bool hadFocus = ::GetFocus() == m_edit->m_hWnd;
    m_edit->DestroyWindow();
    DrawnListItem *record = m_editRecord;
    int row = RowOfRecord(record, m_editRow);
    int subItem = m_editSubItem;
    m_editRow = -1;
    if (hadFocus && m_hWnd != nullptr)
        SetFocus();
    if (row >= 0) {
        LRESULT accepted = NotifyEndLabelEdit(row, subItem, &text, confirmed);
        // The text goes to the record's row as it is now, or nowhere once it is gone.
        row = RowOfRecord(record, row);
        if (row >= 0)
            SetItemText(row, subItem, confirmed && accepted != 0 ? static_cast<LPCSTR>(text)
                                                                  : static_cast<LPCSTR>(m_labelBeforeEdit));
    }
    m_editRecord = nullptr;
    if (m_hWnd != nullptr) {
        InvalidateAllRowHeights();
        Invalidate(FALSE);
    }
}

BEGIN_MESSAGE_MAP(DrawnListEdit, CEdit)
ON_WM_GETDLGCODE()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

UINT DrawnListEdit::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS;
}

void DrawnListEdit::OnKeyDown(UINT key, UINT, UINT)
{
    if (key == VK_RETURN && !m_owner->IsMultiLine())
        m_owner->EndLabelEdit(TRUE);
    else if (key == VK_ESCAPE)
        m_owner->EndLabelEdit(FALSE);
    else
        Default();
}
