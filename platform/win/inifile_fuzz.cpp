// Fuzz target of the INI files: a file of any bytes is read without fault, and a write
// changes only its own lines: the file's other lines stay byte for byte in their order
// (only the line before an added one may gain the line end it lacked), and the value
// reads back as written.
//
// The first byte chooses the write: set "Key" in "Section", delete the key, or delete the
// section; the rest is the file.
// fuzz-seeds: testdata/ini/*.ini
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> Lines(const std::string &bytes)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t newline = bytes.find('\n', start);
        if (newline == std::string::npos) {
            lines.push_back({bytes.substr(start), ""});
            break;
        }
        size_t textEnd = newline > start && bytes[newline - 1] == '\r' ? newline - 1 : newline;
        lines.push_back({bytes.substr(start, textEnd - start), bytes.substr(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
    return lines;
}

std::string ReadAll(const char *path)
{
    std::string bytes;
    FILE *file = fopen(path, "rb");
    if (file == nullptr)
        return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

const std::string &FilePath()
{
    static const std::string path = "/tmp/qelini-fuzz-" + std::to_string(getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const char *path = FilePath().c_str();
    const std::string old(reinterpret_cast<const char *>(data) + 1, size - 1);
    FILE *file = fopen(path, "wb");
    if (file == nullptr || fwrite(old.data(), 1, old.size(), file) != old.size() || fclose(file) != 0)
        __builtin_trap();

    char small[3], large[64];
    GetPrivateProfileStringA("Section", "Key", "default", small, sizeof small, path);
    GetPrivateProfileStringA("section", "KEY", nullptr, large, sizeof large, path);
    if (small[2] != '\0' && small[1] != '\0' && small[0] != '\0')
        __builtin_trap(); // the answer is always terminated

    int write = data[0] % 3;
    const char *value = write == 0 ? "written" : nullptr;
    if (!WritePrivateProfileStringA("Section", write == 2 ? nullptr : "Key", value, path))
        __builtin_trap();
    std::vector<Line> before = Lines(old), after = Lines(ReadAll(path));
    GetPrivateProfileStringA("Section", "Key", "default", large, sizeof large, path);
    if (write == 0 && std::string(large) != "written")
        __builtin_trap(); // the value reads back as written

    // The lines that both files share, byte for byte, at their start and at their end
    // (the old last line may have gained a line end); what lies between is the write's:
    // one line replaced or deleted, a key (and its section) added, or the lines of the
    // deleted section.
    auto same = [&](size_t old, size_t now) {
        const Line &a = before[old], &b = after[now];
        return a.text == b.text && (a.end == b.end || (old + 1 == before.size() && a.end.empty() && b.end == "\r\n"));
    };
    size_t head = 0;
    while (head < before.size() && head < after.size() && same(head, head))
        ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           same(before.size() - 1 - tail, after.size() - 1 - tail))
        ++tail;
    size_t removed = before.size() - head - tail, added = after.size() - head - tail;
    bool shaped = write == 0   ? removed <= 1 && added <= 2
                  : write == 1 ? removed <= 1 && added == 0
                               : added == 0;
    if (!shaped)
        __builtin_trap();
    return 0;
}
