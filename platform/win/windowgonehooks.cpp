#include "windowgonehooks.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Hooks {
    std::mutex lock;
    std::vector<QEL_WINDOW_GONE_HOOK> hooks;
};

Hooks &AllHooks()
{
    static Hooks *hooks = new Hooks;
    return *hooks;
}

} // namespace

void QelAddWindowGoneHook(QEL_WINDOW_GONE_HOOK hook)
{
    Hooks &all = AllHooks();
    std::lock_guard<std::mutex> hold(all.lock);
    if (hook != nullptr && std::find(all.hooks.begin(), all.hooks.end(), hook) == all.hooks.end())
        all.hooks.push_back(hook);
}

void qelwin::TellWindowGone(HWND window)
{
    std::vector<QEL_WINDOW_GONE_HOOK> hooks;
    {
        Hooks &all = AllHooks();
        std::lock_guard<std::mutex> hold(all.lock);
        hooks = all.hooks;
    }
    for (QEL_WINDOW_GONE_HOOK hook : hooks)
        hook(window);
}
