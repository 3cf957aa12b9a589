// The site's side of an ActiveX control beyond embedding: the control tells its site of
// the focus and hands it keys that the control does not take.
#pragma once

#include "comdecl.h"
#include "dispatch.h"
#include "dragdrop.h"
#include "guiddef.h"
#include "unknwn.h"
#include "windows.h"

typedef struct tagPOINTF {
    FLOAT x;
    FLOAT y;
} POINTF;

// The ambient property by which a container tells its controls whether it runs (TRUE)
// or is being designed.
#define DISPID_AMBIENT_USERMODE (-709)

// Stock properties of a control: its back colour (VT_I4, an OLE_COLOR) and its font
// (VT_DISPATCH).
#define DISPID_BACKCOLOR (-501)
#define DISPID_FONT (-512)
typedef DWORD OLE_COLOR;

interface IOleControlSite : public IUnknown {
    STDMETHOD(OnControlInfoChanged)() PURE;                                                   // 3
    STDMETHOD(LockInPlaceActive)(BOOL fLock) PURE;                                            // 4
    STDMETHOD(GetExtendedControl)(IDispatch **ppDisp) PURE;                                   // 5
    STDMETHOD(TransformCoords)(POINTL *pPtlHimetric, POINTF *pPtfContainer, DWORD dwFlags) PURE; // 6
    // S_OK when the site took the key as its accelerator.
    STDMETHOD(TranslateAccelerator)(MSG *pMsg, DWORD grfModifiers) PURE;                      // 7
    STDMETHOD(OnFocus)(BOOL fGotFocus) PURE;                                                  // 8
    STDMETHOD(ShowPropertyFrame)() PURE;                                                      // 9
};
QEL_DEFINE_IID(IOleControlSite, 0xB196B289, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
