#include "watchtokens.h"

#include <cstring>

const char *WatchTokenName(int token)
{
    static const char *const names[] = {
        "RIGHT_OP", "LEFT_OP",  "PTR_OP",     "AND_OP",   "OR_OP",     "LE_OP",     "GE_OP",          "EQ_OP",
        "NE_OP",    "T_CHAR",   "T_FLOAT",    "T_INT",    "T_LONG",    "T_DOUBLE",  "T_ENUM",         "T_SHORT",
        "T_SIGNED", "T_STRUCT", "T_UNION",    "T_UNSIGNED", "T_VOID",  "T_BIT",     "T_BITWORD",      "CONSTANT",
        "FCONSTANT", "STRING_LITERAL", "IDENTIFIER", "TYPE_NAME", "COMMENT"};
    static const char characters[] = "!%&()*+,-./:;<=>?[]^{|}~";
    static const char *const quoted[] = {"'!'", "'%'", "'&'", "'('", "')'", "'*'", "'+'", "','",
                                         "'-'", "'.'", "'/'", "':'", "';'", "'<'", "'='", "'>'",
                                         "'?'", "'['", "']'", "'^'", "'{'", "'|'", "'}'", "'~'"};
    if (token == kWatchEnd)
        return "$";
    if (token >= RIGHT_OP && token <= COMMENT)
        return names[token - RIGHT_OP];
    const char *at = token > 0 && token < 128 ? std::strchr(characters, token) : nullptr;
    return at != nullptr ? quoted[at - characters] : "$undefined.";
}
