// The structure node (unions and classes alike): members as children at their offsets,
// read and written as one block unless a member is a bit or a bit field.
#include "varnodekinds.h"
#include "varnodestrings.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelStructVarNode, CQelBlockVarNode)

CQelStructVarNode::CQelStructVarNode(IUnknown *owner) : CQelBlockVarNode(owner, QELVAR_CLASS_STRUCT) {}

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

BOOL CQelStructVarNode::CopyChildren(BYTE *block, int direction, bool pendingOnly, bool *hadPending)
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
