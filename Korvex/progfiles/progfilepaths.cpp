#include "progfilepaths.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool HasDrive(LPCSTR path)
{
    return isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool IsSlashDriveForm(LPCSTR path)
{
    return strlen(path) >= 4 && path[0] == '/' && path[1] == '/' && isalpha(static_cast<unsigned char>(path[2])) &&
           path[3] == '/';
}

// The position behind the last separator (0 when there is none, 2 behind a lone drive).
int NameStart(const CString &path)
{
    for (int i = path.GetLength(); i > 0; --i) {
        if (IsSeparator(path[i - 1]))
            return i;
    }
    return HasDrive(path) ? 2 : 0;
}

// Whether the text is of Windows form: it begins with a drive ("c:") or with "//c/".
bool IsWindowsFormPath(LPCSTR path)
{
    return HasDrive(path) || IsSlashDriveForm(path);
}

} // namespace

CString ConvertSlashPath(LPCSTR path)
{
    if (path == nullptr)
        return CString();
    bool windowsForm = IsWindowsFormPath(path);
    CString result;
    if (IsSlashDriveForm(path)) {
        result = CString(path[2]) + ":\\" + (path + 4);
    } else {
        result = path;
    }
    if (windowsForm)
        result.Replace('/', '\\');
    // A name without a dot is taken for a directory, as the tool chains write them.
    const char *lastName = path;
    for (const char *c = path; *c != '\0'; ++c) {
        if (IsSeparator(*c))
            lastName = c + 1;
    }
    bool dotInLastName = strchr(lastName, '.') != nullptr;
    if (!result.IsEmpty() && !IsSeparator(result[result.GetLength() - 1]) && !dotInLastName)
        result += windowsForm ? '\\' : '/';
    return result;
}

CString ExtractFileName(CString path)
{
    return path.Mid(NameStart(path));
}

CString ExtractDirectory(LPCSTR path)
{
    if (path == nullptr)
        return CString();
    CString text = path;
    return text.Left(NameStart(text));
}

BOOL IsReadableFile(LPCSTR path)
{
    HANDLE file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

BOOL CreateDirectoryPath(CString path)
{
    bool rooted = !path.IsEmpty() && IsSeparator(path[0]);
    path.TrimRight(" \t/\\");
    if (path.IsEmpty())
        return rooted ? TRUE : FALSE; // the root, which always exists
    path.Replace('\\', '/');
    auto isDirectory = [](const CString &level) {
        DWORD attributes = GetFileAttributes(level);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    };
    if (isDirectory(path))
        return TRUE;
    // Every level from the whole path up, each cut at a separator; the first that can be
    // made has an existing parent, and the deeper ones follow from it. Another loader may
    // make a level between the test and the attempt: a level that stands is as good as made.
    std::vector<int> cuts{path.GetLength()};
    for (int i = path.GetLength() - 1; i > 0; --i) {
        if (path[i] == '/' && path[i - 1] != '/')
            cuts.push_back(i);
    }
    auto makeLevel = [&](size_t cut) {
        CString level = path.Left(cuts[cut]);
        return CreateDirectory(level, nullptr) || isDirectory(level);
    };
    size_t made = 0;
    while (made < cuts.size() && !makeLevel(made))
        ++made;
    if (made == cuts.size())
        return FALSE;
    while (made > 0) {
        --made;
        if (!makeLevel(made))
            return FALSE;
    }
    return isDirectory(path) ? TRUE : FALSE;
}

CString MakeFullPath(LPCSTR path)
{
    std::unique_ptr<char, decltype(&free)> full(_fullpath(nullptr, path, 0), &free);
    return full != nullptr ? CString(full.get()) : CString();
}

UINT MakeTempCopyName(LPCSTR prefix, CString *out)
{
    out->Empty();
    const DWORD size = GetTempPath(0, nullptr);
    CString folder;
    const DWORD length = GetTempPath(size, folder.GetBuffer(static_cast<int>(size)));
    folder.ReleaseBuffer(length != 0 && length < size ? static_cast<int>(length) : 0);
    if (folder.IsEmpty())
        return 0;
    DWORD attributes = GetFileAttributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        folder = ".";
    // The name itself is one of GetTempFileName's, which are MAX_PATH bytes at most.
    const UINT number = GetTempFileName(folder, prefix, 0, out->GetBuffer(MAX_PATH));
    out->ReleaseBuffer(number != 0 ? -1 : 0);
    return number;
}
