// The nodes of the owner-drawn tree. Each node is owned by its parent; the hidden root,
// which never has a row, by the tree.
#pragma once

#include "afxstring.h"
#include "treeview.h"

// Item flags beyond the TVIS_ state: both are inherited by the subtree.
#define DTF_DISABLED 0x0100
#define DTF_HIDDEN 0x0200

// The tree's own "no image": a list item's images start at 0, a node's at this.
#define DRAWNTREE_NOIMAGE (-12)

class DrawnTreeNode {
public:
    DrawnTreeNode() = default;
    DrawnTreeNode(const DrawnTreeNode &) = delete;
    DrawnTreeNode &operator=(const DrawnTreeNode &) = delete;
    virtual ~DrawnTreeNode() { DeleteChildren(); }

    virtual DrawnTreeNode *GetParent() { return m_parent; }
    virtual DrawnTreeNode *GetNextSibling() { return m_next; }
    virtual DrawnTreeNode *GetPrevSibling() { return m_prev; }
    virtual DrawnTreeNode *GetFirstChild() { return m_firstChild; }
    virtual int NodeHook(int, int) { return 0; }
    virtual BOOL IsExpanded() { return FALSE; }
    virtual void SetExpanded(BOOL) {}

    // Ancestors counted: 1 for a top-level node, 0 for the hidden root.
    int GetLevel();
    enum Place { kFirst, kLast, kAfter };
    // kAfter follows `after`, which must be a child of this node (false otherwise); into a
    // node without children every place is the only one.
    bool AddChild(DrawnTreeNode *node, Place place, DrawnTreeNode *after = nullptr);
    void Unlink();
    // Deepest first descendant first, so that no node is deleted while it has children.
    void DeleteChildren();
    void SwapWithPrevious();
    DrawnTreeNode *GetLastChild();
    // Depth-first order through the whole tree below the root.
    DrawnTreeNode *GetNextInTree();
    DrawnTreeNode *GetPrevInTree();
    // Whether this node lies above `node`.
    bool IsAncestorOf(DrawnTreeNode *node);

protected:
    DrawnTreeNode *m_parent = nullptr;
    DrawnTreeNode *m_next = nullptr;
    DrawnTreeNode *m_prev = nullptr;
    DrawnTreeNode *m_firstChild = nullptr;
    // Kept beside the links so that appending to a long child list costs nothing.
    DrawnTreeNode *m_lastChild = nullptr;
};

class DrawnTreeNodeX : public DrawnTreeNode {
public:
    // The root's level word is never set in this system, so the links read as they stand.
    DrawnTreeNode *GetParent() override { return m_parent; }
    DrawnTreeNode *GetNextSibling() override { return m_next; }
    DrawnTreeNode *GetPrevSibling() override { return m_prev; }
    DrawnTreeNode *GetFirstChild() override { return m_firstChild; }

    WORD m_levelWord = 0;
};

class _Node : public DrawnTreeNodeX {
public:
    _Node();
    ~_Node() override;

    BOOL IsExpanded() override { return (m_item.state & TVIS_EXPANDED) != 0; }
    void SetExpanded(BOOL expanded) override;
    virtual int ItemHook(int, int) { return 0; }

    _Node *Parent() { return static_cast<_Node *>(m_parent); }
    _Node *Next() { return static_cast<_Node *>(m_next); }
    _Node *Prev() { return static_cast<_Node *>(m_prev); }
    _Node *FirstChild() { return static_cast<_Node *>(m_firstChild); }

    TVITEMA m_item;
    // The split of the text at the hanging-indent marker, kept by the measuring.
    int m_highlight = 0;
    CString m_head;
    CString m_tail;
    int m_headWidth = 0;
    DWORD m_flags = 0;
    // The row that showed the node when last looked up; checked before it is used.
    int m_row = -1;
    bool m_hasRow = false;
    // Set while the owner hears of its deletion.
    bool m_deleting = false;
};
