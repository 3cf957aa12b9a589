#include "dbxparser.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

// The grammar, by recursive descent with one token of look-ahead: it accepts the
// language of the 31 rules and reduces in their order, so the trace and the tree are
// those of a table-driven parser of the same grammar.
class CQelDBXParser::Grammar {
public:
    Grammar(CQelDBXParser &owner, const char *text, size_t length, FILE *trace)
        : m_owner(owner), m_scanner(text, length), m_trace(trace)
    {
        m_token = m_scanner.Next();
    }

    // Rule 1: input: typeinfo, then the end of the text.
    CQelDBXNode *Input()
    {
        CQelDBXNode *type = TypeInfo(0);
        if (type == nullptr || !Expect(0))
            return nullptr;
        Reduce(1, "input");
        return type;
    }

private:
    CQelDBXNode *Number(LONG value) { return Make(DBX_NODE_NUMBER, value); }
    CQelDBXNode *String(const std::string &text)
    {
        CQelDBXNode *node = Make(DBX_NODE_STRING, 0);
        node->Text = text;
        return node;
    }
    CQelDBXNode *Node(LONG op, CQelDBXNode *a, CQelDBXNode *b = nullptr, CQelDBXNode *c = nullptr,
                      CQelDBXNode *d = nullptr)
    {
        CQelDBXNode *node = Make(DBX_NODE_INNER, op);
        node->Child[0] = a;
        node->Child[1] = b;
        node->Child[2] = c;
        node->Child[3] = d;
        return node;
    }
    CQelDBXNode *Make(LONG kind, LONG value)
    {
        m_owner.m_nodes.push_back(std::make_unique<CQelDBXNode>());
        CQelDBXNode *node = m_owner.m_nodes.back().get();
        node->Kind = kind;
        node->Value = value;
        return node;
    }

    void Shift()
    {
        if (m_trace != nullptr)
            fprintf(m_trace, "Shifting token %d (%s)\n", m_token, GetDBXSymbolName(m_token));
        m_token = m_scanner.Next();
    }
    void Reduce(int rule, const char *symbol)
    {
        if (m_trace != nullptr)
            fprintf(m_trace, "Reducing via rule %d, -> %s\n", rule, symbol);
    }
    // Takes the token when it is `token`; false otherwise (the end is not taken).
    bool Expect(int token)
    {
        if (m_token != token)
            return false;
        if (token != 0)
            Shift();
        return true;
    }
    bool ExpectNumber(LONG *value)
    {
        *value = m_scanner.GetNumber();
        return Expect(D_NUMBER);
    }

    // Rules 2 to 10.
    CQelDBXNode *TypeInfo(int depth)
    {
        LONG number = 0;
        if (depth >= kMaxDBXNesting || !ExpectNumber(&number))
            return nullptr;
        const int token = m_token;
        CQelDBXNode *info = nullptr;
        LONG op = 0;
        int rule = 0;
        switch (token) {
        case D_VOIDNUMBER: {
            const LONG voidNumber = m_scanner.GetNumber();
            Shift();
            Reduce(3, "typeinfo");
            return Node(D_VOIDNUMBER, Number(number), Number(voidNumber));
        }
        case D_RANGETYPEINFO:
            info = RangeTypeInfo(), op = DBX_RANGE_TYPE, rule = 4;
            break;
        case D_UNIONINFO:
            info = StructInfo(depth, 16, "unioninfo"), op = DBX_UNION_TYPE, rule = 5;
            break;
        case D_STRUCTINFO:
            info = StructInfo(depth, 12, "structinfo"), op = DBX_STRUCT_TYPE, rule = 6;
            break;
        case D_ARRAYINFO:
            info = ArrayInfo(depth), op = DBX_ARRAY_TYPE, rule = 7;
            break;
        case D_ENUMINFO:
            info = EnumInfo(), op = DBX_ENUM_TYPE, rule = 8;
            break;
        case D_POINTERINFO:
        case D_NEARPOINTERINFO:
        case D_FARPOINTERINFO:
        case D_HUGEPOINTERINFO:
            info = Derived(depth, 23 + token - D_POINTERINFO, "pointerinfo"), op = DBX_POINTER_TYPE, rule = 9;
            break;
        case D_FUNCTIONINFO:
        case D_NEARFUNCTIONINFO:
        case D_FARFUNCTIONINFO:
        case D_SNEARFUNCTIONINFO:
        case D_SFARFUNCTIONINFO:
            info = Derived(depth, 27 + token - D_FUNCTIONINFO, "functioninfo"), op = DBX_FUNCTION_TYPE, rule = 10;
            break;
        default:
            Reduce(2, "typeinfo");
            return Number(number);
        }
        if (info == nullptr)
            return nullptr;
        Reduce(rule, "typeinfo");
        return Node(op, Number(number), info);
    }

    // Rule 11.
    CQelDBXNode *RangeTypeInfo()
    {
        Shift();
        LONG of = 0, lower = 0, upper = 0;
        if (!ExpectNumber(&of) || !Expect(';') || !ExpectNumber(&lower) || !Expect(';') || !ExpectNumber(&upper) ||
            !Expect(';'))
            return nullptr;
        Reduce(11, "rangetypeinfo");
        return Node(D_RANGETYPEINFO, Number(of), Number(lower), Number(upper));
    }

    // Rules 12 and 16, with the member list of rules 13 to 15.
    CQelDBXNode *StructInfo(int depth, int rule, const char *symbol)
    {
        Shift();
        LONG size = 0;
        if (!ExpectNumber(&size))
            return nullptr;
        CQelDBXNode *first = nullptr;
        CQelDBXNode *last = nullptr;
        do {
            CQelDBXNode *member = StructMember(depth);
            if (member == nullptr)
                return nullptr;
            if (last != nullptr)
                last->Child[3] = member;
            else
                first = member;
            last = member;
        } while (m_token == D_NAME);
        if (!Expect(';'))
            return nullptr;
        // A table-driven parser reduces the list from its end; so does the trace.
        Reduce(13, "structmemberinfo");
        for (const CQelDBXNode *member = first; member != last; member = member->Child[3])
            Reduce(14, "structmemberinfo");
        Reduce(rule, symbol);
        return Node(D_STRUCTINFO, Number(size), first);
    }

    // Rules 15 and 17.
    CQelDBXNode *StructMember(int depth)
    {
        const std::string name = m_scanner.GetName();
        if (!Expect(D_NAME) || !Expect(':'))
            return nullptr;
        CQelDBXNode *type = TypeInfo(depth + 1);
        if (type == nullptr)
            return nullptr;
        Reduce(17, "varinfo");
        CQelDBXNode *variable = Node(DBX_VARIABLE, String(name), type);
        LONG offset = 0, size = 0;
        if (!Expect(',') || !ExpectNumber(&offset) || !Expect(',') || !ExpectNumber(&size) || !Expect(';'))
            return nullptr;
        Reduce(15, "structmemberinfo1");
        return Node(DBX_STRUCT_MEMBER, variable, Number(offset), Number(size));
    }

    // Rule 18.
    CQelDBXNode *ArrayInfo(int depth)
    {
        Shift();
        LONG index = 0, lower = 0, upper = 0;
        if (!ExpectNumber(&index) || !Expect(';') || !ExpectNumber(&lower) || !Expect(';') || !ExpectNumber(&upper) ||
            !Expect(';'))
            return nullptr;
        CQelDBXNode *element = TypeInfo(depth + 1);
        if (element == nullptr)
            return nullptr;
        Reduce(18, "arrayinfo");
        return Node(D_ARRAYINFO, Number(index), Number(lower), Number(upper), element);
    }

    // Rules 19 to 22.
    CQelDBXNode *EnumInfo()
    {
        Shift();
        CQelDBXNode *first = nullptr;
        CQelDBXNode *last = nullptr;
        do {
            const std::string name = m_scanner.GetName();
            LONG value = 0;
            if (!Expect(D_NAME) || !Expect(':') || !ExpectNumber(&value) || !Expect(','))
                return nullptr;
            Reduce(22, "enummember1");
            CQelDBXNode *member = Node(DBX_ENUMERATOR, String(name), Number(value));
            if (last != nullptr)
                last->Child[3] = member;
            else
                first = member;
            last = member;
        } while (m_token == D_NAME);
        if (!Expect(';'))
            return nullptr;
        Reduce(20, "enummember");
        for (const CQelDBXNode *member = first; member != last; member = member->Child[3])
            Reduce(21, "enummember");
        Reduce(19, "enuminfo");
        return Node(D_ENUMINFO, first);
    }

    // Rules 23 to 31: the operator token, then the type it points to or returns.
    CQelDBXNode *Derived(int depth, int rule, const char *symbol)
    {
        const LONG op = m_token;
        Shift();
        CQelDBXNode *type = TypeInfo(depth + 1);
        if (type == nullptr)
            return nullptr;
        Reduce(rule, symbol);
        return Node(op, type);
    }

    CQelDBXParser &m_owner;
    CDBXScanner m_scanner;
    FILE *m_trace;
    int m_token;
};

CQelDBXParser::CQelDBXParser(size_t bufferSize) : m_input(bufferSize > 0 ? bufferSize : 1) {}

CQelDBXParser::~CQelDBXParser()
{
    RemoveTempFile(m_trace);
    RemoveTempFile(m_error);
    Release();
}

void CQelDBXParser::Release()
{
    m_pRoot = nullptr;
    m_nodes.clear();
}

const CQelDBXNode *CQelDBXParser::Parse(LPCSTR text, int trace)
{
    Release();
    const size_t length = strlen(text);
    if (length >= m_input.size())
        m_input.assign(length + 1, '\0');
    memcpy(m_input.data(), text, length + 1);

    FILE *traceStream = nullptr;
    if (trace == 1 && OpenTempFile(m_trace, "QDBD")) {
        RestartTempFile(m_trace);
        traceStream = m_trace.Stream;
    }
    Grammar grammar(*this, m_input.data(), length, traceStream);
    m_pRoot = grammar.Input();
    if (m_pRoot == nullptr) {
        Release();
        if (OpenTempFile(m_error, "QDBE")) {
            RestartTempFile(m_error);
            fprintf(m_error.Stream, "%s\n%s\n", m_input.data(), "parse error");
            FinishTempFile(m_error);
        }
    }
    if (traceStream != nullptr)
        FinishTempFile(m_trace);
    return m_pRoot;
}

bool CQelDBXParser::OpenTempFile(TempFile &file, const char *prefix)
{
    if (file.Stream != nullptr)
        return true;
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    std::string pattern = length > 0 && length < sizeof folder ? folder : "/tmp/";
    if (pattern.back() != '/')
        pattern += '/';
    pattern += prefix;
    pattern += "XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return false;
    file.Stream = fdopen(fd, "w+b");
    if (file.Stream == nullptr) {
        close(fd);
        unlink(pattern.c_str());
        return false;
    }
    file.Path = pattern;
    return true;
}

void CQelDBXParser::RestartTempFile(TempFile &file)
{
    rewind(file.Stream);
    if (ftruncate(fileno(file.Stream), 0) != 0)
        clearerr(file.Stream);
}

void CQelDBXParser::FinishTempFile(TempFile &file)
{
    if (fflush(file.Stream) != 0 || ferror(file.Stream))
        RemoveTempFile(file);
}

void CQelDBXParser::RemoveTempFile(TempFile &file)
{
    if (file.Stream == nullptr)
        return;
    fclose(file.Stream);
    unlink(file.Path.c_str());
    file.Stream = nullptr;
    file.Path.clear();
}
