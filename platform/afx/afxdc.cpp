#include "afxdc.h"

#include "afxexcept.h"
#include "afxgditemps.h"
#include "afxwnd.h"

namespace {

CGdiObject *SelectInto(HDC dc, CGdiObject *object)
{
    return object != nullptr ? CGdiObject::FromHandle(::SelectObject(dc, object->m_hObject)) : nullptr;
}

// XORs white into the pixels of even x + y (device coordinates) in `rect`, whose edges are
// already cut to the DC's clip box.
void XorHalftone(HDC dc, const RECT &rect)
{
    POINT window{}, viewport{};
    ::GetWindowOrgEx(dc, &window);
    ::GetViewportOrgEx(dc, &viewport);
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        for (LONG x = rect.left; x < rect.right; ++x) {
            // Device x + y and logical x + y differ by the origins' sum.
            if (((x - window.x + viewport.x + y - window.y + viewport.y) & 1) == 0) {
                RECT pixel{x, y, x + 1, y + 1};
                ::InvertRect(dc, &pixel);
            }
        }
    }
}

// The frame `size` thick inside `rect`, as its four sides cut to the clip box; the whole
// rectangle when the frame leaves no inside.
void XorDragFrame(HDC dc, const RECT &rect, SIZE size)
{
    CRect clip;
    ::GetClipBox(dc, clip);
    CRect outer(rect);
    outer.NormalizeRect();
    CRect inner = outer;
    inner.DeflateRect(std::max<LONG>(size.cx, 0), std::max<LONG>(size.cy, 0));
    if (inner.IsRectEmpty()) {
        XorHalftone(dc, outer & clip);
        return;
    }
    const CRect sides[4] = {
        CRect(outer.left, outer.top, outer.right, inner.top),
        CRect(outer.left, inner.top, inner.left, inner.bottom),
        CRect(inner.right, inner.top, outer.right, inner.bottom),
        CRect(outer.left, inner.bottom, outer.right, outer.bottom),
    };
    for (const CRect &side : sides)
        XorHalftone(dc, side & clip);
}

} // namespace

CDC::~CDC()
{
    DeleteDC();
}

CDC *CDC::FromHandle(HDC hDC)
{
    thread_local qelafx::TemporaryObjects<CDC, &CDC::m_hDC> temporaries;
    return temporaries.For(hDC);
}

BOOL CDC::Attach(HDC hDC)
{
    if (m_hDC != nullptr || hDC == nullptr)
        return FALSE;
    m_hDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC *pDC)
{
    return Attach(::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr)
        return FALSE;
    return ::DeleteDC(Detach());
}

CPen *CDC::SelectObject(CPen *pPen)
{
    return pPen != nullptr ? CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pPen->m_hObject))) : nullptr;
}

CBrush *CDC::SelectObject(CBrush *pBrush)
{
    return pBrush != nullptr ? CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, pBrush->m_hObject)))
                             : nullptr;
}

CFont *CDC::SelectObject(CFont *pFont)
{
    return pFont != nullptr ? CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, pFont->m_hObject)))
                            : nullptr;
}

CBitmap *CDC::SelectObject(CBitmap *pBitmap)
{
    return pBitmap != nullptr
               ? CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, pBitmap->m_hObject)))
               : nullptr;
}

CGdiObject *CDC::SelectObject(CGdiObject *pObject)
{
    return SelectInto(m_hDC, pObject);
}

CGdiObject *CDC::SelectStockObject(int nIndex)
{
    HGDIOBJ stock = ::GetStockObject(nIndex);
    return stock != nullptr ? CGdiObject::FromHandle(::SelectObject(m_hDC, stock)) : nullptr;
}

CFont *CDC::GetCurrentFont() const
{
    // Selecting the stock font and back is the one way to learn the font, and leaves the
    // DC as it was.
    HGDIOBJ current = ::SelectObject(m_hDC, ::GetStockObject(SYSTEM_FONT));
    ::SelectObject(m_hDC, current);
    return CFont::FromHandle(static_cast<HFONT>(current));
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    CPoint before;
    ::SetWindowOrgEx(m_hDC, x, y, &before);
    return before;
}

CPoint CDC::GetWindowOrg() const
{
    CPoint origin;
    ::GetWindowOrgEx(m_hDC, &origin);
    return origin;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    CPoint before;
    ::SetViewportOrgEx(m_hDC, x, y, &before);
    return before;
}

CPoint CDC::GetViewportOrg() const
{
    CPoint origin;
    ::GetViewportOrgEx(m_hDC, &origin);
    return origin;
}

CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight)
{
    CPoint before;
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &before);
    return before;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    CSize before;
    ::SetWindowExtEx(m_hDC, cx, cy, &before);
    return before;
}

CSize CDC::GetWindowExt() const
{
    CSize extent;
    ::GetWindowExtEx(m_hDC, &extent);
    return extent;
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    CSize before;
    ::SetViewportExtEx(m_hDC, cx, cy, &before);
    return before;
}

CSize CDC::GetViewportExt() const
{
    CSize extent;
    ::GetViewportExtEx(m_hDC, &extent);
    return extent;
}

CPoint CDC::MoveTo(int x, int y)
{
    CPoint before;
    ::MoveToEx(m_hDC, x, y, &before);
    return before;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF crColor)
{
    COLORREF before = ::SetBkColor(m_hDC, crColor);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, before);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF crColor)
{
    CRect rect(x, y, x + cx, y + cy);
    FillSolidRect(rect, crColor);
}

void CDC::DrawDragRect(LPCRECT lpRect, SIZE size, LPCRECT lpRectLast, SIZE sizeLast, CBrush *, CBrush *)
{
    if (lpRectLast != nullptr)
        XorDragFrame(m_hDC, *lpRectLast, sizeLast);
    if (lpRect != nullptr)
        XorDragFrame(m_hDC, *lpRect, size);
}

CSize CDC::TabbedTextOut(int x, int y, LPCTSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions,
                         int nTabOrigin)
{
    LONG extent = ::TabbedTextOutA(m_hDC, x, y, lpszString, nCount, nTabPositions, lpnTabStopPositions, nTabOrigin);
    return CSize(LOWORD(extent), HIWORD(extent));
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const
{
    CSize extent;
    ::GetTextExtentPoint32A(m_hDC, lpszString, nCount, &extent);
    return extent;
}

CSize CDC::GetTabbedTextExtent(LPCTSTR lpszString, int nCount, int nTabPositions, LPINT lpnTabStopPositions) const
{
    DWORD extent = ::GetTabbedTextExtentA(m_hDC, lpszString, nCount, nTabPositions, lpnTabStopPositions);
    return CSize(LOWORD(extent), HIWORD(extent));
}

CPaintDC::CPaintDC(CWnd *pWnd) : m_hWnd(pWnd->m_hWnd)
{
    if (!Attach(::BeginPaint(m_hWnd, &m_ps)))
        AfxThrowResourceException();
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd *pWnd) : m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr)
{
    if (!Attach(::GetDC(m_hWnd)))
        AfxThrowResourceException();
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
