// The token codes of the watch-expression grammar, shared by the scanner, the parser and
// the nodes of the parse tree: a character token is its character code, the others stand
// from 258 up. Codes from 287 up appear in nodes only.
#pragma once

enum WatchToken : int {
    kWatchEnd = 0, // the end of the input
    RIGHT_OP = 258,
    LEFT_OP = 259,
    PTR_OP = 260,
    AND_OP = 261,
    OR_OP = 262,
    LE_OP = 263,
    GE_OP = 264,
    EQ_OP = 265,
    NE_OP = 266,
    T_CHAR = 267,
    T_FLOAT = 268,
    T_INT = 269,
    T_LONG = 270,
    T_DOUBLE = 271,
    T_ENUM = 272,
    T_SHORT = 273,
    T_SIGNED = 274,
    T_STRUCT = 275,
    T_UNION = 276,
    T_UNSIGNED = 277,
    T_VOID = 278,
    T_BIT = 279,
    T_BITWORD = 280,
    CONSTANT = 281,
    FCONSTANT = 282,
    STRING_LITERAL = 283,
    IDENTIFIER = 284,
    TYPE_NAME = 285,
    COMMENT = 286,
    // Keyword pairs, in kind-5 nodes.
    kWatchUnsignedChar = 287,
    kWatchSignedChar = 288,
    kWatchUnsignedInt = 289,
    kWatchSignedInt = 290,
    kWatchUnsignedLong = 291,
    kWatchSignedLong = 292,
    // Operators that no single token names.
    kWatchConditional = 294,
    kWatchCast = 295,
    kWatchPointerType = 296,
    kWatchIndex = 297,
};

// The name of a token as the parser trace writes it: "$" for the end, the token's name,
// or the character in quotes ("'&'"); "$undefined." for a code that is no token.
const char *WatchTokenName(int token);
