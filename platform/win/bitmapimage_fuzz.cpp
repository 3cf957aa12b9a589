// Fuzz target of the bitmap reader: a bitmap resource of any bytes gives an image list or
// NULL, never a read beyond its end; a list it gives holds the bitmap's whole images.
// fuzz-seeds: testdata/bitmaps/*.dib
#include "imagelist.h"
#include "resources.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    // A copy of exactly the input's size, so that any read beyond it is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const QEL_RESOURCE_ENTRY entries[] = {
        {RT_BITMAP, MAKEINTRESOURCE(1), bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(size)}};
    const QEL_MODULE_RESOURCES tables = {nullptr, 0, entries, 1};
    static int anchor;
    HINSTANCE module = QelRegisterModule(&anchor, &tables);
    if (module == nullptr)
        std::abort();
    for (int cx : {1, 16}) {
        HIMAGELIST list = ImageList_LoadImageA(module, MAKEINTRESOURCE(1), cx, 1, CLR_DEFAULT, IMAGE_BITMAP, 0);
        if (list == nullptr)
            continue;
        int width = 0, height = 0;
        if (!ImageList_GetIconSize(list, &width, &height) || width != cx || height < 1 ||
            ImageList_GetImageCount(list) < 1)
            std::abort();
        ImageList_Destroy(list);
    }
    QelUnregisterModule(module);
    return 0;
}
