#include "watchnodepool.h"

#include <algorithm>
#include <cstring>

WatchParseNode *CWatchNodePool::Make(int kind)
{
    const size_t block = m_nodesUsed / kNodesPerBlock;
    if (block == m_nodeBlocks.size())
        m_nodeBlocks.push_back(std::make_unique<WatchParseNode[]>(kNodesPerBlock));
    WatchParseNode *node = &m_nodeBlocks[block][m_nodesUsed % kNodesPerBlock];
    *node = WatchParseNode();
    node->kind = kind;
    ++m_nodesUsed;
    return node;
}

char *CWatchNodePool::Copy(std::string_view name)
{
    const size_t needed = name.size() + 1;
    while (m_block < m_characterBlocks.size() && m_charactersUsed + needed > m_characterBlocks[m_block].size) {
        ++m_block;
        m_charactersUsed = 0;
    }
    if (m_block == m_characterBlocks.size()) {
        const size_t size = std::max(kCharactersPerBlock, needed);
        m_characterBlocks.push_back({std::make_unique<char[]>(size), size});
    }
    char *copy = m_characterBlocks[m_block].text.get() + m_charactersUsed;
    std::memcpy(copy, name.data(), name.size());
    copy[name.size()] = '\0';
    m_charactersUsed += needed;
    return copy;
}

void CWatchNodePool::Release()
{
    m_nodesUsed = 0;
    m_block = 0;
    m_charactersUsed = 0;
}
