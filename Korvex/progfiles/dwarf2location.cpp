// Location expressions and location lists of DWARF 2.
//
// The readers need a place, not a stack machine: a variable is at an address, in a
// register, or at an offset from a register or from the function's frame base. So each
// operator updates one address triple (mode, value, third word), and the last operator
// that names a place decides it:
//
//   DW_OP_addr a                   (1, a, 0)          absolute address
//   DW_OP_reg0..31, DW_OP_regx r   (3, r, 0)          in register r
//   DW_OP_breg0..31 r, DW_OP_bregx (2, offset, r)     register r plus a signed offset
//   DW_OP_fbreg offset             (2, offset, -1)    frame base plus offset; -1 stands for
//                                                     the frame base, which the function's
//                                                     DW_AT_frame_base gives
//   DW_OP_plus_uconst u            constant u; the triple's value grows by u, and an
//                                  expression that named no place yet becomes (0, u, 0),
//                                  a plain value, as a member's offset is
//   DW_OP_lit0..31, DW_OP_const*   constant c; (0, c, 0) when no place was named yet
//
//   DW_OP_call_frame_cfa           no place; the frame base of a DWARF 3 function, which
//                                  its call-frame information gives
//
// Every other operator is stepped over by its operands. A vendor operator (0xE0-0xFF)
// counts as DW_OP_user_defined; since its operands are unknown, decoding stops there, as it
// does at any operator this table does not know.
#include "dwarf2entries.h"

#include "dumpnames.h"
#include "dwarf2codes.h"

namespace {

const DWORD NO_PLACE = 0xFFFFFFFF;

bool HasPlace(const Dwarf2Location &location)
{
    return location.place.AddressMode != NO_PLACE;
}

void SetConstant(Dwarf2Location &location, DWORD value)
{
    location.constant = value;
    if (!HasPlace(location))
        location.place = CAddressValue(value, 0, 0);
}

// The operators without operands that a producer may write; anything else that is not
// listed in DecodeDwarf2Location is unknown.
bool HasNoOperands(BYTE op)
{
    return op == 0x06 || (op >= 0x12 && op <= 0x14) || (op >= 0x16 && op <= 0x27 && op != DW_OP_plus_uconst) ||
           (op >= 0x29 && op <= 0x2E) || op == DW_OP_nop || op == DW_OP_push_object_address ||
           op == DW_OP_call_frame_cfa;
}

} // namespace

Dwarf2Location DecodeDwarf2Location(const BYTE *block, size_t length, BYTE addressSize, bool bigEndian, CString *text)
{
    Dwarf2Location location;
    CDataCursor cursor(block, length, bigEndian);
    CString words;
    while (!cursor.AtEnd()) {
        BYTE op = cursor.ReadU8();
        if (op >= DW_OP_lo_user)
            op = DW_OP_user_defined;
        location.lastOperator = op;
        location.unsignedOperand = 0;
        location.signedOperand = 0;
        location.secondSignedOperand = 0;
        // Naming the operators costs more than decoding them; only the dump wants words.
        CString name = text != nullptr ? ValueName(g_dwarfOperationNames, op) : CString();
        CString operands;
        if (op == DW_OP_addr) {
            DWORD address = static_cast<DWORD>(cursor.ReadUnsigned(addressSize));
            location.unsignedOperand = address;
            location.place = CAddressValue(address, 1, 0);
            operands.Format(" (%#x)", address);
        } else if (op >= DW_OP_reg0 && op <= DW_OP_reg31) {
            location.registerNumber = op - DW_OP_reg0;
            location.place = CAddressValue(location.registerNumber, 3, 0);
        } else if (op == DW_OP_regx) {
            location.unsignedOperand = static_cast<DWORD>(cursor.ReadULEB128());
            location.registerNumber = location.unsignedOperand;
            location.place = CAddressValue(location.registerNumber, 3, 0);
            operands.Format(" (%u)", location.unsignedOperand);
        } else if (op >= DW_OP_breg0 && op <= DW_OP_breg31) {
            location.signedOperand = static_cast<LONG>(cursor.ReadSLEB128());
            location.registerNumber = op - DW_OP_breg0;
            location.place = CAddressValue(static_cast<DWORD>(location.signedOperand), 2, location.registerNumber);
            operands.Format(" (%d)", location.signedOperand);
        } else if (op == DW_OP_bregx) {
            location.unsignedOperand = static_cast<DWORD>(cursor.ReadULEB128());
            location.signedOperand = static_cast<LONG>(cursor.ReadSLEB128());
            location.registerNumber = location.unsignedOperand;
            location.place = CAddressValue(static_cast<DWORD>(location.signedOperand), 2, location.registerNumber);
            operands.Format(" (%u %d)", location.unsignedOperand, location.signedOperand);
        } else if (op == DW_OP_fbreg) {
            location.signedOperand = static_cast<LONG>(cursor.ReadSLEB128());
            location.place = CAddressValue(static_cast<DWORD>(location.signedOperand), 2, NO_PLACE);
            operands.Format(" (%d)", location.signedOperand);
        } else if (op == DW_OP_plus_uconst) {
            location.unsignedOperand = static_cast<DWORD>(cursor.ReadULEB128());
            location.constant = location.unsignedOperand;
            if (HasPlace(location))
                location.place.AddressValue += location.unsignedOperand;
            else
                location.place = CAddressValue(location.unsignedOperand, 0, 0);
            operands.Format(" (%u)", location.unsignedOperand);
        } else if (op >= DW_OP_lit0 && op <= DW_OP_lit31) {
            SetConstant(location, op - DW_OP_lit0);
        } else if (op >= DW_OP_const1u && op <= DW_OP_const8s) {
            static const BYTE sizes[] = {1, 1, 2, 2, 4, 4, 8, 8};
            BYTE size = sizes[op - DW_OP_const1u];
            uint64_t raw = cursor.ReadUnsigned(size);
            bool isSigned = ((op - DW_OP_const1u) & 1) != 0;
            if (isSigned && size < 8 && (raw >> (size * 8 - 1)) != 0)
                raw |= ~uint64_t(0) << (size * 8);
            if (isSigned) {
                location.signedOperand = static_cast<LONG>(raw);
                operands.Format(" (%d)", location.signedOperand);
            } else {
                location.unsignedOperand = static_cast<DWORD>(raw);
                operands.Format(" (%u)", location.unsignedOperand);
            }
            SetConstant(location, static_cast<DWORD>(raw));
        } else if (op == DW_OP_constu) {
            location.unsignedOperand = static_cast<DWORD>(cursor.ReadULEB128());
            SetConstant(location, location.unsignedOperand);
            operands.Format(" (%u)", location.unsignedOperand);
        } else if (op == DW_OP_consts) {
            location.signedOperand = static_cast<LONG>(cursor.ReadSLEB128());
            SetConstant(location, static_cast<DWORD>(location.signedOperand));
            operands.Format(" (%d)", location.signedOperand);
        } else if (op == DW_OP_pick || op == DW_OP_deref_size || op == DW_OP_xderef_size) {
            location.unsignedOperand = cursor.ReadU8();
            operands.Format(" (%u)", location.unsignedOperand);
        } else if (op == DW_OP_skip || op == DW_OP_bra) {
            location.signedOperand = static_cast<short>(cursor.ReadU16());
            operands.Format(" (%d)", location.signedOperand);
        } else if (op == DW_OP_piece) {
            location.unsignedOperand = static_cast<DWORD>(cursor.ReadULEB128());
            operands.Format(" (%u)", location.unsignedOperand);
        } else if (op == DW_OP_call2) {
            location.unsignedOperand = cursor.ReadU16();
            operands.Format(" (%x)", location.unsignedOperand);
        } else if (op == DW_OP_call4 || op == DW_OP_call_ref) {
            location.unsignedOperand = cursor.ReadU32();
            operands.Format(" (%x)", location.unsignedOperand);
        } else if (!HasNoOperands(op)) {
            location.complete = false;
            if (text != nullptr)
                words += (words.IsEmpty() ? "" : " ") + name;
            break;
        }
        if (!cursor) {
            location.complete = false;
            break;
        }
        if (text != nullptr)
            words += (words.IsEmpty() ? "" : " ") + name + operands;
    }
    if (text != nullptr)
        *text = words;
    return location;
}

bool ReadDwarf2LocationList(const BYTE *loc, size_t locSize, DWORD offset, BYTE addressSize, bool bigEndian,
                            DWORD base, std::vector<Dwarf2LocationListEntry> *entries, CString *text)
{
    CDataCursor cursor(loc, locSize, bigEndian);
    if (!cursor.Seek(offset))
        return false;
    const uint64_t baseSelection = addressSize >= 8 ? ~uint64_t(0) : (uint64_t(1) << (addressSize * 8)) - 1;
    CString words;
    for (;;) {
        uint64_t begin = cursor.ReadUnsigned(addressSize);
        uint64_t end = cursor.ReadUnsigned(addressSize);
        if (!cursor)
            break;
        if (begin == 0 && end == 0) {
            if (text != nullptr)
                *text = words;
            return true;
        }
        if (begin == baseSelection) {
            base = static_cast<DWORD>(end);
            continue;
        }
        WORD length = cursor.ReadU16();
        const BYTE *expression = cursor.ReadBlock(length);
        if (expression == nullptr)
            break;
        Dwarf2LocationListEntry entry;
        entry.begin = base + static_cast<DWORD>(begin);
        entry.end = base + static_cast<DWORD>(end);
        CString operations;
        entry.location =
            DecodeDwarf2Location(expression, length, addressSize, bigEndian, text != nullptr ? &operations : nullptr);
        entries->push_back(entry);
        if (text != nullptr) {
            CString line;
            line.Format("%#x, %#x, %s; ", entry.begin, entry.end, static_cast<LPCSTR>(operations));
            words += line;
        }
    }
    if (text != nullptr)
        *text = words;
    return false;
}
