#include "varedstatements.h"

#include <nameencoding.h>

#include <algorithm>
#include <climits>
#include <set>

namespace {

const char kSource[] = "QelSymbolEngine";

// The states of the parser.
enum ParseState {
    BetweenStatements,
    LineComment,
    AfterSlash,
    BlockComment,
    AfterStar, // inside a block comment
    FunctionName,
    VariableName,
    ValueName,
    AfterStatement,
    SyntaxError,
};

BOOL IsLineEnd(BYTE c)
{
    return c == '\n' || c == '\r';
}

BOOL IsBlank(BYTE c)
{
    return c == ' ' || c == '\t';
}

BOOL IsNameStart(BYTE c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

BOOL IsNameChar(BYTE c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// The line that begins at `start`, up to its line end or the end of the text, tabs as
// blanks.
CString LineAt(const BYTE *text, DWORD start, DWORD end)
{
    DWORD stop = start;
    while (stop < end && !IsLineEnd(text[stop]))
        ++stop;
    const DWORD length = std::min<DWORD>(stop - start, INT_MAX);
    CString line(reinterpret_cast<LPCSTR>(text + start), static_cast<int>(length));
    line.Replace('\t', ' ');
    return line;
}

// The names of one statement while it is read. A name is read as a token, which ends
// before the character that ends it.
struct StatementReader {
    explicit StatementReader(const BYTE *text) : text(text) {}

    const BYTE *text;
    CString names[3]; // function, variable, value variable
    DWORD tokenStart = 0;
    BOOL inToken = FALSE;

    // One character in the state of name `k` (FunctionName + k): the next state.
    ParseState Step(int k, DWORD i, std::vector<tagVarEdRecord> &records)
    {
        const BYTE c = text[i];
        if (inToken) {
            if (IsNameChar(c))
                return ParseState(FunctionName + k);
            names[k] = CString(reinterpret_cast<LPCSTR>(text + tokenStart), static_cast<int>(i - tokenStart));
            inToken = FALSE;
        }
        if (IsBlank(c))
            return ParseState(FunctionName + k);
        if (k == 0 && c == ':')
            return VariableName;
        if (k == 1 && c == '=')
            return ValueName;
        if (k == 2 && c == ';')
            return Append(records);
        if (IsNameStart(c) && names[k].IsEmpty()) {
            tokenStart = i;
            inToken = TRUE;
            return ParseState(FunctionName + k);
        }
        return SyntaxError; // a second name, or a character no statement has there
    }

    ParseState Append(std::vector<tagVarEdRecord> &records)
    {
        for (const CString &name : names) {
            if (name.IsEmpty())
                return SyntaxError;
        }
        tagVarEdRecord record;
        record.FunctionName = names[0];
        record.VariableName = names[1];
        record.ValueName = names[2];
        records.push_back(record);
        for (CString &name : names)
            name.Empty();
        return AfterStatement;
    }
};

// Adds statement `index` to the list of `name`.
void AddPending(std::unordered_map<std::string, std::vector<size_t>> &pending, const CString &name, size_t index)
{
    pending[std::string(name)].push_back(index);
}

// Takes the list of `name` out of `pending`; empty when no statement waits for it.
std::vector<size_t> TakePending(std::unordered_map<std::string, std::vector<size_t>> &pending, LPCSTR name)
{
    std::vector<size_t> waiting;
    auto found = pending.find(name);
    if (found != pending.end()) {
        waiting.swap(found->second);
        pending.erase(found);
    }
    return waiting;
}

// A VarEd row: nameless, outside every module and scope.
void AppendRow(CDBSymbolInfo &rs, LONG symbolId, const LONG (&data)[6])
{
    rs.AddNew();
    rs.m_SymbolID = symbolId;
    rs.m_ModulIndex = -1;
    rs.m_ScopeIndex = -1;
    rs.m_Name = "";
    EncodeNameString("", rs.m_NameString);
    rs.m_Data_1 = data[0];
    rs.m_Data_2 = data[1];
    rs.m_Data_3 = data[2];
    rs.m_Data_4 = data[3];
    rs.m_Data_5 = data[4];
    rs.m_Data_6 = data[5];
    rs.Update();
}

} // namespace

int CVarEdStatements::Parse(const BYTE *text, DWORD size, CString *offendingLine)
{
    m_records.clear();
    m_pendingFunctions.clear();
    m_pendingVariables.clear();
    m_pendingValues.clear();
    if (offendingLine != nullptr)
        offendingLine->Empty();

    // The section need not end in a zero byte, but a tool that wrote one ends the text
    // there.
    DWORD end = 0;
    while (text != nullptr && end < size && text[end] != '\0')
        ++end;

    std::vector<tagVarEdRecord> records;
    StatementReader statement(text);
    ParseState state = BetweenStatements;
    DWORD lineStart = 0;
    DWORD i = 0;
    while (i < end) {
        const BYTE c = text[i];
        switch (state) {
        case BetweenStatements:
        case AfterStatement:
            if (IsLineEnd(c)) {
                // After a statement too: the next line may hold the next statement.
                state = BetweenStatements;
            } else if (c == '#') {
                state = LineComment;
            } else if (c == '/') {
                state = AfterSlash;
            } else if (!IsBlank(c)) {
                if (state == AfterStatement) {
                    state = SyntaxError;
                } else {
                    state = FunctionName;
                    continue; // the character begins the statement
                }
            }
            break;
        case LineComment:
            if (IsLineEnd(c))
                state = BetweenStatements;
            break;
        case AfterSlash:
            state = c == '*' ? BlockComment : SyntaxError;
            break;
        case BlockComment:
        case AfterStar:
            // A run of stars may end the comment too, as in "**/".
            if (state == AfterStar && c == '/')
                state = BetweenStatements;
            else
                state = c == '*' ? AfterStar : BlockComment;
            break;
        case FunctionName:
        case VariableName:
        case ValueName:
            state = statement.Step(state - FunctionName, i, records);
            break;
        case SyntaxError:
            break;
        }
        if (state == SyntaxError)
            break; // the offending line is the one that holds this character
        if (IsLineEnd(c))
            lineStart = i + 1;
        ++i;
    }

    // A line comment may end with the text; a statement or a block comment may not.
    if (state != BetweenStatements && state != AfterStatement && state != LineComment) {
        if (offendingLine != nullptr)
            *offendingLine = LineAt(text, lineStart, end);
        return 0;
    }
    m_records.swap(records);
    for (size_t index = 0; index < m_records.size(); ++index) {
        AddPending(m_pendingFunctions, m_records[index].FunctionName, index);
        AddPending(m_pendingVariables, m_records[index].VariableName, index);
        AddPending(m_pendingValues, m_records[index].ValueName, index);
    }
    return 1;
}

void CVarEdStatements::ResolveFunction(LPCSTR name, DWORD address, DWORD length)
{
    for (size_t index : TakePending(m_pendingFunctions, name)) {
        m_records[index].FunctionAddress = static_cast<LONG>(address);
        m_records[index].FunctionLength = static_cast<LONG>(length);
    }
}

BOOL CVarEdStatements::WantsVariable(LPCSTR name) const
{
    return m_pendingVariables.count(name) != 0 || m_pendingValues.count(name) != 0;
}

void CVarEdStatements::ResolveVariable(LPCSTR name, LONG symbolIndex, DWORD address)
{
    for (size_t index : TakePending(m_pendingVariables, name))
        m_records[index].VariableIndex = symbolIndex;
    for (size_t index : TakePending(m_pendingValues, name)) {
        tagVarEdRecord &record = m_records[index];
        record.ValueIndex = symbolIndex;
        record.ValueMode = 1;
        record.ValueAddress = static_cast<LONG>(address);
        record.ValueExtra = 0;
    }
}

void CVarEdStatements::WriteRows(CDBSymbolInfo &rs, CQelDiagHelper &diag) const
{
    std::set<LONG> variables, values;
    for (const tagVarEdRecord &r : m_records) {
        if (r.FunctionAddress == -1 || r.VariableIndex == -1 || r.ValueIndex == -1) {
            TraceUnresolved(r, diag);
            continue;
        }
        AppendRow(rs, 17, {r.VariableIndex, r.ValueMode, r.ValueAddress, r.ValueExtra, r.FunctionAddress,
                           r.FunctionLength});
        variables.insert(r.VariableIndex);
        values.insert(r.ValueIndex);
    }
    for (LONG index : variables)
        AppendRow(rs, 15, {index, -1, -1, -1, -1, -1});
    for (LONG index : values)
        AppendRow(rs, 16, {index, -1, -1, -1, -1, -1});
}

void CVarEdStatements::TraceUnresolved(const tagVarEdRecord &r, CQelDiagHelper &diag) const
{
    if (diag.GetLevel() == 0)
        return;
    LPCSTR function = r.FunctionName, variable = r.VariableName, value = r.ValueName;
    if (r.FunctionAddress == -1)
        diag.TraceWarningFrom(kSource, "Function \"%s\" not found. - Ignore VarEd-Statement \"%s : %s = %s\".",
                              function, function, variable, value);
    if (r.VariableIndex == -1)
        diag.TraceWarningFrom(kSource, "Variable \"%s\" not found. - Ignore VarEd-Statement \"%s : %s = %s\".",
                              variable, function, variable, value);
    // A name used twice in the statement is reported once.
    if (r.ValueIndex == -1 && (r.VariableIndex != -1 || r.ValueName != r.VariableName))
        diag.TraceWarningFrom(kSource, "Variable \"%s\" not found. - Ignore VarEd-Statement \"%s : %s = %s\".",
                              value, function, variable, value);
}
