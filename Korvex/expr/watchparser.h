// CQelWatchParser: turns a watch expression into a parse tree (watchparsenode.h).
//
// Every watch expression that the debugger shows is parsed here first: by the expression
// object, by each variable node and variable object (each with its own parser, reused
// for every parse) and by Talvix's watch control. The grammar is a subset of C
// expressions (watchgrammar.h); a name is a type name when the owner's symbol client
// knows a type of that name.
//
// One parse runs at a time in the whole process: a process-wide lock is held for the
// whole of each parse, the type requests to the symbol server included. Those requests
// are synchronous, so the thread of the symbol engine's worker, which answers them, must
// never parse: it would wait for itself.
//
// A failed parse leaves a report in the parser, "%s (%d)\n%*s\n%*s\n": the parsed text
// with its added parentheses, the column, a caret under it and the message ("parse
// error" or "parser stack overflow"). With mode 1 the parse also writes the parser trace.
// Both stay in memory until the next parse.
#pragma once

#include "watchnodepool.h"
#include "watchtypenames.h"

#include <addressvalue.h>

#include <memory>
#include <string>

class CSymbolProcessing;

class CQelWatchParser {
public:
    // The size that the expression object and the variable nodes give.
    static constexpr UINT kDefaultBufferSize = 1024;

    // `scope` is the code address whose scope the expression is read in, kept for the
    // owner. A text longer than `bufferSize` less 3, or a token longer than the buffer,
    // is refused. Without a client every name is an identifier.
    CQelWatchParser(const CAddressValue &scope, CSymbolProcessing *client, UINT bufferSize = kDefaultBufferSize);
    // The same with another way of telling type names, which must outlive the parser.
    CQelWatchParser(const CAddressValue &scope, CWatchTypeNames *typeNames, UINT bufferSize = kDefaultBufferSize);
    virtual ~CQelWatchParser();
    CQelWatchParser(const CQelWatchParser &) = delete;
    CQelWatchParser &operator=(const CQelWatchParser &) = delete;

    // Frees the tree of the last parse and parses `text`: the root of its tree, which the
    // parser owns until the next parse or its end, or NULL with a report. Mode 1 writes
    // the trace.
    WatchParseNode *Parse(const char *text, int mode = 0);
    // Frees every node that the last parse made, whether the root reaches it or not.
    virtual void FreeTree();

    WatchParseNode *GetRoot() const { return m_pRoot; }
    // The report of the last parse that failed, "" after one that did not.
    const std::string &GetErrorReport() const { return m_errorReport; }
    // The trace of the last parse in mode 1, "" otherwise.
    const std::string &GetTrace() const { return m_trace; }
    const CAddressValue &GetScope() const { return m_scope; }
    UINT GetBufferSize() const { return m_nBufferSize; }

private:
    void Report(int column, const char *message);

    UINT m_nBufferSize;
    CAddressValue m_scope;
    std::unique_ptr<CWatchTypeNames> m_ownTypeNames;
    CWatchTypeNames *m_pTypeNames;
    WatchParseNode *m_pRoot = nullptr;
    CWatchNodePool m_nodes; // every node of the last parse
    std::string m_input;    // "(" + text + ")", as much as the buffer holds
    std::string m_errorReport;
    std::string m_trace;
};
