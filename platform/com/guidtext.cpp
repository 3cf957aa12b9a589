#include "guidtext.h"

#include "taskmem.h"

namespace {

// "{" 8 "-" 4 "-" 4 "-" 4 "-" 12 "}": 38 characters.
constexpr int kTextLength = 38;

int HexValue(OLECHAR c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Reads `digits` hexadecimal digits at text[pos].
bool ReadHex(LPCOLESTR text, int pos, int digits, DWORD *value)
{
    DWORD v = 0;
    for (int i = 0; i < digits; i++) {
        int d = HexValue(text[pos + i]);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<DWORD>(d);
    }
    *value = v;
    return true;
}

bool ParseGuid(LPCOLESTR text, GUID *guid)
{
    // Each character is checked before the next is read, so a short text stops at its
    // terminator and nothing past it is touched.
    for (int i = 0; i < kTextLength; i++) {
        OLECHAR c = text[i];
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (i == 0 ? c != u'{' : i == kTextLength - 1 ? c != u'}' : dash ? c != u'-' : HexValue(c) < 0)
            return false;
    }
    if (text[kTextLength] != 0)
        return false;
    GUID g;
    DWORD v = 0;
    ReadHex(text, 1, 8, &v);
    g.Data1 = v;
    ReadHex(text, 10, 4, &v);
    g.Data2 = static_cast<WORD>(v);
    ReadHex(text, 15, 4, &v);
    g.Data3 = static_cast<WORD>(v);
    for (int i = 0; i < 8; i++) {
        int pos = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
        ReadHex(text, pos, 2, &v);
        g.Data4[i] = static_cast<BYTE>(v);
    }
    *guid = g;
    return true;
}

void FormatGuid(REFGUID guid, OLECHAR *out)
{
    static const char digits[] = "0123456789ABCDEF";
    int pos = 0;
    auto put = [&](DWORD value, int count) {
        for (int i = count - 1; i >= 0; i--)
            out[pos++] = static_cast<OLECHAR>(digits[(value >> (4 * i)) & 0xF]);
    };
    out[pos++] = u'{';
    put(guid.Data1, 8);
    out[pos++] = u'-';
    put(guid.Data2, 4);
    out[pos++] = u'-';
    put(guid.Data3, 4);
    out[pos++] = u'-';
    put(guid.Data4[0], 2);
    put(guid.Data4[1], 2);
    out[pos++] = u'-';
    for (int i = 2; i < 8; i++)
        put(guid.Data4[i], 2);
    out[pos++] = u'}';
    out[pos] = 0;
}

HRESULT ReadGuidText(LPCOLESTR text, GUID *guid, HRESULT malformed)
{
    if (!guid)
        return E_INVALIDARG;
    if (!text) {
        *guid = GUID_NULL;
        return S_OK;
    }
    return ParseGuid(text, guid) ? S_OK : malformed;
}

HRESULT NewGuidText(REFGUID guid, LPOLESTR *text)
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc((kTextLength + 1) * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    FormatGuid(guid, *text);
    return S_OK;
}

} // namespace

STDAPI CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    return ReadGuidText(text, clsid, CO_E_CLASSSTRING);
}

STDAPI IIDFromString(LPCOLESTR text, LPIID iid)
{
    return ReadGuidText(text, iid, E_INVALIDARG);
}

STDAPI StringFromCLSID(REFCLSID clsid, LPOLESTR *text)
{
    return NewGuidText(clsid, text);
}

STDAPI StringFromIID(REFIID iid, LPOLESTR *text)
{
    return NewGuidText(iid, text);
}

STDAPI_(int) StringFromGUID2(REFGUID guid, LPOLESTR text, int count)
{
    if (!text || count < kTextLength + 1)
        return 0;
    FormatGuid(guid, text);
    return kTextLength + 1;
}
