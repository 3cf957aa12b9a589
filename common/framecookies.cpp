#include "framecookies.h"

#include <map>
#include <mutex>
#include <utility>

namespace FrameCookies {

namespace {

using Entry = std::pair<const CBasicOleTarCmdHndl *, int>;

struct Table {
    std::mutex lock;
    std::map<DWORD, Entry> cookies;
    DWORD next = 1;
};

Table &TheTable()
{
    static Table table;
    return table;
}

bool Usable(DWORD cookie)
{
    return cookie != 0 && cookie != 0xFFFFFFFF;
}

} // namespace

DWORD Issue(const CBasicOleTarCmdHndl *handler, int index)
{
    Table &table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    // Counting on past a cookie still in use; the table can hold nearly 2^32 of them, so
    // the search ends long before it comes round.
    for (DWORD tries = 0; tries < 0xFFFFFFFE; ++tries) {
        DWORD cookie = table.next++;
        if (!Usable(table.next))
            table.next = 1;
        if (Usable(cookie) && table.cookies.find(cookie) == table.cookies.end()) {
            table.cookies.emplace(cookie, Entry(handler, index));
            return cookie;
        }
    }
    return 0;
}

BOOL Release(DWORD cookie, const CBasicOleTarCmdHndl *handler, int index)
{
    Table &table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.cookies.find(cookie);
    if (found == table.cookies.end() || found->second != Entry(handler, index))
        return FALSE;
    table.cookies.erase(found);
    return TRUE;
}

} // namespace FrameCookies
