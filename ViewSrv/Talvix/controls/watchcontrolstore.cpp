// What the watch tree keeps: its entries as lines of a watch file, the settings in the
// view's storage ("Watches") and their return after a full refresh.
#include "watchcontrol.h"

#include "talvixstrings.h"
#include "watchfile.h"

#include <storagewrapper.h>
#include <watchnormalize.h>

#include <afxfiledialog.h>

namespace {

const char kWatchFilter[] = "Watch Files (*.wat)|*.wat|All Files (*.*)|*.*||";
// A stored text longer than a watch text can be is cut here; the check refuses it.
const int kStoredTextLimit = 4096;

CString Loaded(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString EntryName(int n)
{
    CString name;
    name.Format(Loaded(IDS_WATCH_ENTRY), n);
    return name;
}

} // namespace

CString CWatchControl::EntryLine(HTREEITEM item)
{
    IQelCommVariableObj *variable = VariableOf(item);
    CComBSTR name, scope;
    if (variable == nullptr || FAILED(variable->GetNames(&name, &scope)) || name.Length() == 0) {
        // An entry without an object keeps the text it was added with.
        auto known = m_entryTexts.find(item);
        return known != m_entryTexts.end() ? known->second : CString();
    }
    CString line(name.m_str), format;
    bool expressionForm = !NormalizeWatchExpression(line, format, 0).IsEmpty();
    CString scopeText(scope.m_str);
    if (!expressionForm && !scopeText.IsEmpty())
        line += " " + scopeText;
    return line;
}

void CWatchControl::Save()
{
    SaveSettings(GetViewStorage(), nullptr);
}

void CWatchControl::StoreEntryPeriods(HTREEITEM item, int n, CStorage &values)
{
    CAnimateObjectHelper *helper = AnimateHelperOf(item);
    LONG entry = helper != nullptr ? helper->GetEntry() : 0;
    auto restored = m_restored.find(item);
    if (entry == 0 && restored != m_restored.end())
        entry = restored->second->GetEntry();
    if (entry != 0) {
        CAnimateQueueHelper periods(m_pDbgSrv);
        periods.AttachEntry(entry, TRUE);
        if (periods.Store(n, values))
            return;
    }
    CAnimateQueueHelper::Remove(n, values);
}

void CWatchControl::SaveSettings(IStorage *storage, HTREEITEM leaveOut)
{
    if (m_bLoading || storage == nullptr || m_hWnd == nullptr)
        return;
    CComPtr<IStorage> watches;
    CComBSTR name(Loaded(IDS_WATCH_STORAGE));
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    if (FAILED(storage->OpenStorage(name, nullptr, mode, nullptr, 0, &watches)) &&
        FAILED(storage->CreateStorage(name, mode | STGM_CREATE, 0, 0, &watches)))
        return;
    CStorage values(watches);
    values.WriteLong(Loaded(IDS_WATCH_HEXADECIMAL), m_bHexadecimal ? 1 : 0);
    values.WriteLong(Loaded(IDS_WATCH_ASCII), m_bAscii ? 1 : 0);
    values.WriteLong(Loaded(IDS_WATCH_EXPONENTIAL), m_bExponential ? 1 : 0);
    const CString number = Loaded(IDS_WATCH_NUMBER);
    LONG before = values.ReadLong(number, 0);
    int written = 0;
    for (HTREEITEM item : Entries()) {
        if (item == leaveOut)
            continue;
        if (values.WriteString(EntryName(written + 1), EntryLine(item)) != 0)
            break;
        ++written;
        StoreEntryPeriods(item, written, values);
    }
    // What stood beyond the entries written goes, so that "Number" and the values agree
    // whatever stopped the writing; "Number" comes last, as the count that was written.
    // Stale values stand one after another, so the first that is missing ends them, however
    // large a damaged "Number" may be.
    for (LONG n = written + 1; n <= before; ++n) {
        CAnimateQueueHelper::Remove(static_cast<int>(n), values);
        if (values.DestroyElement(EntryName(static_cast<int>(n))) != 0)
            break;
    }
    values.WriteLong(number, written);
    watches->Commit(STGC_DEFAULT);
}

void CWatchControl::OnFullRefresh()
{
    m_bFullRefreshPosted = FALSE;
    for (HTREEITEM item : Entries())
        DrawnTreeBaseC::DeleteItem(item);
    m_restored.clear();
    m_varEd.RemoveAll();
    if (m_hNewVariable == nullptr)
        AppendPlaceholder();
    int request = m_pSymProc != nullptr ? m_pSymProc->RequestVarEdVariables(Requester()) : 0;
    if (request == 0 || !m_pSymProc->RegisterVarEdVariablesCallbackWithId(request, OnVarEdVariables,
                                                                         reinterpret_cast<DWORD_PTR>(this))) {
        // The entries come back without the marks rather than not at all.
        Restore();
    }
}

void CWatchControl::OnVarEdVariables(int, CVarEdTagArray *records, DWORD_PTR context)
{
    auto *self = reinterpret_cast<CWatchControl *>(context);
    self->m_varEd.RemoveAll();
    if (records != nullptr)
        self->m_varEd.Copy(*records);
    self->Restore();
}

void CWatchControl::Restore()
{
    IStorage *root = GetViewStorage();
    CComPtr<IStorage> watches;
    CComBSTR name(Loaded(IDS_WATCH_STORAGE));
    if (root == nullptr ||
        FAILED(root->OpenStorage(name, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &watches)))
        return;
    CStorage values(watches);
    m_bLoading = TRUE;
    m_bHexadecimal = values.ReadLong(Loaded(IDS_WATCH_HEXADECIMAL), 0) != 0;
    m_bAscii = values.ReadLong(Loaded(IDS_WATCH_ASCII), 0) != 0;
    m_bExponential = values.ReadLong(Loaded(IDS_WATCH_EXPONENTIAL), 0) != 0;
    LONG count = values.ReadLong(Loaded(IDS_WATCH_NUMBER), 0);
    // The entries stand one after another: the first that is missing ends them, however
    // large a damaged "Number" may be.
    for (LONG n = 1; n <= count && m_hNewVariable != nullptr; ++n) {
        CString text;
        if (values.ReadString(EntryName(static_cast<int>(n)), "", text, kStoredTextLimit) != 0)
            break;
        CheckedWatchText checked;
        if (!CheckWatchText(text, &checked, nullptr, TRUE))
            continue;
        HTREEITEM item = m_hNewVariable;
        auto periods = std::make_unique<CAnimateQueueHelper>(m_pDbgSrv);
        if (periods->Load(static_cast<int>(n), values) && periods->GetEntry() != 0)
            m_restored[item] = std::move(periods);
        AddEntry(item, checked);
    }
    m_bLoading = FALSE;
    ApplyOptions(GetRootItem());
    Save();
    Invalidate(FALSE);
}

void CWatchControl::AdoptRestoredPeriods(HTREEITEM item)
{
    auto restored = m_restored.find(item);
    IUnknown *object = reinterpret_cast<IUnknown *>(VariableOf(item));
    if (restored == m_restored.end() || object == nullptr || m_pDbgSrv == nullptr)
        return;
    std::unique_ptr<CAnimateQueueHelper> periods = std::move(restored->second);
    m_restored.erase(restored);
    auto helper = std::make_unique<CAnimateObjectHelper>(m_pDbgSrv, object, 0);
    // The stored entry's reference passes to the object's helper.
    helper->AdoptEntry(periods->ForgetEntry(), FALSE, TRUE);
    m_animated[object] = std::move(helper);
}

BOOL CWatchControl::SaveWatchFile(LPCSTR path)
{
    std::vector<CString> lines;
    for (HTREEITEM item : Entries())
        lines.push_back(EntryLine(item));
    return WriteWatchFile(path, lines);
}

BOOL CWatchControl::LoadWatchFile(LPCSTR path)
{
    std::vector<CString> texts;
    if (!ReadWatchFile(path, &texts))
        return FALSE;
    m_bLoading = TRUE;
    for (const CString &text : texts) {
        CheckedWatchText checked;
        if (m_hNewVariable != nullptr && CheckWatchText(text, &checked, nullptr, TRUE))
            AddEntry(m_hNewVariable, checked);
    }
    m_bLoading = FALSE;
    Save();
    return TRUE;
}

void CWatchControl::LoadFromDialog()
{
    CFileDialog dialog(TRUE, "wat", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kWatchFilter, this);
    if (dialog.DoModal() == IDOK)
        LoadWatchFile(dialog.GetPathName());
}

void CWatchControl::SaveFromDialog()
{
    CFileDialog dialog(FALSE, "wat", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kWatchFilter, this);
    if (dialog.DoModal() == IDOK)
        SaveWatchFile(dialog.GetPathName());
}
