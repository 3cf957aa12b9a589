// ARM and Thumb code in ARM programs.
//
// Older ARM tool chains mark a Thumb function with the symbol type STT_ARM_TFUNC; EABI
// tool chains give it STT_FUNC with bit 0 of the value set, and add the mapping symbols
// "$a", "$t" and "$d" where ARM code, Thumb code and data begin. Both are honoured: a
// piece of code ends where the other instruction set begins, so that each piece can be
// downloaded as what it is. "$d" ends nothing, else every literal pool would make a
// piece of its own.

#include "elfsections.h"

#include <algorithm>

namespace {

// 'a', 't' or 'd' for a mapping symbol ("$a", or "$a.<anything>"), else 0.
char MappingSymbolKind(LPCSTR name)
{
    if (name == nullptr || name[0] != '$' || (name[1] != 'a' && name[1] != 't' && name[1] != 'd'))
        return 0;
    return name[2] == '\0' || name[2] == '.' ? name[1] : 0;
}

} // namespace

void CELFSections::CollectArmSymbols(int section)
{
    const CElfImage &image = GetImage();
    DWORD count = image.GetSymbolCount(static_cast<UINT>(section));
    for (DWORD n = 0; n < count; ++n) {
        ELF_SYMBOL symbol;
        image.GetSymbol(static_cast<UINT>(section), n, &symbol);
        if (symbol.st_shndx == 0)
            continue; // undefined: it has no address here
        BYTE type = ElfSymbolType(symbol.st_info);
        char mapping = type == STT_NOTYPE ? MappingSymbolKind(image.GetSymbolName(static_cast<UINT>(section), symbol)) : 0;
        DWORD address = symbol.st_value;
        if (mapping == 'a' || (type == STT_FUNC && (address & 1) == 0)) {
            m_codeModeMarks.emplace_back(address, FALSE);
            m_thumbCodeCuts.push_back(address);
        } else if (mapping == 't' || type == STT_ARM_TFUNC || (type == STT_FUNC && (address & 1) != 0)) {
            address &= ~1u;
            m_codeModeMarks.emplace_back(address, TRUE);
            m_armCodeCuts.push_back(address);
        } else if (mapping == 0 && type == STT_NOTYPE && ElfSymbolBinding(symbol.st_info) == STB_GLOBAL) {
            m_thumbCodeCuts.push_back(address);
        }
    }
    // By address; where marks meet at one address a Thumb mark counts, as the last.
    std::stable_sort(m_codeModeMarks.begin(), m_codeModeMarks.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first || (a.first == b.first && !a.second && b.second); });
    std::sort(m_armCodeCuts.begin(), m_armCodeCuts.end());
    std::sort(m_thumbCodeCuts.begin(), m_thumbCodeCuts.end());
}

BOOL CELFSections::IsThumbCode(DWORD address) const
{
    if (!IsArm())
        return FALSE;
    auto after = std::upper_bound(m_codeModeMarks.begin(), m_codeModeMarks.end(), address,
                                  [](DWORD value, const auto &mark) { return value < mark.first; });
    return after != m_codeModeMarks.begin() && std::prev(after)->second;
}

DWORD CELFSections::GetArmCodeLength(DWORD address, DWORD length) const
{
    if (!IsArm())
        return length;
    const std::vector<DWORD> &cuts = IsThumbCode(address) ? m_thumbCodeCuts : m_armCodeCuts;
    auto cut = std::upper_bound(cuts.begin(), cuts.end(), address);
    if (cut != cuts.end() && *cut - address <= length)
        return *cut - address;
    return length;
}
