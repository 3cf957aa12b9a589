// The structure node (unions and classes alike): members as children at their offsets,
// read and written as one block unless a member is a bit or a bit field.
#include "varnodekinds.h"
#include "varnodestrings.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelStructVarNode, CQelBasicVarNode)

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

CQelStructVarNode::CQelStructVarNode(IUnknown *owner) : CQelBasicVarNode(owner)
{
    m_nTypeClass = QELVAR_CLASS_STRUCT;
    m_bCollapsed = TRUE;
}

BOOL CQelStructVarNode::LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name)
{
    if (parentItem != 0 && node != nullptr) {
        CQelBasicVarNode *found = FindNode(parentItem);
        if (found != nullptr && found->GetTypeClass() != GetTypeClass())
            return found->LinkChild(parentItem, node, name);
    }
    return CQelBasicVarNode::LinkChild(parentItem, node, name);
}

DWORD CQelStructVarNode::MemberOffset(const CQelBasicVarNode *member) const
{
    if (IsRegisterMode())
        return 0;
    DWORD layout = member->GetBitLayout();
    DWORD bits = member->GetTypeClass() == QELVAR_CLASS_BITFIELD ? (layout >> 16) & 0x7FFF : layout;
    return bits / 8;
}

void CQelStructVarNode::SetAddress(DWORD mode, DWORD value, DWORD third)
{
    CQelBasicVarNode::SetAddress(mode, value, third);
    if (m_bCollapsed)
        return;
    for (CQelBasicVarNode *member = m_pFirstChild; member != nullptr; member = member->GetNextSibling()) {
        DWORD memberThird = 0;
        if (member->GetTypeClass() == QELVAR_CLASS_BASE && member->GetBaseType() == QELVAR_BASE_BIT)
            memberThird = (IsRegisterMode() ? 0 : member->GetBitLayout() % 8) + third;
        member->SetAddress(mode, value + MemberOffset(member), memberThird);
    }
}

BOOL CQelStructVarNode::CopyMembers(BYTE *block, int direction, bool pendingOnly, bool *hadPending)
{
    BOOL ok = TRUE;
    for (CQelBasicVarNode *member = m_pFirstChild; member != nullptr; member = member->GetNextSibling()) {
        DWORD offset = MemberOffset(member);
        // A member that would reach past the structure (damaged symbol data) is left out.
        if (offset > m_nSize || member->GetSize() > m_nSize - offset)
            continue;
        if (direction == 1) {
            bool pending = QelWritePendingBelow(member);
            if (pendingOnly && member->GetTypeClass() == QELVAR_CLASS_BASE && !pending)
                continue;
            *hadPending = *hadPending || pending;
        }
        BYTE *cursor = block + offset;
        ok = member->CopyValueBuffer(&cursor, direction) && ok;
        if (direction == 1)
            member->ClearWritePending();
    }
    return ok;
}

BOOL CQelStructVarNode::ReadValue(const CRegisterMapTagArray *registerMap, BOOL write)
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
            for (CQelBasicVarNode *member = m_pFirstChild; member != nullptr; member = member->GetNextSibling())
                ok = member->ReadValue(registerMap, write) && ok;
        return ok;
    }
    if (write) {
        bool hadPending = false;
        CopyMembers(m_pBuffer, 1, true, &hadPending);
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
        // Each member tries on its own.
        BOOL ok = FALSE;
        for (CQelBasicVarNode *member = m_pFirstChild; member != nullptr; member = member->GetNextSibling())
            ok = member->ReadValue(registerMap, FALSE) || ok;
        return ok;
    }
    CompareWithPrevious();
    bool unused = false;
    CopyMembers(m_pBuffer, 0, false, &unused);
    return TRUE;
}

BOOL CQelStructVarNode::CopyValueBuffer(BYTE **cursor, int direction)
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
        CopyMembers(block, direction, true, &unused);
    }
    *cursor = block + m_nSize;
    return TRUE;
}

void CQelStructVarNode::UpdateText(IUnknown *tree, BOOL notify)
{
    CComPtr<IQelCommonWatch> watch = WatchOf(tree);
    DWORD mode = m_Location.AddressMode;
    if (mode == QELVAR_MODE_NONE)
        m_ValueText.LoadString(IDS_VARNODE_NOT_VALID);
    else if (mode == QELVAR_MODE_BIT)
        m_ValueText.Format("0x%X.%u", m_Location.AddressValue, m_Location.AddressExtra);
    else if (IsRegisterMode())
        m_ValueText = "<register>";
    else
        m_ValueText.Format("0x%X", m_Location.AddressValue);
    if (!m_bCollapsed)
        for (CQelBasicVarNode *member = m_pFirstChild; member != nullptr; member = member->GetNextSibling())
            member->UpdateText(tree, notify);
    NotifyText(watch, notify);
}

HRESULT CQelStructVarNode::GetValue(VARIANT *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    DWORD mode = m_Location.AddressMode;
    if (mode == QELVAR_MODE_NONE || mode == QELVAR_MODE_NONE2)
        return E_FAIL;
    VariantInit(pValue);
    pValue->vt = VT_UI4;
    pValue->ulVal = m_Location.AddressValue;
    return S_OK;
}
