#include "afxgdi.h"

#include "afxdc.h"
#include "afxexcept.h"
#include "afxgditemps.h"
#include "syscolors.h"

namespace {

template <class Object> Object *Temporary(HGDIOBJ handle)
{
    thread_local qelafx::TemporaryObjects<Object, &Object::m_hObject> temporaries;
    return temporaries.For(handle);
}

} // namespace

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (m_hObject != nullptr || hObject == nullptr)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ handle = m_hObject;
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == nullptr)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return ::GetObjectA(m_hObject, nCount, lpObject);
}

UINT CGdiObject::GetObjectType() const
{
    return ::GetObjectType(m_hObject);
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    return Attach(::GetStockObject(nIndex));
}

CGdiObject *CGdiObject::FromHandle(HGDIOBJ hObject)
{
    return Temporary<CGdiObject>(hObject);
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor)
{
    if (!CreatePen(nPenStyle, nWidth, crColor))
        AfxThrowResourceException();
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

CPen *CPen::FromHandle(HPEN hPen)
{
    return Temporary<CPen>(hPen);
}

CBrush::CBrush(COLORREF crColor)
{
    if (!CreateSolidBrush(crColor))
        AfxThrowResourceException();
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    return Attach(::CreateSolidBrush(crColor));
}

BOOL CBrush::CreateSysColorBrush(int nIndex)
{
    return Attach(::GetSysColorBrush(nIndex));
}

CBrush *CBrush::FromHandle(HBRUSH hBrush)
{
    return Temporary<CBrush>(hBrush);
}

BOOL CFont::CreateFontIndirect(const LOGFONT *lpLogFont)
{
    return Attach(::CreateFontIndirectA(lpLogFont));
}

CFont *CFont::FromHandle(HFONT hFont)
{
    return Temporary<CFont>(hFont);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC *pDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(pDC != nullptr ? pDC->m_hDC : nullptr, nWidth, nHeight));
}

CBitmap *CBitmap::FromHandle(HBITMAP hBitmap)
{
    return Temporary<CBitmap>(hBitmap);
}
