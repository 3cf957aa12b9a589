// OLE drag and drop, as far as text dropped on a window goes. There is no mouse: a drop
// is a direct call (QelDropText) that plays the drag source over the window's target.
#pragma once

#include "storage.h"
#include "unknwn.h"

typedef WORD CLIPFORMAT;
#define CF_TEXT 1

#define DVASPECT_CONTENT 1

#define TYMED_NULL 0
#define TYMED_HGLOBAL 1
#define TYMED_FILE 2
#define TYMED_ISTREAM 4
#define TYMED_ISTORAGE 8

#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4

#define DV_E_FORMATETC QEL_HR(0x80040064L)
#define DV_E_TYMED QEL_HR(0x80040069L)
#define DRAGDROP_E_NOTREGISTERED QEL_HR(0x80040100L)
#define DRAGDROP_E_ALREADYREGISTERED QEL_HR(0x80040101L)
#define DRAGDROP_E_INVALIDHWND QEL_HR(0x80040102L)

typedef struct _POINTL {
    LONG x;
    LONG y;
} POINTL;

struct DVTARGETDEVICE;

typedef struct tagFORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE *ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
} FORMATETC, *LPFORMATETC;

typedef struct tagSTGMEDIUM {
    DWORD tymed;
    union {
        HGLOBAL hGlobal;
        LPOLESTR lpszFileName;
        IStream *pstm;
        IStorage *pstg;
    };
    IUnknown *pUnkForRelease;
} STGMEDIUM, *LPSTGMEDIUM;

// Frees what the medium holds: when pUnkForRelease is set only that is released (it
// owns the data); else global memory is freed, a stream or storage released, a file
// name's task memory freed.
void ReleaseStgMedium(LPSTGMEDIUM medium);

interface IDataObject : public IUnknown {
    STDMETHOD(GetData)(FORMATETC *format, STGMEDIUM *medium) PURE;
    STDMETHOD(GetDataHere)(FORMATETC *format, STGMEDIUM *medium) PURE;
    STDMETHOD(QueryGetData)(FORMATETC *format) PURE;
    STDMETHOD(GetCanonicalFormatEtc)(FORMATETC *in, FORMATETC *out) PURE;
    STDMETHOD(SetData)(FORMATETC *format, STGMEDIUM *medium, BOOL release) PURE;
    STDMETHOD(EnumFormatEtc)(DWORD direction, IUnknown **enumerator) PURE;
    STDMETHOD(DAdvise)(FORMATETC *format, DWORD flags, IUnknown *sink, DWORD *connection) PURE;
    STDMETHOD(DUnadvise)(DWORD connection) PURE;
    STDMETHOD(EnumDAdvise)(IUnknown **enumerator) PURE;
};
typedef IDataObject *LPDATAOBJECT;
QEL_DEFINE_IID(IDataObject, 0x0000010E, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

interface IDropTarget : public IUnknown {
    STDMETHOD(DragEnter)(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) PURE;
    STDMETHOD(DragOver)(DWORD keyState, POINTL point, DWORD *effect) PURE;
    STDMETHOD(DragLeave)() PURE;
    STDMETHOD(Drop)(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) PURE;
};
typedef IDropTarget *LPDROPTARGET;
QEL_DEFINE_IID(IDropTarget, 0x00000122, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// Makes `target` the drop target of `window`, with a reference that is kept until
// RevokeDragDrop or until the window is destroyed. DRAGDROP_E_INVALIDHWND for no window,
// DRAGDROP_E_ALREADYREGISTERED when it has one, E_INVALIDARG for no target.
STDAPI RegisterDragDrop(HWND window, LPDROPTARGET target);
// Lets go of the window's target; DRAGDROP_E_NOTREGISTERED when it has none.
STDAPI RevokeDragDrop(HWND window);

// The effects that the target answered to each step of a drop.
struct QEL_DROP_EFFECTS {
    DWORD enter;
    DWORD over;
    DWORD drop;
};

// Drops `size` bytes of text on `window`: a data object offers exactly these bytes (no
// NUL added) as CF_TEXT in global memory; its target gets DragEnter, DragOver and Drop,
// each offered copy and move (DragLeave in place of Drop when DragOver answered
// DROPEFFECT_NONE), and *effects (when given) receives their answers.
// DRAGDROP_E_NOTREGISTERED when the window has no target, E_OUTOFMEMORY, or Drop's
// failure.
HRESULT QelDropText(HWND window, const void *bytes, SIZE_T size, QEL_DROP_EFFECTS *effects);
