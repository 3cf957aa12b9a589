// The framework's ready-made arrays of pointers, numbers, strings and objects.
//
// Each is a CArray of its element type that takes its elements by value (CStringArray
// takes a CString, so a text converts). The arrays of pointers do not own what their
// elements point to.
#pragma once

#include "afxarray.h"
#include "afxstring.h"

class CPtrArray : public CArray<void *, void *> {};
class CObArray : public CArray<CObject *, CObject *> {};
class CByteArray : public CArray<BYTE, BYTE> {};
class CWordArray : public CArray<WORD, WORD> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CUIntArray : public CArray<UINT, UINT> {};
class CStringArray : public CArray<CString, const CString &> {};
