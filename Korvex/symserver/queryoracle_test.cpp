// The section, source-file, function and source-line queries against readelf and gdb:
// each program of testdata/firmware is loaded through a client of the symbol server, in
// window mode or in event mode, and what the queries answer through IQelSymbol is held
// against the section headers, debugging entries and line tables that readelf prints
// and against gdb's `info address`, `info line FILE:LINE` and `info line *ADDRESS`.
//
// Where the answers say something other than the tools, by design:
//
// - A line's range runs to the next row of the same file, so where rows of another file
//   come between (a header's inline code), it is longer than gdb's, which ends at the
//   next row of any file.
// - The last row of a sequence runs to the end of its function; gdb's to the end of the
//   sequence, past the function's padding (2 bytes after a Thumb unit).
// - Where several rows share an address (views at -O1, inlined header code), gdb takes
//   the last that is a statement, and the table, which keeps no such flag, the last row
//   of each file there (see SourceLinesHaveTheRangesGdbGivesForEachLineAndAddress).
// - The Sections table holds the allocated sections that have contents, code cut into
//   the pieces of its units; `.bss` has none.
#include "queryoracletesting.h"

#include <climits>

namespace {

using namespace queryoracle;

// The rows of every unit's line table, by address; an end of sequence has line -1.
struct LineRow {
    std::string file;
    long line;
    unsigned address;
};

std::vector<LineRow> AllRows(const Program &program, size_t units = SIZE_MAX)
{
    std::vector<LineRow> rows;
    for (size_t u = 0; u < program.lines.size() && u < units; ++u)
        for (const auto &row : program.lines[u].rows)
            rows.push_back({row.file, row.line, row.address});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const LineRow &a, const LineRow &b) { return a.address < b.address; });
    return rows;
}

// The rows of a program, and how a range that the queries give may differ from gdb's.
class LineOracle {
public:
    explicit LineOracle(const Program &program) : m_program(program), m_rows(AllRows(program)) {}

    const std::vector<LineRow> &Rows() const { return m_rows; }

    // The lines of `file` (all files for "") that have rows at `address`.
    std::set<std::string> LinesAt(unsigned address, const std::string &file = "") const
    {
        std::set<std::string> lines;
        for (const LineRow &row : m_rows)
            if (row.address == address && row.line >= 0 && (file.empty() || row.file == file))
                lines.insert(row.file + ":" + N(row.line));
        return lines;
    }

    // Whether our range [start, ours) of a row of `file` stands for gdb's [start, gdbs):
    // - the same;
    // - longer over rows of other files: gdb's range ends at a row of another file, ours
    //   at the next row of the same file, or at the end of the function when none is
    //   left in it;
    // - shorter where the row is the last of its sequence: ours ends with the function
    //   that holds it, gdb's at the end of the sequence, past the function's padding.
    bool Stands(const std::string &file, unsigned start, unsigned gdbs, unsigned ours) const
    {
        if (ours == gdbs)
            return true;
        bool functionEnd = false, sequenceEnd = false, otherFile = false, sameFile = false, between = false;
        for (const OracleFunction &function : m_program.functions)
            functionEnd = functionEnd || (!function.inlined && function.low <= start && function.high == ours);
        for (const LineRow &row : m_rows) {
            const bool inside = row.address >= std::min(ours, gdbs) && row.address < std::max(ours, gdbs);
            between = between || (inside && row.line >= 0 && (ours < gdbs || row.file == file));
            sequenceEnd = sequenceEnd || (row.address == gdbs && row.line < 0);
            otherFile = otherFile || (row.address == gdbs && row.line >= 0 && row.file != file);
            sameFile = sameFile || (row.address == ours && row.line >= 0 && row.file == file);
        }
        if (ours > gdbs)
            return !between && otherFile && (sameFile || functionEnd);
        return !between && functionEnd && sequenceEnd;
    }

private:
    const Program &m_program;
    std::vector<LineRow> m_rows;
};

std::string FileOf(const std::string &path)
{
    return path.substr(path.find_last_of('/') + 1);
}

// Loads `program`, in event mode for every second one.
class QueryOracle : public QueryOracleTest {
protected:
    bool LoadNumber(size_t i) { return Load(Programs()[i], i % 2 == 1); }
    // The files with lines, by short name: the path that the database knows them by.
    std::map<std::string, std::string> Files()
    {
        Batch<SourceFileTag> files(Client());
        files.Add(Client().RequestSourceFiles());
        EXPECT_TRUE(files.Wait());
        std::map<std::string, std::string> paths;
        for (const SourceFileTag &file : files[0])
            paths[static_cast<LPCSTR>(file.Name)] = static_cast<LPCSTR>(file.EntryInFile);
        return paths;
    }
    // The answers of code 301 for each file, by short name.
    std::map<std::string, std::vector<SourceLineTag>> LinesOfFiles(const std::map<std::string, std::string> &paths)
    {
        Batch<SourceLineTag> lines(Client());
        for (const auto &file : paths)
            lines.Add(Client().RequestSourceLinesOfSourceFile(file.second.c_str()));
        EXPECT_TRUE(lines.Wait());
        std::map<std::string, std::vector<SourceLineTag>> byFile;
        size_t i = 0;
        for (const auto &file : paths)
            byFile[file.first] = lines[i++];
        return byFile;
    }
};

std::string Section(const SectionTag &section)
{
    return "'" + std::string(section.Name) + "' type " + N(section.Type) + " mode " + N(section.AddressMode) + " " +
           Hex(section.AddressValue) + "+" + Hex(section.Length);
}

std::vector<std::string> Sections(const std::vector<SectionTag> &sections)
{
    std::vector<std::string> texts;
    for (const SectionTag &section : sections)
        texts.push_back(Section(section));
    return texts;
}

TEST_F(QueryOracle, SectionsAreTheAllocatedSectionsInTheirUnitsPiecesThenTheDefinedCodeSections)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadNumber(p));
        Batch<SectionTag> all(Client());
        all.Add(Client().RequestSections());
        all.Add(SectionByName("*"));
        ASSERT_TRUE(all.Wait());
        const std::vector<SectionTag> &pieces = all[0];
        EXPECT_EQ(Sections(all[1]), Sections(pieces)) << "code 1 with * gives every section";

        // Every allocated section with contents is cut into pieces that follow each other
        // without a gap, each named by the unit that holds it or by the section.
        std::vector<std::string> mismatches;
        size_t next = 0;
        for (const ElfSection &section : program.sections) {
            if (section.flags.find('A') == std::string::npos || section.type == "NOBITS" || section.size == 0)
                continue;
            const LONG type = section.flags.find('X') != std::string::npos   ? 1
                              : section.flags.find('W') != std::string::npos ? 3
                                                                             : 2;
            unsigned at = section.address;
            while (at < section.address + section.size && next < pieces.size()) {
                const SectionTag &piece = pieces[next];
                const std::string name = static_cast<LPCSTR>(piece.Name);
                const std::string prefix = name.substr(0, name.rfind('@'));
                bool named = prefix == section.name && name.substr(prefix.size()) == "@" + N(long(next));
                for (const DwarfUnit &unit : program.units) {
                    const DwarfEntry &cu = unit.entries[0];
                    named = named || (prefix == cu.Text("DW_AT_name") && cu.Has("DW_AT_low_pc") &&
                                      unsigned(cu.Value("DW_AT_low_pc")) <= at &&
                                      at + piece.Length <= unsigned(cu.Value("DW_AT_high_pc")) &&
                                      name.substr(prefix.size()) == "@" + N(long(next)));
                }
                if (piece.AddressValue != at || piece.AddressMode != 1 || piece.Type != type || piece.Length == 0 ||
                    !named)
                    mismatches.push_back(section.name + " at " + Hex(at) + ": " + Section(piece));
                at = piece.AddressValue + piece.Length;
                ++next;
            }
            if (at != section.address + section.size)
                mismatches.push_back(section.name + " " + Hex(section.address) + "+" + Hex(section.size) +
                                     ": pieces end at " + Hex(at));
        }
        if (next != pieces.size())
            mismatches.push_back("sections beyond readelf's: " + N(long(pieces.size() - next)));
        EXPECT_EQ(FirstOf(mismatches), "");

        // Each piece by its name (code 1) and by its first and last address (code 2).
        Batch<SectionTag> found(Client());
        for (const SectionTag &piece : pieces) {
            found.Add(SectionByName(static_cast<LPCSTR>(piece.Name)));
            found.Add(Client().RequestSectionByAddress(1, piece.AddressValue));
            found.Add(Client().RequestSectionByAddress(1, piece.AddressValue + piece.Length - 1));
        }
        ASSERT_TRUE(found.Wait());
        mismatches.clear();
        for (size_t i = 0; i < pieces.size(); ++i)
            for (size_t k = 0; k < 3; ++k)
                if (Sections(found[3 * i + k]) != std::vector<std::string>{Section(pieces[i])})
                    mismatches.push_back(std::string(k == 0 ? "code 1 '" : "code 2 '") + (LPCSTR)pieces[i].Name +
                                         "' gives" + FirstOf(Sections(found[3 * i + k])));
        EXPECT_EQ(FirstOf(mismatches), "");

        // Ranges defined from outside: below the program, and up to its first address
        // (what the program covers is left out of the definition).
        const unsigned text = pieces.front().AddressValue;
        auto range = [](unsigned first, unsigned last) {
            char numbers[40];
            snprintf(numbers, sizeof numbers, "(%Xh - %Xh)", first, last);
            return std::string(numbers);
        };
        const std::string boot = "Boot  " + range(text - 0x10000, text - 0x101);
        const std::string over = "Over  " + range(text - 0x100, text - 1);
        for (const std::string &description :
             {"Boot " + range(text - 0x10000, text - 0x101), "Over " + range(text - 0x100, text + 0xFF)}) {
            CComBSTR text16(description.c_str());
            VARIANT none;
            VariantInit(&none);
            int id = 0;
            ASSERT_EQ(Client().GetSymbolInterface()->DefineCodeSection(text16, &none, &id), S_OK);
            LONG state = -1;
            EXPECT_EQ(Client().GetSymbolInterface()->GetState(id, &state), S_OK) << description;
        }
        Batch<SectionTag> defined(Client());
        defined.Add(Client().RequestSections());
        defined.Add(SectionByName(boot));
        defined.Add(SectionByName(static_cast<LPCSTR>(pieces.front().Name)));
        defined.Add(Client().RequestSectionByAddress(1, text - 0x10000 + 0x10));
        defined.Add(Client().RequestSectionByAddress(1, text - 1));
        defined.Add(Client().RequestSectionByAddress(1, text));
        defined.Add(Client().RequestSectionByAddress(2, text - 0x10000));
        ASSERT_TRUE(defined.Wait());
        std::vector<std::string> expected = Sections(pieces);
        SectionTag bootSection, overSection;
        bootSection.Type = overSection.Type = 1;
        bootSection.AddressValue = text - 0x10000;
        bootSection.Length = 0xFF00;
        bootSection.Name = boot.c_str();
        overSection.AddressValue = text - 0x100;
        overSection.Length = 0x100;
        overSection.Name = over.c_str();
        expected.push_back(Section(bootSection));
        expected.push_back(Section(overSection));
        EXPECT_EQ(Sections(defined[0]), expected);
        EXPECT_EQ(Sections(defined[1]), std::vector<std::string>{Section(bootSection)});
        EXPECT_EQ(Sections(defined[2]), std::vector<std::string>{Section(pieces.front())});
        EXPECT_EQ(Sections(defined[3]), std::vector<std::string>{Section(bootSection)});
        EXPECT_EQ(Sections(defined[4]), std::vector<std::string>{Section(overSection)});
        EXPECT_EQ(Sections(defined[5]), std::vector<std::string>{Section(pieces.front())});
        EXPECT_EQ(Sections(defined[6]), std::vector<std::string>{}) << "another address mode";
    }
}

std::string Function(const FunctionTag &function)
{
    return std::string(function.Name) + " " + Hex(function.AddressValue) + "+" + Hex(function.Length);
}

std::string Function(const OracleFunction &function)
{
    return function.name + " " + Hex(function.low) + "+" + Hex(function.high - function.low);
}

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

// The address gdb gives for a function: `info address F`, or for a name that several
// units define `output &'UNIT'::F`. 0 when gdb was not asked.
unsigned GdbAddress(const Program &program, const OracleFunction &function)
{
    for (const std::string &command :
         {"info address " + function.name, "output &'" + function.unitName + "'::" + function.name}) {
        const std::vector<std::string> &answer = program.Answer(command);
        if (answer.empty())
            continue;
        const size_t at = answer[0].find(" 0x");
        if (answer[0].find("is a function at address") != std::string::npos ||
            answer[0].find(" <" + function.name) != std::string::npos)
            return static_cast<unsigned>(std::strtoul(answer[0].c_str() + at + 1, nullptr, 16));
    }
    return 0;
}

TEST_F(QueryOracle, FunctionsAreTheSubprogramsAndInlinedCallsByNameAddressAndFile)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadNumber(p));
        Batch<FunctionTag> all(Client());
        all.Add(Client().RequestFunctions());
        all.Add(FunctionByName("*"));
        ASSERT_TRUE(all.Wait());

        // Code 200: every function with code and every inlined call with its own, where
        // readelf puts them; gdb places the functions at the same addresses.
        std::vector<std::string> expected, mismatches;
        std::set<std::string> names;
        for (const OracleFunction &function : program.functions) {
            expected.push_back(Function(function));
            names.insert(function.name);
            const unsigned gdb = function.inlined ? 0 : GdbAddress(program, function);
            if (!function.inlined && gdb != function.low)
                mismatches.push_back("gdb places " + function.name + " at " + Hex(gdb) + ", readelf at " +
                                     Hex(function.low));
        }
        std::vector<std::string> answered;
        for (const FunctionTag &function : all[0]) {
            answered.push_back(Function(function));
            if (function.AddressMode != 1)
                mismatches.push_back("mode of " + Function(function));
        }
        EXPECT_EQ(Sorted(answered), Sorted(expected));
        EXPECT_EQ(FirstOf(mismatches), "");
        std::vector<std::string> byStar;
        for (const FunctionTag &function : all[1])
            byStar.push_back(Function(function));
        EXPECT_EQ(byStar, answered) << "code 201 with * gives every function, in the table's order";

        // Code 201 by each name, and 202 at the addresses of each function (every second
        // one of the hand-written programs and of the first 6 units of the others, the
        // ends and the line addresses of the rest) and at its end, where it is not found.
        Batch<FunctionTag> asked(Client());
        std::vector<std::string> what;
        for (const std::string &name : names) {
            asked.Add(FunctionByName(name));
            what.push_back("name " + name);
        }
        std::set<unsigned> addresses;
        for (const OracleFunction &function : program.functions) {
            if (function.inlined)
                continue;
            const unsigned step = IsHandwritten(program.name) || function.unit < 6 ? 2 : function.high - function.low;
            for (unsigned a = function.low; a <= function.high && step > 0; a += step)
                addresses.insert(a);
            addresses.insert(function.high - 2);
            addresses.insert(function.high);
        }
        for (const LineTable &table : program.lines)
            for (const auto &row : table.rows)
                addresses.insert(row.address);
        for (unsigned a : addresses) {
            asked.Add(Client().RequestFunctionByAddress(1, a));
            what.push_back("address " + Hex(a));
        }
        ASSERT_TRUE(asked.Wait());
        mismatches.clear();
        size_t i = 0;
        for (const std::string &name : names) {
            std::vector<std::string> want, got;
            for (const OracleFunction &function : program.functions)
                if (function.name == name)
                    want.push_back(Function(function));
            for (const FunctionTag &function : asked[i])
                got.push_back(Function(function));
            if (Sorted(want) != Sorted(got))
                mismatches.push_back("code 201 '" + name + "': " + FirstOf(got) + "\n  readelf:" + FirstOf(want));
            ++i;
        }
        for (unsigned a : addresses) {
            std::vector<std::string> want, got;
            for (const OracleFunction &function : program.functions)
                if (function.low <= a && a < function.high)
                    want.push_back(Function(function));
            for (const FunctionTag &function : asked[i])
                got.push_back(Function(function));
            if (Sorted(want) != Sorted(got))
                mismatches.push_back("code 202 at " + Hex(a) + ": " + FirstOf(got) + "\n  readelf:" + FirstOf(want));
            ++i;
        }
        EXPECT_EQ(FirstOf(mismatches), "");

        // Code 203: the functions of the units whose line tables have rows of the file.
        const std::map<std::string, std::string> paths = Files();
        Batch<FunctionTag> ofFiles(Client());
        for (const auto &file : paths) {
            ofFiles.Add(FunctionsOfSourceFile(file.second));
            ofFiles.Add(FunctionsOfSourceFile(file.first));
        }
        ASSERT_TRUE(ofFiles.Wait());
        mismatches.clear();
        i = 0;
        for (const auto &file : paths) {
            std::set<size_t> units;
            for (size_t u = 0; u < program.lines.size(); ++u)
                for (const auto &row : program.lines[u].rows)
                    if (row.file == file.first && row.line >= 0)
                        units.insert(u);
            std::vector<std::string> want;
            for (const OracleFunction &function : program.functions)
                if (units.count(function.unit) != 0)
                    want.push_back(Function(function));
            for (size_t k = 0; k < 2; ++k, ++i) {
                std::vector<std::string> got;
                for (const FunctionTag &function : ofFiles[i])
                    got.push_back(Function(function));
                if (Sorted(got) != Sorted(want))
                    mismatches.push_back("code 203 '" + (k == 0 ? file.second : file.first) + "': " + FirstOf(got) +
                                         "\n  readelf:" + FirstOf(want));
            }
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

std::string Line(const std::string &file, long line, unsigned start, unsigned length)
{
    return file + ":" + N(line) + " " + Hex(start) + "+" + (length == 0xFFFFFFFF ? "-1" : Hex(length));
}

TEST_F(QueryOracle, SourceFilesAreTheFilesOfTheLineTablesFoundByPathAddressAndRange)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadNumber(p));
        const std::vector<LineRow> rows = AllRows(program);
        Batch<SourceFileTag> all(Client());
        all.Add(Client().RequestSourceFiles());
        ASSERT_TRUE(all.Wait());

        // Code 100: each file that has rows, once, without a line.
        std::set<std::string> expected, answered;
        for (const LineRow &row : rows)
            if (row.line >= 0)
                expected.insert(row.file);
        std::vector<std::string> mismatches;
        std::map<std::string, std::string> paths;
        for (const SourceFileTag &file : all[0]) {
            const std::string name = static_cast<LPCSTR>(file.Name), path = static_cast<LPCSTR>(file.EntryInFile);
            if (!answered.insert(name).second || FileOf(path) != name || file.Type < 1000 || file.SourceLine != -1 ||
                file.AddressMode != 0xFFFFFFFF || file.AddressValue != 0xFFFFFFFF || file.Length != 0xFFFFFFFF)
                mismatches.push_back("code 100: " + name + " '" + path + "' type " + N(file.Type) + " line " +
                                     N(file.SourceLine));
            paths[name] = path;
        }
        EXPECT_EQ(answered, expected);
        EXPECT_EQ(FirstOf(mismatches), "");

        // Code 101 by path and by short name: the rows of the file's first line (those
        // with code, or all of them when none has).
        Batch<SourceFileTag> asked(Client());
        for (const auto &file : paths) {
            asked.Add(SourceFileByPath(file.second));
            asked.Add(SourceFileByPath(file.first));
        }
        // Code 102 at every line address that gdb was asked about: the rows there.
        std::vector<unsigned> addresses;
        for (const auto &answer : program.gdb)
            if (answer.first.rfind("info line *", 0) == 0)
                addresses.push_back(static_cast<unsigned>(std::strtoul(answer.first.c_str() + 11, nullptr, 16)));
        std::sort(addresses.begin(), addresses.end());
        for (unsigned a : addresses)
            asked.Add(Client().RequestSourceFileByAddress(1, a));
        ASSERT_TRUE(asked.Wait());
        const std::map<std::string, std::vector<SourceLineTag>> lines = LinesOfFiles(paths);
        mismatches.clear();
        size_t i = 0;
        for (const auto &file : paths) {
            long first = LONG_MAX;
            std::set<unsigned> firstRows;
            for (const LineRow &row : rows)
                if (row.file == file.first && row.line >= 0)
                    first = std::min(first, row.line);
            for (const LineRow &row : rows)
                if (row.file == file.first && row.line == first)
                    firstRows.insert(row.address);
            std::vector<std::string> want;
            for (const SourceLineTag &line : lines.at(file.first))
                if (line.SourceLine == first)
                    want.push_back(Line(file.first, first, line.AddressValue, line.Length));
            for (size_t k = 0; k < 2; ++k, ++i) {
                std::vector<std::string> got;
                bool fallback = !asked[i].empty() && want.empty();
                for (const SourceFileTag &row : asked[i]) {
                    got.push_back(Line(static_cast<LPCSTR>(row.Name), row.SourceLine, row.AddressValue, row.Length));
                    fallback = fallback && row.SourceLine == first && firstRows.count(row.AddressValue) != 0;
                }
                if (Sorted(got) != Sorted(want) && !fallback)
                    mismatches.push_back("code 101 '" + (k == 0 ? file.second : file.first) + "':" + FirstOf(got) +
                                         "\n  code 301 of its first line, " + N(first) + ":" + FirstOf(want));
            }
        }
        for (unsigned a : addresses) {
            // The rows at the address (every file's last there surely has code).
            std::set<std::string> there, last;
            std::map<std::string, std::string> lastOfFile;
            for (const LineRow &row : rows)
                if (row.address == a && row.line >= 0) {
                    there.insert(row.file + ":" + N(row.line));
                    lastOfFile[row.file] = row.file + ":" + N(row.line);
                }
            for (const auto &row : lastOfFile)
                last.insert(row.second);
            std::set<std::string> got;
            bool sound = true;
            for (const SourceFileTag &row : asked[i]) {
                const std::string line = std::string(row.Name) + ":" + N(row.SourceLine);
                got.insert(line);
                sound = sound && row.AddressValue == a && there.count(line) != 0;
            }
            if (!sound || !std::includes(got.begin(), got.end(), last.begin(), last.end())) {
                std::vector<std::string> texts(got.begin(), got.end());
                mismatches.push_back("code 102 at " + Hex(a) + ":" + FirstOf(texts));
            }
            ++i;
        }
        EXPECT_EQ(FirstOf(mismatches), "");

        // Code 103 over each function: every line with code of each file with a row there.
        Batch<SourceFileTag> ranges(Client());
        std::vector<const OracleFunction *> functions;
        for (const OracleFunction &function : program.functions)
            if (!function.inlined && (IsHandwritten(program.name) || function.unit < 3)) {
                functions.push_back(&function);
                ranges.Add(Client().RequestSourceFileLines(1, function.low, function.high - function.low));
            }
        ASSERT_TRUE(ranges.Wait());
        mismatches.clear();
        for (size_t f = 0; f < functions.size(); ++f) {
            std::set<std::string> files;
            for (const LineRow &row : rows)
                if (row.line >= 0 && row.address >= functions[f]->low && row.address < functions[f]->high)
                    files.insert(row.file);
            std::vector<std::string> want, got;
            for (const std::string &file : files)
                for (const SourceLineTag &line : lines.at(file))
                    want.push_back(Line(file, line.SourceLine, line.AddressValue, line.Length));
            for (const SourceFileTag &row : ranges[f])
                got.push_back(Line(static_cast<LPCSTR>(row.Name), row.SourceLine, row.AddressValue, row.Length));
            if (Sorted(got) != Sorted(want))
                mismatches.push_back("code 103 over " + Function(*functions[f]) + ":" + FirstOf(got) +
                                     "\n  code 301 of its files:" + FirstOf(want));
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

// Where the line table has several rows at one address (views at -O1, a header's
// inline code), gdb takes the last of them that is a statement; the table keeps no such
// flag, and the lengths give the range to the last row of each file there (rows of lower
// lines before it get none, of higher lines an empty one), and code 302 to the first file
// that its query yields. There the line may differ from gdb's; its range is still gdb's.
TEST_F(QueryOracle, SourceLinesHaveTheRangesGdbGivesForEachLineAndAddress)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadNumber(p));
        const LineOracle oracle(program);
        const std::vector<LineRow> &rows = oracle.Rows();
        const std::map<std::string, std::string> paths = Files();
        const std::map<std::string, std::vector<SourceLineTag>> lines = LinesOfFiles(paths);
        std::vector<std::string> mismatches;

        // Code 301: every row of the file that has code of its own, by line; gdb's first
        // range of each line in each function is among them.
        for (const auto &file : lines) {
            const std::vector<SourceLineTag> &found = file.second;
            std::multiset<std::pair<long, unsigned>> table;
            std::map<unsigned, long> lastAt; // the file's last row at each address
            for (const LineRow &row : rows)
                if (row.file == file.first && row.line >= 0) {
                    table.insert({row.line, row.address});
                    lastAt[row.address] = row.line;
                }
            std::multiset<std::pair<long, unsigned>> have;
            for (size_t k = 0; k < found.size(); ++k) {
                const SourceLineTag &line = found[k];
                have.insert({line.SourceLine, line.AddressValue});
                const bool ordered = k == 0 || found[k - 1].SourceLine < line.SourceLine ||
                                     (found[k - 1].SourceLine == line.SourceLine &&
                                      found[k - 1].AddressValue <= line.AddressValue);
                if (table.count({line.SourceLine, line.AddressValue}) < have.count({line.SourceLine, line.AddressValue}) ||
                    line.AddressMode != 1 || line.Length == 0xFFFFFFFF || !ordered)
                    mismatches.push_back("code 301 " + Line(file.first, line.SourceLine, line.AddressValue, line.Length));
            }
            for (const auto &row : lastAt)
                if (have.count({row.second, row.first}) == 0)
                    mismatches.push_back("code 301 lacks " + file.first + ":" + N(row.second) + " at " + Hex(row.first));
            std::set<long> numbers;
            for (const auto &row : table)
                numbers.insert(row.first);
            for (long number : numbers) {
                const std::string command = "info line " + file.first + ":" + N(number);
                for (const std::string &text : program.Answer(command)) {
                    GdbLineRange gdb;
                    if (!ParseGdbLine(text, &gdb))
                        continue;
                    const SourceLineTag *ours = nullptr;
                    for (const SourceLineTag &line : found)
                        if (line.SourceLine == number && line.AddressValue == gdb.start &&
                            (ours == nullptr || line.Length > ours->Length))
                            ours = &line;
                    const unsigned length = ours != nullptr ? ours->Length : 0;
                    const bool shared = oracle.LinesAt(gdb.start, file.first).size() > 1;
                    const bool agrees = gdb.end == gdb.start ? length == 0 || shared
                                        : length == 0        ? shared
                                                      : oracle.Stands(file.first, gdb.start, gdb.end, gdb.start + length);
                    if (!agrees)
                        mismatches.push_back(command + ": " + text + "\n    code 301: " +
                                             (ours ? Line(file.first, number, ours->AddressValue, ours->Length)
                                                   : "none"));
                }
            }
        }

        // Code 302 at each line address that gdb was asked about: the ranges of the line
        // gdb names there (or of another row there), that of the address as gdb gives it.
        std::vector<std::pair<unsigned, GdbLineRange>> asked;
        for (const auto &answer : program.gdb) {
            GdbLineRange gdb;
            if (answer.first.rfind("info line *", 0) == 0 && !answer.second.empty() &&
                ParseGdbLine(answer.second[0], &gdb))
                asked.push_back({static_cast<unsigned>(std::strtoul(answer.first.c_str() + 11, nullptr, 16)), gdb});
        }
        Batch<SourceLineTag> ranges(Client());
        Batch<SourceFileTag> files(Client());
        for (const auto &a : asked) {
            ranges.Add(Client().RequestSourceLineRangesByAddress(1, a.first));
            files.Add(Client().RequestSourceFileByAddress(1, a.first));
        }
        ASSERT_TRUE(ranges.Wait());
        ASSERT_TRUE(files.Wait());
        for (size_t i = 0; i < asked.size(); ++i) {
            const unsigned a = asked[i].first;
            const GdbLineRange &gdb = asked[i].second;
            std::string file;
            for (const SourceFileTag &row : files[i])
                if (file.empty() && LONG(row.Length) > 0)
                    file = static_cast<LPCSTR>(row.Name);
            std::vector<std::string> got, want;
            const SourceLineTag *holding = nullptr;
            for (const SourceLineTag &line : ranges[i]) {
                got.push_back(Line(file, line.SourceLine, line.AddressValue, line.Length));
                if (line.AddressValue <= a && a - line.AddressValue < line.Length)
                    holding = &line;
            }
            if (lines.count(file) != 0 && !ranges[i].empty())
                for (const SourceLineTag &line : lines.at(file))
                    if (line.SourceLine == ranges[i][0].SourceLine)
                        want.push_back(Line(file, line.SourceLine, line.AddressValue, line.Length));
            const std::set<std::string> there = oracle.LinesAt(gdb.start);
            const bool sameLine = holding != nullptr && file == gdb.file && holding->SourceLine == gdb.line;
            const bool otherRowThere = holding != nullptr && gdb.start == a &&
                                       there.count(file + ":" + N(holding->SourceLine)) != 0 &&
                                       there.count(gdb.file + ":" + N(gdb.line)) != 0;
            const bool agrees = (sameLine || otherRowThere) && holding->AddressValue == gdb.start &&
                                oracle.Stands(file, gdb.start, gdb.end, gdb.start + holding->Length) &&
                                Sorted(got) == Sorted(want);
            if (!agrees)
                mismatches.push_back("code 302 at " + Hex(a) + ":" + FirstOf(got) + "\n    gdb: " +
                                     Line(gdb.file, gdb.line, gdb.start, gdb.end - gdb.start) +
                                     "\n    code 301 of the line:" + FirstOf(want));
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

// A header's lines have code in each unit that includes it: once both units are read,
// every row of the header has its length, whichever query read them.
TEST_F(QueryOracle, HeaderLinesHaveLengthsInBothModulesOnceBothAreRead)
{
    for (size_t p = 0; p < 2; ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        // board.c's unit read first (through an address of board.h in it), then
        // control.c's; or both at once through the header's path.
        for (bool oneByOne : {true, false}) {
            ASSERT_TRUE(LoadNumber(p));
            std::map<size_t, unsigned> headerRow; // by unit, an address of board.h
            for (size_t u = 0; u < program.lines.size(); ++u)
                for (const auto &row : program.lines[u].rows)
                    if (row.file == "board.h" && headerRow.count(u) == 0)
                        headerRow[u] = row.address;
            ASSERT_EQ(headerRow.size(), 2u);
            if (oneByOne)
                for (const auto &unit : headerRow) {
                    Batch<SourceLineTag> first(Client());
                    first.Add(Client().RequestSourceLineRangesByAddress(1, unit.second));
                    ASSERT_TRUE(first.Wait());
                    EXPECT_FALSE(first[0].empty()) << Hex(unit.second);
                }
            const std::map<std::string, std::string> paths = Files();
            const std::vector<SourceLineTag> lines = LinesOfFiles({{"board.h", paths.at("board.h")}}).at("board.h");
            std::set<unsigned> answered, expected;
            for (const SourceLineTag &line : lines)
                answered.insert(line.AddressValue);
            for (const auto &table : program.lines)
                for (size_t r = 0; r < table.rows.size(); ++r)
                    if (table.rows[r].file == "board.h" &&
                        (r + 1 == table.rows.size() || table.rows[r + 1].file != "board.h" ||
                         table.rows[r + 1].address != table.rows[r].address))
                        expected.insert(table.rows[r].address);
            EXPECT_EQ(answered, expected) << (oneByOne ? "read one by one" : "read together");
        }
    }
}

// A query on a module not read yet reads that module and no other; a module that the
// idle pass has passed is not read again.
TEST_F(QueryOracle, AQueryReadsTheModuleItNeedsAndNoOther)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadNumber(p));
        // The modules are the units, numbered from 1 in their order.
        auto analyzed = [this] {
            std::set<LONG> read;
            for (const ModulRow &modul : Moduls())
                if (modul.analyzed)
                    read.insert(modul.index);
            return read;
        };
        ASSERT_EQ(Moduls().size(), program.units.size());
        ASSERT_EQ(analyzed(), std::set<LONG>{});
        // The lines at the last unit's first address.
        const LONG last = static_cast<LONG>(program.units.size());
        const unsigned address = static_cast<unsigned>(program.units.back().entries[0].Value("DW_AT_low_pc"));
        Batch<SourceLineTag> ranges(Client());
        ranges.Add(Client().RequestSourceLineRangesByAddress(1, address));
        ASSERT_TRUE(ranges.Wait());
        EXPECT_FALSE(ranges[0].empty());
        EXPECT_EQ(analyzed(), std::set<LONG>{last});

        // The idle pass has passed the first two modules: the lines of the first unit's
        // file are asked for, and its module stays unread; the third's is read.
        OnWorker([](CSymbolEngine &engine) { engine.NextModulToRead = 3; });
        Batch<SourceLineTag> more(Client());
        for (size_t unit : {0, 2})
            more.Add(Client().RequestSourceLineRangesByAddress(
                1, static_cast<unsigned>(program.units[unit].entries[0].Value("DW_AT_low_pc"))));
        ASSERT_TRUE(more.Wait());
        EXPECT_EQ(more[0].size(), 0u) << "the rows of an unread module are not in the database";
        EXPECT_FALSE(more[1].empty());
        EXPECT_EQ(analyzed(), (std::set<LONG>{3, last}));
    }
}

} // namespace
