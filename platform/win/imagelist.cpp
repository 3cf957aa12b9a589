#include "imagelist.h"

#include "lasterror.h"
#include "resources.h"
#include "winerror.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace {

struct ImageList {
    int cx;
    int cy;
    int count;
};

struct LiveLists {
    std::mutex lock;
    std::unordered_set<ImageList *> lists;
};

LiveLists &Live()
{
    static LiveLists *live = new LiveLists;
    return *live;
}

// The list, when `handle` is a live one; called with the lock held.
ImageList *Find(LiveLists &live, HIMAGELIST handle)
{
    auto found = live.lists.find(reinterpret_cast<ImageList *>(handle));
    return found != live.lists.end() ? *found : nullptr;
}

} // namespace

HIMAGELIST ImageList_LoadImageA(HINSTANCE instance, LPCSTR name, int cx, int, COLORREF, UINT type, UINT)
{
    if (type != IMAGE_BITMAP || cx < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HRSRC resource = FindResourceA(instance, name, RT_BITMAP);
    if (resource == nullptr)
        return nullptr;
    const void *data = LockResource(LoadResource(instance, resource));
    DWORD size = SizeofResource(instance, resource);
    BITMAPINFOHEADER header;
    if (data == nullptr || size < sizeof header) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof header || header.biSize > size || header.biWidth < cx) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    ImageList *list = new (std::nothrow) ImageList{cx, header.biHeight < 0 ? -header.biHeight : header.biHeight,
                                                   header.biWidth / cx};
    if (list == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    LiveLists &live = Live();
    try {
        std::lock_guard<std::mutex> hold(live.lock);
        live.lists.insert(list);
    } catch (const std::bad_alloc &) {
        delete list;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<HIMAGELIST>(list);
}

int ImageList_GetImageCount(HIMAGELIST handle)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    return list != nullptr ? list->count : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int *cx, int *cy)
{
    LiveLists &live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    ImageList *list = Find(live, handle);
    if (list == nullptr || cx == nullptr || cy == nullptr)
        return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

BOOL ImageList_Destroy(HIMAGELIST handle)
{
    LiveLists &live = Live();
    ImageList *list = nullptr;
    {
        std::lock_guard<std::mutex> hold(live.lock);
        list = Find(live, handle);
        if (list == nullptr)
            return FALSE;
        live.lists.erase(list);
    }
    delete list;
    return TRUE;
}
