// The replies of the symbol server, the groups they make and their filling.
#include "symbolselectdialog.h"

#include <afxwaitcursor.h>
#include <collation.h>

#include <algorithm>
#include <unordered_set>

namespace {

const DWORD kGroupData = 0xFFFFFFFF;

CQelSymbolSelectDialog *DialogOf(DWORD_PTR context)
{
    return reinterpret_cast<CQelSymbolSelectDialog *>(context);
}

VariableTag EntryOf(const CString &name, DWORD length, DWORD mode, DWORD value, DWORD extra)
{
    VariableTag entry;
    entry.Name = name;
    entry.SizeInBits = static_cast<LONG>(length);
    entry.AddressMode = mode;
    entry.AddressValue = value;
    entry.AddressExtra = extra;
    return entry;
}

// A text without its first and last characters; a text too short to have both has none.
std::string Inner(const std::string &text)
{
    return text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
}

} // namespace

void CQelSymbolSelectDialog::OnSections(CSectionTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    self->m_entries.clear();
    for (INT_PTR at = 0; at < records->GetSize(); ++at) {
        const SectionTag &section = records->ElementAt(at);
        self->m_entries.push_back(EntryOf(section.Name, section.Length, section.AddressMode, section.AddressValue,
                                          section.AddressExtra));
    }
    self->m_sectionCount = self->m_entries.size();
}

void CQelSymbolSelectDialog::OnFunctions(CFunctionTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    for (INT_PTR at = 0; at < records->GetSize(); ++at) {
        const FunctionTag &function = records->ElementAt(at);
        self->m_entries.push_back(EntryOf(function.Name, function.Length, function.AddressMode, function.AddressValue,
                                          function.AddressExtra));
    }
    self->m_functionsEnd = self->m_entries.size();
}

void CQelSymbolSelectDialog::OnVarEdVariables(CVarEdTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    for (INT_PTR at = 0; at < records->GetSize(); ++at)
        self->m_varEd.push_back(records->ElementAt(at));
}

void CQelSymbolSelectDialog::AppendLabels(const CLabelTagArray &records)
{
    for (INT_PTR at = 0; at < records.GetSize(); ++at) {
        const LabelTag &label = records[at];
        m_entries.push_back(EntryOf(label.Name, 0, label.AddressMode, label.AddressValue, label.AddressExtra));
    }
}

void CQelSymbolSelectDialog::OnCodeLabels(CLabelTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    size_t before = self->m_entries.size();
    self->AppendLabels(*records);
    self->MakeGroup(kSections, "Sections (with length)", 4, self->m_sectionCount > 0, TVI_LAST);
    self->MakeGroup(kFunctions, "Functions (with length)", 4, self->m_functionsEnd > 0, TVI_LAST);
    self->MakeGroup(kCodeLabels, "Other Code Labels", 3, self->m_entries.size() > before, TVI_LAST);
    self->OpenFirstGroup(self->m_groups[kFunctions]);
}

void CQelSymbolSelectDialog::OnStatics(CVariableTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    for (INT_PTR at = 0; at < records->GetSize(); ++at)
        self->m_entries.push_back(records->ElementAt(at));
    bool fileLevel = false, functionLevel = false;
    for (VariableTag &entry : self->m_entries) {
        entry.TypeIndex = -1;
        (entry.ScopeText.Find('{') >= 0 ? functionLevel : fileLevel) = true;
    }
    self->MakeGroup(kStaticsAll, "Static Variables (all)", 2, !self->m_entries.empty(), TVI_LAST);
    HTREEITEM file = self->MakeGroup(kStaticsFile, "Static Variables (at file level)", 3, fileLevel, self->m_sorting);
    self->MakeGroup(kStaticsFunction, "Static Variables (at function level)", 4, functionLevel, file);
}

void CQelSymbolSelectDialog::OnGlobals(CVariableTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    self->m_globalsStart = self->m_entries.size();
    for (INT_PTR at = 0; at < records->GetSize(); ++at)
        self->m_entries.push_back(records->ElementAt(at));
    self->MakeGroup(kGlobals, "Global Variables", 2, records->GetSize() > 0, self->m_sorting);
    HTREEITEM all = self->MakeGroup(kAll, "All Globals/Statics", 2, !self->m_entries.empty(), TVI_LAST);
    self->OpenFirstGroup(all);
}

void CQelSymbolSelectDialog::OnDataLabels(CLabelTagArray *records, DWORD_PTR context)
{
    CQelSymbolSelectDialog *self = DialogOf(context);
    self->m_dataLabelsStart = self->m_entries.size();
    self->AppendLabels(*records);
    self->MakeGroup(kDataLabels, "Other Data Labels", 3, records->GetSize() > 0, TVI_LAST);
    self->DeleteSorting();
}

HTREEITEM CQelSymbolSelectDialog::MakeGroup(Group group, LPCSTR text, int image, bool children, HTREEITEM after)
{
    TV_INSERTSTRUCT insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = after != nullptr ? after : TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = const_cast<LPSTR>(text);
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.cChildren = children ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(kGroupData);
    m_groups[group] = m_tree.InsertItem(&insert);
    m_filled[group] = false;
    return m_groups[group];
}

void CQelSymbolSelectDialog::OpenFirstGroup(HTREEITEM group)
{
    if (group != nullptr) {
        m_tree.Expand(group, TVE_EXPAND, TRUE);
        HTREEITEM first = m_tree.GetChildItem(group);
        if (first != nullptr) {
            m_tree.EnsureVisible(first, TRUE);
            m_tree.DeselectAllExcept(-1);
            m_tree.Select(first, TVGN_CARET);
        }
    }
    if (m_mode != DATA_LABEL)
        DeleteSorting();
}

void CQelSymbolSelectDialog::DeleteSorting()
{
    if (m_sorting != nullptr)
        m_tree.DeleteItem(m_sorting);
    m_sorting = nullptr;
}

void CQelSymbolSelectDialog::OnItemExpanding(NMHDR *header, LRESULT *result)
{
    *result = 0;
    NM_TREEVIEW *info = reinterpret_cast<NM_TREEVIEW *>(header);
    if ((info->action & TVE_EXPAND) == 0 || (info->action & TVE_COLLAPSE) != 0)
        return;
    CWaitCursor wait;
    if (m_mode == SFR_LISTER) {
        ExpandRegisterGroup(info->itemNew.hItem);
        return;
    }
    for (int group = 0; group < kGroupCount; ++group) {
        if (m_groups[group] != nullptr && m_groups[group] == info->itemNew.hItem) {
            if (!m_filled[group]) {
                m_filled[group] = true;
                FillGroup(static_cast<Group>(group));
            }
            return;
        }
    }
}

void CQelSymbolSelectDialog::FillGroup(Group group)
{
    size_t end = m_dataLabelsStart > 0 ? m_dataLabelsStart : m_entries.size();
    HTREEITEM item = m_groups[group];
    switch (group) {
    case kSections:
        InsertMembers(item, 0, m_sectionCount);
        break;
    case kFunctions:
        InsertMembers(item, m_sectionCount, m_functionsEnd);
        break;
    case kCodeLabels:
        InsertMembers(item, m_functionsEnd, m_entries.size());
        break;
    case kStaticsAll:
        InsertMembers(item, 0, m_globalsStart);
        break;
    case kStaticsFile:
    case kStaticsFunction:
        FillSubGroups(item, group == kStaticsFunction);
        break;
    case kGlobals:
        InsertMembers(item, m_globalsStart, end, true);
        break;
    case kAll:
        InsertMembers(item, 0, end, true);
        break;
    case kDataLabels:
        InsertMembers(item, m_dataLabelsStart, m_entries.size());
        break;
    default:
        break;
    }
}

void CQelSymbolSelectDialog::InsertMembers(HTREEITEM parent, size_t first, size_t end, bool skipVarEd)
{
    end = std::min(end, m_entries.size());
    if (first >= end)
        return;
    // The variable editor shows its variables (kind 16) itself, by their symbol index.
    std::unordered_set<LONG> shownByVarEd;
    if (skipVarEd) {
        for (const VarEdTag &entry : m_varEd)
            if (entry.Kind == 16)
                shownByVarEd.insert(entry.Data);
    }
    std::vector<Member> members;
    members.reserve(end - first);
    for (size_t at = first; at < end; ++at) {
        if (!shownByVarEd.empty() && shownByVarEd.count(m_entries[at].SymbolIndex) != 0)
            continue;
        members.push_back(Member{m_entries[at].Name, static_cast<DWORD>(at)});
    }
    InsertBatch(parent, members);
}

void CQelSymbolSelectDialog::InsertBatch(HTREEITEM parent, std::vector<Member> &members)
{
    if (members.empty())
        return;
    std::stable_sort(members.begin(), members.end(),
                     [](const Member &a, const Member &b) { return lstrcmpA(a.text, b.text) < 0; });
    std::vector<TV_ITEM> items(members.size());
    std::vector<TV_ITEM *> pointers(members.size());
    for (size_t at = 0; at < members.size(); ++at) {
        TV_ITEM &item = items[at];
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
        item.pszText = LPSTR_TEXTCALLBACKA;
        item.iImage = item.iSelectedImage = I_IMAGECALLBACK;
        item.cChildren = 0;
        item.lParam = static_cast<LPARAM>(members[at].index);
        pointers[at] = &item;
    }
    m_tree.InsertItems(pointers.data(), parent, static_cast<int>(pointers.size()), TRUE);
}

void CQelSymbolSelectDialog::FillSubGroups(HTREEITEM group, bool functionLevel)
{
    size_t statics = std::min(m_globalsStart, m_entries.size());
    for (size_t at = 0; at < statics; ++at) {
        VariableTag &opening = m_entries[at];
        if (opening.TypeIndex != -1 || (opening.ScopeText.Find('{') >= 0) != functionLevel)
            continue;
        CString text = SubGroupText(opening.ScopeText, functionLevel);
        HTREEITEM sub = m_tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM,
                                          text, functionLevel ? 4 : 3, functionLevel ? 4 : 3, 0, 0,
                                          static_cast<LPARAM>(kGroupData), group, TVI_LAST);
        if (sub == nullptr)
            break;
        const CString scope = opening.ScopeText;
        bool failed = false;
        for (size_t member = at; member < statics; ++member) {
            VariableTag &entry = m_entries[member];
            if (entry.TypeIndex != -1 || entry.ScopeText != scope)
                continue;
            if (m_tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM,
                                  LPSTR_TEXTCALLBACKA, I_IMAGECALLBACK, I_IMAGECALLBACK, 0, 0,
                                  static_cast<LPARAM>(member), sub, TVI_LAST) == nullptr) {
                failed = true;
                break;
            }
            entry.TypeIndex = 0;
        }
        if (failed)
            break;
    }
    m_tree.SortChildren(group, TRUE, TRUE);
    for (HTREEITEM sub = m_tree.GetChildItem(group); sub != nullptr; sub = m_tree.GetNextSiblingItem(sub))
        m_tree.SortChildren(sub, TRUE, TRUE);
}

CString CQelSymbolSelectDialog::SubGroupText(const CString &scope, bool functionLevel)
{
    std::string text(scope);
    std::string function;
    size_t brace = text.find('{');
    if (brace != std::string::npos)
        function = Inner(text.substr(brace));
    else
        brace = text.size();
    std::string before = text.substr(0, brace);
    std::string file = Inner(before);
    size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos)
        file = file.substr(slash + 1) + " " + before;
    if (!function.empty())
        function += " " + before;
    return CString((functionLevel ? function : file).c_str());
}

void CQelSymbolSelectDialog::OnGetDispInfo(NMHDR *header, LRESULT *result)
{
    *result = 0;
    TV_ITEM &item = reinterpret_cast<NMTVDISPINFOA *>(header)->item;
    DWORD index = static_cast<DWORD>(item.lParam);
    if (m_mode == SFR_LISTER) {
        RegisterDispInfo(item);
        return;
    }
    if (index == kGroupData || m_mode == ENUMERATION_LISTER || index >= m_entries.size())
        return;
    if ((item.mask & TVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const CString &name = m_entries[index].Name;
        int keep = std::min(name.GetLength(), item.cchTextMax - 1);
        memcpy(item.pszText, static_cast<LPCSTR>(name) + (name.GetLength() - keep), static_cast<size_t>(keep));
        item.pszText[keep] = '\0';
    }
    int image;
    if (m_mode == CODE_LABEL)
        image = index < m_functionsEnd ? 4 : 3;
    else
        image = m_dataLabelsStart > 0 && m_dataLabelsStart <= index ? 3 : 1;
    if ((item.mask & TVIF_IMAGE) != 0)
        item.iImage = image;
    if ((item.mask & TVIF_SELECTEDIMAGE) != 0)
        item.iSelectedImage = image;
}

void CQelSymbolSelectDialog::OnReturn(NMHDR *, LRESULT *result)
{
    *result = 0;
    OnOK();
}
