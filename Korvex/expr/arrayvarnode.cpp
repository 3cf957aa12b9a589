// The array node: elements as children, one after the other, read and written as one
// block unless an element holds a bit or a bit field.
#include "varnodekinds.h"
#include "varnodestrings.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelArrayVarNode, CQelBlockVarNode)

CQelArrayVarNode::CQelArrayVarNode(IUnknown *owner) : CQelBlockVarNode(owner, QELVAR_CLASS_ARRAY) {}

void CQelArrayVarNode::SetAddress(DWORD mode, DWORD value, DWORD third)
{
    CQelBasicVarNode::SetAddress(mode, value, third);
    if (m_bCollapsed)
        return;
    DWORD offset = 0;
    for (CQelBasicVarNode *element = m_pFirstChild; element != nullptr; element = element->GetNextSibling()) {
        element->SetAddress(mode, value + offset, 0);
        offset += SizeInBitsOf(element) / 8;
    }
}

BOOL CQelArrayVarNode::CopyChildren(BYTE *block, int direction, bool, bool *hadPending)
{
    BOOL ok = TRUE;
    DWORD offset = 0;
    for (CQelBasicVarNode *element = m_pFirstChild; element != nullptr; element = element->GetNextSibling()) {
        // Elements that would reach past the array (damaged symbol data) are left out.
        if (element->GetSize() > m_nSize - offset)
            break;
        if (direction == 1)
            *hadPending = QelWritePendingBelow(element) || *hadPending;
        BYTE *cursor = block + offset;
        ok = element->CopyValueBuffer(&cursor, direction) && ok;
        if (direction == 1)
            element->ClearWritePending();
        offset += element->GetSize();
    }
    return ok;
}

void CQelArrayVarNode::UpdateText(IUnknown *tree, BOOL)
{
    CComPtr<IQelCommonWatch> watch = WatchOf(tree);
    DWORD mode = m_Location.AddressMode;
    if (mode == QELVAR_MODE_NONE)
        m_ValueText.LoadString(IDS_VARNODE_NOT_VALID);
    else if (IsRegisterMode())
        m_ValueText = "<register>";
    else
        m_ValueText.Format("0x%X", m_Location.AddressValue);
    m_MadeText = m_ValueText;
    if (!m_bCollapsed)
        for (CQelBasicVarNode *element = m_pFirstChild; element != nullptr; element = element->GetNextSibling())
            element->UpdateText(tree, FALSE);
    // One notice for the array and all its elements.
    if (watch != nullptr)
        watch->SetItemText(0);
}

HRESULT CQelArrayVarNode::GetValue(VARIANT *pValue)
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
