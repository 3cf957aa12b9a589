// The program path and the program file dialog's settings (workspacesettings.h).
#include "workspacesettings.h"

#include "workspacestorage.h"

using namespace WorkspaceStorage;

namespace {

int ReadPath(IStorage *root, int programId, CString &path)
{
    if (programId < 0)
        return 0;
    Win32Ext::CStorage files, entry;
    if (!OpenProgramEntry(root, static_cast<DWORD>(programId), FALSE, files, entry))
        return 0;
    CString stored;
    if (ReadText(entry, "FullPath", stored))
        path = stored;
    return 1;
}

// An entry that names another program is made anew, so that nothing of that program's
// stays with this one; an unreadable path counts as none and keeps what is there.
int StorePath(IStorage *root, int &value, const CString &path)
{
    if (path.IsEmpty())
        return 0;
    Win32Ext::CStorage files;
    if (!OpenLevel(root, "BinaryFiles", TRUE, files))
        return 0;
    DWORD number = ReadNumber(files, "Number", 1);
    if (!files.WriteDWORD("Number", number))
        return 0;
    value = static_cast<int>(number);
    CString name;
    name.Format("BinaryFile%d", value);
    Win32Ext::CStorage entry;
    if (!OpenLevel(files.GetStorage(), name, TRUE, entry))
        return 0;
    CString stored;
    if (ReadText(entry, "FullPath", stored) && !stored.IsEmpty()) {
        if (SameText(stored, path))
            return 1;
        entry.Release();
        if (!files.DestroyElement(name) || !OpenLevel(files.GetStorage(), name, TRUE, entry))
            return 0;
    }
    return entry.WriteString("FullPath", path) ? 1 : 0;
}

int ReadSetting(IStorage *root, LPCSTR key, int &value)
{
    Win32Ext::CStorage files;
    value = OpenLevel(root, "BinaryFiles", FALSE, files) ? static_cast<int>(ReadNumber(files, key, 1)) : 1;
    return 1;
}

int WriteSetting(IStorage *root, LPCSTR key, int value)
{
    Win32Ext::CStorage files;
    return OpenLevel(root, "BinaryFiles", TRUE, files) && files.WriteDWORD(key, static_cast<DWORD>(value)) ? 1 : 0;
}

} // namespace

int ProgramSettings(int code, IUnknown *symbolServer, int &value, CString &path)
{
    if (code == QEL_WSP_READ_PATH)
        path.Empty();
    CComPtr<IStorage> root;
    if (!FindSettingsStorage(symbolServer, root, nullptr))
        return 0;
    switch (code) {
    case QEL_WSP_READ_PATH:
        return ReadPath(root, value, path);
    case QEL_WSP_STORE_PATH:
        return StorePath(root, value, path);
    case QEL_WSP_READ_FILTER:
        return ReadSetting(root, "Filter", value);
    case QEL_WSP_WRITE_FILTER:
        return WriteSetting(root, "Filter", value);
    case QEL_WSP_READ_ASKFORLOAD:
        return ReadSetting(root, "AskForLoad", value);
    case QEL_WSP_WRITE_ASKFORLOAD:
        return WriteSetting(root, "AskForLoad", value);
    default:
        return 0;
    }
}
