// Path helpers that the program-file readers and the symbol server's windows share.
//
// Program files name their source files in the form of the machine that built them. A
// Windows-hosted tool chain writes "c:\dir\file.c", or "//c/dir/file.c" in the form of
// its Unix-like shells; those texts keep their Windows rules (a drive, '\' joins). Any
// other text is a POSIX path: both '/' and '\' separate in it, and joins write '/'.
#pragma once

#include <afx.h>

// A path as the readers use it. "//c/rest" becomes "c:\rest" with every '/' written '\'.
// A text that names a directory (no '.' in its last name) gets a trailing separator,
// '\' in Windows form and '/' otherwise. NULL gives "".
CString ConvertSlashPath(LPCSTR path);

// The file name with its extension: what follows the last separator.
CString ExtractFileName(CString path);
// The drive and directory: everything up to and including the last separator (the drive
// alone for "c:name").
CString ExtractDirectory(LPCSTR path);

// Whether the file at `path` can be opened for reading, as the readers open it.
BOOL IsReadableFile(LPCSTR path);

// Makes sure the directory exists, making every missing level; trailing blanks and
// separators do not count. FALSE for an empty path and when a level cannot be made.
// The current directory is never changed: other threads may be resolving relative paths
// meanwhile.
BOOL CreateDirectoryPath(CString path);

// The absolute path of `path`, normalised lexically (_fullpath), of any length; "" when
// the current directory cannot be read.
CString MakeFullPath(LPCSTR path);

// A new empty file for a temporary copy in the folder for temporary files (the current
// directory when that is no directory), whose name begins with up to three characters
// of `prefix`; its path in `out`. The number that GetTempFileName used, or 0 on failure
// (`out` empty). The caller removes the file.
UINT MakeTempCopyName(LPCSTR prefix, CString *out);
