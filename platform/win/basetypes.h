// Base types of 32-bit Windows, as the system's code expects them on Linux x86-64.
//
// LONG, ULONG, DWORD and INT stay 32 bits: they travel in files, databases, storages,
// transfer arrays and COM signatures. WPARAM, LPARAM, DWORD_PTR and UINT_PTR are
// pointer-sized, as on 64-bit Windows, so that a pointer never has to fit 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint8_t UCHAR;
typedef char CHAR;
typedef int8_t INT8;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef uint16_t WORD;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uint64_t DWORDLONG;
typedef float FLOAT;
typedef double DOUBLE;
typedef int32_t INT32;
typedef uint32_t UINT32;
typedef int64_t INT64;
typedef uint64_t UINT64;

typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

// OLECHAR is UTF-16; Linux's wchar_t has 32 bits, so the system writes u"..." literals.
typedef char16_t WCHAR;
typedef char16_t OLECHAR;

typedef void VOID;
typedef void *PVOID;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef CHAR *LPSTR;
typedef const CHAR *LPCSTR;
typedef CHAR *PSTR;
typedef const CHAR *PCSTR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef OLECHAR *LPOLESTR;
typedef const OLECHAR *LPCOLESTR;
typedef BYTE *LPBYTE;
typedef BYTE *PBYTE;
typedef DWORD *LPDWORD;
typedef DWORD *PDWORD;
typedef LONG *LPLONG;
typedef LONG *PLONG;
typedef WORD *LPWORD;
typedef BOOL *LPBOOL;
typedef BOOL *PBOOL;
typedef INT *LPINT;
typedef UINT *PUINT;
typedef ULONG *PULONG;

// Text types of the framework's "TCHAR" world: this system is built for ANSI.
typedef char TCHAR;
typedef LPSTR LPTSTR;
typedef LPCSTR LPCTSTR;
#define _T(x) x
#define TEXT(x) x

typedef LONG HRESULT;
typedef LONG SCODE;
typedef WORD LANGID;
typedef DWORD LCID;
typedef WORD ATOM;
typedef DWORD COLORREF;

typedef void *HANDLE;
typedef HANDLE *PHANDLE;
typedef HANDLE *LPHANDLE;
// Window handles are small numbers, held in a pointer-like type as on Windows.
#define QEL_DECLARE_HANDLE(name) \
    struct name##__ {            \
        int unused;              \
    };                           \
    typedef struct name##__ *name
QEL_DECLARE_HANDLE(HWND);
QEL_DECLARE_HANDLE(HINSTANCE);
QEL_DECLARE_HANDLE(HKEY);
QEL_DECLARE_HANDLE(HRSRC);
QEL_DECLARE_HANDLE(HMENU);
QEL_DECLARE_HANDLE(HDC);
QEL_DECLARE_HANDLE(HICON);
QEL_DECLARE_HANDLE(HBITMAP);
QEL_DECLARE_HANDLE(HBRUSH);
QEL_DECLARE_HANDLE(HFONT);
QEL_DECLARE_HANDLE(HPEN);
QEL_DECLARE_HANDLE(HCURSOR);
QEL_DECLARE_HANDLE(HACCEL);
// Any GDI object, as on Windows: pens, brushes, fonts and bitmaps pass as one.
typedef void *HGDIOBJ;
typedef HINSTANCE HMODULE;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef HKEY *PHKEY;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *LPFILETIME, *PFILETIME;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *LPSIZE;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;
typedef const RECT *LPCRECT;

#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif
#ifndef NULL
#define NULL nullptr
#endif

#define MAX_PATH 260
#define INFINITE 0xFFFFFFFFu
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

// Calling conventions are the compiler's default on Linux.
#define WINAPI
#define APIENTRY
#define CALLBACK
#define STDAPICALLTYPE
#define STDMETHODCALLTYPE
#define __stdcall
#define __cdecl

#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEWORD(a, b) ((WORD)(((BYTE)(((DWORD_PTR)(a)) & 0xff)) | ((WORD)((BYTE)(((DWORD_PTR)(b)) & 0xff))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(INT) == 4, "32-bit Windows integers");
static_assert(sizeof(WPARAM) == sizeof(void *) && sizeof(LPARAM) == sizeof(void *), "pointer-sized message words");
