// The registry: one tree of keys and values for the whole process.
//
// A program keeps it in the file that the environment variable QEL_REGISTRY names: the
// file is read when the registry is first used, and written again after every change
// that succeeds, whole, into a new file that then replaces the old one, so that a process
// that ends at any moment leaves either the old or the new registry, never a torn one.
// Without QEL_REGISTRY the registry lives in memory only, as it does for tests, which
// start from an empty tree with QelUseRegistryFile(NULL). The file's format is described
// in registryfile.h.
//
// A file that cannot be read whole (it is no registry file, or cannot be opened, or is
// too large) is never written: the registry then starts empty and every change fails
// with ERROR_CANTWRITE. A file with lines that cannot be read loads what can be read
// (OutputDebugStringA names the first line left out); before the first change is written,
// the file is moved aside to the same name with ".damaged" added, so that nothing in it
// is lost. When writing the file fails, the change still holds in this process but the
// function reports ERROR_CANTWRITE; the next change that is written saves it too.
//
// Other processes do not see the changes of this one until they start: each process
// reads the file once, and the last one to write it decides its contents.
//
// Key handles come from a table and every handle that comes in is looked up there: a
// handle that was closed, or never was one, gives ERROR_INVALID_HANDLE. Handles are
// checked for the access they were opened with, as on Windows. A key that is deleted
// while handles to it are open leaves those handles usable only for RegCloseKey (the
// rest give ERROR_KEY_DELETED). Names of keys and values compare blind to case; key
// names hold at most 255 characters and no backslash, value names at most 16383; a
// value holds at most 1 MB; keys stand at most 512 levels below their root. Every
// function returns its ERROR_ code and leaves the thread's last error alone, as Win32's
// registry functions do.
//
// The class names and last-write times of keys are not kept, and HKEY_CLASSES_ROOT is a
// tree of its own rather than a view of the two "Software\Classes" keys.
#pragma once

#include "basetypes.h"
#include "handles.h"

typedef DWORD REGSAM;

// As on 64-bit Windows, the predefined roots are sign-extended 32-bit numbers.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

// Value types. Any other number is stored and handed back as it stands.
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

// Access rights of a key handle. The predefined roots have every right.
#define KEY_QUERY_VALUE 0x0001        // read and enumerate values
#define KEY_SET_VALUE 0x0002          // set and delete values
#define KEY_CREATE_SUB_KEY 0x0004     // create subkeys
#define KEY_ENUMERATE_SUB_KEYS 0x0008 // enumerate subkeys
#define KEY_NOTIFY 0x0010             // accepted; change notification is not offered
#define KEY_CREATE_LINK 0x0020        // accepted; links are not offered
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

// RegCreateKeyExA: the only option, and what it did.
#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

// A new handle to the key `subKey` below `key` (NULL or "": to `key` itself). `options`
// must be 0. ERROR_FILE_NOT_FOUND when there is no such key, ERROR_INVALID_PARAMETER for
// a malformed path (an empty name, a name too long) or a NULL `result`.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);

// Opens the key `subKey` below `key`, making it and every missing key on its path first
// (which needs KEY_CREATE_SUB_KEY on `key`). `reserved` must be 0 and `options`
// REG_OPTION_NON_VOLATILE; the class and the security are ignored. `disposition` (when
// given) says whether the key was made.
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM desired,
                     const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);

// Closing a predefined root succeeds and changes nothing.
LONG RegCloseKey(HKEY key);

// Deletes the key `subKey` below `key` with its values. A key that has subkeys is not
// deleted (ERROR_ACCESS_DENIED), nor is a root; NULL or "" is refused
// (ERROR_INVALID_PARAMETER) rather than deleting `key` itself.
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);

// NULL and "" name the key's default value. Needs KEY_SET_VALUE.
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);

// The value's type and data, as Win32 hands them out: with `data` NULL and `dataSize`
// given, only the size; with a `data` buffer of *dataSize bytes that is too small,
// ERROR_MORE_DATA and the size needed in *dataSize (the buffer is not written); a
// `data` without `dataSize` is ERROR_INVALID_PARAMETER. `type` is set whenever the value
// exists. Text values are handed out as they were stored: a text stored without its
// terminating zero comes back without one. `reserved` must be NULL. Needs
// KEY_QUERY_VALUE.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

// Stores `dataSize` bytes of `data` (NULL only with 0 bytes) as the value, of any type;
// the bytes are kept as they stand. Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE *data, DWORD dataSize);

// The name of the subkey number `index`, in the order of names blind to case. *nameSize
// is the buffer's size in characters with the terminator; it becomes the name's length
// without it. ERROR_NO_MORE_ITEMS past the last subkey, ERROR_MORE_DATA when the name
// does not fit. A class buffer receives "" (with *classSize 0) and a time 0. Needs
// KEY_ENUMERATE_SUB_KEYS.
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                   LPDWORD classSize, PFILETIME lastWriteTime);

// The value number `index`, in the order in which the values were first set: its name
// (as RegEnumKeyExA hands out names; the default value's is ""), and its type and data
// as RegQueryValueExA hands them out. Needs KEY_QUERY_VALUE.
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize);

// Drops the whole registry, and every open key handle, and starts again: from the file
// at `path`, read now and written after each change, or, for NULL, from an empty tree in
// memory that is never written. For tests and tools; a program's registry comes from
// QEL_REGISTRY by itself. The result is that of reading the file: ERROR_SUCCESS also when
// there is no file yet or lines had to be left out, ERROR_CANTREAD when it cannot be read
// whole (the registry is then empty and refuses changes).
LONG QelUseRegistryFile(LPCSTR path);

// The names of an ANSI build, which the system's code uses.
inline LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result)
{
    return RegOpenKeyExA(key, subKey, options, desired, result);
}

inline LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM desired,
                           const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition)
{
    return RegCreateKeyExA(key, subKey, reserved, keyClass, options, desired, security, result, disposition);
}

inline LONG RegDeleteKey(HKEY key, LPCSTR subKey)
{
    return RegDeleteKeyA(key, subKey);
}

inline LONG RegDeleteValue(HKEY key, LPCSTR valueName)
{
    return RegDeleteValueA(key, valueName);
}

inline LONG RegQueryValueEx(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                            LPDWORD dataSize)
{
    return RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

inline LONG RegSetValueEx(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE *data, DWORD dataSize)
{
    return RegSetValueExA(key, valueName, reserved, type, data, dataSize);
}

inline LONG RegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                         LPDWORD classSize, PFILETIME lastWriteTime)
{
    return RegEnumKeyExA(key, index, name, nameSize, reserved, keyClass, classSize, lastWriteTime);
}

inline LONG RegEnumValue(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
                         LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return RegEnumValueA(key, index, valueName, valueNameSize, reserved, type, data, dataSize);
}
