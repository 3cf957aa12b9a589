// A node's value text: made from the value through the current display format, and read
// back into the value when the user edits it.
#include "varnode.h"
#include "varnodestrings.h"

#include <comerror.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

CComPtr<IQelCommonWatch> CQelBasicVarNode::WatchOf(IUnknown *tree)
{
    CComPtr<IQelCommonWatch> watch;
    if (tree == nullptr)
        return watch;
    HRESULT hr = tree->QueryInterface(IID_IQelCommonWatch, reinterpret_cast<void **>(&watch));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_error(hr);
    return watch;
}

void CQelBasicVarNode::NotifyText(IQelCommonWatch *watch, BOOL notify)
{
    m_MadeText = m_ValueText;
    if (notify && watch != nullptr && m_hItem != 0)
        watch->SetItemText(m_hItem);
}

void CQelBasicVarNode::ValueSlot(BYTE slot[8]) const
{
    std::memset(slot, 0, 8);
    const size_t bytes = std::min<size_t>(m_nSize, 8);
    if (IsConstantMode()) {
        uint64_t value = m_Location.AddressValue | (uint64_t(m_Location.AddressExtra) << 32);
        for (size_t i = 0; i < bytes; ++i)
            slot[i] = static_cast<BYTE>(value >> (8 * i));
    } else if (m_pBuffer != nullptr) {
        std::memcpy(slot, m_pBuffer, bytes);
    }
}

void CQelBasicVarNode::UpdateText(IUnknown *tree, BOOL notify)
{
    CComPtr<IQelCommonWatch> watch = WatchOf(tree);
    CString text;
    if (m_Location.AddressMode == QELVAR_MODE_NONE) {
        text.LoadString(IDS_VARNODE_NOT_VALID);
    } else if (ClassIs(QELVAR_CLASS_FUNCTION)) {
        text.Format("0x%X", m_Location.AddressValue);
        if (watch != nullptr && m_hItem != 0)
            watch->CalculateItem(m_hItem, 2, static_cast<LONG>(m_Location.AddressMode),
                                 static_cast<LONG>(m_Location.AddressValue));
    } else {
        BYTE slot[8];
        ValueSlot(slot);
        if (ClassIs(QELVAR_CLASS_ENUM) && EnumeratorText(slot, watch, text)) {
            // named by its enumerators
        } else {
            bool floating = m_nBaseType == QELVAR_BASE_FLOAT || m_nBaseType == QELVAR_BASE_DOUBLE;
            LONG op = IsWordSwapped() && floating && ClassIs(QELVAR_CLASS_BASE) ? QELCONV_FORMAT_SWAPPED
                                                                                   : QELCONV_FORMAT;
            Convert(&op, text, slot, nullptr, tree, -1);
        }
    }
    m_ValueText = text;
    NotifyText(watch, notify);
}

BOOL CQelBasicVarNode::EnumeratorText(const BYTE slot[8], IQelCommonWatch *watch, CString &text)
{
    m_nEnumerator = -1;
    if (m_pFirstChild == nullptr) {
        if (!m_bEnumeratorsRequested && watch != nullptr && m_hItem != 0) {
            m_bEnumeratorsRequested = TRUE;
            watch->CalculateItem(m_hItem, 1, m_nBaseType, m_nBaseType);
        }
        return FALSE;
    }
    // The value as the enumeration's own size holds it; an enumerator's value matches it
    // read with or without its sign.
    const DWORD bytes = std::min<DWORD>(m_nSize, 4);
    uint32_t plain = 0;
    for (DWORD i = 0; i < bytes; ++i)
        plain |= uint32_t(slot[i]) << (8 * i);
    uint32_t extended = plain;
    if (bytes > 0 && bytes < 4 && (slot[bytes - 1] & 0x80) != 0)
        extended |= ~uint32_t(0) << (8 * bytes);
    int index = 0;
    for (CQelBasicVarNode *child = m_pFirstChild; child != nullptr; child = child->m_pNextSibling, ++index) {
        if (child->m_nBitLayout != plain && child->m_nBitLayout != extended)
            continue;
        if (m_nEnumerator == -1)
            m_nEnumerator = index;
        else
            text += ", ";
        text += child->m_Name;
    }
    return m_nEnumerator != -1;
}

BOOL CQelBasicVarNode::ParseEditText(IUnknown *tree)
{
    if (tree == nullptr || m_hItem == 0 || m_pBuffer == nullptr)
        return FALSE;
    std::vector<BYTE> scratch(std::max<size_t>(m_nSize, 8));
    if (ClassIs(QELVAR_CLASS_ENUM)) {
        LONG value = 0;
        if (!GetEnumerator(m_nEnumerator, &value, nullptr))
            return FALSE;
        std::memcpy(scratch.data(), &value, sizeof value);
    } else {
        int format = m_nFormat < 0 || m_nFormat > 3 ? 0 : m_nFormat;
        if (m_FormatNames[format].IsEmpty())
            return FALSE;
        bool floating = m_nBaseType == QELVAR_BASE_FLOAT || m_nBaseType == QELVAR_BASE_DOUBLE;
        LONG op = IsWordSwapped() && floating && ClassIs(QELVAR_CLASS_BASE) ? QELCONV_PARSE_SWAPPED : QELCONV_PARSE;
        CString text(m_ValueText);
        Convert(&op, text, scratch.data(), nullptr, tree, -1);
        if (op == QELCONV_REFUSED) {
            // Nothing is written: the value and the text shown stay as they were.
            m_ValueText = m_MadeText;
            return FALSE;
        }
    }
    std::memcpy(m_pBuffer, scratch.data(), m_nSize);
    m_bWritePending = TRUE;
    return TRUE;
}

LONG CQelBasicVarNode::GetDisplayState()
{
    if (m_Location.AddressMode == QELVAR_MODE_NONE || m_Location.AddressMode == QELVAR_MODE_NONE2)
        m_bChanged = FALSE;
    return m_bChanged ? 4 : 1;
}
