#include "streamwrapper.h"

#include "stgtext.h"

CStream::CStream(IStream *stream) : m_pStream(stream)
{
    if (m_pStream != nullptr)
        m_pStream->AddRef();
}

CStream::~CStream()
{
    if (m_pStream != nullptr)
        m_pStream->Release();
}

int CStream::GetName(CString &name)
{
    if (m_pStream == nullptr)
        return -1;
    STATSTG stat;
    if (FAILED(m_pStream->Stat(&stat, STATFLAG_DEFAULT)))
        return -1;
    name = stat.pwcsName;
    CoTaskMemFree(stat.pwcsName);
    return 0;
}

int CStream::Read(void *buffer, ULONG count)
{
    if (m_pStream == nullptr || buffer == nullptr)
        return -1;
    ULONG got = 0;
    return SUCCEEDED(m_pStream->Read(buffer, count, &got)) && got == count ? 0 : -1;
}

int CStream::Write(const void *buffer, ULONG count)
{
    if (m_pStream == nullptr || buffer == nullptr)
        return -1;
    ULONG written = 0;
    return SUCCEEDED(m_pStream->Write(buffer, count, &written)) && written == count ? 0 : -1;
}

int CStream::ReadString(LPCSTR defaultText, CString &out, int size)
{
    if (m_pStream != nullptr && QelStgReadText(m_pStream, size, &out) == S_OK)
        return 0;
    out = defaultText;
    return -1;
}

int CStream::WriteString(LPCSTR text)
{
    if (m_pStream == nullptr)
        return -1;
    return QelStgWriteText(m_pStream, text, 0) == S_OK ? 0 : -1;
}
