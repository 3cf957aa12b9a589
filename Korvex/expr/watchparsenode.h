// WatchParseNode: one node of a watch-expression parse tree.
//
// An operator node (kind 0) holds its operator's token code and up to three operands; a
// unary operator and the pointer mark "*" of a "**" chain leave child 1 NULL, and only
// the conditional operator has a third. The leaves are constants, names (the parser's own
// copy of the text) and type keywords; a kind-5 node of value '*' (42) ends a pointer
// chain. The parser that made a node owns it until its next parse or its end.
#pragma once

#include <afx.h>

enum WatchNodeKind : int {
    kWatchOperator = 0,
    kWatchInteger = 1,
    kWatchFloating = 2,
    kWatchTypeName = 3,
    kWatchIdentifier = 4,
    kWatchKeyword = 5,
};

struct WatchParseNode {
    int kind = kWatchOperator;
    union {
        UINT number = 0; // operator code, integer value, keyword code or 42
        double real;     // a floating constant
        char *name;      // a type name or an identifier, NUL-terminated
    };
    WatchParseNode *child[3] = {nullptr, nullptr, nullptr};
};
