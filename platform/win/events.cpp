#include "events.h"

#include "kernelobject.h"
#include "lasterror.h"
#include "winerror.h"

namespace {

class Event : public qelwin::WaitableObject {
public:
    Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

    void Set()
    {
        std::lock_guard<std::mutex> hold(lock_);
        signalled_ = true;
        // Every waiter looks; for an auto-reset event the first to look takes the signal
        // and the others wait on.
        changed_.notify_all();
    }

    void Reset()
    {
        std::lock_guard<std::mutex> hold(lock_);
        signalled_ = false;
    }

private:
    bool TryAcquire() override
    {
        if (!signalled_)
            return false;
        if (!manualReset_)
            signalled_ = false;
        return true;
    }

    const bool manualReset_;
    bool signalled_;
};

} // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    HANDLE handle = qelwin::InsertHandle(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL SetEvent(HANDLE event)
{
    std::shared_ptr<Event> object = qelwin::FindHandle<Event>(event);
    if (object == nullptr)
        return FALSE;
    object->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    std::shared_ptr<Event> object = qelwin::FindHandle<Event>(event);
    if (object == nullptr)
        return FALSE;
    object->Reset();
    return TRUE;
}
