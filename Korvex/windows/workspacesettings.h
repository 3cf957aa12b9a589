// The per-program settings that the symbol server keeps in the host's workspace: per
// loaded program file its path, the last filter of the program file dialog, whether to
// offer the program again when the workspace opens, its breakpoints (for the debug server
// and for a foreign one) and its source-file aliases.
//
// The routines take a symbol-server object and keep the settings in the storage of the
// master debugger's symbol server (its own, or the master's when it is a second server),
// under "BinaryFiles":
//   "Number" (int)       the entry in use N; written as 1 when absent
//   "Filter" (int)       filter index of the program file dialog
//   "AskForLoad" (int)   1: offer the stored program when the workspace opens
//   "BinaryFile<N>"      the entry: "FullPath" (string) and the storages
//                        "Breakpoints" / "CoBreakpoints": "Number", "Breakpoint<i>"
//                        "SourceAliases": "Number", "EntryInFile<i>", "FullPath<i>"
// A program id P reaches the entry only while N is at least P; the entry is always the
// one of N. Paths and names compare blind to ASCII case, as stored workspaces expect;
// an empty one never matches.
#pragma once

#include <variantarray.h>

enum : int {
    QEL_WSP_READ_PATH = 0,
    QEL_WSP_STORE_PATH = 1,
    QEL_WSP_READ_FILTER = 10,
    QEL_WSP_WRITE_FILTER = 11,
    QEL_WSP_READ_ASKFORLOAD = 12,
    QEL_WSP_WRITE_ASKFORLOAD = 13,
};

// By code, 1 on success and 0 otherwise:
// - read the path: `path` is emptied, then the entry's "FullPath" read when N is at
//   least `value`;
// - store the path: N (1 when absent) is written back and becomes `value`; an entry that
//   holds another path is made anew, empty, so its breakpoints and aliases go;
// - read and write "Filter" and "AskForLoad" through `value` (read default 1).
int ProgramSettings(int code, IUnknown *symbolServer, int &value, CString &path);

// Breakpoint kinds.
enum : int {
    QEL_WSP_BREAKPOINTS = 2,   // "Breakpoints", of the debug server
    QEL_WSP_COBREAKPOINTS = 3, // "CoBreakpoints", of the foreign debug server
};

// The breakpoints of program `in[0]` (VT_UI4), `in[1]` (VT_UI4 count C) names of the
// VT_ARRAY|VT_BSTR `in[2]`, which stays the caller's: "Breakpoints" in this server's
// storage, "CoBreakpoints" in the master's when the master is another server. The kind's
// storage is replaced; C of 0 clears it; a name equal to one before it is dropped.
// E_INVALIDARG for other inputs (fewer than C names among them), changing nothing; S_OK
// otherwise, also when the program has no entry.
HRESULT StoreBreakpoints(IUnknown *symbolServer, CVariantArray *in);

// Sends the stored breakpoints of `kind` of program `programId`, read from `settings`
// (the storage the handler was connected with), to `target` as command 3 of the host's
// breakpoint group with VT_UI4 8, VT_UI4 count and VT_ARRAY|VT_BSTR names. Nothing is
// sent when there are none or any of them cannot be read; TRUE when sent, with the
// command's result in *hr.
BOOL RestoreBreakpoints(IStorage *settings, int kind, IUnknown *target, DWORD programId, HRESULT *hr);

enum : int {
    QEL_WSP_FIND_ALIAS = 6,    // `path` of `entryName`
    QEL_WSP_STORE_ALIAS = 7,   // `path` for `entryName`; an empty path deletes the alias
    QEL_WSP_FIND_ENTRY = 8,    // `entryName` of `path`
};

// The source-file aliases of program `programId`, by code; 1 when found or stored.
// Deleted aliases and failed appends leave holes in the numbering, which the look-ups
// pass over.
int SourceAliases(int code, IUnknown *symbolServer, DWORD programId, CString &entryName, CString &path);
