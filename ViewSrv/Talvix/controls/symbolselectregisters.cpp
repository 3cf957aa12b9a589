// Register mode: the controller's register blocks and registers as groups of the tree,
// their texts, images and tips, and the registers chosen and posted.
#include "symbolselectdialog.h"

#include "drawnlisttip.h"
#include "selectdialogresources.h"

#include <collation.h>

#include <algorithm>

namespace {

const DWORD kGroupData = 0xFFFFFFFF;
const DWORD kRegisterImageBit = 0x100;

// The last (size - 1) characters of `text` into the caller's buffer: the whole text when
// it fits, else its end.
void CopyEnd(const CString &text, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    int keep = std::min(text.GetLength(), size - 1);
    memcpy(buffer, static_cast<LPCSTR>(text) + (text.GetLength() - keep), static_cast<size_t>(keep));
    buffer[keep] = '\0';
}

// Registers whose names begin with "__" are the controller's own and never offered.
bool Hidden(const CString &name)
{
    return name.GetLength() >= 2 && name[0] == '_' && name[1] == '_';
}

} // namespace

void CQelSymbolSelectDialog::PrepareRegisterMode()
{
    m_tree.SetMultipleSelection(TRUE);
    m_tree.GetTip()->EnableCustomText();
    if (CWnd *expand = GetDlgItem(IDC_SELECT_EXPAND)) {
        expand->EnableWindow(TRUE);
        expand->ShowWindow(SW_SHOW);
        CheckDlgButton(IDC_SELECT_EXPAND, BST_CHECKED);
    }
    // The two pseudo names answer handles of the engine's lists; a list is taken only when
    // its call succeeded and its handle still stands for one.
    ULONG handle = 0;
    if (m_client != nullptr && m_client->GetSFRegisterAddress("_QUICK_HACK_BLOCKS_", &handle)) {
        m_blockList.reset(new CSfrBlockListReference(handle));
        if (!*m_blockList)
            m_blockList.reset();
    }
    if (m_client != nullptr && m_client->GetSFRegisterAddress("_QUICK_HACK_ALL_", &handle)) {
        m_registerList.reset(new CSfrRegisterListReference(handle));
        if (!*m_registerList)
            m_registerList.reset();
    }
    TakeChosenRegisters();
}

// The caller's registers already chosen, last first; a number that is no index of the
// register list stands for no register and is dropped.
void CQelSymbolSelectDialog::TakeChosenRegisters()
{
    m_chosen.RemoveAll();
    SAFEARRAY *values = (m_values.vt & VT_ARRAY) != 0 ? m_values.parray : nullptr;
    const CSfrRegisterList *registers = Registers();
    LONG lower = 0, upper = -1;
    if (values == nullptr || registers == nullptr || SafeArrayGetDim(values) != 1 ||
        SafeArrayGetLBound(values, 1, &lower) != S_OK || SafeArrayGetUBound(values, 1, &upper) != S_OK)
        return;
    for (LONG index = upper - lower; index >= 0; --index) {
        LONG value = NumberAt(values, index);
        if (value >= 0 && value < registers->GetSize())
            m_chosen.Add(static_cast<DWORD>(value));
    }
}

void CQelSymbolSelectDialog::BuildRegisterTree()
{
    const CSfrBlockList *blocks = Blocks();
    if (blocks == nullptr)
        return;
    const int count = static_cast<int>(blocks->GetSize());
    m_registerGroups.assign(static_cast<size_t>(count) + 1, nullptr);
    m_registerFilled.assign(static_cast<size_t>(count) + 1, false);
    for (int at = 0; at < count; ++at) {
        const _SpecialFunctionRegisterBlockTag &block = (*blocks)[at];
        // The debugger's own block is not the user's to choose from.
        if (lstrcmpA(block.Name, "QEL") != 0)
            m_registerGroups[static_cast<size_t>(at)] = InsertRegisterGroup(block.Name);
    }
    m_tree.SortChildren(TVI_ROOT, TRUE, TRUE);
    HTREEITEM all = InsertRegisterGroup("All registers");
    m_registerGroups[static_cast<size_t>(count)] = all;
    OpenFirstGroup(all);
}

HTREEITEM CQelSymbolSelectDialog::InsertRegisterGroup(LPCSTR text)
{
    TV_INSERTSTRUCT insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = const_cast<LPSTR>(text);
    insert.item.iImage = insert.item.iSelectedImage = 5;
    insert.item.cChildren = 1;
    insert.item.lParam = static_cast<LPARAM>(kGroupData);
    return m_tree.InsertItem(&insert);
}

bool CQelSymbolSelectDialog::ExpandRegisterGroup(HTREEITEM item)
{
    if (item == nullptr)
        return false;
    for (size_t slot = 0; slot < m_registerGroups.size(); ++slot) {
        if (m_registerGroups[slot] != item)
            continue;
        if (m_registerFilled[slot])
            return true;
        m_registerFilled[slot] = true;
        const CSfrRegisterList *registers = Registers();
        if (registers == nullptr)
            return true;
        // The last slot is "All registers"; a block's registers carry its position + 1.
        const bool all = slot + 1 == m_registerGroups.size();
        std::vector<Member> members;
        members.reserve(10);
        for (int at = 0; at < registers->GetSize(); ++at) {
            const _SpecialFunctionRegisterTag &entry = (*registers)[at];
            if (Hidden(entry.Name) || (!all && entry.SFRBlockIndex != slot + 1))
                continue;
            members.push_back(Member{entry.Name, static_cast<DWORD>(at)});
        }
        InsertBatch(item, members);
        return true;
    }
    return false;
}

void CQelSymbolSelectDialog::RegisterDispInfo(TV_ITEM &item) const
{
    DWORD index = static_cast<DWORD>(item.lParam);
    const CSfrRegisterList *registers = Registers();
    if (index == kGroupData || registers == nullptr || index >= static_cast<DWORD>(registers->GetSize()))
        return;
    const _SpecialFunctionRegisterTag &entry = (*registers)[static_cast<INT_PTR>(index)];
    int image = (entry.Type & kRegisterImageBit) != 0 ? 7 : 6;
    if ((item.mask & TVIF_IMAGE) != 0)
        item.iImage = image;
    if ((item.mask & TVIF_SELECTEDIMAGE) != 0)
        item.iSelectedImage = image;
    if ((item.mask & TVIF_TEXT) != 0)
        CopyEnd(entry.Name, item.pszText, item.cchTextMax);
}

CString CQelSymbolSelectDialog::RegisterTipText(HTREEITEM item)
{
    CString tip;
    if (item == nullptr)
        return tip;
    DWORD data = static_cast<DWORD>(m_tree.GetItemData(item));
    const CSfrRegisterList *registers = Registers();
    if (data != kGroupData) {
        if (registers == nullptr || data >= static_cast<DWORD>(registers->GetSize()))
            return tip;
        const _SpecialFunctionRegisterTag &entry = (*registers)[static_cast<INT_PTR>(data)];
        if (entry.Description.IsEmpty())
            tip = entry.Name;
        else
            tip.Format("%s\n%s", static_cast<LPCSTR>(entry.Name), static_cast<LPCSTR>(entry.Description));
        return tip;
    }
    const CSfrBlockList *blocks = Blocks();
    for (size_t slot = 0; blocks != nullptr && slot < m_registerGroups.size(); ++slot) {
        if (m_registerGroups[slot] != item || slot >= static_cast<size_t>(blocks->GetSize()))
            continue;
        const _SpecialFunctionRegisterBlockTag &block = (*blocks)[static_cast<INT_PTR>(slot)];
        tip.Format("%s\n%s", static_cast<LPCSTR>(block.Name), static_cast<LPCSTR>(block.Description));
        break;
    }
    return tip;
}

// Each selected register is posted, with the state of "&Expand" in bit 0 of wParam and
// bit 1 set when it is the only one, and joins the registers drawn in bold.
void CQelSymbolSelectDialog::PostRegisters()
{
    std::vector<DWORD> chosen;
    for (int row = m_tree.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_tree.GetNextItem(row, LVNI_SELECTED)) {
        HTREEITEM item = m_tree.GetItemAtIndex(row);
        DWORD data = item != nullptr ? static_cast<DWORD>(m_tree.GetItemData(item)) : kGroupData;
        if (data != kGroupData)
            chosen.push_back(data);
    }
    WPARAM flags = (IsDlgButtonChecked(IDC_SELECT_EXPAND) == BST_CHECKED ? 1 : 0) | (chosen.size() == 1 ? 2 : 0);
    for (DWORD data : chosen) {
        ::PostMessage(m_postWindow, m_messageId, flags, static_cast<LPARAM>(data));
        m_chosen.Add(data);
    }
    if (!chosen.empty())
        m_tree.Invalidate();
}

void CQelSymbolSelectDialog::ReleaseRegisterLists()
{
    m_registerGroups.clear();
    m_registerFilled.clear();
    m_blockList.reset();
    m_registerList.reset();
}
