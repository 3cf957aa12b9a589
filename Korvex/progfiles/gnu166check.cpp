#include "gnu166check.h"

int CheckGnu166Header(HANDLE file, CString *refusal)
{
    BYTE bytes[GNU166_HEADER_SIZE];
    DWORD read = 0;
    if (!ReadFile(file, bytes, sizeof bytes, &read, nullptr) || read < sizeof bytes) {
        if (refusal != nullptr)
            refusal->Format("it is too short for a GNU C166 header (%u bytes)", static_cast<unsigned>(read));
        return 0;
    }
    const CString reason = Gnu166HeaderRefusal(ReadGnu166Header(bytes));
    if (refusal != nullptr)
        *refusal = reason;
    return reason.IsEmpty() ? 1 : 0;
}
