// Splitting and completing paths, with the C run-time forms of Windows.
//
// Paths are POSIX paths here, but the system also handles texts written on Windows, so
// both '/' and '\' separate. There are no drives on Linux: a POSIX path splits with an
// empty drive; only a text of Windows' form ("C:..." with a letter) gives one.
#pragma once

#include <cstddef>

#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

// Splits `path` into drive ("C:" or empty), directory (up to and including the last
// separator), file name and extension (from the last '.' of the name on, with the dot).
// Any output may be NULL. The outputs are buffers of _MAX_DRIVE, _MAX_DIR, _MAX_FNAME
// and _MAX_EXT bytes; a part too long for its buffer (possible on Linux, whose paths may
// be longer than Windows' were) is cut to fit, always terminated, and errno set to ERANGE.
void _splitpath(const char *path, char *drive, char *dir, char *fname, char *ext);

// The absolute path of `relPath`, normalised lexically: a relative path is taken against
// the current directory, "." and ".." are resolved as names (symbolic links are not
// followed), repeated separators collapse and every separator is written '/'. A trailing
// separator stays, as on Windows. NULL or "" gives the current directory.
// With a NULL `absPath` the result is allocated with malloc (the caller frees it) and
// `maxLength` is not used; otherwise NULL is returned, with errno ERANGE, when the result
// and its terminator do not fit in `maxLength` bytes.
char *_fullpath(char *absPath, const char *relPath, size_t maxLength);
