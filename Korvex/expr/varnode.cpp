// The variable node: construction, building from the symbol records, buffers and the
// operations on the tree of nodes.
#include "varnode.h"

#include "varnodeowner.h"
#include "../progfiles/programinfointerfaces.h"
#include "watchnormalize.h"

#include <comerror.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CQelBasicVarNode, CObject)

CQelBasicVarNode::CQelBasicVarNode(IUnknown *owner)
    : m_pOwner(owner), m_SymbolLocation(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF), m_ProgramType(IID_IProgramInfo)
{
    QelFetchTargetAccess(owner, m_pTargetAccess);
    if (owner != nullptr)
        QelQueryProgramType(owner, &m_ProgramType);
}

CQelBasicVarNode::~CQelBasicVarNode()
{
    DeleteTree(m_pFirstChild);
    delete[] m_pBuffer;
    delete[] m_pPrevious;
}

void CQelBasicVarNode::DeleteTree(CQelBasicVarNode *node)
{
    // Along the siblings in a loop: an array's chain of elements may be long.
    while (node != nullptr) {
        CQelBasicVarNode *next = node->m_pNextSibling;
        node->m_pNextSibling = nullptr;
        delete node;
        node = next;
    }
}

void CQelBasicVarNode::MakeBuffers(DWORD size)
{
    if (size == m_nSize && (m_pBuffer != nullptr || size == 0))
        return;
    delete[] m_pBuffer;
    delete[] m_pPrevious;
    m_pBuffer = m_pPrevious = nullptr;
    m_nSize = 0;
    if (size == 0)
        return;
    m_pBuffer = new BYTE[size]();
    m_pPrevious = new BYTE[size]();
    m_nSize = size;
}

void CQelBasicVarNode::LookUpConversions()
{
    const QelConversionRow *row = QelFindConversionRow(m_nTypeClass, m_nBaseType);
    for (int i = 0; i < 4; ++i) {
        m_FormatNames[i] = row != nullptr ? row->names[i] : nullptr;
        m_Plain[i] = row != nullptr ? row->plain[i] : nullptr;
        m_Node[i] = row != nullptr ? row->node[i] : nullptr;
    }
    m_nConverterKind = row != nullptr ? row->kind : 1;
    if (row == nullptr)
        m_Node[0] = QelCompareMemory;
}

namespace {

// Two bytes more, not one, for a size that is no whole number of bytes: the bit-field
// converters may look at the byte behind the last one that the field touches.
DWORD BufferSize(DWORD bits)
{
    return bits / 8 + (bits % 8 != 0 ? 2 : 0);
}

} // namespace

void CQelBasicVarNode::BuildFromVariable(const VariableTag &tag)
{
    m_Name = tag.Name;
    CString expression(tag.Name), format;
    CString normalised = NormalizeWatchExpression(expression, format, 0);
    m_DisplayText = normalised.IsEmpty() || !format.IsEmpty() ? CString(tag.Name) : normalised;
    m_nTypeClass = static_cast<DWORD>(tag.TypeCode);
    m_nBaseType = tag.TypeIndex;
    m_TypeName = tag.TypeText;
    m_nSizeInBits = static_cast<DWORD>(tag.SizeInBits);
    m_nTypeAttribute = static_cast<DWORD>(tag.PointerClass);
    m_nSymbolIndex = static_cast<DWORD>(tag.SymbolIndex);
    m_nSymbolId = static_cast<DWORD>(tag.SymbolID);
    m_ScopeText = tag.ScopeText;
    m_SymbolLocation.AddressMode = tag.AddressMode;
    m_SymbolLocation.AddressValue = tag.AddressValue;
    m_SymbolLocation.AddressExtra = tag.AddressExtra;
    m_nBitLayout = 0;
    m_nFormat = 0;
    MakeBuffers(BufferSize(m_nSizeInBits));
    LookUpConversions();
}

void CQelBasicVarNode::BuildFromMember(const MemberTag &tag)
{
    m_Name = m_DisplayText = tag.Name;
    m_nTypeClass = static_cast<DWORD>(tag.TypeCode);
    m_nBaseType = tag.TypeIndex;
    m_TypeName = tag.TypeText;
    m_nSizeInBits = static_cast<DWORD>(tag.SizeInBits);
    m_nTypeAttribute = static_cast<DWORD>(tag.PointerClass);
    m_nBitLayout = static_cast<DWORD>(tag.Offset);
    m_nSymbolId = static_cast<DWORD>(tag.Extra);
    m_nSymbolIndex = 0;
    m_ScopeText.Empty();
    m_SymbolLocation = CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    m_nFormat = 0;
    MakeBuffers(BufferSize(m_nSizeInBits));
    LookUpConversions();
}

BOOL CQelBasicVarNode::IsWordSwapped() const
{
    return m_ProgramType == IID_ITaskingC16xInfo;
}

BOOL CQelBasicVarNode::IsRegisterMode() const
{
    DWORD mode = m_Location.AddressMode;
    return mode == QELVAR_MODE_REGISTER || mode == QELVAR_MODE_REGISTER2 || mode == QELVAR_MODE_REGISTER_PAIR;
}

BOOL CQelBasicVarNode::IsConstantMode() const
{
    return m_Location.AddressMode == QELVAR_MODE_CONSTANT || m_Location.AddressMode == QELVAR_MODE_CONSTANT2;
}

CQelBasicVarNode *CQelBasicVarNode::FindNode(LONG item)
{
    for (CQelBasicVarNode *node = this; node != nullptr; node = node->m_pNextSibling) {
        if (node->m_hItem == item)
            return node;
        if (node->m_pFirstChild != nullptr)
            if (CQelBasicVarNode *found = node->m_pFirstChild->FindNode(item))
                return found;
    }
    return nullptr;
}

BOOL CQelBasicVarNode::GetLocation(LONG item, CAddressValue &location)
{
    CQelBasicVarNode *node = item == 0 ? this : FindNode(item);
    if (node == nullptr)
        return FALSE;
    location = node->m_Location;
    return TRUE;
}

BOOL CQelBasicVarNode::GetSymbolLocation(LONG item, CAddressValue &location)
{
    CQelBasicVarNode *node = item == 0 ? this : FindNode(item);
    if (node == nullptr)
        return FALSE;
    location = node->m_SymbolLocation;
    return TRUE;
}

CString CQelBasicVarNode::GetString(int code) const
{
    switch (code) {
    case 0: return m_Name;
    case 1: return m_ValueText;
    case 10: return m_DisplayText;
    case 101: return m_TypeName;
    case 102: return m_ScopeText;
    default: return CString();
    }
}

BOOL CQelBasicVarNode::SetDisplayText(LONG item, LPCSTR text, BOOL valueText)
{
    CQelBasicVarNode *node = FindNode(item);
    if (node == nullptr)
        return FALSE;
    (valueText ? node->m_ValueText : node->m_DisplayText) = text;
    return TRUE;
}

void CQelBasicVarNode::SetItemHandles(const LONG *items, int count)
{
    CQelBasicVarNode *node = this;
    for (int i = 0; i < count && node != nullptr; ++i, node = node->m_pNextSibling)
        node->m_hItem = items[i];
}

LONG CQelBasicVarNode::GetBaseType(LONG item)
{
    CQelBasicVarNode *node = FindNode(item);
    if (node == nullptr || node->m_pFirstChild != nullptr)
        return -1;
    return node->m_nBaseType;
}

BOOL CQelBasicVarNode::IsEnumeration() const
{
    return ClassIs(QELVAR_CLASS_ENUM);
}

BOOL CQelBasicVarNode::IsArray(CString *displayText) const
{
    if (displayText != nullptr)
        *displayText = m_DisplayText;
    return ClassIs(QELVAR_CLASS_ARRAY);
}

BOOL CQelBasicVarNode::SetCollapsed(LONG item, BOOL expanded)
{
    CQelBasicVarNode *node = FindNode(item);
    if (node == nullptr)
        return FALSE;
    node->m_bCollapsed = !expanded;
    return TRUE;
}

BOOL CQelBasicVarNode::SetDisplayFormat(int format)
{
    if (format < 0 || format > 3)
        return FALSE;
    m_nFormat = format;
    return TRUE;
}

CString CQelBasicVarNode::GetDisplayFormatName(int index) const
{
    if (index == -1)
        index = m_nFormat;
    return index >= 0 && index <= 3 ? m_FormatNames[index] : CString();
}

int CQelBasicVarNode::GetEnumeratorCount() const
{
    int count = 0;
    for (const CQelBasicVarNode *child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
        ++count;
    return count;
}

BOOL CQelBasicVarNode::SetChosenEnumerator(int index)
{
    if (index < -1 || index >= GetEnumeratorCount())
        return FALSE;
    m_nEnumerator = index;
    return TRUE;
}

BOOL CQelBasicVarNode::GetEnumerator(int index, LONG *value, CString *name) const
{
    const CQelBasicVarNode *child = m_pFirstChild;
    for (int i = 0; child != nullptr && i < index; ++i)
        child = child->m_pNextSibling;
    if (index < 0 || child == nullptr)
        return FALSE;
    if (value != nullptr)
        *value = static_cast<LONG>(child->m_nBitLayout);
    if (name != nullptr)
        *name = child->m_Name;
    return TRUE;
}

void CQelBasicVarNode::SetComplexMemory(IUnknown *object)
{
    CComPtr<IQelComplexMemory> memory;
    if (object != nullptr) {
        HRESULT hr = object->QueryInterface(IID_IQelComplexMemory, reinterpret_cast<void **>(&memory));
        if (FAILED(hr) && hr != E_NOINTERFACE)
            _com_issue_error(hr);
    }
    for (CQelBasicVarNode *node = this; node != nullptr; node = node->m_pNextSibling) {
        node->m_pComplexMemory = memory;
        if (node->m_pFirstChild != nullptr)
            node->m_pFirstChild->SetComplexMemory(object);
    }
}

BOOL CQelBasicVarNode::LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name)
{
    if (node == nullptr)
        return FALSE;
    if (parentItem == 0) {
        if (m_pNextSibling != nullptr)
            return FALSE;
        m_pNextSibling = node;
    } else {
        CQelBasicVarNode *found = FindNode(parentItem);
        if (found == nullptr || found->m_pFirstChild != nullptr)
            return FALSE;
        found->m_pFirstChild = node;
    }
    name = node->m_Name;
    return TRUE;
}

void CQelBasicVarNode::SavePrevious()
{
    if (m_pBuffer != nullptr && m_pPrevious != nullptr)
        std::memcpy(m_pPrevious, m_pBuffer, m_nSize);
}
