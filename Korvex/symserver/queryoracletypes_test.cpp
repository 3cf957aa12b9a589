// The type, member, lifetime and VarEd queries against readelf and gdb: each program of
// testdata/firmware is loaded through a client of the symbol server, its modules read
// through queries, and what codes 500, 501 and 600 answer through IQelSymbol is held
// against gdb's `ptype /o`, `whatis` and `info scope` and readelf's location and frame-base
// lists; code 601 against the VarEd statements of testdata/vared.
//
// gdb's type texts are mapped to the system's in one table (TheSystemsText): DWARF 2
// pointers are of class 2 (`char _huge*`, 32 bits), base types keep the names of their
// debugging entries (`long int`), qualifiers are not kept, and dimensions follow the
// name without a blank.
#include "queryoracletesting.h"

#include <regex>

namespace {

using namespace queryoracle;

class QueryOracleTypes : public QueryOracleTest {
protected:
    // Loads the program (event mode for every second one) and reads every module through
    // the lines at the first address of each unit.
    bool LoadAndRead(size_t p)
    {
        const Program &program = ProgramOf(Programs()[p]);
        if (!Load(program.name, p % 2 == 1))
            return false;
        Batch<SourceLineTag> lines(Client());
        for (const DwarfUnit &unit : program.units)
            lines.Add(Client().RequestSourceLineRangesByAddress(
                1, static_cast<unsigned>(unit.entries[0].Value("DW_AT_low_pc"))));
        EXPECT_TRUE(lines.Wait());
        for (const ModulRow &modul : Moduls())
            EXPECT_TRUE(modul.analyzed) << modul.name;
        return true;
    }
};

// gdb's text of a type as the type description writes it: base types by their entries'
// names, no qualifiers, pointers of class 2, dimensions after the name without a blank,
// except after a typedef's name, which stands for the whole type; a typedef of a pointer
// shows the pointer behind its name. `typedefs`: what each typedef stands for.
std::string TheSystemsText(std::string text, const std::map<std::string, std::string> &typedefs)
{
    static const std::map<std::string, std::string> bases = {{"long long", "long long int"},
                                                             {"unsigned long long", "long long unsigned int"},
                                                             {"unsigned long", "long unsigned int"},
                                                             {"unsigned short", "short unsigned int"},
                                                             {"long", "long int"},
                                                             {"short", "short int"}};
    for (const char *qualifier : {"volatile ", "const "})
        while (text.find(qualifier) != std::string::npos)
            text.erase(text.find(qualifier), strlen(qualifier));
    std::string dims;
    if (text.find(" [") != std::string::npos) {
        dims = text.substr(text.find(" [") + 1);
        text = text.substr(0, text.find(" ["));
    }
    int pointers = 0;
    while (text.size() > 2 && text.compare(text.size() - 2, 2, " *") == 0) {
        ++pointers;
        text.erase(text.size() - 2);
    }
    auto base = bases.find(text);
    if (base != bases.end())
        text = base->second;
    for (int i = 0; i < pointers; ++i)
        text += " _huge*";
    auto named = typedefs.find(text);
    if (named == typedefs.end())
        return text + dims;
    return named->second.back() == '*' || named->second.find("(*)") != std::string::npos ? text + " _huge*" : text;
}

// A member as gdb's `ptype /o` shows it.
struct GdbMember {
    std::string type, name;
    long offset = 0, bit = -1, size = 0, width = -1; // bit, width: -1 unless a bit field
};

struct GdbType {
    bool found = false;
    std::string head; // "struct status_bits", "int", "enum state8", "int (*)(int32_t)"
    std::vector<GdbMember> members;
    std::vector<std::pair<std::string, long>> enumerators;
};

GdbType ParsePtype(const std::vector<std::string> &answer)
{
    GdbType type;
    static const std::regex head("^(?:/\\*.*\\*/)?\\s*type = (.*?)(?: \\{(.*)\\})?( \\{)?$");
    static const std::regex member("^/\\*\\s+(?:(\\d+)(?::\\s*(\\d+))?)?\\s+\\|?\\s*(\\d+) \\*/\\s+(.*);$");
    static const std::regex declaration("^(.*?)\\s*([A-Za-z_]\\w*)((?:\\[\\d+\\])*)(?: : (\\d+))?$");
    for (const std::string &line : answer) {
        std::smatch m;
        if (!type.found && std::regex_match(line, m, head)) {
            type.found = true;
            type.head = m[1];
            if (m[2].matched) { // enum {A, B = 4, C}
                long value = 0;
                std::istringstream items(m[2].str());
                for (std::string item; std::getline(items, item, ',');) {
                    item = Trim(item);
                    const size_t equals = item.find(" = ");
                    if (equals != std::string::npos) {
                        value = std::atol(item.c_str() + equals + 3);
                        item = item.substr(0, equals);
                    }
                    type.enumerators.push_back({item, value++});
                }
            }
        } else if (std::regex_match(line, m, member)) {
            GdbMember one;
            one.offset = m[1].matched ? std::atol(m[1].str().c_str()) : 0;
            one.bit = m[2].matched ? std::atol(m[2].str().c_str()) : -1;
            one.size = std::atol(m[3].str().c_str());
            std::smatch d;
            const std::string text = m[4];
            if (!std::regex_match(text, d, declaration))
                continue;
            one.type = d[1].str() + (d[3].length() > 0 ? " " + d[3].str() : "");
            one.name = d[2];
            if (d[4].matched)
                one.width = std::atol(d[4].str().c_str());
            else
                one.bit = -1;
            type.members.push_back(one);
        }
    }
    return type;
}

std::string Member(const MemberTag &member)
{
    char words[96];
    snprintf(words, sizeof words, " code %#x index %#x size %d class %d word7 %#x word8 %d", unsigned(member.TypeCode),
             unsigned(member.TypeIndex), int(member.SizeInBits), int(member.PointerClass), unsigned(member.Offset),
             int(member.Extra));
    return std::string(member.Name) + " '" + std::string(member.TypeText) + "'" + words;
}

TEST_F(QueryOracleTypes, TypesByNameHaveTheMembersThatGdbsPtypeShows)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadAndRead(p));
        // The types gdb was asked about; a typedef's underlying name, for the sign of bit fields.
        std::vector<std::pair<std::string, GdbType>> types;
        std::map<std::string, std::string> typedefs;
        for (const auto &answer : program.gdb) {
            if (answer.first.rfind("ptype /o ", 0) != 0)
                continue;
            std::string name = answer.first.substr(9);
            for (const char *kind : {"struct ", "union ", "enum "})
                if (name.rfind(kind, 0) == 0)
                    name = name.substr(strlen(kind));
            const GdbType type = ParsePtype(answer.second);
            if (!type.found)
                continue;
            types.push_back({name, type});
            if (answer.first.find(' ', 9) == std::string::npos && type.head.rfind("class ", 0) != 0)
                typedefs[name] = type.head;
        }
        ASSERT_FALSE(types.empty());
        Batch<MemberTag> byName(Client());
        for (const auto &type : types)
            byName.Add(Client().RequestType(type.first.c_str()));
        ASSERT_TRUE(byName.Wait());
        Batch<MemberTag> members(Client());
        std::vector<std::pair<size_t, MemberTag>> asked;
        std::vector<std::string> mismatches;
        for (size_t t = 0; t < types.size(); ++t) {
            if (byName[t].empty())
                mismatches.push_back("code 500 '" + types[t].first + "' finds nothing");
            for (const MemberTag &found : byName[t]) {
                if (std::string(found.Name) != types[t].first)
                    mismatches.push_back("code 500 '" + types[t].first + "': " + Member(found));
                members.Add(Client().RequestMembersOfType(found.TypeIndex));
                asked.push_back({t, found});
            }
        }
        ASSERT_TRUE(members.Wait());
        for (size_t k = 0; k < asked.size(); ++k) {
            const std::string &name = types[asked[k].first].first;
            const GdbType &gdb = types[asked[k].first].second;
            const std::vector<MemberTag> &got = members[k];
            std::vector<std::string> want, have;
            for (const MemberTag &member : got)
                have.push_back(Member(member));
            if (!gdb.enumerators.empty()) {
                std::vector<std::pair<std::string, long>> ordered = gdb.enumerators;
                std::stable_sort(ordered.begin(), ordered.end(),
                                 [](const auto &a, const auto &b) { return a.second < b.second; });
                for (const auto &enumerator : ordered) {
                    MemberTag expected;
                    expected.Name = enumerator.first.c_str();
                    expected.TypeCode = 12;
                    expected.TypeIndex = asked[k].second.TypeIndex;
                    expected.SizeInBits = asked[k].second.SizeInBits;
                    expected.Offset = enumerator.second;
                    want.push_back(Member(expected));
                }
            } else if (gdb.head.find("(*)") != std::string::npos) {
                // A typedef of a function pointer: one entry for the pointer's target.
                if (got.size() != 1 || std::string(got[0].Name) != "*%s" || got[0].PointerClass != 2)
                    mismatches.push_back("code 501 of " + name + ":" + FirstOf(have));
                continue;
            } else {
                std::vector<GdbMember> ordered = gdb.members;
                if (gdb.head.rfind("class ", 0) == 0)
                    std::stable_sort(ordered.begin(), ordered.end(),
                                     [](const GdbMember &a, const GdbMember &b) { return a.offset < b.offset; });
                for (size_t i = 0; i < ordered.size(); ++i) {
                    const GdbMember &member = ordered[i];
                    MemberTag expected = i < got.size() ? got[i] : MemberTag();
                    expected.Name = member.name.c_str();
                    if (member.width >= 0) {
                        // The declared type, through its typedef, tells the sign.
                        const std::string base = typedefs.count(member.type) ? typedefs[member.type] : member.type;
                        const bool isSigned = base.rfind("unsigned", 0) != 0 && base != "_Bool" && base != "char";
                        expected.Offset = LONG((unsigned(member.width) & 0xFFFF) |
                                               (unsigned(member.offset * 8 + member.bit) << 16) |
                                               (isSigned ? 0x80000000u : 0));
                        expected.SizeInBits = member.width;
                    } else {
                        expected.Offset = gdb.head.rfind("union ", 0) == 0 ? 0 : member.offset * 8;
                        expected.SizeInBits = member.size * 8;
                        expected.TypeText = TheSystemsText(member.type, typedefs).c_str();
                    }
                    want.push_back(Member(expected));
                }
            }
            if (have != want)
                mismatches.push_back("code 501 of " + name + " (" + gdb.head + "):" + FirstOf(have) +
                                     "\n  gdb:" + FirstOf(want));
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

// The size of a type that gdb names, from the base types' sizes and gdb's ptype answers.
long GdbBits(const Program &program, std::string text)
{
    static const std::map<std::string, long> bases = {
        {"char", 8},          {"signed char", 8},    {"unsigned char", 8}, {"_Bool", 8},
        {"short", 16},        {"unsigned short", 16}, {"int", 32},         {"unsigned int", 32},
        {"long", 32},         {"unsigned long", 32}, {"float", 32},        {"long long", 64},
        {"unsigned long long", 64}, {"double", 64}};
    for (const char *qualifier : {"volatile ", "const "})
        while (text.find(qualifier) != std::string::npos)
            text.erase(text.find(qualifier), strlen(qualifier));
    long count = 1;
    const size_t dims = text.find(" [");
    if (dims != std::string::npos) {
        for (size_t at = text.find('[', dims); at != std::string::npos; at = text.find('[', at + 1))
            count *= std::atol(text.c_str() + at + 1);
        text = text.substr(0, dims);
    }
    if (text.back() == '*')
        return 32 * count;
    auto base = bases.find(text);
    if (base != bases.end())
        return base->second * count;
    for (const std::string &command : {"ptype /o " + text, "ptype /o " + text.substr(text.find(' ') + 1)}) {
        const std::vector<std::string> &answer = program.Answer(command);
        for (const std::string &line : answer) {
            const size_t total = line.find("total size (bytes):");
            if (total != std::string::npos)
                return std::atol(line.c_str() + total + 19) * 8 * count;
        }
        if (!answer.empty() && answer[0].rfind("type = ", 0) == 0 && answer[0].find('{') == std::string::npos)
            return answer[0].find("(*)") != std::string::npos ? 32 * count : GdbBits(program, answer[0].substr(7)) * count;
    }
    // An enumeration has the size of its entry (gcc makes them short for ARM).
    if (text.rfind("enum ", 0) == 0)
        for (const DwarfUnit &unit : program.units)
            for (const DwarfEntry &entry : unit.entries)
                if (entry.tag == "DW_TAG_enumeration_type" && entry.Text("DW_AT_name") == text.substr(5) &&
                    entry.Has("DW_AT_byte_size"))
                    return entry.Value("DW_AT_byte_size") * 8 * count;
    return -1;
}

TEST_F(QueryOracleTypes, VariablesHaveTheTypeTextsAndSizesOfGdbsWhatis)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadAndRead(p));
        const std::vector<SymbolRow> symbols = Symbols();
        std::map<LONG, std::string> units; // by module: the unit's name
        for (size_t u = 0; u < program.units.size(); ++u)
            units[LONG(u + 1)] = program.units[u].entries[0].Text("DW_AT_name");
        std::map<std::string, std::string> typedefs;
        for (const auto &answer : program.gdb)
            if (answer.first.rfind("ptype /o ", 0) == 0 && answer.first.find(' ', 9) == std::string::npos &&
                !answer.second.empty() && answer.second[0].rfind("type = ", 0) == 0)
                typedefs[answer.first.substr(9)] = answer.second[0].substr(7, answer.second[0].find(" {") - 7);
        std::vector<std::string> mismatches;
        size_t compared = 0;
        for (const auto &answer : program.gdb) {
            if (answer.first.rfind("whatis ", 0) != 0 || answer.second.empty() ||
                answer.second[0].rfind("type = ", 0) != 0)
                continue;
            // whatis V, whatis 'FILE'::V, whatis F::V, whatis 'FILE'::F::V
            std::string name = answer.first.substr(7), file, function;
            if (name[0] == '\'') {
                file = name.substr(1, name.find('\'', 1) - 1);
                name = name.substr(file.size() + 4);
            }
            const size_t scope = name.rfind("::");
            if (scope != std::string::npos && name.find("Motor::") != 0) {
                function = name.substr(0, scope);
                name = name.substr(scope + 2);
            }
            const std::string gdb = answer.second[0].substr(7);
            for (const SymbolRow &row : symbols) {
                const bool matches = row.name == name && (file.empty() || units[row.modul] == file) &&
                                     (function.empty() ? row.id == 4 || row.id == 5 : row.id == 3);
                if (!matches || (!function.empty() && std::none_of(program.functions.begin(), program.functions.end(),
                                                                    [&](const OracleFunction &f) {
                                                                        return f.name == function &&
                                                                               units[row.modul] == f.unitName;
                                                                    })))
                    continue;
                ++compared;
                const long bits = GdbBits(program, gdb);
                if (row.typeText != TheSystemsText(gdb, typedefs) || row.sizeInBits != bits)
                    mismatches.push_back(answer.first + ": '" + gdb + "' (" + N(bits) + " bits), type description '" +
                                         row.typeText + "' (" + N(row.sizeInBits) + " bits, code " +
                                         Hex(unsigned(row.typeCode)) + ")");
            }
        }
        EXPECT_GT(compared, 0u);
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

// ---------------------------------------------------------------------------------
// Lifetimes.

std::string Entry(unsigned start, unsigned length, LONG kind, LONG value, LONG extra)
{
    return Hex(start) + "+" + Hex(length) + " " + N(kind) + " " + N(value) + " " + N(extra);
}

// What code 600 gives for each parameter and local that readelf shows with a location
// list or at an offset from a frame base that is a list, by name: each entry from where
// it holds, for as long as until the next one, and where the variable lives.
std::multimap<std::string, std::vector<std::string>> ExpectedLifetimes(const Program &program)
{
    std::multimap<std::string, std::vector<std::string>> expected;
    struct Place {
        unsigned begin;
        LONG kind, value, extra;
    };
    for (const DwarfUnit &unit : program.units) {
        // Per entry, the frame base of the function around it.
        std::vector<std::vector<std::pair<std::pair<unsigned, unsigned>, Operation>>> frames(unit.entries.size());
        for (size_t i = 1; i < unit.entries.size(); ++i) {
            const DwarfEntry &entry = unit.entries[i];
            frames[i] = frames[entry.parent];
            if ((entry.tag == "DW_TAG_subprogram" || entry.tag == "DW_TAG_inlined_subroutine") &&
                entry.Has("DW_AT_frame_base")) {
                frames[i].clear();
                if (entry.IsLocationList("DW_AT_frame_base")) {
                    auto list = program.locations.find(unsigned(entry.Value("DW_AT_frame_base")));
                    if (list != program.locations.end())
                        for (const LocationRange &range : list->second)
                            frames[i].push_back({{range.begin, range.end}, range.operation});
                } else if (!entry.Block("DW_AT_frame_base").empty() && entry.Has("DW_AT_low_pc")) {
                    frames[i].push_back({{unsigned(entry.Value("DW_AT_low_pc")), unsigned(entry.Value("DW_AT_high_pc"))},
                                         entry.Block("DW_AT_frame_base").back()});
                }
            }
            const bool parameter = entry.tag == "DW_TAG_formal_parameter" &&
                                   unit.entries[entry.parent].tag != "DW_TAG_subroutine_type";
            if ((!parameter && entry.tag != "DW_TAG_variable") || !entry.Has("DW_AT_location"))
                continue;
            std::vector<Place> places;
            unsigned end = 0;
            auto frameRelative = [&](long offset, unsigned begin, unsigned until) {
                for (const auto &base : frames[entry.parent]) {
                    if (base.first.first >= until || begin >= base.first.second)
                        continue;
                    const bool isRegister = base.second.name == "DW_OP_reg";
                    places.push_back({std::max(begin, base.first.first), 2,
                                      LONG(offset + (isRegister ? 0 : base.second.value)), base.second.reg});
                    end = std::min(until, base.first.second);
                }
            };
            if (entry.IsLocationList("DW_AT_location")) {
                auto list = program.locations.find(unsigned(entry.Value("DW_AT_location")));
                if (list == program.locations.end())
                    continue;
                for (const LocationRange &range : list->second) {
                    const Operation &op = range.operation;
                    if (range.begin >= range.end)
                        continue;
                    if (op.name == "DW_OP_reg")
                        places.push_back({range.begin, 3, op.reg, 0});
                    else if (op.name == "DW_OP_breg")
                        places.push_back({range.begin, 2, LONG(op.value), op.reg});
                    else if (op.name == "DW_OP_fbreg") {
                        frameRelative(op.value, range.begin, range.end);
                        continue;
                    } else
                        continue;
                    end = range.end;
                }
            } else {
                const std::vector<Operation> ops = entry.Block("DW_AT_location");
                if (ops.empty() || ops.back().name != "DW_OP_fbreg")
                    continue;
                frameRelative(ops.back().value, 0, 0xFFFFFFFF);
            }
            if (places.empty())
                continue;
            places.push_back({end, 6, -1, -1});
            std::vector<std::string> entries;
            for (size_t k = 0; k < places.size(); ++k)
                entries.push_back(Entry(places[k].begin, k + 1 < places.size() ? places[k + 1].begin - places[k].begin : 0,
                                         places[k].kind, places[k].value, places[k].extra));
            expected.insert({EntryName(unit, entry), entries});
        }
    }
    return expected;
}

TEST_F(QueryOracleTypes, LifetimesAreTheLocationListsAndFrameBasesOfReadelfAndGdb)
{
    for (size_t p = 0; p < Programs().size(); ++p) {
        const Program &program = ProgramOf(Programs()[p]);
        SCOPED_TRACE(program.name);
        ASSERT_TRUE(LoadAndRead(p));
        std::vector<SymbolRow> variables;
        for (const SymbolRow &row : Symbols())
            if (row.id == 1 || row.id == 2)
                variables.push_back(row);
        Batch<LifetimeTag> lifetimes(Client());
        for (const SymbolRow &row : variables)
            lifetimes.Add(Client().RequestLifetime(row.index));
        ASSERT_TRUE(lifetimes.Wait());
        std::multimap<std::string, std::vector<std::string>> expected = ExpectedLifetimes(program);
        std::map<std::string, std::vector<std::vector<std::string>>> answered; // by name
        std::vector<std::string> mismatches;
        for (size_t i = 0; i < variables.size(); ++i) {
            std::vector<std::string> entries;
            for (const LifetimeTag &entry : lifetimes[i]) {
                entries.push_back(Entry(entry.From.AddressValue, entry.From.AddressExtra, entry.To.AddressMode,
                                        entry.To.AddressValue, entry.To.AddressExtra));
                if (entry.From.AddressMode != 1)
                    mismatches.push_back(variables[i].name + ": mode " + N(entry.From.AddressMode));
            }
            if (variables[i].data[1] != 5) {
                if (!entries.empty())
                    mismatches.push_back(variables[i].name + " has no lifetime list, code 600 gives" + FirstOf(entries));
                continue;
            }
            answered[variables[i].name].push_back(entries);
            auto range = expected.equal_range(variables[i].name);
            auto found = std::find_if(range.first, range.second, [&](const auto &e) { return e.second == entries; });
            if (found == range.second)
                mismatches.push_back("code 600 of " + variables[i].name + " (" + N(variables[i].index) + "):" +
                                     FirstOf(entries) + "\n  readelf:" +
                                     (range.first == range.second ? std::string(" none") : FirstOf(range.first->second)));
            else
                expected.erase(found);
        }
        for (const auto &left : expected)
            mismatches.push_back("no variable answers readelf's " + left.first + ":" + FirstOf(left.second));
        EXPECT_FALSE(answered.empty());

        // gdb's registers of the variables of each function at -O1.
        static const std::regex symbol("^Symbol (\\w+) is multi-location:$");
        static const std::regex inRegister("^  Range (0x[0-9a-f]+)-(0x[0-9a-f]+): a variable in (\\$\\w+)$");
        size_t registers = 0;
        for (const auto &answer : program.gdb) {
            if (answer.first.rfind("info scope ", 0) != 0 || answer.first.find('*') != std::string::npos)
                continue;
            std::string name;
            for (const std::string &line : answer.second) {
                std::smatch m;
                if (std::regex_match(line, m, symbol)) {
                    name = m[1];
                } else if (!name.empty() && std::regex_match(line, m, inRegister)) {
                    const std::string start = m[1].str() + "+";
                    const std::string place = " 3 " + N(GdbRegister(m[3])) + " 0";
                    bool held = false;
                    for (const auto &entries : answered[name])
                        for (const std::string &entry : entries)
                            held = held || (entry.rfind(start, 0) == 0 && entry.size() > place.size() &&
                                            entry.compare(entry.size() - place.size(), place.size(), place) == 0);
                    ++registers;
                    if (!held)
                        mismatches.push_back(answer.first + ": " + name + " " + line);
                }
            }
        }
        if (program.name.find("O1") != std::string::npos) {
            EXPECT_GT(registers, 0u) << "gdb's registers at -O1";
        }
        EXPECT_EQ(FirstOf(mismatches), "");
    }
}

// Each VarEd statement "function : variable = value" maps the variable, within the
// function's code, to the value's address; a statement whose function the program lacks
// maps nothing.
TEST_F(QueryOracleTypes, VarEdMappingsAreTheFunctionsAndValuesOfTheStatements)
{
    struct Statement {
        const char *function, *variable, *value;
    };
    const struct {
        const char *sample;
        std::vector<Statement> statements; // those that name what the program has
    } samples[] = {{"vared-valid",
                    {{"motor_task", "motor_speed", "motor_limit"},
                     {"pump_task", "pump_level", "pump_limit"},
                     {"fan_task", "motor_speed", "fan_step"},
                     {"fan_task", "pump_level", "fan_step"}}},
                   {"vared-missingfunction", {{"motor_task", "motor_speed", "motor_limit"}}}};
    for (const auto &sample : samples) {
        SCOPED_TRACE(sample.sample);
        ASSERT_TRUE(Load(sample.sample, sample.statements.size() == 1, "vared"));
        std::map<std::string, std::pair<unsigned, unsigned>> functions;
        Batch<FunctionTag> found(Client());
        found.Add(Client().RequestFunctions());
        ASSERT_TRUE(found.Wait());
        for (const FunctionTag &function : found[0])
            functions[static_cast<LPCSTR>(function.Name)] = {function.AddressValue, function.Length};
        std::map<std::string, SymbolRow> globals;
        for (const SymbolRow &row : Symbols())
            if (row.id == 5)
                globals[row.name] = row;
        const char *const variables[] = {"motor_speed", "pump_level", "motor_limit", "fan_step"};
        Batch<LifetimeTag> mappings(Client());
        for (const char *variable : variables)
            mappings.Add(Client().RequestVarEdMapping(globals.at(variable).index));
        ASSERT_TRUE(mappings.Wait());
        for (size_t k = 0; k < std::size(variables); ++k) {
            std::vector<std::string> want, got;
            for (const Statement &statement : sample.statements)
                if (std::string(statement.variable) == variables[k]) {
                    const auto function = functions.at(statement.function);
                    want.push_back(Entry(function.first, function.second, 1, globals.at(statement.value).data[2], 0));
                }
            for (const LifetimeTag &entry : mappings[k]) {
                got.push_back(Entry(entry.From.AddressValue, entry.From.AddressExtra, entry.To.AddressMode,
                                    entry.To.AddressValue, entry.To.AddressExtra));
                EXPECT_EQ(entry.From.AddressMode, 1u);
            }
            EXPECT_EQ(got, want) << variables[k];
        }
    }
}

} // namespace
