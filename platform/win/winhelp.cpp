#include "winhelp.h"

#include "lasterror.h"
#include "winerror.h"

#include <atomic>

namespace {

std::atomic<QelHelpViewer> g_viewer{nullptr};

} // namespace

void QelSetHelpViewer(QelHelpViewer viewer)
{
    g_viewer.store(viewer);
}

BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data)
{
    QelHelpViewer viewer = g_viewer.load();
    if (viewer == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (helpFile == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return viewer(owner, helpFile, command, data);
}
