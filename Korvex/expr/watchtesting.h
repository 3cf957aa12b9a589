// Test support of the watch parser: a classifier that knows a fixed set of type names and
// records every name it is asked about, and a parse that answers the tree's text.
#pragma once

#include "watchparser.h"
#include "watchtreetext.h"

#include <set>
#include <string>
#include <vector>

class CTestTypeNames : public CWatchTypeNames {
public:
    explicit CTestTypeNames(std::set<std::string> types = {}) : m_types(std::move(types)) {}
    BOOL IsTypeName(LPCSTR name) override
    {
        asked.push_back(name);
        return m_types.count(name) != 0;
    }
    std::vector<std::string> asked;

private:
    std::set<std::string> m_types;
};

// The tree of `text` as qelhost parse prints it, or "refused".
inline std::string TreeOf(CQelWatchParser &parser, const std::string &text)
{
    WatchParseNode *root = parser.Parse(text.c_str());
    return root != nullptr ? WatchTreeText(root) : "refused";
}
