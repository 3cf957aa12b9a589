// The user's choice, the enumeration list, the tips and the dialog's layout.
#include "symbolselectdialog.h"

#include "selectdialogresources.h"

#include <textconv.h>

namespace {

const DWORD kGroupData = 0xFFFFFFFF;

// The window's rectangle in the client coordinates of `parent`.
CRect RectIn(CWnd &parent, CWnd &window)
{
    CRect rect;
    window.GetWindowRect(&rect);
    CPoint topLeft = rect.TopLeft(), bottomRight = rect.BottomRight();
    parent.ScreenToClient(&topLeft);
    parent.ScreenToClient(&bottomRight);
    return CRect(topLeft, bottomRight);
}

} // namespace

LONG CQelSymbolSelectDialog::NumberAt(SAFEARRAY *values, LONG index)
{
    LONG lower = 0, upper = -1;
    // An element is read by one index: an array of more dimensions holds no numbers here.
    if (values == nullptr || SafeArrayGetDim(values) != 1 || SafeArrayGetLBound(values, 1, &lower) != S_OK ||
        SafeArrayGetUBound(values, 1, &upper) != S_OK || index < 0 || index > upper - lower)
        return 0;
    VARTYPE type = VT_EMPTY;
    SafeArrayGetVartype(values, &type);
    LONG at = lower + index;
    if (type == VT_VARIANT) {
        VARIANT value;
        VariantInit(&value);
        LONG number = 0;
        if (SafeArrayGetElement(values, &at, &value) == S_OK && VariantChangeType(&value, &value, 0, VT_I4) == S_OK)
            number = value.lVal;
        VariantClear(&value);
        return number;
    }
    if (type != VT_I4 && type != VT_UI4 && type != VT_INT && type != VT_UINT)
        return 0;
    LONG number = 0;
    return SafeArrayGetElement(values, &at, &number) == S_OK ? number : 0;
}

void CQelSymbolSelectDialog::OnOK()
{
    if (m_mode == SFR_LISTER && Posting()) {
        PostRegisters();
        return;
    }
    HTREEITEM item = m_tree.GetSelectedItem();
    DWORD data = item != nullptr ? static_cast<DWORD>(m_tree.GetItemData(item)) : kGroupData;
    bool symbols = m_mode == CODE_LABEL || m_mode == DATA_LABEL || m_mode == WATCH_BROWSER;
    const CSfrRegisterList *registers = Registers();
    bool outside = symbols ? data >= m_entries.size()
                           : m_mode == SFR_LISTER && (registers == nullptr || data >= static_cast<DWORD>(registers->GetSize()));
    if (data == kGroupData || outside) {
        if (!Posting())
            EndDialog(IDOK);
        return;
    }
    if (symbols) {
        const VariableTag &entry = m_entries[data];
        bool dataLabel = m_dataLabelsStart > 0 && data >= m_dataLabelsStart;
        m_address = entry.AddressValue;
        m_parameter = static_cast<DWORD>(m_mode == WATCH_BROWSER ? entry.SymbolIndex : entry.SizeInBits);
        m_label = entry.Name;
        if (m_mode != CODE_LABEL && !dataLabel)
            m_label += " " + entry.ScopeText;
    } else {
        m_address = 0;
        m_parameter = data;
        m_label = m_tree.GetItemText(item);
    }
    if (!Posting()) {
        EndDialog(IDOK);
        return;
    }
    if (m_mode == CODE_LABEL || m_mode == DATA_LABEL)
        ::PostMessage(m_postWindow, m_messageId, 0, static_cast<LPARAM>(m_address));
    else if (m_mode == WATCH_BROWSER)
        ::PostMessage(m_postWindow, m_messageId, 0, static_cast<LPARAM>(m_parameter));
}

void CQelSymbolSelectDialog::BuildEnumerationList()
{
    SAFEARRAY *names = (m_names.vt & VT_ARRAY) != 0 ? m_names.parray : nullptr;
    SAFEARRAY *values = (m_values.vt & VT_ARRAY) != 0 ? m_values.parray : nullptr;
    LONG lower = 0, upper = -1;
    // The names are read by one index each, so only a one-dimensional array can hold them.
    if (names == nullptr || values == nullptr || SafeArrayGetDim(names) != 1 ||
        SafeArrayGetLBound(names, 1, &lower) != S_OK ||
        SafeArrayGetUBound(names, 1, &upper) != S_OK)
        return;
    HTREEITEM chosen = nullptr;
    for (LONG index = 0; index <= upper - lower; ++index) {
        LONG at = lower + index;
        BSTR name = nullptr;
        if ((m_names.vt & VT_TYPEMASK) != VT_BSTR || SafeArrayGetElement(names, &at, &name) != S_OK)
            name = nullptr;
        CString text(name != nullptr ? CString(name) : CString());
        SysFreeString(name);
        HTREEITEM item = m_tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM,
                                           text, 0, 0, 0, 0, static_cast<LPARAM>(index), TVI_ROOT, TVI_LAST);
        if (item != nullptr && NumberAt(values, index) != 0)
            chosen = item;
    }
    DeleteSorting();
    if (chosen != nullptr) {
        m_tree.EnsureVisible(chosen);
        m_tree.SelectItem(chosen);
    }
}

CString CQelSymbolSelectDialog::GetItemTipText(HTREEITEM item)
{
    // Only the register tree has tips of its own.
    return m_mode == SFR_LISTER ? RegisterTipText(item) : CString();
}

LRESULT CQelSymbolSelectDialog::OnSizeMessage(WPARAM, LPARAM lParam)
{
    if (LOWORD(lParam) == 0xFFFF && HIWORD(lParam) == 0xFFFF)
        TakeLayout();
    else if (m_layoutTaken)
        ApplyLayout();
    return 0;
}

// The dialog stays at least 8 buttons high and 3 wide; whichever edge is dragged, only the
// bottom and right edges give way.
LRESULT CQelSymbolSelectDialog::OnSizing(WPARAM, LPARAM lParam)
{
    RECT *rect = reinterpret_cast<RECT *>(lParam);
    if (rect == nullptr || !m_layoutTaken)
        return TRUE;
    if (rect->bottom - rect->top < 8 * m_button.cy)
        rect->bottom = rect->top + 8 * m_button.cy;
    if (rect->right - rect->left < 3 * m_button.cx)
        rect->right = rect->left + 3 * m_button.cx;
    return TRUE;
}

void CQelSymbolSelectDialog::TakeLayout()
{
    CRect client, rect;
    GetClientRect(&client);
    rect = RectIn(*this, m_tree);
    m_treeMargins = CRect(rect.left, rect.top, client.right - rect.right, client.bottom - rect.bottom);
    CWnd *close = GetDlgItem(IDCANCEL);
    CWnd *check = GetDlgItem(IDC_SELECT_EXPAND);
    if (close == nullptr || check == nullptr)
        return;
    rect = RectIn(*this, *close);
    m_button = CSize(rect.Width(), rect.Height());
    m_buttonBottom = client.bottom - rect.top;
    m_buttonOffset = (rect.left - client.Width() / 2) / 2;
    rect = RectIn(*this, *check);
    m_check = CSize(rect.Width(), rect.Height());
    m_checkBottom = client.bottom - rect.top;
    m_layoutTaken = true;
}

void CQelSymbolSelectDialog::ApplyLayout()
{
    CRect client;
    GetClientRect(&client);
    m_tree.MoveWindow(m_treeMargins.left, m_treeMargins.top,
                      client.right - m_treeMargins.right - m_treeMargins.left,
                      client.bottom - m_treeMargins.bottom - m_treeMargins.top);
    int middle = client.Width() / 2, top = client.bottom - m_buttonBottom;
    if (CWnd *select = GetDlgItem(IDOK))
        select->MoveWindow(middle - m_buttonOffset - m_button.cx, top, m_button.cx, m_button.cy);
    if (CWnd *close = GetDlgItem(IDCANCEL))
        close->MoveWindow(middle + m_buttonOffset, top, m_button.cx, m_button.cy);
    if (CWnd *check = GetDlgItem(IDC_SELECT_EXPAND))
        check->MoveWindow(m_treeMargins.left, client.bottom - m_checkBottom, m_check.cx, m_check.cy);
    Invalidate();
}
