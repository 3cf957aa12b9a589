// CStdioFile: a buffered text (or binary) file over a C stream.
//
// It can be bound to a stream that is already open, such as CStdioFile(stdout); such a
// stream is not closed with the object. Text on Linux has no line-end translation, but
// files written on Windows end their lines with "\r\n": in text mode (the default, or
// typeText) ReadString drops the '\r' before a '\n', so such files read as they did on
// Windows. Written text keeps its '\n' line ends.
#pragma once

#include "afxfile.h"

#include <cstdio>

class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    explicit CStdioFile(FILE *openStream);
    CStdioFile(LPCSTR fileName, UINT openFlags);
    ~CStdioFile() override;

    BOOL Open(LPCSTR fileName, UINT openFlags, CFileException *error = nullptr) override;

    // The next line without its line end, zero bytes included; FALSE at the end of the
    // file when no character was left.
    BOOL ReadString(CString &line);
    // At most `maxCount` - 1 characters of the next line, with its '\n' when that fits,
    // terminated; NULL at the end of the file, and for a buffer too small to hold a
    // character.
    LPSTR ReadString(LPSTR buffer, UINT maxCount);
    void WriteString(LPCSTR text);

    UINT Read(void *buffer, UINT count) override;
    void Write(const void *buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    FILE *m_pStream;

private:
    BOOL m_bText;
};
