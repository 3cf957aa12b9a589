// IQelSymbolBrowser: Talvix's symbol browser, a modal dialog in which the user picks a
// label, a watch, an enumeration value or a special function register of the program
// that a debug-server object has loaded. Other servers make it by its class and drive it
// through this interface only.
#pragma once

#include <ole2.h>

typedef enum tagSYMBOLBROWSERMODE {
    CODE_LABEL = 0,
    DATA_LABEL = 1,
    WATCH_BROWSER = 100,
    ENUMERATION_LISTER = 101,
    SFR_LISTER = 102,
    ABORT = 1000,
} SYMBOLBROWSERMODE;

interface IQelSymbolBrowser : public IUnknown {
    // Slot 3: what to choose; ABORT ends an open dialog.
    STDMETHOD(Mode)(SYMBOLBROWSERMODE mode) PURE;
    // Slot 4: names and values that the dialog starts with, kept as given.
    STDMETHOD(InitialValues)(VARIANT names, VARIANT values) PURE;
    // Slot 5: the debug-server object whose program is browsed.
    STDMETHOD(put_DebugServer)(IUnknown *server) PURE;
    // Slot 6: the handle of the dialog's parent window.
    STDMETHOD(put_ParentWindow)(LONG window) PURE;
    // Slot 7: a message that posts each choice to the parent while the dialog stays open.
    STDMETHOD(put_MessageID)(LONG message) PURE;
    // Slot 8: the dialog's window handle while it is open; E_FAIL otherwise.
    STDMETHOD(get_DialogWindow)(LONG *window) PURE;
    // Slots 9 and 10: the chosen address and parameter; S_FALSE when the last DoModal
    // gave no choice.
    STDMETHOD(get_Address)(LONG *address) PURE;
    STDMETHOD(get_Parameter)(LONG *parameter) PURE;
    // Slot 11: the chosen label, a new BSTR.
    STDMETHOD(get_Label)(BSTR *label) PURE;
    // Slot 12: S_OK when the user chose, S_FALSE when the dialog closed without a choice,
    // E_FAIL when it could not run.
    STDMETHOD(DoModal)() PURE;
};
QEL_DEFINE_IID(IQelSymbolBrowser, 0x42232B52, 0x0281, 0x49FC, 0x81, 0xFE, 0x6B, 0xE6, 0xDE, 0x0D, 0xA1, 0x64);

// The class of Talvix's symbol browser (QelSymbolBrowser).
DEFINE_GUID(CLSID_QelSymbolBrowser, 0x7BE169D0, 0x4418, 0x4FFD, 0xBC, 0x71, 0xBF, 0x90, 0xB4, 0x13, 0xBC, 0xB4);
