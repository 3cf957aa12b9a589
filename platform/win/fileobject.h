// Open files as kernel objects (inside this layer only; not part of windows.h).
//
// CreateFileA makes one; ReadFile, GetFileSize and CreateFileMappingA find it by its
// handle. The descriptor is closed when the last user lets the object go.
#pragma once

#include "basetypes.h"
#include "kernelobject.h"

namespace qelwin {

class FileObject : public KernelObject {
public:
    FileObject(int descriptor, DWORD access) : m_descriptor(descriptor), m_access(access) {}
    ~FileObject() override;
    FileObject(const FileObject &) = delete;
    FileObject &operator=(const FileObject &) = delete;

    int Descriptor() const { return m_descriptor; }
    // The GENERIC_ rights the file was opened with.
    DWORD Access() const { return m_access; }

private:
    int m_descriptor;
    DWORD m_access;
};

// The Win32 error for an errno value of an operation on `path`. Windows tells a missing
// entry (ERROR_FILE_NOT_FOUND) from a missing folder on the way to it
// (ERROR_PATH_NOT_FOUND), where Linux says ENOENT for both; the folder decides.
DWORD FileErrorFromErrno(int error, const char *path);

} // namespace qelwin
