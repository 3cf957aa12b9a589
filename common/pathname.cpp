#include "pathname.h"

#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool EndsWithSeparator(const CString &text)
{
    return !text.IsEmpty() && IsSeparator(text[text.GetLength() - 1]);
}

LPCSTR OrEmpty(LPCSTR text)
{
    return text != nullptr ? text : "";
}

// `text` without one leading separator.
LPCSTR SkipSeparator(LPCSTR text)
{
    text = OrEmpty(text);
    return IsSeparator(text[0]) ? text + 1 : text;
}

} // namespace

CPathName::CPathName(const CPathName &other)
{
    Clear();
    *this = other;
}

// The parts point into the object's own text, so a copy parses the text again.
CPathName &CPathName::operator=(const CPathName &other)
{
    if (this != &other) {
        memcpy(m_path, other.m_path, sizeof m_path);
        Parse();
    }
    return *this;
}

void CPathName::Clear()
{
    m_path[0] = '\0';
    Parse();
}

void CPathName::SetPath(LPCSTR text)
{
    text = OrEmpty(text);
    size_t length = strlen(text);
    if (length > 0 && text[0] == '"') {
        ++text;
        --length;
    }
    if (length > 0 && text[length - 1] == '"')
        --length;
    if (length > MAX_PATH)
        length = MAX_PATH;
    memcpy(m_path, text, length);
    m_path[length] = '\0';
    Parse();
}

void CPathName::Rebuild(const CString &text)
{
    size_t length = static_cast<size_t>(text.GetLength());
    if (length > MAX_PATH)
        length = MAX_PATH;
    memcpy(m_path, static_cast<LPCSTR>(text), length);
    m_path[length] = '\0';
    Parse();
}

void CPathName::Parse()
{
    m_server = m_drive = m_directory = m_fileName = m_extension = nullptr;
    m_serverLength = m_driveLength = m_directoryLength = m_fileNameLength = m_extensionLength = 0;
    const char *p = m_path;
    const char *end = m_path + strlen(m_path);
    if (p[0] == '\\' && p[1] == '\\') {
        const char *next = p + 2;
        while (next < end && !IsSeparator(*next))
            ++next;
        m_server = p;
        m_serverLength = static_cast<DWORD>(next - p);
        if (next == end)
            return;
        p = next;
    } else if (p[0] != '\0' && p[1] == ':') {
        m_drive = p;
        m_driveLength = 2;
        p += 2;
    }
    // The directory ends at the last separator; the extension starts at the last dot of
    // the name after it, except that a dot that starts the name belongs to the name.
    const char *name = p;
    for (const char *q = p; q < end; ++q)
        if (IsSeparator(*q))
            name = q + 1;
    if (name > p) {
        m_directory = p;
        m_directoryLength = static_cast<DWORD>(name - p);
    }
    if (name == end)
        return;
    const char *dot = nullptr;
    for (const char *q = name + 1; q < end; ++q)
        if (*q == '.')
            dot = q;
    const char *nameEnd = dot != nullptr ? dot : end;
    m_fileName = name;
    m_fileNameLength = static_cast<DWORD>(nameEnd - name);
    if (dot != nullptr) {
        m_extension = dot;
        m_extensionLength = static_cast<DWORD>(end - dot);
    }
}

CString CPathName::Prefix() const
{
    return m_server != nullptr ? GetServer() : GetDrive();
}

char CPathName::JoinSeparator(bool windowsPrefix, LPCSTR added, LPCSTR kept) const
{
    if (windowsPrefix)
        return '\\';
    added = OrEmpty(added);
    kept = OrEmpty(kept);
    if (strchr(added, '\\') != nullptr || strchr(kept, '\\') != nullptr)
        return '\\';
    if (strchr(added, '/') != nullptr || strchr(kept, '/') != nullptr)
        return '/';
    return '\\';
}

BOOL CPathName::GetDriveAndDirectory(char *out, int size, BOOL withoutTrailingBackslash) const
{
    if (out == nullptr || size <= 0)
        return TRUE;
    CString directory = GetDirectory();
    if (withoutTrailingBackslash && EndsWithSeparator(directory))
        directory = directory.Left(directory.GetLength() - 1);
    CString text = Prefix() + directory;
    size_t length = static_cast<size_t>(text.GetLength());
    if (length >= static_cast<size_t>(size))
        length = static_cast<size_t>(size) - 1;
    memcpy(out, static_cast<LPCSTR>(text), length);
    out[length] = '\0';
    return TRUE;
}

void CPathName::SetServer(LPCSTR name)
{
    Rebuild(CString("\\\\") + OrEmpty(name) + GetDirectory() + GetFileName() + GetExtension());
}

void CPathName::SetDrive(LPCSTR letter)
{
    Rebuild(CString(OrEmpty(letter)) + ":" + GetDirectory() + GetFileName() + GetExtension());
}

void CPathName::SetDirectory(LPCSTR directory)
{
    CString prefix = Prefix();
    char separator = JoinSeparator(!prefix.IsEmpty(), directory, m_path);
    CString text = OrEmpty(directory);
    if (text.IsEmpty() || !IsSeparator(text[0]))
        text = CString(separator) + text;
    if (!EndsWithSeparator(text))
        text += separator;
    Rebuild(prefix + text + GetFileName() + GetExtension());
}

void CPathName::SetDriveAndDirectory(LPCSTR folder)
{
    // The folder replaces everything before the file name, so it alone decides.
    CString text = OrEmpty(folder);
    if (!EndsWithSeparator(text))
        text += JoinSeparator(false, folder, nullptr);
    Rebuild(text + GetFileName() + GetExtension());
}

void CPathName::SetFileName(LPCSTR name)
{
    Rebuild(Prefix() + GetDirectory() + OrEmpty(name) + GetExtension());
}

void CPathName::SetExtension(LPCSTR extension)
{
    extension = OrEmpty(extension);
    Rebuild(Prefix() + GetDirectory() + GetFileName() + (extension[0] == '.' ? "" : ".") + extension);
}

void CPathName::SetFileNameAndExtension(LPCSTR text)
{
    Rebuild(Prefix() + GetDirectory() + OrEmpty(text));
}

void CPathName::AppendDirectory(LPCSTR subdirectory)
{
    CString prefix = Prefix();
    CString sub = SkipSeparator(subdirectory);
    if (!EndsWithSeparator(sub))
        sub += JoinSeparator(!prefix.IsEmpty(), subdirectory, m_path);
    Rebuild(prefix + GetDirectory() + sub + GetFileName() + GetExtension());
}

void CPathName::GoUp()
{
    CString directory = GetDirectory();
    if (directory.GetLength() < 2)
        return;
    if (EndsWithSeparator(directory))
        directory = directory.Left(directory.GetLength() - 1);
    int keep = directory.GetLength();
    while (keep > 0 && !IsSeparator(directory[keep - 1]))
        --keep;
    // Without a separator before it the last name was the whole (relative) directory:
    // going up leaves none, rather than gluing that name to the file name.
    Rebuild(Prefix() + directory.Left(keep) + GetFileName() + GetExtension());
}

BOOL CPathName::AppendRelative(LPCSTR text)
{
    CString whole = Prefix() + GetDirectory() + SkipSeparator(text);
    if (whole.GetLength() > MAX_PATH)
        return FALSE;
    Rebuild(whole);
    return TRUE;
}
