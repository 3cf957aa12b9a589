#include "waits.h"

#include "kernelobject.h"

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    std::shared_ptr<qelwin::WaitableObject> object = qelwin::FindHandle<qelwin::WaitableObject>(handle);
    if (object == nullptr)
        return WAIT_FAILED;
    return object->Wait(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
