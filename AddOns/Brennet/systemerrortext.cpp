#include "systemerrortext.h"

CString &GetSystemErrorText(DWORD code, CString &text, LPCSTR format)
{
    LPSTR message = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&message), 0, nullptr);
    LPCSTR found = message != nullptr ? message : "";
    if (format != nullptr)
        text.Format(format, found);
    else
        text = found;
    if (message != nullptr)
        LocalFree(message);
    return text;
}
