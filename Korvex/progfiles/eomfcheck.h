// Recognition of EOMF program files.
#pragma once

#include "targetfile.h"

// Whether the open file, read from its start, begins with an EOMF LHEADR or DEPLST
// record that lies inside the file and whose checksum holds. Seeks back to the start
// before it reads the record. 1 accepted, 0 not.
int CheckEomfHeader(HANDLE file);

// The recogniser that the loading request asks after ELF.
class CEOMFCheck : public CQelTargetFile {
public:
    CEOMFCheck() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE file) override { return CheckEomfHeader(file); }
};
