// CDC and its window forms: a device context that the object owns (CreateCompatibleDC,
// Attach) or borrows for a window (CPaintDC for WM_PAINT, CClientDC for the client area
// at any time). Its members are the drawing functions of the platform with the DC left
// out; the objects that SelectObject answers are temporaries (afxgdi.h).
#pragma once

#include "afxgdi.h"
#include "afxstring.h"
#include "basetypes.h"
#include "devicecontext.h"
#include "drawing.h"
#include "textdraw.h"
#include "windowpaint.h"

class CWnd;

class CDC {
public:
    CDC() = default;
    // Deletes a DC that the object owns.
    virtual ~CDC();
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    // The thread's temporary object for the DC, which never deletes it; NULL for NULL.
    static CDC *FromHandle(HDC hDC);

    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC *pDC);
    BOOL DeleteDC();
    // Whether the DC draws for a printer: the list and tree controls then draw without
    // their memory bitmap and with solid lines. No DC here prints; a caller may set it.
    BOOL IsPrinting() const { return m_bPrinting; }

    CPen *SelectObject(CPen *pPen);
    CBrush *SelectObject(CBrush *pBrush);
    CFont *SelectObject(CFont *pFont);
    CBitmap *SelectObject(CBitmap *pBitmap);
    CGdiObject *SelectObject(CGdiObject *pObject);
    CGdiObject *SelectStockObject(int nIndex);
    CFont *GetCurrentFont() const;

    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetROP2(int nDrawMode) { return ::SetROP2(m_hDC, nDrawMode); }
    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }

    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
    CPoint GetViewportOrg() const;
    CPoint OffsetViewportOrg(int nWidth, int nHeight);
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(SIZE size) { return SetWindowExt(size.cx, size.cy); }
    CSize GetWindowExt() const;
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(SIZE size) { return SetViewportExt(size.cx, size.cy); }
    CSize GetViewportExt() const;
    int IntersectClipRect(LPCRECT lpRect)
    {
        return ::IntersectClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }
    COLORREF SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    BOOL Rectangle(LPCRECT lpRect) { return ::Rectangle(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom); }
    void FillRect(LPCRECT lpRect, CBrush *pBrush) { ::FillRect(m_hDC, lpRect, *pBrush); }
    // Fills with the colour; the background colour is left as it was.
    void FillSolidRect(LPCRECT lpRect, COLORREF crColor);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF crColor);
    void FrameRect(LPCRECT lpRect, CBrush *pBrush) { ::FrameRect(m_hDC, lpRect, *pBrush); }
    void InvertRect(LPCRECT lpRect) { ::InvertRect(m_hDC, lpRect); }
    void DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }
    BOOL DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState)
    {
        return ::DrawFrameControl(m_hDC, lpRect, nType, nState);
    }
    // XORs a halftone (every other pixel, those of even x + y in device coordinates)
    // into the frame `size` thick inside `lpRect`, having XORed the one of `lpRectLast`
    // (when given) first, so that the last one is gone and drawing the same one again
    // leaves the surface as it was. The brushes are not used: the halftone is the only
    // pattern here.
    void DrawDragRect(LPCRECT lpRect, SIZE size, LPCRECT lpRectLast, SIZE sizeLast, CBrush *pBrush = nullptr,
                      CBrush *pBrushLast = nullptr);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
    {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC *pSrcDC, int xSrc, int ySrc, DWORD dwRop)
    {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        dwRop);
    }

    int DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
    {
        return ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    int DrawText(const CString &str, LPRECT lpRect, UINT nFormat)
    {
        return DrawText(str, str.GetLength(), lpRect, nFormat);
    }
    BOOL TextOut(int x, int y, LPCTSTR lpszString, int nCount) { return ::TextOutA(m_hDC, x, y, lpszString, nCount); }
    BOOL TextOut(int x, int y, const CString &str) { return TextOut(x, y, str, str.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCTSTR lpszString, UINT nCount, LPINT lpDxWidths)
    {
        return ::ExtTextOutA(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
    }
    CSize TabbedTextOut(int x, int y, LPCTSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions,
                        int nTabOrigin);
    CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString &str) const { return GetTextExtent(str, str.GetLength()); }
    CSize GetTabbedTextExtent(LPCTSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions) const;
    BOOL GetTextMetrics(LPTEXTMETRIC lpMetrics) const { return ::GetTextMetricsA(m_hDC, lpMetrics); }

    HDC m_hDC = nullptr;
    BOOL m_bPrinting = FALSE;
};

// The DC of a WM_PAINT: BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    // Throws the resource exception when the window gives no DC.
    explicit CPaintDC(CWnd *pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

// A DC on the window's client area (GetDC), given back in the destructor.
class CClientDC : public CDC {
public:
    // Throws the resource exception when the window gives no DC.
    explicit CClientDC(CWnd *pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
