// Text in structured storages: element names, and the string form of stream values.
//
// Storages speak UTF-16 and the system speaks ANSI, so names are converted before every
// call, and a string value is its UTF-16 text followed by one zero character (two bytes
// per character, no length in front). Both generations of the storage wrappers read and
// write strings through here, so that they agree on the form to the byte.
#pragma once

#include <afx.h>

#include <string>

// An ANSI element name as the storage takes it. NULL stays NULL (a root storage in
// memory, for StgCreateDocfile); the ANSI code page holds every byte, so the conversion
// cannot fail.
class CStgName {
public:
    explicit CStgName(LPCSTR name);
    operator const OLECHAR *() const { return m_null ? nullptr : m_name.c_str(); }

private:
    bool m_null;
    std::u16string m_name;
};

// Reads a string value from the stream's seek position with one Read of at most
// `size` - 1 characters, so that the text and its terminating zero fit a buffer of `size`
// characters: the text ends at the first zero character or with the last character read.
// S_OK with the text in *out; S_FALSE, with *out unchanged, when not one character came
// (an empty stream, or `size` 1); the stream's error when the read fails; E_INVALIDARG
// for a `size` below 1; E_OUTOFMEMORY.
HRESULT QelStgReadText(IStream *stream, int size, CString *out);

// Writes `text` with its zero character at the seek position (2 times (length + 1)
// bytes); a longer text stored before keeps its tail behind the zero. S_OK only when all
// of it was written (STG_E_MEDIUMFULL when the stream took less); E_POINTER for NULL.
// `flags` go to MultiByteToWideChar.
HRESULT QelStgWriteText(IStream *stream, LPCSTR text, DWORD flags);
