// DrawnBufferDC: a device context that draws into an off-screen bitmap of a rectangle of
// its target, with the target's mapping, and copies it there when it goes, so that a
// repaint never shows half-drawn rows.
#pragma once

#include "afxdc.h"
#include "afxgdi.h"

class DrawnBufferDC : public CDC {
public:
    // Throws the framework's resource exception for a NULL target or when the context
    // or its bitmap cannot be made.
    DrawnBufferDC(CDC *target, const CRect &rect);
    ~DrawnBufferDC() override;
    DrawnBufferDC(const DrawnBufferDC &) = delete;
    DrawnBufferDC &operator=(const DrawnBufferDC &) = delete;

private:
    void ApplyMapping();

    CDC *m_target;
    CRect m_rect;
    CBitmap m_bitmap;
    CBitmap *m_oldBitmap = nullptr;
    CPoint m_windowOrg, m_viewportOrg;
    CSize m_windowExt, m_viewportExt;
};
