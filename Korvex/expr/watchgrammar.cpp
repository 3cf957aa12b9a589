#include "watchgrammar.h"

#include "watchtokens.h"

#include <cstdio>
#include <vector>

namespace {

// The binary levels, lowest first: the tokens of each, and the number of its first
// production (the level standing for the next one); its operators follow in order.
struct BinaryLevel {
    const char *name;
    int rule;
    int tokens[4];
};

const BinaryLevel kLevels[] = {
    {"logical_or_expr", 10, {OR_OP}},
    {"logical_and_expr", 12, {AND_OP}},
    {"inclusive_or_expr", 14, {'|'}},
    {"exclusive_or_expr", 16, {'^'}},
    {"and_expr", 18, {'&'}},
    {"equality_expr", 20, {EQ_OP, NE_OP}},
    {"relational_expr", 23, {'<', '>', LE_OP, GE_OP}},
    {"shift_expr", 28, {LEFT_OP, RIGHT_OP}},
    {"additive_expr", 31, {'+', '-'}},
    {"multiplicative_expr", 34, {'*', '/', '%'}},
};
constexpr int kLevelCount = sizeof kLevels / sizeof kLevels[0];

// The level of a binary operator, -1 for any other token; the operator's production in
// *rule.
int LevelOf(int token, int *rule = nullptr)
{
    // Most tokens end an operand: those are told at once.
    switch (token) {
    case OR_OP: case AND_OP: case '|': case '^': case '&': case EQ_OP: case NE_OP: case '<': case '>':
    case LE_OP: case GE_OP: case LEFT_OP: case RIGHT_OP: case '+': case '-': case '*': case '/': case '%':
        break;
    default:
        return -1;
    }
    for (int level = 0; level < kLevelCount; ++level)
        for (int i = 0; i < 4 && kLevels[level].tokens[i] != 0; ++i)
            if (kLevels[level].tokens[i] == token) {
                if (rule != nullptr)
                    *rule = kLevels[level].rule + 1 + i;
                return level;
            }
    return -1;
}

bool IsUnaryOperator(int token)
{
    return token == '&' || token == '*' || token == '+' || token == '-' || token == '~' || token == '!';
}

// Tokens that begin a type_name other than a type name.
bool BeginsTypeSpecifier(int token)
{
    switch (token) {
    case T_CHAR: case T_SHORT: case T_INT: case T_LONG: case T_SIGNED: case T_UNSIGNED: case T_FLOAT:
    case T_DOUBLE: case T_VOID: case T_BIT: case T_BITWORD: case T_STRUCT: case T_UNION: case T_ENUM:
        return true;
    default:
        return false;
    }
}

bool BeginsCastExpression(int token)
{
    return token == '(' || token == IDENTIFIER || token == TYPE_NAME || token == CONSTANT || token == FCONSTANT ||
           IsUnaryOperator(token);
}

// The production of a unary operator (69-74).
int UnaryOperatorRule(int token)
{
    const int order[] = {'&', '*', '+', '-', '~', '!'};
    for (int i = 0; i < 6; ++i)
        if (order[i] == token)
            return 69 + i;
    return 0;
}

// The production of a single keyword type specifier (42-52).
int KeywordRule(int token)
{
    static const int order[] = {T_CHAR, T_SHORT, T_INT,    T_LONG, T_SIGNED, T_UNSIGNED,
                                T_FLOAT, T_DOUBLE, T_VOID, T_BIT, T_BITWORD};
    for (int i = 0; i < 11; ++i)
        if (order[i] == token)
            return 42 + i;
    return 0;
}

} // namespace

void CWatchGrammar::Reduce(int rule, int line, const char *symbols, const char *result)
{
    if (m_pTrace == nullptr)
        return;
    char text[160];
    std::snprintf(text, sizeof text, "Reducing via rule %d (line %d), %s  -> %s\n", rule, line, symbols, result);
    m_pTrace->append(text);
}

void CWatchGrammar::Read()
{
    const bool scanned = m_scanner.Next(m_token);
    if (m_pTrace != nullptr) {
        m_pTrace->append("Reading a token: ");
        if (scanned && m_token.code == kWatchEnd) {
            m_pTrace->append("Now at end of input.\n");
        } else if (scanned) {
            char text[96];
            std::snprintf(text, sizeof text, "Next token is %d (%s)\n", m_token.code, WatchTokenName(m_token.code));
            m_pTrace->append(text);
        }
    }
    if (!scanned)
        Fail();
}

void CWatchGrammar::Shift()
{
    if (m_pTrace != nullptr) {
        char text[96];
        std::snprintf(text, sizeof text, "Shifting token %d (%s)\n", m_token.code, WatchTokenName(m_token.code));
        m_pTrace->append(text);
    }
    Read();
}

void CWatchGrammar::Expect(int code)
{
    if (m_token.code != code)
        Fail();
    Shift();
}

void CWatchGrammar::Enter()
{
    if (++m_depth > kMaxDepth)
        Fail(kWatchTooDeep);
}

void CWatchGrammar::Fail(WatchParseResult result)
{
    throw Failure{result};
}

WatchParseNode *CWatchGrammar::Make(int kind)
{
    return m_nodes.Make(kind);
}

WatchParseNode *CWatchGrammar::Operator(int code, WatchParseNode *first, WatchParseNode *second, WatchParseNode *third)
{
    WatchParseNode *node = Make(kWatchOperator);
    node->number = static_cast<UINT>(code);
    node->child[0] = first;
    node->child[1] = second;
    node->child[2] = third;
    return node;
}

WatchParseNode *CWatchGrammar::Keyword(UINT code)
{
    WatchParseNode *node = Make(kWatchKeyword);
    node->number = code;
    return node;
}

WatchParseNode *CWatchGrammar::Name(int kind, const std::string &name)
{
    WatchParseNode *node = Make(kind);
    node->name = m_nodes.Copy(name);
    return node;
}

WatchParseNode *CWatchGrammar::Leaf()
{
    WatchParseNode *node = nullptr;
    switch (m_token.code) {
    case IDENTIFIER:
    case TYPE_NAME: // no type can stand here
        node = Name(kWatchIdentifier, m_token.name);
        Shift();
        Reduce(4, __LINE__, "IDENTIFIER", "primary_expr");
        break;
    case CONSTANT:
        node = Make(kWatchInteger);
        node->number = m_token.number;
        Shift();
        Reduce(5, __LINE__, "CONSTANT", "primary_expr");
        break;
    case FCONSTANT:
        node = Make(kWatchFloating);
        node->real = m_token.real;
        Shift();
        Reduce(6, __LINE__, "FCONSTANT", "primary_expr");
        break;
    default:
        Fail();
    }
    return node;
}

WatchParseResult CWatchGrammar::Parse(WatchParseNode **root)
{
    *root = nullptr;
    if (m_pTrace != nullptr)
        m_pTrace->append("Starting parse\n");
    try {
        Read();
        std::vector<int> elements; // the productions of `input`, reduced last first
        while (m_token.code != kWatchEnd) {
            if (m_token.code == COMMENT) {
                Shift();
                Reduce(77, __LINE__, "COMMENT", "comment");
                elements.push_back(2);
                continue;
            }
            WatchParseNode *primary = PrimaryOfInput();
            if (*root == nullptr)
                *root = primary;
            elements.push_back(3);
        }
        Reduce(1, __LINE__, "", "input");
        for (auto rule = elements.rbegin(); rule != elements.rend(); ++rule)
            Reduce(*rule, __LINE__, *rule == 2 ? "comment input" : "primary_expr input", "input");
        return kWatchAccepted;
    } catch (const Failure &failure) {
        *root = nullptr;
        return failure.result;
    }
}

// A primary expression of `input`: no cast can begin here, so a type name after the "("
// is an identifier too.
WatchParseNode *CWatchGrammar::PrimaryOfInput()
{
    if (m_token.code != '(')
        return Leaf();
    Enter();
    Shift();
    WatchParseNode *inner = Expression();
    Expect(')');
    Leave();
    Reduce(7, __LINE__, "'(' expr ')'", "primary_expr");
    return inner;
}

// expr: logical_or_expr, or logical_or_expr '?' logical_or_expr ':' expr. A chain of
// conditionals in the last operand is taken in a loop, each node filled in as it ends.
WatchParseNode *CWatchGrammar::Expression(WatchParseNode *first)
{
    WatchParseNode *condition = Binary(first);
    WatchParseNode *result = nullptr;
    WatchParseNode **open = &result;
    int conditionals = 0;
    while (m_token.code == '?') {
        Shift();
        WatchParseNode *chosen = Binary(nullptr);
        Expect(':');
        WatchParseNode *node = Operator(kWatchConditional, condition, chosen);
        *open = node;
        open = &node->child[2];
        condition = Binary(nullptr);
        ++conditionals;
    }
    // The last operand is an expr before the conditionals around it are, innermost first.
    Reduce(8, __LINE__, "logical_or_expr", "expr");
    while (conditionals-- > 0)
        Reduce(9, __LINE__, "logical_or_expr '?' logical_or_expr ':' expr", "expr");
    *open = condition;
    return result;
}

WatchParseNode *CWatchGrammar::Binary(WatchParseNode *first)
{
    int level = kLevelCount;
    WatchParseNode *node = Climb(Operand(first), 0, level);
    Raise(level, 0);
    return node;
}

void CWatchGrammar::Raise(int &level, int to)
{
    for (; level > to; --level) {
        if (m_pTrace != nullptr)
            Reduce(kLevels[level - 1].rule, __LINE__, level < kLevelCount ? kLevels[level].name : "cast_expr",
                   kLevels[level - 1].name);
    }
}

// Takes the operators of level `lowest` and above that follow `left`: an operator of a
// higher level than the one before it binds its right operand first, so each level ends
// up with its own loop and left-associative nodes.
WatchParseNode *CWatchGrammar::Climb(WatchParseNode *left, int lowest, int &leftLevel)
{
    int rule = 0;
    for (int level = LevelOf(m_token.code, &rule); level >= lowest; level = LevelOf(m_token.code, &rule)) {
        const int op = m_token.code;
        const int opRule = rule;
        // The left operand becomes a symbol of the operator's level before it is shifted.
        Raise(leftLevel, level);
        Shift();
        WatchParseNode *right = Operand(nullptr);
        int rightLevel = kLevelCount;
        while (LevelOf(m_token.code) > level)
            right = Climb(right, level + 1, rightLevel);
        Raise(rightLevel, level + 1);
        left = Operator(op, left, right);
        if (m_pTrace != nullptr) {
            std::string symbols = std::string(kLevels[level].name) + " " + WatchTokenName(op) + " " +
                                  (level + 1 < kLevelCount ? kLevels[level + 1].name : "cast_expr");
            Reduce(opRule, __LINE__, symbols.c_str(), kLevels[level].name);
        }
        leftLevel = level;
    }
    return left;
}

// cast_expr: the unary operators and casts in front of a postfix expression, each node
// left open for the next one, then the postfix expression. `first`, when given, is a
// primary expression already read.
WatchParseNode *CWatchGrammar::Operand(WatchParseNode *first)
{
    if (first != nullptr) {
        WatchParseNode *node = Postfix(first);
        Reduce(38, __LINE__, "unary_expr", "cast_expr");
        return node;
    }
    WatchParseNode *result = nullptr;
    WatchParseNode **open = &result;
    int levels = 0;
    // The productions of the unary operators and casts in front, outermost first: each is
    // reduced once the cast_expr behind it is. They wait on the grammar's own stack, which
    // keeps this frame small for the deepest nesting.
    const size_t firstPrefix = m_prefixes.size();
    for (;;) {
        if (IsUnaryOperator(m_token.code)) {
            Enter();
            ++levels;
            const int op = m_token.code;
            WatchParseNode *node = Operator(op, nullptr, nullptr);
            Shift();
            Reduce(UnaryOperatorRule(op), __LINE__, WatchTokenName(op), "unary_operator");
            m_prefixes.push_back(64);
            *open = node;
            open = &node->child[1];
            continue;
        }
        if (m_token.code != '(') {
            *open = Postfix(Leaf());
            break;
        }
        Enter();
        Shift();
        WatchParseNode *type = nullptr;
        if (BeginsTypeSpecifier(m_token.code)) {
            type = TypeName();
        } else if (m_token.code == TYPE_NAME) {
            std::string name = m_token.name;
            Shift();
            if (m_token.code == '*') {
                Reduce(59, __LINE__, "TYPE_NAME", "type_specifier");
                type = TypeNameOf(Name(kWatchTypeName, name));
            } else if (m_token.code == ')') {
                Shift();
                if (BeginsCastExpression(m_token.code)) {
                    // Only what follows the ")" tells a cast, so the name's reductions come
                    // behind it.
                    Reduce(59, __LINE__, "TYPE_NAME", "type_specifier");
                    Reduce(40, __LINE__, "type_specifier", "type_name");
                    WatchParseNode *node = Operator(kWatchCast, Name(kWatchTypeName, name), nullptr);
                    m_prefixes.push_back(39);
                    ++levels;
                    *open = node;
                    open = &node->child[1];
                    continue;
                }
                // "(T)" that no cast expression follows: a parenthesised identifier.
                Leave();
                Reduce(4, __LINE__, "IDENTIFIER", "primary_expr");
                *open = Postfix(Name(kWatchIdentifier, name));
                break;
            } else {
                // The name begins the parenthesised expression.
                Reduce(4, __LINE__, "IDENTIFIER", "primary_expr");
                WatchParseNode *inner = Expression(Name(kWatchIdentifier, name));
                Expect(')');
                Leave();
                Reduce(7, __LINE__, "'(' expr ')'", "primary_expr");
                *open = Postfix(inner);
                break;
            }
        }
        if (type != nullptr) {
            Expect(')');
            WatchParseNode *node = Operator(kWatchCast, type, nullptr);
            m_prefixes.push_back(39);
            ++levels;
            *open = node;
            open = &node->child[1];
            continue;
        }
        WatchParseNode *inner = Expression();
        Expect(')');
        Leave();
        Reduce(7, __LINE__, "'(' expr ')'", "primary_expr");
        *open = Postfix(inner);
        break;
    }
    Reduce(38, __LINE__, "unary_expr", "cast_expr");
    for (; m_prefixes.size() > firstPrefix; m_prefixes.pop_back()) {
        if (m_prefixes.back() == 39) {
            Reduce(39, __LINE__, "'(' type_name ')' cast_expr", "cast_expr");
            continue;
        }
        Reduce(64, __LINE__, "unary_operator cast_expr", "unary_expr");
        Reduce(38, __LINE__, "unary_expr", "cast_expr");
    }
    Leave(levels);
    return result;
}

// postfix_expr: indexes and members after a primary expression, in a loop.
WatchParseNode *CWatchGrammar::Postfix(WatchParseNode *node)
{
    Reduce(65, __LINE__, "primary_expr", "postfix_expr");
    for (;;) {
        if (m_token.code == '[') {
            Enter();
            Shift();
            WatchParseNode *index = Expression();
            Expect(']');
            Leave();
            node = Operator(kWatchIndex, node, index);
            Reduce(66, __LINE__, "postfix_expr '[' expr ']'", "postfix_expr");
        } else if (m_token.code == '.' || m_token.code == PTR_OP) {
            const int op = m_token.code;
            Shift();
            // A member of the name of a type is a member all the same.
            if (m_token.code != IDENTIFIER && m_token.code != TYPE_NAME)
                Fail();
            WatchParseNode *member = Name(kWatchIdentifier, m_token.name);
            Shift();
            node = Operator(op, node, member);
            Reduce(op == '.' ? 67 : 68, __LINE__, op == '.' ? "postfix_expr '.' IDENTIFIER" : "postfix_expr PTR_OP IDENTIFIER",
                   "postfix_expr");
        } else {
            Reduce(63, __LINE__, "postfix_expr", "unary_expr");
            return node;
        }
    }
}

// type_name after "(" when it begins with a keyword: the specifier, then the pointer
// marks.
WatchParseNode *CWatchGrammar::TypeName()
{
    const int token = m_token.code;
    WatchParseNode *specifier = nullptr;
    if (token == T_STRUCT || token == T_UNION || token == T_ENUM) {
        Shift();
        // A tag that is also the name of a type is a tag all the same.
        if (m_token.code != IDENTIFIER && m_token.code != TYPE_NAME)
            Fail();
        specifier = Operator(token, Name(kWatchIdentifier, m_token.name), nullptr);
        Shift();
        Reduce(token == T_STRUCT ? 60 : token == T_UNION ? 61 : 62, __LINE__, "T_STRUCT IDENTIFIER", "type_specifier");
    } else if (token == T_SIGNED || token == T_UNSIGNED) {
        Shift();
        const int second = m_token.code;
        if (second == T_CHAR || second == T_INT || second == T_LONG) {
            const int pair = second == T_CHAR ? 0 : second == T_INT ? 1 : 2;
            const UINT code = (token == T_UNSIGNED ? kWatchUnsignedChar : kWatchSignedChar) + 2 * pair;
            specifier = Keyword(code);
            Shift();
            Reduce(53 + 2 * pair + (token == T_SIGNED ? 1 : 0), __LINE__, "T_UNSIGNED T_CHAR", "type_specifier");
        } else {
            specifier = Keyword(static_cast<UINT>(token));
            Reduce(KeywordRule(token), __LINE__, WatchTokenName(token), "type_specifier");
        }
    } else {
        specifier = Keyword(static_cast<UINT>(token));
        Shift();
        Reduce(KeywordRule(token), __LINE__, WatchTokenName(token), "type_specifier");
    }
    return TypeNameOf(specifier);
}

// type_name: the specifier, and with pointer marks a 296 node over it and the chain:
// "*" is a kind-5 leaf 42, each further "*" an operator 42 over the chain that follows.
WatchParseNode *CWatchGrammar::TypeNameOf(WatchParseNode *specifier)
{
    if (m_token.code != '*') {
        Reduce(40, __LINE__, "type_specifier", "type_name");
        return specifier;
    }
    int stars = 0;
    while (m_token.code == '*') {
        ++stars;
        Shift();
    }
    WatchParseNode *pointer = Keyword('*');
    Reduce(75, __LINE__, "'*'", "pointer");
    while (--stars > 0) {
        pointer = Operator('*', nullptr, pointer);
        Reduce(76, __LINE__, "'*' pointer", "pointer");
    }
    Reduce(41, __LINE__, "type_specifier pointer", "type_name");
    return Operator(kWatchPointerType, specifier, pointer);
}
