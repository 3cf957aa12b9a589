#include "kernelobject.h"

#include "lasterror.h"
#include "winerror.h"

#include <chrono>
#include <unordered_map>

namespace qelwin {

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

// Never destroyed: a module's static destructors may still close handles while the
// process exits, after this library's own statics would have gone.
HandleTable &Table()
{
    static HandleTable *table = new HandleTable;
    return *table;
}

} // namespace

bool WaitableObject::Wait(DWORD milliseconds)
{
    std::unique_lock<std::mutex> hold(lock_);
    if (milliseconds == INFINITE) {
        changed_.wait(hold, [this] { return TryAcquire(); });
        return true;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return changed_.wait_until(hold, deadline, [this] { return TryAcquire(); });
}

HANDLE InsertHandle(std::shared_ptr<KernelObject> object)
{
    HANDLE handle = object.get();
    HandleTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    table.objects.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle)
{
    HandleTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.objects.find(handle);
    return found != table.objects.end() ? found->second : nullptr;
}

void SetInvalidHandleError()
{
    SetLastError(ERROR_INVALID_HANDLE);
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object;
    {
        HandleTable &table = Table();
        std::lock_guard<std::mutex> hold(table.lock);
        auto found = table.objects.find(handle);
        if (found == table.objects.end()) {
            SetInvalidHandleError();
            return false;
        }
        object = std::move(found->second);
        table.objects.erase(found);
    }
    // The object's destructor runs here, outside the table's lock, since closing a file
    // or a thread may take time or call back into this layer.
    return true;
}

} // namespace qelwin
