// Handles of in-process objects: 32-bit values that stand for an object of this process
// where an interface gives only 32 bits, which cannot hold a pointer.
//
// An object is registered with a kind tag and the two functions that count references
// on its owner (the context); the table holds one reference while the handle stands.
// Whoever gets a handle from outside resolves it against the kind it expects: a handle
// that was withdrawn, never given, or given for another kind resolves to nothing, so a
// stale or forged value is never taken for an object. A handle is never 0 or
// 0xFFFFFFFF, and is not given again while the table can find a fresh one.
#pragma once

#include "basetypes.h"

typedef void (*QEL_OBJECT_REFERENCE)(void *context);

// What a handle resolves to: the object and the owner whose reference the caller now
// holds; the caller gives it back with QelReleaseResolvedObject.
typedef struct _QEL_RESOLVED_OBJECT {
    void *object;
    void *context;
    QEL_OBJECT_REFERENCE release;
} QEL_RESOLVED_OBJECT;

// Registers `object` of `kind`; `addRef` is called at once on `context` for the table's
// own reference. 0 when no handle is free or an argument is NULL (nothing is counted).
DWORD QelRegisterObjectHandle(DWORD kind, void *object, void *context, QEL_OBJECT_REFERENCE addRef,
                              QEL_OBJECT_REFERENCE release);
// TRUE with `resolved` holding a reference of the caller's when `handle` stands for an
// object of `kind`; otherwise FALSE and `resolved` emptied.
BOOL QelResolveObjectHandle(DWORD handle, DWORD kind, QEL_RESOLVED_OBJECT *resolved);
// Gives back a reference that QelResolveObjectHandle handed out and empties `resolved`;
// nothing for an empty one.
void QelReleaseResolvedObject(QEL_RESOLVED_OBJECT *resolved);
// Withdraws the handle and drops the table's reference (after the table's lock is left,
// so the owner may go in that call). FALSE when it does not stand.
BOOL QelWithdrawObjectHandle(DWORD handle);
