#include "crtpath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

void CopyPart(char *out, size_t size, const char *from, size_t length)
{
    if (out == nullptr)
        return;
    if (length >= size) {
        length = size - 1;
        errno = ERANGE;
    }
    memcpy(out, from, length);
    out[length] = '\0';
}

} // namespace

void _splitpath(const char *path, char *drive, char *dir, char *fname, char *ext)
{
    if (path == nullptr)
        path = "";
    const char *p = path;
    size_t driveLength = 0;
    if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':')
        driveLength = 2;
    CopyPart(drive, _MAX_DRIVE, p, driveLength);
    p += driveLength;

    const char *nameStart = p;
    const char *lastDot = nullptr;
    for (const char *q = p; *q != '\0'; ++q) {
        if (IsSeparator(*q)) {
            nameStart = q + 1;
            lastDot = nullptr;
        } else if (*q == '.') {
            lastDot = q;
        }
    }
    const char *end = nameStart + strlen(nameStart);
    const char *extStart = lastDot != nullptr ? lastDot : end;
    CopyPart(dir, _MAX_DIR, p, static_cast<size_t>(nameStart - p));
    CopyPart(fname, _MAX_FNAME, nameStart, static_cast<size_t>(extStart - nameStart));
    CopyPart(ext, _MAX_EXT, extStart, static_cast<size_t>(end - extStart));
}

char *_fullpath(char *absPath, const char *relPath, size_t maxLength)
{
    std::string input;
    if (relPath == nullptr || relPath[0] == '\0' || !IsSeparator(relPath[0])) {
        std::vector<char> cwd(256);
        while (getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE)
                return nullptr;
            cwd.resize(cwd.size() * 2);
        }
        input = cwd.data();
        input += '/';
    }
    if (relPath != nullptr)
        input += relPath;

    std::vector<std::string> names;
    size_t i = 0;
    while (i < input.size()) {
        while (i < input.size() && IsSeparator(input[i]))
            ++i;
        size_t start = i;
        while (i < input.size() && !IsSeparator(input[i]))
            ++i;
        std::string name = input.substr(start, i - start);
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
            continue;
        }
        names.push_back(name);
    }
    std::string result;
    for (const std::string &name : names)
        result += '/' + name;
    bool trailing = relPath != nullptr && relPath[0] != '\0' && IsSeparator(relPath[strlen(relPath) - 1]);
    if (result.empty() || trailing)
        result += '/';

    if (absPath == nullptr) {
        absPath = static_cast<char *>(malloc(result.size() + 1));
        if (absPath == nullptr) {
            errno = ENOMEM;
            return nullptr;
        }
    } else if (result.size() + 1 > maxLength) {
        errno = ERANGE;
        return nullptr;
    }
    memcpy(absPath, result.c_str(), result.size() + 1);
    return absPath;
}
