// An enumerator over a list taken when it was made (of storage elements, connections,
// connection points): what the platform's enumerators do, once. Internal to the library.
//
// Traits give the item and the type handed out, and how items are held and handed:
//   typedef ... Item; typedef ... Out;
//   static HRESULT Hand(const Item &, Out *);  // fills one Out, which the receiver owns
//   static void Unhand(Out *);                 // takes back one Out after a failure
//   static void Hold(const Item &);            // a copy of an item now exists
//   static void Drop(Item &);                  // a copy goes
//   static const HRESULT kBadPointer, kBadArgument, kNoMemory;
// Items given to Create must already be held.
//
// One caller at a time: like the platform's, an enumerator is not meant to be shared
// between threads (its reference count is, though).
#pragma once

#include "internal/liveobject.h"
#include "unknwn.h"

#include <atomic>
#include <new>
#include <vector>

namespace qelcom {

template <class Itf, class Traits>
class SnapshotEnum final : public Itf, LiveObject {
public:
    typedef typename Traits::Item Item;
    typedef typename Traits::Out Out;

    // Takes over the items (held), also on failure.
    static HRESULT Create(std::vector<Item> &&items, size_t position, Itf **out)
    {
        SnapshotEnum *made = new (std::nothrow) SnapshotEnum(std::move(items), position);
        if (!made) {
            for (Item &item : items)
                Traits::Drop(item);
            *out = nullptr;
            return Traits::kNoMemory;
        }
        *out = made;
        return S_OK;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == qel_uuidof<Itf>()) {
            *ppv = static_cast<Itf *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG count = --refs_;
        if (count == 0)
            delete this;
        return count;
    }

    STDMETHODIMP Next(ULONG count, Out *out, ULONG *fetched) override
    {
        if (fetched)
            *fetched = 0;
        if (!out)
            return Traits::kBadPointer;
        if (count != 1 && !fetched)
            return Traits::kBadArgument;
        ULONG done = 0;
        while (done < count && position_ < items_.size()) {
            HRESULT hr = Traits::Hand(items_[position_], &out[done]);
            if (FAILED(hr)) {
                while (done > 0) {
                    Traits::Unhand(&out[--done]);
                    position_--;
                }
                return hr;
            }
            done++;
            position_++;
        }
        if (fetched)
            *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }

    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = items_.size() - position_;
        if (count > left) {
            position_ = items_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }

    STDMETHODIMP Reset() override
    {
        position_ = 0;
        return S_OK;
    }

    STDMETHODIMP Clone(Itf **out) override
    {
        if (!out)
            return Traits::kBadPointer;
        *out = nullptr;
        std::vector<Item> copy;
        try {
            copy = items_;
        } catch (const std::bad_alloc &) {
            return Traits::kNoMemory;
        }
        for (const Item &item : copy)
            Traits::Hold(item);
        return Create(std::move(copy), position_, out);
    }

private:
    SnapshotEnum(std::vector<Item> &&items, size_t position) : items_(std::move(items)), position_(position) {}
    ~SnapshotEnum()
    {
        for (Item &item : items_)
            Traits::Drop(item);
    }

    std::atomic<ULONG> refs_{1};
    std::vector<Item> items_;
    size_t position_;
};

} // namespace qelcom
