#include "shellbrowse.h"

#include "lasterror.h"
#include "winerror.h"

#include <cstring>
#include <mutex>
#include <set>
#include <string>

struct _ITEMIDLIST {
    std::string path;
};

namespace {

struct FolderBrowse {
    std::mutex lock;
    QEL_FOLDER_BROWSE_HANDLER handler = nullptr;
    void *context = nullptr;
    std::set<const ITEMIDLIST *> live; // item lists handed out and not yet freed
};

FolderBrowse &Browse()
{
    static FolderBrowse *browse = new FolderBrowse;
    return *browse;
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The name that the dialog shows for the item: its last name ("/" for the root).
std::string DisplayName(const std::string &path)
{
    size_t end = path.size();
    while (end > 1 && IsSeparator(path[end - 1]))
        --end;
    size_t start = end;
    while (start > 0 && !IsSeparator(path[start - 1]))
        --start;
    if (start == end && end > 0)
        return path.substr(0, 1);
    return path.substr(start, end - start);
}

void CopyCut(char *out, const std::string &text)
{
    size_t length = text.size() < MAX_PATH ? text.size() : MAX_PATH - 1;
    memcpy(out, text.data(), length);
    out[length] = '\0';
}

} // namespace

void QelSetFolderBrowseHandler(QEL_FOLDER_BROWSE_HANDLER handler, void *context)
{
    FolderBrowse &browse = Browse();
    std::lock_guard<std::mutex> hold(browse.lock);
    browse.handler = handler;
    browse.context = context;
}

PIDLIST_ABSOLUTE SHBrowseForFolderA(LPBROWSEINFOA info)
{
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (info->pidlRoot != nullptr || info->lpfn != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    info->iImage = 0;
    FolderBrowse &browse = Browse();
    std::lock_guard<std::mutex> hold(browse.lock);
    LPCSTR answer = browse.handler != nullptr ? browse.handler(browse.context, info) : nullptr;
    if (answer == nullptr)
        return nullptr;
    ITEMIDLIST *item = new ITEMIDLIST{answer};
    browse.live.insert(item);
    if (info->pszDisplayName != nullptr)
        CopyCut(info->pszDisplayName, DisplayName(item->path));
    return item;
}

BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path)
{
    if (path == nullptr)
        return FALSE;
    path[0] = '\0';
    FolderBrowse &browse = Browse();
    std::lock_guard<std::mutex> hold(browse.lock);
    if (browse.live.count(pidl) == 0 || pidl->path.empty() || pidl->path.size() >= MAX_PATH)
        return FALSE;
    memcpy(path, pidl->path.c_str(), pidl->path.size() + 1);
    return TRUE;
}

void ILFree(LPITEMIDLIST pidl)
{
    FolderBrowse &browse = Browse();
    std::lock_guard<std::mutex> hold(browse.lock);
    if (browse.live.erase(pidl) != 0)
        delete pidl;
}
