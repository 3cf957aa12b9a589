// COM error information from and to ANSI texts.
//
// The texts of the system are ANSI; error information holds UTF-16. These helpers convert
// with the ANSI code page both ways.
#pragma once

#include <afx.h>

// A new error information with the items given into *out (the caller's reference): no
// description when `description` is NULL, an empty source and help file when those are
// NULL, GUID_NULL when `guid` is NULL. FALSE when none can be made.
BOOL CreateComErrorInfo(IErrorInfo **out, LPCSTR description, LPCSTR source, const GUID *guid, LPCSTR helpFile,
                        DWORD helpContext);

// CreateComErrorInfo, made the thread's error information; TRUE when it was set.
BOOL SetComErrorInfo(LPCSTR description, LPCSTR source, const GUID *guid, LPCSTR helpFile, DWORD helpContext);

// The items of `info` into those of the caller's pointers that are given; FALSE for a
// NULL `info`.
BOOL ReadComErrorInfo(IErrorInfo *info, CString *description, CString *source, GUID *guid, CString *helpFile,
                      DWORD *helpContext);

// Takes the thread's error information and reads it (ReadComErrorInfo); TRUE when there
// was some. With both `object` and `iid` the object must first say, through
// ISupportErrorInfo, that its interface `iid` sets error information (FALSE otherwise);
// after that check TRUE is returned also when there is none, with the caller's items
// unchanged, as they are whenever no information is read.
BOOL GetComErrorInfo(CString *description, CString *source, GUID *guid, CString *helpFile, DWORD *helpContext,
                     IUnknown *object = nullptr, const IID *iid = nullptr);
