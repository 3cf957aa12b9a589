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
    }
    return E_NOINTERFACE;
}
