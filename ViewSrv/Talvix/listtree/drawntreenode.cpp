#include "drawntreenode.h"

#include <cstdlib>

int DrawnTreeNode::GetLevel()
{
    int level = 0;
    for (DrawnTreeNode *node = m_parent; node != nullptr; node = node->m_parent)
        ++level;
    return level;
}

bool DrawnTreeNode::AddChild(DrawnTreeNode *node, Place place, DrawnTreeNode *where)
{
    if (m_firstChild == nullptr) {
        node->m_parent = this;
        node->m_next = node->m_prev = nullptr;
        m_firstChild = m_lastChild = node;
        return true;
    }
    if (place == kAfter && (where == nullptr || where->m_parent != this))
        return false;
    node->m_parent = this;
    node->m_next = node->m_prev = nullptr;
    DrawnTreeNode *after = nullptr;
    if (place == kLast) {
        after = GetLastChild();
    } else if (place == kAfter) {
        after = where;
    }
    if (after == nullptr) {
        node->m_next = m_firstChild;
        m_firstChild->m_prev = node;
        m_firstChild = node;
        return true;
    }
    node->m_prev = after;
    node->m_next = after->m_next;
    if (after->m_next != nullptr)
        after->m_next->m_prev = node;
    else
        m_lastChild = node;
    after->m_next = node;
    return true;
}

void DrawnTreeNode::Unlink()
{
    if (m_parent != nullptr && m_parent->m_firstChild == this)
        m_parent->m_firstChild = m_next;
    if (m_parent != nullptr && m_parent->m_lastChild == this)
        m_parent->m_lastChild = m_prev;
    if (m_prev != nullptr)
        m_prev->m_next = m_next;
    if (m_next != nullptr)
        m_next->m_prev = m_prev;
    m_parent = m_next = m_prev = nullptr;
}

void DrawnTreeNode::DeleteChildren()
{
    while (m_firstChild != nullptr) {
        DrawnTreeNode *deepest = m_firstChild;
        while (deepest->m_firstChild != nullptr)
            deepest = deepest->m_firstChild;
        deepest->Unlink();
        delete deepest;
    }
}

void DrawnTreeNode::SwapWithPrevious()
{
    DrawnTreeNode *prev = m_prev;
    if (prev == nullptr)
        return;
    DrawnTreeNode *before = prev->m_prev;
    DrawnTreeNode *after = m_next;
    if (before != nullptr)
        before->m_next = this;
    else if (m_parent != nullptr)
        m_parent->m_firstChild = this;
    m_prev = before;
    m_next = prev;
    prev->m_prev = this;
    prev->m_next = after;
    if (after != nullptr)
        after->m_prev = prev;
    else if (m_parent != nullptr)
        m_parent->m_lastChild = prev;
}

DrawnTreeNode *DrawnTreeNode::GetLastChild()
{
    return m_lastChild;
}

DrawnTreeNode *DrawnTreeNode::GetNextInTree()
{
    if (m_firstChild != nullptr)
        return m_firstChild;
    for (DrawnTreeNode *node = this; node != nullptr; node = node->m_parent)
        if (node->m_next != nullptr)
            return node->m_next;
    return nullptr;
}

DrawnTreeNode *DrawnTreeNode::GetPrevInTree()
{
    if (m_prev == nullptr)
        return m_parent;
    DrawnTreeNode *node = m_prev;
    while (node->m_firstChild != nullptr)
        node = node->GetLastChild();
    return node;
}

bool DrawnTreeNode::IsAncestorOf(DrawnTreeNode *node)
{
    for (DrawnTreeNode *up = node != nullptr ? node->m_parent : nullptr; up != nullptr; up = up->m_parent)
        if (up == this)
            return true;
    return false;
}

_Node::_Node()
{
    m_item = TVITEMA{};
    m_item.hItem = reinterpret_cast<HTREEITEM>(this);
    m_item.iImage = DRAWNTREE_NOIMAGE;
    m_item.iSelectedImage = DRAWNTREE_NOIMAGE;
}

_Node::~_Node()
{
    if (m_item.pszText != nullptr && m_item.pszText != LPSTR_TEXTCALLBACKA)
        std::free(m_item.pszText);
}

void _Node::SetExpanded(BOOL expanded)
{
    if (expanded)
        m_item.state |= TVIS_EXPANDED;
    else
        m_item.state &= ~static_cast<UINT>(TVIS_EXPANDED);
}
