// Breakpoints stored per program, and handed back to the host after a load
// (workspacesettings.h).
#include "workspacesettings.h"

#include "workspacestorage.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <safearrayvariant.h>

#include <vector>

using namespace WorkspaceStorage;

namespace {

constexpr DWORD kCmdRestoreBreakpoints = 3;
constexpr DWORD kRestoreSelector = 8;

LPCSTR KindName(int kind)
{
    return kind == QEL_WSP_COBREAKPOINTS ? "CoBreakpoints" : "Breakpoints";
}

// The first `count` names of the VT_ARRAY|VT_BSTR `names`; FALSE when it holds fewer.
BOOL TakeNames(const VARIANT &names, DWORD count, std::vector<CString> &taken)
{
    if (names.vt != (VT_ARRAY | VT_BSTR) || !names.parray || SafeArrayGetDim(names.parray) != 1)
        return FALSE;
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(names.parray, 1, &lower)) || FAILED(SafeArrayGetUBound(names.parray, 1, &upper)))
        return FALSE;
    if (static_cast<LONGLONG>(upper) - lower + 1 < static_cast<LONGLONG>(count))
        return FALSE;
    BSTR *data = nullptr;
    if (FAILED(SafeArrayAccessData(names.parray, reinterpret_cast<void **>(&data))))
        return FALSE;
    for (DWORD i = 0; i < count; ++i)
        taken.push_back(data[i] ? CString(data[i]) : CString());
    SafeArrayUnaccessData(names.parray);
    return TRUE;
}

} // namespace

HRESULT StoreBreakpoints(IUnknown *symbolServer, CVariantArray *in)
{
    // Everything is checked before anything is deleted.
    int inputs = in ? in->GetSize() : 0;
    if (inputs < 2 || (*in)[0].GetValue().vt != VT_UI4 || (*in)[1].GetValue().vt != VT_UI4)
        return E_INVALIDARG;
    DWORD programId = in->GetUI4(0);
    DWORD count = in->GetUI4(1);
    std::vector<CString> names;
    if (count > 0 && (inputs < 3 || !TakeNames((*in)[2].GetValue(), count, names)))
        return E_INVALIDARG;

    CComPtr<IStorage> root;
    BOOL ownIsMaster = FALSE;
    if (!FindSettingsStorage(symbolServer, root, &ownIsMaster))
        return S_OK;
    LPCSTR kind = KindName(ownIsMaster ? QEL_WSP_BREAKPOINTS : QEL_WSP_COBREAKPOINTS);
    Win32Ext::CStorage files, entry;
    if (!OpenProgramEntry(root, programId, TRUE, files, entry))
        return S_OK;
    entry.DestroyElement(kind);
    if (count == 0)
        return S_OK;
    Win32Ext::CStorage breakpoints;
    if (!OpenLevel(entry.GetStorage(), kind, TRUE, breakpoints))
        return S_OK;
    int written = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        bool repeated = false;
        for (size_t before = 0; before < i && !repeated; ++before)
            repeated = names[before] == names[i];
        if (repeated)
            continue;
        CString key;
        key.Format("Breakpoint%d", written + 1);
        if (!breakpoints.WriteString(key, names[i]))
            break;
        ++written;
    }
    breakpoints.WriteDWORD("Number", static_cast<DWORD>(written));
    return S_OK;
}

BOOL RestoreBreakpoints(IStorage *settings, int kind, IUnknown *target, DWORD programId, HRESULT *hr)
{
    Win32Ext::CStorage files, entry, breakpoints;
    if (!settings || !target || !OpenProgramEntry(settings, programId, FALSE, files, entry) ||
        !OpenLevel(entry.GetStorage(), KindName(kind), FALSE, breakpoints))
        return FALSE;
    DWORD count = ReadNumber(breakpoints, "Number", 0);
    // A count beyond the breakpoints that are there has one of them missing.
    if (count < 1 || NumberedElements(breakpoints.GetStorage(), "Breakpoint", count).size() != count)
        return FALSE;
    CSafeArrayVariant names(VT_BSTR, static_cast<int>(count));
    BSTR *data = names.IsValid() ? static_cast<BSTR *>(names.AccessData()) : nullptr;
    if (!data)
        return FALSE;
    BOOL complete = TRUE;
    for (DWORD i = 0; i < count && complete; ++i) {
        CString key, text;
        key.Format("Breakpoint%d", static_cast<int>(i + 1));
        complete = ReadText(breakpoints, key, text) && (data[i] = text.AllocSysString()) != nullptr;
    }
    names.UnaccessData();
    if (!complete)
        return FALSE;
    CVariantArray in(3);
    CComVariant selector, number;
    selector.vt = VT_UI4;
    selector.ulVal = kRestoreSelector;
    number.vt = VT_UI4;
    number.ulVal = count;
    in[0].SetValue(selector);
    in[1].SetValue(number);
    in[2].SetValue(*names.GetVariant());
    HRESULT result = COleTarCmdCaller(target, &CGID_QelHostBreakpoints).Exec(kCmdRestoreBreakpoints, &in, nullptr, 0);
    if (hr)
        *hr = result;
    return TRUE;
}
