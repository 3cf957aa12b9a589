#include "atlcomobject.h"

HRESULT CComObjectRootBase::InternalQueryInterface(void *self, const _ATL_INTMAP_ENTRY *entries, REFIID iid,
                                                   void **ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (entries == nullptr || entries[0].query == nullptr)
        return E_NOINTERFACE;
    if (iid == IID_IUnknown)
        return entries[0].query(self, *entries[0].piid, ppv);
    for (const _ATL_INTMAP_ENTRY *entry = entries; entry->query != nullptr; entry++) {
        if (entry->piid != nullptr && *entry->piid == iid)
            return entry->query(self, iid, ppv);
        // A blind entry asks another object for whatever came this far; when that one
        // knows nothing of it either, the rest of the map may.
        if (entry->piid == nullptr && entry->query(self, iid, ppv) == S_OK)
            return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}
