// What the watch and locals trees show of a value: the display formats and value lists,
// the window options that rule them, the menus that offer them, the tooltip, the marks of
// changed values and the split of the columns.
#include "commonwatchcontrol.h"

#include "watchconfigdlg.h"

#include <drawnlisttip.h>

#include <qelcommvariable.h>
#include <qelsymbolbrowser.h>

#include <cstdio>

namespace {

const COLORREF kChangedColor = RGB(255, 0, 0);
// A value list longer than this is chosen from in the browser, not the menu.
const int kMenuValueLimit = 26;

// One named format of a variable: its name, index and whether it is the current one.
struct NamedFormat {
    CString name;
    LONG index = 0;
    BOOL current = FALSE;
};

// The strings and numbers of a VT_ARRAY VARIANT, 1 dimension; empty for anything else.
std::vector<CString> StringsOf(const VARIANT &value)
{
    std::vector<CString> strings;
    if (V_VT(&value) != (VT_ARRAY | VT_BSTR) || V_ARRAY(&value) == nullptr)
        return strings;
    SAFEARRAY *array = V_ARRAY(&value);
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        BSTR text = nullptr;
        if (SUCCEEDED(SafeArrayGetElement(array, &i, &text))) {
            strings.emplace_back(text);
            SysFreeString(text);
        }
    }
    return strings;
}

std::vector<LONG> NumbersOf(const VARIANT &value)
{
    std::vector<LONG> numbers;
    if (V_VT(&value) != (VT_ARRAY | VT_I4) || V_ARRAY(&value) == nullptr)
        return numbers;
    SAFEARRAY *array = V_ARRAY(&value);
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        LONG number = 0;
        if (SUCCEEDED(SafeArrayGetElement(array, &i, &number)))
            numbers.push_back(number);
    }
    return numbers;
}

// Two names and two numbers per format; a list whose counts do not match gives nothing.
std::vector<NamedFormat> FormatsOf(IQelCommVariableObj *variable, LONG item)
{
    std::vector<NamedFormat> formats;
    CComVariant names, values;
    if (variable == nullptr || FAILED(variable->GetDisplayFormats(item, &names, &values)))
        return formats;
    std::vector<CString> strings = StringsOf(names);
    std::vector<LONG> numbers = NumbersOf(values);
    if (strings.size() % 2 != 0 || strings.size() != numbers.size())
        return formats;
    for (size_t i = 0; i < strings.size(); i += 2) {
        NamedFormat format;
        format.name = strings[i];
        format.index = numbers[i];
        format.current = numbers[i + 1] != 0;
        formats.push_back(format);
    }
    return formats;
}

const NamedFormat *Named(const std::vector<NamedFormat> &formats, LPCSTR name)
{
    for (const NamedFormat &format : formats)
        if (format.name == name)
            return &format;
    return nullptr;
}

} // namespace

std::vector<CString> CCommonWatchControl::ValueList(IQelCommVariableObj *variable, HTREEITEM item,
                                                    std::vector<LONG> *selected)
{
    CComVariant names, chosen;
    if (variable == nullptr || FAILED(variable->GetEnumerators(m_ids.IdOf(item), &names, &chosen)))
        return {};
    std::vector<CString> values = StringsOf(names);
    std::vector<LONG> flags = NumbersOf(chosen);
    if (flags.size() != values.size())
        flags.assign(values.size(), 0);
    if (selected != nullptr)
        *selected = flags;
    return values;
}

void CCommonWatchControl::SetOptions(BOOL hexadecimal, BOOL ascii, BOOL exponential)
{
    m_bHexadecimal = hexadecimal;
    m_bAscii = ascii;
    m_bExponential = exponential;
}

void CCommonWatchControl::SetDisplayFormat(UINT command)
{
    IQelCommVariableObj *variable = VariableOf(m_hContextItem);
    if (command < IDM_WATCH_FIRST_FORMAT || command > IDM_WATCH_LAST_FORMAT || variable == nullptr)
        return;
    CComPtr<IQelCommVariableObj> hold(variable);
    LONG id = m_ids.IdOf(m_hContextItem);
    LONG index = static_cast<LONG>(command - IDM_WATCH_FIRST_FORMAT);
    if (!ValueList(hold, m_hContextItem, nullptr).empty()) {
        hold->SelectEnumerator(id, index);
        UpdateObject(hold, 1);
        return;
    }
    std::vector<NamedFormat> formats = FormatsOf(hold, id);
    const NamedFormat *chosen = nullptr;
    for (const NamedFormat &format : formats)
        if (format.index == index)
            chosen = &format;
    bool windowWide = false;
    for (LPCSTR name : {"decimal", "hexadecimal", "ASCII", "exponential", "compact"})
        windowWide = windowWide || Named(formats, name) != nullptr;
    if (chosen != nullptr) {
        if (chosen->name == "decimal")
            m_bHexadecimal = FALSE;
        else if (chosen->name == "hexadecimal")
            m_bHexadecimal = TRUE;
        else if (chosen->name == "exponential")
            m_bExponential = TRUE;
        else if (chosen->name == "compact")
            m_bExponential = FALSE;
        // ASCII is on while it is the chosen one: any other choice of its list ends it.
        if (Named(formats, "ASCII") != nullptr)
            m_bAscii = chosen->name == "ASCII";
    }
    if (windowWide)
        ApplyOptions(GetRootItem());
    else
        hold->SetDisplayFormat(id, index);
}

void CCommonWatchControl::ApplyOptions(HTREEITEM first)
{
    for (HTREEITEM item = first; item != nullptr; item = GetNextSiblingItem(item)) {
        ApplyOptionsTo(item);
        ApplyOptions(GetChildItem(item));
    }
}

void CCommonWatchControl::ApplyOptionsTo(HTREEITEM item)
{
    IQelCommVariableObj *variable = VariableOf(item);
    if (variable == nullptr)
        return;
    LONG id = m_ids.IdOf(item);
    std::vector<NamedFormat> formats = FormatsOf(variable, id);
    if (formats.empty())
        return;
    const NamedFormat *number = m_bAscii ? Named(formats, "ASCII") : nullptr;
    if (number == nullptr)
        number = Named(formats, m_bHexadecimal ? "hexadecimal" : "decimal");
    const NamedFormat *floating = Named(formats, m_bExponential ? "exponential" : "compact");
    if (number != nullptr)
        variable->SetDisplayFormat(id, number->index);
    if (floating != nullptr)
        variable->SetDisplayFormat(id, floating->index);
}

std::vector<CCommonWatchControl::MenuEntry> CCommonWatchControl::FormatMenuEntries(HTREEITEM item)
{
    std::vector<MenuEntry> entries;
    IQelCommVariableObj *variable = VariableOf(item);
    if (variable == nullptr)
        return entries;
    auto add = [&entries](UINT id, LPCSTR text, BOOL checked) {
        MenuEntry entry;
        entry.id = id;
        entry.text = text;
        entry.checked = checked;
        entries.push_back(entry);
    };
    std::vector<LONG> selected;
    std::vector<CString> values = ValueList(variable, item, &selected);
    if (!values.empty()) {
        add(IDM_WATCH_CHANGE, "&Change", FALSE);
        if (static_cast<int>(values.size()) <= kMenuValueLimit) {
            add(0, "", FALSE);
            for (size_t i = 0; i < values.size(); ++i)
                add(IDM_WATCH_FIRST_FORMAT + static_cast<UINT>(i), values[i], selected[i] != 0);
        }
        return entries;
    }
    LONG id = m_ids.IdOf(item);
    std::vector<NamedFormat> formats = FormatsOf(variable, id);
    LONG state = 0;
    if (FAILED(variable->GetDisplayState(id, &state)))
        state = 0;
    if (state == 1 || state == 4)
        add(IDM_WATCH_CHANGE, "&Change", FALSE);
    if (formats.empty())
        return entries;
    if (!entries.empty())
        add(0, "", FALSE);
    for (const NamedFormat &format : formats) {
        if (format.index < 0 || format.index > static_cast<LONG>(IDM_WATCH_LAST_FORMAT - IDM_WATCH_FIRST_FORMAT))
            continue;
        add(IDM_WATCH_FIRST_FORMAT + static_cast<UINT>(format.index), format.name, format.current);
    }
    return entries;
}

CString CCommonWatchControl::TipTextOf(HTREEITEM item)
{
    IQelCommVariableObj *variable = VariableOf(item);
    if (variable == nullptr)
        return CString();
    LONG id = m_ids.IdOf(item);
    auto text = [&](LONG code) {
        CComBSTR value;
        return SUCCEEDED(variable->GetItemString(id, code, &value)) ? CString(value.m_str) : CString();
    };
    CString name = text(0), location = text(100), type = text(101), scope = text(102);
    CString tip;
    if (!scope.IsEmpty())
        tip.Format("Name: %s\nLocation: %s\nType: %s\nScope: %s", static_cast<LPCSTR>(name),
                   static_cast<LPCSTR>(location), static_cast<LPCSTR>(type), static_cast<LPCSTR>(scope));
    else
        tip.Format("Name: %s\nLocation: %s\nType %s", static_cast<LPCSTR>(name), static_cast<LPCSTR>(location),
                   static_cast<LPCSTR>(type));
    return tip;
}

void CCommonWatchControl::OnMouseMove(UINT keys, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point.x, point.y, &flags);
    if (item != m_hTipItem) {
        m_hTipItem = item;
        if (GetTip() != nullptr)
            GetTip()->SetTipText(TipTextOf(item));
    }
    DrawnTreeCtrl::OnMouseMove(keys, point);
}

BOOL CCommonWatchControl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT command = LOWORD(wParam);
    if (command == IDM_WATCH_FORMAT)
        ShowDisplayFormatDialog();
    else if (command == IDM_WATCH_CHANGE)
        ShowSymbolBrowser();
    else if (command >= IDM_WATCH_FIRST_FORMAT && command <= IDM_WATCH_LAST_FORMAT)
        SetDisplayFormat(command);
    else
        return DrawnTreeCtrl::OnCommand(wParam, lParam);
    m_hContextItem = nullptr;
    Invalidate(FALSE);
    return TRUE;
}

void CCommonWatchControl::ShowDisplayFormatDialog()
{
    CQelWatchConfigDlg dialog(this);
    dialog.m_hexadecimal = m_bHexadecimal;
    dialog.m_ascii = m_bAscii;
    dialog.m_exponential = m_bExponential;
    if (dialog.DoModal() != IDOK)
        return;
    SetOptions(dialog.m_hexadecimal != 0, dialog.m_ascii != 0, dialog.m_exponential != 0);
    ApplyOptions(GetRootItem());
}

void CCommonWatchControl::ShowSymbolBrowser()
{
    HTREEITEM item = m_hContextItem;
    IQelCommVariableObj *variable = VariableOf(item);
    if (variable == nullptr)
        return;
    // The lists stay the tree's and go after the call: a kept browser holds no part of them.
    CComVariant names, selected;
    if (FAILED(variable->GetEnumerators(m_ids.IdOf(item), &names, &selected)) || V_VT(&names) == VT_EMPTY) {
        // Without a value list the value is changed in place.
        int row = FindItemIndex(item);
        if (row >= 0)
            DrawnListBaseC::EditLabel(row, 1);
        return;
    }
    if (m_pBrowser == nullptr &&
        FAILED(m_pBrowser.CoCreateInstance(CLSID_QelSymbolBrowser, nullptr, CLSCTX_INPROC_SERVER)))
        return;
    m_pBrowser->Mode(ENUMERATION_LISTER);
    m_pBrowser->InitialValues(names, selected);
    m_pBrowser->put_DebugServer(m_pDbgSrv);
    m_pBrowser->put_ParentWindow(static_cast<LONG>(reinterpret_cast<INT_PTR>(m_hWnd)));
    m_pBrowser->put_MessageID(0);
    HRESULT hr = m_pBrowser->DoModal();
    LONG parameter = 0;
    bool chosen = hr == S_OK && m_pBrowser->get_Parameter(&parameter) == S_OK;
    if (hr != E_FAIL)
        m_pBrowser.Release();
    if (chosen && parameter >= 0 && parameter <= static_cast<LONG>(IDM_WATCH_LAST_FORMAT - IDM_WATCH_FIRST_FORMAT)) {
        m_hContextItem = item;
        SetDisplayFormat(IDM_WATCH_FIRST_FORMAT + static_cast<UINT>(parameter));
    }
}

// Marks of a changed value: the variable's state 3 or 4 in the value column, 5 in the name
// column, paint the text red and bold.
static bool IsMarked(IQelCommVariableObj *variable, LONG id, int subItem)
{
    LONG state = 0;
    if (variable == nullptr || FAILED(variable->GetDisplayState(id, &state)))
        return false;
    return subItem == 0 ? state == 5 : subItem == 1 && (state == 3 || state == 4);
}

void CCommonWatchControl::SetPaintColors(DrawnListPaintContext *context)
{
    DrawnTreeCtrl::SetPaintColors(context);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(context->item.iItem));
    int subItem = context->columnRecord != nullptr ? context->columnRecord->subItem : 0;
    if (IsMarked(VariableOf(item), m_ids.IdOf(item), subItem))
        context->text = kChangedColor;
}

void CCommonWatchControl::SetPaintFont(DrawnListPaintContext *context)
{
    DrawnTreeCtrl::SetPaintFont(context);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(context->item.iItem));
    int subItem = context->columnRecord != nullptr ? context->columnRecord->subItem : 0;
    if (m_boldFont.m_hObject != nullptr && IsMarked(VariableOf(item), m_ids.IdOf(item), subItem))
        context->font = &m_boldFont;
}

void CCommonWatchControl::OnSize(UINT type, int cx, int cy)
{
    // The name column's width as the user left it, before the list fits it to the new size.
    int nameWidth = GetColumnWidth(0);
    DrawnTreeCtrl::OnSize(type, cx, cy);
    ResizeColumns(cx, nameWidth);
}

void CCommonWatchControl::ResizeColumns(int width, int nameWidth)
{
    if (GetColumnCount() < 2 || width <= 0)
        return;
    // A name column that the user dragged since the last resize sets the share anew.
    if (m_lastNameWidth >= 0 && m_lastWidth > 0 && nameWidth != m_lastNameWidth)
        m_nameFraction = static_cast<float>(nameWidth) / static_cast<float>(m_lastWidth);
    int name = static_cast<int>(static_cast<float>(width) * m_nameFraction);
    // The name column fills what the value column leaves.
    SetColumnWidth(1, width - name);
    SetColumnWidth(0, name);
    m_lastWidth = width;
    m_lastNameWidth = GetColumnWidth(0);
}
