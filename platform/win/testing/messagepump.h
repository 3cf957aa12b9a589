// For tests: runs the calling thread's message loop until a condition holds.
#pragma once

#include "windows.h"

#include <chrono>

// Takes and dispatches the calling thread's messages until `done()` holds or `timeoutMs`
// milliseconds have passed; true when it held. `done` is asked before the first wait and
// after every message, and at least every 10 ms, so a condition that another thread makes
// true without posting anything is seen as well. A WM_QUIT that arrives is put back for
// the test's own loop and ends the pump.
template <typename Condition> bool QelPumpMessagesUntil(Condition done, DWORD timeoutMs = 5000)
{
    UINT_PTR tick = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, nullptr);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool held = done();
    MSG message;
    while (!held && std::chrono::steady_clock::now() < deadline) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            held = done();
            break;
        }
        if (got == -1)
            break;
        bool ownTick = message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == tick;
        if (!ownTick) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        held = done();
    }
    KillTimer(nullptr, tick);
    return held;
}
