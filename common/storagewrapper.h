// CStorage: the older wrapper of one storage, with results 0 for success and -1 for
// failure, and typed values read with defaults.
//
// A typed value is one stream, named by its key, holding the value's raw little-endian
// bytes (a string: its UTF-16 text and a zero character). A read succeeds only when
// exactly the value's size came; otherwise, and for a missing stream, the caller's
// default is the answer. A write replaces the stream. On a wrapper without a storage
// every operation fails and calls nothing; string reads then leave `out` as it was.
#pragma once

#include <afx.h>

#include "streamwrapper.h"

class CStorage : public CObject {
    DECLARE_DYNAMIC(CStorage)

public:
    // Takes its own reference to `storage` (NULL allowed).
    explicit CStorage(IStorage *storage = nullptr);
    ~CStorage() override;

    // The storage held, without a reference of the caller's own; NULL when none.
    IStorage *GetStorage() const { return m_pStorage; }
    // The result of the last OpenFile or CreateFile.
    HRESULT GetLastResult() const { return m_hr; }

    // The root storage of a file, opened for reading and writing, or made anew (replacing
    // the file), in place of the storage held.
    int OpenFile(LPCSTR name);
    int CreateFile(LPCSTR name);
    int GetName(CString &name);

    // A new wrapper that the caller deletes, or NULL. CreateStream replaces an element of
    // that name.
    CStream *OpenStream(LPCSTR name);
    CStream *CreateStream(LPCSTR name);
    int DestroyElement(LPCSTR name);
    int RenameElement(LPCSTR oldName, LPCSTR newName);

    // At most `size` - 1 characters; `out` = `defaultText` when the value cannot be read.
    int ReadString(LPCSTR key, LPCSTR defaultText, CString &out, int size);
    int WriteString(LPCSTR key, LPCSTR text);
    LONG ReadLong(LPCSTR key, LONG defaultValue);
    int WriteLong(LPCSTR key, LONG value);
    DWORD ReadDWORD(LPCSTR key, DWORD defaultValue);
    int WriteDWORD(LPCSTR key, DWORD value);
    int ReadInt(LPCSTR key, int defaultValue);
    int WriteInt(LPCSTR key, int value);
    UINT ReadUInt(LPCSTR key, UINT defaultValue);
    int WriteUInt(LPCSTR key, UINT value);
    double ReadDouble(LPCSTR key, double defaultValue);
    int WriteDouble(LPCSTR key, double value);
    char ReadChar(LPCSTR key, char defaultValue);
    int WriteChar(LPCSTR key, char value);
    short ReadShort(LPCSTR key, short defaultValue);
    int WriteShort(LPCSTR key, short value);
    // TRUE when exactly `size` bytes were read into `buffer`.
    BOOL ReadBinary(LPCSTR key, void *buffer, ULONG size);
    int WriteBinary(LPCSTR key, const void *buffer, ULONG size);

private:
    template <class T>
    T ReadValue(LPCSTR key, T defaultValue);
    int WriteBytes(LPCSTR key, const void *bytes, ULONG size);
    int Replace(IStorage *storage, HRESULT hr);

    IStorage *m_pStorage;
    HRESULT m_hr;
};
