// The objects of structured storage and how they reach each other. Internal to the
// library.
#pragma once

#include "internal/stgtree.h"
#include "storage.h"

#include <memory>
#include <string>
#include <vector>

namespace qelcom {

// A storage object open on `node`, which must not be open; `isRoot` for the object that
// owns the document's file. The caller holds the document's mutex (none for a root that
// nobody else can reach yet). STG_E_INSUFFICIENTMEMORY leaves the node as it was.
__attribute__((visibility("hidden"))) HRESULT MakeStorageObject(const std::shared_ptr<StgDocument> &doc,
                                                                StgNode *node, DWORD mode, int depth, bool isRoot,
                                                                IStorage **out);

// A stream object open on `node`, likewise.
__attribute__((visibility("hidden"))) HRESULT MakeStreamObject(const std::shared_ptr<StgDocument> &doc,
                                                               StgNode *node, DWORD mode, IStream **out);

// What an element enumerator hands out of one element.
struct StatItem {
    std::u16string name;
    DWORD type;
    uint64_t size;
};

__attribute__((visibility("hidden"))) HRESULT MakeStatEnumerator(std::vector<StatItem> &&items, IEnumSTATSTG **out);

// Fills `stat` for an element of that name, type, size and mode. STG_E_INSUFFICIENTMEMORY
// when the name cannot be copied; `stat` is then cleared.
__attribute__((visibility("hidden"))) HRESULT FillStat(STATSTG *stat, const std::u16string *name, DWORD type,
                                                       uint64_t size, DWORD mode);

// Writes the tree to its file when it changed since the last write; S_OK without a file.
// The caller holds the document's mutex.
__attribute__((visibility("hidden"))) HRESULT FlushDocument(StgDocument &doc);

// The root storage goes: the tree is written when it changed, and the file is free to be
// opened again. The caller holds the document's mutex.
__attribute__((visibility("hidden"))) void CloseDocument(StgDocument &doc);

} // namespace qelcom
