// CMap: the framework's hash map, with HashKey for its keys.
//
// The hash table has a fixed number of buckets (17 unless InitHashTable says otherwise);
// a key's bucket is HashKey(key) modulo that number, and a new association goes to the
// front of its bucket. Iteration (GetStartPosition, GetNextAssoc) walks the buckets in
// table order and each bucket from its front, as the framework does, so a map filled the
// same way is walked in the same order. The block size of the framework's association
// allocator is accepted and has no effect.
//
// HashKey<ARG_KEY> hashes integers, enumerations and pointers by their value shifted
// right by four. A map with another key type needs a specialisation, written as for the
// framework:
//     template <> UINT AFXAPI HashKey<CAddressValue &>(CAddressValue &key) { ... }
// The framework has none for CString, so a CMap keyed by CString brings its own; the
// string maps of afxtypedmaps.h hash their texts themselves.
#pragma once

#include "afxelements.h"
#include "afxexcept.h"
#include "afxobject.h"
#include "afxposition.h"

#include <new>
#include <type_traits>

template <class ARG_KEY>
inline UINT AFXAPI HashKey(ARG_KEY key)
{
    using Key = std::remove_cv_t<std::remove_reference_t<ARG_KEY>>;
    if constexpr (std::is_pointer_v<Key>) {
        return static_cast<UINT>(reinterpret_cast<UINT_PTR>(key) >> 4);
    } else {
        static_assert(std::is_integral_v<Key> || std::is_enum_v<Key>,
                      "this key type needs a HashKey specialisation of its own");
        // The key as a 32-bit value, as on 32-bit Windows: -1 hashes to 0x0FFFFFFF.
        return static_cast<UINT>(static_cast<DWORD>(key)) >> 4;
    }
}

// HashKey as the policy of CMap; the string maps bring their own policy.
template <class ARG_KEY>
struct QelHashKeyPolicy {
    static UINT Hash(ARG_KEY key) { return HashKey<ARG_KEY>(key); }
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
class CQelHashMap : public CObject {
protected:
    struct CAssoc {
        CAssoc *pNext;
        UINT nHashValue; // the bucket
        KEY key;
        VALUE value;
    };

public:
    explicit CQelHashMap(int blockSize = 10) { (void)blockSize; }
    ~CQelHashMap() override { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    // Sets the number of buckets (at least 1). Associations already in the map are
    // spread over the new buckets, so none is lost.
    void InitHashTable(UINT hashSize, BOOL allocNow = TRUE);

    BOOL Lookup(ARG_KEY key, VALUE &rValue) const;
    // The value of `key`, added (cleared and default-constructed) when the key is new.
    VALUE &operator[](ARG_KEY key);
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(ARG_KEY key);
    void RemoveAll();

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION &rNextPosition, KEY &rKey, VALUE &rValue) const;

protected:
    CAssoc **m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    int m_nCount = 0;

private:
    CAssoc **NewTable(UINT size) const;
    CAssoc *GetAssocAt(ARG_KEY key, UINT &bucket) const;
};

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
typename CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::CAssoc **
CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::NewTable(UINT size) const
{
    CAssoc **table = new (std::nothrow) CAssoc *[size]();
    if (table == nullptr)
        AfxThrowMemoryException();
    return table;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
void CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::InitHashTable(UINT hashSize, BOOL allocNow)
{
    if (hashSize == 0)
        hashSize = 1;
    CAssoc **table = nullptr;
    if (allocNow || m_nCount > 0)
        table = NewTable(hashSize);
    if (m_pHashTable != nullptr) {
        for (UINT bucket = 0; bucket < m_nHashTableSize; ++bucket) {
            for (CAssoc *assoc = m_pHashTable[bucket]; assoc != nullptr;) {
                CAssoc *next = assoc->pNext;
                assoc->nHashValue = HASH::Hash(assoc->key) % hashSize;
                assoc->pNext = table[assoc->nHashValue];
                table[assoc->nHashValue] = assoc;
                assoc = next;
            }
        }
        delete[] m_pHashTable;
    }
    m_pHashTable = table;
    m_nHashTableSize = hashSize;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
typename CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::CAssoc *
CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::GetAssocAt(ARG_KEY key, UINT &bucket) const
{
    bucket = HASH::Hash(key) % m_nHashTableSize;
    if (m_pHashTable == nullptr)
        return nullptr;
    for (CAssoc *assoc = m_pHashTable[bucket]; assoc != nullptr; assoc = assoc->pNext) {
        if (CompareElements(&assoc->key, &key))
            return assoc;
    }
    return nullptr;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
BOOL CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::Lookup(ARG_KEY key, VALUE &rValue) const
{
    UINT bucket;
    CAssoc *assoc = GetAssocAt(key, bucket);
    if (assoc == nullptr)
        return FALSE;
    rValue = assoc->value;
    return TRUE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
VALUE &CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::operator[](ARG_KEY key)
{
    UINT bucket;
    CAssoc *assoc = GetAssocAt(key, bucket);
    if (assoc != nullptr)
        return assoc->value;
    if (m_pHashTable == nullptr)
        m_pHashTable = NewTable(m_nHashTableSize);
    assoc = static_cast<CAssoc *>(::operator new(sizeof(CAssoc), std::nothrow));
    if (assoc == nullptr)
        AfxThrowMemoryException();
    // Built in steps, so that a key or value whose constructor throws leaves the map as
    // it was and nothing allocated.
    try {
        QelConstructElement(&assoc->key);
    } catch (...) {
        ::operator delete(assoc);
        throw;
    }
    try {
        assoc->key = key;
        QelConstructElement(&assoc->value);
    } catch (...) {
        assoc->key.~KEY();
        ::operator delete(assoc);
        throw;
    }
    assoc->nHashValue = bucket;
    assoc->pNext = m_pHashTable[bucket];
    m_pHashTable[bucket] = assoc;
    ++m_nCount;
    return assoc->value;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
BOOL CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::RemoveKey(ARG_KEY key)
{
    if (m_pHashTable == nullptr)
        return FALSE;
    UINT bucket = HASH::Hash(key) % m_nHashTableSize;
    for (CAssoc **link = &m_pHashTable[bucket]; *link != nullptr; link = &(*link)->pNext) {
        CAssoc *assoc = *link;
        if (CompareElements(&assoc->key, &key)) {
            *link = assoc->pNext;
            assoc->value.~VALUE();
            assoc->key.~KEY();
            ::operator delete(assoc);
            --m_nCount;
            return TRUE;
        }
    }
    return FALSE;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
void CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::RemoveAll()
{
    if (m_pHashTable != nullptr) {
        for (UINT bucket = 0; bucket < m_nHashTableSize; ++bucket) {
            for (CAssoc *assoc = m_pHashTable[bucket]; assoc != nullptr;) {
                CAssoc *next = assoc->pNext;
                assoc->value.~VALUE();
                assoc->key.~KEY();
                ::operator delete(assoc);
                assoc = next;
            }
        }
        delete[] m_pHashTable;
        m_pHashTable = nullptr;
    }
    m_nCount = 0;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE, class HASH>
void CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, HASH>::GetNextAssoc(POSITION &rNextPosition, KEY &rKey,
                                                                     VALUE &rValue) const
{
    AfxCheckIndex(rNextPosition != nullptr && m_pHashTable != nullptr);
    CAssoc *assoc = reinterpret_cast<CAssoc *>(rNextPosition);
    if (rNextPosition == BEFORE_START_POSITION) {
        assoc = nullptr;
        for (UINT bucket = 0; bucket < m_nHashTableSize && assoc == nullptr; ++bucket)
            assoc = m_pHashTable[bucket];
        AfxCheckIndex(assoc != nullptr);
    }
    CAssoc *next = assoc->pNext;
    for (UINT bucket = assoc->nHashValue + 1; next == nullptr && bucket < m_nHashTableSize; ++bucket)
        next = m_pHashTable[bucket];
    rNextPosition = reinterpret_cast<POSITION>(next);
    rKey = assoc->key;
    rValue = assoc->value;
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, QelHashKeyPolicy<ARG_KEY>> {
public:
    explicit CMap(int blockSize = 10) : CQelHashMap<KEY, ARG_KEY, VALUE, ARG_VALUE, QelHashKeyPolicy<ARG_KEY>>(blockSize)
    {
    }
};
