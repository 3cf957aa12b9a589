// CResToFile: copies one resource of the module into a memory stream or a file. A bitmap
// resource (RT_BITMAP) is stored as a bitmap file: the resource holds the bitmap without
// its file header, so the 14-byte header is put in front.
#pragma once

#include <afx.h>

class CResToFile : public CObject {
public:
    // Finds the resource in the module chain of the application (the resource module
    // first). `name` and `type` are MAKEINTRESOURCE ids or texts and must stay valid;
    // `fileName` is where ToFile writes.
    CResToFile(LPCSTR name, LPCSTR type, LPCSTR fileName);
    ~CResToFile() override;
    CResToFile(const CResToFile &) = delete;
    CResToFile &operator=(const CResToFile &) = delete;

    // Loads the resource, again with `reload`; FALSE when there is none.
    BOOL Load(BOOL reload);
    // Loads it when needed and makes its data and header available; FALSE when the
    // resource is missing or, for a bitmap, too malformed to be given a file header.
    BOOL Lock();
    void Unlock();
    void Free();

    // A new memory stream at position 0 with the header and the resource's bytes, for the
    // caller to release; NULL on any failure. The resource is unlocked and freed after.
    IStream *ToStream();
    // Writes the header and the resource's bytes into the file, made anew. FALSE on any
    // failure; a file that could not be written whole is removed.
    BOOL ToFile();

private:
    BOOL MakeHeader();

    HINSTANCE m_hModule = nullptr;
    HRSRC m_hResource = nullptr;
    HGLOBAL m_hLoaded = nullptr;
    const BYTE *m_pData = nullptr;
    WORD m_kind = 0; // the resource type's id, 0 for a type named by text
    DWORD m_size = 0;
    BYTE m_header[14] = {};
    DWORD m_headerSize = 0;
    CString m_fileName;
};
