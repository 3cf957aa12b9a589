#include "registry.h"

#include "debugoutput.h"
#include "registryfile.h"
#include "winerror.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using qelwin::RegistryKey;
using qelwin::RegistryRoots;
using qelwin::RegistryValue;

// A file larger than this is not read: no registry of this system comes near it, and a
// file that does is more likely a wrong QEL_REGISTRY than a registry.
constexpr off_t kMaxFileSize = 64 << 20;

struct OpenKey {
    std::shared_ptr<RegistryKey> key;
    REGSAM access;
};

enum class Store {
    Memory,  // never written
    File,    // written after each change
    Refused, // a file that could not be read whole: never written
};

// Never destroyed: keys may still be closed by static destructors at exit.
struct Registry {
    std::mutex mutex;
    bool started = false;
    RegistryRoots roots = RegistryRoots::MakeEmpty();
    std::unordered_map<DWORD, OpenKey> handles;
    DWORD nextHandle = 1;
    Store store = Store::Memory;
    std::string path;
    mode_t fileMode = 0644;
    bool damaged = false; // lines were left out: move the file aside before writing it
};

Registry &State()
{
    static Registry *registry = new Registry;
    return *registry;
}

void Report(const std::string &text)
{
    OutputDebugStringA(("Registry: " + text + "\n").c_str());
}

// Reads the file whole into `text`; false (with errno) when that cannot be done, and
// ENOENT when there is no file.
bool ReadWholeFile(const std::string &path, std::string *text, mode_t *mode)
{
    // Non-blocking, so that a FIFO named by mistake does not make the open wait.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok && (!S_ISREG(info.st_mode) || info.st_size > kMaxFileSize)) {
        errno = EFBIG;
        ok = false;
    }
    if (ok) {
        *mode = info.st_mode & 07777;
        text->resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < text->size()) {
            ssize_t got = read(fd, text->data() + done, text->size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                ok = false;
            else
                done += static_cast<size_t>(got);
        }
        // A file that grew meanwhile is not one that was read whole.
        char more;
        if (ok && read(fd, &more, 1) != 0) {
            errno = EFBIG;
            ok = false;
        }
    }
    int saved = errno;
    close(fd);
    errno = saved;
    return ok;
}

// Starts from the file at `path`: the registry's roots, which are empty, are replaced by
// its contents.
LONG LoadLocked(Registry &registry, const char *path)
{
    registry.store = Store::File;
    registry.path = path;
    registry.fileMode = 0644;
    registry.damaged = false;
    std::string text;
    if (!ReadWholeFile(registry.path, &text, &registry.fileMode)) {
        if (errno == ENOENT)
            return ERROR_SUCCESS; // a new registry, written with the first change
        Report(registry.path + " cannot be read (" + strerror(errno) + "); it is left alone and changes are refused");
        registry.store = Store::Refused;
        return ERROR_CANTREAD;
    }
    if (text.empty())
        return ERROR_SUCCESS;
    if (!qelwin::HasRegistryHeader(text)) {
        Report(registry.path + " is no registry file; it is left alone and changes are refused");
        registry.store = Store::Refused;
        return ERROR_CANTREAD;
    }
    qelwin::RegistryTextProblems problems;
    try {
        RegistryRoots loaded = RegistryRoots::MakeEmpty();
        problems = qelwin::ReadRegistryText(text, loaded);
        registry.roots = std::move(loaded);
    } catch (const std::bad_alloc &) {
        Report(registry.path + " is too large to be read; it is left alone and changes are refused");
        registry.store = Store::Refused;
        return ERROR_CANTREAD;
    }
    if (problems.linesLeftOut > 0) {
        registry.damaged = true;
        Report(registry.path + ": " + std::to_string(problems.linesLeftOut) + " line(s) cannot be read, the first is line " +
               std::to_string(problems.firstLineLeftOut) + "; the file is kept as " + registry.path +
               ".damaged when the registry is next written");
    }
    return ERROR_SUCCESS;
}

void StartLocked(Registry &registry)
{
    if (registry.started)
        return;
    registry.started = true;
    const char *path = getenv("QEL_REGISTRY");
    if (path && *path)
        LoadLocked(registry, path);
}

bool WriteAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// Writes the registry to its file after a change; ERROR_CANTWRITE when it cannot.
LONG SaveLocked(Registry &registry)
{
    if (registry.store == Store::Memory)
        return ERROR_SUCCESS;
    if (registry.store == Store::Refused)
        return ERROR_CANTWRITE;
    std::string text;
    try {
        text = qelwin::WriteRegistryText(registry.roots);
    } catch (const std::bad_alloc &) {
        return ERROR_CANTWRITE;
    }
    if (registry.damaged) {
        std::string aside = registry.path + ".damaged";
        if (rename(registry.path.c_str(), aside.c_str()) != 0 && errno != ENOENT) {
            Report(registry.path + " cannot be kept as " + aside + " (" + strerror(errno) + "); it is not written");
            return ERROR_CANTWRITE;
        }
        registry.damaged = false;
    }
    // A new file beside the old one, which then takes its name in one step.
    std::string temporary = registry.path + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return ERROR_CANTWRITE;
    bool ok = fchmod(fd, registry.fileMode) == 0 && WriteAll(fd, text);
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), registry.path.c_str()) == 0)
        return ERROR_SUCCESS;
    unlink(temporary.c_str());
    return ERROR_CANTWRITE;
}

// The key and rights of `handle`: a predefined root or an open handle of the table.
bool Resolve(Registry &registry, HKEY handle, OpenKey *out)
{
    if (handle == HKEY_CLASSES_ROOT)
        *out = {registry.roots.classesRoot, KEY_ALL_ACCESS};
    else if (handle == HKEY_CURRENT_USER)
        *out = {registry.roots.currentUser, KEY_ALL_ACCESS};
    else if (handle == HKEY_LOCAL_MACHINE)
        *out = {registry.roots.localMachine, KEY_ALL_ACCESS};
    else {
        auto value = reinterpret_cast<ULONG_PTR>(handle);
        if (value == 0 || value > 0x7FFFFFFF)
            return false;
        auto found = registry.handles.find(static_cast<DWORD>(value));
        if (found == registry.handles.end())
            return false;
        *out = found->second;
    }
    return true;
}

// The key of `handle` with the rights `needed`, under the registry's lock, or the error.
class KeyAccess {
public:
    KeyAccess(HKEY handle, REGSAM needed) : registry_(State()), lock_(registry_.mutex)
    {
        StartLocked(registry_);
        if (!Resolve(registry_, handle, &open_))
            error_ = ERROR_INVALID_HANDLE;
        else if ((open_.access & needed) != needed)
            error_ = ERROR_ACCESS_DENIED;
        else if (open_.key->IsDeleted())
            error_ = ERROR_KEY_DELETED;
    }

    LONG Error() const { return error_; }
    RegistryKey &Key() const { return *open_.key; }
    const std::shared_ptr<RegistryKey> &KeyPointer() const { return open_.key; }
    REGSAM Access() const { return open_.access; }

    // A new handle of the table for `key`.
    HKEY Insert(std::shared_ptr<RegistryKey> key, REGSAM access)
    {
        while (registry_.handles.count(registry_.nextHandle))
            Advance();
        DWORD handle = registry_.nextHandle;
        registry_.handles.emplace(handle, OpenKey{std::move(key), access});
        Advance();
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(handle));
    }

    LONG Save() { return SaveLocked(registry_); }

private:
    void Advance()
    {
        if (++registry_.nextHandle > 0x7FFFFFFF)
            registry_.nextHandle = 1;
    }

    Registry &registry_;
    std::lock_guard<std::mutex> lock_;
    OpenKey open_;
    LONG error_ = ERROR_SUCCESS;
};

LONG OpenOrCreate(HKEY key, LPCSTR subKey, REGSAM desired, bool create, PHKEY result, LPDWORD disposition)
{
    std::vector<std::string_view> names;
    if (!qelwin::SplitRegistryPath(subKey, &names))
        return ERROR_INVALID_PARAMETER;
    KeyAccess access(key, 0);
    if (access.Error() != ERROR_SUCCESS)
        return access.Error();
    std::shared_ptr<RegistryKey> at = access.KeyPointer();
    size_t found = 0;
    for (; found < names.size(); ++found) {
        std::shared_ptr<RegistryKey> next = at->FindSubkey(names[found]);
        if (!next)
            break;
        at = std::move(next);
    }
    bool made = found < names.size();
    if (made) {
        if (!create)
            return ERROR_FILE_NOT_FOUND;
        if (!(access.Access() & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        if (at->Depth() + (names.size() - found) > qelwin::kMaxKeyDepth)
            return ERROR_INVALID_PARAMETER;
        for (; found < names.size(); ++found) {
            bool created = false;
            at = at->AddSubkey(names[found], &created);
        }
    }
    if (made) {
        LONG saved = access.Save();
        if (saved != ERROR_SUCCESS)
            return saved;
    }
    *result = access.Insert(std::move(at), desired);
    if (disposition)
        *disposition = made ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// Copies `size` bytes to a caller's buffer by Win32's rules for value data.
LONG HandOut(const std::vector<BYTE> &data, LPBYTE buffer, LPDWORD size)
{
    if (!size)
        return ERROR_SUCCESS;
    auto needed = static_cast<DWORD>(data.size());
    if (buffer) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed > 0)
            memcpy(buffer, data.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

// Copies a name to a caller's buffer of *size characters, the terminator included.
LONG HandOutName(const std::string &name, LPSTR buffer, LPDWORD size)
{
    if (name.size() >= *size)
        return ERROR_MORE_DATA;
    memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

std::string_view ValueName(LPCSTR name)
{
    return name ? std::string_view(name) : std::string_view();
}

} // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (options != 0)
        return ERROR_INVALID_PARAMETER;
    try {
        return OpenOrCreate(key, subKey, desired, false, result, nullptr);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR, DWORD options, REGSAM desired,
                     const LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (reserved != 0 || options != REG_OPTION_NON_VOLATILE)
        return ERROR_INVALID_PARAMETER;
    try {
        return OpenOrCreate(key, subKey, desired, true, result, disposition);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    Registry &registry = State();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto value = reinterpret_cast<ULONG_PTR>(key);
    if (value == 0 || value > 0x7FFFFFFF || registry.handles.erase(static_cast<DWORD>(value)) == 0)
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    std::vector<std::string_view> names;
    if (!subKey || !*subKey || !qelwin::SplitRegistryPath(subKey, &names))
        return ERROR_INVALID_PARAMETER;
    try {
        KeyAccess access(key, 0);
        if (access.Error() != ERROR_SUCCESS)
            return access.Error();
        RegistryKey *at = &access.Key();
        for (std::string_view name : names) {
            std::shared_ptr<RegistryKey> next = at->FindSubkey(name);
            if (!next)
                return ERROR_FILE_NOT_FOUND;
            at = next.get(); // the tree keeps it alive
        }
        if (at->SubkeyCount() > 0)
            return ERROR_ACCESS_DENIED;
        at->Parent()->RemoveSubkey(at);
        return access.Save();
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    try {
        KeyAccess access(key, KEY_SET_VALUE);
        if (access.Error() != ERROR_SUCCESS)
            return access.Error();
        if (!access.Key().RemoveValue(ValueName(valueName)))
            return ERROR_FILE_NOT_FOUND;
        return access.Save();
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    try {
        KeyAccess access(key, KEY_QUERY_VALUE);
        if (access.Error() != ERROR_SUCCESS)
            return access.Error();
        const RegistryValue *value = access.Key().FindValue(ValueName(valueName));
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = value->type;
        return HandOut(value->data, data, dataSize);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE *data, DWORD dataSize)
{
    std::string_view name = ValueName(valueName);
    if ((!data && dataSize > 0) || dataSize > qelwin::kMaxValueSize || name.size() > qelwin::kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    try {
        KeyAccess access(key, KEY_SET_VALUE);
        if (access.Error() != ERROR_SUCCESS)
            return access.Error();
        access.Key().SetValue(name, type, std::vector<BYTE>(data, data + dataSize));
        return access.Save();
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                   LPDWORD classSize, PFILETIME lastWriteTime)
{
    if (!name || !nameSize || reserved)
        return ERROR_INVALID_PARAMETER;
    KeyAccess access(key, KEY_ENUMERATE_SUB_KEYS);
    if (access.Error() != ERROR_SUCCESS)
        return access.Error();
    if (index >= access.Key().SubkeyCount())
        return ERROR_NO_MORE_ITEMS;
    LONG result = HandOutName(access.Key().SubkeyAt(index)->Name(), name, nameSize);
    if (result != ERROR_SUCCESS)
        return result;
    if (keyClass && classSize && *classSize > 0)
        keyClass[0] = 0;
    if (classSize)
        *classSize = 0;
    if (lastWriteTime)
        *lastWriteTime = {0, 0};
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize)
{
    if (!valueName || !valueNameSize || reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    KeyAccess access(key, KEY_QUERY_VALUE);
    if (access.Error() != ERROR_SUCCESS)
        return access.Error();
    if (index >= access.Key().ValueCount())
        return ERROR_NO_MORE_ITEMS;
    const RegistryValue &value = access.Key().ValueAt(index);
    // Nothing is handed out unless everything fits.
    if (value.name.size() >= *valueNameSize)
        return ERROR_MORE_DATA;
    if (data && *dataSize < value.data.size()) {
        *dataSize = static_cast<DWORD>(value.data.size());
        return ERROR_MORE_DATA;
    }
    HandOutName(value.name, valueName, valueNameSize);
    if (type)
        *type = value.type;
    return HandOut(value.data, data, dataSize);
}

LONG QelUseRegistryFile(LPCSTR path)
{
    Registry &registry = State();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.started = true;
    RegistryRoots empty;
    try {
        empty = RegistryRoots::MakeEmpty();
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    registry.handles.clear();
    // Marked, so that no key of the old tree that is still held anywhere looks alive.
    for (auto *root : {&registry.roots.classesRoot, &registry.roots.currentUser, &registry.roots.localMachine})
        (*root)->MarkDeleted();
    registry.roots = std::move(empty);
    if (!path) {
        registry.store = Store::Memory;
        registry.path.clear();
        registry.damaged = false;
        return ERROR_SUCCESS;
    }
    return LoadLocked(registry, path);
}
