// Where the program window finds the source files that a program names: the text rules
// by which a name is resolved against a base path, the filter of the source file dialog,
// and the cache of the files found so far.
//
// Names come from the program's debug information, written on the machine that built
// it: Windows-form texts ("c:\src\a.c", "\src\a.c", "src\a.c") keep their rules, POSIX
// paths theirs; both separators separate. Nothing here changes the current directory,
// which other threads rely on meanwhile.
#pragma once

#include <afx.h>

#include <map>
#include <set>
#include <string>

// `name` resolved against the directory of `base` (a path whose file part is ignored):
// the name's drive, else the base's; the name's directory when it has a drive or begins
// with a separator, else the base's directory followed by it; then the name's file part.
// A POSIX result is lexically normalised and written with '/'; one that is still relative
// (no base directory to give it a place) is not looked for. The result is given only when
// it names a regular file; else `name` unchanged.
CString ResolveSourcePath(LPCSTR name, LPCSTR base);

// The base that a source root directory gives for ResolveSourcePath: the root with a
// separator added when it ends in none (the one it uses itself: '\' for a Windows-form
// root, else '/'), and a dummy file name.
CString SourceRootBase(LPCSTR root);

// The filter of the source file dialog for `name`, from `format` (the dialog's filter
// with two %s where a pattern may be added): the pattern of the name's extension
// (";*.ext", lower case) goes in both when no pattern of the filter is that already. An
// extension that would break the filter's form ('|', ';', '%') adds nothing.
CString SourceFileFilter(LPCSTR format, LPCSTR name);

// Whether `path` names a regular file that can be read. A relative path is found against
// no directory, so it never exists here; neither does a Windows-form path on this system.
BOOL SourceFileExists(LPCSTR path);

// The files found to exist, and where the names that a program gives were found, so that
// each is looked for on disk only once, until Clear.
class CKnownSourceFiles {
public:
    // Exact comparison: only the very path that was found is known.
    BOOL Exists(LPCSTR path);
    // Where `name` was found, by the alias, the source root or the user: `path`.
    void Remember(LPCSTR name, LPCSTR path);
    BOOL Lookup(LPCSTR name, CString &path) const;
    void Clear()
    {
        m_known.clear();
        m_found.clear();
    }
    size_t Count() const { return m_known.size(); }

private:
    std::set<std::string> m_known;
    std::map<std::string, std::string> m_found;
};
