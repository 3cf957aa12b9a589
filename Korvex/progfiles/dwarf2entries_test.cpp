#include "dwarf2entries.h"

#include "dumpnames.h"
#include "dwarftesting.h"

#include <gtest/gtest.h>

using namespace DwarfTesting;

namespace {

Dwarf2Sections SectionsOf(const Sample &sample)
{
    Dwarf2Sections sections;
    sections.info = sample.Section(".debug_info", &sections.infoSize);
    sections.abbrev = sample.Section(".debug_abbrev", &sections.abbrevSize);
    sections.str = sample.Section(".debug_str", &sections.strSize);
    sections.loc = sample.Section(".debug_loc", &sections.locSize);
    sections.bigEndian = sample.image.IsBigEndian();
    return sections;
}

std::string BlockText(const BYTE *block, DWORD length)
{
    std::string text;
    char hex[8];
    for (DWORD i = 0; i < length; ++i) {
        snprintf(hex, sizeof hex, "%s%x", i == 0 ? "" : " ", block[i]);
        text += hex;
    }
    return text;
}

bool IsUnitReference(DWORD form)
{
    return form == 0x11 || form == 0x12 || form == 0x13 || form == 0x14 || form == 0x15;
}

// The attribute's value in the form the expected values give it (expect.py).
std::string ValueText(const Dwarf2Attribute &a, DWORD unitOffset, const std::string &kind)
{
    if (kind == "s")
        return a.string != nullptr ? a.string : "<no text>";
    if (kind == "b")
        return a.block != nullptr ? BlockText(a.block, a.value) : "<no block>";
    char text[32];
    if (a.form == 0x0D && a.signedValue < 0)
        return std::to_string(a.signedValue);
    uint64_t value = (uint64_t(a.value2) << 32) | a.value;
    if (IsUnitReference(a.form))
        value += unitOffset;
    snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

class InfoUnits : public testing::TestWithParam<const char *> {};

TEST_P(InfoUnits, UnitsEntriesAndAttributesAgreeWithBinutils)
{
    Sample sample(GetParam());
    ASSERT_TRUE(sample.image.IsAttached());
    CDwarf2EntryReader reader(SectionsOf(sample));
    std::vector<ExpectedLine> expected = Expected(GetParam(), {"unit", "entry", "attr"});
    ASSERT_FALSE(expected.empty());

    size_t next = 0;
    int unitsRead = 0, unitsSkipped = 0;
    for (DWORD offset = 0;;) {
        CDwarf2EntryReader::UnitStatus status = reader.BeginUnit(offset);
        if (status == CDwarf2EntryReader::UNIT_END)
            break;
        ASSERT_NE(CDwarf2EntryReader::UNIT_MALFORMED, status) << (LPCSTR)reader.GetDiagnostic();
        offset = reader.GetUnit().end;
        if (status == CDwarf2EntryReader::UNIT_SKIPPED) {
            ++unitsSkipped;
            EXPECT_NE(-1, reader.GetDiagnostic().Find("version 5")) << (LPCSTR)reader.GetDiagnostic();
            continue;
        }
        ++unitsRead;
        const Dwarf2UnitHeader &unit = reader.GetUnit();
        ASSERT_LT(next, expected.size());
        ASSERT_EQ("unit", expected[next][0]);
        EXPECT_EQ(Number(expected[next][1]), unit.offset);
        EXPECT_EQ(Number(expected[next][2]), unit.version);
        EXPECT_EQ(Number(expected[next][3]), unit.abbrevOffset);
        EXPECT_EQ(Number(expected[next][4]), unit.addressSize);
        ++next;
        while (reader.NextEntry()) {
            ASSERT_LT(next, expected.size());
            const ExpectedLine &entry = expected[next++];
            ASSERT_EQ("entry", entry[0]);
            EXPECT_EQ(Number(entry[1]), unit.offset + reader.GetEntryOffset());
            EXPECT_EQ(Number(entry[2]), reader.GetAbbreviationCode());
            if (reader.GetAbbreviationCode() != 0) {
                EXPECT_EQ(entry[3], (LPCSTR)ValueName(g_dwarfTagNames, reader.GetTag()));
            }
            while (reader.NextAttribute()) {
                const Dwarf2Attribute &a = reader.GetAttribute();
                ASSERT_LT(next, expected.size());
                const ExpectedLine &attr = expected[next++];
                ASSERT_EQ("attr", attr[0]) << entry[1];
                EXPECT_EQ(attr[1], (LPCSTR)ValueName(g_dwarfAttributeNames, a.name)) << entry[1];
                EXPECT_EQ(attr.size() > 3 ? attr[3] : "", ValueText(a, unit.offset, attr[2]))
                    << entry[1] << " " << attr[1];
            }
        }
        EXPECT_TRUE(reader.GetDiagnostic().IsEmpty()) << (LPCSTR)reader.GetDiagnostic();
    }
    EXPECT_EQ(expected.size(), next);
    EXPECT_EQ(3, unitsRead);
    EXPECT_EQ(std::string(GetParam()) == "arm7-newlib.elf" ? 17 : 0, unitsSkipped);
}

INSTANTIATE_TEST_SUITE_P(Samples, InfoUnits,
                         testing::Values("arm7-mixed.elf", "arm7-mixed-v2line.elf", "arm7-be.elf", "arm7-sections.elf",
                                         "arm7-newlib.elf"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string name = info.param;
                             for (char &c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace

namespace {

Dwarf2Location Decode(const std::vector<BYTE> &expression, bool bigEndian = false)
{
    return DecodeDwarf2Location(expression.data(), expression.size(), 4, bigEndian);
}

TEST(Dwarf2Location, EachOperatorThatNamesAPlaceGivesItsAddressTriple)
{
    EXPECT_EQ(CAddressValue(0x40000010, 1, 0), Decode({0x03, 0x10, 0x00, 0x00, 0x40}).place);
    EXPECT_EQ(CAddressValue(0x40000010, 1, 0), Decode({0x03, 0x40, 0x00, 0x00, 0x10}, true).place);
    EXPECT_EQ(CAddressValue(5, 3, 0), Decode({0x55}).place);                  // DW_OP_reg5
    EXPECT_EQ(CAddressValue(40, 3, 0), Decode({0x90, 40}).place);             // DW_OP_regx 40
    EXPECT_EQ(CAddressValue(DWORD(-8), 2, 11), Decode({0x7B, 0x78}).place);   // DW_OP_breg11 -8
    EXPECT_EQ(CAddressValue(12, 2, 33), Decode({0x92, 33, 12}).place);        // DW_OP_bregx 33 12
    Dwarf2Location frame = Decode({0x91, 0x7C});                              // DW_OP_fbreg -4
    EXPECT_EQ(CAddressValue(DWORD(-4), 2, 0xFFFFFFFF), frame.place);
    EXPECT_EQ(0x91, frame.lastOperator);
    EXPECT_EQ(-4, frame.signedOperand);
}

TEST(Dwarf2Location, ConstantsAndPlusUconstGiveAValue)
{
    Dwarf2Location member = Decode({0x23, 0x88, 0x01}); // DW_OP_plus_uconst 136
    EXPECT_EQ(136u, member.constant);
    EXPECT_EQ(CAddressValue(136, 0, 0), member.place);
    EXPECT_EQ(CAddressValue(0x1008, 1, 0), Decode({0x03, 0x00, 0x10, 0, 0, 0x23, 8}).place);
    EXPECT_EQ(CAddressValue(7, 0, 0), Decode({0x37}).place);                        // DW_OP_lit7
    EXPECT_EQ(DWORD(-2), Decode({0x09, 0xFE}).constant);                             // DW_OP_const1s -2
}

TEST(Dwarf2Location, UnknownOrCutOffOperatorsEndTheDecodingAndSaySo)
{
    Dwarf2Location vendor = Decode({0x55, 0xF3, 0x01, 0x50});
    EXPECT_EQ(0xFF, vendor.lastOperator);
    EXPECT_FALSE(vendor.complete);
    EXPECT_EQ(CAddressValue(5, 3, 0), vendor.place);
    EXPECT_FALSE(Decode({0x03, 0x10, 0x00}).complete);
    CString text;
    DecodeDwarf2Location(std::vector<BYTE>{0x91, 0x7C}.data(), 2, 4, false, &text);
    EXPECT_EQ(CString("DW_OP_fbreg (-4)"), text);
}

TEST(Dwarf2Location, ListsGiveEntriesFromTheUnitBaseUpToTheirEnd)
{
    std::vector<BYTE> loc = {
        0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x50,             // [0, 8) reg0
        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x20, 0x00, 0x00,                               // base 0x2000
        0x08, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x91, 0x7C,       // [8, 16) fbreg -4
        0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<Dwarf2LocationListEntry> entries;
    EXPECT_TRUE(ReadDwarf2LocationList(loc.data(), loc.size(), 0, 4, false, 0x1000, &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(0x1000u, entries[0].begin);
    EXPECT_EQ(0x1008u, entries[0].end);
    EXPECT_EQ(CAddressValue(0, 3, 0), entries[0].location.place);
    EXPECT_EQ(0x2008u, entries[1].begin);
    EXPECT_EQ(CAddressValue(DWORD(-4), 2, 0xFFFFFFFF), entries[1].location.place);

    entries.clear();
    EXPECT_FALSE(ReadDwarf2LocationList(loc.data(), 20, 0, 4, false, 0, &entries));
    EXPECT_EQ(1u, entries.size());
    EXPECT_FALSE(ReadDwarf2LocationList(loc.data(), loc.size(), 1000, 4, false, 0, &entries));
}

// A unit of version 2 with one abbreviation (1: compile unit, no children, the given
// attribute pairs) and the given entry bytes behind its header.
struct Unit {
    std::vector<BYTE> info, abbrev;
    Dwarf2Sections Sections() const
    {
        Dwarf2Sections s;
        s.info = info.data();
        s.infoSize = info.size();
        s.abbrev = abbrev.data();
        s.abbrevSize = abbrev.size();
        return s;
    }
};

Unit MakeUnit(const std::vector<BYTE> &pairs, const std::vector<BYTE> &entries, WORD version = 2)
{
    Unit u;
    u.abbrev = {1, 0x11, 0};
    u.abbrev.insert(u.abbrev.end(), pairs.begin(), pairs.end());
    u.abbrev.insert(u.abbrev.end(), {0, 0, 0});
    DWORD length = static_cast<DWORD>(7 + entries.size());
    u.info = {BYTE(length), BYTE(length >> 8), 0, 0, BYTE(version), 0, 0, 0, 0, 0, 4};
    u.info.insert(u.info.end(), entries.begin(), entries.end());
    return u;
}

TEST(Dwarf2Entries, AttributesAreKeptByNameAndNamedValuesFoldTheirVendorRanges)
{
    // language data1 4, encoding data1 0x85 (vendor), calling convention data1 0x40.
    Unit u = MakeUnit({0x13, 0x0B, 0x3E, 0x0B, 0x36, 0x0B, 0x03, 0x08}, {1, 4, 0x85, 0x40, 'm', 0});
    CDwarf2EntryReader reader(u.Sections());
    ASSERT_EQ(CDwarf2EntryReader::UNIT_OK, reader.BeginUnit(0));
    ASSERT_TRUE(reader.NextEntry());
    while (reader.NextAttribute()) {
    }
    EXPECT_EQ(4u, reader.GetKept().language);
    EXPECT_EQ(0xFFu, reader.GetKept().encoding);
    EXPECT_EQ(0xFFu, reader.GetKept().orderingOrConvention);
    EXPECT_FALSE(reader.NextEntry());
    EXPECT_EQ(CDwarf2EntryReader::UNIT_END, reader.BeginUnit(reader.GetUnit().end));
}

TEST(Dwarf2Entries, ADamagedEntryEndsTheUnitWithAReason)
{
    // An abbreviation code the unit does not have.
    Unit unknown = MakeUnit({0x03, 0x08}, {7, 'x', 0});
    CDwarf2EntryReader reader(unknown.Sections());
    ASSERT_EQ(CDwarf2EntryReader::UNIT_OK, reader.BeginUnit(0));
    EXPECT_FALSE(reader.NextEntry());
    EXPECT_NE(-1, reader.GetDiagnostic().Find("abbreviation 7"));

    // A string that the unit's end cuts off, and a chain of DW_FORM_indirect.
    Unit cut = MakeUnit({0x03, 0x08}, {1, 'a', 'b'});
    CDwarf2EntryReader cutReader(cut.Sections());
    ASSERT_EQ(CDwarf2EntryReader::UNIT_OK, cutReader.BeginUnit(0));
    ASSERT_TRUE(cutReader.NextEntry());
    EXPECT_EQ(0, cutReader.NextAttribute());
    EXPECT_FALSE(cutReader.NextEntry());
    Unit indirect = MakeUnit({0x03, 0x16}, {1, 0x16, 0x16, 0x16, 0x16, 0x16, 0x08, 'a', 0});
    CDwarf2EntryReader indirectReader(indirect.Sections());
    ASSERT_EQ(CDwarf2EntryReader::UNIT_OK, indirectReader.BeginUnit(0));
    ASSERT_TRUE(indirectReader.NextEntry());
    EXPECT_EQ(0, indirectReader.NextAttribute());

    // A unit longer than the section, and one of a version the reader does not read.
    Unit longUnit = MakeUnit({}, {1});
    longUnit.info[0] = 0xF0;
    EXPECT_EQ(CDwarf2EntryReader::UNIT_MALFORMED, CDwarf2EntryReader(longUnit.Sections()).BeginUnit(0));
    Unit v4 = MakeUnit({}, {1}, 4);
    CDwarf2EntryReader v4Reader(v4.Sections());
    EXPECT_EQ(CDwarf2EntryReader::UNIT_SKIPPED, v4Reader.BeginUnit(0));
    EXPECT_EQ(v4.info.size(), v4Reader.GetUnit().end);
    // A 64-bit unit is stepped over by its 8-byte length.
    Unit wide = MakeUnit({}, {});
    wide.info = {0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0xEE};
    CDwarf2EntryReader wideReader(wide.Sections());
    EXPECT_EQ(CDwarf2EntryReader::UNIT_SKIPPED, wideReader.BeginUnit(0));
    EXPECT_EQ(15u, wideReader.GetUnit().end);
}

TEST(Dwarf2Entries, AStringTableOffsetWithoutDebugStrGivesAnEmptyText)
{
    Unit u = MakeUnit({0x03, 0x0E}, {1, 0x10, 0, 0, 0});
    CDwarf2EntryReader reader(u.Sections());
    ASSERT_EQ(CDwarf2EntryReader::UNIT_OK, reader.BeginUnit(0));
    ASSERT_TRUE(reader.NextEntry());
    ASSERT_EQ(1, reader.NextAttribute());
    EXPECT_STREQ("", reader.GetAttribute().string);
}

} // namespace
