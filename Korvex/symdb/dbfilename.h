// The names that a symbol database takes from its program file: its path, and its
// password, which is derived from its file name.
#pragma once

#include <afx.h>

// `path` with the extension of its file name cut off (from the last '.' of the name
// on); a dot in a directory name is no extension. Both '/' and '\' separate.
CString CutFileExtension(const CString &path);

// The database password of the file at `path`: a fixed prefix, then the low 24 bits of
// the ElfHashKey of the file's base name (no directory, no extension, lower-cased in
// ASCII) in lower-case hexadecimal. Every file has its own; open and create agree.
CString DatabasePassword(const CString &path);

// The password clause of a Jet connect text: ";pwd=" and the password.
CString PasswordClause(const CString &path);
