#include "afxstdiofile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

CStdioFile::CStdioFile() : m_pStream(nullptr), m_bText(TRUE) {}

CStdioFile::CStdioFile(FILE *openStream)
    : CFile(openStream != nullptr ? fileno(openStream) : static_cast<int>(hFileNull)), m_pStream(openStream),
      m_bText(TRUE)
{
}

CStdioFile::CStdioFile(LPCSTR fileName, UINT openFlags) : m_pStream(nullptr), m_bText(TRUE)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CStdioFile::~CStdioFile()
{
    if (m_pStream != nullptr && m_bCloseOnDelete)
        Abort();
}

BOOL CStdioFile::Open(LPCSTR fileName, UINT openFlags, CFileException *error)
{
    if (m_pStream != nullptr)
        Abort();
    if (!CFile::Open(fileName, openFlags, error))
        return FALSE;
    const char *mode = (openFlags & 3) == modeRead ? "r" : (openFlags & 3) == modeWrite ? "w" : "r+";
    m_pStream = fdopen(m_hFile, mode);
    if (m_pStream == nullptr) {
        int failure = errno;
        CFile::Abort();
        if (error != nullptr) {
            error->m_cause = CFileException::ErrnoToException(failure);
            error->m_lOsError = failure;
            error->m_strFileName = fileName;
        }
        return FALSE;
    }
    // A file kept for writing is written at its end, as the framework's stream files
    // append to it.
    bool kept = (openFlags & modeCreate) == 0 || (openFlags & modeNoTruncate) != 0;
    if (kept && (openFlags & 3) != modeRead && fseeko(m_pStream, 0, SEEK_END) != 0) {
        int failure = errno;
        Abort();
        if (error != nullptr) {
            error->m_cause = CFileException::badSeek;
            error->m_lOsError = failure;
            error->m_strFileName = fileName;
        }
        return FALSE;
    }
    m_bText = (openFlags & typeBinary) == 0;
    return TRUE;
}

BOOL CStdioFile::ReadString(CString &line)
{
    // getline reports the length it read, so zero bytes inside a line are kept.
    line.Empty();
    char *raw = nullptr;
    size_t capacity = 0;
    errno = 0;
    ssize_t read = getline(&raw, &capacity, m_pStream);
    if (read < 0) {
        free(raw);
        if (ferror(m_pStream))
            ThrowErrno(errno != 0 ? errno : EIO);
        return FALSE;
    }
    size_t length = static_cast<size_t>(read);
    if (length > 0 && raw[length - 1] == '\n')
        --length;
    if (m_bText && length > 0 && raw[length - 1] == '\r')
        --length;
    if (length > 0x7FFFFF00) {
        free(raw);
        AfxThrowMemoryException();
    }
    try {
        line = CString(raw, static_cast<int>(length));
    } catch (...) {
        free(raw);
        throw;
    }
    free(raw);
    return TRUE;
}

LPSTR CStdioFile::ReadString(LPSTR buffer, UINT maxCount)
{
    // A buffer of one byte holds no character: reading into it would never move on.
    if (buffer == nullptr || maxCount < 2) {
        if (buffer != nullptr && maxCount == 1)
            buffer[0] = '\0';
        return nullptr;
    }
    int size = maxCount > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(maxCount);
    if (fgets(buffer, size, m_pStream) == nullptr) {
        if (ferror(m_pStream))
            ThrowErrno(errno != 0 ? errno : EIO);
        buffer[0] = '\0';
        return nullptr;
    }
    size_t length = strlen(buffer);
    if (m_bText && length >= 2 && buffer[length - 1] == '\n' && buffer[length - 2] == '\r') {
        buffer[length - 2] = '\n';
        buffer[length - 1] = '\0';
    }
    return buffer;
}

void CStdioFile::WriteString(LPCSTR text)
{
    if (text != nullptr && fputs(text, m_pStream) == EOF)
        ThrowErrno(errno != 0 ? errno : EIO);
}

UINT CStdioFile::Read(void *buffer, UINT count)
{
    size_t done = fread(buffer, 1, count, m_pStream);
    if (done < count && ferror(m_pStream))
        ThrowErrno(errno != 0 ? errno : EIO);
    return static_cast<UINT>(done);
}

void CStdioFile::Write(const void *buffer, UINT count)
{
    if (fwrite(buffer, 1, count, m_pStream) != count)
        ThrowErrno(errno != 0 ? errno : EIO);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from)
{
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    if (fseeko(m_pStream, offset, whence) != 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return GetPosition();
}

ULONGLONG CStdioFile::GetPosition() const
{
    off_t position = ftello(m_pStream);
    if (position < 0)
        ThrowErrno(errno);
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CStdioFile::GetLength() const
{
    fflush(m_pStream);
    return CFile::GetLength();
}

void CStdioFile::Flush()
{
    if (m_pStream != nullptr && fflush(m_pStream) != 0)
        ThrowErrno(errno);
}

void CStdioFile::Close()
{
    if (m_pStream == nullptr)
        return;
    FILE *stream = m_pStream;
    m_pStream = nullptr;
    BOOL owned = m_bCloseOnDelete;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (owned) {
        if (fclose(stream) != 0)
            ThrowErrno(errno);
    } else if (fflush(stream) != 0) {
        ThrowErrno(errno);
    }
}

void CStdioFile::Abort()
{
    if (m_pStream != nullptr && m_bCloseOnDelete)
        fclose(m_pStream);
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}
