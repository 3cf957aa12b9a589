#include "gnu166stabs.h"

#include <packedindex.h>

Gnu166Stab SplitGnu166Stab(const CString &text)
{
    Gnu166Stab stab;
    const int colon = text.Find(':');
    if (colon < 0) {
        stab.Name = text;
        return stab;
    }
    stab.Name = text.Left(colon);
    int at = colon + 1;
    const char letter = at < text.GetLength() ? text[at] : '\0';
    if ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) {
        stab.Letter = letter;
        ++at;
    }
    stab.TypePart = text.Mid(at);
    LONG number = 0;
    int digits = 0;
    for (; at < text.GetLength() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
        number = number * 10 + (text[at] - '0');
        if (number > kMaxPackedNumber)
            return stab;
    }
    if (digits > 0)
        stab.TypeNumber = number;
    return stab;
}
