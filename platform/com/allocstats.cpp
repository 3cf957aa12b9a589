#include "allocstats.h"

#include "internal/liveset.h"

#include <atomic>

namespace qelcom {

namespace {
std::atomic<LONG> invalidFrees{0};
}

void NoteInvalidFree()
{
    invalidFrees.fetch_add(1);
}

// Never destroyed: a static destructor elsewhere may still free a block at exit.
LiveSet &LiveBstrs()
{
    static LiveSet *set = new LiveSet;
    return *set;
}

LiveSet &LiveSafeArrays()
{
    static LiveSet *set = new LiveSet;
    return *set;
}

LiveSet &LiveTaskMem()
{
    static LiveSet *set = new LiveSet;
    return *set;
}

} // namespace qelcom

QelComAllocCounts QelGetComAllocCounts()
{
    QelComAllocCounts counts;
    counts.bstrs = qelcom::LiveBstrs().Count();
    counts.safeArrays = qelcom::LiveSafeArrays().Count();
    counts.taskMemBlocks = qelcom::LiveTaskMem().Count();
    counts.invalidFrees = qelcom::invalidFrees.load();
    return counts;
}
