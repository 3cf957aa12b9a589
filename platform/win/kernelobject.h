// Kernel objects and the table of live handles (inside this layer only; not part of
// windows.h).
//
// A HANDLE is the address of a kernel object of this layer, but no handle that comes in
// is trusted: every function that takes one looks it up in the table of live handles
// first, so a closed, foreign or made-up handle fails with ERROR_INVALID_HANDLE instead
// of touching freed memory. The table holds a shared reference to each object; a
// function that works on an object holds one too while it runs, so that CloseHandle on
// another thread (as when a wait is still pending) never frees an object under it.
//
// Each kind of object (events now; files, file mappings and threads to come) derives from
// KernelObject and releases what it owns in its destructor; CloseHandle closes them all.
#pragma once

#include "basetypes.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace qelwin {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// An object that a thread can wait for (WaitForSingleObject).
class WaitableObject : public KernelObject {
public:
    // Waits at most `milliseconds` (INFINITE: for ever) for the object to be signalled,
    // and takes the signal where the kind consumes it. True when it was signalled.
    bool Wait(DWORD milliseconds);

protected:
    // Called with `lock_` held: whether the object is signalled, consuming the signal
    // where the kind of object does so (an auto-reset event).
    virtual bool TryAcquire() = 0;

    // The state that TryAcquire reads is changed under this lock, and `changed_` is
    // notified whenever it may have become signalled.
    std::mutex lock_;
    std::condition_variable changed_;
};

// Enters the object into the table; returns its handle.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The live object of `handle` whatever its kind, or null.
std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle);
void SetInvalidHandleError();

// The live object of `handle`, or null (with ERROR_INVALID_HANDLE set) when the handle
// is not one, or not of kind T.
template <typename T> std::shared_ptr<T> FindHandle(HANDLE handle)
{
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindKernelObject(handle));
    if (object == nullptr)
        SetInvalidHandleError();
    return object;
}

// Takes the handle out of the table; false (with ERROR_INVALID_HANDLE) when it was not
// live. The object goes when its last user lets go.
bool RemoveHandle(HANDLE handle);

} // namespace qelwin
