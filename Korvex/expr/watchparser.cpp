#include "watchparser.h"

#include "watchgrammar.h"
#include "watchscanner.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// The lock that lets one parse run at a time. A mutex is constant-initialised and needs
// no destruction, so it is usable from any thread at any time and, unlike one made on the
// heap, leaves nothing behind when the server library is unloaded.
std::mutex g_parseLock;

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
    m_nodes.Release();
    m_pRoot = nullptr;
}

void CQelWatchParser::Report(int column, const char *message)
{
    const char *input = m_input.c_str();
    int length = std::snprintf(nullptr, 0, "%s (%d)\n%*s\n%*s\n", input, column, column, "^", column, message);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%s (%d)\n%*s\n%*s\n", input, column, column, "^", column, message);
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
    const bool truncated = length + 2 > room;
    m_input.assign("(");
    m_input.append(text, length);
    if (truncated)
        m_input.resize(room);
    else
        m_input.append(")");

    std::lock_guard<std::mutex> lock(g_parseLock);
    CWatchScanner scanner(m_input, truncated, m_nBufferSize, m_pTypeNames);
    CWatchGrammar grammar(scanner, m_nodes, mode == 1 ? &m_trace : nullptr);
    WatchParseNode *root = nullptr;
    WatchParseResult result = grammar.Parse(&root);
    if (result == kWatchAccepted && root != nullptr) {
        m_pRoot = root;
        return root;
    }
    Report(scanner.Column(), result == kWatchTooDeep ? "parser stack overflow" : "parse error");
    FreeTree();
    return nullptr;
}
