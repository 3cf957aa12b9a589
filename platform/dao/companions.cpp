#include "companions.h"

#include <sys/stat.h>

#include <fstream>

namespace qeldao {

namespace {

// The first `count` bytes of a file, fewer when it is shorter or unreadable.
std::string FirstBytes(const std::string &path, size_t count)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(in ? count : static_cast<size_t>(in.gcount()));
    return bytes;
}

bool Exists(const std::string &path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

} // namespace

Companions FindCompanions(const std::string &path)
{
    // Bytes 18 and 19 of the header are 2 in a file that keeps a log; the files of this
    // engine keep the rollback journal and never have one.
    const std::string header = FirstBytes(path, 20);
    const bool logged = header.size() == 20 && header.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0 &&
                        (header[18] == 2 || header[19] == 2);
    if (logged || Exists(path + "-wal"))
        return Companions::WriteAheadLog;
    // SQLite's own test: a journal whose first byte is not 0, beside a file that is not
    // empty (the journal of an empty file it deletes, and there is nothing to lose).
    const std::string journal = FirstBytes(path + "-journal", 1);
    if (!header.empty() && !journal.empty() && journal[0] != '\0')
        return Companions::HotJournal;
    return Companions::None;
}

std::string ImmutableUri(const std::string &path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        // A second slash at the start would make the rest a host name.
        const bool slash = c == '/' && !(i == 1 && path[0] == '/');
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || slash ||
                           c == '.' || c == '-' || c == '_' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri + "?immutable=1";
}

} // namespace qeldao
