// For tests of what a control paints: its capture selected into a DC of its own, read
// back by pixel and as text.
#pragma once

#include "windows.h"

#include <string>

class QelCapturedWindow {
public:
    explicit QelCapturedWindow(HWND window)
        : bitmap_(QelCaptureWindow(window, FALSE)), dc_(CreateCompatibleDC(nullptr)), before_(SelectObject(dc_, bitmap_))
    {
    }
    ~QelCapturedWindow()
    {
        SelectObject(dc_, before_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    QelCapturedWindow(const QelCapturedWindow &) = delete;
    QelCapturedWindow &operator=(const QelCapturedWindow &) = delete;

    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

    std::string Read(RECT rect, COLORREF color) const
    {
        char text[256];
        QelReadText(dc_, &rect, color, text, sizeof text);
        return text;
    }

private:
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ before_;
};
