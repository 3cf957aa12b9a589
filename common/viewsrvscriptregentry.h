// CViewSrvScriptRegEntry: the "DefaultScript" key of a view server (viewsrvregistry.h),
// whose default value is the view server's default source file and whose further values
// are script items: commands that the host runs as monikers of the form
// "qel:{class GUID}\<command id>\<text>".
#pragma once

#include "regkeyman.h"

class CViewSrvScriptRegEntry : public CRegKeyMan {
public:
    // Opens the key of view server `name`, making it when it is missing, for reading and
    // writing; NULL opens nothing.
    explicit CViewSrvScriptRegEntry(LPCSTR name);

    BOOL IsValid() const { return m_bValid; }
    // A REG_SZ value; FALSE when the key is not open or the write fails.
    BOOL WriteValue(LPCSTR valueName, LPCSTR text);
    // A REG_SZ value of at most 1024 characters (NULL: the default value) into `out`.
    BOOL ReadValue(CString &out, LPCSTR valueName);
    // The moniker of command `id` of `guid` with `text`, as the value `valueName`.
    BOOL WriteScriptItem(DWORD id, const GUID *guid, LPCSTR text, LPCSTR valueName);

private:
    BOOL m_bValid;
};

// The moniker "qel:" + `guid` in brace form + "\<id>\<text>" into `moniker`; FALSE when the
// GUID cannot be formatted.
BOOL FormatScriptMoniker(DWORD id, const GUID *guid, LPCSTR text, CString &moniker);
