// Names for temporary files, with the C run-time form of Windows.
#pragma once

// A path, allocated with malloc (the caller frees it), in a directory for temporary files
// whose file name begins with `prefix` (NULL: none) and names no existing file. The
// directory is the first usable of: the environment's TMP, then TMPDIR (Linux's own), then
// `dir`, then /tmp. NULL when none is usable. As on Windows, the file is not created, so
// another process could take the name before the caller opens it; the names carry the
// process id to make that unlikely.
char *_tempnam(const char *dir, const char *prefix);
