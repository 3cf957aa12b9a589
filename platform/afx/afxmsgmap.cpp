#include "afxmsgmap.h"

const AFX_MSGMAP *CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, nullptr, nullptr, false, 0, 0}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP *CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY *CCmdTarget::FindMessageEntry(UINT message) const
{
    for (const AFX_MSGMAP *map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *entry = map->lpEntries; entry->pfnHandler != nullptr; ++entry) {
            if (entry->bCommand)
                continue;
            UINT number = entry->pnRegisteredMessage != nullptr ? *entry->pnRegisteredMessage : entry->nMessage;
            if (number == message && (entry->pnRegisteredMessage == nullptr || number != 0))
                return entry;
        }
    }
    return nullptr;
}

const AFX_MSGMAP_ENTRY *CCmdTarget::FindCommandEntry(UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP *map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *entry = map->lpEntries; entry->pfnHandler != nullptr; ++entry) {
            if (entry->bCommand && entry->nMessage == WM_COMMAND && entry->nCode == nCode && entry->nID == nID)
                return entry;
        }
    }
    return nullptr;
}

const AFX_MSGMAP_ENTRY *CCmdTarget::FindNotifyEntry(UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP *map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *entry = map->lpEntries; entry->pfnHandler != nullptr; ++entry) {
            if (entry->bCommand && entry->nMessage == WM_NOTIFY && entry->nCode == nCode && entry->nID == nID)
                return entry;
        }
    }
    return nullptr;
}
