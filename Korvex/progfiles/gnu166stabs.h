// The parts of a stabs string: "name:" then a letter (or none, for a local on the stack)
// and the type part, which starts with the type number.
#pragma once

#include <afx.h>

struct Gnu166Stab {
    CString Name;     // before the first ':'
    char Letter = 0;  // the letter after ':', 0 when a digit or nothing follows
    CString TypePart; // after the letter
    // The leading number of the type part; -1 when there is none or it is too large to
    // be a type number of the database.
    LONG TypeNumber = -1;
};

Gnu166Stab SplitGnu166Stab(const CString &text);
