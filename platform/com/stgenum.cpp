// Element enumerators and the STATSTG that they and Stat hand out.
#include "internal/snapshotenum.h"
#include "internal/stgobjects.h"
#include "taskmem.h"

#include <cstring>

namespace qelcom {

HRESULT FillStat(STATSTG *stat, const std::u16string *name, DWORD type, uint64_t size, DWORD mode)
{
    std::memset(stat, 0, sizeof *stat);
    if (name) {
        size_t bytes = (name->size() + 1) * sizeof(OLECHAR);
        auto *copy = static_cast<OLECHAR *>(CoTaskMemAlloc(bytes));
        if (!copy)
            return STG_E_INSUFFICIENTMEMORY;
        std::memcpy(copy, name->c_str(), bytes);
        stat->pwcsName = copy;
    }
    stat->type = type;
    stat->cbSize.QuadPart = size;
    stat->grfMode = mode;
    return S_OK;
}

namespace {

struct StatTraits {
    typedef StatItem Item;
    typedef STATSTG Out;
    static HRESULT Hand(const Item &item, Out *out) { return FillStat(out, &item.name, item.type, item.size, 0); }
    static void Unhand(Out *out)
    {
        CoTaskMemFree(out->pwcsName);
        out->pwcsName = nullptr;
    }
    static void Hold(const Item &) {}
    static void Drop(Item &) {}
    static constexpr HRESULT kBadPointer = STG_E_INVALIDPOINTER;
    static constexpr HRESULT kBadArgument = STG_E_INVALIDPARAMETER;
    static constexpr HRESULT kNoMemory = STG_E_INSUFFICIENTMEMORY;
};

} // namespace

HRESULT MakeStatEnumerator(std::vector<StatItem> &&items, IEnumSTATSTG **out)
{
    return SnapshotEnum<IEnumSTATSTG, StatTraits>::Create(std::move(items), 0, out);
}

} // namespace qelcom
