#include "drawnbufferdc.h"

#include "afxexcept.h"

DrawnBufferDC::DrawnBufferDC(CDC *target, const CRect &rect) : m_target(target), m_rect(rect)
{
    if (target == nullptr)
        AfxThrowResourceException();
    m_windowOrg = target->GetWindowOrg();
    m_viewportOrg = target->GetViewportOrg();
    m_windowExt = target->GetWindowExt();
    m_viewportExt = target->GetViewportExt();
    if (!CreateCompatibleDC(target))
        AfxThrowResourceException();
    if (!m_bitmap.CreateCompatibleBitmap(target, rect.Width() > 0 ? rect.Width() : 1,
                                         rect.Height() > 0 ? rect.Height() : 1)) {
        DeleteDC();
        AfxThrowResourceException();
    }
    m_oldBitmap = SelectObject(&m_bitmap);
    ApplyMapping();
    // The bitmap's pixel (0, 0) stands for the rectangle's top-left corner.
    SetWindowOrg(m_windowOrg.x + rect.left, m_windowOrg.y + rect.top);
}

DrawnBufferDC::~DrawnBufferDC()
{
    ApplyMapping();
    SetWindowOrg(m_windowOrg.x + m_rect.left, m_windowOrg.y + m_rect.top);
    m_target->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top, SRCCOPY);
    SelectObject(m_oldBitmap);
    m_bitmap.DeleteObject();
    DeleteDC();
}

void DrawnBufferDC::ApplyMapping()
{
    SetWindowOrg(m_windowOrg);
    SetViewportOrg(m_viewportOrg);
    SetWindowExt(m_windowExt);
    SetViewportExt(m_viewportExt);
}
