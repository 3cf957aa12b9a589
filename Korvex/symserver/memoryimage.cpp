// Loading an Intel HEX file: a memory image without debug information, whose ranges
// become defined code sections named after the file.
#include "symbolengine.h"

#include <hostinterfaces.h>
#include <notification.h>
#include <progfilepaths.h>

#include <cstring>

DWORD CSymbolEngine::LoadMemoryImage(SectionList::CSectionList &image, LPCSTR path, DWORD programId,
                                     HWND progressWindow, ULONG *blockCount, ULONG *byteCount, ULONG *startAddress,
                                     int *status)
{
    *status = StatusSuccess;
    CNotification progress(programId, m_pOwner);
    DWORD total = 0;
    for (SectionList::CSection *section = image.First(); section != nullptr; section = image.Next())
        total += section->GetLength();
    progress.PostProgressStart(progressWindow, total);
    progress.PostProgressTotal(progressWindow, 100);
    progress.PostProgressPosition(progressWindow, 100);

    CComQIPtr<IQelTargetPattern> pattern(m_pOwner);
    if (pattern != nullptr)
        pattern->AnnounceDownload(static_cast<DWORD>(image.GetCount()), total, programId);
    *blockCount = static_cast<ULONG>(image.GetCount());
    *byteCount = total;
    *startAddress = image.GetStartAddress();

    const CString fileName = ExtractFileName(path);
    DWORD firstStart = 0;
    BOOL any = FALSE;
    for (SectionList::CSection *section = image.First(); section != nullptr; section = image.Next()) {
        const DWORD first = section->GetStart();
        const DWORD last = first + section->GetLength() - 1;
        CSymbolRequest define(RequesterSynchronous);
        define.m_nCode = RequestCodeDefineCodeSection;
        CString description;
        description.Format("<%s> (%Xh - %Xh)", static_cast<LPCSTR>(fileName), first, last);
        define.Param1.vt = VT_BSTR;
        define.Param1.bstrVal = description.AllocSysString();
        // Without its bytes the range would reach the host as undefined contents.
        SAFEARRAY *bytes = SafeArrayCreateVector(VT_UI1, 0, section->GetLength());
        if (bytes == nullptr)
            AfxThrowMemoryException();
        define.Param2.vt = VT_ARRAY | VT_UI1;
        define.Param2.parray = bytes;
        void *data = nullptr;
        if (FAILED(SafeArrayAccessData(bytes, &data)))
            AfxThrowMemoryException();
        if (section->GetData() != nullptr)
            memcpy(data, section->GetData(), section->GetLength());
        SafeArrayUnaccessData(bytes);
        define.Param3.vt = VT_I4;
        define.Param3.lVal = static_cast<LONG>(programId);
        OnDefineCodeSection(define);
        if (*status == StatusSuccess)
            *status = define.m_nStatus;
        if (!any)
            firstStart = first;
        any = TRUE;
    }
    if (any && pattern != nullptr)
        pattern->AnnounceStartAddress(static_cast<LONG>(programId), firstStart, firstStart, 0);
    return programId;
}
