// The explorer's groups: filled from the replies of the symbol server, each replacing the
// group of its kind, and the texts the tree asks for.
#include "symbolexplorer.h"

#include <algorithm>

namespace {

constexpr char kSourceFilesText[] = "Source files";
constexpr char kFunctionsText[] = "Functions";
constexpr char kSectionsText[] = "Sections";
constexpr LONG kInlinedSubroutine = 5; // the call type of a function that is only inlined
constexpr LONG kCodeSection = 1;
constexpr LONG kPcpCodeSection = 5;

// A hash table fit for `count` records: the framework's 17 buckets make a long program's
// lookups crawl.
UINT HashSizeFor(INT_PTR count)
{
    return count < 17 ? 17u : static_cast<UINT>(count | 1);
}

// The text the tree shows for a source file's entry: its file name and, in brackets, the
// whole entry when the entry has a directory part.
CString SourceFileText(const CString &entry)
{
    int separator = std::max(entry.ReverseFind('\\'), entry.ReverseFind('/'));
    if (separator < 0)
        return entry;
    CString text;
    text.Format("%s [%s]", static_cast<LPCSTR>(entry.Mid(separator + 1)), static_cast<LPCSTR>(entry));
    return text;
}

} // namespace

void CQelSymbolExplorer::RequestSourceFiles()
{
    int id = m_pSymProc->RequestSourceFiles(Requester());
    if (id == 0 || !m_pSymProc->RegisterSourceFilesCallback(id, OnSourceFiles, reinterpret_cast<DWORD_PTR>(this)))
        NoteRefusedRequest("the request of the source files");
}

void CQelSymbolExplorer::RequestFunctions()
{
    int id = m_pSymProc->RequestFunctions(Requester());
    if (id == 0 || !m_pSymProc->RegisterFunctionsCallback(id, OnFunctions, reinterpret_cast<DWORD_PTR>(this)))
        NoteRefusedRequest("the request of the functions");
}

void CQelSymbolExplorer::RequestSections()
{
    int id = m_pSymProc->RequestSections(Requester());
    if (id == 0 || !m_pSymProc->RegisterSectionsCallback(id, OnSections, reinterpret_cast<DWORD_PTR>(this)))
        NoteRefusedRequest("the request of the sections");
}

void CQelSymbolExplorer::OnSourceFiles(CSourceFileTagArray *files, DWORD_PTR context)
{
    if (files != nullptr)
        reinterpret_cast<CQelSymbolExplorer *>(context)->FillSourceFiles(*files);
}

void CQelSymbolExplorer::OnFunctions(CFunctionTagArray *functions, DWORD_PTR context)
{
    if (functions != nullptr)
        reinterpret_cast<CQelSymbolExplorer *>(context)->FillFunctions(*functions);
}

void CQelSymbolExplorer::OnSections(CSectionTagArray *sections, DWORD_PTR context)
{
    if (sections != nullptr)
        reinterpret_cast<CQelSymbolExplorer *>(context)->FillSections(*sections);
}

HTREEITEM CQelSymbolExplorer::InsertGroup(LPCSTR text, int image, int children, HTREEITEM after)
{
    TVINSERTSTRUCT insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<LPSTR>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = kGroup;
    insert.item.cChildren = children;
    return m_tree.InsertItem(&insert);
}

HTREEITEM CQelSymbolExplorer::InsertLeaf(HTREEITEM group, ItemKind kind, int image)
{
    // Appended: the group is sorted once it is filled, where a sorted insertion would ask
    // for the text of every sibling on each item.
    TVINSERTSTRUCT insert = {};
    insert.hParent = group;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = LPSTR_TEXTCALLBACK;
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = kind;
    return m_tree.InsertItem(&insert);
}

void CQelSymbolExplorer::DeleteGroup(HTREEITEM &group)
{
    if (group != nullptr && m_tree.GetSafeHwnd() != nullptr)
        m_tree.DeleteItem(group); // its records go as the tree tells of each item
    group = nullptr;
}

void CQelSymbolExplorer::FillSourceFiles(const CSourceFileTagArray &files)
{
    if (m_tree.GetSafeHwnd() == nullptr)
        return;
    DeleteGroup(m_hSourceFiles);
    m_hSourceFiles = InsertGroup(kSourceFilesText, kImageSourceFiles, static_cast<int>(files.GetSize()), TVI_FIRST);
    if (m_hSourceFiles == nullptr)
        return;
    RequestFunctions();
    RequestSections();
    if (m_sourceFiles.IsEmpty())
        m_sourceFiles.InitHashTable(HashSizeFor(files.GetSize()));
    for (INT_PTR i = 0; i < files.GetSize(); ++i) {
        HTREEITEM item = InsertLeaf(m_hSourceFiles, kSourceFile, kImageSourceFiles);
        if (item == nullptr)
            break;
        m_sourceFiles.SetAt(item, const_cast<SourceFileTag &>(files[i]));
    }
    m_tree.SortChildren(m_hSourceFiles);
}

void CQelSymbolExplorer::FillFunctions(const CFunctionTagArray &functions)
{
    if (m_tree.GetSafeHwnd() == nullptr)
        return;
    DeleteGroup(m_hFunctions);
    m_hFunctions = InsertGroup(kFunctionsText, kImageFunctions, 1, m_hSourceFiles != nullptr ? m_hSourceFiles : TVI_LAST);
    if (m_hFunctions == nullptr)
        return;
    if (m_functions.IsEmpty())
        m_functions.InitHashTable(HashSizeFor(functions.GetSize()));
    if (m_addresses.IsEmpty())
        m_addresses.InitHashTable(HashSizeFor(functions.GetSize()));
    for (INT_PTR i = 0; i < functions.GetSize(); ++i) {
        FunctionTag function = functions[i];
        if (function.CallType == kInlinedSubroutine)
            continue;
        HTREEITEM item = InsertLeaf(m_hFunctions, kFunction, kImageFunctions);
        if (item == nullptr)
            break;
        CAddressValue address(function.AddressValue, function.AddressMode, function.AddressExtra);
        m_addresses.SetAt(item, address);
        m_functions.SetAt(address, function);
    }
    m_tree.SortChildren(m_hFunctions);
}

void CQelSymbolExplorer::FillSections(const CSectionTagArray &sections)
{
    if (m_tree.GetSafeHwnd() == nullptr)
        return;
    DeleteGroup(m_hSections);
    HTREEITEM after = m_hFunctions != nullptr ? m_hFunctions : TVI_LAST;
    m_hSections = InsertGroup(kSectionsText, kImageSections, static_cast<int>(sections.GetSize()), after);
    if (m_hSections == nullptr)
        return;
    for (INT_PTR i = 0; i < sections.GetSize(); ++i) {
        SectionTag section = sections[i];
        if (section.Length == 0 || (section.Type != kCodeSection && section.Type != kPcpCodeSection))
            continue;
        HTREEITEM item = InsertLeaf(m_hSections, kSection, kImageSections);
        if (item == nullptr)
            break;
        CAddressValue address(section.AddressValue, section.AddressMode, section.AddressExtra);
        m_addresses.SetAt(item, address);
        m_sections.SetAt(item, section);
    }
    m_tree.SortChildren(m_hSections);
}

void CQelSymbolExplorer::ForgetItem(HTREEITEM item, LPARAM kind)
{
    m_sourceFiles.RemoveKey(item);
    // A section may start where a function does: only a function's item takes its record.
    CAddressValue address;
    if (m_addresses.Lookup(item, address)) {
        m_addresses.RemoveKey(item);
        if (kind == kFunction)
            m_functions.RemoveKey(address);
    }
    m_sections.RemoveKey(item);
    m_breakpoints.RemoveKey(item);
    for (HTREEITEM *held : {&m_hContextItem, &m_hSourceFiles, &m_hFunctions, &m_hSections, &m_hBreakpoints}) {
        if (*held == item)
            *held = nullptr;
    }
}

void CQelSymbolExplorer::ForgetAll()
{
    m_sourceFiles.RemoveAll();
    m_addresses.RemoveAll();
    m_functions.RemoveAll();
    m_sections.RemoveAll();
    m_breakpoints.RemoveAll();
    m_hSourceFiles = m_hFunctions = m_hSections = m_hBreakpoints = m_hContextItem = nullptr;
}

BOOL CQelSymbolExplorer::ItemText(HTREEITEM item, CString &text)
{
    TVITEM fields = {};
    fields.mask = TVIF_PARAM;
    fields.hItem = item;
    if (!m_tree.GetItem(&fields))
        return FALSE;
    switch (fields.lParam) {
    case kSourceFile: {
        SourceFileTag file;
        if (!m_sourceFiles.Lookup(item, file))
            return FALSE;
        text = SourceFileText(file.EntryInFile);
        return TRUE;
    }
    case kFunction: {
        CAddressValue address;
        FunctionTag function;
        if (!m_addresses.Lookup(item, address) || !m_functions.Lookup(address, function))
            return FALSE;
        text = function.Name;
        return TRUE;
    }
    case kSection: {
        SectionTag section;
        if (!m_sections.Lookup(item, section))
            return FALSE;
        text = section.Name;
        return TRUE;
    }
    case kBreakpoint: {
        BreakpointEntry breakpoint;
        if (!m_breakpoints.Lookup(item, breakpoint))
            return FALSE;
        if (!CSymbolProcessing::FormatLocationText(breakpoint.LocationText, text))
            text = breakpoint.LocationText;
        return TRUE;
    }
    default:
        text = m_tree.GetItemText(item);
        return TRUE;
    }
}

LRESULT CQelSymbolExplorer::OnGetDispInfo(int, LPNMHDR header, BOOL &)
{
    auto *info = reinterpret_cast<LPNMTVDISPINFO>(header);
    if ((info->item.mask & TVIF_TEXT) == 0 || info->item.pszText == nullptr || info->item.cchTextMax <= 0)
        return 0;
    CString text;
    if (!ItemText(info->item.hItem, text))
        return 0;
    // The end of a text too long for the buffer is the part that tells items apart.
    int room = info->item.cchTextMax - 1;
    LPCSTR shown = static_cast<LPCSTR>(text);
    if (text.GetLength() > room)
        shown += text.GetLength() - room;
    lstrcpynA(info->item.pszText, shown, info->item.cchTextMax);
    return 0;
}

LRESULT CQelSymbolExplorer::OnGetInfoTip(int, LPNMHDR header, BOOL &)
{
    auto *tip = reinterpret_cast<LPNMTVGETINFOTIP>(header);
    CString text;
    if (tip->pszText != nullptr && tip->cchTextMax > 0 && ItemText(tip->hItem, text))
        lstrcpynA(tip->pszText, text, tip->cchTextMax);
    return 0;
}

LRESULT CQelSymbolExplorer::OnDeleteItem(int, LPNMHDR header, BOOL &)
{
    const TVITEM &item = reinterpret_cast<LPNMTREEVIEW>(header)->itemOld;
    ForgetItem(item.hItem, item.lParam);
    return 0;
}
