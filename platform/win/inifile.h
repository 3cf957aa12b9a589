// INI files: GetPrivateProfileStringA and WritePrivateProfileStringA.
//
// The file is read whole on every call and written whole, as it is small and may be
// edited by hand or by another program between two calls. Sections and keys compare
// blind to ASCII case; when a file holds a section or a key twice, the first one counts,
// for reading and for writing. Lines may end in "\n" or "\r\n"; a write ends the lines it
// makes with "\r\n" and leaves every other line, comments and lines it does not
// understand among them, as it stood. A write goes to a temporary file beside the file
// that then takes its place, so a write that fails leaves the old file whole.
//
// The path is used as it is given: a relative one is relative to the current directory
// (Windows would take the Windows directory). A null section or key on reading (the
// lists of sections and keys) is not offered: it fails with ERROR_NOT_SUPPORTED.
#pragma once

#include "basetypes.h"

// The value of `keyName` in `appName`, without the white space around it and without one
// pair of quotes (" or ') that encloses it, into `returnedString` of `size` characters:
// at most `size` - 1 of them, always terminated, their count answered. A missing file,
// section or key gives `defaultString` (NULL meaning ""), cut alike.
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultString, LPSTR returnedString,
                               DWORD size, LPCSTR fileName);

// Sets `keyName` of `appName` to `string`, replacing the line of the key or adding one at
// the end of the section (a missing section is added at the end of the file, a missing
// file is made). A NULL `string` deletes the key, a NULL `keyName` the whole section with
// its lines. Deleting what is not there changes nothing. A section name holding ']' or a
// line end, a key that is empty, holds '=' or a line end or begins with '[' or ';', and a
// value holding a line end could not be read back as written, so they are refused with
// ERROR_INVALID_PARAMETER and change nothing.
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR string, LPCSTR fileName);
