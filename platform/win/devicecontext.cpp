#include "devicecontext.h"

#include "gdistate.h"
#include "lasterror.h"
#include "winerror.h"

#include <algorithm>
#include <cstdint>

using qelwin::DeviceContext;
using qelwin::GdiKind;

namespace {

std::shared_ptr<DeviceContext> Find(HDC dc)
{
    std::shared_ptr<DeviceContext> found = qelwin::LookUpDC(dc);
    if (found == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return found;
}

// Sets a point-valued member and hands the value before to `before`.
BOOL SetPoint(HDC dc, POINT DeviceContext::*member, LONG x, LONG y, bool relative, LPPOINT before)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return FALSE;
    POINT &point = (*found).*member;
    if (before != nullptr)
        *before = point;
    point = relative ? POINT{point.x + x, point.y + y} : POINT{x, y};
    return TRUE;
}

BOOL GetPoint(HDC dc, POINT DeviceContext::*member, LPPOINT point)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || point == nullptr)
        return FALSE;
    *point = (*found).*member;
    return TRUE;
}

BOOL SetSize(HDC dc, SIZE DeviceContext::*member, LONG cx, LONG cy, LPSIZE before)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return FALSE;
    if (before != nullptr)
        *before = (*found).*member;
    (*found).*member = SIZE{cx, cy};
    return TRUE;
}

BOOL GetSize(HDC dc, SIZE DeviceContext::*member, LPSIZE size)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || size == nullptr)
        return FALSE;
    *size = (*found).*member;
    return TRUE;
}

COLORREF SetColor(HDC dc, COLORREF DeviceContext::*member, COLORREF color)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return CLR_INVALID;
    COLORREF before = (*found).*member;
    (*found).*member = color & 0xFFFFFF;
    return before;
}

COLORREF GetColor(HDC dc, COLORREF DeviceContext::*member)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    return found != nullptr ? (*found).*member : CLR_INVALID;
}

int SetMode(HDC dc, int DeviceContext::*member, int mode, std::initializer_list<int> allowed)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return 0;
    for (int each : allowed) {
        if (each == mode) {
            int before = (*found).*member;
            (*found).*member = mode;
            return before;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

int GetMode(HDC dc, int DeviceContext::*member)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    return found != nullptr ? (*found).*member : 0;
}

} // namespace

HDC CreateCompatibleDC(HDC dc)
{
    if (dc != nullptr && Find(dc) == nullptr)
        return nullptr;
    std::shared_ptr<DeviceContext> memory = qelwin::NewDeviceContext();
    memory->memory = true;
    qelwin::SelectInto(*memory, &memory->bitmap, qelwin::StockBitmap());
    return qelwin::InsertDC(std::move(memory));
}

BOOL DeleteDC(HDC dc)
{
    if (Find(dc) == nullptr)
        return FALSE;
    qelwin::RemoveDC(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return nullptr;
    GdiKind kind = static_cast<GdiKind>(reinterpret_cast<uintptr_t>(object) & 7);
    HGDIOBJ DeviceContext::*slot = nullptr;
    switch (kind) {
    case GdiKind::Pen:
        slot = &DeviceContext::pen;
        break;
    case GdiKind::Brush:
        slot = &DeviceContext::brush;
        break;
    case GdiKind::Font:
        slot = &DeviceContext::font;
        break;
    case GdiKind::Bitmap:
        if (found->memory)
            slot = &DeviceContext::bitmap;
        break;
    default:
        break;
    }
    if (slot == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return qelwin::SelectInto(*found, &((*found).*slot), object);
}

COLORREF SetTextColor(HDC dc, COLORREF color)
{
    return SetColor(dc, &DeviceContext::textColor, color);
}

COLORREF GetTextColor(HDC dc)
{
    return GetColor(dc, &DeviceContext::textColor);
}

COLORREF SetBkColor(HDC dc, COLORREF color)
{
    return SetColor(dc, &DeviceContext::bkColor, color);
}

COLORREF GetBkColor(HDC dc)
{
    return GetColor(dc, &DeviceContext::bkColor);
}

int SetBkMode(HDC dc, int mode)
{
    return SetMode(dc, &DeviceContext::bkMode, mode, {TRANSPARENT, OPAQUE});
}

int GetBkMode(HDC dc)
{
    return GetMode(dc, &DeviceContext::bkMode);
}

int SetROP2(HDC dc, int mode)
{
    return SetMode(dc, &DeviceContext::rop2, mode, {R2_COPYPEN, R2_XORPEN, R2_NOT});
}

int GetROP2(HDC dc)
{
    return GetMode(dc, &DeviceContext::rop2);
}

int SetMapMode(HDC dc, int mode)
{
    return SetMode(dc, &DeviceContext::mapMode, mode, {MM_TEXT});
}

int GetMapMode(HDC dc)
{
    return GetMode(dc, &DeviceContext::mapMode);
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT before)
{
    return SetPoint(dc, &DeviceContext::windowOrigin, x, y, false, before);
}

BOOL GetWindowOrgEx(HDC dc, LPPOINT origin)
{
    return GetPoint(dc, &DeviceContext::windowOrigin, origin);
}

BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT before)
{
    return SetPoint(dc, &DeviceContext::windowOrigin, dx, dy, true, before);
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT before)
{
    return SetPoint(dc, &DeviceContext::viewportOrigin, x, y, false, before);
}

BOOL GetViewportOrgEx(HDC dc, LPPOINT origin)
{
    return GetPoint(dc, &DeviceContext::viewportOrigin, origin);
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT before)
{
    return SetPoint(dc, &DeviceContext::viewportOrigin, dx, dy, true, before);
}

BOOL SetWindowExtEx(HDC dc, int cx, int cy, LPSIZE before)
{
    return SetSize(dc, &DeviceContext::windowExtent, cx, cy, before);
}

BOOL GetWindowExtEx(HDC dc, LPSIZE extent)
{
    return GetSize(dc, &DeviceContext::windowExtent, extent);
}

BOOL SetViewportExtEx(HDC dc, int cx, int cy, LPSIZE before)
{
    return SetSize(dc, &DeviceContext::viewportExtent, cx, cy, before);
}

BOOL GetViewportExtEx(HDC dc, LPSIZE extent)
{
    return GetSize(dc, &DeviceContext::viewportExtent, extent);
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT before)
{
    return SetPoint(dc, &DeviceContext::position, x, y, false, before);
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT position)
{
    return GetPoint(dc, &DeviceContext::position, position);
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr)
        return ERROR;
    // The clip only ever narrows what the DC's area allows (DeviceContext::Bounds).
    RECT wanted = found->ToDevice(RECT{left, top, right, bottom}, RECT{0, 0, found->size.cx, found->size.cy});
    found->clip = found->clipped ? qelwin::Intersect(found->clip, wanted) : wanted;
    if (qelwin::IsEmpty(found->clip))
        found->clip = RECT{0, 0, 0, 0};
    found->clipped = true;
    return qelwin::IsEmpty(found->Bounds()) ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC dc, LPRECT rect)
{
    std::shared_ptr<DeviceContext> found = Find(dc);
    if (found == nullptr || rect == nullptr)
        return ERROR;
    RECT bounds = found->Bounds();
    DeviceContext::Point shift = found->ToDevice(0, 0);
    auto logical = [](int64_t value) {
        return static_cast<LONG>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    };
    *rect = RECT{logical(bounds.left - shift.x), logical(bounds.top - shift.y), logical(bounds.right - shift.x),
                 logical(bounds.bottom - shift.y)};
    return qelwin::IsEmpty(bounds) ? NULLREGION : SIMPLEREGION;
}
