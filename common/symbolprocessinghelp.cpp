// The client's controller questions, location texts, and the installation and help files.
#include "filepaths.h"
#include "locationdescriptor.h"
#include "symbolprocessing.h"
#include "win32extregkey.h"

#include <windows.h>

namespace {

const char kHostKey[] = "Software\\Tosk\\Qelvane\\Version3";

BOOL ReadHostKeyText(LPCSTR name, CString &text)
{
    Win32Ext::CRegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, kHostKey, FALSE, TRUE))
        return FALSE;
    return key.QueryStringValue(name, text);
}

bool EndsWithSeparator(const CString &path)
{
    return !path.IsEmpty() && (path[path.GetLength() - 1] == '/' || path[path.GetLength() - 1] == '\\');
}

int LastSeparator(const CString &path)
{
    return std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
}

} // namespace

BOOL CSymbolProcessing::GetWordSize(LONG *bits)
{
    if (bits == nullptr || !m_controllerInfo) {
        NoCallPossible();
        return FALSE;
    }
    HRESULT hr = m_controllerInfo->WordSize(bits);
    KeepResult(hr);
    return SUCCEEDED(hr);
}

BOOL CSymbolProcessing::GetCoreRegisters(CStringArray &names)
{
    if (!m_controllerInfo) {
        NoCallPossible();
        return FALSE;
    }
    CComVariant registers;
    HRESULT hr = m_controllerInfo->CoreRegisters(&registers);
    KeepResult(hr);
    if (FAILED(hr) || registers.vt != (VT_ARRAY | VT_BSTR) || registers.parray == nullptr ||
        SafeArrayGetDim(registers.parray) != 1)
        return FALSE;
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(registers.parray, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(registers.parray, 1, &upper)))
        return FALSE;
    names.RemoveAll();
    for (LONG i = lower; i <= upper; ++i) {
        BSTR name = nullptr;
        if (FAILED(SafeArrayGetElement(registers.parray, &i, &name)))
            return FALSE;
        names.Add(CString(name));
        SysFreeString(name);
    }
    return TRUE;
}

BOOL CSymbolProcessing::GetSFRegisterAddress(LPCSTR name, ULONG *address)
{
    if (address == nullptr) {
        NoCallPossible();
        return FALSE;
    }
    const ULONG unknown = 0xFFFFFFFF;
    if (!m_controllerInfo) {
        NoCallPossible();
        *address = unknown;
        return FALSE;
    }
    CComBSTR text(name != nullptr ? name : "");
    HRESULT hr = m_controllerInfo->SFRegisterAddress(text, address);
    KeepResult(hr);
    // A host that fails may have left anything there.
    if (m_nLastError != 0)
        *address = unknown;
    return *address != unknown;
}

int CSymbolProcessing::FormatLocationText(LPCSTR descriptor, CString &text)
{
    text.Empty();
    CString first, second, modules;
    int number = 0, occurrence = 0, distance = 0, offset = -1;
    BOOL parsed = ParseLocationDescriptor(descriptor, first, second, number, modules, occurrence, distance, offset);
    if (parsed != 1)
        return parsed;
    if (!first.IsEmpty() && !second.IsEmpty()) {
        LPCSTR suffix = occurrence == 1 && offset == -1 ? "" : "+";
        text.Format("'%s {%s} .%d%s'", (LPCSTR)first, (LPCSTR)second, number, suffix);
    } else if (!second.IsEmpty()) {
        text.Format("%s .%d", (LPCSTR)second, number);
    } else if (first.IsEmpty()) {
        text.Format("0x%X", static_cast<unsigned>(number));
    } else if (offset == 0) {
        text.Format("'%s'", (LPCSTR)first);
    } else {
        text.Format("'%s+0x%X'", (LPCSTR)first, static_cast<unsigned>(offset));
    }
    return parsed;
}

BOOL CSymbolProcessing::GetInstallPath(CString &path)
{
    return ReadHostKeyText("Path", path);
}

BOOL CSymbolProcessing::GetHelpPath(CString &path)
{
    if (ReadHostKeyText("HelpPath", path))
        return TRUE;
    if (!GetInstallPath(path))
        return FALSE;
    if (!EndsWithSeparator(path))
        path += '/';
    path += "Help";
    return TRUE;
}

BOOL CSymbolProcessing::FindHelpFile(CString &path)
{
    char module[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileName(AfxGetInstanceHandle(), module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;
    CString helpFile(module);
    int dot = helpFile.ReverseFind('.');
    if (dot >= 0 && dot > LastSeparator(helpFile))
        helpFile = helpFile.Left(dot + 1) + "HLP";
    if (IsSingleFileMatch(helpFile)) {
        path = helpFile;
        return TRUE;
    }
    path.Empty();
    CString folder;
    if (!GetHelpPath(folder))
        return FALSE;
    if (!EndsWithSeparator(folder))
        folder += '/';
    CString candidate = folder + helpFile.Mid(LastSeparator(helpFile) + 1);
    if (!IsSingleFileMatch(candidate))
        return FALSE;
    path = candidate;
    return TRUE;
}

BOOL CSymbolProcessing::ShowHelp(int contextId, HWND owner)
{
    if (owner == nullptr)
        owner = GetActiveWindow();
    CString helpFile;
    if (!FindHelpFile(helpFile))
        return FALSE;
    if (contextId != -1 && WinHelp(owner, helpFile, HELP_CONTEXT, static_cast<ULONG_PTR>(contextId)))
        return TRUE;
    return WinHelp(owner, helpFile, HELP_CONTENTS, 0);
}
