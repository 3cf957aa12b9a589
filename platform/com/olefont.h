// Font objects of OLE controls: IFont over a font of the drawing stand-in, made from a
// FONTDESC by OleCreateFontIndirect.
//
// The object keeps the description and makes its HFONT when first asked for it
// (get_hFont), again after a change; the HFONT stays the object's and goes with it, as
// the platform's does. Sizes are points in the currency type (1/10000 point), turned
// into a height of pixels at 96 dots per inch. Its IFontDisp side is the font as a
// dispatch object for properties of that type: it has no members of its own to call.
#pragma once

#include "comdecl.h"
#include "dispatch.h"
#include "unknwn.h"
#include "variant.h"

#define DISPID_FONT (-512)

typedef struct tagFONTDESC {
    UINT cbSizeofstruct;
    LPOLESTR lpstrName;
    CY cySize;
    SHORT sWeight;
    SHORT sCharset;
    BOOL fItalic;
    BOOL fUnderline;
    BOOL fStrikethrough;
} FONTDESC, *LPFONTDESC;

interface IFont : public IUnknown {
    STDMETHOD(get_Name)(BSTR *pName) PURE;                     // 3
    STDMETHOD(put_Name)(BSTR name) PURE;                       // 4
    STDMETHOD(get_Size)(CY *pSize) PURE;                       // 5
    STDMETHOD(put_Size)(CY size) PURE;                         // 6
    STDMETHOD(get_Bold)(BOOL *pBold) PURE;                     // 7
    STDMETHOD(put_Bold)(BOOL bold) PURE;                       // 8
    STDMETHOD(get_Italic)(BOOL *pItalic) PURE;                 // 9
    STDMETHOD(put_Italic)(BOOL italic) PURE;                   // 10
    STDMETHOD(get_Underline)(BOOL *pUnderline) PURE;           // 11
    STDMETHOD(put_Underline)(BOOL underline) PURE;             // 12
    STDMETHOD(get_Strikethrough)(BOOL *pStrikethrough) PURE;   // 13
    STDMETHOD(put_Strikethrough)(BOOL strikethrough) PURE;     // 14
    STDMETHOD(get_Weight)(SHORT *pWeight) PURE;                // 15
    STDMETHOD(put_Weight)(SHORT weight) PURE;                  // 16
    STDMETHOD(get_Charset)(SHORT *pCharset) PURE;              // 17
    STDMETHOD(put_Charset)(SHORT charset) PURE;                // 18
    // The font's HFONT, which stays the font object's.
    STDMETHOD(get_hFont)(HFONT *phFont) PURE;                  // 19
    // A new font object of the same description.
    STDMETHOD(Clone)(IFont **ppFont) PURE;                     // 20
};
QEL_DEFINE_IID(IFont, 0xBEF6E002, 0xA874, 0x101A, 0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);

interface IFontDisp : public IDispatch {
};
typedef IFontDisp *LPFONTDISP;
QEL_DEFINE_IID(IFontDisp, 0xBEF6E003, 0xA874, 0x101A, 0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);

// A new font object of the description, asked for `riid` (IFont, IFontDisp, IDispatch
// or IUnknown). E_POINTER for a null description or out pointer; E_INVALIDARG for a
// description whose size is not the structure's; E_NOINTERFACE for another interface.
STDAPI OleCreateFontIndirect(LPFONTDESC pFontDesc, REFIID riid, void **ppvObj);
