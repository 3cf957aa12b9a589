#include "internal/stgname.h"

#include "stgerror.h"

namespace qelcom {

namespace {

bool IsForbiddenNameChar(char16_t c)
{
    return c == u'/' || c == u'\\' || c == u':' || c == u'!';
}

} // namespace

LONG CheckElementName(const char16_t *name)
{
    if (!name)
        return STG_E_INVALIDPOINTER;
    size_t length = 0;
    while (name[length] != 0) {
        if (length == kMaxElementName || IsForbiddenNameChar(name[length]))
            return STG_E_INVALIDNAME;
        length++;
    }
    return length == 0 ? STG_E_INVALIDNAME : S_OK;
}

bool IsValidElementName(const std::u16string &name)
{
    if (name.empty() || name.size() > kMaxElementName)
        return false;
    for (char16_t c : name) {
        if (c == 0 || IsForbiddenNameChar(c))
            return false;
    }
    return true;
}

char16_t UpperElementChar(char16_t c)
{
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if (c == 0x131)
        return u'I'; // dotless i
    if (c == 0x17F)
        return u'S'; // long s
    if (c == 0x192)
        return 0x191;
    // Latin Extended-A pairs its letters, capital first, in three runs whose capitals
    // stand on even units, then odd, then even again, and a last run on odd units.
    bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapitals && (c & 1) == 1) || (oddCapitals && (c & 1) == 0))
        return static_cast<char16_t>(c - 1);
    return c;
}

bool ElementNameLess::operator()(const std::u16string &a, const std::u16string &b) const
{
    if (a.size() != b.size())
        return a.size() < b.size();
    for (size_t i = 0; i < a.size(); i++) {
        char16_t ua = UpperElementChar(a[i]);
        char16_t ub = UpperElementChar(b[i]);
        if (ua != ub)
            return ua < ub;
    }
    return false;
}

} // namespace qelcom
