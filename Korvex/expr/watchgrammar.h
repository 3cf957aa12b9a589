// CWatchGrammar: the watch-expression grammar, parsed by recursive descent.
//
// The grammar has 77 productions; `input` is a run of comments and whole primary
// expressions, and the text the parser hands in is wrapped in parentheses, so that an
// expression stands as one parenthesised primary expression. The binary levels stand in
// a table and each level takes its operators in a loop, making left-associative nodes.
// A "(" that a type keyword, "struct", "union", "enum" or a type name follows begins a
// cast; nothing else needs more than the next token.
//
// A type name where no type can stand (a primary expression, a member after "." or "->",
// a tag after "struct", "union" or "enum") is read as an identifier, so that a program
// whose tags and typedefs share names with its variables and members can be watched;
// "(T)" with a type T stays a cast when a cast expression can follow it and is else a
// parenthesised identifier. Each of these reads a text that the grammar would refuse.
//
// Parentheses, brackets, unary operators and casts nest at most kMaxDepth levels deep
// together; beyond that the parse fails with "parser stack overflow". Unary operators and
// casts in a row are taken in a loop, so only parentheses and brackets use the stack, a
// few frames a level.
#pragma once

#include "watchnodepool.h"
#include "watchscanner.h"

#include <string>
#include <vector>

enum WatchParseResult : int {
    kWatchAccepted = 0,
    kWatchSyntaxError = 1, // "parse error"
    kWatchTooDeep = 2,     // "parser stack overflow"
};

class CWatchGrammar {
public:
    static constexpr int kMaxDepth = 1024;

    // Every node is made in `nodes`; `trace`, when not NULL, receives the parser trace.
    CWatchGrammar(CWatchScanner &scanner, CWatchNodePool &nodes, std::string *trace)
        : m_scanner(scanner), m_nodes(nodes), m_pTrace(trace)
    {
    }

    // Parses the whole input; *root is the first primary expression of an accepted one.
    WatchParseResult Parse(WatchParseNode **root);

private:
    struct Failure {
        WatchParseResult result;
    };

    WatchParseNode *PrimaryOfInput();
    WatchParseNode *Expression(WatchParseNode *first = nullptr);
    WatchParseNode *Binary(WatchParseNode *first);
    // `leftLevel`, the level of the symbol that `left` stands as (the level count for a
    // cast_expr), follows the reductions.
    WatchParseNode *Climb(WatchParseNode *left, int lowest, int &leftLevel);
    // Traces the reductions of a symbol of `level` up to one of level `to`.
    void Raise(int &level, int to);
    WatchParseNode *Operand(WatchParseNode *first);
    WatchParseNode *Postfix(WatchParseNode *node);
    WatchParseNode *TypeName();
    WatchParseNode *TypeNameOf(WatchParseNode *specifier);

    WatchParseNode *Make(int kind);
    WatchParseNode *Operator(int code, WatchParseNode *first, WatchParseNode *second, WatchParseNode *third = nullptr);
    WatchParseNode *Keyword(UINT code);
    WatchParseNode *Name(int kind, const std::string &name);
    WatchParseNode *Leaf(); // the current constant or name, which is then shifted

    void Read();
    void Shift();
    void Expect(int code);
    void Enter();
    void Leave(int levels = 1) { m_depth -= levels; }
    [[noreturn]] void Fail(WatchParseResult result = kWatchSyntaxError);
    void Reduce(int rule, int line, const char *symbols, const char *result);

    CWatchScanner &m_scanner;
    CWatchNodePool &m_nodes;
    std::string *m_pTrace;
    WatchScannedToken m_token;
    int m_depth = 0;
    std::vector<int> m_prefixes; // of the operands being read, see Operand
};
