// The call-frame table of DWARF 2 section 6.4 and DWARF 3 section 6.4, CFA column only.
#include "dwarfcallframes.h"

#include "datacursor.h"

#include <algorithm>

namespace {

const DWORD kCieId = 0xFFFFFFFF; // a CIE's id in ".debug_frame" (".eh_frame" uses 0)

struct CfaState {
    DWORD registerNumber = 0;
    LONG offset = 0;
    bool known = false; // false until defined, and after a CFA expression
};

struct CommonEntry {
    DWORD codeAlignment = 1;
    LONG dataAlignment = 1;
    const BYTE *instructions = nullptr;
    size_t length = 0;
};

// A factored offset; a damaged factor wraps as the target's 32-bit arithmetic would.
LONG Factored(int64_t value, LONG factor)
{
    return static_cast<LONG>(static_cast<DWORD>(value) * static_cast<DWORD>(factor));
}

// The CIE at `offset`; false when it is none or is of a form this reader does not read.
bool ReadCommonEntry(const BYTE *frames, size_t size, bool bigEndian, DWORD offset, CommonEntry &cie)
{
    CDataCursor cursor(frames, size, bigEndian);
    if (!cursor.Seek(offset))
        return false;
    const DWORD length = cursor.ReadU32();
    if (length == 0xFFFFFFFF || length < 4 || length > cursor.GetRemaining())
        return false;
    CDataCursor entry = cursor.ReadSubCursor(length);
    if (entry.ReadU32() != kCieId)
        return false;
    const BYTE version = entry.ReadU8();
    if (version != 1 && version != 3 && version != 4)
        return false;
    if (*entry.ReadString() != '\0')
        return false;
    if (version == 4)
        entry.Skip(2); // address and segment selector sizes
    cie.codeAlignment = static_cast<DWORD>(entry.ReadULEB128());
    cie.dataAlignment = static_cast<LONG>(entry.ReadSLEB128());
    if (version == 1)
        entry.ReadU8();
    else
        entry.ReadULEB128();
    if (!entry)
        return false;
    cie.instructions = entry.GetPosition();
    cie.length = entry.GetRemaining();
    return true;
}

// Runs the instructions from `location` on, calling `emit(begin, end, state)` each time
// the location advances; false at an instruction it does not know or that cannot be read.
template <class Emit>
bool RunInstructions(CDataCursor cursor, const CommonEntry &cie, BYTE addressSize, DWORD &location,
                     CfaState &state, std::vector<CfaState> &remembered, Emit emit)
{
    auto advance = [&](uint64_t delta) {
        const DWORD next = location + static_cast<DWORD>(delta * cie.codeAlignment);
        emit(location, next, state);
        location = next;
    };
    while (!cursor.AtEnd()) {
        const BYTE op = cursor.ReadU8();
        switch (op >> 6) {
        case 1:
            advance(op & 0x3F);
            continue;
        case 2:
            cursor.ReadULEB128(); // DW_CFA_offset
            continue;
        case 3:
            continue; // DW_CFA_restore
        }
        switch (op) {
        case 0x00: // nop
            break;
        case 0x01: { // set_loc
            const DWORD next = static_cast<DWORD>(cursor.ReadUnsigned(addressSize));
            emit(location, next, state);
            location = next;
            break;
        }
        case 0x02:
            advance(cursor.ReadU8());
            break;
        case 0x03:
            advance(cursor.ReadU16());
            break;
        case 0x04:
            advance(cursor.ReadU32());
            break;
        case 0x05: // offset_extended
        case 0x09: // register
        case 0x14: // val_offset
        case 0x2F: // GNU_negative_offset_extended
            cursor.ReadULEB128();
            cursor.ReadULEB128();
            break;
        case 0x06: // restore_extended
        case 0x07: // undefined
        case 0x08: // same_value
        case 0x2E: // GNU_args_size
            cursor.ReadULEB128();
            break;
        case 0x11: // offset_extended_sf
        case 0x15: // val_offset_sf
            cursor.ReadULEB128();
            cursor.ReadSLEB128();
            break;
        case 0x0A: // remember_state
            if (remembered.size() >= 64)
                return false;
            remembered.push_back(state);
            break;
        case 0x0B: // restore_state
            if (remembered.empty())
                return false;
            state = remembered.back();
            remembered.pop_back();
            break;
        case 0x0C: // def_cfa
            state.registerNumber = static_cast<DWORD>(cursor.ReadULEB128());
            state.offset = static_cast<LONG>(cursor.ReadULEB128());
            state.known = true;
            break;
        case 0x0D: // def_cfa_register
            state.registerNumber = static_cast<DWORD>(cursor.ReadULEB128());
            break;
        case 0x0E: // def_cfa_offset
            state.offset = static_cast<LONG>(cursor.ReadULEB128());
            break;
        case 0x12: // def_cfa_sf
            state.registerNumber = static_cast<DWORD>(cursor.ReadULEB128());
            state.offset = Factored(cursor.ReadSLEB128(), cie.dataAlignment);
            state.known = true;
            break;
        case 0x13: // def_cfa_offset_sf
            state.offset = Factored(cursor.ReadSLEB128(), cie.dataAlignment);
            break;
        case 0x0F: // def_cfa_expression
            state.known = false;
            cursor.Skip(static_cast<size_t>(cursor.ReadULEB128()));
            break;
        case 0x10: // expression
        case 0x16: // val_expression
            cursor.ReadULEB128();
            cursor.Skip(static_cast<size_t>(cursor.ReadULEB128()));
            break;
        default:
            return false;
        }
        if (!cursor)
            return false;
    }
    return !cursor.HasFailed();
}

} // namespace

std::vector<DwarfCfaRule> ReadDwarfCfaRules(const BYTE *frames, size_t size, bool bigEndian, BYTE addressSize,
                                            DWORD low, DWORD high)
{
    std::vector<DwarfCfaRule> rules;
    if (frames == nullptr || (addressSize != 2 && addressSize != 4) || low >= high)
        return rules;
    CDataCursor cursor(frames, size, bigEndian);
    while (cursor.GetRemaining() >= 4) {
        const DWORD length = cursor.ReadU32();
        if (length == 0xFFFFFFFF || length > cursor.GetRemaining())
            break;
        CDataCursor entry = cursor.ReadSubCursor(length);
        const DWORD cieOffset = entry.ReadU32();
        if (cieOffset == kCieId)
            continue;
        const DWORD start = static_cast<DWORD>(entry.ReadUnsigned(addressSize));
        const DWORD range = static_cast<DWORD>(entry.ReadUnsigned(addressSize));
        if (!entry || low < start || low - start >= range)
            continue;
        CommonEntry cie;
        if (!ReadCommonEntry(frames, size, bigEndian, cieOffset, cie))
            return rules;
        const DWORD end = start + range;
        auto emit = [&](DWORD begin, DWORD until, const CfaState &state) {
            begin = std::max(begin, low);
            until = std::min(until, std::min(end, high));
            if (!state.known || begin >= until)
                return;
            if (!rules.empty() && rules.back().end == begin && rules.back().registerNumber == state.registerNumber &&
                rules.back().offset == state.offset) {
                rules.back().end = until;
                return;
            }
            rules.push_back(DwarfCfaRule{begin, until, state.registerNumber, state.offset});
        };
        DWORD location = start;
        CfaState state;
        std::vector<CfaState> remembered;
        // The CIE's instructions give the state at the entry's start, where nothing is
        // emitted yet: they do not advance the location.
        if (!RunInstructions(CDataCursor(cie.instructions, cie.length, bigEndian), cie, addressSize, location, state,
                             remembered, [](DWORD, DWORD, const CfaState &) {}) ||
            location != start ||
            !RunInstructions(entry, cie, addressSize, location, state, remembered, emit)) {
            rules.clear();
            return rules;
        }
        emit(location, end, state);
        return rules;
    }
    return rules;
}
