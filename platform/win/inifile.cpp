#include "inifile.h"

#include "crtstring.h"
#include "fileobject.h"
#include "lasterror.h"
#include "winerror.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// One line of the file: its text and the end it had ("\r\n", "\n", or "" for a last line
// without one), so that a write gives back every line it does not change as it stood.
struct Line {
    std::string text;
    std::string end;
};

// A read, change and write of one file must not meet another's in the same process.
std::mutex &FileLock()
{
    static std::mutex lock;
    return lock;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string &text, size_t first, size_t last)
{
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool SameName(const std::string &a, const char *b)
{
    return a.size() == strlen(b) && _strnicmp(a.c_str(), b, a.size()) == 0;
}

// The name of a section header line "[name]", or false for any other line.
bool SectionName(const Line &line, std::string *name)
{
    size_t first = 0;
    while (first < line.text.size() && IsBlank(line.text[first]))
        ++first;
    if (first == line.text.size() || line.text[first] != '[')
        return false;
    size_t close = line.text.find(']', first + 1);
    if (close == std::string::npos)
        return false;
    *name = Trimmed(line.text, first + 1, close);
    return true;
}

// The position of the '=' of a "key=value" line whose key is `key`, or npos.
size_t KeyLine(const Line &line, const char *key)
{
    size_t first = 0;
    while (first < line.text.size() && IsBlank(line.text[first]))
        ++first;
    if (first == line.text.size() || line.text[first] == ';')
        return std::string::npos;
    size_t equals = line.text.find('=', first);
    if (equals == std::string::npos || !SameName(Trimmed(line.text, first, equals), key))
        return std::string::npos;
    return equals;
}

// false with the last error set when the file is there but cannot be read; a missing
// file gives no lines.
bool ReadLines(const char *path, std::vector<Line> *lines)
{
    lines->clear();
    FILE *file = fopen(path, "rb");
    if (file == nullptr) {
        if (errno == ENOENT)
            return true;
        SetLastError(qelwin::FileErrorFromErrno(errno, path));
        return false;
    }
    std::string bytes;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) {
        SetLastError(ERROR_READ_FAULT);
        return false;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        size_t newline = bytes.find('\n', start);
        if (newline == std::string::npos) {
            lines->push_back({bytes.substr(start), ""});
            break;
        }
        size_t textEnd = newline > start && bytes[newline - 1] == '\r' ? newline - 1 : newline;
        lines->push_back({bytes.substr(start, textEnd - start), bytes.substr(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
    return true;
}

// Writes the lines to a temporary file beside `path`, which then takes the place of the
// file; on failure the temporary file is removed and the old file stays as it was.
bool WriteLines(const char *path, const std::vector<Line> &lines)
{
    std::string bytes;
    for (const Line &line : lines)
        bytes += line.text + line.end;
    std::string temporary = std::string(path) + ".XXXXXX";
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        SetLastError(qelwin::FileErrorFromErrno(errno, path));
        return false;
    }
    struct stat old;
    fchmod(descriptor, stat(path, &old) == 0 ? old.st_mode & 07777 : 0644);
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t put = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        written += static_cast<size_t>(put);
    }
    bool whole = written == bytes.size();
    int writeError = errno;
    if (close(descriptor) != 0)
        whole = false;
    if (!whole || rename(temporary.c_str(), path) != 0) {
        int error = whole ? errno : writeError;
        unlink(temporary.c_str());
        SetLastError(error == ENOSPC || error == EDQUOT ? ERROR_DISK_FULL : qelwin::FileErrorFromErrno(error, path));
        return false;
    }
    return true;
}

// The lines [*first, *last) of the first section named `section`, header included;
// false when there is none.
bool FindSection(const std::vector<Line> &lines, const char *section, size_t *first, size_t *last)
{
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!SectionName(lines[i], &name) || !SameName(name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end], &name))
            ++end;
        *first = i;
        *last = end;
        return true;
    }
    return false;
}

// The index of the key's line inside the section's lines, or npos.
size_t FindKey(const std::vector<Line> &lines, size_t first, size_t last, const char *key)
{
    for (size_t i = first + 1; i < last; ++i) {
        if (KeyLine(lines[i], key) != std::string::npos)
            return i;
    }
    return std::string::npos;
}

bool HoldsLineEnd(const char *text)
{
    return strpbrk(text, "\r\n") != nullptr;
}

bool UsableKey(const char *key)
{
    std::string trimmed = Trimmed(key, 0, strlen(key));
    return !trimmed.empty() && trimmed[0] != '[' && trimmed[0] != ';' && strpbrk(key, "=\r\n") == nullptr;
}

DWORD CopyCut(const std::string &text, LPSTR buffer, DWORD size)
{
    if (buffer == nullptr || size == 0)
        return 0;
    DWORD length = text.size() < size ? static_cast<DWORD>(text.size()) : size - 1;
    memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return length;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultString, LPSTR returnedString,
                               DWORD size, LPCSTR fileName)
{
    if (appName == nullptr || keyName == nullptr) {
        CopyCut("", returnedString, size);
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    std::string value = defaultString != nullptr ? defaultString : "";
    std::vector<Line> lines;
    bool read;
    {
        std::lock_guard<std::mutex> hold(FileLock());
        read = fileName != nullptr && ReadLines(fileName, &lines);
    }
    size_t first, last;
    if (read && FindSection(lines, appName, &first, &last)) {
        size_t key = FindKey(lines, first, last, keyName);
        if (key != std::string::npos) {
            const std::string &text = lines[key].text;
            value = Trimmed(text, KeyLine(lines[key], keyName) + 1, text.size());
            if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
                value = value.substr(1, value.size() - 2);
        }
    }
    return CopyCut(value, returnedString, size);
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR string, LPCSTR fileName)
{
    if (appName == nullptr || fileName == nullptr || strpbrk(appName, "]\r\n") != nullptr ||
        (keyName != nullptr && !UsableKey(keyName)) || (string != nullptr && HoldsLineEnd(string))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> hold(FileLock());
    std::vector<Line> lines;
    if (!ReadLines(fileName, &lines))
        return FALSE;
    size_t first = 0, last = 0;
    bool hasSection = FindSection(lines, appName, &first, &last);
    size_t key = hasSection && keyName != nullptr ? FindKey(lines, first, last, keyName) : std::string::npos;
    Line made{keyName != nullptr ? std::string(keyName) + "=" + (string != nullptr ? string : "") : "", "\r\n"};

    if (keyName == nullptr || string == nullptr) {
        if (keyName == nullptr && hasSection)
            lines.erase(lines.begin() + first, lines.begin() + last);
        else if (keyName != nullptr && key != std::string::npos)
            lines.erase(lines.begin() + key);
        else
            return TRUE;
    } else if (key != std::string::npos) {
        lines[key] = made;
    } else {
        size_t at = lines.size();
        if (hasSection) {
            at = last;
            while (at > first + 1 && Trimmed(lines[at - 1].text, 0, lines[at - 1].text.size()).empty())
                --at;
        }
        if (at > 0 && lines[at - 1].end.empty())
            lines[at - 1].end = "\r\n";
        if (!hasSection)
            lines.insert(lines.begin() + at++, Line{"[" + std::string(appName) + "]", "\r\n"});
        lines.insert(lines.begin() + at, made);
    }
    return WriteLines(fileName, lines) ? TRUE : FALSE;
}
