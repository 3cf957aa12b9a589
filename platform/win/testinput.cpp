#include "userinput.h"

#include "keyboardlayout.h"
#include "windowgeometry.h"
#include "windowmessages.h"
#include "windowfocus.h"
#include "windowtable.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct MouseMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

LPARAM PointWord(POINT at)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(at.x)), static_cast<WORD>(static_cast<SHORT>(at.y)));
}

// What the user's act becomes: the cursor moves, the window is asked for a cursor unless
// the capture holds the mouse, and the message is addressed to whoever takes it.
bool MakeMouseMessage(HWND window, UINT message, int x, int y, WPARAM keys, MouseMessage *made)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr)
        return false;
    if ((message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK) && (record->classStyle & CS_DBLCLKS) == 0)
        message = message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    HWND target = GetCapture();
    if (target == nullptr) {
        SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, message));
        target = window;
    }
    POINT at = screen;
    if (message != WM_MOUSEWHEEL)
        ScreenToClient(target, &at);
    *made = MouseMessage{target, message, keys, PointWord(at)};
    return true;
}

HWND KeyTarget(HWND window)
{
    return window != nullptr ? window : GetFocus();
}

// Holds the modifiers down for the length of one key.
class Modifiers {
public:
    explicit Modifiers(UINT modifiers) : shift_((modifiers & MK_SHIFT) != 0), control_((modifiers & MK_CONTROL) != 0)
    {
        shiftBefore_ = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        controlBefore_ = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        if (shift_)
            QelSetKeyState(VK_SHIFT, TRUE);
        if (control_)
            QelSetKeyState(VK_CONTROL, TRUE);
    }
    ~Modifiers()
    {
        if (shift_ && !shiftBefore_)
            QelSetKeyState(VK_SHIFT, FALSE);
        if (control_ && !controlBefore_)
            QelSetKeyState(VK_CONTROL, FALSE);
    }
    Modifiers(const Modifiers &) = delete;
    Modifiers &operator=(const Modifiers &) = delete;

private:
    bool shift_, control_, shiftBefore_ = false, controlBefore_ = false;
};

} // namespace

LRESULT QelSendMouse(HWND window, UINT message, int x, int y, WPARAM keys)
{
    MouseMessage made;
    if (!MakeMouseMessage(window, message, x, y, keys, &made))
        return 0;
    return SendMessageA(made.window, made.message, made.wParam, made.lParam);
}

BOOL QelPostMouse(HWND window, UINT message, int x, int y, WPARAM keys)
{
    MouseMessage made;
    if (!MakeMouseMessage(window, message, x, y, keys, &made))
        return FALSE;
    return PostMessageA(made.window, made.message, made.wParam, made.lParam);
}

LRESULT QelSendKey(HWND window, int virtualKey, UINT modifiers)
{
    HWND target = KeyTarget(window);
    if (target == nullptr)
        return 0;
    Modifiers held(modifiers);
    LRESULT result = SendMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    char character = (modifiers & MK_CONTROL) != 0 ? 0 : qelwin::UsCharacterOf(virtualKey, (modifiers & MK_SHIFT) != 0);
    // The key-down may have moved the focus (Tab, Return ending an edit): the character and
    // the key-up go where the focus now is, as they would from a keyboard.
    HWND now = KeyTarget(window);
    if (character != 0 && now != nullptr)
        SendMessageA(now, WM_CHAR, static_cast<unsigned char>(character), 1);
    if (now != nullptr)
        SendMessageA(now, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
    return result;
}

BOOL QelPostKey(HWND window, int virtualKey, UINT modifiers)
{
    HWND target = KeyTarget(window);
    if (target == nullptr)
        return FALSE;
    char character = (modifiers & MK_CONTROL) != 0 ? 0 : qelwin::UsCharacterOf(virtualKey, (modifiers & MK_SHIFT) != 0);
    if (!PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1))
        return FALSE;
    if (character != 0)
        PostMessageA(target, WM_CHAR, static_cast<unsigned char>(character), 1);
    return PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
}

BOOL QelSendText(HWND window, LPCSTR text)
{
    HWND target = KeyTarget(window);
    if (target == nullptr || text == nullptr)
        return FALSE;
    for (const char *at = text; *at != '\0'; ++at)
        SendMessageA(target, WM_CHAR, static_cast<unsigned char>(*at), 1);
    return TRUE;
}

int QelKeyFromName(LPCSTR name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    if (name[1] == '\0' && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    static const struct {
        const char *name;
        int key;
    } kNames[] = {{"LBUTTON", VK_LBUTTON}, {"RBUTTON", VK_RBUTTON}, {"BACK", VK_BACK},       {"TAB", VK_TAB},
                  {"RETURN", VK_RETURN},   {"SHIFT", VK_SHIFT},     {"CONTROL", VK_CONTROL}, {"MENU", VK_MENU},
                  {"ESCAPE", VK_ESCAPE},   {"SPACE", VK_SPACE},     {"PRIOR", VK_PRIOR},     {"NEXT", VK_NEXT},
                  {"END", VK_END},         {"HOME", VK_HOME},       {"LEFT", VK_LEFT},       {"UP", VK_UP},
                  {"RIGHT", VK_RIGHT},     {"DOWN", VK_DOWN},       {"INSERT", VK_INSERT},   {"DELETE", VK_DELETE},
                  {"MULTIPLY", VK_MULTIPLY}, {"ADD", VK_ADD},       {"SUBTRACT", VK_SUBTRACT},
                  {"OEM_PLUS", VK_OEM_PLUS}, {"OEM_MINUS", VK_OEM_MINUS}};
    for (const auto &entry : kNames)
        if (std::strcmp(entry.name, name) == 0)
            return entry.key;
    if (name[0] == 'F' && name[1] >= '1' && name[1] <= '9') {
        int number = std::atoi(name + 1);
        if (number >= 1 && number <= 24 && std::to_string(number) == name + 1)
            return VK_F1 + number - 1;
    }
    return 0;
}
