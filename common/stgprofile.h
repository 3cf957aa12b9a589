// Profile::CStgProfile: a profile kept in a structured storage. A section is the
// sub-storage of that name in the root storage (an empty or NULL section is the root
// itself), an entry is a stream in it holding the value as Win32Ext::CStream writes it.
//
// Reads never fail for a missing section or entry: the default is the answer and the
// result TRUE; only a profile without a storage gives FALSE. Reads create nothing.
#pragma once

#include "profile.h"
#include "win32extstorage.h"

namespace Profile {

class CStgProfile : public CProfile {
public:
    // Keeps `storage` with a reference of its own (NULL: none yet).
    explicit CStgProfile(IStorage *storage = nullptr);
    ~CStgProfile() override;

    // A root storage is held.
    BOOL IsOpen() override;
    BOOL DeleteSection(LPCSTR section) override;
    // The section is opened or made (so a missing one is made, empty) and the entry's
    // stream destroyed in it.
    BOOL DeleteEntry(LPCSTR section, LPCSTR entry) override;
    // The 4 bytes of the value at the entry's start; the style means nothing here.
    BOOL WriteDWORD(LPCSTR section, LPCSTR entry, DWORD value, int style) override;
    BOOL GetDWORD(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out) override;
    BOOL WriteString(LPCSTR section, LPCSTR entry, LPCSTR text) override;
    // When the entry cannot be read the default text is copied, cut to `size` - 1
    // characters.
    BOOL GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, char *buffer, int size) override;
    BOOL WriteBinary(LPCSTR section, LPCSTR entry, const void *data, int size) override;
    // Not offered: FALSE.
    BOOL GetBinary(LPCSTR section, LPCSTR entry, void *buffer, int size) override;
    using CProfile::GetString;

    // Asks `object` for IStorage and keeps what it gives in place of the root (FALSE for
    // NULL or an object without storage).
    virtual BOOL AttachUnknown(IUnknown *object);
    // The root becomes the storage `name` of `parent` (or of the file `name` without a
    // parent), opened for reading and writing, or with `create` opened or made.
    virtual BOOL Open(LPCSTR name, BOOL create, IStorage *parent);
    // Keeps `storage` with a reference of its own in place of the root.
    virtual BOOL Attach(IStorage *storage);
    virtual void Release();
    virtual BOOL Commit();
    // Hands the root's reference to the caller and forgets it.
    virtual IStorage *Detach();

private:
    // The section's storage: the root itself for an empty section (`section` is then
    // left empty and `root` is the answer), else the sub-storage in `section`.
    IStorage *Section(LPCSTR name, BOOL create, Win32Ext::CStorage &section);
    template <class Write>
    BOOL WriteEntry(LPCSTR section, LPCSTR entry, Write write);

    Win32Ext::CStorage m_root;
};

} // namespace Profile
