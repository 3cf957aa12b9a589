// CWatchNodePool: the nodes and name copies of one parser's parses.
//
// Every node of a parse is taken from the pool and every name copied into it, so that
// freeing a parse frees all it made, whether its root reaches it or not (a text such as
// "a)(b" makes a node that no root reaches). The blocks stay with the pool and serve the
// next parse, so a parse mostly allocates nothing.
#pragma once

#include "watchparsenode.h"

#include <memory>
#include <string_view>
#include <vector>

class CWatchNodePool {
public:
    CWatchNodePool() = default;
    CWatchNodePool(const CWatchNodePool &) = delete;
    CWatchNodePool &operator=(const CWatchNodePool &) = delete;

    // A zero-filled node of `kind`.
    WatchParseNode *Make(int kind);
    // A NUL-terminated copy of `name`, valid until Release.
    char *Copy(std::string_view name);
    // Frees every node and name made since the last release.
    void Release();

private:
    static constexpr size_t kNodesPerBlock = 128;
    static constexpr size_t kCharactersPerBlock = 2048;

    std::vector<std::unique_ptr<WatchParseNode[]>> m_nodeBlocks;
    size_t m_nodesUsed = 0; // in all blocks, filled in order
    struct Characters {
        std::unique_ptr<char[]> text;
        size_t size;
    };
    std::vector<Characters> m_characterBlocks;
    size_t m_block = 0, m_charactersUsed = 0; // the block being filled and its use
};
