// The interfaces of embedding: a container's site that holds an object, and an object that
// is activated in place inside the site's window, as a host holds an ActiveX control.
//
// Only what the host and the controls of the system call is given a meaning by them; the
// interfaces carry every method in its documented slot, so an object written for them
// answers every caller.
#pragma once

#include "comdecl.h"
#include "dragdrop.h"
#include "guiddef.h"
#include "unknwn.h"
#include "windows.h"

interface IMoniker;
interface IOleContainer;
interface IEnumOLEVERB;
interface IAdviseSink;
interface IEnumSTATDATA;
struct tagLOGPALETTE;
typedef struct tagLOGPALETTE LOGPALETTE;

typedef SIZE SIZEL, *LPSIZEL;
typedef HANDLE HOLEMENU;
typedef RECT BORDERWIDTHS;
typedef RECT *LPBORDERWIDTHS;
typedef const RECT *LPCBORDERWIDTHS;

typedef struct tagOleMenuGroupWidths {
    LONG width[6];
} OLEMENUGROUPWIDTHS, *LPOLEMENUGROUPWIDTHS;

// What a site tells its object of the frame it stands in. `cb` is the caller's size of
// the structure: sizeof(OLEINPLACEFRAMEINFO) here.
typedef struct tagOIFI {
    UINT cb;
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
} OLEINPLACEFRAMEINFO, *LPOLEINPLACEFRAMEINFO;

// The verbs of IOleObject::DoVerb that are no entries of the object's own menu.
#define OLEIVERB_PRIMARY (0L)
#define OLEIVERB_SHOW (-1L)
#define OLEIVERB_OPEN (-2L)
#define OLEIVERB_HIDE (-3L)
#define OLEIVERB_UIACTIVATE (-4L)
#define OLEIVERB_INPLACEACTIVATE (-5L)
#define OLEIVERB_DISCARDUNDOSTATE (-6L)

// How IOleObject::Close treats unsaved changes.
#define OLECLOSE_SAVEIFDIRTY 0
#define OLECLOSE_NOSAVE 1
#define OLECLOSE_PROMPTSAVE 2

#define OLE_E_NOT_INPLACEACTIVE QEL_HR(0x80040010L)
#define OLEOBJ_E_INVALIDVERB QEL_HR(0x80040181L)

interface IOleClientSite : public IUnknown {
    STDMETHOD(SaveObject)() PURE;                                                             // 3
    STDMETHOD(GetMoniker)(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker **ppmk) PURE;        // 4
    STDMETHOD(GetContainer)(IOleContainer **ppContainer) PURE;                                // 5
    STDMETHOD(ShowObject)() PURE;                                                             // 6
    STDMETHOD(OnShowWindow)(BOOL fShow) PURE;                                                 // 7
    STDMETHOD(RequestNewObjectLayout)() PURE;                                                 // 8
};
QEL_DEFINE_IID(IOleClientSite, 0x00000118, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleObject : public IUnknown {
    STDMETHOD(SetClientSite)(IOleClientSite *pClientSite) PURE;                               // 3
    STDMETHOD(GetClientSite)(IOleClientSite **ppClientSite) PURE;                             // 4
    STDMETHOD(SetHostNames)(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) PURE;         // 5
    STDMETHOD(Close)(DWORD dwSaveOption) PURE;                                                // 6
    STDMETHOD(SetMoniker)(DWORD dwWhichMoniker, IMoniker *pmk) PURE;                          // 7
    STDMETHOD(GetMoniker)(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker **ppmk) PURE;        // 8
    STDMETHOD(InitFromData)(IDataObject *pDataObject, BOOL fCreation, DWORD dwReserved) PURE; // 9
    STDMETHOD(GetClipboardData)(DWORD dwReserved, IDataObject **ppDataObject) PURE;           // 10
    STDMETHOD(DoVerb)(LONG iVerb, LPMSG lpmsg, IOleClientSite *pActiveSite, LONG lindex, HWND hwndParent,
                      LPCRECT lprcPosRect) PURE;                                              // 11
    STDMETHOD(EnumVerbs)(IEnumOLEVERB **ppEnumOleVerb) PURE;                                  // 12
    STDMETHOD(Update)() PURE;                                                                 // 13
    STDMETHOD(IsUpToDate)() PURE;                                                             // 14
    STDMETHOD(GetUserClassID)(CLSID *pClsid) PURE;                                            // 15
    STDMETHOD(GetUserType)(DWORD dwFormOfType, LPOLESTR *pszUserType) PURE;                   // 16
    STDMETHOD(SetExtent)(DWORD dwDrawAspect, SIZEL *psizel) PURE;                             // 17
    STDMETHOD(GetExtent)(DWORD dwDrawAspect, SIZEL *psizel) PURE;                             // 18
    STDMETHOD(Advise)(IAdviseSink *pAdvSink, DWORD *pdwConnection) PURE;                      // 19
    STDMETHOD(Unadvise)(DWORD dwConnection) PURE;                                             // 20
    STDMETHOD(EnumAdvise)(IEnumSTATDATA **ppenumAdvise) PURE;                                 // 21
    STDMETHOD(GetMiscStatus)(DWORD dwAspect, DWORD *pdwStatus) PURE;                          // 22
    STDMETHOD(SetColorScheme)(LOGPALETTE *pLogpal) PURE;                                      // 23
};
QEL_DEFINE_IID(IOleObject, 0x00000112, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleWindow : public IUnknown {
    STDMETHOD(GetWindow)(HWND *phwnd) PURE;                                                   // 3
    STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode) PURE;                                    // 4
};
QEL_DEFINE_IID(IOleWindow, 0x00000114, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleInPlaceObject : public IOleWindow {
    STDMETHOD(InPlaceDeactivate)() PURE;                                                      // 5
    STDMETHOD(UIDeactivate)() PURE;                                                           // 6
    STDMETHOD(SetObjectRects)(LPCRECT lprcPosRect, LPCRECT lprcClipRect) PURE;                // 7
    STDMETHOD(ReactivateAndUndo)() PURE;                                                      // 8
};
QEL_DEFINE_IID(IOleInPlaceObject, 0x00000113, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleInPlaceUIWindow;

interface IOleInPlaceActiveObject : public IOleWindow {
    // S_OK when the object took the message as its accelerator, S_FALSE to leave it to
    // the container.
    STDMETHOD(TranslateAccelerator)(LPMSG lpmsg) PURE;                                        // 5
    STDMETHOD(OnFrameWindowActivate)(BOOL fActivate) PURE;                                    // 6
    STDMETHOD(OnDocWindowActivate)(BOOL fActivate) PURE;                                      // 7
    STDMETHOD(ResizeBorder)(LPCRECT prcBorder, IOleInPlaceUIWindow *pUIWindow, BOOL fFrameWindow) PURE; // 8
    STDMETHOD(EnableModeless)(BOOL fEnable) PURE;                                             // 9
};
QEL_DEFINE_IID(IOleInPlaceActiveObject, 0x00000117, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleInPlaceUIWindow : public IOleWindow {
    STDMETHOD(GetBorder)(LPRECT lprectBorder) PURE;                                           // 5
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS pborderwidths) PURE;                        // 6
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS pborderwidths) PURE;                            // 7
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject *pActiveObject, LPCOLESTR pszObjName) PURE; // 8
};
QEL_DEFINE_IID(IOleInPlaceUIWindow, 0x00000115, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleInPlaceFrame : public IOleInPlaceUIWindow {
    STDMETHOD(InsertMenus)(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) PURE;       // 9
    STDMETHOD(SetMenu)(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) PURE;     // 10
    STDMETHOD(RemoveMenus)(HMENU hmenuShared) PURE;                                           // 11
    STDMETHOD(SetStatusText)(LPCOLESTR pszStatusText) PURE;                                   // 12
    STDMETHOD(EnableModeless)(BOOL fEnable) PURE;                                             // 13
    STDMETHOD(TranslateAccelerator)(LPMSG lpmsg, WORD wID) PURE;                              // 14
};
QEL_DEFINE_IID(IOleInPlaceFrame, 0x00000116, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IOleInPlaceSite : public IOleWindow {
    // S_OK when the object may activate in place here.
    STDMETHOD(CanInPlaceActivate)() PURE;                                                     // 5
    STDMETHOD(OnInPlaceActivate)() PURE;                                                      // 6
    STDMETHOD(OnUIActivate)() PURE;                                                           // 7
    // The frame and document window (each with a reference, or null), the object's
    // position and clip rectangle in the site's window, and the frame's information.
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc, LPRECT lprcPosRect,
                                LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) PURE; // 8
    STDMETHOD(Scroll)(SIZE scrollExtant) PURE;                                                // 9
    STDMETHOD(OnUIDeactivate)(BOOL fUndoable) PURE;                                           // 10
    STDMETHOD(OnInPlaceDeactivate)() PURE;                                                    // 11
    STDMETHOD(DiscardUndoState)() PURE;                                                       // 12
    STDMETHOD(DeactivateAndUndo)() PURE;                                                      // 13
    STDMETHOD(OnPosRectChange)(LPCRECT lprcPosRect) PURE;                                     // 14
};
QEL_DEFINE_IID(IOleInPlaceSite, 0x00000119, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IPersist : public IUnknown {
    STDMETHOD(GetClassID)(CLSID *pClassID) PURE;                                              // 3
};
QEL_DEFINE_IID(IPersist, 0x0000010C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IPersistFile : public IPersist {
    // S_OK when the object changed since it was last saved, else S_FALSE.
    STDMETHOD(IsDirty)() PURE;                                                                // 4
    STDMETHOD(Load)(LPCOLESTR pszFileName, DWORD dwMode) PURE;                                // 5
    STDMETHOD(Save)(LPCOLESTR pszFileName, BOOL fRemember) PURE;                              // 6
    STDMETHOD(SaveCompleted)(LPCOLESTR pszFileName) PURE;                                     // 7
    // The object's file as a task-memory text that the caller frees.
    STDMETHOD(GetCurFile)(LPOLESTR *ppszFileName) PURE;                                       // 8
};
QEL_DEFINE_IID(IPersistFile, 0x0000010B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
