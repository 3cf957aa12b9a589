#include "restofile.h"

#include <cstdint>

namespace {

constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kInfoHeaderSize = 40; // BITMAPINFOHEADER
constexpr WORD kBitmapKind = 2;      // RT_BITMAP

DWORD ReadLittle(const BYTE *data, int bytes)
{
    DWORD value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | data[i];
    return value;
}

void WriteLittle(BYTE *data, DWORD value, int bytes)
{
    for (int i = 0; i < bytes; ++i, value >>= 8)
        data[i] = static_cast<BYTE>(value);
}

} // namespace

CResToFile::CResToFile(LPCSTR name, LPCSTR type, LPCSTR fileName) : m_fileName(fileName)
{
    m_kind = IS_INTRESOURCE(type) ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(type)) : 0;
    m_hModule = AfxFindResourceHandle(name, type);
    m_hResource = FindResourceA(m_hModule, name, type);
    if (m_hResource)
        m_size = SizeofResource(m_hModule, m_hResource);
}

CResToFile::~CResToFile()
{
    Free();
}

BOOL CResToFile::Load(BOOL reload)
{
    if (!m_hResource)
        return FALSE;
    if (m_hLoaded && !reload)
        return TRUE;
    Free();
    m_hLoaded = LoadResource(m_hModule, m_hResource);
    return m_hLoaded != nullptr;
}

BOOL CResToFile::Lock()
{
    if (!m_hLoaded && !Load(FALSE))
        return FALSE;
    m_pData = static_cast<const BYTE *>(LockResource(m_hLoaded));
    if (!m_pData || !MakeHeader()) {
        Unlock();
        return FALSE;
    }
    return TRUE;
}

// Resources stay mapped with their module, so there is nothing to undo but forgetting
// the pointer.
void CResToFile::Unlock()
{
    m_pData = nullptr;
}

void CResToFile::Free()
{
    Unlock();
    if (m_hLoaded)
        FreeResource(m_hLoaded);
    m_hLoaded = nullptr;
}

// The file header of a bitmap: "BM", the file size, 0, and the offset of the pixel data,
// which follow the info header and the colour table. The fields are read from the
// resource itself, so a bitmap too short for its info header, or whose pixel data would
// lie past the end of the file, gets no header and is not written.
BOOL CResToFile::MakeHeader()
{
    m_headerSize = 0;
    if (m_kind != kBitmapKind)
        return TRUE;
    if (m_size < kInfoHeaderSize || m_size > UINT32_MAX - kFileHeaderSize)
        return FALSE;
    uint64_t infoSize = ReadLittle(m_pData, 4);
    DWORD bitCount = ReadLittle(m_pData + 14, 2);
    uint64_t colours = ReadLittle(m_pData + 32, 4);
    if (colours == 0 && bitCount < 9)
        colours = uint64_t{1} << bitCount;
    uint64_t offset = kFileHeaderSize + infoSize + 4 * colours;
    DWORD fileSize = m_size + kFileHeaderSize;
    if (offset > fileSize)
        return FALSE;
    m_header[0] = 'B';
    m_header[1] = 'M';
    WriteLittle(m_header + 2, fileSize, 4);
    WriteLittle(m_header + 6, 0, 4);
    WriteLittle(m_header + 10, static_cast<DWORD>(offset), 4);
    m_headerSize = kFileHeaderSize;
    return TRUE;
}

IStream *CResToFile::ToStream()
{
    if (!Lock())
        return nullptr;
    IStream *stream = nullptr;
    bool written = SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ULONG count = 0;
    if (written && m_headerSize > 0)
        written = SUCCEEDED(stream->Write(m_header, m_headerSize, &count)) && count == m_headerSize;
    if (written && m_size > 0)
        written = SUCCEEDED(stream->Write(m_pData, m_size, &count)) && count == m_size;
    if (written) {
        LARGE_INTEGER start = {};
        written = SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr));
    }
    if (!written && stream) {
        stream->Release();
        stream = nullptr;
    }
    Free();
    return stream;
}

BOOL CResToFile::ToFile()
{
    if (!Lock())
        return FALSE;
    CFile file;
    if (!file.Open(m_fileName, CFile::modeCreate | CFile::modeWrite))
        return FALSE;
    try {
        if (m_headerSize > 0)
            file.Write(m_header, m_headerSize);
        file.Write(m_pData, m_size);
        file.Close();
        return TRUE;
    } catch (CFileException *e) {
        e->Delete();
    }
    file.Abort();
    try {
        CFile::Remove(m_fileName);
    } catch (CFileException *e) {
        e->Delete();
    }
    return FALSE;
}
