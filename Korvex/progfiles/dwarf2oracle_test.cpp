// The DWARF 2 reader against readelf and gdb: after every module of the programs of
// testdata/firmware is read, the Functions, Symbols, Types and SourceLines rows are the
// ones that the entries, location lists and line tables readelf prints call for, worked
// out here from readelf's text alone, and they agree with what gdb answers about the same
// functions, variables, types and line addresses.
//
// Where the database says something other than gdb, by design:
//
// - A lexical block of DWARF 2 whose code comes in pieces has only the low and high
//   address of its first piece (the `col` loop of board_poll at -O1 covers 0x80138 to
//   0x8014c; its second piece is in no block), as the entry says.
// - A location list range that puts a local at a fixed address (`count` of board_poll at
//   -O1 at 0x40000018 from 0x80138) gives no lifetime row: the list starts with the next
//   range. A variable whose whole location is one is a static and has its row from the
//   globals pass.
// - A local or parameter whose location is neither a register, an offset from the frame
//   base, nor a list has no row (gcc writes none such for these programs).
// - The frame base is kept per range of the function's frame-base list, so a variable
//   gdb places at "frame base reg $sp offset 0+-12" has a lifetime list with one row per
//   frame-base range (sp + 0 - 12, sp + 8 - 12, r11 + 4 - 12, ...).
// - gcc's location lists of motor.cpp at -O0 hold absolute addresses where DWARF 2 counts
//   from the unit's low address; the database reads them as DWARF 2 says, as readelf does
//   (motor_run's frame base from 0x100ad4), where gdb gives up on that unit's frame bases.
// - `_Bool` is a typedef of "unsigned char", the C name of its size and sign; types that
//   have no entry of their own (that one, and each bit-field's storage) are numbered down
//   from the top of the module's numbers. A base type's sign is its encoding's: ARM's
//   plain char has the code of an unsigned char.
// - A pointer, typedef, const or volatile entry without a type refers to the module's
//   `void`; a structure's member count counts the members that have rows (not its static
//   members).
// - Thumb functions are at their even addresses, as in the debugging information; the
//   symbol table's are odd.
// - A variable that gcc left without a place (the generator's file statics at -O1,
//   `fallback`) has no row, though gdb still tells its type.
#include "elffile.h"

#include <debugserver.h>
#include <hostsymbolpartners.h>
#include <symdbtesting.h>

#include "firmwareoracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

using namespace firmwareoracle;

const char *const kPrograms[] = {"gen24-O0-arm", "gen24-O0-thumb", "gen24-O1-arm",
                                 "gen24-O1-thumb", "handwritten-O0", "handwritten-O1"};

LONG Pack(LONG modul, LONG number)
{
    return ((modul & 0x1FFF) << 18) | (number & 0x3FFFF);
}

std::string Hex(unsigned long value)
{
    std::ostringstream text;
    text << std::hex << "0x" << value;
    return text.str();
}

// Rows as text, so that differences print plainly.
std::string Row(std::initializer_list<std::string> fields)
{
    std::string row;
    for (const std::string &field : fields)
        row += (row.empty() ? "" : " ") + field;
    return row;
}

std::string N(long value)
{
    return std::to_string(value);
}

// What one side has and the other lacks, the first 20 of each.
std::string Differences(const std::vector<std::string> &expected, const std::vector<std::string> &actual)
{
    std::multiset<std::string> missing(expected.begin(), expected.end());
    std::multiset<std::string> extra;
    for (const std::string &row : actual) {
        auto found = missing.find(row);
        if (found != missing.end())
            missing.erase(found);
        else
            extra.insert(row);
    }
    std::ostringstream text;
    int shown = 0;
    for (const std::string &row : missing)
        if (shown++ < 20)
            text << "\n  missing: " << row;
    shown = 0;
    for (const std::string &row : extra)
        if (shown++ < 20)
            text << "\n  extra:   " << row;
    if (!missing.empty() || !extra.empty())
        text << "\n  (" << missing.size() << " missing, " << extra.size() << " extra)";
    return text.str();
}

// A mismatch list is empty, or shows its first 20 entries.
std::string FirstOf(const std::vector<std::string> &mismatches)
{
    std::string text;
    for (size_t i = 0; i < mismatches.size() && i < 20; ++i)
        text += "\n  " + mismatches[i];
    if (mismatches.size() > 20)
        text += "\n  (" + N(static_cast<long>(mismatches.size())) + " in all)";
    return text;
}

// ---------------------------------------------------------------------------------
// The database after every module is read.

struct SymbolRow {
    LONG id, modul, scope;
    std::string name;
    LONG data[6];
    std::string Text() const
    {
        return Row({N(id), N(modul), N(scope), "'" + name + "'", N(data[0]), N(data[1]), N(data[2]), N(data[3]),
                    N(data[4]), N(data[5])});
    }
};

struct TypeRow {
    LONG index, modul, id;
    std::string name;
    LONG data[4];
    std::string Text() const
    {
        return Row({N(index), N(modul), N(id), "'" + name + "'", N(data[0]), N(data[1]), N(data[2]), N(data[3])});
    }
};

struct Database {
    std::vector<std::string> functions;
    struct Function {
        LONG index, address, length, modul, callType;
    };
    std::map<std::string, std::vector<Function>> functionsByName;
    std::vector<std::pair<LONG, int>> functionSections, lineSections; // address, section
    std::vector<SymbolRow> symbols;
    std::map<LONG, TypeRow> types;
    std::vector<std::string> lines; // "file line address"
    std::map<LONG, std::string> moduls;
    std::vector<std::pair<std::string, std::string>> sourceFiles; // by index - 1: name, path
    struct Section {
        LONG index;
        DWORD start, length;
    };
    std::vector<Section> sections;

    // The SourceFiles row of a unit's own name, -1 when none.
    LONG UnitSourceFile(const std::string &unitName) const
    {
        const std::string base = unitName.substr(unitName.find_last_of('/') + 1);
        for (size_t i = 0; i < sourceFiles.size(); ++i) {
            const std::string &path = sourceFiles[i].second;
            if (sourceFiles[i].first == base && path.size() >= unitName.size() &&
                path.compare(path.size() - unitName.size(), unitName.size(), unitName) == 0)
                return static_cast<LONG>(i + 1);
        }
        return -1;
    }
};

class Dwarf2OracleTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        CComObject<QelHost::CHostDebugServer> *server = nullptr;
        ASSERT_EQ(CComObject<QelHost::CHostDebugServer>::CreateInstance(&server), S_OK);
        m_host = static_cast<IQelHostHolder *>(server);
    }

    // Loads `program` as a load does, reads every module, and takes the tables' rows.
    Database Load(const std::string &program)
    {
        Database rows;
        CQelDatabase database;
        EXPECT_TRUE(database.Create(PathOf((program + ".mdb").c_str())));
        {
            CELFFile reader(database, 1, m_host);
            const std::string path = FirmwarePath(program, ".elf");
            EXPECT_TRUE(reader.Open(path.c_str(), nullptr));
            EXPECT_EQ(reader.ReadSections(nullptr), 1);
            EXPECT_EQ(reader.ReadGlobals(nullptr), 1) << reader.GetFailureText();
            CDBModuls moduls(database.GetDatabase());
            for (moduls.Open(); !moduls.IsEOF(); moduls.MoveNext())
                rows.moduls[moduls.m_ModulIndex] = static_cast<LPCSTR>(moduls.m_Name);
            moduls.Close();
            for (const auto &modul : rows.moduls)
                EXPECT_EQ(reader.ReadModules(modul.first, 0), 1) << modul.second << ": " << reader.GetFailureText();
            reader.Close();
        }
        CDBFunctions functions(database.GetDatabase());
        for (functions.Open(); !functions.IsEOF(); functions.MoveNext()) {
            rows.functions.push_back(Row({N(functions.m_FunctionIndex), static_cast<LPCSTR>(functions.m_Name),
                                          N(functions.m_AddressMode), Hex(DWORD(functions.m_AddressValue)),
                                          N(functions.m_Length), N(functions.m_Scope), N(functions.m_CallType),
                                          N(functions.m_ReturnType)}));
            rows.functionsByName[static_cast<LPCSTR>(functions.m_Name)].push_back(
                {functions.m_FunctionIndex, functions.m_AddressValue, functions.m_Length, std::abs(functions.m_Scope),
                 functions.m_CallType});
            rows.functionSections.emplace_back(functions.m_AddressValue, functions.m_SectionIndex);
        }
        CDBSymbolInfo symbols(database.GetDatabase());
        for (symbols.Open(); !symbols.IsEOF(); symbols.MoveNext())
            rows.symbols.push_back({symbols.m_SymbolID,
                                    symbols.m_ModulIndex,
                                    symbols.m_ScopeIndex,
                                    static_cast<LPCSTR>(symbols.m_Name),
                                    {symbols.m_Data_1, symbols.m_Data_2, symbols.m_Data_3, symbols.m_Data_4,
                                     symbols.m_Data_5, symbols.m_Data_6}});
        CDBTypeInfo types(database.GetDatabase());
        for (types.Open(); !types.IsEOF(); types.MoveNext())
            rows.types[types.m_TypeIndex] = {types.m_TypeIndex,
                                             types.m_ModulIndex,
                                             types.m_TypeID,
                                             static_cast<LPCSTR>(types.m_Name),
                                             {types.m_Data_1, types.m_Data_2, types.m_Data_3, types.m_Data_4}};
        CDBSourceFiles files(database.GetDatabase());
        std::map<LONG, std::pair<std::string, std::string>> byIndex;
        for (files.Open(); !files.IsEOF(); files.MoveNext())
            byIndex[files.m_SourceFileIndex] = {static_cast<LPCSTR>(files.m_Name),
                                                static_cast<LPCSTR>(files.m_EntryInFile)};
        for (const auto &file : byIndex) {
            EXPECT_EQ(file.first, static_cast<LONG>(rows.sourceFiles.size() + 1));
            rows.sourceFiles.push_back(file.second);
        }
        CDBSourceLines lines(database.GetDatabase());
        for (lines.Open(); !lines.IsEOF(); lines.MoveNext()) {
            const auto file = byIndex.find(lines.m_SourceFileIndex);
            rows.lines.push_back(Row({file == byIndex.end() ? "?" : file->second.first, N(lines.m_SourceLine),
                                      Hex(DWORD(lines.m_AddressValue))}));
            rows.lineSections.emplace_back(lines.m_AddressValue, lines.m_SectionIndex);
            EXPECT_EQ(lines.m_AddressMode, 1);
            EXPECT_EQ(lines.m_Length, -1);
        }
        CDBSections sections(database.GetDatabase());
        for (sections.Open(); !sections.IsEOF(); sections.MoveNext())
            rows.sections.push_back({sections.m_SectionIndex, DWORD(sections.m_AddressValue),
                                     DWORD(sections.m_Length)});
        database.Close(FALSE);
        return rows;
    }

    CComPtr<IUnknown> m_host;
};

// ---------------------------------------------------------------------------------
// The rows that readelf's dumps call for.

struct Oracle {
    std::vector<DwarfUnit> units;
    std::map<unsigned, std::vector<LocationRange>> locations;
    std::vector<LineTable> lines;
    std::vector<ElfSymbol> elfSymbols;
    GdbAnswers gdb;
};

const Oracle &OracleOf(const std::string &program)
{
    static std::map<std::string, Oracle> oracles;
    auto known = oracles.find(program);
    if (known != oracles.end())
        return known->second;
    Oracle &oracle = oracles[program];
    oracle.units = ReadInfoDump(FirmwarePath(program, ".readelf-info.txt"));
    oracle.locations = ReadLocDump(FirmwarePath(program, ".readelf-loc.txt"));
    oracle.lines = ReadDecodedLines(FirmwarePath(program, ".readelf-decodedline.txt"));
    oracle.elfSymbols = ReadSymbolDump(FirmwarePath(program, ".readelf-s.txt"));
    oracle.gdb = ReadGdbAnswers(FirmwarePath(program, ".gdb.txt"));
    return oracle;
}

// The base types of the database's table (name, bits, code).
LONG BaseTypeCode(const std::string &name, LONG bits)
{
    static const struct {
        const char *name;
        LONG bits, code;
    } table[] = {{"void", 0, 0},
                 {"char", 8, 1},
                 {"signed char", 8, 1},
                 {"unsigned char", 8, 2},
                 {"short", 16, 3},
                 {"short int", 16, 3},
                 {"unsigned short", 16, 4},
                 {"short unsigned int", 16, 4},
                 {"long", 32, 5},
                 {"long int", 32, 5},
                 {"long long int", 32, 5},
                 {"unsigned long", 32, 6},
                 {"long unsigned int", 32, 6},
                 {"long long unsigned int", 32, 6},
                 {"float", 32, 7},
                 {"double", 64, 8},
                 {"long double", 64, 8},
                 {"int", 16, 9},
                 {"unsigned int", 16, 10},
                 {"bit", 1, 13},
                 {"signed short", 16, 3},
                 {"int", 32, 11},
                 {"unsigned int", 32, 12},
                 {"signed int", 32, 11},
                 {"signed long", 32, 5},
                 {"signed", 8, 1},
                 {"unsigned", 8, 2},
                 {"signed", 16, 9},
                 {"unsigned", 16, 10},
                 {"signed", 32, 11},
                 {"unsigned", 32, 12},
                 {"signed", 64, 107},
                 {"unsigned", 64, 108},
                 {"long long int", 64, 107},
                 {"long long unsigned int", 64, 108},
                 {"long long", 64, 107},
                 {"unsigned long long", 64, 108}};
    for (const auto &row : table)
        if (name == row.name && bits == row.bits)
            return row.code;
    return -1;
}

// The name of a synthetic base type: C's name of an integer's size and sign, else the
// encoding's.
std::string EncodingName(long encoding, LONG bits)
{
    const bool isUnsigned = encoding == 2 || encoding == 7 || encoding == 8;
    if (isUnsigned || encoding == 5 || encoding == 6) {
        const std::map<LONG, std::pair<const char *, const char *>> names = {
            {8, {"signed char", "unsigned char"}},
            {16, {"short", "unsigned short"}},
            {32, {"long", "unsigned long"}},
            {64, {"long long", "unsigned long long"}}};
        auto found = names.find(bits);
        return found == names.end() ? "" : isUnsigned ? found->second.second : found->second.first;
    }
    switch (encoding) {
    case 1: return "machine address";
    case 3: return "complex float";
    case 4: return "float";
    default: return "";
    }
}

// The unsigned code of a signed one's size.
LONG UnsignedCode(LONG code)
{
    const std::map<LONG, LONG> twins = {{1, 2}, {3, 4}, {5, 6}, {9, 10}, {11, 12}, {107, 108}};
    auto found = twins.find(code);
    return found == twins.end() ? code : found->second;
}

// A frame-base range: register `reg` plus `offset` (DW_OP_breg), or register `reg`
// itself (DW_OP_reg, `isRegister`).
struct FrameBase {
    unsigned begin, end;
    int reg;
    long offset;
    bool isRegister;
};

struct Expected {
    std::vector<std::string> functions;
    std::vector<std::string> symbols;      // of the modules (ModulIndex >= 1)
    std::vector<std::string> inlineLabels; // SymbolID 14 rows of inlined functions
    std::vector<std::string> types;
    std::vector<std::string> lines;
};

// Works out the rows of one program from readelf's dumps, unit by unit, as the globals
// pass and then the module pass of each unit write them.
class Model {
public:
    Model(const Oracle &oracle, const Database &database) : m_oracle(oracle), m_database(database) {}

    Expected Build()
    {
        LONG modul = 0;
        for (const DwarfUnit &unit : m_oracle.units) {
            ++modul;
            m_unit = &unit;
            m_modul = modul;
            Globals();
            Module();
        }
        for (const LineTable &table : m_oracle.lines)
            for (const LineRow &row : table.rows)
                if (row.line >= 0)
                    m_expected.lines.push_back(Row({row.file, N(row.line), Hex(row.address)}));
        return m_expected;
    }

private:
    struct Resolved {
        std::string name;
        bool hasType = false;
        unsigned type = 0; // unit-relative
        bool external = false;
    };

    unsigned Relative(unsigned offset) const { return offset - m_unit->offset; }

    // The name, type and external flag of an entry, with what its abstract origin or the
    // declaration it completes (and theirs) add; a name found through a declaration is
    // qualified by the classes and namespaces around the declaration.
    Resolved Resolve(const DwarfEntry &entry) const
    {
        Resolved r;
        const DwarfEntry *at = &entry;
        bool byDeclaration = false;
        for (int hop = 0; hop < 8 && at != nullptr; ++hop) {
            if (r.name.empty() && at->Has("DW_AT_name")) {
                r.name = at->Text("DW_AT_name");
                if (byDeclaration)
                    r.name = Qualifier(*at) + r.name;
            }
            if (!r.hasType && at->Has("DW_AT_type")) {
                r.hasType = true;
                r.type = Relative(at->Reference("DW_AT_type"));
            }
            r.external = r.external || (at->Has("DW_AT_external") && at->Value("DW_AT_external") != 0);
            if (at->Has("DW_AT_abstract_origin")) {
                byDeclaration = false;
                at = m_unit->At(at->Reference("DW_AT_abstract_origin"));
            } else if (at->Has("DW_AT_specification")) {
                byDeclaration = true;
                at = m_unit->At(at->Reference("DW_AT_specification"));
            } else {
                at = nullptr;
            }
        }
        return r;
    }

    std::string Qualifier(const DwarfEntry &entry) const
    {
        std::string qualifier;
        for (int parent = entry.parent; parent > 0; parent = m_unit->entries[parent].parent) {
            const DwarfEntry &outer = m_unit->entries[parent];
            if ((outer.tag == "DW_TAG_structure_type" || outer.tag == "DW_TAG_class_type" ||
                 outer.tag == "DW_TAG_union_type" || outer.tag == "DW_TAG_namespace") &&
                outer.Has("DW_AT_name"))
                qualifier = outer.Text("DW_AT_name") + "::" + qualifier;
        }
        return qualifier;
    }

    static bool IsFunction(const DwarfEntry &entry)
    {
        return entry.tag == "DW_TAG_subprogram" || entry.tag == "DW_TAG_inlined_subroutine";
    }

    static bool HasCode(const DwarfEntry &entry)
    {
        return entry.Has("DW_AT_low_pc") && entry.Has("DW_AT_high_pc") && entry.Value("DW_AT_high_pc") != 0;
    }

    // The globals pass: Functions rows and the variables at fixed addresses.
    void Globals()
    {
        const DwarfEntry &cu = m_unit->entries[0];
        const LONG unitFile = cu.Has("DW_AT_name") ? m_database.UnitSourceFile(cu.Text("DW_AT_name")) : -1;
        // Per entry: the innermost function or block with code around it, and the
        // innermost function with a Functions row.
        std::vector<LONG> scope(m_unit->entries.size(), 0), functionIndex(m_unit->entries.size(), 0);
        std::vector<bool> inFunction(m_unit->entries.size(), false);
        for (size_t i = 1; i < m_unit->entries.size(); ++i) {
            const DwarfEntry &entry = m_unit->entries[i];
            const int parent = entry.parent;
            scope[i] = scope[parent];
            functionIndex[i] = functionIndex[parent];
            inFunction[i] = inFunction[parent];
            const LONG packed = Pack(m_modul, Relative(entry.offset));
            if (IsFunction(entry)) {
                inFunction[i] = true;
                const Resolved r = Resolve(entry);
                if (!entry.Has("DW_AT_low_pc") || r.name.empty())
                    continue;
                scope[i] = packed;
                const bool inlined = entry.tag == "DW_TAG_inlined_subroutine";
                const LONG low = entry.Value("DW_AT_low_pc");
                const LONG length = entry.Has("DW_AT_high_pc") ? entry.Value("DW_AT_high_pc") - low : 0;
                const LONG index = ++m_functionCount;
                m_functionIndexes[entry.offset] = index;
                functionIndex[i] = index;
                m_expected.functions.push_back(
                    Row({N(index), r.name, "1", Hex(DWORD(low)), N(length),
                         N(r.external && !inlined ? -m_modul : m_modul), inlined ? "5" : "0",
                         N(Pack(m_modul, r.hasType ? r.type : 0))}));
                if (inlined)
                    m_expected.inlineLabels.push_back(
                        SymbolRow{14, -1, -1, r.name, {0, 1, low, 0, -1, -1}}.Text());
            } else if (entry.tag == "DW_TAG_lexical_block") {
                if (HasCode(entry))
                    scope[i] = packed;
            } else if (entry.tag == "DW_TAG_variable") {
                const std::vector<Operation> ops = entry.Block("DW_AT_location");
                const Resolved r = Resolve(entry);
                if (ops.size() != 1 || ops[0].name != "DW_OP_addr" || r.name.empty())
                    continue;
                SymbolRow row{0, m_modul, m_modul, r.name,
                              {r.hasType ? Pack(m_modul, r.type) : -1, 1, static_cast<LONG>(ops[0].value), 0, -1, -1}};
                if (inFunction[parent] && !r.external) {
                    row.id = 3;
                    row.scope = scope[parent];
                    row.data[4] = unitFile;
                    row.data[5] = functionIndex[parent];
                } else if (r.external) {
                    row.id = 5;
                } else {
                    row.id = 4;
                    row.data[4] = unitFile;
                }
                m_expected.symbols.push_back(row.Text());
            }
        }
    }

    // The module pass: types, blocks, parameters, locals, labels and lifetimes.
    void Module()
    {
        m_synthetic = 0x3FFFF;
        m_lifetimeList = 1;
        AddType(0, 0, "void", 0, 0, 0, 0);
        std::vector<LONG> scope(m_unit->entries.size(), 0), functionIndex(m_unit->entries.size(), 0);
        // Blocks are numbered per function, an inlined one having numbers of its own.
        std::vector<size_t> function(m_unit->entries.size(), 0);
        std::map<size_t, LONG> blockCounts;
        std::vector<std::vector<FrameBase>> frameBase(m_unit->entries.size());
        for (size_t i = 1; i < m_unit->entries.size(); ++i) {
            const DwarfEntry &entry = m_unit->entries[i];
            const int parent = entry.parent;
            const DwarfEntry &outer = m_unit->entries[parent];
            scope[i] = scope[parent];
            functionIndex[i] = functionIndex[parent];
            function[i] = function[parent];
            frameBase[i] = frameBase[parent];
            const LONG offset = static_cast<LONG>(Relative(entry.offset));
            const std::string &tag = entry.tag;
            if (tag == "DW_TAG_base_type") {
                BaseType(entry);
            } else if (tag == "DW_TAG_typedef" || tag == "DW_TAG_pointer_type" || tag == "DW_TAG_const_type" ||
                       tag == "DW_TAG_volatile_type") {
                const LONG type = Pack(m_modul, entry.Has("DW_AT_type") ? Relative(entry.Reference("DW_AT_type")) : 0);
                if (tag == "DW_TAG_typedef")
                    AddType(offset, 1, entry.Text("DW_AT_name"), type, 0, 0, 0);
                else if (tag == "DW_TAG_pointer_type")
                    AddType(offset, 3, "", type, 2, 0, 0);
                else
                    AddType(offset, 14, "", type, tag == "DW_TAG_const_type" ? 0 : 1, 0, 0);
            } else if (tag == "DW_TAG_array_type") {
                Array(entry);
            } else if (tag == "DW_TAG_enumeration_type") {
                Enumeration(entry);
            } else if (tag == "DW_TAG_structure_type" || tag == "DW_TAG_class_type" ||
                       tag == "DW_TAG_union_type") {
                Compound(entry);
            } else if (tag == "DW_TAG_subroutine_type") {
                const LONG function = Pack(m_modul, offset);
                LONG parameters = 0;
                for (int child : entry.children) {
                    const DwarfEntry &parameter = m_unit->entries[child];
                    if (parameter.tag != "DW_TAG_formal_parameter")
                        continue;
                    ++parameters;
                    if (parameter.Has("DW_AT_type"))
                        AddType(Relative(parameter.offset), 10, "",
                                Pack(m_modul, Relative(parameter.Reference("DW_AT_type"))), 0, 0, function);
                }
                AddType(offset, 9, "",
                        Pack(m_modul, entry.Has("DW_AT_type") ? Relative(entry.Reference("DW_AT_type")) : 0),
                        parameters, 0, 0);
            } else if (IsFunction(entry) || tag == "DW_TAG_lexical_block") {
                if (tag == "DW_TAG_subprogram")
                    frameBase[i] = FrameBaseOf(entry);
                LONG number = 0;
                if (IsFunction(entry)) {
                    function[i] = i;
                    auto index = m_functionIndexes.find(entry.offset);
                    if (index == m_functionIndexes.end())
                        continue;
                    functionIndex[i] = index->second;
                } else if (HasCode(entry)) {
                    number = ++blockCounts[function[i]];
                }
                if (!HasCode(entry))
                    continue;
                scope[i] = Pack(m_modul, offset);
                const LONG low = entry.Value("DW_AT_low_pc");
                m_expected.symbols.push_back(
                    SymbolRow{8,
                              m_modul,
                              scope[i],
                              "",
                              {number, 1, low, static_cast<LONG>(entry.Value("DW_AT_high_pc") - low), -1, -1}}
                        .Text());
            } else if ((tag == "DW_TAG_formal_parameter" && outer.tag != "DW_TAG_subroutine_type") ||
                       tag == "DW_TAG_variable") {
                const Resolved r = Resolve(entry);
                if (r.name.empty() || !r.hasType)
                    continue;
                LONG triple[3];
                if (!Place(entry, frameBase[parent], triple))
                    continue;
                const bool parameter = tag == "DW_TAG_formal_parameter";
                m_expected.symbols.push_back(SymbolRow{parameter ? 1 : 2,
                                                       m_modul,
                                                       parameter ? functionIndex[parent] : scope[parent],
                                                       r.name,
                                                       {Pack(m_modul, r.type), triple[0], triple[1], triple[2], -1, -1}}
                                                 .Text());
            } else if (tag == "DW_TAG_label") {
                if (entry.Has("DW_AT_name") && entry.Has("DW_AT_low_pc"))
                    m_expected.symbols.push_back(SymbolRow{9,
                                                           m_modul,
                                                           functionIndex[parent],
                                                           entry.Text("DW_AT_name"),
                                                           {-1, 1, LONG(entry.Value("DW_AT_low_pc")), -1, -1, -1}}
                                                     .Text());
            }
        }
    }

    std::vector<FrameBase> FrameBaseOf(const DwarfEntry &function) const
    {
        std::vector<FrameBase> frame;
        if (function.IsLocationList("DW_AT_frame_base")) {
            auto list = m_oracle.locations.find(static_cast<unsigned>(function.Value("DW_AT_frame_base")));
            if (list != m_oracle.locations.end())
                for (const LocationRange &range : list->second)
                    if (range.operation.name == "DW_OP_breg" || range.operation.name == "DW_OP_reg")
                        frame.push_back({range.begin, range.end, range.operation.reg, range.operation.value,
                                         range.operation.name == "DW_OP_reg"});
            return frame;
        }
        const std::vector<Operation> ops = function.Block("DW_AT_frame_base");
        if (!ops.empty() && HasCode(function) && (ops.back().name == "DW_OP_breg" || ops.back().name == "DW_OP_reg"))
            frame.push_back({unsigned(function.Value("DW_AT_low_pc")), unsigned(function.Value("DW_AT_high_pc")),
                             ops.back().reg, ops.back().value, ops.back().name == "DW_OP_reg"});
        return frame;
    }

    void Lifetime(LONG list, unsigned begin, LONG mode, LONG value, LONG extra)
    {
        m_expected.symbols.push_back(
            SymbolRow{12, m_modul, list, "", {LONG(begin), mode, value, extra, -1, -1}}.Text());
    }

    bool Place(const DwarfEntry &entry, const std::vector<FrameBase> &frame, LONG *triple)
    {
        const LONG list = m_lifetimeList;
        bool any = false;
        unsigned end = 0;
        auto frameRelative = [&](long offset, unsigned begin, unsigned until) {
            for (const FrameBase &base : frame) {
                if (base.begin >= until || begin >= base.end)
                    continue;
                Lifetime(list, std::max(begin, base.begin), 2, offset + (base.isRegister ? 0 : base.offset), base.reg);
                any = true;
                end = std::min(until, base.end);
            }
        };
        if (entry.IsLocationList("DW_AT_location")) {
            auto ranges = m_oracle.locations.find(static_cast<unsigned>(entry.Value("DW_AT_location")));
            if (ranges == m_oracle.locations.end())
                return false;
            for (const LocationRange &range : ranges->second) {
                if (range.begin >= range.end)
                    continue;
                const Operation &op = range.operation;
                if (op.name == "DW_OP_reg")
                    Lifetime(list, range.begin, 3, op.reg, 0);
                else if (op.name == "DW_OP_breg")
                    Lifetime(list, range.begin, 2, op.value, op.reg);
                else if (op.name == "DW_OP_fbreg") {
                    frameRelative(op.value, range.begin, range.end);
                    continue;
                } else
                    continue; // a fixed address: no lifetime row
                any = true;
                end = range.end;
            }
        } else {
            const std::vector<Operation> ops = entry.Block("DW_AT_location");
            if (ops.empty())
                return false;
            if (ops.back().name == "DW_OP_reg") {
                triple[0] = 3;
                triple[1] = ops.back().reg;
                triple[2] = 0;
                return true;
            }
            if (ops.back().name == "DW_OP_fbreg")
                frameRelative(ops.back().value, 0, 0xFFFFFFFF);
        }
        if (!any)
            return false;
        Lifetime(list, end, 6, -1, -1);
        ++m_lifetimeList;
        triple[0] = 5;
        triple[1] = list;
        triple[2] = 1;
        return true;
    }

    void AddType(LONG number, LONG id, const std::string &name, LONG d1, LONG d2, LONG d3, LONG d4)
    {
        m_expected.types.push_back(
            TypeRow{Pack(m_modul, number), m_modul, id, name, {d1, d2, d3, d4}}.Text());
    }

    void BaseType(const DwarfEntry &entry)
    {
        const std::string name = entry.Text("DW_AT_name");
        const long encoding = entry.Has("DW_AT_encoding") ? entry.Value("DW_AT_encoding") : -1;
        const LONG bits = entry.Has("DW_AT_byte_size") ? entry.Value("DW_AT_byte_size") * 8 : 0;
        if (name.empty() || (encoding >= 0x80 && encoding <= 0xFF) || bits == 0)
            return;
        const LONG offset = Relative(entry.offset);
        const bool isUnsigned = encoding == 2 || encoding == 7 || encoding == 8;
        LONG code = BaseTypeCode(name, bits);
        if (code >= 0) {
            AddType(offset, 0, name, bits, isUnsigned ? UnsignedCode(code) : code, 0, 0);
            return;
        }
        const LONG synthetic = m_synthetic--;
        const std::string base = EncodingName(encoding, bits);
        code = BaseTypeCode(base, bits);
        if (code < 0)
            return;
        AddType(synthetic, 0, base, bits, isUnsigned ? UnsignedCode(code) : code, 0, 0);
        AddType(offset, 1, name, Pack(m_modul, synthetic), 0, 0, 0);
    }

    void Array(const DwarfEntry &entry)
    {
        if (!entry.Has("DW_AT_type"))
            return;
        std::vector<LONG> numbers{LONG(Relative(entry.offset))}, counts{0};
        for (int child : entry.children) {
            const DwarfEntry &subrange = m_unit->entries[child];
            if (subrange.tag != "DW_TAG_subrange_type")
                continue;
            const long count = subrange.Has("DW_AT_count")         ? subrange.Value("DW_AT_count")
                               : subrange.Has("DW_AT_upper_bound") ? subrange.Value("DW_AT_upper_bound") + 1
                                                                   : 0;
            if (count < 1)
                continue;
            if (counts.back() == 0) {
                counts.back() = count;
            } else {
                numbers.push_back(Relative(subrange.offset));
                counts.push_back(count);
            }
        }
        // An array of 2 arrays of 3: the outermost dimension is the array's entry.
        for (size_t k = 0; k < numbers.size(); ++k)
            AddType(numbers[k], 4, "",
                    k + 1 < numbers.size() ? Pack(m_modul, numbers[k + 1])
                                           : Pack(m_modul, Relative(entry.Reference("DW_AT_type"))),
                    counts[k], 0, 0);
    }

    void Enumeration(const DwarfEntry &entry)
    {
        if (!entry.Has("DW_AT_byte_size"))
            return;
        const LONG owner = Pack(m_modul, Relative(entry.offset));
        LONG count = 0;
        for (int child : entry.children) {
            const DwarfEntry &enumerator = m_unit->entries[child];
            if (enumerator.tag != "DW_TAG_enumerator")
                continue;
            ++count;
            if (enumerator.Has("DW_AT_name"))
                AddType(Relative(enumerator.offset), 12, enumerator.Text("DW_AT_name"),
                        enumerator.Value("DW_AT_const_value"), 0, 0, owner);
        }
        if (count > 0)
            AddType(Relative(entry.offset), 7,
                    entry.Has("DW_AT_name") ? entry.Text("DW_AT_name") : "_unnamed_enumeration",
                    entry.Value("DW_AT_byte_size") * 8, count, 0, 0);
    }

    // Whether a type is a signed base type, through typedefs and qualifiers.
    bool IsSigned(unsigned type) const
    {
        for (int step = 0; step < 16; ++step) {
            const DwarfEntry *entry = m_unit->At(m_unit->offset + type);
            if (entry == nullptr)
                return false;
            if (entry->tag == "DW_TAG_base_type") {
                const long encoding = entry->Value("DW_AT_encoding");
                return encoding == 5 || encoding == 6;
            }
            if (!entry->Has("DW_AT_type"))
                return false;
            type = Relative(entry->Reference("DW_AT_type"));
        }
        return false;
    }

    void Compound(const DwarfEntry &entry)
    {
        if (!entry.Has("DW_AT_byte_size"))
            return;
        const bool isUnion = entry.tag == "DW_TAG_union_type";
        const LONG owner = Pack(m_modul, Relative(entry.offset));
        LONG count = 0;
        for (int child : entry.children) {
            const DwarfEntry &member = m_unit->entries[child];
            if (member.tag != "DW_TAG_member")
                continue;
            LONG bitOffset = isUnion ? 0 : -1;
            const std::vector<Operation> location = member.Block("DW_AT_data_member_location");
            if (!location.empty())
                bitOffset = location.back().value * 8;
            else if (member.Has("DW_AT_data_member_location"))
                bitOffset = member.Value("DW_AT_data_member_location") * 8;
            if (!member.Has("DW_AT_type") || bitOffset < 0)
                continue;
            const unsigned declared = Relative(member.Reference("DW_AT_type"));
            LONG type = Pack(m_modul, declared);
            if (member.Has("DW_AT_byte_size") && member.Has("DW_AT_bit_offset") && member.Has("DW_AT_bit_size")) {
                const LONG storage = member.Value("DW_AT_byte_size") * 8;
                const LONG width = member.Value("DW_AT_bit_size");
                LONG position = storage - member.Value("DW_AT_bit_offset") - width;
                if (position < 0) {
                    bitOffset -= storage;
                    position += storage;
                }
                const LONG synthetic = m_synthetic--;
                AddType(synthetic, 2, "", width, position, IsSigned(declared) ? 1 : 0, 0);
                type = Pack(m_modul, synthetic);
            }
            AddType(Relative(member.offset), 11, member.Text("DW_AT_name"), type, bitOffset, 0, owner);
            ++count;
        }
        if (count > 0)
            AddType(Relative(entry.offset), isUnion ? 6 : 5,
                    entry.Has("DW_AT_name") ? entry.Text("DW_AT_name")
                                            : (isUnion ? "_unnamed_union" : "_unnamed_struct"),
                    entry.Value("DW_AT_byte_size") * 8, count, 0, 0);
    }

    const Oracle &m_oracle;
    const Database &m_database;
    Expected m_expected;
    const DwarfUnit *m_unit = nullptr;
    LONG m_modul = 0;
    LONG m_functionCount = 0;
    std::map<unsigned, LONG> m_functionIndexes; // by .debug_info offset
    LONG m_synthetic = 0;
    LONG m_lifetimeList = 1;
};

// The addresses whose SectionIndex names no section that holds them.
void OutsideSections(const Database &database, const std::vector<std::pair<LONG, int>> &placed,
                     std::vector<std::string> *mismatches)
{
    for (const auto &address : placed) {
        bool inside = false;
        for (const Database::Section &section : database.sections)
            inside = inside || (section.index == address.second && DWORD(address.first) >= section.start &&
                                DWORD(address.first) - section.start < section.length);
        if (!inside)
            mismatches->push_back("section " + N(address.second) + " of " + Hex(DWORD(address.first)));
    }
}

// What gdb's `info scope` says of the variables and labels at an address holds for the
// rows of the blocks and functions around it.
class ScopeCheck {
public:
    explicit ScopeCheck(const Database &database) : m_database(database)
    {
        for (const SymbolRow &row : database.symbols) {
            if (row.id == 8)
                m_blocks[row.scope] = {row.data[2], row.data[3]};
            else if (row.id == 12)
                m_lists[{row.modul, row.scope}].push_back(&row);
        }
        for (const auto &name : database.functionsByName)
            for (const Database::Function &function : name.second)
                m_functions[function.index] = {function.address, function.length};
    }

    // The parameters, locals, statics and labels of the functions and blocks that hold
    // `address`, named `name`.
    std::vector<const SymbolRow *> Visible(DWORD address, const std::string &name) const
    {
        std::vector<const SymbolRow *> rows;
        auto holds = [address](const std::pair<LONG, LONG> &range) {
            const DWORD low = DWORD(range.first);
            return address >= low && address - low < DWORD(std::max<LONG>(range.second, 1));
        };
        for (const SymbolRow &row : m_database.symbols) {
            if (row.name != name)
                continue;
            if (row.id == 2 || row.id == 3) {
                auto block = m_blocks.find(row.scope);
                if (block != m_blocks.end() && holds(block->second))
                    rows.push_back(&row);
            } else if (row.id == 1 || row.id == 9) {
                auto function = m_functions.find(row.scope);
                if (function != m_functions.end() && holds(function->second))
                    rows.push_back(&row);
            } else if (row.id == 4 || row.id == 5) {
                rows.push_back(&row);
            }
        }
        return rows;
    }

    // Whether a row's place is (mode, value, extra), or its lifetime list has a row of it
    // (from `begin`, unless that is -1).
    bool HasPlace(const SymbolRow &row, LONG mode, LONG value, LONG extra, LONG begin = -1) const
    {
        if (row.data[1] == mode && row.data[2] == value && row.data[3] == extra)
            return true;
        if (row.data[1] != 5)
            return false;
        auto list = m_lists.find({row.modul, row.data[2]});
        if (list == m_lists.end())
            return false;
        for (const SymbolRow *place : list->second)
            if (place->data[1] == mode && place->data[2] == value && place->data[3] == extra &&
                (begin == -1 || place->data[0] == begin))
                return true;
        return false;
    }

    // Whether a row's lifetime list holds (mode, value, extra) at `address`: its last row
    // from there on or before, ahead of the list's end.
    bool PlaceAt(const SymbolRow &row, DWORD address, LONG mode, LONG value, LONG extra) const
    {
        if (row.data[1] != 5)
            return false;
        auto list = m_lists.find({row.modul, row.data[2]});
        if (list == m_lists.end())
            return false;
        const SymbolRow *holding = nullptr;
        for (const SymbolRow *place : list->second)
            if (DWORD(place->data[0]) <= address && (holding == nullptr || place->data[0] >= holding->data[0]))
                holding = place;
        return holding != nullptr && holding->data[1] == mode && holding->data[2] == value &&
               holding->data[3] == extra;
    }

    // Where the block or function that declares a local or parameter starts.
    DWORD ScopeStart(const SymbolRow &row) const
    {
        const auto &scopes = row.id == 2 ? m_blocks : m_functions;
        auto scope = scopes.find(row.scope);
        return scope == scopes.end() ? 0 : DWORD(scope->second.first);
    }

    // Checks the answer of `info scope` at `address`; what disagrees goes to `mismatches`.
    // gdb tells the frame base where the block that declares the variable begins.
    void Check(const std::string &command, DWORD address, const std::vector<std::string> &answer,
               std::vector<std::string> *mismatches) const
    {
        static const std::regex symbol("Symbol (\\S+) is (.*)");
        static const std::regex frame(
            "a variable at frame base reg (\\$\\w+) offset (-?\\d+)\\+(-?\\d+), length \\d+\\.");
        static const std::regex reg("a variable in (\\$\\w+), length \\d+\\.");
        static const std::regex fixed("in static storage at address (0x[0-9a-f]+), length \\d+\\.");
        static const std::regex label("a label at address (0x[0-9a-f]+), length \\d+\\.");
        static const std::regex range("  Range (0x[0-9a-f]+)-0x[0-9a-f]+: a variable in (\\$\\w+)");
        std::string name;
        std::smatch m;
        for (const std::string &line : answer) {
            bool ok = true;
            if (std::regex_match(line, m, symbol)) {
                name = m[1].str();
                const std::string what = m[2].str();
                const std::vector<const SymbolRow *> rows = Visible(address, name);
                auto any = [&](auto test) {
                    return std::any_of(rows.begin(), rows.end(), [&](const SymbolRow *row) { return test(*row); });
                };
                if (std::regex_match(what, m, frame)) {
                    const LONG value = LONG(Number(m[2].str()) + Number(m[3].str()));
                    const int r = GdbRegister(m[1].str());
                    ok = any([&](const SymbolRow &row) {
                        return (row.id == 1 || row.id == 2) && PlaceAt(row, ScopeStart(row), 2, value, r);
                    });
                } else if (std::regex_match(what, m, reg)) {
                    const int r = GdbRegister(m[1].str());
                    ok = any([&](const SymbolRow &row) {
                        return (row.id == 1 || row.id == 2) && HasPlace(row, 3, r, 0);
                    });
                } else if (std::regex_match(what, m, fixed)) {
                    const LONG at = LONG(Number(m[1].str()));
                    ok = any([&](const SymbolRow &row) { return row.id >= 3 && row.id <= 5 && row.data[2] == at; });
                } else if (std::regex_match(what, m, label)) {
                    const LONG at = LONG(Number(m[1].str()));
                    ok = any([&](const SymbolRow &row) { return row.id == 9 && row.data[2] == at; });
                }
            } else if (std::regex_search(line, m, range)) {
                const LONG begin = LONG(Number(m[1].str()));
                const int r = GdbRegister(m[2].str());
                const std::vector<const SymbolRow *> rows = Visible(address, name);
                ok = std::any_of(rows.begin(), rows.end(), [&](const SymbolRow *row) {
                    return (row->id == 1 || row->id == 2) && HasPlace(*row, 3, r, 0, begin);
                });
            }
            if (!ok)
                mismatches->push_back(command + ": " + line);
        }
    }

private:
    const Database &m_database;
    std::map<LONG, std::pair<LONG, LONG>> m_blocks;    // by packed scope: address, length
    std::map<LONG, std::pair<LONG, LONG>> m_functions; // by FunctionIndex
    std::map<std::pair<LONG, LONG>, std::vector<const SymbolRow *>> m_lists; // by module and list
};

// A type of the database as gdb writes it.
class TypeText {
public:
    explicit TypeText(const Database &database) : m_types(database.types) {}

    // `resolve`: through the typedefs of the type and of a function pointer's result, as
    // ptype shows them.
    std::string Of(LONG index, bool resolve = false, int depth = 0) const
    {
        auto found = m_types.find(index);
        if (found == m_types.end() || depth > 16)
            return "?";
        const TypeRow &t = found->second;
        switch (t.id) {
        case 0: return GdbBaseName(t.name);
        case 1: return resolve ? Of(t.data[0], true, depth + 1) : t.name;
        case 5: return "struct " + t.name;
        case 6: return "union " + t.name;
        case 7: return "enum " + t.name;
        case 14: {
            // A qualified array is an array of qualified elements, which gdb names once.
            const std::string qualifier = t.data[1] == 0 ? "const " : "volatile ";
            const std::string inner = Of(t.data[0], resolve, depth + 1);
            return StartsWith(inner, qualifier) ? inner : qualifier + inner;
        }
        case 3: {
            auto target = m_types.find(t.data[0]);
            if (target != m_types.end() && target->second.id == 9)
                return Of(target->second.data[0], resolve, depth + 1) + " (*)(" + Parameters(t.data[0], depth) + ")";
            return Of(t.data[0], false, depth + 1) + " *";
        }
        case 4: {
            std::string dimensions;
            const TypeRow *array = &t;
            for (;;) {
                dimensions += "[" + (array->data[1] > 0 ? N(array->data[1]) : std::string()) + "]";
                auto element = m_types.find(array->data[0]);
                if (element == m_types.end() || element->second.id != 4)
                    break;
                array = &element->second;
            }
            return Of(array->data[0], false, depth + 1) + " " + dimensions;
        }
        case 9: return Of(t.data[0], false, depth + 1) + " (" + Parameters(index, depth) + ")";
        default: return "?";
        }
    }

    // An enumeration's enumerators as ptype lists them: "A, B = 4, C".
    std::string Enumerators(LONG index) const
    {
        std::string list;
        LONG next = 0;
        for (const auto &type : m_types) {
            if (type.second.id != 12 || type.second.data[3] != index)
                continue;
            list += (list.empty() ? "" : ", ") + type.second.name +
                    (type.second.data[0] == next ? std::string() : " = " + N(type.second.data[0]));
            next = type.second.data[0] + 1;
        }
        return list;
    }

private:
    static std::string GdbBaseName(const std::string &name)
    {
        static const std::map<std::string, std::string> names = {
            {"short int", "short"},          {"short unsigned int", "unsigned short"},
            {"long int", "long"},            {"long unsigned int", "unsigned long"},
            {"long long int", "long long"},  {"long long unsigned int", "unsigned long long"}};
        auto found = names.find(name);
        return found == names.end() ? name : found->second;
    }

    std::string Parameters(LONG function, int depth) const
    {
        std::string list;
        for (const auto &type : m_types)
            if (type.second.id == 10 && type.second.data[3] == function)
                list += (list.empty() ? "" : ", ") + Of(type.second.data[0], false, depth + 1);
        return list.empty() ? "void" : list;
    }

    const std::map<LONG, TypeRow> &m_types;
};

} // namespace

TEST_F(Dwarf2OracleTest, FunctionsAreTheSubprogramsWithCodeWithTheirAddressesLengthsScopesAndReturnTypes)
{
    for (const char *program : kPrograms) {
        SCOPED_TRACE(program);
        const Database database = Load(program);
        const Oracle &oracle = OracleOf(program);
        const Expected expected = Model(oracle, database).Build();
        ASSERT_FALSE(expected.functions.empty());
        EXPECT_EQ(Differences(expected.functions, database.functions), "");

        // Each function with code is the symbol table's function of that address and
        // size (odd in Thumb state), and gdb finds it there.
        std::vector<std::string> mismatches;
        std::map<unsigned, unsigned> sizes;
        for (const ElfSymbol &symbol : oracle.elfSymbols)
            if (symbol.type == "FUNC")
                sizes[symbol.value & ~1u] = symbol.size;
        for (const auto &function : database.functionsByName)
            for (const Database::Function &place : function.second)
                if (place.callType == 0 &&
                    (sizes.count(DWORD(place.address)) == 0 || sizes[DWORD(place.address)] != DWORD(place.length)))
                    mismatches.push_back(function.first + " " + Hex(DWORD(place.address)) + " " + N(place.length));
        OutsideSections(database, database.functionSections, &mismatches);
        const std::regex function("Symbol \"([^\"(]*)[^\"]*\" is a function at address (0x[0-9a-f]+)\\.");
        for (const auto &answer : oracle.gdb) {
            std::smatch m;
            if (!StartsWith(answer.first, "info address ") || answer.second.empty() ||
                !std::regex_match(answer.second[0], m, function))
                continue;
            const auto found = database.functionsByName.find(m[1].str());
            bool match = false;
            if (found != database.functionsByName.end())
                for (const Database::Function &place : found->second)
                    match = match || DWORD(place.address) == DWORD(Number(m[2].str()));
            if (!match)
                mismatches.push_back(answer.first + ": " + answer.second[0]);
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

TEST_F(Dwarf2OracleTest, SymbolsAreTheVariablesBlocksLabelsAndLifetimesWithTheirScopesAndPlaces)
{
    for (const char *program : kPrograms) {
        SCOPED_TRACE(program);
        const Database database = Load(program);
        const Oracle &oracle = OracleOf(program);
        const Expected expected = Model(oracle, database).Build();
        std::vector<std::string> actual, labels;
        for (const SymbolRow &row : database.symbols) {
            if (row.modul >= 1)
                actual.push_back(row.Text());
            else if (row.id == 14)
                labels.push_back(row.Text());
        }
        ASSERT_FALSE(expected.symbols.empty());
        EXPECT_EQ(Differences(expected.symbols, actual), "");
        // The symbol table's labels stand beside those of the inlined functions.
        std::vector<std::string> missing;
        for (const std::string &label : expected.inlineLabels)
            if (std::find(labels.begin(), labels.end(), label) == labels.end())
                missing.push_back(label);
        EXPECT_EQ(FirstOf(missing), "");

        // gdb's places of the variables and labels of each function, of each line
        // address's blocks, and of the statics.
        std::vector<std::string> mismatches;
        const ScopeCheck scopes(database);
        const std::regex staticAddress("Symbol \"(\\S+)\" is static storage at address (0x[0-9a-f]+)\\.");
        const std::regex pointer("\\((.*) \\*\\) (0x[0-9a-f]+) <.*>");
        for (const auto &answer : oracle.gdb) {
            const std::string &command = answer.first;
            std::smatch m;
            if (StartsWith(command, "info scope *")) {
                scopes.Check(command, DWORD(Number(command.substr(12))), answer.second, &mismatches);
            } else if (StartsWith(command, "info scope ")) {
                std::string name = command.substr(11);
                const std::string file = name.find(':') != std::string::npos && name.find("::") == std::string::npos
                                             ? name.substr(0, name.find(':'))
                                             : "";
                if (!file.empty())
                    name = name.substr(file.size() + 1);
                auto function = database.functionsByName.find(name);
                if (function == database.functionsByName.end()) {
                    mismatches.push_back(command + ": no such function");
                    continue;
                }
                for (const Database::Function &candidate : function->second)
                    if (file.empty() || database.moduls.at(candidate.modul) == file)
                        scopes.Check(command, DWORD(candidate.address), answer.second, &mismatches);
            } else if (StartsWith(command, "info address ") && !answer.second.empty() &&
                       std::regex_match(answer.second[0], m, staticAddress)) {
                const std::string name = m[1].str();
                const LONG at = LONG(Number(m[2].str()));
                if (std::none_of(database.symbols.begin(), database.symbols.end(), [&](const SymbolRow &row) {
                        return row.id >= 3 && row.id <= 5 && row.name == name && row.data[2] == at;
                    }))
                    mismatches.push_back(command + ": " + answer.second[0]);
            } else if (StartsWith(command, "output &") && !answer.second.empty() &&
                       std::regex_match(answer.second[0], m, pointer)) {
                // "output &'board.c'::state_count", "output &board_poll::calls"
                const size_t scope = command.rfind("::");
                const std::string name = command.substr(scope == std::string::npos ? 8 : scope + 2);
                const LONG at = LONG(Number(m[2].str()));
                if (std::none_of(database.symbols.begin(), database.symbols.end(), [&](const SymbolRow &row) {
                        return row.id >= 3 && row.id <= 5 && row.name == name && row.data[2] == at;
                    }) &&
                    database.functionsByName.count(name) == 0)
                    mismatches.push_back(command + ": " + answer.second[0]);
            }
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

TEST_F(Dwarf2OracleTest, TypesAreTheEntriesTypesWithTheirSizesMembersBitFieldsDimensionsAndEnumerators)
{
    for (const char *program : kPrograms) {
        SCOPED_TRACE(program);
        const Database database = Load(program);
        const Oracle &oracle = OracleOf(program);
        const Expected expected = Model(oracle, database).Build();
        std::vector<std::string> actual;
        for (const auto &type : database.types)
            actual.push_back(type.second.Text());
        ASSERT_FALSE(expected.types.empty());
        EXPECT_EQ(Differences(expected.types, actual), "");

        // gdb's view: the types of the statics (typedef chains, qualifiers, arrays,
        // function pointers), and the members' offsets and bit-fields of each structure.
        std::vector<std::string> mismatches;
        const TypeText text(database);
        std::set<std::string> located;
        for (const DwarfUnit &unit : oracle.units)
            for (const DwarfEntry &entry : unit.entries) {
                const std::vector<Operation> ops = entry.Block("DW_AT_location");
                if (entry.tag != "DW_TAG_variable" || ops.empty() || ops.back().name != "DW_OP_addr")
                    continue;
                const DwarfEntry *named = &entry;
                if (!entry.Has("DW_AT_name") && entry.Has("DW_AT_specification"))
                    named = unit.At(entry.Reference("DW_AT_specification"));
                if (named != nullptr)
                    located.insert(named->Text("DW_AT_name"));
            }
        const std::regex whatis("whatis (?:'[^']*'::)?(?:(\\w+)::)?(\\w+)");
        const std::regex member("/\\*\\s*(\\d+)(?::\\s*(\\d+))?\\s*\\|\\s*\\d+\\s*\\*/"
                                "\\s*(.*?)\\s*(\\w+)(\\[[^;]*\\])?(?: : (\\d+))?;");
        const std::regex unionMember("/\\*\\s+\\d+\\s*\\*/\\s*(.*?)\\s*(\\w+)(\\[[^;]*\\])?(?: : (\\d+))?;");
        const std::regex header("type = (struct|union|class) (\\w+) \\{");
        const std::regex enumeration("type = enum (\\w+) \\{(.*)\\}");
        const std::regex total("/\\* total size \\(bytes\\):\\s*(\\d+) \\*/");
        for (const auto &answer : oracle.gdb) {
            const std::string &command = answer.first;
            std::smatch m;
            if (answer.second.empty())
                continue;
            if (std::regex_match(command, m, whatis) && StartsWith(answer.second[0], "type = ")) {
                const std::string type = answer.second[0].substr(7);
                const std::string name = m[1].matched && m[1].str() == "Motor" ? "Motor::" + m[2].str() : m[2].str();
                std::vector<std::string> seen;
                for (const SymbolRow &row : database.symbols)
                    if (row.id >= 3 && row.id <= 5 && row.name == name)
                        seen.push_back(text.Of(row.data[0]));
                // A static that gcc left without a place has no row.
                if (seen.empty() && located.count(name) == 0)
                    continue;
                if (std::find(seen.begin(), seen.end(), type) == seen.end())
                    mismatches.push_back(command + ": gdb '" + type + "', rows '" +
                                         (seen.empty() ? std::string() : seen[0]) + "'");
            } else if (StartsWith(command, "ptype /o ")) {
                if (std::regex_match(answer.second[0], m, enumeration)) {
                    bool found = false;
                    for (const auto &type : database.types)
                        found = found || (type.second.id == 7 && type.second.name == m[1].str() &&
                                          text.Enumerators(type.first) == m[2].str());
                    if (!found)
                        mismatches.push_back(command + ": " + answer.second[0]);
                    continue;
                }
                if (!std::regex_search(answer.second[0], m, header)) {
                    // A typedef of a base type or of a function pointer.
                    const std::string name = command.substr(9);
                    bool found = false;
                    for (const auto &type : database.types)
                        found = found || (type.second.id == 1 && type.second.name == name &&
                                          "type = " + text.Of(type.first, true) == answer.second[0]);
                    if (!found)
                        mismatches.push_back(command + ": " + answer.second[0]);
                    continue;
                }
                const bool isUnion = m[1].str() == "union";
                const std::string name = m[2].str();
                std::vector<std::string> members;
                LONG bits = -1;
                for (const std::string &line : answer.second) {
                    std::smatch f;
                    if (std::regex_search(line, f, member))
                        members.push_back(f[4].str() + "@" + N(Number(f[1].str()) * 8 + Number(f[2].str())) +
                                          (f[6].matched ? ":" + f[6].str() : ""));
                    else if (isUnion && std::regex_search(line, f, unionMember))
                        members.push_back(f[2].str() + "@0" + (f[4].matched ? ":" + f[4].str() : ""));
                    else if (std::regex_search(line, f, total))
                        bits = LONG(Number(f[1].str()) * 8);
                }
                bool found = false;
                std::string rows;
                for (const auto &type : database.types) {
                    if ((type.second.id != 5 && type.second.id != 6) || type.second.name != name)
                        continue;
                    std::vector<std::string> own;
                    for (const auto &row : database.types) {
                        if (row.second.id != 11 || row.second.data[3] != type.first)
                            continue;
                        auto bitField = database.types.find(row.second.data[0]);
                        if (bitField != database.types.end() && bitField->second.id == 2)
                            own.push_back(row.second.name + "@" + N(row.second.data[1] + bitField->second.data[1]) +
                                          ":" + N(bitField->second.data[0]));
                        else
                            own.push_back(row.second.name + "@" + N(row.second.data[1]));
                    }
                    rows = Row({N(type.second.data[0])}) + " " + ::testing::PrintToString(own);
                    found = found || (own == members && type.second.data[0] == bits);
                }
                if (!found)
                    mismatches.push_back(command + ": gdb " + N(bits) + " " + ::testing::PrintToString(members) +
                                         ", rows " + rows);
            }
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

TEST_F(Dwarf2OracleTest, SourceLinesAreEveryDecodedLineRowButTheEndsOfSequences)
{
    for (const char *program : kPrograms) {
        SCOPED_TRACE(program);
        const Database database = Load(program);
        const Oracle &oracle = OracleOf(program);
        const Expected expected = Model(oracle, database).Build();
        ASSERT_FALSE(expected.lines.empty());
        EXPECT_EQ(Differences(expected.lines, database.lines), "");

        // The row gdb reports for a function's first line and for each line address.
        std::vector<std::string> mismatches;
        OutsideSections(database, database.lineSections, &mismatches);
        const std::regex line("Line (\\d+) of \"([^\"]+)\" starts at address (0x[0-9a-f]+) ");
        for (const auto &answer : oracle.gdb) {
            std::smatch m;
            if (!StartsWith(answer.first, "info line ") || answer.second.empty() ||
                !std::regex_search(answer.second[0], m, line))
                continue;
            const std::string row = Row({m[2].str().substr(m[2].str().find_last_of('/') + 1), m[1].str(), m[3].str()});
            if (std::find(database.lines.begin(), database.lines.end(), row) == database.lines.end())
                mismatches.push_back(answer.first + ": " + answer.second[0]);
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

TEST_F(Dwarf2OracleTest, WhereGdbSaysOtherwiseTheRowsFollowTheDebuggingInformation)
{
    // The lifetime list of each parameter or local named `name`, as "begin mode value extra" rows.
    auto lists = [](const Database &database, const std::string &name) {
        std::vector<std::vector<std::string>> found;
        for (const SymbolRow &row : database.symbols) {
            if ((row.id != 1 && row.id != 2) || row.name != name || row.data[1] != 5)
                continue;
            found.emplace_back();
            for (const SymbolRow &place : database.symbols)
                if (place.id == 12 && place.modul == row.modul && place.scope == row.data[2])
                    found.back().push_back(
                        Row({Hex(DWORD(place.data[0])), N(place.data[1]), N(place.data[2]), N(place.data[3])}));
        }
        return found;
    };
    auto answer = [](const Oracle &oracle, const std::string &command) {
        std::string text;
        for (const auto &asked : oracle.gdb)
            if (asked.first == command)
                for (const std::string &line : asked.second)
                    text += line + "\n";
        return text;
    };
    auto hasBlock = [](const Database &database, LONG low, LONG length) {
        return std::any_of(database.symbols.begin(), database.symbols.end(), [&](const SymbolRow &row) {
            return row.id == 8 && row.data[2] == low && row.data[3] == length;
        });
    };
    auto holds = [](const std::vector<std::vector<std::string>> &lists, const std::vector<std::string> &list) {
        return std::find(lists.begin(), lists.end(), list) != lists.end();
    };
    {
        const Database database = Load("handwritten-O0");
        const Oracle &oracle = OracleOf("handwritten-O0");
        // gdb gives the frame base where the function starts; the rows, each range's.
        EXPECT_NE(answer(oracle, "info scope board_scale")
                      .find("value is a variable at frame base reg $sp offset 0+-12"),
                  std::string::npos);
        EXPECT_TRUE(holds(lists(database, "value"), {"0x8009c 2 -12 13", "0x800a0 2 -4 13", "0x800a4 2 -8 11",
                                                     "0x80108 2 -4 13", "0x8010c 2 -12 13", "0x80118 6 -1 -1"}));
        // gcc's absolute addresses in motor.cpp's lists are read as offsets from the unit's
        // low address, as DWARF 2 has them; gdb finds no frame base there.
        EXPECT_EQ(answer(oracle, "info scope motor_run"),
                  "error: Could not find the frame base for \"motor_run(int)\".\n");
        EXPECT_EQ(database.functionsByName.at("motor_run")[0].address, 0x8059c);
        EXPECT_TRUE(holds(lists(database, "steps"), {"0x100ad4 2 -28 13", "0x100ad6 2 -20 13", "0x100ad8 2 4 13",
                                                     "0x100ada 2 4 7", "0x100b2c 6 -1 -1"}));
        // A Thumb function is at its even address; the symbol table's is odd.
        EXPECT_EQ(database.functionsByName.at("control_step")[0].address, 0x803f4);
        const auto &symbols = oracle.elfSymbols;
        EXPECT_TRUE(std::any_of(symbols.begin(), symbols.end(), [](const ElfSymbol &symbol) {
            return symbol.name == "control_step" && symbol.value == 0x803f5;
        }));
        // _Bool: a typedef of "unsigned char" (no keyword's type of another size), numbered
        // from the top.
        EXPECT_EQ(answer(oracle, "whatis board_ready"), "type = _Bool\n");
        const TypeRow &named = database.types.at(Pack(1, 0xd6));
        EXPECT_EQ(named.Text(), Row({N(Pack(1, 0xd6)), "1", "1", "'_Bool'", N(named.data[0]), "0", "0", "0"}));
        EXPECT_GT(named.data[0] & 0x3FFFF, 0x3FF00);
        EXPECT_EQ(database.types.at(named.data[0]).Text(),
                  Row({N(named.data[0]), "1", "0", "'unsigned char'", "8", "2", "0", "0"}));
    }
    {
        const Database database = Load("handwritten-O1");
        const Oracle &oracle = OracleOf("handwritten-O1");
        // The `col` loop's block comes in two pieces; DWARF 2 gives the first one only.
        EXPECT_TRUE(hasBlock(database, 0x80138, 0x14));
        // A range that puts `count` at a fixed address gives no lifetime row.
        EXPECT_NE(answer(oracle, "info scope board_poll")
                      .find("Range 0x80138-0x80144: a complex DWARF expression:\n     0: DW_OP_addr 0x40000018"),
                  std::string::npos);
        EXPECT_TRUE(holds(lists(database, "count"), {"0x80144 3 3 0", "0x80194 6 -1 -1"}));
    }
}
