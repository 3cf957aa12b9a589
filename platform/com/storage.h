// Structured storage: storages that hold streams and further storages, like a file
// system inside one file.
//
// Storages and streams live in memory. A storage made by StgCreateDocfile or opened by
// StgOpenStorage (stgfile.h) belongs to a file, which holds the whole tree; a stream made
// by CreateStreamOnHGlobal (hglobalstream.h) stands alone.
//
// Element names are UTF-16, at most 31 characters, and must not hold '/', '\', ':' or
// '!'; other names give STG_E_INVALIDNAME. Names compare blind to case (ASCII and the
// Latin letters that code page 1252 holds), as the platform's do, and keep the case they
// were made with. Elements enumerate in the platform's order: shorter names first, names
// of one length by their upper-case form.
//
// Access modes: every element is opened STGM_SHARE_EXCLUSIVE, with STGM_READ or
// STGM_READWRITE, and made with STGM_READWRITE, optionally with STGM_CREATE; any other
// mode gives STG_E_INVALIDFLAG. (Transacted mode, the other share modes and write-only
// access are not offered: nothing in the system asks for them.) Exclusive means what it
// says: opening an element that is open already gives STG_E_ACCESSDENIED, and so does
// renaming an open element. Destroying or replacing an open element, or releasing the
// storage that an element was opened from, reverts the element's object: every later
// call on it gives STG_E_REVERTED.
//
// Slots that nothing in the system calls answer E_NOTIMPL: IStorage's CopyTo,
// MoveElementTo, SetElementTimes, SetClass and SetStateBits, and IStream's CopyTo and
// Clone. IStream's LockRegion and UnlockRegion answer STG_E_INVALIDFUNCTION, as the
// platform's storage streams do, since they lock nothing. STATSTG times are zero and its
// class id GUID_NULL.
#pragma once

#include "comdecl.h"
#include "guiddef.h"
#include "stgerror.h"
#include "unknwn.h"

// Access, share and creation modes.
#define STGM_DIRECT 0x00000000L
#define STGM_READ 0x00000000L
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_FAILIFTHERE 0x00000000L
#define STGM_CREATE 0x00001000L

// Commit flags.
#define STGC_DEFAULT 0

// Element types, the `type` of a STATSTG.
typedef enum tagSTGTY {
    STGTY_STORAGE = 1,
    STGTY_STREAM = 2,
} STGTY;

// Stat flags: STATFLAG_NONAME leaves pwcsName NULL.
typedef enum tagSTATFLAG {
    STATFLAG_DEFAULT = 0,
    STATFLAG_NONAME = 1,
} STATFLAG;

// Seek origins.
typedef enum tagSTREAM_SEEK {
    STREAM_SEEK_SET = 0,
    STREAM_SEEK_CUR = 1,
    STREAM_SEEK_END = 2,
} STREAM_SEEK;

// What Stat and IEnumSTATSTG::Next report of an element. pwcsName is task memory
// (CoTaskMemAlloc) that the receiver frees.
typedef struct tagSTATSTG {
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
} STATSTG;

// A list of element names, ended by NULL (only named here, for signatures).
typedef OLECHAR **SNB;

interface ISequentialStream : public IUnknown {
    // Up to `cb` bytes from the seek position; fewer, and S_OK, at the end of the stream.
    STDMETHOD(Read)(void *pv, ULONG cb, ULONG *pcbRead) PURE;
    // Writes at the seek position, growing the stream (with zeros up to the position when
    // it stands past the end). All or nothing.
    STDMETHOD(Write)(const void *pv, ULONG cb, ULONG *pcbWritten) PURE;
};
QEL_DEFINE_IID(ISequentialStream, 0x0C733A30, 0x2A1C, 0x11CE, 0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D);

interface IStream : public ISequentialStream {
    // The position may stand past the end; before the start it gives
    // STG_E_INVALIDFUNCTION.
    STDMETHOD(Seek)(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER *plibNewPosition) PURE;
    STDMETHOD(SetSize)(ULARGE_INTEGER libNewSize) PURE;
    STDMETHOD(CopyTo)(IStream *pstm, ULARGE_INTEGER cb, ULARGE_INTEGER *pcbRead, ULARGE_INTEGER *pcbWritten) PURE;
    // A stream's writes take effect at once (direct mode): Commit and Revert do nothing.
    STDMETHOD(Commit)(DWORD grfCommitFlags) PURE;
    STDMETHOD(Revert)() PURE;
    STDMETHOD(LockRegion)(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) PURE;
    STDMETHOD(UnlockRegion)(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) PURE;
    STDMETHOD(Stat)(STATSTG *pstatstg, DWORD grfStatFlag) PURE;
    STDMETHOD(Clone)(IStream **ppstm) PURE;
};
typedef IStream *LPSTREAM;
QEL_DEFINE_IID(IStream, 0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// The elements of a storage as they stood when the enumerator was made.
interface IEnumSTATSTG : public IUnknown {
    // S_OK when `celt` elements came, S_FALSE when fewer; `pceltFetched` may be NULL only
    // when `celt` is 1.
    STDMETHOD(Next)(ULONG celt, STATSTG *rgelt, ULONG *pceltFetched) PURE;
    STDMETHOD(Skip)(ULONG celt) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumSTATSTG **ppenum) PURE;
};
QEL_DEFINE_IID(IEnumSTATSTG, 0x0000000D, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IStorage : public IUnknown {
    // An element of that name exists: STG_E_FILEALREADYEXISTS, or with STGM_CREATE the old
    // element (stream or storage) is destroyed first. The reserved values must be 0.
    STDMETHOD(CreateStream)(const OLECHAR *pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                            IStream **ppstm) PURE;
    // STG_E_FILENOTFOUND when there is no stream of that name. `reserved1` must be NULL.
    STDMETHOD(OpenStream)(const OLECHAR *pwcsName, void *reserved1, DWORD grfMode, DWORD reserved2,
                          IStream **ppstm) PURE;
    STDMETHOD(CreateStorage)(const OLECHAR *pwcsName, DWORD grfMode, DWORD reserved1, DWORD reserved2,
                             IStorage **ppstg) PURE;
    // `pstgPriority` and `snbExclude` must be NULL.
    STDMETHOD(OpenStorage)(const OLECHAR *pwcsName, IStorage *pstgPriority, DWORD grfMode, SNB snbExclude,
                           DWORD reserved, IStorage **ppstg) PURE;
    STDMETHOD(CopyTo)(DWORD ciidExclude, const IID *rgiidExclude, SNB snbExclude, IStorage *pstgDest) PURE;
    STDMETHOD(MoveElementTo)(const OLECHAR *pwcsName, IStorage *pstgDest, const OLECHAR *pwcsNewName,
                             DWORD grfFlags) PURE;
    // Storages work in direct mode: changes take effect at once. A storage that belongs
    // to a file writes the whole file on Commit (stgfile.h); others have nothing to do.
    STDMETHOD(Commit)(DWORD grfCommitFlags) PURE;
    // Direct mode keeps nothing to go back to: S_OK, nothing changes.
    STDMETHOD(Revert)() PURE;
    // The reserved values must be 0 and NULL.
    STDMETHOD(EnumElements)(DWORD reserved1, void *reserved2, DWORD reserved3, IEnumSTATSTG **ppenum) PURE;
    STDMETHOD(DestroyElement)(const OLECHAR *pwcsName) PURE;
    // STG_E_FILEALREADYEXISTS when another element has the new name; an element may take
    // its own name in another case.
    STDMETHOD(RenameElement)(const OLECHAR *pwcsOldName, const OLECHAR *pwcsNewName) PURE;
    STDMETHOD(SetElementTimes)(const OLECHAR *pwcsName, const FILETIME *pctime, const FILETIME *patime,
                               const FILETIME *pmtime) PURE;
    STDMETHOD(SetClass)(REFCLSID clsid) PURE;
    STDMETHOD(SetStateBits)(DWORD grfStateBits, DWORD grfMask) PURE;
    STDMETHOD(Stat)(STATSTG *pstatstg, DWORD grfStatFlag) PURE;
};
typedef IStorage *LPSTORAGE;
QEL_DEFINE_IID(IStorage, 0x0000000B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
