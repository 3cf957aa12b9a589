// CString: the framework's ANSI string.
//
// The text is bytes of code page 1252 with a terminating zero, and may hold further zero
// bytes inside its length. As in the framework, a CString is one pointer wide: the
// pointer addresses the characters, and the length and the allocated size stand in a
// header just before them. Unlike the framework, strings never share their buffer: a copy
// copies, so a CString may be handed between threads like any value, and GetBuffer never
// has to split a shared buffer. LockBuffer and UnlockBuffer therefore have nothing to
// prevent and only hand out the buffer.
//
// Bounds: Mid, Left, Right, Insert and Delete clamp their arguments to the text, as the
// framework does in its release build; an index outside the text given to GetAt, SetAt or
// operator[] stops the program (afxdiag.h). ReleaseBuffer never takes a length beyond the
// buffer that GetBuffer handed out.
#pragma once

#include "afxdiag.h"
#include "basetypes.h"
#include "bstr.h"

#include <cstdarg>

class CString {
public:
    CString();
    CString(const CString &other);
    CString(CString &&other) noexcept;
    CString(LPCSTR text);                 // NULL gives the empty string
    CString(LPCSTR text, int length);     // the first `length` bytes, zeros included
    CString(LPCWSTR text);                // UTF-16 converted to code page 1252
    CString(char ch, int repeat = 1);
    ~CString();

    int GetLength() const { return Data()->length; }
    BOOL IsEmpty() const { return GetLength() == 0; }
    void Empty();

    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }
    operator LPCTSTR() const { return m_pchData; }

    const CString &operator=(const CString &other);
    const CString &operator=(CString &&other) noexcept;
    const CString &operator=(LPCSTR text);
    const CString &operator=(LPCWSTR text);
    const CString &operator=(char ch);

    const CString &operator+=(const CString &other);
    const CString &operator+=(LPCSTR text);
    const CString &operator+=(char ch);

    // Byte order (strcmp), case-blind ASCII order (_stricmp), and the C run-time's
    // collation, which in the C locale the framework runs in is byte order as well.
    int Compare(LPCSTR text) const;
    int CompareNoCase(LPCSTR text) const;
    int Collate(LPCSTR text) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(LPCSTR charSet) const;
    CString SpanExcluding(LPCSTR charSet) const;

    void MakeUpper();
    void MakeLower();
    void MakeReverse();

    int Replace(char oldChar, char newChar);
    int Replace(LPCSTR oldText, LPCSTR newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, LPCSTR text);
    int Delete(int index, int count = 1);

    // Without an argument the white space of the C locale goes: blank, tab, line feed,
    // vertical tab, form feed and carriage return.
    void TrimLeft();
    void TrimLeft(char target);
    void TrimLeft(LPCSTR targets);
    void TrimRight();
    void TrimRight(char target);
    void TrimRight(LPCSTR targets);

    // Positions count from 0; -1 when not found or `start` lies beyond the text.
    int Find(char ch) const { return Find(ch, 0); }
    int Find(char ch, int start) const;
    int Find(LPCSTR text) const { return Find(text, 0); }
    int Find(LPCSTR text, int start) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR charSet) const;

    // printf formats in the C locale. Windows code wrote "%ld" for its 32-bit LONGs;
    // here those are written "%d", "%u" and "%X", and the compiler checks the formats.
    void Format(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(LPCSTR format, va_list args) __attribute__((format(printf, 2, 0)));

    // A buffer of at least `minLength` characters plus the terminator, holding the text.
    // The length stays as it was until ReleaseBuffer: -1 takes the text up to its first
    // zero byte (never past the buffer), another value that many characters.
    LPSTR GetBuffer(int minLength);
    LPSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);
    void FreeExtra();
    LPSTR LockBuffer();
    void UnlockBuffer() {}

    // The string `id` of the current resource module (AfxGetResourceHandle); FALSE and
    // an empty string when there is none.
    BOOL LoadString(UINT id);
    // The text as a new BSTR (code page 1252 to UTF-16); CMemoryException when none can
    // be had. The caller frees it with SysFreeString.
    BSTR AllocSysString() const;
    // Replaces *bstr with the text as a BSTR and returns it; CMemoryException on failure.
    BSTR SetSysString(BSTR *bstr) const;

private:
    struct Header {
        int length;   // characters in use, without the terminator
        int capacity; // characters that fit, without the terminator
    };

    Header *Data() const { return reinterpret_cast<Header *>(m_pchData) - 1; }
    void AllocBuffer(int capacity);
    void Release();
    void AssignCopy(LPCSTR text, int length);
    void AppendCopy(LPCSTR text, int length);
    void SetLength(int length);
    void Grow(int capacity);
    void SpliceAt(int index, int removeCount, LPCSTR insert, int insertCount);

    LPSTR m_pchData;

    friend CString operator+(const CString &a, const CString &b);
    friend CString operator+(const CString &a, LPCSTR b);
    friend CString operator+(LPCSTR a, const CString &b);
    friend CString operator+(const CString &a, char b);
    friend CString operator+(char a, const CString &b);
};

static_assert(sizeof(CString) == sizeof(char *), "a CString is one pointer, as in the framework");

CString operator+(const CString &a, const CString &b);
CString operator+(const CString &a, LPCSTR b);
CString operator+(LPCSTR a, const CString &b);
CString operator+(const CString &a, char b);
CString operator+(char a, const CString &b);

inline bool operator==(const CString &a, const CString &b) { return a.Compare(b) == 0; }
inline bool operator==(const CString &a, LPCSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCSTR a, const CString &b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString &a, const CString &b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString &a, LPCSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCSTR a, const CString &b) { return b.Compare(a) != 0; }
inline bool operator<(const CString &a, const CString &b) { return a.Compare(b) < 0; }
inline bool operator<(const CString &a, LPCSTR b) { return a.Compare(b) < 0; }
inline bool operator<(LPCSTR a, const CString &b) { return b.Compare(a) > 0; }
inline bool operator>(const CString &a, const CString &b) { return a.Compare(b) > 0; }
inline bool operator>(const CString &a, LPCSTR b) { return a.Compare(b) > 0; }
inline bool operator>(LPCSTR a, const CString &b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString &a, const CString &b) { return a.Compare(b) <= 0; }
inline bool operator<=(const CString &a, LPCSTR b) { return a.Compare(b) <= 0; }
inline bool operator<=(LPCSTR a, const CString &b) { return b.Compare(a) >= 0; }
inline bool operator>=(const CString &a, const CString &b) { return a.Compare(b) >= 0; }
inline bool operator>=(const CString &a, LPCSTR b) { return a.Compare(b) >= 0; }
inline bool operator>=(LPCSTR a, const CString &b) { return b.Compare(a) <= 0; }
