// CArray: the framework's growable array.
//
// The elements stand contiguously (GetData), indices run from 0 to GetUpperBound(). An
// array grows by the grow-by count given to SetSize or, without one, by an eighth of its
// size (at least 4, at most 1024 elements), so that appending one by one stays cheap.
// New elements are cleared and default-constructed (afxelements.h); elements that go are
// destroyed. An element handed to Add, SetAtGrow or InsertAt may be one of the array's
// own: it is copied before the array moves its storage.
//
// An index outside the array stops the program (afxdiag.h); SetAtGrow and InsertAt grow
// the array for an index at or beyond its end. A size that no memory can hold, negative
// sizes included, raises CMemoryException.
#pragma once

#include "afxelements.h"
#include "afxexcept.h"
#include "afxobject.h"

#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

template <class TYPE, class ARG_TYPE = const TYPE &>
class CArray : public CObject {
public:
    CArray() = default;
    ~CArray() override { RemoveAll(); }

    int GetSize() const { return m_nSize; }
    int GetUpperBound() const { return m_nSize - 1; }
    void SetSize(int newSize, int growBy = -1);
    void FreeExtra();
    void RemoveAll() { SetSize(0); }

    const TYPE &GetAt(int index) const
    {
        AfxCheckIndex(index >= 0 && index < m_nSize);
        return m_pData[index];
    }
    void SetAt(int index, ARG_TYPE newElement) { ElementAt(index) = newElement; }
    TYPE &ElementAt(int index)
    {
        AfxCheckIndex(index >= 0 && index < m_nSize);
        return m_pData[index];
    }
    const TYPE &operator[](int index) const { return GetAt(index); }
    TYPE &operator[](int index) { return ElementAt(index); }
    const TYPE *GetData() const { return m_pData; }
    TYPE *GetData() { return m_pData; }

    void SetAtGrow(int index, ARG_TYPE newElement);
    int Add(ARG_TYPE newElement);
    // Appends the elements of `source` (which may be this array) and returns the index
    // of the first of them.
    int Append(const CArray &source);
    void Copy(const CArray &source);

    void InsertAt(int index, ARG_TYPE newElement, int count = 1);
    void RemoveAt(int index, int count = 1);

protected:
    TYPE *m_pData = nullptr;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0;

private:
    void Reallocate(int newMaxSize);
    void Shift(int from, int to, int count);
};

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Reallocate(int newMaxSize)
{
    static_assert(alignof(TYPE) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "elements need no more than new's alignment");
    if (newMaxSize < 0 || static_cast<size_t>(newMaxSize) > SIZE_MAX / sizeof(TYPE))
        AfxThrowMemoryException();
    TYPE *data = nullptr;
    if (newMaxSize > 0) {
        data = static_cast<TYPE *>(::operator new(sizeof(TYPE) * newMaxSize, std::nothrow));
        if (data == nullptr)
            AfxThrowMemoryException();
    }
    QelRelocateElements(data, m_pData, m_nSize);
    ::operator delete(m_pData);
    m_pData = data;
    m_nMaxSize = newMaxSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(int newSize, int growBy)
{
    if (newSize < 0)
        AfxThrowMemoryException();
    if (growBy >= 0)
        m_nGrowBy = growBy;
    if (newSize == 0) {
        QelDestroyElements(m_pData, m_nSize);
        ::operator delete(m_pData);
        m_pData = nullptr;
        m_nSize = m_nMaxSize = 0;
        return;
    }
    if (newSize > m_nMaxSize) {
        int step = m_nGrowBy;
        if (step == 0) {
            step = m_nSize / 8;
            step = step < 4 ? 4 : step > 1024 ? 1024 : step;
        }
        // The first allocation takes the size asked for; later ones grow by the step.
        int newMaxSize = newSize;
        if (m_pData != nullptr && m_nMaxSize <= INT32_MAX - step && m_nMaxSize + step > newSize)
            newMaxSize = m_nMaxSize + step;
        Reallocate(newMaxSize);
    }
    while (m_nSize < newSize)
        QelConstructElement(m_pData + m_nSize++);
    if (m_nSize > newSize) {
        QelDestroyElements(m_pData + newSize, m_nSize - newSize);
        m_nSize = newSize;
    }
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::FreeExtra()
{
    if (m_nSize != m_nMaxSize)
        Reallocate(m_nSize);
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(int index, ARG_TYPE newElement)
{
    AfxCheckIndex(index >= 0);
    if (index < m_nSize) {
        m_pData[index] = newElement;
        return;
    }
    TYPE value(newElement);
    SetSize(index + 1);
    m_pData[index] = std::move(value);
}

template <class TYPE, class ARG_TYPE>
int CArray<TYPE, ARG_TYPE>::Add(ARG_TYPE newElement)
{
    int index = m_nSize;
    SetAtGrow(index, newElement);
    return index;
}

template <class TYPE, class ARG_TYPE>
int CArray<TYPE, ARG_TYPE>::Append(const CArray &source)
{
    int oldSize = m_nSize;
    int count = source.m_nSize;
    if (count > INT32_MAX - oldSize)
        AfxThrowMemoryException();
    SetSize(oldSize + count);
    // When `source` is this array, its first `count` elements are those to copy.
    for (int i = 0; i < count; ++i)
        m_pData[oldSize + i] = source.m_pData[i];
    return oldSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Copy(const CArray &source)
{
    if (this == &source)
        return;
    SetSize(source.m_nSize);
    for (int i = 0; i < m_nSize; ++i)
        m_pData[i] = source.m_pData[i];
}

// Moves `count` constructed elements from index `from` to index `to`, both inside the
// array; the elements left behind stay constructed, with unspecified values.
template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Shift(int from, int to, int count)
{
    if constexpr (std::is_move_assignable_v<TYPE>) {
        if (to < from) {
            for (int i = 0; i < count; ++i)
                m_pData[to + i] = std::move(m_pData[from + i]);
        } else {
            for (int i = count - 1; i >= 0; --i)
                m_pData[to + i] = std::move(m_pData[from + i]);
        }
    } else if (count > 0) {
        // Bytewise, as the framework moves elements: the elements left behind are then
        // copies of moved ones and must not be destroyed as they are, so RemoveAt
        // rebuilds them.
        memmove(static_cast<void *>(m_pData + to), static_cast<const void *>(m_pData + from), sizeof(TYPE) * count);
    }
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(int index, ARG_TYPE newElement, int count)
{
    AfxCheckIndex(index >= 0 && count >= 0);
    if (count == 0)
        return;
    TYPE value(newElement);
    int oldSize = m_nSize;
    if (index >= oldSize) {
        if (index > INT32_MAX - count)
            AfxThrowMemoryException();
        SetSize(index + count);
    } else {
        if (count > INT32_MAX - oldSize)
            AfxThrowMemoryException();
        SetSize(oldSize + count);
        Shift(index, index + count, oldSize - index);
    }
    for (int i = index; i < index + count; ++i)
        m_pData[i] = value;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(int index, int count)
{
    AfxCheckIndex(index >= 0 && count >= 0 && count <= m_nSize - index);
    int moved = m_nSize - index - count;
    if constexpr (std::is_move_assignable_v<TYPE>) {
        Shift(index + count, index, moved);
    } else {
        QelDestroyElements(m_pData + index, count);
        Shift(index + count, index, moved);
        for (int i = index + moved; i < m_nSize; ++i)
            QelConstructElement(m_pData + i);
    }
    SetSize(m_nSize - count);
}
