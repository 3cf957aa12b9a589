// The DDE management library: instances, string handles, services, conversations and
// execute transactions, reached as <ddeml.h> as on Windows.
//
// A conversation runs over a Unix-domain socket, whether the partner lives in this
// process or another. Each registered service listens on a socket in the DDE folder:
// QEL_DDE_DIR when it is set, else a folder of the user's own (mode 0700) under the
// temporary folder; a folder that is not the user's own, or that others may enter, is
// refused. DdeConnect tries every service of the name, blind to case, until one accepts.
//
// The callback of an instance runs on the thread that initialised it, from that thread's
// message loop (the instance has a hidden window there). A thread that waits in
// DdeConnect or DdeClientTransaction keeps handling its own messages, so a server on the
// same thread is answered. Registrations are not announced to other instances, so the
// CBF_SKIP_REGISTRATIONS and CBF_SKIP_UNREGISTRATIONS flags are always in effect; the MF_
// flags belong to monitors, which this layer does not have, and are accepted and ignored.
#pragma once

#include "basetypes.h"

QEL_DECLARE_HANDLE(HSZ);
QEL_DECLARE_HANDLE(HCONV);
QEL_DECLARE_HANDLE(HDDEDATA);

#define CP_WINANSI 1004

#define XTYPF_NOBLOCK 0x0002
#define XCLASS_BOOL 0x1000
#define XCLASS_DATA 0x2000
#define XCLASS_FLAGS 0x4000
#define XCLASS_NOTIFICATION 0x8000
#define XTYP_EXECUTE (0x0050 | XCLASS_FLAGS)
#define XTYP_CONNECT (0x0060 | XCLASS_BOOL | XTYPF_NOBLOCK)
#define XTYP_CONNECT_CONFIRM (0x0070 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK)
#define XTYP_DISCONNECT (0x00C0 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK)

#define DDE_FACK 0x8000
#define DDE_FBUSY 0x4000
#define DDE_FNOTPROCESSED 0x0000

#define CBF_FAIL_SELFCONNECTIONS 0x00001000
#define CBF_FAIL_CONNECTIONS 0x00002000
#define CBF_FAIL_ADVISES 0x00004000
#define CBF_FAIL_EXECUTES 0x00008000
#define CBF_FAIL_POKES 0x00010000
#define CBF_FAIL_REQUESTS 0x00020000
#define CBF_FAIL_ALLSVRXACTIONS 0x0003F000
#define CBF_SKIP_CONNECT_CONFIRMS 0x00040000
#define CBF_SKIP_REGISTRATIONS 0x00080000
#define CBF_SKIP_UNREGISTRATIONS 0x00100000
#define CBF_SKIP_DISCONNECTS 0x00200000
#define CBF_SKIP_ALLNOTIFICATIONS 0x003C0000
#define APPCMD_CLIENTONLY 0x00000010
#define MF_HSZ_INFO 0x01000000
#define MF_SENDMSGS 0x02000000
#define MF_POSTMSGS 0x04000000
#define MF_CALLBACKS 0x08000000
#define MF_ERRORS 0x10000000
#define MF_LINKS 0x20000000
#define MF_CONV 0x40000000

#define DNS_REGISTER 0x0001
#define DNS_UNREGISTER 0x0002
#define DNS_FILTERON 0x0004
#define DNS_FILTEROFF 0x0008

#define DMLERR_NO_ERROR 0
#define DMLERR_DLL_NOT_INITIALIZED 0x4003
#define DMLERR_DLL_USAGE 0x4004
#define DMLERR_EXECACKTIMEOUT 0x4005
#define DMLERR_INVALIDPARAMETER 0x4006
#define DMLERR_NOTPROCESSED 0x4009
#define DMLERR_NO_CONV_ESTABLISHED 0x400A
#define DMLERR_SERVER_DIED 0x400E
#define DMLERR_SYS_ERROR 0x400F

typedef struct _SECURITY_QUALITY_OF_SERVICE {
    DWORD Length;
    int ImpersonationLevel;
    BYTE ContextTrackingMode;
    BYTE EffectiveOnly;
} SECURITY_QUALITY_OF_SERVICE;

typedef struct tagCONVCONTEXT {
    UINT cb;
    UINT wFlags;
    UINT wCountryID;
    int iCodePage;
    DWORD dwLangID;
    DWORD dwSecurity;
    SECURITY_QUALITY_OF_SERVICE qos;
} CONVCONTEXT, *PCONVCONTEXT;

typedef HDDEDATA(CALLBACK *PFNCALLBACK)(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                        HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);

// `*instance` must be 0 (a new instance; its identifier comes back there). Flags other
// than APPCMD_CLIENTONLY, CBF_ and MF_ ones give DMLERR_INVALIDPARAMETER; a DDE folder
// that cannot be used gives DMLERR_SYS_ERROR.
UINT DdeInitializeA(LPDWORD instance, PFNCALLBACK callback, DWORD flags, DWORD reserved);
// Ends every conversation of the instance (each partner is told XTYP_DISCONNECT),
// unregisters its services and frees its string handles. From the thread that
// initialised it.
BOOL DdeUninitialize(DWORD instance);
// The instance's last error, which the call clears.
UINT DdeGetLastError(DWORD instance);

// String handles are shared by all instances of the process and compare blind to case,
// as atoms do: texts that differ only in case get the same handle, which keeps the text
// it was first made with. Each instance counts its own uses; at most 255 characters.
HSZ DdeCreateStringHandleA(DWORD instance, LPCSTR text, int codePage);
BOOL DdeFreeStringHandle(DWORD instance, HSZ string);
// 0 for the same text (blind to case), else -1 or 1 by handle.
int DdeCmpStringHandles(HSZ string1, HSZ string2);
// The text's length; copies at most `size` - 1 characters and a zero when `text` is given.
DWORD DdeQueryStringA(DWORD instance, HSZ string, LPSTR text, DWORD size, int codePage);

// DNS_REGISTER or DNS_UNREGISTER the service `service`; `reserved` must be NULL. Only
// registered services can be reached, so DNS_FILTERON is always in effect.
HDDEDATA DdeNameService(DWORD instance, HSZ service, HSZ reserved, UINT command);
HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT context);
// The partner is told XTYP_DISCONNECT; the handle is gone.
BOOL DdeDisconnect(HCONV conversation);
// XTYP_EXECUTE only: sends a copy of the data and waits at most `timeout` ms for the
// partner's answer. TRUE (as a data handle) when the partner answered DDE_FACK; 0 on
// time-out (DMLERR_EXECACKTIMEOUT), refusal (DMLERR_NOTPROCESSED) or a lost partner
// (DMLERR_NO_CONV_ESTABLISHED). `*result` gets the partner's flags.
HDDEDATA DdeClientTransaction(LPBYTE data, DWORD size, HCONV conversation, HSZ item, UINT format, UINT type,
                              DWORD timeout, LPDWORD result);
// Copies from `offset` at most `size` bytes of the data; with no destination, answers
// the data's size. A data handle lives while the callback that got it runs.
DWORD DdeGetData(HDDEDATA data, LPBYTE destination, DWORD size, DWORD offset);

inline UINT DdeInitialize(LPDWORD instance, PFNCALLBACK callback, DWORD flags, DWORD reserved)
{
    return DdeInitializeA(instance, callback, flags, reserved);
}
inline HSZ DdeCreateStringHandle(DWORD instance, LPCSTR text, int codePage)
{
    return DdeCreateStringHandleA(instance, text, codePage);
}
inline DWORD DdeQueryString(DWORD instance, HSZ string, LPSTR text, DWORD size, int codePage)
{
    return DdeQueryStringA(instance, string, text, size, codePage);
}
