// Version resources: GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA.
//
// A module's version resource is its RT_VERSION resource 1, a VS_VERSIONINFO block as
// the platform documents it: nested nodes, each a 16-bit length of the node, a 16-bit
// length of its value (in bytes for binary values, in UTF-16 units for text), a 16-bit
// type (0 binary, 1 text), a NUL-terminated UTF-16LE key, padding to 32 bits, the value,
// padding to 32 bits, then its children. Modules get one from the build step
// qel_version_resource (cmake/QelVersionResource.cmake).
#pragma once

#include "basetypes.h"
#include "resources.h"

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FF_DEBUG 0x00000001u
#define VOS__WINDOWS32 0x00000004u
#define VFT_APP 0x00000001u
#define VFT_DLL 0x00000002u

typedef struct tagVS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

// What a library's DllGetVersion fills in; cbSize is set by the caller.
typedef struct _DllVersionInfo {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
} DLLVERSIONINFO;

#define DLLVER_PLATFORM_WINDOWS 0x00000001u
#define DLLVER_PLATFORM_NT 0x00000002u

typedef LONG(WINAPI *DLLGETVERSIONPROC)(DLLVERSIONINFO *);

// The bytes that GetFileVersionInfoA needs for the version resource of `fileName`, which
// must be the file of a registered module (resources.h): the one whose file is the same
// (device and inode), whatever path names it. Twice the resource, since the second half
// is where VerQueryValueA answers the texts in ANSI. *handle (when given) is set to 0.
// 0 with ERROR_FILE_NOT_FOUND for a missing file, ERROR_RESOURCE_TYPE_NOT_FOUND for a
// file that is no registered module or whose module has no version resource.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);

// The version resource into `data` of `length` bytes (GetFileVersionInfoSizeA's answer),
// at most `length` bytes of it; FALSE as GetFileVersionInfoSizeA fails.
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data);

// The value of the node that `subBlock` names inside `block`: "\" the root's
// VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the translations (pairs of 16-bit language
// and code page), "\StringFileInfo\llllcccc\Name" a text. Keys compare blind to case.
// *buffer points at the value and *length is its length: bytes for binary values, the
// characters with the terminator for texts, which are answered in ANSI in the room that
// follows the block (the second half that GetFileVersionInfoA fills). Every node's length
// is checked against its parent's and every key and value against its node, the root's
// against the block's length word: a node that is not there, is damaged or would reach
// beyond its parent gives FALSE, never a read outside the block.
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length);

// The version resource of a module that the build step qel_version_resource gave one,
// defined in a unit that the step writes; the module puts it into its resource table.
extern const QEL_RESOURCE_ENTRY g_QelVersionResource;
