// Plays any bytes as a list scene: no crash, no hang, nothing left behind.
// fuzz-seeds: testdata/listtree/*.scene
#include "afxmodule.h"
#include "drawnlistresources.h"
#include "listtreescene.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const QEL_RESOURCE_ENTRY kEntries[] = {DRAWNLIST_RESOURCE_ENTRIES};
const QEL_MODULE_RESOURCES kResources = {nullptr, 0, kEntries, 1};
QEL_DEFINE_MODULE_RESOURCES(kResources)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    PlayListScene(std::string(reinterpret_cast<const char *>(data), size), nullptr);
    return 0;
}
