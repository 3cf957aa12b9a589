// Win32Ext::CStream: the newer wrapper of one stream. Results are BOOL; the HRESULT of
// the last call stays for the caller to inspect. Values are read and written from the
// stream's start.
#pragma once

#include <afx.h>

namespace Win32Ext {

class CStream {
public:
    CStream() : m_pStream(nullptr), m_hr(S_OK) {}
    virtual ~CStream() { Release(); }
    CStream(const CStream &) = delete;
    CStream &operator=(const CStream &) = delete;

    IStream *GetStream() const { return m_pStream; }
    HRESULT GetLastResult() const { return m_hr; }

    // The stream `name` of `parent` (FALSE without one), read-only or for reading and
    // writing, in place of the stream held.
    BOOL Open(LPCSTR name, IStorage *parent, BOOL readOnly);
    // A new stream; an element of that name is replaced unless `failIfExists`.
    BOOL Create(LPCSTR name, IStorage *parent, BOOL failIfExists);
    // Open for reading and writing, else Create replacing.
    BOOL OpenOrCreate(LPCSTR name, IStorage *parent);
    // The length of the stream's name; 0 on failure.
    int GetName(CString &name);
    void Release();

    // TRUE when exactly `count` bytes moved at the seek position; *got (when given)
    // receives the count read.
    BOOL Write(const void *data, ULONG count);
    BOOL Read(void *buffer, ULONG count, ULONG *got = nullptr);

    // The string value, at most `size` - 1 characters, always terminated in `buffer`
    // (which is left as it was when nothing can be read).
    BOOL ReadString(char *buffer, int size);
    // The same into `text`; a `size` of 0 takes the whole stream, and an empty stream
    // gives FALSE.
    BOOL ReadString(CString &text, int size);
    // The text with its zero character, from the start. The stream keeps its length: a
    // longer text written before leaves its tail behind the zero, never read.
    BOOL WriteString(const char *text);
    // Exactly 4 bytes at the start.
    BOOL ReadDWORD(DWORD *value);
    BOOL WriteDWORD(DWORD value);

private:
    BOOL Keep(IStream *stream, HRESULT hr);
    BOOL SeekToStart();

    IStream *m_pStream;
    HRESULT m_hr;
};

} // namespace Win32Ext
