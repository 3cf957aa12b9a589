#include "inputmessages.h"

#include <atomic>
#include <cstdint>

namespace {

// Both coordinates in one word, so that a reader on another thread never sees half a
// move.
std::atomic<uint64_t> g_cursor{0};

} // namespace

BOOL GetCursorPos(LPPOINT point)
{
    if (point == nullptr)
        return FALSE;
    uint64_t packed = g_cursor.load();
    point->x = static_cast<LONG>(static_cast<uint32_t>(packed >> 32));
    point->y = static_cast<LONG>(static_cast<uint32_t>(packed));
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    g_cursor.store((static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y));
    return TRUE;
}
