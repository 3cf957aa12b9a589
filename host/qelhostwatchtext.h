// How the watch window checks a typed watch text before it makes an entry of it: a
// scoped symbol stays as it is; any other text is normalised and parsed, and becomes
// "NAME *" (a symbol looked up in every scope) when it is a single name, else the
// expression form "?(TEXT)".
#pragma once

#include <string>

class CSymbolProcessing;

struct WatchEntryText {
    bool accepted = false;
    bool expression = false; // the "?(...)" form
    std::string text;        // the entry text
};

// `client` tells type names from identifiers while the text is parsed (NULL: none are).
WatchEntryText CheckWatchText(const std::string &typed, CSymbolProcessing *client);
