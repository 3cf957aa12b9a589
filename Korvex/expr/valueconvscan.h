// Helpers that the converters share: the value bytes that a converter works on, and the
// rule by which a text counts as read.
//
// Every converter works on the 8 bytes of a value slot (QelConvertValue hands it a copy
// of the node's buffer, zero-filled behind it), so a converter that reads or writes more
// bytes than the node's value has never leaves that slot.
#pragma once

#include <afx.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace QelConv {

template <class T>
T Load(const void *slot)
{
    T value;
    std::memcpy(&value, slot, sizeof value);
    return value;
}

template <class T>
void Store(void *slot, T value)
{
    std::memcpy(slot, &value, sizeof value);
}

// TRUE when nothing but blanks stands in `text` from `used` on: a text is read only when
// the scan took all of it.
inline BOOL OnlyBlanksFrom(LPCSTR text, int used)
{
    for (LPCSTR rest = text + used; *rest != '\0'; ++rest)
        if (*rest != ' ' && *rest != '\t')
            return FALSE;
    return TRUE;
}

// Scans `text` with `format`, which must end in "%n" after one conversion into `value`:
// TRUE when the conversion was made and only blanks follow.
template <class T>
BOOL ScanWhole(LPCSTR text, LPCSTR format, T *value)
{
    int used = -1;
    if (std::sscanf(text, format, value, &used) < 1 || used < 0)
        return FALSE;
    return OnlyBlanksFrom(text, used);
}

// The text that the hex converters scan: "0X" read as "0x", and "0x" put in front of a
// text without it.
CString HexScanText(LPCSTR text);

// Reverses the order of the `count` 16-bit words at `bytes` (bytes inside a word kept):
// how a word-swapped program holds floats (2 words) and doubles (4).
void ReverseWords(BYTE *bytes, int count);

} // namespace QelConv
