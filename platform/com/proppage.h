// Property pages: a component's settings page, which a host's property frame shows among
// its own. The frame gives the page a site, the objects it edits and a parent window;
// the page makes its window there, tells the site when it becomes dirty, and writes its
// values to the objects when the frame applies.
#pragma once

#include "unknwn.h"
#include "windows.h"

typedef struct tagPROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle; // task memory, freed by the caller, as the other texts
    SIZE size;
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
} PROPPAGEINFO, *LPPROPPAGEINFO;

// What OnStatusChange tells.
#define PROPPAGESTATUS_DIRTY 0x1
#define PROPPAGESTATUS_VALIDATE 0x2
#define PROPPAGESTATUS_CLEAN 0x4

interface IPropertyPageSite : public IUnknown {
    STDMETHOD(OnStatusChange)(DWORD dwFlags) PURE;
    STDMETHOD(GetLocaleID)(LCID *pLocaleID) PURE;
    STDMETHOD(GetPageContainer)(IUnknown **ppUnk) PURE;
    STDMETHOD(TranslateAccelerator)(MSG *pMsg) PURE;
};
typedef IPropertyPageSite *LPPROPERTYPAGESITE;
QEL_DEFINE_IID(IPropertyPageSite, 0xB196B28C, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

interface IPropertyPage : public IUnknown {
    STDMETHOD(SetPageSite)(IPropertyPageSite *pPageSite) PURE;
    STDMETHOD(Activate)(HWND hWndParent, LPCRECT pRect, BOOL bModal) PURE;
    STDMETHOD(Deactivate)() PURE;
    STDMETHOD(GetPageInfo)(PROPPAGEINFO *pPageInfo) PURE;
    STDMETHOD(SetObjects)(ULONG cObjects, IUnknown **ppUnk) PURE;
    STDMETHOD(Show)(UINT nCmdShow) PURE;
    STDMETHOD(Move)(LPCRECT pRect) PURE;
    // S_OK when the page holds changes that Apply has not written, else S_FALSE.
    STDMETHOD(IsPageDirty)() PURE;
    STDMETHOD(Apply)() PURE;
    STDMETHOD(Help)(LPCOLESTR pszHelpDir) PURE;
    STDMETHOD(TranslateAccelerator)(MSG *pMsg) PURE;
};
typedef IPropertyPage *LPPROPERTYPAGE;
QEL_DEFINE_IID(IPropertyPage, 0xB196B28D, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
