// CQelDBXParser: the type part of a stabs (DBX) string of the GNU C166 tool chain as a
// small tree, which the GNU166 module reader walks to write its type rows.
//
// The grammar has 31 rules (their numbers appear in the trace); each builds one node.
// The parser is written by hand and keeps all its state in the object, so parsers on
// several threads need no lock. Lists (structure members, enumerators) are chained
// through the fourth child and never walked recursively here; nesting of type
// definitions deeper than kMaxDBXNesting is refused as a syntax error, so that no text
// can exhaust the stack.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "dbxscanner.h"

// Operators of inner nodes: the token numbers of dbxscanner.h for the nodes the rules
// name after a token, and these for the rest.
enum : int {
    DBX_VARIABLE = 275,      // name, type
    DBX_RANGE_TYPE = 276,    // number, D_RANGETYPEINFO node
    DBX_UNION_TYPE = 277,    // number, D_STRUCTINFO node
    DBX_STRUCT_TYPE = 278,   // number, D_STRUCTINFO node
    DBX_ARRAY_TYPE = 279,    // number, D_ARRAYINFO node
    DBX_ENUM_TYPE = 280,     // number, D_ENUMINFO node
    DBX_POINTER_TYPE = 281,  // number, pointer node (D_POINTERINFO..D_HUGEPOINTERINFO)
    DBX_FUNCTION_TYPE = 282, // number, function node (D_FUNCTIONINFO..D_SFARFUNCTIONINFO)
    DBX_STRUCT_MEMBER = 283, // DBX_VARIABLE, bit offset, bit size, next member
    DBX_ENUMERATOR = 284,    // name, value, -, next enumerator
};

enum : LONG {
    DBX_NODE_INNER = 0,
    DBX_NODE_NUMBER = 1,
    DBX_NODE_STRING = 2,
};

// The deepest nesting of type definitions that a text may have.
const int kMaxDBXNesting = 64;

struct CQelDBXNode {
    LONG Kind;        // DBX_NODE_...
    LONG Value;       // the operator of an inner node, the number of a number node
    std::string Text; // the text of a string node
    CQelDBXNode *Child[4] = {nullptr, nullptr, nullptr, nullptr};
};

class CQelDBXParser {
public:
    // `bufferSize`: the input buffer's first size; a longer text enlarges it.
    explicit CQelDBXParser(size_t bufferSize);
    virtual ~CQelDBXParser();
    CQelDBXParser(const CQelDBXParser &) = delete;
    CQelDBXParser &operator=(const CQelDBXParser &) = delete;

    // The tree of `text`, valid until the next Parse or Release; null when the text is
    // not in the grammar, and then the error file holds the text and "parse error".
    // `trace` 1 writes the parser's steps to the trace file.
    const CQelDBXNode *Parse(LPCSTR text, int trace);
    // Frees the tree of the last parse.
    virtual void Release();

    const CQelDBXNode *GetRoot() const { return m_pRoot; }
    // The paths of the temporary files, "" while there is none: the trace file is made
    // by the first traced parse, the error file by the first syntax error. Both go with
    // the parser.
    const std::string &GetTracePath() const { return m_trace.Path; }
    const std::string &GetErrorPath() const { return m_error.Path; }

private:
    struct TempFile {
        FILE *Stream = nullptr;
        std::string Path;
    };
    class Grammar;

    // Opens `file` when it is not open (mkstemp in the temporary folder); false when it
    // cannot be made.
    static bool OpenTempFile(TempFile &file, const char *prefix);
    // Empties an open file for the text of the parse that follows.
    static void RestartTempFile(TempFile &file);
    // Writes out what the parse left; a file that cannot be written is closed and
    // removed, and the next parse that needs it makes a new one.
    static void FinishTempFile(TempFile &file);
    static void RemoveTempFile(TempFile &file);

    std::vector<char> m_input;
    TempFile m_trace;
    TempFile m_error;
    CQelDBXNode *m_pRoot = nullptr;
    // Every node of the last parse, in the order made: what Release frees.
    std::vector<std::unique_ptr<CQelDBXNode>> m_nodes;
};
