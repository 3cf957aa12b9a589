// CProgWinViewSrvObj: the program windows that are open, the views of the host's view
// server "StdQelProgWin", and the commands the program window's handler sends them in
// the view group (CGID_QelProgWinView). A view is known by the file or pseudo name it
// shows ("<code: 0x68-0x867>" for a code window).
#pragma once

#include <viewsrvitemobj.h>

#include <set>

class CProgWinViewSrvObj : public CViewSrvItemObj {
    DECLARE_DYNCREATE(CProgWinViewSrvObj)

public:
    CProgWinViewSrvObj();

    // View command 10 (mode, file, value): the view showing the file is activated; else
    // a new view shows it (one shown in mode 1 is temporary), or with `reuse` the first
    // view when there is one, and, when it could, shows the file from then on.
    HRESULT ShowFile(DWORD mode, LPCSTR file, const VARIANT &value, BOOL reuse = FALSE);
    // View command 10 (3 when `keepName` else 2, `name`, 0) to the view showing `file`:
    // it shows `name` from now on; with `keepName` it is also known by it.
    HRESULT OpenFileAs(LPCSTR name, LPCSTR file, BOOL keepName);
    // A view that the host opened from its storage is taken back, with the file kept
    // there, and told to show it: a code window in mode 3 in single-window mode, else 2; a
    // source in mode 4 in single-window mode, else 0.
    HRESULT RegisterView(IUnknown *view, BOOL singleWindow);
    // The frame closed `view` (NULL: every view): it goes from the list.
    HRESULT RemoveView(IUnknown *view);
    // View command 18 (flag, line, kind) to the view of `file`, else to every view.
    HRESULT MarkLines(LPCSTR file, DWORD flag, DWORD line, DWORD kind);
    // View command 15 (line, value, name) to the view of `file`, activated first; to
    // every view when no file is named. E_FAIL when a named file has no view.
    HRESULT ShowLine(LPCSTR file, DWORD line, DWORD value, LPCSTR name);
    // Command `id` with `in` to every view.
    HRESULT ToAllViews(DWORD id, CVariantArray *in);
    // View command 13 to every view; a temporary view is closed instead.
    void CloseTemporaries();
    // View command 21 to the view of `file` (NULL: the active view): its three VT_I4 into
    // `values`, its file into `shown`. E_INVALIDARG without such a view or answer.
    HRESULT Query(LPCSTR file, CString &shown, LONG values[3]);
    // Command `id` without arguments to the view of `file` (NULL: the active view).
    HRESULT FileCommand(DWORD id, LPCSTR file);
    // View command 91 (address, 0) to the first code window.
    HRESULT IpInCodeWindow(DWORD address);
    // The first view that shows a code window, or NULL.
    CViewSrvInstObj *FindCodeWindow() const;
    // Asks the frame to close the view of `file`.
    void CloseFile(LPCSTR file);

    BOOL IsTemporary(IUnknown *view) const { return m_temporary.count(view) != 0; }

private:
    // The instance of `file`, or (NULL file) of the active view.
    CViewSrvInstObj *Target(LPCSTR file);

    std::set<IUnknown *> m_temporary; // compared only: the frame holds the views
};

// Whether `name` is a code window's pseudo name.
BOOL IsCodeWindowName(LPCSTR name);
