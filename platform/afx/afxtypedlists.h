// The framework's ready-made lists of pointers, objects and strings.
//
// The lists of pointers do not own what their elements point to.
#pragma once

#include "afxlist.h"
#include "afxstring.h"

class CPtrList : public CList<void *, void *> {
public:
    explicit CPtrList(int blockSize = 10) : CList(blockSize) {}
};

class CObList : public CList<CObject *, CObject *> {
public:
    explicit CObList(int blockSize = 10) : CList(blockSize) {}
};

class CStringList : public CList<CString, const CString &> {
public:
    explicit CStringList(int blockSize = 10) : CList(blockSize) {}
};
