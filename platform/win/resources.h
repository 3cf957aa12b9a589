// Modules and their resources.
//
// On Windows a module's string table and resources (bitmaps, memory images, registry
// scripts, dialog layouts) are linked into the DLL or program by the resource compiler.
// ELF has no such place, so each module (a server library or a program) compiles its
// resources in as the tables below and registers them here when it starts; this layer
// answers it with its HINSTANCE, the module handle that Win32's resource functions take.
// The handle is the load address of the module (as it is on Windows), found with dladdr
// from any address inside the module, and the module's path is found the same way.
//
// A module handle that comes in is checked against the registered ones; NULL means the
// program, as on Windows, which must then have registered itself too.
#pragma once

#include "basetypes.h"

#include <cstddef>

struct QEL_STRING_ENTRY {
    UINT id;
    const char *text; // ANSI (code page 1252)
};

// type and name: MAKEINTRESOURCE ids or texts; texts compare blind to case, and "#123"
// means the id 123, as in Win32's resource functions.
struct QEL_RESOURCE_ENTRY {
    LPCSTR type;
    LPCSTR name;
    const void *data;
    DWORD size;
};

// The tables must live as long as the module (static data of the module itself).
struct QEL_MODULE_RESOURCES {
    const QEL_STRING_ENTRY *strings;
    size_t stringCount;
    const QEL_RESOURCE_ENTRY *resources;
    size_t resourceCount;
};

// Registers the module that holds `addressInModule` with its tables (NULL: none) and
// returns its handle; NULL (ERROR_INVALID_PARAMETER) when the address lies in no loaded
// module. Registering a registered module again with the same tables returns the same
// handle and needs one more QelUnregisterModule; with other tables it fails with NULL
// and ERROR_ALREADY_EXISTS, since one module has one set of resources.
HINSTANCE QelRegisterModule(const void *addressInModule, const QEL_MODULE_RESOURCES *resources);

// Drops one registration; the handle stays valid until the last is dropped. A handle that
// is not registered is ignored.
void QelUnregisterModule(HINSTANCE module);

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_VERSION MAKEINTRESOURCE(16)

// The string `id` of the module's string table, copied into `buffer` with at most
// `bufferMax` - 1 characters and always terminated; returns the count copied, 0 when the
// module has no such string (the buffer then holds "") or the arguments are unusable.
// The string table is its own table, not RT_STRING resources: FindResourceA does not
// see it.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

// The resource of the module, or NULL: ERROR_INVALID_HANDLE for an unregistered module,
// ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND when it has none such.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);

// The resource's data as an HGLOBAL (its address, as on Windows), NULL with
// ERROR_INVALID_HANDLE when `resource` is not a resource of the module. NULL for the
// module finds the resource in whichever registered module it belongs to (Windows would
// look only in the program).
HGLOBAL LoadResource(HMODULE module, HRSRC resource);

// The address of the data that LoadResource gave; NULL for anything else.
LPVOID LockResource(HGLOBAL data);

// 0 (ERROR_INVALID_HANDLE) when `resource` is not a resource of the module.
DWORD SizeofResource(HMODULE module, HRSRC resource);

// Resources are part of their module and are never freed; FALSE as on Windows.
BOOL FreeResource(HGLOBAL data);
