// The answers of readelf and gdb about the ARM programs of testdata/firmware, read back
// from the text those tools printed, so that tests can hold the symbol database against
// them. Only what the tests compare is parsed; a line of another form is passed over.
#pragma once

#include <testing/buildpaths.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace firmwareoracle {

inline std::string FirmwarePath(const std::string &program, const std::string &suffix)
{
    return std::string(kQelSourceDir) + "/testdata/firmware/" + program + suffix;
}

inline std::vector<std::string> ReadLines(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline std::string Trim(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

inline bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "0x1c", "28" or "-3", as readelf and gdb print numbers.
inline long Number(const std::string &text)
{
    return std::strtol(text.c_str(), nullptr, 0);
}

// One operation of a location expression as readelf prints it inside parentheses:
// "DW_OP_fbreg: -24", "DW_OP_reg3 (r3)", "DW_OP_breg13 (r13): 8", "DW_OP_addr: 40000018",
// "DW_OP_plus_uconst: 4".
struct Operation {
    std::string name; // "DW_OP_reg", "DW_OP_breg" with the register apart
    int reg = -1;
    long value = 0;
};

inline Operation ParseOperation(const std::string &text)
{
    Operation op;
    const size_t colon = text.find(": ");
    std::string head = text.substr(0, text.find_first_of(" :"));
    for (const char *family : {"DW_OP_breg", "DW_OP_reg"}) {
        if (StartsWith(head, family) && head.size() > std::string(family).size() &&
            isdigit(static_cast<unsigned char>(head[std::string(family).size()]))) {
            op.reg = std::atoi(head.c_str() + std::string(family).size());
            head = family;
            break;
        }
    }
    op.name = head;
    if (colon != std::string::npos)
        op.value = op.name == "DW_OP_addr" ? std::strtol(text.c_str() + colon + 2, nullptr, 16)
                                           : Number(text.substr(colon + 2));
    return op;
}

// A debugging entry of `readelf --debug-dump=info`: offsets are those of .debug_info.
struct DwarfEntry {
    unsigned offset = 0;
    int depth = 0;
    std::string tag; // "DW_TAG_member"
    int parent = -1; // index in the unit's entries
    std::vector<int> children;
    std::vector<std::pair<std::string, std::string>> attributes; // name, the text after ": "

    const std::string *Find(const std::string &name) const
    {
        for (const auto &attribute : attributes)
            if (attribute.first == name)
                return &attribute.second;
        return nullptr;
    }
    bool Has(const std::string &name) const { return Find(name) != nullptr; }
    long Value(const std::string &name) const { return Number(*Find(name)); }
    // A string attribute, direct or of .debug_str.
    std::string Text(const std::string &name) const
    {
        const std::string *value = Find(name);
        if (value == nullptr)
            return "";
        if (StartsWith(*value, "(indirect string"))
            return value->substr(value->find("): ") + 3);
        return *value;
    }
    // A reference "<0x36>": the referenced entry's .debug_info offset.
    unsigned Reference(const std::string &name) const
    {
        return static_cast<unsigned>(std::strtoul(Find(name)->c_str() + 1, nullptr, 16));
    }
    bool IsLocationList(const std::string &name) const
    {
        const std::string *value = Find(name);
        return value != nullptr && value->find("(location list)") != std::string::npos;
    }
    // The operations of a location block, in order.
    std::vector<Operation> Block(const std::string &name) const
    {
        std::vector<Operation> ops;
        const std::string *value = Find(name);
        if (value == nullptr || value->find("byte block") == std::string::npos)
            return ops;
        const size_t open = value->find('(');
        const size_t close = value->rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            return ops;
        std::string list = value->substr(open + 1, close - open - 1);
        size_t start = 0;
        while (start < list.size()) {
            size_t end = list.find("; ", start);
            if (end == std::string::npos)
                end = list.size();
            ops.push_back(ParseOperation(list.substr(start, end - start)));
            start = end + 2;
        }
        return ops;
    }
};

struct DwarfUnit {
    unsigned offset = 0;
    std::vector<DwarfEntry> entries; // null entries left out; entries[0] is the unit

    const DwarfEntry *At(unsigned offset) const
    {
        for (const DwarfEntry &entry : entries)
            if (entry.offset == offset)
                return &entry;
        return nullptr;
    }
};

inline std::vector<DwarfUnit> ReadInfoDump(const std::string &path)
{
    std::vector<DwarfUnit> units;
    std::vector<int> open; // by depth, the entry that children of the next depth hang from
    for (const std::string &line : ReadLines(path)) {
        const std::string text = Trim(line);
        if (StartsWith(text, "Compilation Unit @ offset ")) {
            units.emplace_back();
            units.back().offset = static_cast<unsigned>(Number(text.substr(26)));
            open.clear();
            continue;
        }
        if (units.empty() || text.empty() || text[0] != '<')
            continue;
        const size_t close = text.find('>');
        if (text.compare(close + 1, 1, "<") == 0) {
            // " <1><25>: Abbrev Number: 2 (DW_TAG_typedef)"
            const int depth = std::atoi(text.c_str() + 1);
            const unsigned offset = static_cast<unsigned>(std::strtoul(text.c_str() + close + 2, nullptr, 16));
            const size_t tag = text.find("(DW_TAG_");
            if (tag == std::string::npos)
                continue; // a null entry
            DwarfUnit &unit = units.back();
            DwarfEntry entry;
            entry.offset = offset;
            entry.depth = depth;
            entry.tag = text.substr(tag + 1, text.find(')', tag) - tag - 1);
            open.resize(depth + 1);
            entry.parent = depth > 0 ? open[depth - 1] : -1;
            open[depth] = static_cast<int>(unit.entries.size());
            if (entry.parent >= 0)
                unit.entries[entry.parent].children.push_back(open[depth]);
            unit.entries.push_back(entry);
        } else {
            // "<26>   DW_AT_name        : (indirect string, offset: 0x13b): int32_t"
            const size_t colon = text.find(':', close);
            if (colon == std::string::npos || units.back().entries.empty())
                continue;
            const std::string name = Trim(text.substr(close + 1, colon - close - 1));
            std::string value = Trim(text.substr(colon + 1));
            units.back().entries.back().attributes.emplace_back(name, value);
        }
    }
    return units;
}

// `readelf --debug-dump=loc`: the ranges of each list, by the list's .debug_loc offset.
struct LocationRange {
    unsigned begin = 0, end = 0;
    Operation operation;
};

inline std::map<unsigned, std::vector<LocationRange>> ReadLocDump(const std::string &path)
{
    std::map<unsigned, std::vector<LocationRange>> lists;
    bool inList = false;
    unsigned list = 0;
    for (const std::string &line : ReadLines(path)) {
        std::istringstream fields(line);
        std::string offset, begin, end;
        if (!(fields >> offset >> begin) || offset.find_first_not_of("0123456789abcdef") != std::string::npos)
            continue;
        if (begin == "<End") {
            inList = false;
            continue;
        }
        fields >> end;
        if (!inList) {
            list = static_cast<unsigned>(std::strtoul(offset.c_str(), nullptr, 16));
            lists[list];
            inList = true;
        }
        std::string rest;
        std::getline(fields, rest);
        rest = Trim(rest);
        LocationRange range;
        range.begin = static_cast<unsigned>(std::strtoul(begin.c_str(), nullptr, 16));
        range.end = static_cast<unsigned>(std::strtoul(end.c_str(), nullptr, 16));
        if (rest.size() > 2 && rest.front() == '(')
            range.operation = ParseOperation(rest.substr(1, rest.rfind(')') - 1));
        lists[list].push_back(range);
    }
    return lists;
}

// `readelf --debug-dump=decodedline`: each unit's rows; an end of sequence has line -1.
struct LineRow {
    std::string file;
    long line = 0;
    unsigned address = 0;
};

struct LineTable {
    std::string unit;
    std::vector<LineRow> rows;
};

inline std::vector<LineTable> ReadDecodedLines(const std::string &path)
{
    std::vector<LineTable> tables;
    for (const std::string &line : ReadLines(path)) {
        if (StartsWith(line, "CU: ")) {
            tables.emplace_back();
            tables.back().unit = line.substr(4, line.size() - 5);
            continue;
        }
        std::istringstream fields(line);
        std::string file, number, address;
        if (tables.empty() || !(fields >> file >> number >> address) || !StartsWith(address, "0x"))
            continue;
        LineRow row;
        row.file = file;
        row.line = number == "-" ? -1 : Number(number);
        row.address = static_cast<unsigned>(std::strtoul(address.c_str(), nullptr, 16));
        tables.back().rows.push_back(row);
    }
    return tables;
}

// `readelf -s`: the symbol table's entries.
struct ElfSymbol {
    unsigned value = 0;
    unsigned size = 0;
    std::string type, bind, section, name;
};

inline std::vector<ElfSymbol> ReadSymbolDump(const std::string &path)
{
    std::vector<ElfSymbol> symbols;
    for (const std::string &line : ReadLines(path)) {
        std::istringstream fields(line);
        std::string number, value, visibility;
        ElfSymbol symbol;
        if (!(fields >> number >> value >> symbol.size >> symbol.type >> symbol.bind >> visibility >> symbol.section) ||
            number.back() != ':')
            continue;
        fields >> symbol.name;
        symbol.value = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 16));
        symbols.push_back(symbol);
    }
    return symbols;
}

// `readelf -S -W`: the section headers.
struct ElfSection {
    std::string name, type, flags;
    unsigned address = 0, size = 0;
};

inline std::vector<ElfSection> ReadSectionHeaders(const std::string &path)
{
    std::vector<ElfSection> sections;
    for (const std::string &line : ReadLines(path)) {
        // "  [ 1] .text             PROGBITS        00080000 001000 000720 00  AX  0   0  8"
        const size_t close = line.find("] ");
        if (Trim(line).compare(0, 1, "[") != 0 || close == std::string::npos)
            continue;
        std::istringstream fields(line.substr(close + 2));
        ElfSection section;
        std::string address, offset, size, entrySize;
        if (!(fields >> section.name >> section.type >> address >> offset >> size >> entrySize))
            continue; // the null section has no name
        std::string rest;
        std::getline(fields, rest);
        std::istringstream more(rest);
        std::vector<std::string> words;
        for (std::string word; more >> word;)
            words.push_back(word);
        if (words.size() == 4) // flags, link, info, alignment
            section.flags = words[0];
        section.address = static_cast<unsigned>(std::strtoul(address.c_str(), nullptr, 16));
        section.size = static_cast<unsigned>(std::strtoul(size.c_str(), nullptr, 16));
        sections.push_back(section);
    }
    return sections;
}

// One line of gdb's `info line`: "Line 20 of "board.c" starts at address 0x80010 <f+16>
// and ends at 0x80014 <f+20>." or "Line 31 of "board.c" is at address 0x80078 <f+28> but
// contains no code." (then end == start).
struct GdbLineRange {
    long line = 0;
    std::string file;
    unsigned start = 0, end = 0;
};

inline bool ParseGdbLine(const std::string &text, GdbLineRange *range)
{
    if (!StartsWith(text, "Line "))
        return false;
    const size_t open = text.find(" of \"");
    const size_t close = open == std::string::npos ? open : text.find('"', open + 5);
    const size_t at = close == std::string::npos ? close : text.find(" address 0x", close);
    if (at == std::string::npos)
        return false;
    range->line = std::atol(text.c_str() + 5);
    range->file = text.substr(open + 5, close - open - 5);
    range->file = range->file.substr(range->file.find_last_of('/') + 1);
    range->start = static_cast<unsigned>(std::strtoul(text.c_str() + at + 9, nullptr, 16));
    const size_t ends = text.find(" and ends at 0x", at);
    range->end = ends == std::string::npos ? range->start
                                           : static_cast<unsigned>(std::strtoul(text.c_str() + ends + 13, nullptr, 16));
    return true;
}

// The gdb answers: each command with the lines it printed, in the order asked.
using GdbAnswers = std::vector<std::pair<std::string, std::vector<std::string>>>;

inline GdbAnswers ReadGdbAnswers(const std::string &path)
{
    GdbAnswers answers;
    for (const std::string &line : ReadLines(path)) {
        if (StartsWith(line, "### "))
            answers.emplace_back(line.substr(4), std::vector<std::string>());
        else if (!answers.empty())
            answers.back().second.push_back(line);
    }
    return answers;
}

// gdb's register names of ARM.
inline int GdbRegister(const std::string &name)
{
    if (name == "$sp")
        return 13;
    if (name == "$lr")
        return 14;
    if (name == "$pc")
        return 15;
    if (name == "$ip")
        return 12;
    if (name == "$fp")
        return 11;
    if (StartsWith(name, "$r"))
        return std::atoi(name.c_str() + 2);
    return -1;
}

} // namespace firmwareoracle
