// The converters that need the node: bit fields (their layout), single bits (their bit
// number, and the format that names the bit's state) and blocks compared byte for byte.
#include "valueconvbasic.h"
#include "valueconvscan.h"
#include "varnode.h"

#include <cinttypes>
#include <cstdlib>

using namespace QelConv;

namespace {

// A bit field's place in its storage: width, offset (whole in a register, counted
// within the first byte in memory, where the node's storage starts at the byte that
// holds the field's first bit) and sign.
struct FieldLayout {
    DWORD width;
    DWORD offset;
    bool isSigned;
    uint64_t mask;
};

// FALSE when the field does not lie in the 8 bytes that a value slot holds, or its
// storage is longer than that: such a field is refused rather than read past its bytes.
BOOL GetLayout(const CQelBasicVarNode *node, FieldLayout *layout)
{
    DWORD word = node->GetBitLayout();
    DWORD mode = node->GetLocation().AddressMode;
    bool inRegister = mode == QELVAR_MODE_REGISTER || mode == QELVAR_MODE_REGISTER2
                      || mode == QELVAR_MODE_REGISTER_PAIR;
    layout->width = word & 0xFFFF;
    layout->offset = (word >> 16) & 0x7FFF;
    if (!inRegister)
        layout->offset %= 8;
    layout->isSigned = (word & 0x80000000u) != 0;
    if (layout->width == 0 || layout->width + layout->offset > 64 || node->GetSize() > 8)
        return FALSE;
    layout->mask = layout->width == 64 ? ~uint64_t(0) : (uint64_t(1) << layout->width) - 1;
    return TRUE;
}

uint64_t Field(const void *slot, const FieldLayout &layout)
{
    return (Load<uint64_t>(slot) >> layout.offset) & layout.mask;
}

void PutField(void *slot, const FieldLayout &layout, uint64_t field)
{
    uint64_t word = Load<uint64_t>(slot);
    word &= ~(layout.mask << layout.offset);
    word |= (field & layout.mask) << layout.offset;
    Store(slot, word);
}

// Compare and merge, shared by both bit-field formats.
void CompareOrMergeField(LONG *op, void *a, void *b, const FieldLayout &layout)
{
    if (*op == QELCONV_COMPARE) {
        if (Field(*static_cast<void **>(a), layout) != Field(*static_cast<void **>(b), layout))
            *op = QELCONV_DIFFERS;
    } else if (*op == QELCONV_MERGE) {
        PutField(b, layout, Field(a, layout));
        DWORD top = layout.offset + layout.width;
        if (top < 64)
            Store(a, Load<uint64_t>(a) & ((uint64_t(1) << top) - 1));
    }
}

} // namespace

void QelBitFieldDecimal(LONG *op, CString &text, void *a, void *b, CQelBasicVarNode *node)
{
    FieldLayout layout;
    if (!GetLayout(node, &layout)) {
        if (*op == QELCONV_FORMAT)
            text.Empty();
        *op = QELCONV_REFUSED;
        return;
    }
    if (*op == QELCONV_FORMAT) {
        uint64_t field = Field(a, layout);
        if (layout.isSigned && layout.width >= 2 && (field >> (layout.width - 1)) != 0)
            text.Format("-%" PRIu64, (~field & layout.mask) + 1);
        else
            text.Format("%" PRIu64, field);
    } else if (*op == QELCONV_PARSE) {
        int32_t value = 0;
        if (ScanWhole(text, "%d%n", &value))
            PutField(a, layout, static_cast<uint64_t>(static_cast<int64_t>(value)));
        else
            *op = QELCONV_REFUSED;
    } else {
        CompareOrMergeField(op, a, b, layout);
    }
}

void QelBitFieldHex(LONG *op, CString &text, void *a, void *b, CQelBasicVarNode *node)
{
    FieldLayout layout;
    if (!GetLayout(node, &layout)) {
        if (*op == QELCONV_FORMAT)
            text.Empty();
        *op = QELCONV_REFUSED;
        return;
    }
    if (*op == QELCONV_FORMAT) {
        // Whole hex digits of the field, zeros in front.
        int digits = static_cast<int>(layout.width / 4 + (layout.width % 4 != 0 ? 1 : 0));
        text.Format("0x%*.*" PRIX64, digits, digits, Field(a, layout));
    } else if (*op == QELCONV_PARSE) {
        // This one takes its "0x" from the text.
        uint32_t value = 0;
        if (ScanWhole(text, "0x%X%n", &value))
            PutField(a, layout, value);
        else
            *op = QELCONV_REFUSED;
    } else {
        CompareOrMergeField(op, a, b, layout);
    }
}

void QelBitState(LONG *op, CString &text, void *a, void *b, CQelBasicVarNode *node)
{
    DWORD bit = node->GetLocation().AddressExtra;
    if (bit >= 64 || bit >= 8 * node->GetSize()) {
        if (*op == QELCONV_FORMAT)
            text.Empty();
        *op = QELCONV_REFUSED;
        return;
    }
    const uint64_t mask = uint64_t(1) << bit;
    if (*op == QELCONV_FORMAT) {
        bool set = (Load<uint64_t>(a) & mask) != 0;
        int stateFormat = set ? 0 : 1;
        if (node->m_nFormat == 1 - stateFormat && !node->m_bChangedShown && !node->m_bFirstDisplay) {
            // The user chose the other state: its text is the value to write.
            text = node->m_nFormat == 0 ? "1" : "0";
            node->m_ValueText = text;
            *op = QELCONV_PARSE;
        } else {
            text = set ? "1" : "0";
            node->m_nFormat = stateFormat;
        }
        node->m_bChangedShown = FALSE;
        node->m_bFirstDisplay = FALSE;
    } else if (*op == QELCONV_PARSE) {
        char *end = nullptr;
        long value = std::strtol(text, &end, 10);
        if (end == static_cast<LPCSTR>(text) || !OnlyBlanksFrom(end, 0)) {
            *op = QELCONV_REFUSED;
            return;
        }
        uint64_t word = Load<uint64_t>(a);
        Store(a, value != 0 ? word | mask : word & ~mask);
        node->m_nFormat = value != 0 ? 0 : 1;
    } else if (*op == QELCONV_COMPARE) {
        if ((Load<uint64_t>(*static_cast<void **>(a)) & mask) != (Load<uint64_t>(*static_cast<void **>(b)) & mask))
            *op = QELCONV_DIFFERS;
    } else if (*op == QELCONV_MERGE) {
        std::memcpy(b, a, 8);
    }
}

void QelCompareMemory(LONG *op, CString &, void *a, void *b, CQelBasicVarNode *node)
{
    if (*op != QELCONV_COMPARE)
        return;
    const BYTE *left = *static_cast<BYTE **>(a);
    const BYTE *right = *static_cast<BYTE **>(b);
    if (left != nullptr && right != nullptr && std::memcmp(left, right, node->GetSize()) != 0)
        *op = QELCONV_DIFFERS;
}
