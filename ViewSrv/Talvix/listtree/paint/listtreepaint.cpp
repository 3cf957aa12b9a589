// listtree-paint SCENE OUT.png: plays a scene on the owner-drawn list (listtreescene.h),
// prints what the list shows and writes the list with its children as a PNG.
#include "afxmodule.h"
#include "drawnlistresources.h"
#include "listtreescene.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const QEL_RESOURCE_ENTRY kEntries[] = {DRAWNLIST_RESOURCE_ENTRIES};
const QEL_MODULE_RESOURCES kResources = {nullptr, 0, kEntries, 1};
QEL_DEFINE_MODULE_RESOURCES(kResources)

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: listtree-paint SCENE OUT.png\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "error: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream scene;
    scene << file.rdbuf();
    ListSceneResult result = PlayListScene(scene.str(), argv[2]);
    std::fputs(result.output.c_str(), stdout);
    return result.failed ? 1 : 0;
}
