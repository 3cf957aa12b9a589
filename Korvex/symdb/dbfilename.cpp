#include "dbfilename.h"

#include "elfhash.h"

namespace {

// The one place of the password's fixed part. Changing it makes every symbol database
// written before unreadable (they are then rebuilt, being caches).
const char kPasswordPrefix[] = "qSy7dbK";
static_assert(sizeof kPasswordPrefix == 8, "the prefix has seven characters");

int FileNameStart(const CString &path)
{
    int slash = path.ReverseFind('/');
    int backslash = path.ReverseFind('\\');
    return (slash > backslash ? slash : backslash) + 1;
}

} // namespace

CString CutFileExtension(const CString &path)
{
    int dot = path.ReverseFind('.');
    if (dot < FileNameStart(path))
        return path;
    return path.Left(dot);
}

CString DatabasePassword(const CString &path)
{
    CString baseName = CutFileExtension(path).Mid(FileNameStart(path));
    baseName.MakeLower();
    CString password;
    password.Format("%s%x", kPasswordPrefix, ElfHashKey(baseName) & 0xFFFFFFu);
    return password;
}

CString PasswordClause(const CString &path)
{
    return ";pwd=" + DatabasePassword(path);
}
