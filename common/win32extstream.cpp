#include "win32extstream.h"

#include "stgtext.h"

#include <climits>
#include <cstring>

namespace Win32Ext {

namespace {

constexpr DWORD kOpenRead = STGM_SHARE_EXCLUSIVE | STGM_READ;
constexpr DWORD kOpenReadWrite = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreateNew = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreateReplacing = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

} // namespace

void CStream::Release()
{
    if (m_pStream != nullptr) {
        m_pStream->Release();
        m_pStream = nullptr;
    }
}

BOOL CStream::Keep(IStream *stream, HRESULT hr)
{
    m_hr = hr;
    if (FAILED(hr) || stream == nullptr)
        return FALSE;
    m_pStream = stream;
    return TRUE;
}

BOOL CStream::Open(LPCSTR name, IStorage *parent, BOOL readOnly)
{
    if (parent == nullptr)
        return FALSE;
    Release();
    IStream *stream = nullptr;
    HRESULT hr = parent->OpenStream(CStgName(name), nullptr, readOnly ? kOpenRead : kOpenReadWrite, 0, &stream);
    return Keep(stream, hr);
}

BOOL CStream::Create(LPCSTR name, IStorage *parent, BOOL failIfExists)
{
    if (parent == nullptr)
        return FALSE;
    Release();
    IStream *stream = nullptr;
    HRESULT hr = parent->CreateStream(CStgName(name), failIfExists ? kCreateNew : kCreateReplacing, 0, 0, &stream);
    return Keep(stream, hr);
}

BOOL CStream::OpenOrCreate(LPCSTR name, IStorage *parent)
{
    return Open(name, parent, FALSE) || Create(name, parent, FALSE);
}

int CStream::GetName(CString &name)
{
    if (m_pStream == nullptr)
        return 0;
    STATSTG stat;
    m_hr = m_pStream->Stat(&stat, STATFLAG_DEFAULT);
    if (FAILED(m_hr))
        return 0;
    name = stat.pwcsName;
    CoTaskMemFree(stat.pwcsName);
    return name.GetLength();
}

BOOL CStream::Write(const void *data, ULONG count)
{
    if (m_pStream == nullptr || data == nullptr)
        return FALSE;
    ULONG written = 0;
    m_hr = m_pStream->Write(data, count, &written);
    return SUCCEEDED(m_hr) && written == count;
}

BOOL CStream::Read(void *buffer, ULONG count, ULONG *got)
{
    if (got != nullptr)
        *got = 0;
    if (m_pStream == nullptr || buffer == nullptr)
        return FALSE;
    ULONG read = 0;
    m_hr = m_pStream->Read(buffer, count, &read);
    if (got != nullptr)
        *got = read;
    return SUCCEEDED(m_hr) && read == count;
}

BOOL CStream::SeekToStart()
{
    LARGE_INTEGER start;
    start.QuadPart = 0;
    m_hr = m_pStream->Seek(start, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(m_hr);
}

BOOL CStream::ReadString(char *buffer, int size)
{
    if (buffer == nullptr || size < 1)
        return FALSE;
    CString text;
    if (!ReadString(text, size))
        return FALSE;
    // The text has at most size - 1 characters; a zero byte inside it (a character that
    // the ANSI code page cannot hold becomes '?', never 0) cannot occur.
    memcpy(buffer, static_cast<LPCSTR>(text), static_cast<size_t>(text.GetLength()) + 1);
    return TRUE;
}

BOOL CStream::ReadString(CString &text, int size)
{
    if (m_pStream == nullptr || size < 0 || !SeekToStart())
        return FALSE;
    if (size == 0) {
        STATSTG stat;
        m_hr = m_pStream->Stat(&stat, STATFLAG_NONAME);
        if (FAILED(m_hr))
            return FALSE;
        // Room for every character the stream holds and the terminator.
        ULONGLONG characters = stat.cbSize.QuadPart / sizeof(OLECHAR);
        size = characters < INT_MAX ? static_cast<int>(characters) + 1 : INT_MAX;
    }
    m_hr = QelStgReadText(m_pStream, size, &text);
    return m_hr == S_OK;
}

BOOL CStream::WriteString(const char *text)
{
    if (m_pStream == nullptr || !SeekToStart())
        return FALSE;
    m_hr = QelStgWriteText(m_pStream, text, MB_PRECOMPOSED);
    return m_hr == S_OK;
}

BOOL CStream::ReadDWORD(DWORD *value)
{
    if (m_pStream == nullptr || value == nullptr || !SeekToStart())
        return FALSE;
    DWORD read = 0;
    if (!Read(&read, sizeof read))
        return FALSE;
    *value = read;
    return TRUE;
}

BOOL CStream::WriteDWORD(DWORD value)
{
    if (m_pStream == nullptr || !SeekToStart())
        return FALSE;
    return Write(&value, sizeof value);
}

} // namespace Win32Ext
