// The framework's drawing values and GDI objects: CPoint, CSize and CRect over POINT,
// SIZE and RECT, and CGdiObject with its kinds, each owning its handle.
//
// FromHandle answers a temporary object for a handle that no object of the caller wraps
// (the object that SelectObject hands back, a stock font). The calling thread keeps its
// temporaries, which never own their handles, until the handle is gone (they are dropped
// at the next FromHandle after that) or the thread ends.
#pragma once

#include "basetypes.h"
#include "gdiobjects.h"

#include <algorithm>

class CSize : public tagSIZE {
public:
    CSize() : tagSIZE{0, 0} {}
    CSize(int initCX, int initCY) : tagSIZE{initCX, initCY} {}
    CSize(SIZE initSize) : tagSIZE(initSize) {}

    bool operator==(SIZE size) const { return cx == size.cx && cy == size.cy; }
    bool operator!=(SIZE size) const { return !(*this == size); }
    CSize operator+(SIZE size) const { return CSize(cx + size.cx, cy + size.cy); }
    CSize operator-(SIZE size) const { return CSize(cx - size.cx, cy - size.cy); }
};

class CPoint : public tagPOINT {
public:
    CPoint() : tagPOINT{0, 0} {}
    CPoint(int initX, int initY) : tagPOINT{initX, initY} {}
    CPoint(POINT initPt) : tagPOINT(initPt) {}

    void Offset(int xOffset, int yOffset) { x += xOffset, y += yOffset; }
    void Offset(SIZE size) { Offset(size.cx, size.cy); }
    bool operator==(POINT point) const { return x == point.x && y == point.y; }
    bool operator!=(POINT point) const { return !(*this == point); }
    CPoint operator+(SIZE size) const { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const { return CPoint(x - size.cx, y - size.cy); }
    CSize operator-(POINT point) const { return CSize(x - point.x, y - point.y); }
    void operator+=(SIZE size) { Offset(size); }
    void operator-=(SIZE size) { Offset(-size.cx, -size.cy); }
};

// A rectangle whose right and bottom edges lie outside it, as everywhere in the system.
class CRect : public tagRECT {
public:
    CRect() : tagRECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : tagRECT{l, t, r, b} {}
    CRect(const RECT &rect) : tagRECT(rect) {}
    CRect(const RECT *rect) : tagRECT(*rect) {}
    CRect(POINT topLeft, SIZE size) : tagRECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) : tagRECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    // Empty when it has no width or no height; null when all four edges are 0.
    BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    BOOL PtInRect(POINT point) const
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    BOOL EqualRect(LPCRECT rect) const
    {
        return left == rect->left && top == rect->top && right == rect->right && bottom == rect->bottom;
    }

    void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(LPCRECT rect) { *static_cast<RECT *>(this) = *rect; }
    void InflateRect(int dx, int dy) { left -= dx, top -= dy, right += dx, bottom += dy; }
    void InflateRect(int l, int t, int r, int b) { left -= l, top -= t, right += r, bottom += b; }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void OffsetRect(int dx, int dy) { left += dx, top += dy, right += dx, bottom += dy; }
    void OffsetRect(POINT point) { OffsetRect(point.x, point.y); }
    void OffsetRect(SIZE size) { OffsetRect(size.cx, size.cy); }
    // Swaps edges that stand the wrong way round.
    void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    // The common part; an empty one becomes the null rectangle and answers FALSE.
    BOOL IntersectRect(LPCRECT a, LPCRECT b)
    {
        SetRect(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom));
        if (!IsRectEmpty())
            return TRUE;
        SetRectEmpty();
        return FALSE;
    }
    // The smallest rectangle that holds both, an empty one counting for nothing; FALSE
    // when the result is empty.
    BOOL UnionRect(LPCRECT a, LPCRECT b)
    {
        CRect first(a), second(b);
        if (first.IsRectEmpty())
            first = second;
        else if (!second.IsRectEmpty())
            first.SetRect(std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                          std::max(a->bottom, b->bottom));
        *this = first;
        if (!IsRectEmpty())
            return TRUE;
        SetRectEmpty();
        return FALSE;
    }

    bool operator==(const RECT &rect) const { return EqualRect(&rect) != FALSE; }
    bool operator!=(const RECT &rect) const { return !(*this == rect); }
    void operator+=(POINT point) { OffsetRect(point); }
    void operator-=(POINT point) { OffsetRect(-point.x, -point.y); }
    void operator&=(const RECT &rect) { IntersectRect(this, &rect); }
    void operator|=(const RECT &rect) { UnionRect(this, &rect); }
    CRect operator&(const RECT &rect) const
    {
        CRect both;
        both.IntersectRect(this, &rect);
        return both;
    }
    CRect operator|(const RECT &rect) const
    {
        CRect both;
        both.UnionRect(this, &rect);
        return both;
    }
};

// A GDI object that the C++ object owns: the destructor deletes it (a stock object, or
// one still selected into a device context, stays as DeleteObject leaves it).
class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject &) = delete;
    CGdiObject &operator=(const CGdiObject &) = delete;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // FALSE when the object holds a handle already or `hObject` is NULL.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    // Deletes the handle; FALSE when there is none or DeleteObject refuses.
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;
    UINT GetObjectType() const;
    BOOL CreateStockObject(int nIndex);

    // The thread's temporary object for a handle (see above); NULL for NULL.
    static CGdiObject *FromHandle(HGDIOBJ hObject);

    HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    // Throws the resource exception when the pen cannot be made.
    CPen(int nPenStyle, int nWidth, COLORREF crColor);

    operator HPEN() const { return reinterpret_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    int GetLogPen(LOGPEN *pLogPen) const { return GetObject(sizeof(LOGPEN), pLogPen); }
    static CPen *FromHandle(HPEN hPen);
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    // Throws the resource exception when the brush cannot be made.
    explicit CBrush(COLORREF crColor);

    operator HBRUSH() const { return reinterpret_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor);
    // The system's brush of the colour, which is a stock object: deleting it is refused.
    BOOL CreateSysColorBrush(int nIndex);
    int GetLogBrush(LOGBRUSH *pLogBrush) const { return GetObject(sizeof(LOGBRUSH), pLogBrush); }
    static CBrush *FromHandle(HBRUSH hBrush);
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return reinterpret_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONT *lpLogFont);
    int GetLogFont(LOGFONT *pLogFont) const { return GetObject(sizeof(LOGFONT), pLogFont); }
    static CFont *FromHandle(HFONT hFont);
};

class CDC;

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return reinterpret_cast<HBITMAP>(m_hObject); }
    BOOL CreateCompatibleBitmap(CDC *pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP *pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
    static CBitmap *FromHandle(HBITMAP hBitmap);
};
