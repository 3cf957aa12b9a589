#include "sourcepaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

struct PathParts {
    std::string drive; // "c:" or empty
    std::string dir;   // up to and including the last separator
    std::string file;  // name and extension
};

PathParts Split(const std::string &path)
{
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    size_t last = std::string::npos;
    for (size_t i = start; i < path.size(); ++i) {
        if (IsSeparator(path[i]))
            last = i;
    }
    if (last == std::string::npos) {
        parts.file = path.substr(start);
    } else {
        parts.dir = path.substr(start, last + 1 - start);
        parts.file = path.substr(last + 1);
    }
    return parts;
}

// The separator a text uses: '\' for one of Windows' form, else '/'.
char SeparatorOf(const std::string &path)
{
    bool windowsForm = !Split(path).drive.empty() ||
                       (path.find('\\') != std::string::npos && path.find('/') == std::string::npos);
    return windowsForm ? '\\' : '/';
}

} // namespace

CString ResolveSourcePath(LPCSTR name, LPCSTR base)
{
    const std::string nameText = name != nullptr ? name : "";
    const std::string baseText = base != nullptr ? base : "";
    const PathParts nameParts = Split(nameText);
    const PathParts baseParts = Split(baseText);
    const std::string drive = nameParts.drive.empty() ? baseParts.drive : nameParts.drive;
    std::string dir;
    if (!nameParts.drive.empty() || (!nameParts.dir.empty() && IsSeparator(nameParts.dir[0]))) {
        dir = nameParts.dir;
    } else {
        dir = baseParts.dir;
        if (!dir.empty() && !IsSeparator(dir.back()))
            dir += SeparatorOf(baseText);
        dir += nameParts.dir;
    }
    // A drive keeps the text to Windows' rules, which name no file on this system.
    if (!drive.empty() || nameParts.file.empty())
        return nameText.c_str();
    std::string joined = dir + nameParts.file;
    for (char &c : joined) {
        if (c == '\\')
            c = '/';
    }
    if (joined.empty() || joined[0] != '/')
        return nameText.c_str();
    const std::string resolved = std::filesystem::path(joined).lexically_normal().string();
    return SourceFileExists(resolved.c_str()) ? CString(resolved.c_str()) : CString(nameText.c_str());
}

CString SourceRootBase(LPCSTR root)
{
    std::string base = root != nullptr ? root : "";
    if (!base.empty() && !IsSeparator(base.back()))
        base += SeparatorOf(base);
    return (base + "c.c").c_str();
}

CString SourceFileFilter(LPCSTR format, LPCSTR name)
{
    const std::string file = Split(name != nullptr ? name : "").file;
    const size_t point = file.rfind('.');
    std::string pattern;
    if (point != std::string::npos && point + 1 < file.size() &&
        file.find_first_of("|;%", point) == std::string::npos) {
        pattern = "*";
        for (size_t i = point; i < file.size(); ++i)
            pattern += static_cast<char>(std::tolower(static_cast<unsigned char>(file[i])));
    }
    CString plain;
    plain.Format(format, "", "");
    if (!pattern.empty()) {
        const std::string patterns = static_cast<LPCSTR>(plain);
        size_t start = 0;
        while (start <= patterns.size()) {
            size_t end = patterns.find_first_of(";|", start);
            if (end == std::string::npos)
                end = patterns.size();
            if (patterns.compare(start, end - start, pattern) == 0)
                return plain;
            start = end + 1;
        }
        CString extended;
        const std::string added = ";" + pattern;
        extended.Format(format, added.c_str(), added.c_str());
        return extended;
    }
    return plain;
}

BOOL SourceFileExists(LPCSTR path)
{
    if (path == nullptr || path[0] != '/')
        return FALSE;
    struct stat status;
    return ::stat(path, &status) == 0 && S_ISREG(status.st_mode) && ::access(path, R_OK) == 0;
}

BOOL CKnownSourceFiles::Exists(LPCSTR path)
{
    if (path == nullptr || path[0] == '\0')
        return FALSE;
    if (m_known.count(path) != 0)
        return TRUE;
    if (!SourceFileExists(path))
        return FALSE;
    m_known.insert(path);
    return TRUE;
}

void CKnownSourceFiles::Remember(LPCSTR name, LPCSTR path)
{
    if (name == nullptr || path == nullptr || name[0] == '\0' || path[0] == '\0')
        return;
    m_found[name] = path;
    m_known.insert(path);
}

BOOL CKnownSourceFiles::Lookup(LPCSTR name, CString &path) const
{
    if (name == nullptr)
        return FALSE;
    auto found = m_found.find(name);
    if (found == m_found.end())
        return FALSE;
    path = found->second.c_str();
    return TRUE;
}
