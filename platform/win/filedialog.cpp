#include "filedialog.h"

#include "filefind.h"
#include "fileops.h"
#include "fullpathname.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct FileDialog {
    std::mutex lock;
    QEL_FILE_DIALOG_HANDLER handler = nullptr;
    void *context = nullptr;
};

FileDialog &Dialog()
{
    static FileDialog *dialog = new FileDialog;
    return *dialog;
}

thread_local DWORD extendedError = 0;

// The filter that the handler being asked on this thread picked; null outside a handler.
thread_local DWORD *pickedFilter = nullptr;
thread_local DWORD filterCount = 0;

DWORD CountFilters(LPCSTR filter)
{
    DWORD strings = 0;
    for (LPCSTR part = filter; part != nullptr && *part != '\0'; part += strlen(part) + 1)
        ++strings;
    return strings / 2;
}

struct Answer {
    std::string name; // "" for a cancel
    DWORD filter = 0; // 0: none picked
};

Answer Ask(const OPENFILENAMEA *ofn)
{
    Answer answer;
    FileDialog &dialog = Dialog();
    std::lock_guard<std::mutex> hold(dialog.lock);
    if (dialog.handler == nullptr)
        return answer;
    pickedFilter = &answer.filter;
    filterCount = CountFilters(ofn->lpstrFilter);
    LPCSTR name = dialog.handler(dialog.context, ofn);
    pickedFilter = nullptr;
    answer.name = name != nullptr ? name : "";
    return answer;
}

// The name as the dialog takes it: in the initial directory, normalised, with the
// default extension; "" when no full path can be made of it.
std::string Complete(const OPENFILENAMEA *ofn, const std::string &name)
{
    std::string path = name;
    if (path[0] != '/' && path[0] != '\\' && ofn->lpstrInitialDir != nullptr && ofn->lpstrInitialDir[0] != '\0')
        path = std::string(ofn->lpstrInitialDir) + "/" + path;
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return "";
    std::vector<char> full(size);
    if (GetFullPathNameA(path.c_str(), size, full.data(), nullptr) + 1 != size)
        return "";
    path = full.data();
    size_t nameStart = path.find_last_of('/') + 1;
    if (ofn->lpstrDefExt != nullptr && ofn->lpstrDefExt[0] != '\0' && nameStart < path.size() &&
        path.find('.', nameStart) == std::string::npos)
        path += std::string(".") + ofn->lpstrDefExt;
    return path;
}

bool Exists(const std::string &path, DWORD flags)
{
    if ((flags & OFN_FILEMUSTEXIST) != 0) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    if ((flags & OFN_PATHMUSTEXIST) != 0) {
        std::string folder = path.substr(0, path.find_last_of('/') + 1);
        DWORD attributes = GetFileAttributesA(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return true;
}

} // namespace

void QelSetFileDialogHandler(QEL_FILE_DIALOG_HANDLER handler, void *context)
{
    FileDialog &dialog = Dialog();
    std::lock_guard<std::mutex> hold(dialog.lock);
    dialog.handler = handler;
    dialog.context = context;
}

void QelSelectFileFilter(DWORD index)
{
    if (pickedFilter != nullptr && index >= 1 && index <= filterCount)
        *pickedFilter = index;
}

DWORD CommDlgExtendedError()
{
    return extendedError;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    extendedError = 0;
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        extendedError = CDERR_INITIALIZATION;
        return FALSE;
    }
    std::string path, refused;
    Answer answer;
    for (;;) {
        answer = Ask(ofn);
        if (answer.name.empty())
            return FALSE;
        path = Complete(ofn, answer.name);
        if (!path.empty() && Exists(path, ofn->Flags))
            break;
        if (path == refused)
            return FALSE;
        refused = path;
    }
    // The offsets into the path have 16 bits.
    if (path.size() >= ofn->nMaxFile || path.size() > 0xFFFF) {
        extendedError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    size_t name = path.find_last_of('/') + 1;
    size_t dot = path.find_last_of('.');
    size_t extension = path.size();
    if (dot != std::string::npos && dot >= name)
        extension = dot + 1 < path.size() ? dot + 1 : 0; // a name that ends in '.' has none
    ofn->nFileOffset = static_cast<WORD>(name);
    ofn->nFileExtension = static_cast<WORD>(extension);
    if (answer.filter != 0)
        ofn->nFilterIndex = answer.filter;
    else if (ofn->nFilterIndex == 0 && CountFilters(ofn->lpstrFilter) != 0)
        ofn->nFilterIndex = 1;
    return TRUE;
}
