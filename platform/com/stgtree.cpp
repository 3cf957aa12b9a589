#include "internal/stgtree.h"

namespace qelcom {

void RevertOpenElements(StgNode &node, bool includeNode)
{
    if (includeNode && node.open) {
        node.open->node = nullptr;
        node.open = nullptr;
    }
    for (auto &child : node.children)
        RevertOpenElements(*child.second, true);
}

uint64_t SubtreeDataBytes(const StgNode &node)
{
    uint64_t bytes = node.data.size();
    for (const auto &child : node.children)
        bytes += SubtreeDataBytes(*child.second);
    return bytes;
}

} // namespace qelcom
