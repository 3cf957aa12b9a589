#include "symbolengineerrortext.h"

namespace {

struct EngineErrorText {
    int code;
    LPCSTR text;
};

const EngineErrorText kTexts[] = {
    {0, "Successfull - no error"},
    {1, "Symbol engine error"},
    {2, "Operating system error"},
    {3, "Database engine error"},
    {4, "File system error"},
    {5, "Memory allocation error"},
    {6, "Error: Information not available"},
    {7, "Error: Unknown file format"},
    {8, "Error: Section overlap"},
    {9, "Debug Server error"},
    {-1, "Unknown error"},
};

} // namespace

CString GetSymbolEngineErrorText(const int *code)
{
    for (const EngineErrorText &entry : kTexts) {
        if (entry.code == *code)
            return entry.text;
    }
    // A text of the caller's own: the windows of several threads ask at the same time,
    // and a buffer shared between them would change under a caller that still reads it.
    CString unknown;
    unknown.Format("Value(?): %#8.8hx", static_cast<unsigned short>(*code));
    return unknown;
}
