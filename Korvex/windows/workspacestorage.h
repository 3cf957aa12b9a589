// What the workspace routines (workspacesettings.h) share: finding the storage of the
// master debugger, opening the levels below it, and reading values that may be damaged.
#pragma once

#include <win32extstorage.h>

#include <atlbase.h>

#include <vector>

namespace WorkspaceStorage {

// The storage that keeps the settings of `symbolServer`: its own when it is the master
// debugger, else the master's; *ownIsMaster tells which. FALSE without a master or its
// storage.
BOOL FindSettingsStorage(IUnknown *symbolServer, CComPtr<IStorage> &storage, BOOL *ownIsMaster);

// The sub-storage `name` of `parent`: opened read-only, or for writing, made when it is
// missing. A writer never replaces an element that exists but cannot be opened.
BOOL OpenLevel(IStorage *parent, LPCSTR name, BOOL write, Win32Ext::CStorage &level);

// The int value `key` of `storage`, `fallback` when it cannot be read.
DWORD ReadNumber(Win32Ext::CStorage &storage, LPCSTR key, DWORD fallback);

// The whole string value `key`; FALSE when it is missing, unreadable or longer than any
// path or description the system writes.
BOOL ReadText(Win32Ext::CStorage &storage, LPCSTR key, CString &text);

// "BinaryFiles" of `root` and its entry "BinaryFile<N>" for program `programId`: FALSE
// when N is below the id (N is 1 when absent), or a level cannot be had.
BOOL OpenProgramEntry(IStorage *root, DWORD programId, BOOL write, Win32Ext::CStorage &files,
                      Win32Ext::CStorage &entry);

// The names of the elements of `storage` that are `prefix` followed by a decimal number
// from 1 to `limit`, as "%d" writes it, as those numbers, ascending. The counts that a
// storage gives are not trusted: loops run over what is there.
std::vector<DWORD> NumberedElements(IStorage *storage, LPCSTR prefix, DWORD limit);

// Equal, blind to ASCII case; never for an empty text.
BOOL SameText(LPCSTR a, LPCSTR b);

} // namespace WorkspaceStorage
