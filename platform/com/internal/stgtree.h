// The tree of elements behind a root storage, and what its open objects share.
// Internal to the library.
//
// One StgDocument holds one tree. Every object opened on it (storages and streams) holds
// the document and takes its mutex for each call, so the objects of one tree may be used
// from several threads. A node is owned by its parent; an object open on it points to it
// (`node`) and the node back to the object (`open`), which is how an element is kept to
// one opener and how objects are reverted: reverting clears both pointers, so a reverted
// object never reaches a node again.
#pragma once

#include "basetypes.h"
#include "internal/stgname.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qelcom {

// The most bytes that a tree may hold in its streams, which also bounds the file that
// holds it: a file larger than a tree can be is never read.
constexpr uint64_t kMaxDocumentBytes = uint64_t(256) << 20;

// How deep storages nest below the root. No caller nests more than a few levels; the
// bound keeps every walk of the tree, and the reading of a hostile file, shallow.
constexpr int kMaxStorageDepth = 128;

class StgElement;

struct StgNode;
typedef std::map<std::u16string, std::unique_ptr<StgNode>, ElementNameLess> StgChildren;

struct __attribute__((visibility("hidden"))) StgNode {
    StgNode(bool storage, std::u16string elementName) : isStorage(storage), name(std::move(elementName)) {}

    bool isStorage;
    std::u16string name;             // as it was made; children are keyed by it too
    std::vector<unsigned char> data; // a stream's bytes
    StgChildren children;            // a storage's elements
    StgElement *open = nullptr;      // the object open on this element, if any
};

struct __attribute__((visibility("hidden"))) StgDocument {
    std::mutex mutex;
    StgNode root{true, u""};
    std::u16string rootName;  // what Stat gives as the root's name
    std::string path;         // the file that keeps the tree; empty: memory only
    bool writable = false;    // the root was opened for writing
    bool dirty = false;       // changed since the file was last written
    uint64_t dataBytes = 0;   // bytes in all streams of the tree
};

// What the storage and stream objects share: the document, the node they are open on
// (null once reverted), their access mode and, for storages, how deep the node stands.
class __attribute__((visibility("hidden"))) StgElement {
public:
    StgElement(std::shared_ptr<StgDocument> document, StgNode *openNode, DWORD openMode, int nodeDepth)
        : doc(std::move(document)), node(openNode), mode(openMode), depth(nodeDepth)
    {
        node->open = this;
    }

    bool Writable() const { return (mode & 3) != 0; }

    std::shared_ptr<StgDocument> doc;
    StgNode *node;
    DWORD mode;
    int depth;
};

// Reverts every object open below `node`, and the one open on `node` too when
// `includeNode`. The caller holds the document's mutex.
__attribute__((visibility("hidden"))) void RevertOpenElements(StgNode &node, bool includeNode);

// The bytes of all streams in the subtree of `node`.
__attribute__((visibility("hidden"))) uint64_t SubtreeDataBytes(const StgNode &node);

} // namespace qelcom
