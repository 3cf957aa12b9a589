#include "dwarf1types.h"

#include <packedindex.h>

#include "demangler.h"

#include <algorithm>

namespace {

const UINT DEMANGLED_SIZE = 1024;
const int MAX_NAME = 254;

} // namespace

const std::vector<Dwarf1FundamentalType> &Dwarf1FundamentalTypes()
{
    static const std::vector<Dwarf1FundamentalType> table = {
        {"char", 8, 0x1, 0x3FFFF},
        {"signed char", 8, 0x2, 0x3FFFE},
        {"unsigned char", 8, 0x3, 0x3FFFD},
        {"short", 16, 0x4, 0x3FFFC},
        {"signed short", 16, 0x5, 0x3FFFB},
        {"unsigned short", 16, 0x6, 0x3FFFA},
        {"int", 32, 0x7, 0x3FFF9},
        {"signed int", 32, 0x8, 0x3FFF8},
        {"unsigned int", 32, 0x9, 0x3FFF7},
        {"long", 32, 0xa, 0x3FFF6},
        {"signed long", 32, 0xb, 0x3FFF5},
        {"unsigned long", 32, 0xc, 0x3FFF4},
        {"float", 32, 0xe, 0x3FFF2},
        {"double", 64, 0xf, 0x3FFF1},
        {"void", 0, 0x14, DWARF1_VOID_TYPE},
        {"unsigned char", 8, 0x15, 0x3FFEB},
        {"_sfract", 16, 0x8e01, 0x3FFE7},
        {"_fract", 32, 0x8e02, 0x3FFE6},
        {"_accum", 64, 0x8e03, 0x3FFE5},
        {"_packb", 32, 0x8e04, 0x3FFE4},
        {"unsigned _packb", 32, 0x8e05, 0x3FFE3},
        {"_packhw", 32, 0x8e06, 0x3FFE2},
        {"unsigned _packhw", 32, 0x8e07, 0x3FFE1},
        {"long long", 64, 0x8008, 0x3FFD7},
        {"unsigned long long", 64, 0x8208, 0x3FFD6},
    };
    return table;
}

namespace {

const Dwarf1FundamentalType *FindFundamental(DWORD code)
{
    const std::vector<Dwarf1FundamentalType> &table = Dwarf1FundamentalTypes();
    auto found = std::find_if(table.begin(), table.end(), [&](const Dwarf1FundamentalType &t) { return t.code == code; });
    return found != table.end() ? &*found : nullptr;
}

} // namespace

LONG Dwarf1FundamentalNumber(DWORD code)
{
    const Dwarf1FundamentalType *type = FindFundamental(code);
    return type != nullptr ? type->number : 0;
}

LPCSTR Dwarf1FundamentalName(DWORD code)
{
    const Dwarf1FundamentalType *type = FindFundamental(code);
    return type != nullptr ? type->name : "";
}

bool IsDwarf1SignedType(DWORD code)
{
    switch (code) {
    case 0x2:
    case 0x4:
    case 0x5:
    case 0x7:
    case 0x8:
    case 0xa:
    case 0xb:
    case 0x8008:
        return true;
    default:
        return false;
    }
}

LONG Dwarf1TypeNumber(const Dwarf1Type &type, DWORD entryInUnit, DWORD unitStart, DWORD unitEnd,
                      std::vector<Dwarf1PointerRow> *pointers)
{
    if (!type.present)
        return kNoIndex;
    LONG number;
    if (!type.user)
        number = Dwarf1FundamentalNumber(type.value);
    else if (type.value >= unitStart && type.value < unitEnd)
        number = static_cast<LONG>(type.value - unitStart);
    else
        return kNoIndex;
    LONG next = static_cast<LONG>(entryInUnit);
    for (auto modifier = type.modifiers.rbegin(); modifier != type.modifiers.rend(); ++modifier) {
        if (*modifier != DWARF1_MOD_POINTER_TO)
            continue;
        ++next;
        if (pointers != nullptr)
            pointers->push_back({next, number});
        number = next;
    }
    return number;
}

CString Dwarf1Name(LPCSTR name, DWORD language)
{
    if (language != DWARF1_LANG_C_PLUS_PLUS || name == nullptr || *name == '\0')
        return name;
    char buffer[DEMANGLED_SIZE];
    int error = 0, overflow = 0;
    UINT required = 0;
    DecodeIdentifier(name, buffer, sizeof buffer, &error, &overflow, &required);
    return !error && buffer[0] != '\0' ? CString(buffer) : CString(name);
}

bool IsDwarf1Function(const Dwarf1EntryValues &entry, DWORD language)
{
    return entry.hasLow && !Dwarf1Name(entry.name, language).IsEmpty();
}

CString CutDwarf1Name(const CString &name)
{
    return name.GetLength() > MAX_NAME ? name.Left(MAX_NAME) : name;
}
