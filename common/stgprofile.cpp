#include "stgprofile.h"

#include "stgtext.h"
#include "win32extstream.h"

#include <cstring>

namespace Profile {

CStgProfile::CStgProfile(IStorage *storage)
{
    if (storage != nullptr)
        m_root.Attach(storage);
}

CStgProfile::~CStgProfile() = default;

BOOL CStgProfile::IsOpen()
{
    return m_root.GetStorage() != nullptr;
}

IStorage *CStgProfile::Section(LPCSTR name, BOOL create, Win32Ext::CStorage &section)
{
    if (name == nullptr || name[0] == 0)
        return m_root.GetStorage();
    BOOL opened = create ? section.OpenOrCreate(name, m_root.GetStorage())
                         : section.Open(name, m_root.GetStorage(), FALSE);
    return opened ? section.GetStorage() : nullptr;
}

BOOL CStgProfile::DeleteSection(LPCSTR section)
{
    return IsOpen() && m_root.DestroyElement(section);
}

BOOL CStgProfile::DeleteEntry(LPCSTR section, LPCSTR entry)
{
    if (!IsOpen())
        return FALSE;
    Win32Ext::CStorage sectionStorage;
    IStorage *storage = Section(section, TRUE, sectionStorage);
    return storage != nullptr && SUCCEEDED(storage->DestroyElement(CStgName(entry)));
}

template <class Write>
BOOL CStgProfile::WriteEntry(LPCSTR section, LPCSTR entry, Write write)
{
    if (!IsOpen())
        return FALSE;
    Win32Ext::CStorage sectionStorage;
    IStorage *storage = Section(section, TRUE, sectionStorage);
    Win32Ext::CStream stream;
    return storage != nullptr && stream.OpenOrCreate(entry, storage) && write(stream);
}

BOOL CStgProfile::WriteDWORD(LPCSTR section, LPCSTR entry, DWORD value, int)
{
    return WriteEntry(section, entry, [value](Win32Ext::CStream &stream) { return stream.WriteDWORD(value); });
}

BOOL CStgProfile::WriteString(LPCSTR section, LPCSTR entry, LPCSTR text)
{
    return WriteEntry(section, entry, [text](Win32Ext::CStream &stream) { return stream.WriteString(text); });
}

BOOL CStgProfile::WriteBinary(LPCSTR section, LPCSTR entry, const void *data, int size)
{
    if (size < 0)
        return FALSE;
    return WriteEntry(section, entry, [data, size](Win32Ext::CStream &stream) {
        return stream.Write(data, static_cast<ULONG>(size));
    });
}

BOOL CStgProfile::GetDWORD(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out)
{
    if (!IsOpen() || out == nullptr)
        return FALSE;
    Win32Ext::CStorage sectionStorage;
    IStorage *storage = Section(section, FALSE, sectionStorage);
    Win32Ext::CStream stream;
    if (storage == nullptr || !stream.Open(entry, storage, FALSE) || !stream.ReadDWORD(out))
        *out = defaultValue;
    return TRUE;
}

BOOL CStgProfile::GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, char *buffer, int size)
{
    if (!IsOpen() || buffer == nullptr || size < 1)
        return FALSE;
    Win32Ext::CStorage sectionStorage;
    IStorage *storage = Section(section, FALSE, sectionStorage);
    Win32Ext::CStream stream;
    if (storage == nullptr || !stream.Open(entry, storage, FALSE) || !stream.ReadString(buffer, size)) {
        // The platform's copy left the buffer unterminated when the default filled it.
        strncpy(buffer, defaultText != nullptr ? defaultText : "", static_cast<size_t>(size) - 1);
        buffer[size - 1] = 0;
    }
    return TRUE;
}

BOOL CStgProfile::GetBinary(LPCSTR, LPCSTR, void *, int)
{
    return FALSE;
}

BOOL CStgProfile::AttachUnknown(IUnknown *object)
{
    if (object == nullptr)
        return FALSE;
    IStorage *storage = nullptr;
    if (FAILED(object->QueryInterface(IID_IStorage, reinterpret_cast<void **>(&storage))) || storage == nullptr)
        return FALSE;
    return m_root.Adopt(storage);
}

BOOL CStgProfile::Open(LPCSTR name, BOOL create, IStorage *parent)
{
    return create ? m_root.OpenOrCreate(name, parent) : m_root.Open(name, parent, FALSE);
}

BOOL CStgProfile::Attach(IStorage *storage)
{
    return m_root.Attach(storage);
}

void CStgProfile::Release()
{
    m_root.Release();
}

BOOL CStgProfile::Commit()
{
    return m_root.Commit();
}

IStorage *CStgProfile::Detach()
{
    return m_root.Detach();
}

} // namespace Profile
