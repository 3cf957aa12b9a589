// IOleCommandTarget: commands sent to an object by command group and number, with their
// status and arguments.
//
// The arguments and results travel as single VARIANTs; how the system packs several into
// one is its own convention (common/variantarray.h).
#pragma once

#include "comdecl.h"
#include "guiddef.h"
#include "unknwn.h"
#include "variant.h"

// The state of a command, as QueryStatus reports it in OLECMD::cmdf.
enum OLECMDF {
    OLECMDF_SUPPORTED = 0x1,
    OLECMDF_ENABLED = 0x2,
    OLECMDF_LATCHED = 0x4, // checked
    OLECMDF_NINCHED = 0x8, // neither checked nor unchecked
};

typedef struct _tagOLECMD {
    ULONG cmdID;
    DWORD cmdf;
} OLECMD;

// What QueryStatus is asked to describe in OLECMDTEXT::cmdtextf.
enum OLECMDTEXTF {
    OLECMDTEXTF_NONE = 0,
    OLECMDTEXTF_NAME = 1,
    OLECMDTEXTF_STATUS = 2,
};

// A text for the first command of a QueryStatus, written by the object: `cwBuf` is the
// size of `rgwz` in characters (the caller allocates the structure that large), and
// `cwActual` the count the object wrote, with the terminating zero.
typedef struct _tagOLECMDTEXT {
    DWORD cmdtextf;
    ULONG cwActual;
    ULONG cwBuf;
    WCHAR rgwz[1];
} OLECMDTEXT;

enum OLECMDEXECOPT {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2,
    OLECMDEXECOPT_SHOWHELP = 3,
};

#define OLECMDERR_E_FIRST QEL_HR(0x80040100L)
#define OLECMDERR_E_NOTSUPPORTED QEL_HR(0x80040100L)
#define OLECMDERR_E_DISABLED QEL_HR(0x80040101L)
#define OLECMDERR_E_NOHELP QEL_HR(0x80040102L)
#define OLECMDERR_E_CANCELED QEL_HR(0x80040103L)
#define OLECMDERR_E_UNKNOWNGROUP QEL_HR(0x80040104L)

interface IOleCommandTarget : public IUnknown {
    // The state of each of `cCmds` commands of the group (NULL: the object's standard
    // group) into their `cmdf`; the text, when asked for, describes the first.
    STDMETHOD(QueryStatus)(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *pCmdText) PURE;
    // Runs the command. `pvaIn` (may be NULL) holds the argument, `pvaOut` (may be NULL)
    // receives the result.
    STDMETHOD(Exec)(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT *pvaIn, VARIANT *pvaOut) PURE;
};
QEL_DEFINE_IID(IOleCommandTarget, 0xB722BCCB, 0x4E68, 0x101B, 0xA2, 0xBC, 0x00, 0xAA, 0x00, 0x40, 0x47, 0x70);
