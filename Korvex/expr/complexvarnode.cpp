// The pseudo variables "current IP" and "expression": their value is handed in from
// outside, shown through the conversion table or a user format, and never edited.
#include "varnodekinds.h"
#include "varnodestrings.h"
#include "watchnormalize.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CQelComplexVarNode, CQelBasicVarNode)

CQelComplexVarNode::CQelComplexVarNode(IUnknown *owner) : CQelBasicVarNode(owner)
{
    m_nBaseType = 0;
}

DWORD CQelComplexVarNode::Set(DWORD kind, LPCSTR text, const QelComplexValue &value)
{
    m_TypeName = "expression";
    m_ScopeText = "current IP";
    m_SymbolLocation = CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    m_nSymbolIndex = m_nBitLayout = m_nTypeAttribute = m_nSymbolId = 0;
    m_UserFormat.Empty();
    if (kind == 0) {
        m_Name = m_DisplayText = text;
    } else {
        CString expression(text), format;
        NormalizeWatchExpression(expression, format, 0);
        m_UserFormat = format;
        kind = format.IsEmpty() ? 1 : 2;
    }

    LONG baseType = 0;
    DWORD size = 0;
    switch (value.resultType) {
    case 1: baseType = 11; size = 4; break;
    case 2: baseType = 12; size = 4; break;
    case 3: baseType = QELVAR_BASE_DOUBLE; size = 8; break;
    default: kind = 0; break;
    }
    m_nKind = kind;
    m_nSizeInBits = size * 8;
    if (baseType != m_nBaseType) {
        m_nBaseType = baseType;
        LookUpConversions();
        m_nFormat = 0;
        SetChanged(TRUE);
    } else {
        SetChanged(std::memcmp(value.bytes, m_Value.bytes, sizeof value.bytes) != 0);
    }
    m_Value = value;
    MakeBuffers(size);
    if (m_pBuffer != nullptr)
        std::memcpy(m_pBuffer, value.bytes, size);
    return m_nKind;
}

void CQelComplexVarNode::UpdateText(IUnknown *tree, BOOL notify)
{
    CComPtr<IQelCommonWatch> watch = WatchOf(tree);
    CString text;
    if (m_nKind == 0) {
        text.LoadString(IDS_VARNODE_COMPLEX_NOT_VALID);
    } else if (m_nKind == 1) {
        BYTE slot[8];
        std::memcpy(slot, m_Value.bytes, sizeof slot);
        LONG op = QELCONV_FORMAT;
        Convert(&op, text, slot, nullptr, tree, -1);
    } else if (QelIsUserFormat(m_UserFormat)) {
        text = QelFormatUser(m_UserFormat, m_Value.resultType, m_Value.bytes);
    } else {
        text = m_UserFormat + " <Invalid syntax!>";
    }
    m_ValueText = text;
    NotifyText(watch, notify);
}

BOOL CQelComplexVarNode::ParseEditText(IUnknown *)
{
    return FALSE;
}

LONG CQelComplexVarNode::GetDisplayState()
{
    switch (m_nKind) {
    case 1: return m_bChanged ? 3 : 0;
    case 2: return m_bChanged ? 5 : 2;
    default: return 0;
    }
}
