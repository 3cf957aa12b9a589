// The reader family that fills a memory image from a file, a stream or a program resource.
//
// The base opens files and forwards the additions to the list; a format's reader (the
// Intel HEX reader) overrides what it offers, and the base answers SLR_NOT_OFFERED for
// the rest.
#pragma once

#include "sectionlist.h"

#include <istream>
#include <windows.h>

namespace SectionList {

class CSectionListReader {
public:
    CSectionListReader() = default;
    virtual ~CSectionListReader();
    CSectionListReader(const CSectionListReader &) = delete;
    CSectionListReader &operator=(const CSectionListReader &) = delete;

    // Opens the file in binary mode (SLR_CANNOT_READ_FILE when it cannot) and reads it with
    // ReadStream. `fillData` asks for the bytes as well as the layout; `flag` is handed on.
    virtual DWORD ReadFile(CSectionList &list, LPCSTR name, BOOL fillData, int flag);
    virtual DWORD ReadStream(CSectionList &list, std::istream &stream, BOOL fillData, int flag);
    virtual DWORD ReadResource(CSectionList &list, HMODULE module, LPCSTR name, LPCSTR type, BOOL fillData,
                               int flag);
    // What the reader adds to the list goes through these two.
    virtual DWORD AddRange(CSectionList &list, DWORD start, DWORD length, int mode);
    virtual DWORD StoreBytes(CSectionList &list, DWORD start, DWORD count, const void *data);
};

} // namespace SectionList
