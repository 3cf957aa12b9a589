// The program window's sources: finding the file that the program names (on disk, through
// the workspace's aliases, against the source root or the program's folder, or by the
// user's choice), and the commands that open source windows (10, 11, 28).
#include "progwinviewsrv.h"

#include "progwinviewsrvobj.h"
#include "windowsstrings.h"
#include "workspacesettings.h"

#include <hostmainwnd.h>

namespace {

enum : DWORD { kViewRegistered = 1, kViewClosed = 16 };

// The workspace's entry of the program that is loaded: the one that its path was stored
// under, which is always the entry in use.
const DWORD kWorkspaceProgram = 1;

// An alias that says the file's source is not to be looked for again: it is shown as code.
const char kCodeOnlyAlias[] = "<Section>";

CString FilePart(const CString &path)
{
    const int slash = path.ReverseFind('/');
    const int backslash = path.ReverseFind('\\');
    const int last = slash > backslash ? slash : backslash;
    return last < 0 ? path : path.Mid(last + 1);
}

CString DirectoryPart(const CString &path)
{
    const int slash = path.ReverseFind('/');
    const int backslash = path.ReverseFind('\\');
    const int last = slash > backslash ? slash : backslash;
    return last < 0 ? CString() : path.Left(last + 1);
}

} // namespace

BOOL CProgWinViewSrv::FileExists(LPCSTR path)
{
    return m_known.Exists(path);
}

CString CProgWinViewSrv::ResolutionBase()
{
    const char *root = m_sourceFilesRoot.GetString();
    if (root != nullptr && root[0] != '\0')
        return SourceRootBase(root);
    int entry = static_cast<int>(kWorkspaceProgram);
    CString program;
    ProgramSettings(QEL_WSP_READ_PATH, m_pOwner, entry, program);
    return program;
}

CString CProgWinViewSrv::Alias(LPCSTR name)
{
    CString entry(name), path;
    if (SettingsStorage() == nullptr ||
        !SourceAliases(QEL_WSP_FIND_ALIAS, m_pOwner, kWorkspaceProgram, entry, path))
        return CString();
    return path;
}

void CProgWinViewSrv::StoreAlias(LPCSTR name, LPCSTR path)
{
    CString entry(name), target(path);
    SourceAliases(QEL_WSP_STORE_ALIAS, m_pOwner, kWorkspaceProgram, entry, target);
}

BOOL CProgWinViewSrv::FindSource(LPCSTR name, BOOL ask, CString &path, BOOL *codeOnly)
{
    path.Empty();
    if (codeOnly != nullptr)
        *codeOnly = FALSE;
    if (name == nullptr || name[0] == '\0')
        return FALSE;
    if (FileExists(name)) {
        path = name;
        return TRUE;
    }
    if (m_known.Lookup(name, path))
        return TRUE;
    const CString alias = Alias(name);
    if (alias == kCodeOnlyAlias) {
        if (codeOnly != nullptr)
            *codeOnly = TRUE;
        return FALSE;
    }
    if (!alias.IsEmpty() && FileExists(alias)) {
        path = alias;
        m_known.Remember(name, path);
        return TRUE;
    }
    const CString resolved = ResolveSourcePath(name, ResolutionBase());
    if (resolved != name && FileExists(resolved)) {
        path = resolved;
        m_known.Remember(name, path);
        return TRUE;
    }
    if (!ask)
        return FALSE;
    CString chosen(name);
    const char *root = m_sourceFilesRoot.GetString();
    if (!BrowseSourceFile(chosen, root != nullptr && root[0] != '\0' ? root : nullptr)) {
        // The user is not asked for this file again: its positions are shown as code.
        StoreAlias(name, kCodeOnlyAlias);
        if (codeOnly != nullptr)
            *codeOnly = TRUE;
        return FALSE;
    }
    if (chosen.CompareNoCase(name) != 0)
        StoreAlias(name, chosen);
    path = chosen;
    m_known.Remember(name, path);
    return TRUE;
}

BOOL CProgWinViewSrv::BrowseSourceFile(CString &name, LPCSTR initialDir)
{
    CString format;
    format.LoadString(IDS_SOURCE_FILE_FILTER);
    const CString filter = SourceFileFilter(format, name);
    CString title;
    title.LoadString(IDS_SOURCE_FILE_TITLE);
    const CString file = FilePart(name);
    CFileDialog dialog(TRUE, nullptr, file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter, GetHostMainWnd(0, nullptr));
    dialog.m_ofn.lpstrTitle = title;
    if (initialDir != nullptr && initialDir[0] != '\0')
        dialog.m_ofn.lpstrInitialDir = initialDir;
    if (dialog.DoModal() != IDOK)
        return FALSE;
    name = dialog.GetPathName();
    return TRUE;
}

HRESULT CProgWinViewSrv::ShowFileInWindow(LPCSTR file, LPCSTR path)
{
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return E_FAIL;
    return windows->ShowFile(m_bSingleWindow ? 4 : 0, path, CComVariant(file != nullptr ? file : ""), m_bSingleWindow);
}

HRESULT CProgWinViewSrv::OpenProgramWindow(CVariantArray *in, CVariantArray *)
{
    CProgWinViewSrvObj *windows = Windows();
    if (windows == nullptr)
        return E_INVALIDARG;
    const int count = in ? in->GetSize() : 0;
    const DWORD mode = m_bSingleWindow ? 4 : 0;
    if (count == 2 && (*in)[0].GetValue().vt == VT_UNKNOWN && (*in)[1].GetValue().vt == VT_UI4) {
        IUnknown *view = in->GetUnknown(0);
        const DWORD code = in->GetUI4(1);
        if (code == kViewClosed)
            return windows->RemoveView(view);
        return code == kViewRegistered ? windows->RegisterView(view, m_bSingleWindow) : E_INVALIDARG;
    }
    if (count == 1) {
        const CString file(in->GetBSTR(0));
        if (!FileExists(file))
            return E_FAIL;
        return windows->ShowFile(mode, file, CComVariant(""));
    }
    if (count != 0)
        return E_INVALIDARG;
    CString start;
    const char *root = m_sourceFilesRoot.GetString();
    if (root != nullptr && root[0] != '\0') {
        start = root;
    } else {
        int entry = static_cast<int>(kWorkspaceProgram);
        CString program;
        ProgramSettings(QEL_WSP_READ_PATH, m_pOwner, entry, program);
        start = DirectoryPart(program);
    }
    CString chosen;
    if (!BrowseSourceFile(chosen, start.IsEmpty() ? nullptr : static_cast<LPCSTR>(start)))
        return S_FALSE;
    CString entryName, path(chosen);
    SourceAliases(QEL_WSP_FIND_ENTRY, m_pOwner, kWorkspaceProgram, entryName, path);
    return windows->ShowFile(mode, chosen, CComVariant(static_cast<LPCSTR>(entryName)));
}

HRESULT CProgWinViewSrv::ShowSourceFile(CVariantArray *in, CVariantArray *out)
{
    const int count = in ? in->GetSize() : 0;
    if (count < 2)
        return E_INVALIDARG;
    if (count >= 3 && (out == nullptr || out->GetSize() < 1))
        return E_INVALIDARG;
    const CString name(in->GetBSTR(0));
    const CString second(in->GetBSTR(1));
    BOOL ask = TRUE, show = TRUE;
    if (count >= 3) {
        const VARIANT_BOOL flags = in->GetBool(2);
        ask = flags != 0;
        show = flags == 1;
    }
    CString path;
    if (FileExists(name) || m_known.Lookup(name, path)) {
        if (path.IsEmpty())
            path = name;
    } else if (!second.IsEmpty() && FileExists(second)) {
        path = second;
    } else {
        const CString alias = Alias(name);
        if (alias == kCodeOnlyAlias)
            return E_FAIL;
        if (!alias.IsEmpty() && FileExists(alias)) {
            path = alias;
        } else {
            const CString resolved = ResolveSourcePath(name, ResolutionBase());
            if (resolved != name && FileExists(resolved))
                path = resolved;
        }
        m_known.Remember(name, path);
    }
    if (path.IsEmpty() && ask) {
        CString chosen(name);
        const char *root = m_sourceFilesRoot.GetString();
        if (BrowseSourceFile(chosen, root != nullptr && root[0] != '\0' ? root : nullptr)) {
            if (chosen.CompareNoCase(name) != 0)
                StoreAlias(name, chosen);
            path = chosen;
            m_known.Remember(name, path);
        }
    }
    if (count >= 3)
        (*out)[0].SetString(path);
    if (path.IsEmpty())
        return E_FAIL;
    if (ask && show && SUCCEEDED(ShowFileInWindow(name, path))) {
        m_shownLocation.Name = path;
        m_shownLocation.EntryInFile = name;
    }
    return S_OK;
}

HRESULT CProgWinViewSrv::LocateSourceFile(CVariantArray *in, CVariantArray *out)
{
    if (in == nullptr || in->GetSize() < 2 || out == nullptr || out->GetSize() < 1)
        return E_INVALIDARG;
    const CString name(in->GetBSTR(0));
    const DWORD count = in->GetUI4(1);
    // The count comes from the caller: every candidate must be there.
    if (static_cast<ULONGLONG>(in->GetSize()) < 2ULL + count)
        return E_INVALIDARG;
    if (count == 0) {
        (*out)[0].SetString(name);
        return S_OK;
    }
    int entry = static_cast<int>(kWorkspaceProgram);
    CString program;
    ProgramSettings(QEL_WSP_READ_PATH, m_pOwner, entry, program);
    const CString first(in->GetBSTR(2));
    for (DWORD i = 0; i < count; ++i) {
        const CString candidate(in->GetBSTR(static_cast<int>(2 + i)));
        if (ResolveSourcePath(candidate, program).CompareNoCase(name) == 0) {
            (*out)[0].SetString(candidate);
            return S_OK;
        }
    }
    StoreAlias(name, first);
    (*out)[0].SetString(first);
    return S_OK;
}
