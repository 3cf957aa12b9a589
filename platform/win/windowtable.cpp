#include "windowtable.h"

#include "windowcreate.h"

#include <algorithm>
#include <mutex>

namespace qelwin {

namespace {

const uintptr_t kSlotBits = 16;
const size_t kMaxSlots = size_t(1) << kSlotBits; // slot 0 is never used
const WORD kMaxGeneration = 0x7FFF;

struct Slot {
    WORD generation = 0;
    ULONGLONG serial = 0; // creation order, for the order of the top-level windows
    std::shared_ptr<WindowRecord> window;
};

class WindowTable {
public:
    WindowTable() : slots_(1)
    {
        auto desktop = std::make_shared<WindowRecord>();
        desktop_ = Insert(std::move(desktop));
    }

    HWND Insert(std::shared_ptr<WindowRecord> window)
    {
        std::lock_guard<std::mutex> hold(lock_);
        size_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() == kMaxSlots)
                return nullptr;
            slots_.emplace_back();
            index = slots_.size() - 1;
        }
        Slot &slot = slots_[index];
        slot.generation = slot.generation == kMaxGeneration ? 1 : slot.generation + 1;
        slot.serial = ++serial_;
        HWND handle = reinterpret_cast<HWND>((uintptr_t(slot.generation) << kSlotBits) | index);
        window->handle = handle;
        slot.window = std::move(window);
        return handle;
    }

    std::shared_ptr<WindowRecord> LookUp(HWND handle)
    {
        std::lock_guard<std::mutex> hold(lock_);
        Slot *slot = Find(handle);
        return slot != nullptr ? slot->window : nullptr;
    }

    void Remove(HWND handle)
    {
        std::shared_ptr<WindowRecord> window;
        std::lock_guard<std::mutex> hold(lock_);
        Slot *slot = Find(handle);
        if (slot == nullptr || handle == desktop_)
            return;
        // The record goes when its last user lets go; it holds nothing that needs this lock.
        window = std::move(slot->window);
        free_.push_back(reinterpret_cast<uintptr_t>(handle) & (kMaxSlots - 1));
    }

    HWND Desktop() const { return desktop_; }

    // Puts the child `handle` first among its siblings (`after` NULL) or right after the
    // sibling `after`. The siblings share out their serials anew, so that the order
    // against every other window stays.
    bool PlaceAfter(HWND handle, HWND after)
    {
        std::lock_guard<std::mutex> hold(lock_);
        Slot *moved = Find(handle);
        if (moved == nullptr || !moved->window->child)
            return false;
        HWND parent = moved->window->parent;
        std::vector<Slot *> siblings;
        for (Slot &slot : slots_)
            if (slot.window != nullptr && slot.window->child && slot.window->parent == parent && &slot != moved)
                siblings.push_back(&slot);
        std::sort(siblings.begin(), siblings.end(), [](const Slot *a, const Slot *b) { return a->serial < b->serial; });
        auto at = siblings.begin();
        if (after != nullptr) {
            at = std::find_if(siblings.begin(), siblings.end(), [after](const Slot *slot) { return slot->window->handle == after; });
            if (at == siblings.end())
                return false;
            ++at;
        }
        std::vector<ULONGLONG> serials;
        for (const Slot *slot : siblings)
            serials.push_back(slot->serial);
        serials.push_back(moved->serial);
        std::sort(serials.begin(), serials.end());
        siblings.insert(at, moved);
        for (size_t i = 0; i < siblings.size(); ++i)
            siblings[i]->serial = serials[i];
        return true;
    }

    // The windows for which `select` holds, newest first.
    template <typename Select> std::vector<HWND> Windows(Select select)
    {
        std::vector<std::pair<ULONGLONG, HWND>> found;
        {
            std::lock_guard<std::mutex> hold(lock_);
            for (const Slot &slot : slots_) {
                if (slot.window != nullptr && slot.window->handle != desktop_ && select(*slot.window))
                    found.emplace_back(slot.serial, slot.window->handle);
            }
        }
        std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        std::vector<HWND> handles;
        handles.reserve(found.size());
        for (const auto &entry : found)
            handles.push_back(entry.second);
        return handles;
    }

private:
    // Called with lock_ held.
    Slot *Find(HWND handle)
    {
        uintptr_t value = reinterpret_cast<uintptr_t>(handle);
        size_t index = value & (kMaxSlots - 1);
        uintptr_t generation = value >> kSlotBits;
        if (index == 0 || index >= slots_.size() || generation == 0 || generation > kMaxGeneration)
            return nullptr;
        Slot &slot = slots_[index];
        if (slot.window == nullptr || slot.generation != generation)
            return nullptr;
        return &slot;
    }

    std::mutex lock_;
    std::vector<Slot> slots_;
    std::vector<size_t> free_;
    ULONGLONG serial_ = 0;
    HWND desktop_ = nullptr;
};

// Never destroyed: windows may still be looked up while the process exits.
WindowTable &Table()
{
    static WindowTable *table = new WindowTable;
    return *table;
}

} // namespace

HWND InsertWindow(std::shared_ptr<WindowRecord> window)
{
    return Table().Insert(std::move(window));
}

std::shared_ptr<WindowRecord> LookUpWindow(HWND handle)
{
    return Table().LookUp(handle);
}

void RemoveWindow(HWND handle)
{
    Table().Remove(handle);
}

HWND DesktopWindow()
{
    return Table().Desktop();
}

std::vector<HWND> TopLevelWindows()
{
    return Table().Windows([](const WindowRecord &window) { return !window.child; });
}

std::vector<HWND> DependentWindows(HWND handle)
{
    return Table().Windows([handle](const WindowRecord &window) { return window.parent == handle; });
}

bool PlaceChildAfter(HWND window, HWND after)
{
    return Table().PlaceAfter(window, after);
}

std::vector<HWND> ChildWindows(HWND handle)
{
    std::vector<HWND> children =
        Table().Windows([handle](const WindowRecord &window) { return window.child && window.parent == handle; });
    std::reverse(children.begin(), children.end());
    return children;
}

size_t WindowCount()
{
    return Table().Windows([](const WindowRecord &) { return true; }).size();
}

std::vector<HWND> WindowsOfThread(DWORD threadId)
{
    return Table().Windows([threadId](const WindowRecord &window) { return window.threadId == threadId; });
}

} // namespace qelwin
