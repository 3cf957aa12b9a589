#include "afxstring.h"

#include "afxexcept.h"
#include "afxmodule.h"
#include "textconv.h"

// The table holds strings of any length: the buffer grows until the string fits with
// room to spare, which is how a full buffer is told from a string that just fits.
BOOL CString::LoadString(UINT id)
{
    for (int size = 256;; size *= 2) {
        int length = AfxLoadString(id, GetBuffer(size - 1), size);
        if (length < size - 1 || size >= (1 << 24)) {
            ReleaseBuffer(length);
            return length > 0;
        }
    }
}

BSTR CString::AllocSysString() const
{
    int length = GetLength();
    int wideLength = length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, m_pchData, length, nullptr, 0);
    if (length > 0 && wideLength == 0)
        AfxThrowMemoryException();
    BSTR result = SysAllocStringLen(nullptr, wideLength);
    if (result == nullptr)
        AfxThrowMemoryException();
    if (wideLength > 0)
        MultiByteToWideChar(CP_ACP, 0, m_pchData, length, result, wideLength);
    return result;
}

// The old BSTR is freed only when the new one has been made, so a failure loses nothing.
BSTR CString::SetSysString(BSTR *bstr) const
{
    AfxCheck(bstr != nullptr, "a BSTR to set");
    BSTR made = AllocSysString();
    SysFreeString(*bstr);
    *bstr = made;
    return made;
}
