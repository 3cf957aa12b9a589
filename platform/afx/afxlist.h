// CList: the framework's doubly linked list.
//
// A POSITION names a node; it stays valid until that node is removed, whatever else is
// added or removed. GetNext and GetPrev return the element at a position and move the
// position on (to NULL past the end). Removing from an empty list, or using a NULL
// position where an element is needed, stops the program (afxdiag.h). The block size of
// the framework's node allocator is accepted and has no effect: nodes are allocated one
// by one.
#pragma once

#include "afxelements.h"
#include "afxexcept.h"
#include "afxobject.h"
#include "afxposition.h"

#include <new>

template <class TYPE, class ARG_TYPE = const TYPE &>
class CList : public CObject {
protected:
    struct CNode {
        CNode *pNext;
        CNode *pPrev;
        TYPE data;
    };

public:
    explicit CList(int blockSize = 10) { (void)blockSize; }
    ~CList() override { RemoveAll(); }

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE &GetHead() { return Node(m_pNodeHead)->data; }
    const TYPE &GetHead() const { return Node(m_pNodeHead)->data; }
    TYPE &GetTail() { return Node(m_pNodeTail)->data; }
    const TYPE &GetTail() const { return Node(m_pNodeTail)->data; }

    TYPE RemoveHead();
    TYPE RemoveTail();
    POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(GetHeadPosition(), newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(GetTailPosition(), newElement); }
    void RemoveAll();

    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pNodeHead); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_pNodeTail); }
    TYPE &GetNext(POSITION &position);
    const TYPE &GetNext(POSITION &position) const;
    TYPE &GetPrev(POSITION &position);
    const TYPE &GetPrev(POSITION &position) const;

    TYPE &GetAt(POSITION position) { return Node(position)->data; }
    const TYPE &GetAt(POSITION position) const { return Node(position)->data; }
    void SetAt(POSITION position, ARG_TYPE newElement) { Node(position)->data = newElement; }
    void RemoveAt(POSITION position);

    // NULL as the position inserts at the head (InsertBefore) or the tail (InsertAfter).
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement);
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement);

    // The first position after `startAfter` (NULL: from the head) whose element equals
    // `searchValue`, or NULL.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const;
    // The position of the element with that index from the head, or NULL.
    POSITION FindIndex(int index) const;

protected:
    CNode *m_pNodeHead = nullptr;
    CNode *m_pNodeTail = nullptr;
    int m_nCount = 0;

private:
    static CNode *Node(POSITION position)
    {
        AfxCheckIndex(position != nullptr);
        return reinterpret_cast<CNode *>(position);
    }
    static CNode *Node(CNode *node)
    {
        AfxCheckIndex(node != nullptr);
        return node;
    }
    CNode *NewNode(CNode *prev, CNode *next, ARG_TYPE newElement);
    void FreeNode(CNode *node);
};

template <class TYPE, class ARG_TYPE>
typename CList<TYPE, ARG_TYPE>::CNode *CList<TYPE, ARG_TYPE>::NewNode(CNode *prev, CNode *next,
                                                                      ARG_TYPE newElement)
{
    CNode *node = static_cast<CNode *>(::operator new(sizeof(CNode), std::nothrow));
    if (node == nullptr)
        AfxThrowMemoryException();
    node->pNext = next;
    node->pPrev = prev;
    try {
        QelConstructElement(&node->data);
    } catch (...) {
        ::operator delete(node);
        throw;
    }
    try {
        node->data = newElement;
    } catch (...) {
        FreeNode(node);
        throw;
    }
    return node;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::FreeNode(CNode *node)
{
    node->data.~TYPE();
    ::operator delete(node);
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::RemoveAll()
{
    for (CNode *node = m_pNodeHead; node != nullptr;) {
        CNode *next = node->pNext;
        FreeNode(node);
        node = next;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
}

template <class TYPE, class ARG_TYPE>
TYPE CList<TYPE, ARG_TYPE>::RemoveHead()
{
    CNode *node = Node(m_pNodeHead);
    TYPE value(std::move(node->data));
    RemoveAt(reinterpret_cast<POSITION>(node));
    return value;
}

template <class TYPE, class ARG_TYPE>
TYPE CList<TYPE, ARG_TYPE>::RemoveTail()
{
    CNode *node = Node(m_pNodeTail);
    TYPE value(std::move(node->data));
    RemoveAt(reinterpret_cast<POSITION>(node));
    return value;
}

template <class TYPE, class ARG_TYPE>
TYPE &CList<TYPE, ARG_TYPE>::GetNext(POSITION &position)
{
    CNode *node = Node(position);
    position = reinterpret_cast<POSITION>(node->pNext);
    return node->data;
}

template <class TYPE, class ARG_TYPE>
const TYPE &CList<TYPE, ARG_TYPE>::GetNext(POSITION &position) const
{
    CNode *node = Node(position);
    position = reinterpret_cast<POSITION>(node->pNext);
    return node->data;
}

template <class TYPE, class ARG_TYPE>
TYPE &CList<TYPE, ARG_TYPE>::GetPrev(POSITION &position)
{
    CNode *node = Node(position);
    position = reinterpret_cast<POSITION>(node->pPrev);
    return node->data;
}

template <class TYPE, class ARG_TYPE>
const TYPE &CList<TYPE, ARG_TYPE>::GetPrev(POSITION &position) const
{
    CNode *node = Node(position);
    position = reinterpret_cast<POSITION>(node->pPrev);
    return node->data;
}

template <class TYPE, class ARG_TYPE>
void CList<TYPE, ARG_TYPE>::RemoveAt(POSITION position)
{
    CNode *node = Node(position);
    (node->pPrev != nullptr ? node->pPrev->pNext : m_pNodeHead) = node->pNext;
    (node->pNext != nullptr ? node->pNext->pPrev : m_pNodeTail) = node->pPrev;
    FreeNode(node);
    --m_nCount;
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertBefore(POSITION position, ARG_TYPE newElement)
{
    CNode *next = reinterpret_cast<CNode *>(position != nullptr ? position : GetHeadPosition());
    CNode *prev = next != nullptr ? next->pPrev : nullptr;
    CNode *node = NewNode(prev, next, newElement);
    (prev != nullptr ? prev->pNext : m_pNodeHead) = node;
    (next != nullptr ? next->pPrev : m_pNodeTail) = node;
    ++m_nCount;
    return reinterpret_cast<POSITION>(node);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::InsertAfter(POSITION position, ARG_TYPE newElement)
{
    CNode *prev = reinterpret_cast<CNode *>(position != nullptr ? position : GetTailPosition());
    CNode *next = prev != nullptr ? prev->pNext : nullptr;
    CNode *node = NewNode(prev, next, newElement);
    (prev != nullptr ? prev->pNext : m_pNodeHead) = node;
    (next != nullptr ? next->pPrev : m_pNodeTail) = node;
    ++m_nCount;
    return reinterpret_cast<POSITION>(node);
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::Find(ARG_TYPE searchValue, POSITION startAfter) const
{
    CNode *node = startAfter != nullptr ? reinterpret_cast<CNode *>(startAfter)->pNext : m_pNodeHead;
    for (; node != nullptr; node = node->pNext) {
        if (CompareElements(&node->data, &searchValue))
            return reinterpret_cast<POSITION>(node);
    }
    return nullptr;
}

template <class TYPE, class ARG_TYPE>
POSITION CList<TYPE, ARG_TYPE>::FindIndex(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    CNode *node = m_pNodeHead;
    while (index-- > 0)
        node = node->pNext;
    return reinterpret_cast<POSITION>(node);
}
