#include "watchparser.h"

#include "watchgrammar.h"
#include "watchscanner.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

// The lock that lets one parse run at a time. It lives as long as the process, so no
// parser made or destroyed on one thread can take it from under a parse on another.
std::mutex &ParseLock()
{
    static std::mutex *lock = new std::mutex;
    return *lock;
}

} // namespace

CQelWatchParser::CQelWatchParser(const CAddressValue &scope, CSymbolProcessing *client, UINT bufferSize)
    : m_nBufferSize(bufferSize), m_scope(scope), m_ownTypeNames(std::make_unique<CSymbolTypeNames>(client)),
      m_pTypeNames(m_ownTypeNames.get())
{
}

CQelWatchParser::CQelWatchParser(const CAddressValue &scope, CWatchTypeNames *typeNames, UINT bufferSize)
    : m_nBufferSize(bufferSize), m_scope(scope), m_pTypeNames(typeNames)
{
}

CQelWatchParser::~CQelWatchParser()
{
    CQelWatchParser::FreeTree();
}

void CQelWatchParser::FreeTree()
{
    for (WatchParseNode *node : m_made) {
        if (node->kind == kWatchTypeName || node->kind == kWatchIdentifier)
            delete[] node->name;
        delete node;
    }
    m_made.clear();
    m_pRoot = nullptr;
}

void CQelWatchParser::Report(const std::string &input, int column, const char *message)
{
    int length = std::snprintf(nullptr, 0, "%s (%d)\n%*s\n%*s\n", input.c_str(), column, column, "^", column, message);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%s (%d)\n%*s\n%*s\n", input.c_str(), column, column, "^", column,
                  message);
    m_errorReport.assign(text.data(), static_cast<size_t>(length));
}

WatchParseNode *CQelWatchParser::Parse(const char *text, int mode)
{
    FreeTree();
    m_errorReport.clear();
    m_trace.clear();
    if (text == nullptr)
        text = "";
    // The buffer holds "(" + text + ")" and its end; of a text that does not fit, only as
    // much as fills the buffer, and the parse fails where that ends.
    const size_t room = m_nBufferSize > 0 ? m_nBufferSize - 1 : 0;
    const size_t length = strnlen(text, room + 1);
    std::string input;
    const bool truncated = length + 2 > room;
    if (truncated) {
        input.assign("(");
        input.append(text, length);
        input.resize(room);
    } else {
        input.reserve(length + 2);
        input.append("(").append(text, length).append(")");
    }

    std::lock_guard<std::mutex> lock(ParseLock());
    CWatchScanner scanner(input, truncated, m_nBufferSize, m_pTypeNames);
    CWatchGrammar grammar(scanner, m_made, mode == 1 ? &m_trace : nullptr);
    WatchParseNode *root = nullptr;
    WatchParseResult result = grammar.Parse(&root);
    if (result == kWatchAccepted && root != nullptr) {
        m_pRoot = root;
        return root;
    }
    Report(input, scanner.Column(), result == kWatchTooDeep ? "parser stack overflow" : "parse error");
    FreeTree();
    return nullptr;
}
