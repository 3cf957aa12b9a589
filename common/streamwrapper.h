// CStream: the older wrapper of one stream, with results 0 for success and -1 for
// failure.
#pragma once

#include <afx.h>

class CStream {
public:
    // Takes its own reference to `stream` (NULL: a wrapper of nothing, on which every
    // operation fails).
    explicit CStream(IStream *stream);
    virtual ~CStream();
    CStream(const CStream &) = delete;
    CStream &operator=(const CStream &) = delete;

    int GetName(CString &name);
    // 0 only when exactly `count` bytes moved, from or at the seek position.
    int Read(void *buffer, ULONG count);
    int Write(const void *buffer, ULONG count);
    // The string value from the seek position, at most `size` - 1 characters; when none
    // can be read `out` becomes `defaultText` (NULL: empty) and the result is -1.
    int ReadString(LPCSTR defaultText, CString &out, int size);
    // The text as UTF-16 with its zero character, at the seek position.
    int WriteString(LPCSTR text);

private:
    IStream *m_pStream;
};
