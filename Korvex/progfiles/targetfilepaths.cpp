// The source-file paths of a program: the names that its debug information gives,
// completed by the compilation directory or by the program file's own place.

#include "targetfile.h"

#include "progfilepaths.h"

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

CString CQelTargetFile::CompletePath(LPCSTR path, LPCSTR basePath)
{
    if (path == nullptr)
        return CString();
    CString base = basePath != nullptr ? CString(basePath) : m_strPath;
    char baseDrive[_MAX_DRIVE], baseDirectory[_MAX_DIR];
    char drive[_MAX_DRIVE], directory[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
    _splitpath(base, baseDrive, baseDirectory, nullptr, nullptr);
    _splitpath(path, drive, directory, name, extension);

    CString composed = drive[0] != '\0' ? drive : baseDrive;
    CString folder;
    if (directory[0] == '\0')
        folder = baseDirectory;
    else if (drive[0] == '\0' && !IsSeparator(directory[0]))
        folder = CString(baseDirectory) + directory;
    else
        folder = directory;
    // A drive's directory starts at its root. A POSIX directory that is still relative
    // stays so, and is taken against the current directory.
    if (!composed.IsEmpty() && (folder.IsEmpty() || !IsSeparator(folder[0])))
        folder = "/" + folder;
    composed += folder + name + extension;

    char full[520];
    if (_fullpath(full, composed, sizeof full) == nullptr)
        return CString();
    return full;
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
