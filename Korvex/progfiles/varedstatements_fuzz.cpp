// Runs the VarEd parser on arbitrary text and checks what the globals pass relies on: a
// text that parses gives statements of three names each, which resolve completely once
// every name is met; one that does not gives no statement and one line of the text,
// without its line end and with its tabs as blanks.
//
// fuzz-seeds: testdata/vared/src/*.s
#include "varedstatements.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

bool IsName(const CString &name)
{
    for (int i = 0; i < name.GetLength(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!letter && (i == 0 || c < '0' || c > '9'))
            return false;
    }
    return !name.IsEmpty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CVarEdStatements statements;
    CString line;
    const int result = statements.Parse(data, static_cast<DWORD>(size), &line);
    if (result == 0) {
        Check(statements.IsEmpty());
        Check(line.FindOneOf("\r\n\t") < 0);
        std::string text(reinterpret_cast<const char *>(data), size);
        std::replace(text.begin(), text.end(), '\t', ' ');
        Check(text.find(static_cast<LPCSTR>(line)) != std::string::npos);
        return 0;
    }
    Check(result == 1);
    Check(line.IsEmpty());
    DWORD index = 0;
    for (const tagVarEdRecord &r : statements.GetRecords()) {
        Check(IsName(r.FunctionName) && IsName(r.VariableName) && IsName(r.ValueName));
        statements.ResolveFunction(r.FunctionName, 0x1000 + index, 4);
        ++index;
    }
    for (const tagVarEdRecord &r : statements.GetRecords()) {
        for (LPCSTR name : {static_cast<LPCSTR>(r.VariableName), static_cast<LPCSTR>(r.ValueName)}) {
            if (statements.WantsVariable(name))
                statements.ResolveVariable(name, static_cast<LONG>(++index), 0x2000);
        }
    }
    for (const tagVarEdRecord &r : statements.GetRecords()) {
        Check(r.FunctionAddress != -1 && r.VariableIndex != -1 && r.ValueIndex != -1);
        Check(!statements.WantsVariable(r.VariableName) && !statements.WantsVariable(r.ValueName));
    }
    return 0;
}
