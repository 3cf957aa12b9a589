// A node's converter call. The converters work on 8-byte value slots: the node's bytes
// are copied into zero-filled slots and back, so that a converter whose format is wider
// than the node's value (a 32-bit enumeration converter over a 1-byte enumeration) never
// reads or writes outside the node's buffers. Only the block comparer sees the buffers
// themselves, since it compares the node's whole size.
#include "varnode.h"

#include <algorithm>
#include <cstring>

int CQelBasicVarNode::Convert(LONG *op, CString &text, void *a, void *b, IUnknown *tree, int format)
{
    if (format == -1) {
        if (m_nFormat < 0 || m_nFormat > 3)
            m_nFormat = 0;
        format = m_nFormat;
    }
    if (format < 0 || format > 3)
        return 0;
    const LONG started = *op;
    const bool nodeKind = m_nConverterKind == 1;
    if (nodeKind ? m_Node[format] == nullptr : m_Plain[format] == nullptr)
        return 1;

    const size_t bytes = std::min<size_t>(m_nSize, 8);
    BYTE slotA[8] = {};
    BYTE slotB[8] = {};
    void *argA = slotA;
    void *argB = slotB;
    void *pointerA = slotA;
    void *pointerB = slotB;
    const bool whole = nodeKind && m_Node[format] == QelCompareMemory;
    if (whole) {
        argA = a;
        argB = b;
    } else if (started == QELCONV_COMPARE) {
        std::memcpy(slotA, *static_cast<BYTE **>(a), bytes);
        std::memcpy(slotB, *static_cast<BYTE **>(b), bytes);
        argA = &pointerA;
        argB = &pointerB;
    } else {
        if (a != nullptr)
            std::memcpy(slotA, a, bytes);
        if (b != nullptr)
            std::memcpy(slotB, b, bytes);
    }

    if (nodeKind)
        m_Node[format](op, text, argA, argB, this);
    else
        m_Plain[format](op, text, argA, argB);

    if (!whole) {
        bool parsed = (started == QELCONV_PARSE || started == QELCONV_PARSE_SWAPPED) && *op != QELCONV_REFUSED;
        if ((parsed || started == QELCONV_MERGE) && a != nullptr)
            std::memcpy(a, slotA, bytes);
        if (started == QELCONV_MERGE && b != nullptr)
            std::memcpy(b, slotB, bytes);
    }

    if (nodeKind && started == QELCONV_FORMAT && *op == QELCONV_PARSE) {
        // The bit converter asks for the state the user chose to be written.
        ParseEditText(tree);
        if (CComPtr<IQelCommonWatch> watch = WatchOf(tree))
            watch->CalculateItem(m_hItem, 0, 0, 0);
    }
    return 1;
}
