#include "keyboardlayout.h"

#include "userinput.h"

#include <cstring>

namespace qelwin {

char UsCharacterOf(int key, bool shift)
{
    if (key >= 'A' && key <= 'Z')
        return static_cast<char>(shift ? key : key - 'A' + 'a');
    if (key >= '0' && key <= '9')
        return shift ? ")!@#$%^&*("[key - '0'] : static_cast<char>(key);
    switch (key) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return '\r';
    case VK_BACK:
        return '\b';
    case VK_TAB:
        return '\t';
    case VK_ESCAPE:
        return 0x1B;
    case VK_OEM_PLUS:
        return shift ? '+' : '=';
    case VK_OEM_MINUS:
        return shift ? '_' : '-';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_MULTIPLY:
        return '*';
    default:
        return 0;
    }
}

} // namespace qelwin

BOOL GetKeyboardState(PBYTE state)
{
    if (state == nullptr)
        return FALSE;
    for (int key = 0; key < 256; ++key) {
        SHORT now = GetKeyState(key);
        state[key] = static_cast<BYTE>(((now & 0x8000) != 0 ? 0x80 : 0) | (now & 1));
    }
    return TRUE;
}

int ToAscii(UINT virtualKey, UINT, const BYTE *state, LPWORD character, UINT)
{
    if (state == nullptr || character == nullptr || virtualKey > 255)
        return 0;
    bool shift = (state[VK_SHIFT] & 0x80) != 0;
    bool control = (state[VK_CONTROL] & 0x80) != 0;
    // Ctrl with a letter types its control character, as the platform's layouts do; Ctrl
    // with any other key types nothing.
    if (control) {
        if (virtualKey >= 'A' && virtualKey <= 'Z') {
            *character = static_cast<WORD>(virtualKey - 'A' + 1);
            return 1;
        }
        return 0;
    }
    char typed = qelwin::UsCharacterOf(static_cast<int>(virtualKey), shift);
    if (typed == 0)
        return 0;
    *character = static_cast<unsigned char>(typed);
    return 1;
}
