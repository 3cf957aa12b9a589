// Handles of kernel objects: security attributes and CloseHandle.
#pragma once

#include "basetypes.h"

// Accepted where Win32 takes them; one process has no other security to apply, and no
// child inherits a handle of this layer.
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

// Closes a handle of any kernel object of this layer; FALSE with ERROR_INVALID_HANDLE for
// anything that is not a live handle (NULL, INVALID_HANDLE_VALUE, a handle already
// closed, any other pointer).
BOOL CloseHandle(HANDLE object);
