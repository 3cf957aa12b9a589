#include "filedialog.h"

#include <cstring>
#include <mutex>
#include <string>

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

// The user's answer, or "" when the dialog was cancelled.
std::string Ask(const OPENFILENAMEA *ofn)
{
    FileDialog &dialog = Dialog();
    std::lock_guard<std::mutex> hold(dialog.lock);
    LPCSTR answer = dialog.handler != nullptr ? dialog.handler(dialog.context, ofn) : nullptr;
    return answer != nullptr ? answer : "";
}

} // namespace

void QelSetFileDialogHandler(QEL_FILE_DIALOG_HANDLER handler, void *context)
{
    FileDialog &dialog = Dialog();
    std::lock_guard<std::mutex> hold(dialog.lock);
    dialog.handler = handler;
    dialog.context = context;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0)
        return FALSE;
    std::string path = Ask(ofn);
    // The offsets into the path have 16 bits.
    if (path.empty() || path.size() >= ofn->nMaxFile || path.size() > 0xFFFF)
        return FALSE;
    memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    size_t name = path.find_last_of("/\\");
    name = name == std::string::npos ? 0 : name + 1;
    size_t dot = path.find_last_of('.');
    size_t extension = path.size();
    if (dot != std::string::npos && dot >= name)
        extension = dot + 1 < path.size() ? dot + 1 : 0; // a name that ends in '.' has none
    ofn->nFileOffset = static_cast<WORD>(name);
    ofn->nFileExtension = static_cast<WORD>(extension);
    return TRUE;
}
