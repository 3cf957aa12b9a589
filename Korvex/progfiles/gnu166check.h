// Recognition of GNU C166 program files.
#pragma once

#include "gnu166format.h"
#include "targetfile.h"

// Whether the open file, read from its current position, starts with a GNU C166 header
// that the reader takes (Gnu166HeaderRefusal); *refusal (when given) says why not. 1
// accepted, 0 not.
int CheckGnu166Header(HANDLE file, CString *refusal = nullptr);

// The recogniser that the loading request asks after EOMF.
class CGNU166Check : public CQelTargetFile {
public:
    CGNU166Check() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE file) override { return CheckGnu166Header(file); }
};
