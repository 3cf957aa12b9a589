#include "win32extstorage.h"

#include "stgtext.h"
#include "win32extstream.h"

namespace Win32Ext {

namespace {

constexpr DWORD kOpenRead = STGM_SHARE_EXCLUSIVE | STGM_READ;
constexpr DWORD kOpenReadWrite = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreateNew = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreateReplacing = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

HRESULT OpenElement(IStorage *parent, const OLECHAR *name, DWORD mode, IStorage **storage)
{
    if (parent != nullptr)
        return parent->OpenStorage(name, nullptr, mode, nullptr, 0, storage);
    return StgOpenStorage(name, nullptr, mode, nullptr, 0, storage);
}

HRESULT CreateElement(IStorage *parent, const OLECHAR *name, DWORD mode, IStorage **storage)
{
    if (parent != nullptr)
        return parent->CreateStorage(name, mode, 0, 0, storage);
    return StgCreateDocfile(name, mode, 0, storage);
}

} // namespace

BOOL CStorage::Attach(IStorage *storage)
{
    if (storage == nullptr)
        return FALSE;
    storage->AddRef();
    return Adopt(storage);
}

BOOL CStorage::Adopt(IStorage *storage)
{
    Release();
    m_pStorage = storage;
    return TRUE;
}

IStorage *CStorage::Detach()
{
    IStorage *storage = m_pStorage;
    m_pStorage = nullptr;
    return storage;
}

void CStorage::Release()
{
    if (m_pStorage != nullptr) {
        IStorage *storage = m_pStorage;
        m_pStorage = nullptr;
        storage->Release();
    }
}

BOOL CStorage::Commit()
{
    if (m_pStorage == nullptr)
        return FALSE;
    m_hr = m_pStorage->Commit(STGC_DEFAULT);
    return m_hr == S_OK;
}

int CStorage::GetName(CString &name)
{
    if (m_pStorage == nullptr)
        return 0;
    STATSTG stat;
    m_hr = m_pStorage->Stat(&stat, STATFLAG_DEFAULT);
    if (FAILED(m_hr))
        return 0;
    name = stat.pwcsName;
    CoTaskMemFree(stat.pwcsName);
    return name.GetLength();
}

BOOL CStorage::Replace(IStorage *parent,
                       HRESULT (*make)(IStorage *parent, const OLECHAR *name, DWORD mode, IStorage **storage),
                       LPCSTR name, DWORD mode)
{
    // The storage held goes first, so that the element it may be can be opened again.
    // A caller that names it as the parent would see it freed before the call: it is
    // held here until the call is done (and what it gives is reverted as it goes).
    if (parent != nullptr)
        parent->AddRef();
    Release();
    IStorage *storage = nullptr;
    m_hr = make(parent, CStgName(name), mode, &storage);
    if (parent != nullptr)
        parent->Release();
    if (FAILED(m_hr) || storage == nullptr)
        return FALSE;
    m_pStorage = storage;
    return TRUE;
}

BOOL CStorage::Open(LPCSTR name, IStorage *parent, BOOL readOnly)
{
    return Replace(parent, OpenElement, name, readOnly ? kOpenRead : kOpenReadWrite);
}

BOOL CStorage::Create(LPCSTR name, IStorage *parent, BOOL failIfExists)
{
    return Replace(parent, CreateElement, name, failIfExists ? kCreateNew : kCreateReplacing);
}

BOOL CStorage::OpenOrCreate(LPCSTR name, IStorage *parent)
{
    if (parent != nullptr)
        parent->AddRef(); // Open lets go of the storage held, which may be the parent
    BOOL done = Open(name, parent, FALSE) || Create(name, parent, FALSE);
    if (parent != nullptr)
        parent->Release();
    return done;
}

BOOL CStorage::DestroyElement(LPCSTR name)
{
    if (m_pStorage == nullptr)
        return FALSE;
    m_hr = m_pStorage->DestroyElement(CStgName(name));
    return SUCCEEDED(m_hr);
}

BOOL CStorage::RenameElement(LPCSTR oldName, LPCSTR newName)
{
    if (m_pStorage == nullptr)
        return FALSE;
    m_hr = m_pStorage->RenameElement(CStgName(oldName), CStgName(newName));
    return SUCCEEDED(m_hr);
}

BOOL CStorage::ReadString(LPCSTR key, char *buffer, int size)
{
    if (m_pStorage == nullptr)
        return FALSE;
    CStream stream;
    BOOL done = stream.Open(key, m_pStorage, TRUE) && stream.ReadString(buffer, size);
    m_hr = stream.GetLastResult();
    return done;
}

BOOL CStorage::WriteString(LPCSTR key, LPCSTR text)
{
    if (m_pStorage == nullptr)
        return FALSE;
    CStream stream;
    BOOL done = stream.Create(key, m_pStorage, FALSE) && stream.WriteString(text);
    m_hr = stream.GetLastResult();
    return done;
}

BOOL CStorage::ReadDWORD(LPCSTR key, DWORD *value)
{
    if (m_pStorage == nullptr)
        return FALSE;
    CStream stream;
    BOOL done = stream.Open(key, m_pStorage, TRUE) && stream.ReadDWORD(value);
    m_hr = stream.GetLastResult();
    return done;
}

BOOL CStorage::WriteDWORD(LPCSTR key, DWORD value)
{
    if (m_pStorage == nullptr)
        return FALSE;
    CStream stream;
    BOOL done = stream.Create(key, m_pStorage, FALSE) && stream.WriteDWORD(value);
    m_hr = stream.GetLastResult();
    return done;
}

} // namespace Win32Ext
