// The pointer node: the address it points to, the object there as its one child, and a
// preview of the text behind a char pointer.
#include "varnodekinds.h"
#include "varnodestrings.h"

#include <comerror.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CQelPointerVarNode, CQelBasicVarNode)

namespace {

enum { kPreviewBytes = 32, kPreviewShown = 28 };

} // namespace

CString QelFillNamePattern(LPCSTR pattern, LPCSTR name, int index)
{
    CString filled;
    for (LPCSTR p = pattern; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            filled += name;
            ++p;
        } else if (p[0] == '%' && p[1] == 'd') {
            CString number;
            number.Format("%d", index);
            filled += number;
            ++p;
        } else {
            filled += *p;
        }
    }
    return filled;
}

CQelPointerVarNode::CQelPointerVarNode(IUnknown *owner)
    : CQelBasicVarNode(owner), m_Target(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)
{
    m_nTypeClass = QELVAR_CLASS_POINTER;
    m_bCollapsed = TRUE;
}

CQelPointerVarNode::~CQelPointerVarNode()
{
    delete[] m_pPreview;
}

BOOL CQelPointerVarNode::LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name)
{
    if (parentItem == 0 || node == nullptr)
        return CQelBasicVarNode::LinkChild(parentItem, node, name);
    CQelBasicVarNode *found = FindNode(parentItem);
    if (found == nullptr)
        return FALSE;
    if (found->GetTypeClass() != GetTypeClass())
        return found->LinkChild(parentItem, node, name);
    if (found->GetFirstChild() != nullptr)
        return FALSE;
    // The pointed-to object is named by the pattern the member query gave it.
    NameOf(node) = QelFillNamePattern(NameOf(node), NameOf(found), 0);
    DisplayOf(node) = QelFillNamePattern(DisplayOf(node), DisplayOf(found), 0);
    AttachChild(found, node);
    name = NameOf(node);
    return TRUE;
}

void CQelPointerVarNode::ComputeTarget()
{
    m_bTargetValid = FALSE;
    m_Target = CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    BYTE slot[8];
    ValueSlot(slot);
    DWORD value = 0;
    if (m_nSize == 4)
        value = slot[0] | slot[1] << 8 | slot[2] << 16 | static_cast<DWORD>(slot[3]) << 24;
    else if (m_nSize == 2)
        value = slot[0] | slot[1] << 8;
    DWORD kind = m_nTypeAttribute;
    if (m_pFirstChild != nullptr && m_pFirstChild->GetTypeClass() == QELVAR_CLASS_FUNCTION) {
        if (kind == 0)
            kind = 3;
        else if (kind == 1 || kind == 2)
            kind = 4;
    }
    if (kind > 4)
        return;
    if (m_pTargetAccess == nullptr)
        _com_issue_error(E_POINTER);
    ULONG high = kind == 0 || kind == 3 ? 0 : value >> 16;
    ULONG linear = 0;
    if (m_pTargetAccess->PointerToLinear(static_cast<LONG>(kind), high, value & 0xFFFF, &linear) != 0)
        return;
    m_Target = CAddressValue(linear, QELVAR_MODE_MEMORY, 0);
    m_bTargetValid = TRUE;
}

void CQelPointerVarNode::MakePreview()
{
    if (m_pPreview == nullptr)
        m_pPreview = new BYTE[kPreviewBytes]();
    m_pPreview[0] = 0;
    const CQelBasicVarNode *child = m_pFirstChild;
    if (!m_bTargetValid || child == nullptr || child->GetTypeClass() != QELVAR_CLASS_BASE
        || (child->GetBaseType() != 1 && child->GetBaseType() != 2) || m_pComplexMemory == nullptr)
        return;
    BYTE bytes[kPreviewBytes];
    if (m_pComplexMemory->ReadMemory(m_Target.AddressValue, kPreviewBytes, bytes) != 0) {
        // A short text near the end of readable memory: byte by byte up to its 0.
        for (int i = 0; i < kPreviewBytes; ++i) {
            if (m_pComplexMemory->ReadMemory(m_Target.AddressValue + i, 1, bytes + i) != 0)
                return;
            if (bytes[i] == 0)
                break;
        }
    }
    int length = 0;
    while (length < kPreviewBytes && bytes[length] != 0) {
        if (bytes[length] < 0x20 || bytes[length] > 0x7E)
            return; // not a text: no preview
        ++length;
    }
    if (length == kPreviewBytes) {
        std::memcpy(m_pPreview, bytes, kPreviewShown);
        std::memcpy(m_pPreview + kPreviewShown, "...", 4);
    } else {
        std::memcpy(m_pPreview, bytes, length + 1);
    }
}

CString CQelPointerVarNode::GetPreview() const
{
    return m_pPreview != nullptr ? CString(reinterpret_cast<LPCSTR>(m_pPreview)) : CString();
}

void CQelPointerVarNode::AfterRead(const CRegisterMapTagArray *registerMap, BOOL write)
{
    ComputeTarget();
    if (m_pFirstChild != nullptr && !m_bCollapsed) {
        m_pFirstChild->SetAddress(m_Target.AddressMode, m_Target.AddressValue, m_Target.AddressExtra);
        m_pFirstChild->ReadValue(registerMap, write);
    }
    if (!write)
        MakePreview();
}

BOOL CQelPointerVarNode::ReadValue(const CRegisterMapTagArray *registerMap, BOOL write)
{
    if (!CQelBasicVarNode::ReadValue(registerMap, write))
        return FALSE;
    AfterRead(registerMap, write);
    return TRUE;
}

BOOL CQelPointerVarNode::CopyValueBuffer(BYTE **cursor, int direction)
{
    if (!CQelBasicVarNode::CopyValueBuffer(cursor, direction))
        return FALSE;
    if (direction == 0)
        AfterRead(nullptr, FALSE);
    return TRUE;
}

void CQelPointerVarNode::UpdateText(IUnknown *tree, BOOL notify)
{
    CComPtr<IQelCommonWatch> watch = WatchOf(tree);
    CString text;
    if (m_Location.AddressMode == QELVAR_MODE_NONE || !m_bTargetValid) {
        text.LoadString(IDS_VARNODE_NOT_VALID);
    } else {
        text.Format("0x%X", m_Target.AddressValue);
        CString preview = GetPreview();
        if (!preview.IsEmpty())
            text += "  ->  \"" + preview + "\"";
    }
    m_ValueText = text;
    if (m_pFirstChild != nullptr && !m_bCollapsed)
        m_pFirstChild->UpdateText(tree, notify);
    NotifyText(watch, notify);
}

HRESULT CQelPointerVarNode::GetValue(VARIANT *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    DWORD mode = m_Location.AddressMode;
    if (mode == QELVAR_MODE_NONE || mode == QELVAR_MODE_NONE2 || !m_bTargetValid)
        return E_FAIL;
    VariantInit(pValue);
    pValue->vt = VT_UI4;
    pValue->ulVal = m_Target.AddressValue;
    return S_OK;
}
