#include "objecthandles.h"

#include <map>
#include <mutex>

namespace {

struct Entry {
    DWORD kind;
    void *object;
    void *context;
    QEL_OBJECT_REFERENCE addRef;
    QEL_OBJECT_REFERENCE release;
};

struct HandleTable {
    std::mutex lock;
    std::map<DWORD, Entry> entries;
    DWORD last = 0;
};

// Never destroyed: a module's static destructor may still withdraw its handles while the
// process ends.
HandleTable &Table()
{
    static HandleTable *table = new HandleTable;
    return *table;
}

} // namespace

DWORD QelRegisterObjectHandle(DWORD kind, void *object, void *context, QEL_OBJECT_REFERENCE addRef,
                              QEL_OBJECT_REFERENCE release)
{
    if (object == nullptr || context == nullptr || addRef == nullptr || release == nullptr)
        return 0;
    HandleTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    // Counting on rather than taking the lowest free value keeps a withdrawn handle from
    // coming back soon as another object's.
    for (DWORD tries = 0; tries < 0xFFFFFFFEu; ++tries) {
        DWORD handle = ++table.last;
        if (handle == 0 || handle == 0xFFFFFFFF)
            continue;
        if (table.entries.count(handle) != 0)
            continue;
        addRef(context);
        table.entries[handle] = {kind, object, context, addRef, release};
        return handle;
    }
    return 0;
}

BOOL QelResolveObjectHandle(DWORD handle, DWORD kind, QEL_RESOLVED_OBJECT *resolved)
{
    if (resolved == nullptr)
        return FALSE;
    *resolved = {nullptr, nullptr, nullptr};
    HandleTable &table = Table();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.entries.find(handle);
    if (found == table.entries.end() || found->second.kind != kind)
        return FALSE;
    // Under the lock: the table's own reference keeps the owner alive meanwhile.
    found->second.addRef(found->second.context);
    *resolved = {found->second.object, found->second.context, found->second.release};
    return TRUE;
}

void QelReleaseResolvedObject(QEL_RESOLVED_OBJECT *resolved)
{
    if (resolved == nullptr || resolved->release == nullptr)
        return;
    QEL_RESOLVED_OBJECT held = *resolved;
    *resolved = {nullptr, nullptr, nullptr};
    held.release(held.context);
}

BOOL QelWithdrawObjectHandle(DWORD handle)
{
    Entry entry;
    {
        HandleTable &table = Table();
        std::lock_guard<std::mutex> hold(table.lock);
        auto found = table.entries.find(handle);
        if (found == table.entries.end())
            return FALSE;
        entry = found->second;
        table.entries.erase(found);
    }
    entry.release(entry.context);
    return TRUE;
}
