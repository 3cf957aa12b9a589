// The framework's ready-made maps.
//
// The maps keyed by text hash it as the framework's string maps do: h = h * 33 + c for
// each character c (a signed byte), starting from 0. The maps of pointers do not own what
// their values point to.
#pragma once

#include "afxmap.h"
#include "afxstring.h"

struct QelStringHashPolicy {
    static UINT Hash(LPCSTR key)
    {
        UINT hash = 0;
        for (; key != nullptr && *key != '\0'; ++key)
            hash = (hash << 5) + hash + static_cast<UINT>(static_cast<int>(static_cast<signed char>(*key)));
        return hash;
    }
};

class CMapStringToPtr : public CQelHashMap<CString, LPCSTR, void *, void *, QelStringHashPolicy> {
public:
    explicit CMapStringToPtr(int blockSize = 10) : CQelHashMap(blockSize) {}
};

class CMapStringToOb : public CQelHashMap<CString, LPCSTR, CObject *, CObject *, QelStringHashPolicy> {
public:
    explicit CMapStringToOb(int blockSize = 10) : CQelHashMap(blockSize) {}
};

class CMapStringToString : public CQelHashMap<CString, LPCSTR, CString, LPCSTR, QelStringHashPolicy> {
public:
    explicit CMapStringToString(int blockSize = 10) : CQelHashMap(blockSize) {}
};

class CMapPtrToPtr : public CQelHashMap<void *, void *, void *, void *, QelHashKeyPolicy<void *>> {
public:
    explicit CMapPtrToPtr(int blockSize = 10) : CQelHashMap(blockSize) {}
};

class CMapWordToPtr : public CQelHashMap<WORD, WORD, void *, void *, QelHashKeyPolicy<WORD>> {
public:
    explicit CMapWordToPtr(int blockSize = 10) : CQelHashMap(blockSize) {}
};
