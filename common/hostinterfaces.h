// Interfaces of the debugger host that the system knows only by identifier and by the
// slots of the methods it calls. Each is declared with a method in every slot up to the
// last one called, so that the slots stand where the host has them. The host's own names
// are not known; the names here say what a slot gives. A slot named SlotNN is one whose
// meaning the system has not needed yet: it takes nothing and is never called, and gets
// its true name and signature when a caller first needs it.
#pragma once

#include <ole2.h>

interface IQelTargetObject;

// The holder, offered by the host's debug-server object.
interface IQelHostHolder : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    // Slot 13: the object of the configuration profile (IQelCfgProfile2, qelcfgprofile.h).
    STDMETHOD(GetProfile)(IUnknown **ppProfile) PURE;
    // Slot 14: the GUI-server object that the host gives its servers (its frame).
    STDMETHOD(GetGuiServer)(IUnknown **ppGuiServer) PURE;
    STDMETHOD(Slot15)() PURE;
    // Slot 16: the object with the code and data window values (IQelWindowValues).
    STDMETHOD(GetWindowValues)(IUnknown **ppWindowValues) PURE;
    // Slot 17: the object that offers the error receiver (IQelErrorReceiver).
    STDMETHOD(GetErrorObject)(IUnknown **ppErrorObject) PURE;
    // Slot 18: not 0 when the user is to see no message boxes.
    STDMETHOD(GetNoMessageBoxes)(LONG *pFlag) PURE;
    STDMETHOD(Slot19)() PURE;
    // Slot 20: the window that owns the boxes the system shows; NULL when the host has none.
    STDMETHOD(GetOwnerWindow)(HWND *pWindow) PURE;
};
QEL_DEFINE_IID(IQelHostHolder, 0xFB6B1BC0, 0xE5AB, 0x11D1, 0x9B, 0x98, 0x00, 0x60, 0x97, 0x80, 0x44, 0x45);

// The message sink, offered by the host's debug-server object: it takes the trace lines
// of the diagnostics and says how much the host wants to hear.
interface IQelMessageSink : public IUnknown {
    // Slot 3: one trace line; kind 0 error, 1 warning, 2 information.
    STDMETHOD(TraceLine)(LONG kind, LPCOLESTR source, LPCOLESTR line) PURE;
    // Slot 4: registers the object that will send lines (what the host does with it is
    // the host's affair) and gives a cookie, not 0, for slot 5.
    STDMETHOD(Register)(IUnknown *registration, DWORD *pCookie) PURE;
    // Slot 5: ends the registration of the cookie.
    STDMETHOD(Unregister)(DWORD cookie) PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    // Slot 8: the diagnostics level that the host asks for.
    STDMETHOD(GetLevel)(DWORD *pLevel) PURE;
};
QEL_DEFINE_IID(IQelMessageSink, 0xA63F3F10, 0xFEDC, 0x11D2, 0x9C, 0xCB, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);

// The error receiver, offered by the object of the holder's slot 17: it takes the errors
// that the system reports to the user.
interface IQelErrorReceiver : public IUnknown {
    // Slot 3: one error; the receiver takes its own reference when it keeps it.
    STDMETHOD(ReportError)(IErrorInfo *pErrorInfo) PURE;
};
QEL_DEFINE_IID(IQelErrorReceiver, 0xB008C0F0, 0xB16C, 0x11D3, 0x9E, 0x1B, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);

// The host's message-box object, made by its ProgID "QEL.QelMsgBox".
interface IQelMsgBox : public IUnknown {
    // Slot 3: shows a message.
    STDMETHOD(ShowMessage)(BSTR text) PURE;
    // Slot 4: the title of the boxes that follow. (The host's slot 4 is not known; the
    // system gives its boxes a title, and the host stand-in takes it here.)
    STDMETHOD(SetTitle)(BSTR title) PURE;
    // Slot 5: shows a message box with a caption, which some boxes use for a second
    // text (NULL: none), and the style flags of a Win32 message box; gives the button
    // pressed.
    STDMETHOD(ShowMessageBox)(LONG owner, BSTR text, BSTR caption, LONG style, LONG *pAnswer) PURE;
};
QEL_DEFINE_IID(IQelMsgBox, 0x25050877, 0xC8D2, 0x11D3, 0x9E, 0x2B, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);

// The window-value interface.
interface IQelWindowValues : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    // Slot 4: a value by its property name ("CodeBaseAddr", "CodeEndAddr", "DataBaseAddr",
    // "DataEndAddr": the target's code and data windows); the second argument is 0. A
    // failure leaves *pValue alone.
    STDMETHOD(GetValue)(LPCOLESTR name, LONG reserved, DWORD *pValue) PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    // Slot 21: how a PCP debugger runs: 0 when it stands alone, any other answer when it
    // is bound to the main debugger of its controller.
    STDMETHOD(PcpBinding)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    // Slot 24: the object that leads to the controller information.
    STDMETHOD(GetTargetObject)(IQelTargetObject **ppTarget) PURE;
    // Slot 25: the name of the main debugger that a bound PCP debugger belongs to, for
    // IQelDebugServerNames; the caller frees it.
    STDMETHOD(GetMasterName)(BSTR *pbstrName) PURE;
};
QEL_DEFINE_IID(IQelWindowValues, 0x64D202C0, 0x2BFA, 0x11D4, 0x9E, 0xE8, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);

// The target-pattern download interface, offered by the host's debug-server object: it
// takes the memory image of a program for the target, block by block. What it does with
// the blocks is the host's affair.
interface IQelTargetPattern : public IUnknown {
    // Slot 3: one block of `length` bytes for the target address `start`; `kind` says
    // what memory it is for (0 code, 2 other contents, as the readers pass it). S_OK when
    // the host took it.
    STDMETHOD(DownloadBlock)(DWORD start, DWORD length, const BYTE *data, DWORD kind, DWORD programId) PURE;
    // Slot 4: announces a download of `blockCount` blocks of `byteCount` bytes in all.
    STDMETHOD(AnnounceDownload)(DWORD blockCount, DWORD byteCount, DWORD programId) PURE;
    STDMETHOD(Slot05)() PURE;
    // Slot 6: the code section that was sent under `id` is no longer defined.
    STDMETHOD(ForgetCodeSection)(LONG id) PURE;
    // Slot 7: the symbol engine has stopped and let go of the program it had loaded.
    STDMETHOD(EngineStopped)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    // Slot 11: registers `window` (with `reg` non-zero; 0 lets it go) for the progress of
    // downloads: the host posts `message` with a code in wParam and a value in lParam
    // (code 1: the bytes taken so far).
    STDMETHOD(RegisterProgressWindow)(UINT message, LONG reg, LONG window) PURE;
    STDMETHOD(Slot12)() PURE;
    // Slot 13: the source `which` of a download that goes on beside this one (1: the
    // second), in *source with the caller's reference; S_FALSE and NULL for none.
    STDMETHOD(GetDownloadSource)(LONG which, IUnknown **source) PURE;
    // Slot 14: the bytes announced for the download in progress; 0 when none is.
    STDMETHOD(GetDownloadTotal)(DWORD *total) PURE;
    // Slot 15: the start address of the code sent under `id` (a program's or a code
    // section's). The engine passes the address twice and 0 last; what the host makes of
    // the second and the last is its own affair.
    STDMETHOD(AnnounceStartAddress)(LONG id, DWORD address, DWORD address2, DWORD reserved) PURE;
};
QEL_DEFINE_IID(IQelTargetPattern, 0x206A84C1, 0xE116, 0x11D1, 0xB2, 0x6D, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// The extended memory interface, which some hosts' debug-server objects offer: where it
// is offered, the readers write a program's blocks through it in place of slot 3 of the
// target-pattern interface.
interface IQelExtendedMemory : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    STDMETHOD(Slot21)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    STDMETHOD(Slot24)() PURE;
    STDMETHOD(Slot25)() PURE;
    STDMETHOD(Slot26)() PURE;
    STDMETHOD(Slot27)() PURE;
    // Slot 28: one block of `length` bytes, as slot 3 of IQelTargetPattern takes it, with
    // the address where it is loaded (`target`) beside the one the program gives it
    // (`start`, -1 for a block of the PCP); `memoryType` as slot 3's kind.
    STDMETHOD(WriteMemory)(DWORD start, DWORD target, DWORD length, const BYTE *data, DWORD memoryType,
                           DWORD programId) PURE;
};
QEL_DEFINE_IID(IQelExtendedMemory, 0x70D5A294, 0x25A6, 0x48E1, 0xA1, 0x54, 0x6E, 0x1A, 0x48, 0xE8, 0x11, 0x82);

// The object that slot 24 of IQelWindowValues gives. The system calls it directly, never
// asks it for an interface, so it has no identifier here.
interface IQelTargetObject : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    STDMETHOD(Slot21)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    STDMETHOD(Slot24)() PURE;
    STDMETHOD(Slot25)() PURE;
    STDMETHOD(Slot26)() PURE;
    // Slot 27: the object that offers IQelControllerInfo.
    STDMETHOD(GetControllerObject)(IUnknown **ppController) PURE;
};

// The target-access object, which command 202 of the host's command group gives: the
// target's registers, where it stands, and its pointers as linear addresses. Most callers
// call it directly; the add-on asks for it by identifier.
interface IQelTargetAccess : public IUnknown {
    // Slot 3: the host's id of a register by its name; E_INVALIDARG for a name the target
    // does not have.
    STDMETHOD(GetRegisterId)(BSTR name, LONG *pId) PURE;
    // Slots 4 and 5: a register by id; E_INVALIDARG for an id the target does not have.
    STDMETHOD(ReadRegister)(LONG id, ULONG *pValue) PURE;
    STDMETHOD(WriteRegister)(LONG id, ULONG *pValue) PURE;
    // Slot 6: the address where the target stands now; E_FAIL while it stands nowhere.
    STDMETHOD(GetCurrentAddress)(ULONG *pAddress) PURE;
    STDMETHOD(Slot07)() PURE;
    // Slot 8: the linear address of a pointer of that kind (0-4) from its high and low
    // parts; E_INVALIDARG for another kind.
    STDMETHOD(PointerToLinear)(LONG kind, ULONG high, ULONG low, ULONG *pLinear) PURE;
};
QEL_DEFINE_IID(IQelTargetAccess, 0x4A1D3DD2, 0xCDDD, 0x11D1, 0xB2, 0x66, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// The target-memory interface of the host's debug-server object: the debugger's own view
// of the target's memory. `space` says which memory (the system passes 3); S_OK when
// every byte was read or written, E_FAIL otherwise.
interface IQelTargetMemory : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    STDMETHOD(Slot21)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    STDMETHOD(Slot24)() PURE;
    STDMETHOD(Slot25)() PURE;
    STDMETHOD(Slot26)() PURE;
    STDMETHOD(Slot27)() PURE;
    STDMETHOD(Slot28)() PURE;
    STDMETHOD(Slot29)() PURE;
    STDMETHOD(Slot30)() PURE;
    STDMETHOD(Slot31)() PURE;
    // Slot 32: writes `count` bytes of `buffer` at `address`.
    STDMETHOD(WriteBlock)(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD flags) PURE;
    // Slot 33: reads `count` bytes at `address` into `buffer`.
    STDMETHOD(ReadBlock)(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD flags) PURE;
};
QEL_DEFINE_IID(IQelTargetMemory, 0x4F31DD60, 0xF576, 0x11D2, 0xB0, 0xCD, 0x00, 0x00, 0xB4, 0x5B, 0x10, 0xB3);

// The complex-memory interface, offered by the inner object of a communication object:
// the target's memory as the communication variable objects reach it. 0 for success.
interface IQelComplexMemory : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    STDMETHOD(Slot21)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    // Slot 24: the object that uses this one (it owns it, through its inner object).
    STDMETHOD(SetUser)(IUnknown *user) PURE;
    STDMETHOD(Slot25)() PURE;
    STDMETHOD(Slot26)() PURE;
    STDMETHOD(Slot27)() PURE;
    // Slot 28: writes `size` bytes of `buffer` at `address`.
    STDMETHOD(WriteMemory)(DWORD address, DWORD size, BYTE *buffer) PURE;
    // Slot 29: reads `size` bytes at `address` into `buffer`.
    STDMETHOD(ReadMemory)(DWORD address, DWORD size, BYTE *buffer) PURE;
};
QEL_DEFINE_IID(IQelComplexMemory, 0x359804E1, 0xF9DA, 0x11D1, 0xB2, 0x92, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// Offered by the host's configuration profile object: the host's debug-server objects by
// the names that slot 25 of IQelWindowValues gives.
interface IQelDebugServerNames : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    // Slot 8: the debug-server object of that name, with a reference for the caller.
    STDMETHOD(GetDebugServer)(BSTR name, IUnknown **ppDebugServer) PURE;
};
QEL_DEFINE_IID(IQelDebugServerNames, 0x6E4C170E, 0x308A, 0x11D4, 0x96, 0x13, 0x00, 0x50, 0x04, 0xF6, 0xC0, 0x39);

interface IQelStorageElements;

// The host's storage handler, made by its ProgID "QEL.QELStorageHandler": it gives the
// object through which the host reads a project storage.
interface IQelStorageHandler : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    // Slot 8: the object of `storage` (the two arguments between are 0), with a reference
    // for the caller.
    STDMETHOD(GetStorageElements)(IStorage *storage, LONG reserved1, LONG reserved2,
                                  IQelStorageElements **ppElements) PURE;
};
QEL_DEFINE_IID(IQelStorageHandler, 0x8797B440, 0xEFAC, 0x11D4, 0xB4, 0x47, 0x94, 0x5F, 0xB7, 0x03, 0xD5, 0x6A);

// A project storage as the storage handler gives it (or as a storage object of the host
// offers it itself).
interface IQelStorageElements : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    // Slot 9: the number of the storage's elements.
    STDMETHOD(GetCount)(LONG *pCount) PURE;
    // Slot 10: the storage's name; the caller frees it.
    STDMETHOD(GetName)(BSTR *pbstrName) PURE;
};
QEL_DEFINE_IID(IQelStorageElements, 0xFA8E5200, 0xEFAB, 0x11D4, 0xB4, 0x47, 0x94, 0x5F, 0xB7, 0x03, 0xD5, 0x6A);

// An enumerator of the host over the names of a storage's elements. Its identifier is not
// known: the system is handed one and never asks for it.
interface IQelStorageEnum : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    // Slot 8: the name of the element at `position` (0 the first); S_FALSE, and no name,
    // past the last. The caller frees the name.
    STDMETHOD(GetName)(LONG position, BSTR *pbstrName) PURE;
};

// The services of the host's debug-server object behind the watch and locals windows:
// refreshing variable objects, the target's state, the windows told at a stop, the value
// notices of a communication object, the periodic refresh queue and the target's memory
// access. The host's identifiers of these are not known, so the interfaces below carry
// identifiers of this stand-in's own, all but the value notices, whose identifier the
// communication object answers.

// The variable-update service: the host refreshes a variable object (IQelUniCommStub)
// and tells its tree.
interface IQelVariableUpdate : public IUnknown {
    // Slot 3: reads (`write` 0) or writes (1) the object's values, then posts the
    // object's value notice; `deferred` is 1 for an update that waited for a stop.
    STDMETHOD(Update)(IUnknown *object, LONG deferred, LONG write) PURE;
    // Slot 4: the object is gone from its tree; nothing more is done for it.
    STDMETHOD(Withdraw)(IUnknown *object) PURE;
};
QEL_DEFINE_IID(IQelVariableUpdate, 0x58F0F11D, 0x4E1F, 0x47D3, 0xA6, 0xE1, 0x4F, 0x71, 0x0D, 0x32, 0x7C, 0xA1);

// Target states as this interface answers them.
enum : ULONG { QEL_TARGET_NONE = 1, QEL_TARGET_STOPPED = 2, QEL_TARGET_RUNNING = 3 };

interface IQelTargetState : public IUnknown {
    // Slot 3: 1 no target, 2 stopped, 3 running.
    STDMETHOD(GetTargetState)(ULONG *pState) PURE;
};
QEL_DEFINE_IID(IQelTargetState, 0x84E38159, 0x67A6, 0x40AF, 0xA0, 0x03, 0xA4, 0x3B, 0xCA, 0x94, 0x1E, 0x7F);

// The windows that the host tells, by posting their message, when values must be
// refreshed (at every stop of the target).
interface IQelRefreshWindows : public IUnknown {
    // Slot 3: registers `window` with `message`; a second call for it replaces the message.
    STDMETHOD(Register)(LONG window, UINT message) PURE;
    // Slot 4: lets the window go; S_FALSE when it was not registered.
    STDMETHOD(Unregister)(LONG window) PURE;
};
QEL_DEFINE_IID(IQelRefreshWindows, 0xECBA1336, 0x428A, 0x4DEE, 0x86, 0xEC, 0x7F, 0x70, 0x24, 0x82, 0xFA, 0xF6);

// The value notices of a communication object, which its variable object passes on to its
// inner object: after each update the host posts `message` to `window`, with the variable
// object's identity (its IUnknown) as lParam.
interface IQelValueNotices : public IUnknown {
    // Slot 3: window 0 stops the notices.
    STDMETHOD(SetNotifyWindow)(LONG window, UINT message) PURE;
};
QEL_DEFINE_IID(IQelValueNotices, 0xA139F070, 0xC583, 0x42AD, 0xB8, 0xFE, 0x6E, 0x3E, 0x6A, 0x11, 0x6C, 0x62);

// Period modes of the refresh queue: the running period is used while the target runs,
// the holded one while it is stopped.
enum : LONG { QEL_PERIOD_HOLDED = 2, QEL_PERIOD_RUNNING = 3 };

// The refresh queue: counted entries, each with two periods in ms (0: off), that refresh
// the variable objects attached to them. An entry handle is a number, never 0.
interface IQelRefreshQueue : public IUnknown {
    // Slot 3: a new entry of the kind (kind, subKind), with one reference for the caller.
    STDMETHOD(CreateEntry)(LONG kind, LONG subKind, LONG *pEntry) PURE;
    // Slot 4: the first entry of that kind after `after` (0: from the start), with a
    // reference for the caller; S_FALSE and 0 past the last.
    STDMETHOD(NextEntry)(LONG kind, LONG subKind, LONG after, LONG *pEntry) PURE;
    // Slots 5 and 6: an entry's period for a mode; E_INVALIDARG for an unknown entry or mode.
    STDMETHOD(GetPeriod)(LONG entry, LONG mode, LONG *pPeriod) PURE;
    STDMETHOD(SetPeriod)(LONG entry, LONG mode, LONG period) PURE;
    // Slots 7 and 8: the entry's references; the last release detaches its objects and
    // ends it.
    STDMETHOD(AddRefEntry)(LONG entry) PURE;
    STDMETHOD(ReleaseEntry)(LONG entry) PURE;
    // Slots 9 and 10: the object is refreshed with the entry's periods; the entry holds it
    // while it is attached.
    STDMETHOD(Attach)(LONG entry, IUnknown *object, LONG parameter) PURE;
    STDMETHOD(Detach)(LONG entry, IUnknown *object) PURE;
};
QEL_DEFINE_IID(IQelRefreshQueue, 0x1BF34A0F, 0xD5D2, 0x473A, 0x86, 0xA4, 0x86, 0xF8, 0xD6, 0xCB, 0x90, 0x2D);

interface IQelRefreshQueueState : public IUnknown {
    // Slot 3: TRUE when the refresh queue can be used.
    STDMETHOD(IsQueueAvailable)(BOOL *pAvailable) PURE;
};
QEL_DEFINE_IID(IQelRefreshQueueState, 0xB8154C9A, 0xF3C1, 0x4CC3, 0x85, 0xA5, 0xC7, 0x61, 0xD1, 0xDD, 0xE3, 0xEB);

// The target's memory-access object, which the interface below gives. The system calls it
// directly, never asks it for an interface, so it has no identifier.
interface IQelMemoryAccessObject : public IUnknown {
    // Slot 3: a capability of the target: `kind` 1 asks for property `id` (289 memory is
    // read fast while the target runs, 278 it is read at all while it runs); E_INVALIDARG
    // for another kind or property.
    STDMETHOD(GetProperty)(LONG kind, LONG id, LONG *pValue) PURE;
};

interface IQelMemoryAccess : public IUnknown {
    // Slot 3: the memory-access object, with a reference for the caller.
    STDMETHOD(GetMemoryAccess)(IQelMemoryAccessObject **ppAccess) PURE;
};
QEL_DEFINE_IID(IQelMemoryAccess, 0x44F73FD4, 0x6F57, 0x483C, 0xB9, 0x4B, 0x32, 0x48, 0x11, 0x64, 0x4B, 0x90);
