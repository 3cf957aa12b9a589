// Enumerators of connections and connection points.
#include "connpoint.h"

#include "internal/snapshotenum.h"

namespace qelcom {

namespace {

struct ConnectionTraits {
    typedef CONNECTDATA Item;
    typedef CONNECTDATA Out;
    static HRESULT Hand(const Item &item, Out *out)
    {
        *out = item;
        if (out->pUnk)
            out->pUnk->AddRef();
        return S_OK;
    }
    static void Unhand(Out *out)
    {
        if (out->pUnk)
            out->pUnk->Release();
        out->pUnk = nullptr;
    }
    static void Hold(const Item &item)
    {
        if (item.pUnk)
            item.pUnk->AddRef();
    }
    static void Drop(Item &item)
    {
        if (item.pUnk)
            item.pUnk->Release();
    }
    static constexpr HRESULT kBadPointer = E_POINTER;
    static constexpr HRESULT kBadArgument = E_INVALIDARG;
    static constexpr HRESULT kNoMemory = E_OUTOFMEMORY;
};

struct PointTraits {
    typedef IConnectionPoint *Item;
    typedef IConnectionPoint *Out;
    static HRESULT Hand(const Item &item, Out *out)
    {
        *out = item;
        item->AddRef();
        return S_OK;
    }
    static void Unhand(Out *out)
    {
        (*out)->Release();
        *out = nullptr;
    }
    static void Hold(const Item &item) { item->AddRef(); }
    static void Drop(Item &item) { item->Release(); }
    static constexpr HRESULT kBadPointer = E_POINTER;
    static constexpr HRESULT kBadArgument = E_INVALIDARG;
    static constexpr HRESULT kNoMemory = E_OUTOFMEMORY;
};

// Copies the list, holding each item, into a new enumerator.
template <class Itf, class Traits>
HRESULT MakeEnumerator(const typename Traits::Item *items, ULONG count, Itf **ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    if (count != 0 && !items)
        return E_POINTER;
    std::vector<typename Traits::Item> copy;
    try {
        copy.assign(items, items + count);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    for (const auto &item : copy)
        Traits::Hold(item);
    return SnapshotEnum<Itf, Traits>::Create(std::move(copy), 0, ppEnum);
}

} // namespace

} // namespace qelcom

STDAPI QelCreateEnumConnections(const CONNECTDATA *connections, ULONG count, IEnumConnections **ppEnum)
{
    return qelcom::MakeEnumerator<IEnumConnections, qelcom::ConnectionTraits>(connections, count, ppEnum);
}

STDAPI QelCreateEnumConnectionPoints(IConnectionPoint *const *points, ULONG count, IEnumConnectionPoints **ppEnum)
{
    for (ULONG i = 0; points && i < count; i++) {
        if (!points[i])
            return E_POINTER;
    }
    return qelcom::MakeEnumerator<IEnumConnectionPoints, qelcom::PointTraits>(points, count, ppEnum);
}
