// Storages kept in files.
//
// The file holds the whole tree of a root storage in a format of this layer's own (see
// internal/stgformat.h): a versioned header with check sums, then the tree as
// length-checked records. Opening a file reads the whole tree into memory; the file is
// written whole, to a temporary file beside it that is then renamed over it, so that a
// crash leaves the old file or the new one, never a mixture.
//
// The storages work in direct mode: what a caller changes takes effect at once, in
// memory, and reaches the file when any storage of the file is committed, and when the
// root storage is released last with changes not yet written. Commit reports a failed
// write (and keeps the changes, so a later Commit can try again); a release cannot, so
// callers that must know commit first.
//
// The root is opened exclusively: while a root storage of a file is open in this process,
// opening or creating that file again gives STG_E_SHAREVIOLATION. (Other processes are
// not kept out.)
#pragma once

#include "comdecl.h"
#include "storage.h"

// A new root storage. `grfMode` is STGM_READWRITE | STGM_SHARE_EXCLUSIVE, with
// STGM_CREATE to replace an existing file (without it an existing file gives
// STG_E_FILEALREADYEXISTS). The file is written, empty, at once. A NULL `pwcsName` makes a
// root storage that lives in memory only and is gone when released (the platform makes a
// temporary file for it); its Stat name is empty. `reserved` must be 0.
//
// The name is taken as a path in the ANSI code page (as the system's paths are); a name
// with characters outside it gives STG_E_INVALIDNAME.
STDAPI StgCreateDocfile(const OLECHAR *pwcsName, DWORD grfMode, DWORD reserved, IStorage **ppstgOpen);

// Opens the root storage of a file, with STGM_READ or STGM_READWRITE and
// STGM_SHARE_EXCLUSIVE; a storage opened for reading never writes the file.
// `pstgPriority` and `snbExclude` must be NULL and `reserved` 0. The root's Stat name is
// the file's absolute path.
//
// STG_E_FILENOTFOUND when there is no file, STG_E_FILEALREADYEXISTS when the file holds
// no storage of this layer, STG_E_OLDDLL when a newer version of it wrote the file,
// STG_E_DOCFILECORRUPT when the file is damaged or cut short (nothing of it is then
// used), STG_E_DOCFILETOOLARGE beyond the size that a file may have (256 MiB).
STDAPI StgOpenStorage(const OLECHAR *pwcsName, IStorage *pstgPriority, DWORD grfMode, SNB snbExclude,
                      DWORD reserved, IStorage **ppstgOpen);
