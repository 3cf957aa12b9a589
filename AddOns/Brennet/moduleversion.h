// Win32Ext::CModuleVersion: a module's version resource, read through the platform's
// version functions.
#pragma once

#include <afx.h>

namespace Win32Ext {

// The full path of `module`, however long; FALSE (and `path` untouched) when the module
// has none.
BOOL GetModulePath(HMODULE module, CString &path);

class CModuleVersion {
public:
    CModuleVersion();
    virtual ~CModuleVersion();
    CModuleVersion(const CModuleVersion &) = delete;
    CModuleVersion &operator=(const CModuleVersion &) = delete;

    // Reads the version resource of the module's file; FALSE when the module has no path.
    BOOL GetFileVersionInfo(HMODULE module);
    // Reads the version resource of the file: its fixed file information and its first
    // translation (when it has one). TRUE when the fixed information carries its
    // signature; a file without a version resource gives FALSE and no values.
    BOOL GetFileVersionInfo(LPCSTR fileName);

    // The string `name` of the translation into `buffer` of `size` characters: TRUE only
    // when it fits with its terminator; otherwise FALSE and the buffer is left as it was.
    BOOL GetValue(LPCSTR name, char *buffer, int size);
    // The string `name` of the translation; FALSE (and `text` untouched) when there is none.
    BOOL GetValue(LPCSTR name, CString &text);

    // The version that the library's "DllGetVersion" tells; the library is loaded for the
    // call and let go again. TRUE when it answered success.
    static BOOL DllGetVersion(LPCSTR fileName, DLLVERSIONINFO &info);

    // All zero before a read.
    VS_FIXEDFILEINFO m_fixedInfo;
    // U.S. English in code page 1252 until a read finds the module's own.
    WORD m_language;
    WORD m_codePage;

private:
    // The text of `name` in the version data; nullptr when there is none.
    const char *FindValue(LPCSTR name);

    BYTE *m_data;
};

} // namespace Win32Ext
