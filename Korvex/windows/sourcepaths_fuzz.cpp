// Fuzz target of the source-path rules: any name resolved against any base, and the
// source file dialog's filter made for any name, never crash; a resolution gives the
// name back or an absolute, normalised path of a regular file, and the filter keeps its
// form.
// fuzz-seeds: Korvex/windows/sourcepaths_test.cpp
#include "sourcepaths.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    const size_t split = text.find('\n');
    std::string name = text.substr(0, split);
    std::string base = split == std::string::npos ? std::string() : text.substr(split + 1);
    name = name.c_str(); // the system's texts end at their first NUL
    base = base.c_str();

    CString resolved = ResolveSourcePath(name.c_str(), SourceRootBase(base.c_str()));
    if (resolved != name.c_str() && (resolved.IsEmpty() || resolved[0] != '/' || !SourceFileExists(resolved)))
        __builtin_trap();

    static const char kFormat[] = "Source (*.c%s)|*.c%s|All (*.*)|*.*||";
    CString filter = SourceFileFilter(kFormat, name.c_str());
    const std::string made = static_cast<LPCSTR>(filter);
    const std::string ending = "|All (*.*)|*.*||";
    if (made.rfind("Source (*.c", 0) != 0 || made.size() < ending.size() ||
        made.compare(made.size() - ending.size(), ending.size(), ending) != 0)
        __builtin_trap();
    return 0;
}
