#include "liveobjects.h"

#include "internal/liveobject.h"

#include <atomic>

namespace qelcom {

namespace {
std::atomic<LONG> liveObjects{0};
}

void NoteObjectMade()
{
    liveObjects.fetch_add(1);
}

void NoteObjectGone()
{
    liveObjects.fetch_sub(1);
}

} // namespace qelcom

LONG QelGetLiveComObjects()
{
    return qelcom::liveObjects.load();
}
