// Profile::CProfile: a store of settings addressed by section and entry, like an INI
// file.
//
// The store itself is ten virtual operations that move raw numbers, strings and blocks;
// the typed accessors on top of them fix the text forms of booleans, numbers, doubles
// and colours. Those forms are what earlier versions wrote into workspaces, and are read
// back exactly.
#pragma once

#include <afx.h>

namespace Profile {

// The styles of WriteDWORD: how a store that keeps text writes the number.
enum : int {
    PROFILE_STYLE_RAW = 0, // booleans
    PROFILE_STYLE_DECIMAL = 2,
    PROFILE_STYLE_HEX = 3,
};

class CProfile {
public:
    virtual ~CProfile() = default;
    // The store can be used.
    virtual BOOL IsOpen() = 0;
    virtual BOOL DeleteSection(LPCSTR section) = 0;
    virtual BOOL DeleteEntry(LPCSTR section, LPCSTR entry) = 0;
    // `style` is one of the PROFILE_STYLE_ values; a store may ignore it.
    virtual BOOL WriteDWORD(LPCSTR section, LPCSTR entry, DWORD value, int style) = 0;
    virtual BOOL GetDWORD(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out) = 0;
    virtual BOOL WriteString(LPCSTR section, LPCSTR entry, LPCSTR text) = 0;
    // At most `size` - 1 characters into `buffer`, always terminated.
    virtual BOOL GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, char *buffer, int size) = 0;
    virtual BOOL WriteBinary(LPCSTR section, LPCSTR entry, const void *data, int size) = 0;
    virtual BOOL GetBinary(LPCSTR section, LPCSTR entry, void *buffer, int size) = 0;

    // Style 0 writes the raw number 1 or 0 (WriteDWORD); 1 "True"/"False", 2 "On"/"Off",
    // 3 "Yes"/"No", any other "1"/"0".
    BOOL WriteBool(LPCSTR section, LPCSTR entry, BOOL value, int style);
    // Reads every form that WriteBool writes, the words blind to case; a text that is
    // none of them gives the default.
    BOOL GetBool(LPCSTR section, LPCSTR entry, BOOL defaultValue, BOOL *out);

    // Hexadecimal when `radix` is 16, else decimal.
    BOOL WriteByte(LPCSTR section, LPCSTR entry, BYTE value, int radix);
    BOOL WriteWord(LPCSTR section, LPCSTR entry, WORD value, int radix);
    BOOL WriteLong(LPCSTR section, LPCSTR entry, LONG value, int radix);
    // A number beyond the type gives the default. When the store fails, *out is the
    // default and the result FALSE.
    BOOL GetByte(LPCSTR section, LPCSTR entry, BYTE defaultValue, BYTE *out);
    BOOL GetWord(LPCSTR section, LPCSTR entry, WORD defaultValue, WORD *out);
    BOOL GetLong(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out);
    // The number when min <= number <= max, compared signed; else the default.
    BOOL GetLongInRange(LPCSTR section, LPCSTR entry, LONG min, LONG max, LONG defaultValue, LONG *out);
    LONG GetLongInRangeValue(LPCSTR section, LPCSTR entry, LONG min, LONG max, LONG defaultValue);

    // "%g"; read back with atof, the default for an empty text.
    BOOL WriteDouble(LPCSTR section, LPCSTR entry, double value);
    BOOL GetDouble(LPCSTR section, LPCSTR entry, double defaultValue, double *out);

    // At most `size` - 1 characters.
    BOOL GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, CString &out, int size);
    // The index in the NULL-ended `words` of the first that equals the text in its first
    // 32 characters, blind to case; the default for an empty text or no match.
    BOOL GetWordIndex(LPCSTR section, LPCSTR entry, const char *const *words, int defaultIndex, int *out);

    // "%3d,%3d,%3d" of red, green and blue. Reading takes each field as a number (its
    // radix from its form); fewer than three fields give FALSE and leave *out as it was.
    BOOL WriteColor(LPCSTR section, LPCSTR entry, COLORREF color);
    BOOL GetColor(LPCSTR section, LPCSTR entry, COLORREF *out);
};

} // namespace Profile
