// Where a controller database is found. The maker's files are Jet databases, which the
// database layer here cannot read; each such file is named in a diagnostic that points
// to qelsfrdb, which builds one that it can.
#include "sfrdatabase.h"

#include <controllertables.h>
#include <qeldbexception.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

BOOL EndsWithMdb(const CString &text)
{
    const int length = text.GetLength();
    return length >= 4 && _stricmp(static_cast<LPCSTR>(text) + length - 4, ".mdb") == 0;
}

CString FullPath(const CString &path)
{
    std::unique_ptr<char, decltype(&free)> full(_fullpath(nullptr, path, 0), &free);
    return full ? CString(full.get()) : path;
}

// The directory of Korvex's module, with a trailing '/'; the program's when Korvex is
// linked into it.
CString ModuleDirectory()
{
    std::vector<char> name(4096);
    for (;;) {
        const DWORD length = GetModuleFileName(GetModuleHandle("Korvex"), name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return CString();
        if (length < name.size())
            break;
        name.resize(name.size() * 2);
    }
    CString path(name.data());
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return slash >= 0 ? path.Left(slash + 1) : CString();
}

CString FileName(const CString &path)
{
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return path.Mid(slash + 1);
}

// Opens `path` and reads its first Derivative row; TRUE with the database open. A file
// that is not there is passed over quietly, one that the layer refuses with a diagnostic.
BOOL TryDatabase(const CString &path, CQelDatabase &database, CSfrDerivative &derivative,
                 CQelDiagHelper &diagnostics)
{
    CFileStatus status;
    if (!CFile::GetStatus(path, status))
        return FALSE;
    try {
        if (!database.Open(path, TRUE, TRUE))
            return FALSE;
        CDBDerivative row(database.GetDatabase());
        row.Open();
        if (row.IsEOF()) {
            // A database without a derivative describes none: it counts as found, with
            // nothing in it.
            derivative = CSfrDerivative();
        } else {
            derivative.HasRow = TRUE;
            derivative.Name = row.m_Name;
            derivative.Name.TrimLeft();
            derivative.Name.TrimRight();
            derivative.AddressSpace = static_cast<DWORD>(row.m_AddressSpace);
            derivative.WordSize = static_cast<DWORD>(row.m_WordSize);
            derivative.CoreType = static_cast<DWORD>(row.m_CoreType);
            derivative.IRAMSize = static_cast<DWORD>(row.m_IRAMSize);
        }
        row.Close();
    } catch (CQeldbException *e) {
        diagnostics.TraceWarning("Controller database %s skipped: %s (qelsfrdb builds one that can be read).",
                                 static_cast<LPCSTR>(path), static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
        database.Close(FALSE);
        return FALSE;
    }
    derivative.DatabasePath = path;
    derivative.DatabaseName = FileName(path);
    return TRUE;
}

// The "Controller Database" directory of the registry, with a trailing '/'; "" when it
// is not set.
CString RegistryDirectory()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Controller Database", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return CString();
    DWORD type = 0, size = 0;
    CString directory;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size > 0) {
        std::vector<char> text(size + 1, '\0');
        if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(text.data()), &size) ==
            ERROR_SUCCESS)
            directory = text.data();
    }
    RegCloseKey(key);
    if (directory.IsEmpty())
        return directory;
    directory = FullPath(directory);
    if (directory.Right(1) != "/" && directory.Right(1) != "\\")
        directory += "/";
    return directory;
}

// The names in `directory` that end in ".mdb" in any case, sorted, so that the first
// match does not depend on the order in which the file system lists them.
std::vector<CString> DatabaseNames(const CString &directory)
{
    std::vector<CString> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(directory + "*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        CString name(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && EndsWithMdb(name))
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(), [](const CString &a, const CString &b) { return strcmp(a, b) < 0; });
    return names;
}

} // namespace

BOOL OpenControllerDatabase(const CString &param, CQelDatabase &database, CSfrDerivative &derivative,
                            CQelDiagHelper &diagnostics)
{
    if (EndsWithMdb(param)) {
        if (TryDatabase(FullPath(param), database, derivative, diagnostics))
            return TRUE;
        const CString directory = ModuleDirectory();
        return !directory.IsEmpty() && TryDatabase(FullPath(directory + param), database, derivative, diagnostics);
    }
    const CString directory = RegistryDirectory();
    if (directory.IsEmpty())
        return FALSE;
    for (const CString &name : DatabaseNames(directory)) {
        if (!TryDatabase(directory + name, database, derivative, diagnostics))
            continue;
        if (derivative.HasRow && _stricmp(derivative.Name, param) == 0)
            return TRUE;
        database.Close(FALSE);
    }
    return FALSE;
}
