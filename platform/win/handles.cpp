#include "handles.h"

#include "kernelobject.h"

BOOL CloseHandle(HANDLE object)
{
    return qelwin::RemoveHandle(object) ? TRUE : FALSE;
}
