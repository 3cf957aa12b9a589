#include "storagewrapper.h"

#include "stgtext.h"

#include <memory>

IMPLEMENT_DYNAMIC(CStorage, CObject)

namespace {

constexpr DWORD kOpenReadWrite = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreate = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

} // namespace

CStorage::CStorage(IStorage *storage) : m_pStorage(storage), m_hr(S_OK)
{
    if (m_pStorage != nullptr)
        m_pStorage->AddRef();
}

CStorage::~CStorage()
{
    if (m_pStorage != nullptr)
        m_pStorage->Release();
}

int CStorage::Replace(IStorage *storage, HRESULT hr)
{
    m_hr = hr;
    if (FAILED(hr) || storage == nullptr)
        return -1;
    if (m_pStorage != nullptr)
        m_pStorage->Release();
    m_pStorage = storage;
    return 0;
}

int CStorage::OpenFile(LPCSTR name)
{
    IStorage *storage = nullptr;
    HRESULT hr = StgOpenStorage(CStgName(name), nullptr, kOpenReadWrite, nullptr, 0, &storage);
    return Replace(storage, hr);
}

int CStorage::CreateFile(LPCSTR name)
{
    IStorage *storage = nullptr;
    HRESULT hr = StgCreateDocfile(CStgName(name), kCreate, 0, &storage);
    return Replace(storage, hr);
}

int CStorage::GetName(CString &name)
{
    if (m_pStorage == nullptr)
        return -1;
    STATSTG stat;
    if (FAILED(m_pStorage->Stat(&stat, STATFLAG_DEFAULT)))
        return -1;
    name = stat.pwcsName;
    CoTaskMemFree(stat.pwcsName);
    return 0;
}

CStream *CStorage::OpenStream(LPCSTR name)
{
    if (m_pStorage == nullptr)
        return nullptr;
    IStream *stream = nullptr;
    if (FAILED(m_pStorage->OpenStream(CStgName(name), nullptr, kOpenReadWrite, 0, &stream)))
        return nullptr;
    CStream *wrapper = new CStream(stream);
    stream->Release();
    return wrapper;
}

CStream *CStorage::CreateStream(LPCSTR name)
{
    if (m_pStorage == nullptr)
        return nullptr;
    IStream *stream = nullptr;
    if (FAILED(m_pStorage->CreateStream(CStgName(name), kCreate, 0, 0, &stream)))
        return nullptr;
    CStream *wrapper = new CStream(stream);
    stream->Release();
    return wrapper;
}

int CStorage::DestroyElement(LPCSTR name)
{
    if (m_pStorage == nullptr)
        return -1;
    return SUCCEEDED(m_pStorage->DestroyElement(CStgName(name))) ? 0 : -1;
}

int CStorage::RenameElement(LPCSTR oldName, LPCSTR newName)
{
    if (m_pStorage == nullptr)
        return -1;
    return SUCCEEDED(m_pStorage->RenameElement(CStgName(oldName), CStgName(newName))) ? 0 : -1;
}

int CStorage::ReadString(LPCSTR key, LPCSTR defaultText, CString &out, int size)
{
    if (m_pStorage == nullptr)
        return -1;
    std::unique_ptr<CStream> stream(OpenStream(key));
    if (stream == nullptr) {
        out = defaultText;
        return -1;
    }
    return stream->ReadString(defaultText, out, size);
}

int CStorage::WriteString(LPCSTR key, LPCSTR text)
{
    std::unique_ptr<CStream> stream(CreateStream(key));
    return stream != nullptr ? stream->WriteString(text) : -1;
}

template <class T>
T CStorage::ReadValue(LPCSTR key, T defaultValue)
{
    std::unique_ptr<CStream> stream(OpenStream(key));
    T value{};
    if (stream == nullptr || stream->Read(&value, sizeof value) != 0)
        return defaultValue;
    return value;
}

int CStorage::WriteBytes(LPCSTR key, const void *bytes, ULONG size)
{
    std::unique_ptr<CStream> stream(CreateStream(key));
    return stream != nullptr ? stream->Write(bytes, size) : -1;
}

LONG CStorage::ReadLong(LPCSTR key, LONG defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteLong(LPCSTR key, LONG value)
{
    return WriteBytes(key, &value, sizeof value);
}

DWORD CStorage::ReadDWORD(LPCSTR key, DWORD defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteDWORD(LPCSTR key, DWORD value)
{
    return WriteBytes(key, &value, sizeof value);
}

int CStorage::ReadInt(LPCSTR key, int defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteInt(LPCSTR key, int value)
{
    return WriteBytes(key, &value, sizeof value);
}

UINT CStorage::ReadUInt(LPCSTR key, UINT defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteUInt(LPCSTR key, UINT value)
{
    return WriteBytes(key, &value, sizeof value);
}

double CStorage::ReadDouble(LPCSTR key, double defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteDouble(LPCSTR key, double value)
{
    return WriteBytes(key, &value, sizeof value);
}

char CStorage::ReadChar(LPCSTR key, char defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteChar(LPCSTR key, char value)
{
    return WriteBytes(key, &value, sizeof value);
}

short CStorage::ReadShort(LPCSTR key, short defaultValue)
{
    return ReadValue(key, defaultValue);
}

int CStorage::WriteShort(LPCSTR key, short value)
{
    return WriteBytes(key, &value, sizeof value);
}

BOOL CStorage::ReadBinary(LPCSTR key, void *buffer, ULONG size)
{
    if (buffer == nullptr)
        return FALSE;
    std::unique_ptr<CStream> stream(OpenStream(key));
    return stream != nullptr && stream->Read(buffer, size) == 0;
}

int CStorage::WriteBinary(LPCSTR key, const void *buffer, ULONG size)
{
    if (buffer == nullptr)
        return -1;
    return WriteBytes(key, buffer, size);
}
