// IMemAccess: how the evaluator and the variable nodes read and write target memory,
// whichever host object serves it. Both implementations hold a COM reference on their
// host interface and are plain members of their owners, used on the owner's thread.
#pragma once

#include <afx.h>

class IMemAccess {
public:
    // TRUE when all `count` bytes were read into `buffer`.
    virtual BOOL Read(DWORD address, DWORD count, BYTE *buffer) = 0;
    // TRUE when all `count` bytes of `buffer` were written.
    virtual BOOL Write(DWORD address, DWORD count, BYTE *buffer) = 0;
    virtual ~IMemAccess() = default;
};
