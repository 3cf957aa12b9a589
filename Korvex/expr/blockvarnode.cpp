// What structures and arrays share: their children lie in one block of their bytes,
// which one access reads or writes, unless a child is a bit or a bit field.
#include "varnodekinds.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelBlockVarNode, CQelBasicVarNode)

// Whether `node` or a node below it has a value to write.
bool QelWritePendingBelow(const CQelBasicVarNode *node)
{
    if (node->IsWritePending())
        return true;
    for (const CQelBasicVarNode *child = node->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
        if (QelWritePendingBelow(child))
            return true;
    return false;
}

CQelBlockVarNode::CQelBlockVarNode(IUnknown *owner, DWORD typeClass) : CQelBasicVarNode(owner)
{
    m_nTypeClass = typeClass;
    m_bCollapsed = TRUE;
}

BOOL CQelBlockVarNode::LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name)
{
    if (parentItem != 0 && node != nullptr) {
        CQelBasicVarNode *found = FindNode(parentItem);
        if (found != nullptr && found->GetTypeClass() != GetTypeClass())
            return found->LinkChild(parentItem, node, name);
    }
    return CQelBasicVarNode::LinkChild(parentItem, node, name);
}

BOOL CQelBlockVarNode::ReadValue(const CRegisterMapTagArray *registerMap, BOOL write)
{
    if (m_bDetached)
        return FALSE;
    DWORD mode = m_Location.AddressMode;
    bool block = !m_bCollapsed && m_nSize != 0 && (mode == QELVAR_MODE_MEMORY || mode == QELVAR_MODE_BIT)
                 && m_pComplexMemory != nullptr && m_pBuffer != nullptr && !m_bReadByMembers;
    if (!block) {
        BOOL ok = TRUE;
        if (!m_bReadByMembers)
            ok = CQelBasicVarNode::ReadValue(registerMap, write);
        if (!m_bCollapsed)
            for (CQelBasicVarNode *child = m_pFirstChild; child != nullptr; child = child->GetNextSibling())
                ok = child->ReadValue(registerMap, write) && ok;
        return ok;
    }
    if (write) {
        bool hadPending = false;
        CopyChildren(m_pBuffer, 1, true, &hadPending);
        if (hadPending)
            m_bWritePending = TRUE;
        // Only a block with something new goes back: writing what was read earlier
        // would undo what the target did since.
        if (!m_bWritePending)
            return TRUE;
        BOOL ok = m_pComplexMemory->WriteMemory(m_Location.AddressValue, m_nSize, m_pBuffer) == 0;
        if (ok)
            m_bWritePending = FALSE;
        return ok;
    }
    SavePrevious();
    if (m_pComplexMemory->ReadMemory(m_Location.AddressValue, m_nSize, m_pBuffer) != 0) {
        // Each child tries on its own.
        BOOL ok = FALSE;
        for (CQelBasicVarNode *child = m_pFirstChild; child != nullptr; child = child->GetNextSibling())
            ok = child->ReadValue(registerMap, FALSE) || ok;
        return ok;
    }
    CompareWithPrevious();
    bool unused = false;
    CopyChildren(m_pBuffer, 0, false, &unused);
    return TRUE;
}

BOOL CQelBlockVarNode::CopyValueBuffer(BYTE **cursor, int direction)
{
    if (m_bDetached || cursor == nullptr || *cursor == nullptr || m_nSize == 0 || m_pBuffer == nullptr
        || m_Location.AddressMode == QELVAR_MODE_NONE)
        return FALSE;
    BYTE *block = *cursor;
    if (direction == 0) {
        SavePrevious();
        std::memcpy(m_pBuffer, block, m_nSize);
        CompareWithPrevious();
    } else {
        std::memcpy(block, m_pBuffer, m_nSize);
    }
    if (!m_bCollapsed) {
        bool unused = false;
        CopyChildren(block, direction, true, &unused);
    }
    *cursor = block + m_nSize;
    return TRUE;
}
