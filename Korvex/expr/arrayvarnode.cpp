// The array node: elements as children, one after the other, read and written as one
// block unless an element holds a bit or a bit field.
#include "varnodekinds.h"
#include "varnodestrings.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelArrayVarNode, CQelBasicVarNode)

CQelArrayVarNode::CQelArrayVarNode(IUnknown *owner) : CQelBasicVarNode(owner)
{
    m_nTypeClass = QELVAR_CLASS_ARRAY;
    m_bCollapsed = TRUE;
}

BOOL CQelArrayVarNode::LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name)
{
    if (parentItem != 0 && node != nullptr) {
        CQelBasicVarNode *found = FindNode(parentItem);
        if (found != nullptr && found->GetTypeClass() != GetTypeClass())
            return found->LinkChild(parentItem, node, name);
    }
    return CQelBasicVarNode::LinkChild(parentItem, node, name);
}

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

BOOL CQelArrayVarNode::CopyElements(BYTE *block, int direction, bool *hadPending)
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

BOOL CQelArrayVarNode::ReadValue(const CRegisterMapTagArray *registerMap, BOOL write)
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
            for (CQelBasicVarNode *element = m_pFirstChild; element != nullptr; element = element->GetNextSibling())
                ok = element->ReadValue(registerMap, write) && ok;
        return ok;
    }
    if (write) {
        bool hadPending = false;
        CopyElements(m_pBuffer, 1, &hadPending);
        if (hadPending)
            m_bWritePending = TRUE;
        if (!m_bWritePending)
            return TRUE;
        BOOL ok = m_pComplexMemory->WriteMemory(m_Location.AddressValue, m_nSize, m_pBuffer) == 0;
        if (ok)
            m_bWritePending = FALSE;
        return ok;
    }
    SavePrevious();
    if (m_pComplexMemory->ReadMemory(m_Location.AddressValue, m_nSize, m_pBuffer) != 0) {
        BOOL ok = FALSE;
        for (CQelBasicVarNode *element = m_pFirstChild; element != nullptr; element = element->GetNextSibling())
            ok = element->ReadValue(registerMap, FALSE) || ok;
        return ok;
    }
    CompareWithPrevious();
    bool unused = false;
    CopyElements(m_pBuffer, 0, &unused);
    return TRUE;
}

BOOL CQelArrayVarNode::CopyValueBuffer(BYTE **cursor, int direction)
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
        CopyElements(block, direction, &unused);
    }
    *cursor = block + m_nSize;
    return TRUE;
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
