// CNotification: a program file object that reads nothing, for the progress messages of
// a load that has no reader (an Intel HEX memory image).
#pragma once

#include "targetfile.h"

class CNotification : public CQelTargetFile {
public:
    CNotification(DWORD programId, IUnknown *host) : CQelTargetFile(programId, host) {}
    int IsFileType(HANDLE) override { return 1; }
};
