#include "sfrdescription.h"

#include "sfrnumber.h"

#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

namespace {

struct Refusal {
    int line;
    std::string reason;
};

[[noreturn]] void Refuse(int line, std::string reason)
{
    throw Refusal{line, std::move(reason)};
}

std::string Trimmed(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Reads the description record by record; the line counts from 1.
class Reader {
public:
    Reader(const char *data, size_t size) : m_data(data), m_end(data + size) {}

    bool AtEnd() const { return m_data == m_end; }
    int Line() const { return m_line; }

    // The line from here to its end, without its end, which is passed.
    std::string TakeLine()
    {
        const char *start = m_data;
        while (m_data < m_end && *m_data != '\n')
            ++m_data;
        std::string line(start, m_data);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (m_data < m_end) {
            ++m_data;
            ++m_line;
        }
        return line;
    }

    // The line from here, not taken.
    std::string PeekLine() const
    {
        const char *end = m_data;
        while (end < m_end && *end != '\n')
            ++end;
        std::string line(m_data, end);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

    // One CSV record; a quoted cell may hold commas, quotes written twice and line ends.
    // Each cell comes with whether it was quoted.
    std::vector<std::pair<std::string, bool>> TakeRecord()
    {
        const int first = m_line;
        std::vector<std::pair<std::string, bool>> cells;
        std::string cell;
        bool quoted = false;
        for (;;) {
            if (m_data < m_end && *m_data == '"' && Trimmed(cell).empty() && !quoted) {
                cell.clear();
                quoted = true;
                ++m_data;
                for (;;) {
                    if (m_data == m_end)
                        Refuse(first, "a quoted cell is not closed");
                    const char c = *m_data++;
                    if (c == '"') {
                        if (m_data < m_end && *m_data == '"') {
                            cell += '"';
                            ++m_data;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++m_line;
                    cell += c;
                }
                while (m_data < m_end && (*m_data == ' ' || *m_data == '\t' || *m_data == '\r'))
                    ++m_data;
                if (m_data < m_end && *m_data != ',' && *m_data != '\n')
                    Refuse(m_line, "text after the closing quote of a cell");
            }
            if (m_data == m_end || *m_data == '\n' || *m_data == ',') {
                cells.emplace_back(quoted ? cell : Trimmed(cell), quoted);
                cell.clear();
                quoted = false;
                if (m_data == m_end)
                    return cells;
                if (*m_data++ == '\n') {
                    ++m_line;
                    return cells;
                }
                continue;
            }
            if (*m_data == '"')
                Refuse(m_line, "a quote inside an unquoted cell");
            if (*m_data != '\r')
                cell += *m_data;
            ++m_data;
        }
    }

private:
    const char *m_data;
    const char *m_end;
    int m_line = 1;
};

bool IsSkipped(const std::string &line)
{
    const std::string text = Trimmed(line);
    return text.empty() || text[0] == '#';
}

struct Section {
    int table = -1;
    std::vector<int> columnOf; // the table's column of each cell of a record
};

Section ReadHeader(Reader &reader, int table)
{
    const SfrTableLayout &layout = SfrTables()[static_cast<size_t>(table)];
    const int line = reader.Line();
    Section section;
    section.table = table;
    std::set<int> seen;
    for (const auto &[name, quoted] : reader.TakeRecord()) {
        (void)quoted;
        int column = -1;
        for (size_t c = 0; c < layout.columns.size(); ++c) {
            if (name == layout.columns[c].name)
                column = static_cast<int>(c);
        }
        if (column < 0)
            Refuse(line, "unknown column \"" + name + "\" in [" + layout.name + "]");
        if (!seen.insert(column).second)
            Refuse(line, "column " + name + " given twice");
        section.columnOf.push_back(column);
    }
    for (size_t c = 0; c < layout.columns.size(); ++c) {
        if (seen.count(static_cast<int>(c)) == 0)
            Refuse(line, std::string("missing column ") + layout.columns[c].name + " in [" + layout.name + "]");
    }
    return section;
}

SfrRow ReadRow(Reader &reader, const Section &section)
{
    const SfrTableLayout &layout = SfrTables()[static_cast<size_t>(section.table)];
    SfrRow row;
    row.line = reader.Line();
    auto cells = reader.TakeRecord();
    if (cells.size() != section.columnOf.size())
        Refuse(row.line, "the row has " + std::to_string(cells.size()) + " cells, the header " +
                             std::to_string(section.columnOf.size()));
    row.cells.resize(layout.columns.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const SfrColumn &column = layout.columns[static_cast<size_t>(section.columnOf[i])];
        SfrCell &cell = row.cells[static_cast<size_t>(section.columnOf[i])];
        const std::string &text = cells[i].first;
        if (column.text) {
            if (text.size() > kSfrTextLimit)
                Refuse(row.line, std::string(column.name) + " is longer than 255 characters");
            if (text.find('\0') != std::string::npos)
                Refuse(row.line, std::string(column.name) + " holds a zero byte");
            cell.text = text;
        } else if (!text.empty() && !ParseSfrNumber(text.c_str(), cell.number)) {
            Refuse(row.line, std::string("bad number \"") + text + "\" for " + column.name);
        }
    }
    return row;
}

// Column positions used by the checks.
enum {
    kRegisterIndex = 0,
    kRegisterBlock = 11,
    kAddressRegister = 0,
    kAddressMode = 1,
    kFieldIndex = 0,
    kFieldRegister = 7,
    kValueIndex = 0,
    kValueField = 3,
    kBlockIndex = 0,
};

std::set<DWORD> UniqueIndexes(const std::vector<SfrRow> &rows, size_t column, const char *what)
{
    std::set<DWORD> indexes;
    for (const SfrRow &row : rows) {
        if (!indexes.insert(row.cells[column].number).second)
            Refuse(row.line, std::string("duplicate ") + what + " " + std::to_string(row.cells[column].number));
    }
    return indexes;
}

void MustName(const std::vector<SfrRow> &rows, size_t column, const std::set<DWORD> &known, const char *what,
              bool zeroIsNone)
{
    for (const SfrRow &row : rows) {
        const DWORD index = row.cells[column].number;
        if ((index != 0 || !zeroIsNone) && known.count(index) == 0)
            Refuse(row.line, std::string(what) + " " + std::to_string(index) + " names nothing");
    }
}

void Check(const SfrDescription &description, int lastLine)
{
    const auto &derivatives = description.rows[SfrDerivative];
    if (derivatives.empty())
        Refuse(lastLine, "no Derivative row");
    if (derivatives.size() > 1)
        Refuse(derivatives[1].line, "a second Derivative row");
    const auto &blocks = description.rows[SfrBlocks];
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].cells[kBlockIndex].number != i + 1)
            Refuse(blocks[i].line, "SFRBlockIndex " + std::to_string(blocks[i].cells[kBlockIndex].number) +
                                       " where " + std::to_string(i + 1) + " is due: blocks count from 1 in order");
    }
    std::set<DWORD> blockIndexes = UniqueIndexes(blocks, kBlockIndex, "SFRBlockIndex");
    std::set<DWORD> registers = UniqueIndexes(description.rows[SfrRegisters], kRegisterIndex, "SFRIndex");
    std::set<DWORD> fields = UniqueIndexes(description.rows[SfrFields], kFieldIndex, "SFRFieldIndex");
    UniqueIndexes(description.rows[SfrFieldValues], kValueIndex, "SFRFieldValuesIndex");
    MustName(description.rows[SfrRegisters], kRegisterBlock, blockIndexes, "SFRBlockIndex", true);
    MustName(description.rows[SfrAddresses], kAddressRegister, registers, "SFRIndex", false);
    MustName(description.rows[SfrFields], kFieldRegister, registers, "SFRIndex", false);
    MustName(description.rows[SfrFieldValues], kValueField, fields, "SFRFieldIndex", false);
    for (const SfrRow &row : description.rows[SfrAddresses]) {
        const DWORD mode = row.cells[kAddressMode].number;
        if (mode != 1 && mode != 7 && mode != 8)
            Refuse(row.line, "AddressMode " + std::to_string(mode) + " is none of 1, 7 and 8");
    }
}

} // namespace

const std::vector<SfrTableLayout> &SfrTables()
{
    static const std::vector<SfrTableLayout> tables = {
        {"Derivative",
         {{"Name", true},
          {"AddressSpace", false},
          {"CoreType", false},
          {"IRAMSize", false},
          {"Version", false},
          {"WordSize", false},
          {"CoreRegisters", true}}},
        {"SFRSelect",
         {{"SFRIndex", false},
          {"Name", true},
          {"Type", false},
          {"Width", false},
          {"NamedBitMask", false},
          {"ReadOnlyMask", false},
          {"ResetValue", true},
          {"Manual", true},
          {"Page", false},
          {"Description", true},
          {"HWModBitMask", false},
          {"SFRBlockIndex", false}}},
        {"SFRAddressSelect", {{"SFRIndex", false}, {"AddressMode", false}, {"AddressValue", false}}},
        {"SFRFieldSelect",
         {{"SFRFieldIndex", false},
          {"Name", true},
          {"Offset", false},
          {"Width", false},
          {"Description", true},
          {"Manual", true},
          {"Page", false},
          {"SFRIndex", false}}},
        {"SFRFieldValues", {{"SFRFieldValuesIndex", false}, {"Name", true}, {"Value", false}, {"SFRFieldIndex", false}}},
        {"SFRBlockSelect", {{"SFRBlockIndex", false}, {"Name", true}, {"Description", true}}},
    };
    return tables;
}

BOOL ParseSfrDescription(const char *data, size_t size, LPCSTR fileName, SfrDescription &description,
                         CString &error)
{
    description = SfrDescription();
    error.Empty();
    if (data == nullptr)
        size = 0;
    // Editors that save UTF-8 may put a byte-order mark in front; it is no text.
    if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        data += 3;
        size -= 3;
    }
    Reader reader(data != nullptr ? data : "", size);
    try {
        Section section;
        std::set<int> sectionsSeen;
        while (!reader.AtEnd()) {
            const std::string line = reader.PeekLine();
            const std::string text = Trimmed(line);
            if (IsSkipped(line)) {
                reader.TakeLine();
                continue;
            }
            if (text[0] == '[') {
                const int at = reader.Line();
                reader.TakeLine();
                if (text.back() != ']')
                    Refuse(at, "a section line without its closing bracket");
                const std::string name = text.substr(1, text.size() - 2);
                int table = -1;
                for (size_t t = 0; t < SfrTables().size(); ++t) {
                    if (name == SfrTables()[t].name)
                        table = static_cast<int>(t);
                }
                if (table < 0)
                    Refuse(at, "unknown section [" + name + "]");
                if (!sectionsSeen.insert(table).second)
                    Refuse(at, "section [" + name + "] given twice");
                while (!reader.AtEnd() && IsSkipped(reader.PeekLine()))
                    reader.TakeLine();
                if (reader.AtEnd())
                    Refuse(at, "section [" + name + "] has no header line");
                section = ReadHeader(reader, table);
                continue;
            }
            if (section.table < 0)
                Refuse(reader.Line(), "a row outside any section");
            description.rows[section.table].push_back(ReadRow(reader, section));
        }
        Check(description, reader.Line());
    } catch (const Refusal &refusal) {
        error.Format("%s:%d: %s", fileName != nullptr ? fileName : "", refusal.line, refusal.reason.c_str());
        description = SfrDescription();
        return FALSE;
    }
    return TRUE;
}
