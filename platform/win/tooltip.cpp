#include "tooltip.h"

#include "collation.h"
#include "controlstate.h"
#include "systemclasses.h"
#include "windowinfo.h"
#include "windowstate.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Tool {
    UINT flags;
    HWND window;
    UINT_PTR id;
    RECT rect;
    std::string text;
};

struct ToolTipState {
    std::vector<Tool> tools;
    int maxTipWidth = -1;
    bool active = false;
    bool relayed = false;
    MSG lastRelayed{};
};

// The first version of the structure ended with lpszText.
const UINT kSmallestToolInfo = offsetof(TOOLINFOA, lpszText) + sizeof(LPSTR);
// What TTM_GETTEXTA copies at most when its caller gives no size.
const size_t kOldTextLimit = 80;

const TOOLINFOA *ToolInfo(LPARAM lParam)
{
    auto *info = reinterpret_cast<const TOOLINFOA *>(lParam);
    return info != nullptr && info->cbSize >= kSmallestToolInfo ? info : nullptr;
}

Tool *Find(ToolTipState *state, const TOOLINFOA &info)
{
    auto tool = std::find_if(state->tools.begin(), state->tools.end(),
                             [&](const Tool &t) { return t.window == info.hwnd && t.id == info.uId; });
    return tool != state->tools.end() ? &*tool : nullptr;
}

std::string TextOf(const TOOLINFOA &info)
{
    // A resource id or the text callback in place of a text: neither is kept.
    return info.lpszText != nullptr && reinterpret_cast<UINT_PTR>(info.lpszText) > 0xFFFF &&
                   info.lpszText != reinterpret_cast<LPSTR>(-1)
               ? info.lpszText
               : "";
}

LRESULT AddTool(ToolTipState *state, const TOOLINFOA *info)
{
    if (info == nullptr)
        return FALSE;
    Tool tool{info->uFlags, info->hwnd, info->uId, info->rect, TextOf(*info)};
    if (Tool *same = Find(state, *info))
        *same = std::move(tool);
    else
        state->tools.push_back(std::move(tool));
    return TRUE;
}

void GetText(ToolTipState *state, WPARAM size, const TOOLINFOA *info)
{
    if (info == nullptr || info->lpszText == nullptr)
        return;
    const size_t room = size != 0 ? size : kOldTextLimit;
    const Tool *tool = Find(state, *info);
    const std::string text = tool != nullptr ? tool->text : std::string();
    const size_t count = std::min(text.size(), room - 1);
    std::memcpy(info->lpszText, text.data(), count);
    info->lpszText[count] = '\0';
}

ToolTipState *StateOfTip(HWND tip)
{
    char name[32] = "";
    if (!IsWindow(tip) || GetClassNameA(tip, name, sizeof name) == 0 || lstrcmpiA(name, TOOLTIPS_CLASSA) != 0)
        return nullptr;
    return qelwin::ControlState<ToolTipState>(tip);
}

} // namespace

BOOL QelGetToolTipState(HWND tip, QELTOOLTIPSTATE *state)
{
    const ToolTipState *kept = StateOfTip(tip);
    if (kept == nullptr || state == nullptr)
        return FALSE;
    state->active = kept->active;
    state->maxTipWidth = kept->maxTipWidth;
    state->relayed = kept->relayed;
    state->lastRelayed = kept->lastRelayed;
    return TRUE;
}

namespace qelwin {

LRESULT CALLBACK ToolTipProcedure(HWND tip, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ControlLifetime<ToolTipState>(tip, message, wParam, lParam, &result))
        return result;
    ToolTipState *state = ControlState<ToolTipState>(tip);
    if (state == nullptr)
        return DefWindowProcA(tip, message, wParam, lParam);
    switch (message) {
    case TTM_ADDTOOLA:
        return AddTool(state, ToolInfo(lParam));
    case TTM_UPDATETIPTEXTA:
        if (const TOOLINFOA *info = ToolInfo(lParam)) {
            if (Tool *tool = Find(state, *info))
                tool->text = TextOf(*info);
        }
        return 0;
    case TTM_NEWTOOLRECTA:
        if (const TOOLINFOA *info = ToolInfo(lParam)) {
            if (Tool *tool = Find(state, *info))
                tool->rect = info->rect;
        }
        return 0;
    case TTM_GETTEXTA:
        GetText(state, wParam, ToolInfo(lParam));
        return 0;
    case TTM_RELAYEVENT:
        if (lParam != 0) {
            state->lastRelayed = *reinterpret_cast<const MSG *>(lParam);
            state->relayed = true;
        }
        return 0;
    case TTM_SETMAXTIPWIDTH: {
        const int before = state->maxTipWidth;
        state->maxTipWidth = static_cast<int>(lParam);
        return before;
    }
    case TTM_ACTIVATE:
        state->active = wParam != 0;
        return 0;
    default:
        return DefWindowProcA(tip, message, wParam, lParam);
    }
}

} // namespace qelwin
