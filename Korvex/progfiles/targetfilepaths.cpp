// The source-file paths of a program: the names that its debug information gives,
// completed by the compilation directory or by the program file's own place.

#include "targetfile.h"

#include "progfilepaths.h"

#include <cctype>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// "c:" for a text of Windows form, else "": POSIX paths have no drive.
CString DriveOf(const CString &path)
{
    return path.GetLength() >= 2 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' ? path.Left(2)
                                                                                                   : CString();
}

} // namespace

CString CQelTargetFile::CompletePath(LPCSTR path, LPCSTR basePath)
{
    if (path == nullptr)
        return CString();
    CString base = basePath != nullptr ? CString(basePath) : m_strPath;
    CString baseDrive = DriveOf(base);
    CString baseDirectory = ExtractDirectory(base).Mid(baseDrive.GetLength());
    CString drive = DriveOf(path);
    CString directory = ExtractDirectory(path).Mid(drive.GetLength());

    CString composed = !drive.IsEmpty() ? drive : baseDrive;
    CString folder;
    if (directory.IsEmpty())
        folder = baseDirectory;
    else if (drive.IsEmpty() && !IsSeparator(directory[0]))
        folder = baseDirectory + directory;
    else
        folder = directory;
    // A drive's directory starts at its root. A POSIX directory that is still relative
    // stays so, and is taken against the current directory.
    if (!composed.IsEmpty() && (folder.IsEmpty() || !IsSeparator(folder[0])))
        folder = "/" + folder;
    composed += folder + ExtractFileName(path);
    return MakeFullPath(composed);
}

void CQelTargetFile::SourcePathForms(LPCSTR name, LPCSTR compilationDirectory, CString *completed, CString *fallback)
{
    CString convertedName = ConvertSlashPath(name);
    CString convertedDirectory = ConvertSlashPath(compilationDirectory);
    *completed = CompletePath(convertedName, convertedDirectory.IsEmpty() ? nullptr : LPCSTR(convertedDirectory));
    if (completed->IsEmpty() && !convertedDirectory.IsEmpty())
        *completed = CompletePath(convertedName, nullptr);
    if (!convertedDirectory.IsEmpty() && convertedName.Left(convertedDirectory.GetLength()) == convertedDirectory)
        *fallback = convertedName.Mid(convertedDirectory.GetLength());
    else
        *fallback = convertedName;
}

CString CQelTargetFile::ResolveSourcePath(LPCSTR name, LPCSTR compilationDirectory)
{
    CString completed, fallback;
    SourcePathForms(name, compilationDirectory, &completed, &fallback);
    if (!completed.IsEmpty() && IsReadableFile(completed))
        return completed;
    return fallback;
}
