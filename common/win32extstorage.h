// Win32Ext::CStorage: the newer wrapper of one storage. Results are BOOL; the HRESULT of
// the last call stays for the caller to inspect.
//
// Its values are streams named by their keys, read through a read-only stream and
// written through one made anew (Win32Ext::CStream gives their forms).
#pragma once

#include <afx.h>

namespace Win32Ext {

class CStorage {
public:
    CStorage() : m_pStorage(nullptr), m_hr(S_OK) {}
    virtual ~CStorage() { Release(); }
    CStorage(const CStorage &) = delete;
    CStorage &operator=(const CStorage &) = delete;

    // The storage held, without a reference of the caller's own; NULL when none.
    IStorage *GetStorage() const { return m_pStorage; }
    HRESULT GetLastResult() const { return m_hr; }

    // Keeps `storage` with a reference of its own in place of the one held; FALSE for
    // NULL.
    BOOL Attach(IStorage *storage);
    // Keeps `storage` with the caller's reference (NULL: none) in place of the one held.
    BOOL Adopt(IStorage *storage);
    // Hands the reference held to the caller and forgets it.
    IStorage *Detach();
    void Release();
    BOOL Commit();
    // The length of the storage's name; 0 on failure.
    int GetName(CString &name);

    // In place of the storage held: the storage `name` of `parent`, or without a parent
    // the root storage of the file `name`, read-only or for reading and writing. An
    // element lives only as long as the storage it was opened from, so a sub-storage
    // belongs in a wrapper of its own, not in place of its parent.
    BOOL Open(LPCSTR name, IStorage *parent, BOOL readOnly);
    // The same, made anew; an element of that name is replaced unless `failIfExists`.
    // Without a parent, a NULL name makes a root storage in memory.
    BOOL Create(LPCSTR name, IStorage *parent, BOOL failIfExists);
    // Open for reading and writing, else Create replacing.
    BOOL OpenOrCreate(LPCSTR name, IStorage *parent);
    BOOL DestroyElement(LPCSTR name);
    BOOL RenameElement(LPCSTR oldName, LPCSTR newName);

    // The string value of `key`, at most `size` - 1 characters, terminated.
    BOOL ReadString(LPCSTR key, char *buffer, int size);
    BOOL WriteString(LPCSTR key, LPCSTR text);
    BOOL ReadDWORD(LPCSTR key, DWORD *value);
    BOOL WriteDWORD(LPCSTR key, DWORD value);

private:
    BOOL Replace(IStorage *parent, HRESULT (*make)(IStorage *parent, const OLECHAR *name, DWORD mode,
                                                   IStorage **storage),
                 LPCSTR name, DWORD mode);

    IStorage *m_pStorage;
    HRESULT m_hr;
};

} // namespace Win32Ext
