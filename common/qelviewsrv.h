// IQelViewSrv: the interface through which the host initialises a view server's control
// (the watch, the locals, the symbol explorer), asks its names and lets it store its
// settings and go. A dual interface: its methods stand from slot 7 on, behind IDispatch.
#pragma once

#include <ole2.h>

interface IQelViewSrv : public IDispatch {
    // The view server's name (part 1 of its text set).
    STDMETHOD(GetVersion)(BSTR *pbstrVersion) PURE;                                   // 7
    // The title, ":\n" and the control's last error text; S_FALSE without one.
    STDMETHOD(GetErrorInfo)(BSTR *pbstrError) PURE;                                   // 8
    // The host's debug-server object and the storage of this view's instance.
    STDMETHOD(Init)(IUnknown *pIUnkDbgSrv, IUnknown *pIUnkStg) PURE;                  // 9
    // Lets go of what Init gave, before the host releases the control.
    STDMETHOD(Cleanup)() PURE;                                                        // 10
    // The view server's title (part 0 of its text set).
    STDMETHOD(GetTitle)(BSTR *pbstrTitle) PURE;                                       // 11
    STDMETHOD(StoreSettings)() PURE;                                                  // 12
    // The debug-server object given to Init, with a reference for the caller.
    STDMETHOD(GetDbgServer)(IUnknown **ppIUnkDbgSrv) PURE;                            // 13
    // Help at the context; 0xFFFFFFFF names the control's own topic.
    STDMETHOD(HelpFunc)(UINT uiHelpContext) PURE;                                     // 14
};
QEL_DEFINE_IID(IQelViewSrv, 0x17A8F3B0, 0xF464, 0x11D1, 0x9B, 0xA6, 0x00, 0x60, 0x97, 0x80, 0x44, 0x45);
