// The registry file: the registry's text form (inside this layer only; not part of
// windows.h).
//
// A program keeps its registry in the file that QEL_REGISTRY names (registry.cpp). The
// format is our own, a line-oriented text that a person can read and mend:
//
//     QELREGISTRY 1
//     ; comment lines begin with a semicolon; blank lines are ignored
//     [HKEY_CLASSES_ROOT\CLSID\{EF0E9413-D9B2-11D1-BC34-006097125629}\InprocServer32]
//     @=sz:"/opt/qelvane/lib/libKorvex.so"
//     "ThreadingModel"=sz:"Apartment"
//     "ViewCat"=dword:00000004
//     "Layout"=hex:0a0b0c
//     "Other"=hex(7):610000
//
// - The first line is the header. A file without it is not a registry file.
// - "[path]" opens a key: a root (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER or
//   HKEY_LOCAL_MACHINE) and the names below it, joined by backslashes. Every key is
//   written, also one without values, so that empty keys survive. The value lines that
//   follow belong to it.
// - A value line is the name ("@" for the key's default value, else a quoted text), '='
//   and the data:
//     sz:"text"       REG_SZ; the data are the text's bytes and one terminating zero
//     dword:XXXXXXXX  REG_DWORD of four bytes, eight hexadecimal digits
//     hex:...         REG_BINARY, two hexadecimal digits per byte (none for no data)
//     hex(T):...      a value of any type T (hexadecimal), its bytes as they stand; also
//                     REG_SZ or REG_DWORD data that do not have the forms above
// - Quoted texts are code page 1252 bytes. A byte stands as itself when it is printable
//   ASCII, except '%' and '"', which are written "%25" and "%22"; every other byte is
//   written as '%' and two hexadecimal digits. Key names use the same escapes. Names
//   compare blind to case; the spelling of the first writer stays.
// - Lines end with LF (a CR before it is ignored).
//
// Reading is forgiving: a line that does not follow the format, or that breaks a limit
// of registrytree.h, is left out and counted, and so are the value lines of a key whose
// own line was left out; everything else is kept. Writing and reading a tree gives the
// same tree back.
#pragma once

#include "registrytree.h"

#include <string>
#include <string_view>

namespace qelwin {

// The three trees that a registry file holds.
struct RegistryRoots {
    std::shared_ptr<RegistryKey> classesRoot;
    std::shared_ptr<RegistryKey> currentUser;
    std::shared_ptr<RegistryKey> localMachine;

    // New, empty roots.
    static RegistryRoots MakeEmpty();
};

// Whether `text` begins with the header line, so that it is a registry file (an empty
// text is not).
bool HasRegistryHeader(std::string_view text);

struct RegistryTextProblems {
    size_t linesLeftOut = 0;
    size_t firstLineLeftOut = 0; // its number, counted from 1; 0 when none was
};

// Reads the lines after the header into `roots` (whose keys and values it adds to).
// The text must have the header (HasRegistryHeader).
RegistryTextProblems ReadRegistryText(std::string_view text, const RegistryRoots &roots);

// The text of the whole registry, header first.
std::string WriteRegistryText(const RegistryRoots &roots);

} // namespace qelwin
