#include "filemapping.h"

#include "fileio.h"
#include "fileobject.h"
#include "lasterror.h"
#include "winerror.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileMappingObject : public qelwin::KernelObject {
public:
    FileMappingObject(std::shared_ptr<qelwin::FileObject> file, uint64_t size) : m_file(std::move(file)), m_size(size) {}

    int Descriptor() const { return m_file->Descriptor(); }
    uint64_t Size() const { return m_size; }

private:
    std::shared_ptr<qelwin::FileObject> m_file;
    uint64_t m_size;
};

struct ViewTable {
    std::mutex lock;
    std::map<const void *, size_t> views; // start -> length of its memory
    // The memory of the last view let go, kept for the next view of about its size: a
    // debugger that reloads its program maps the same file again, and fresh memory
    // costs the kernel a clearing of every page, which was most of a reload's time.
    void *kept = nullptr;
    size_t keptLength = 0;
};

ViewTable &Views()
{
    static ViewTable *table = new ViewTable; // never destroyed, as the handle table
    return *table;
}

// Views of more than this are let go at once rather than kept.
const size_t kMaxKeptView = size_t(256) << 20;

// Memory for a view of `length` bytes: the kept memory when it is at least as long and
// not an eighth longer, else fresh memory; writable, its length in `*memoryLength`.
void *ViewMemory(size_t length, size_t *memoryLength)
{
    ViewTable &table = Views();
    {
        std::lock_guard<std::mutex> hold(table.lock);
        if (table.kept != nullptr && table.keptLength >= length && table.keptLength - length <= length / 8) {
            void *memory = table.kept;
            *memoryLength = table.keptLength;
            table.kept = nullptr;
            table.keptLength = 0;
            if (mprotect(memory, *memoryLength, PROT_READ | PROT_WRITE) == 0)
                return memory;
            munmap(memory, *memoryLength);
        }
    }
    void *memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    // A program file of many megabytes would otherwise cost a page fault every 4 KiB as
    // it is read in; large pages are only a hint.
    madvise(memory, length, MADV_HUGEPAGE);
    *memoryLength = length;
    return memory;
}

// Reads `length` bytes from `offset` into `buffer`; false at a failure or a file that
// became shorter meanwhile.
bool ReadAt(int descriptor, char *buffer, size_t length, uint64_t offset)
{
    while (length > 0) {
        ssize_t got = pread(descriptor, buffer, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        length -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

} // namespace

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name)
{
    (void)attributes;
    if (name != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if ((protect & ~static_cast<DWORD>(SEC_COMMIT)) != PAGE_READONLY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<qelwin::FileObject> object = qelwin::FindHandle<qelwin::FileObject>(file);
    if (object == nullptr)
        return nullptr;
    if ((object->Access() & GENERIC_READ) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    struct stat status;
    if (fstat(object->Descriptor(), &status) != 0) {
        SetLastError(ERROR_READ_FAULT);
        return nullptr;
    }
    uint64_t fileSize = static_cast<uint64_t>(status.st_size);
    uint64_t size = (static_cast<uint64_t>(maximumSizeHigh) << 32) | maximumSizeLow;
    if (size == 0)
        size = fileSize;
    if (size == 0) {
        SetLastError(ERROR_FILE_INVALID);
        return nullptr;
    }
    if (size > fileSize) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return qelwin::InsertHandle(std::make_shared<FileMappingObject>(std::move(object), size));
}

LPVOID MapViewOfFile(HANDLE fileMapping, DWORD desiredAccess, DWORD fileOffsetHigh, DWORD fileOffsetLow,
                     SIZE_T bytesToMap)
{
    std::shared_ptr<FileMappingObject> mapping = qelwin::FindHandle<FileMappingObject>(fileMapping);
    if (mapping == nullptr)
        return nullptr;
    if (desiredAccess != FILE_MAP_READ) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    uint64_t offset = (static_cast<uint64_t>(fileOffsetHigh) << 32) | fileOffsetLow;
    if (offset % 65536 != 0 || offset >= mapping->Size() || bytesToMap > mapping->Size() - offset) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    size_t length = bytesToMap != 0 ? bytesToMap : static_cast<size_t>(mapping->Size() - offset);
    size_t memoryLength = 0;
    void *view = ViewMemory(length, &memoryLength);
    if (view == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Past the view's end, kept memory would still hold the bytes of the file it held.
    std::memset(static_cast<char *>(view) + length, 0, memoryLength - length);
    if (!ReadAt(mapping->Descriptor(), static_cast<char *>(view), length, offset) ||
        mprotect(view, memoryLength, PROT_READ) != 0) {
        munmap(view, memoryLength);
        SetLastError(ERROR_READ_FAULT);
        return nullptr;
    }
    ViewTable &table = Views();
    std::lock_guard<std::mutex> hold(table.lock);
    table.views.emplace(view, memoryLength);
    return view;
}

BOOL UnmapViewOfFile(LPCVOID baseAddress)
{
    size_t length = 0;
    {
        ViewTable &table = Views();
        std::lock_guard<std::mutex> hold(table.lock);
        auto found = table.views.find(baseAddress);
        if (found == table.views.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        length = found->second;
        table.views.erase(found);
        // The newest is kept, out of reach as a view let go should be: the next view is
        // most likely of the same file.
        if (length <= kMaxKeptView && mprotect(const_cast<void *>(baseAddress), length, PROT_NONE) == 0) {
            void *older = table.kept;
            size_t olderLength = table.keptLength;
            table.kept = const_cast<void *>(baseAddress);
            table.keptLength = length;
            if (older != nullptr)
                munmap(older, olderLength);
            return TRUE;
        }
    }
    munmap(const_cast<void *>(baseAddress), length);
    return TRUE;
}
