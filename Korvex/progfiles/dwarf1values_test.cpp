// The DWARF 1.1 decoding that both passes rely on, against values worked out by hand
// from the format's byte layouts; each input is written out byte for byte.
#include "dwarf1types.h"
#include "dwarf1values.h"

#include <packedindex.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Dwarf1Sections Debug(const std::vector<BYTE> &bytes)
{
    Dwarf1Sections sections;
    sections.debug = bytes.data();
    sections.debugSize = bytes.size();
    return sections;
}

TEST(Dwarf1Values, AnEntryGivesTheValueOfEachFormAndStepsOverWhatItDoesNotUse)
{
    const std::vector<BYTE> debug = {
        0x3F, 0x00, 0x00, 0x00, 0x0C, 0x00,                   // 63 bytes, TAG_local_variable
        0x12, 0x00, 0x40, 0x00, 0x00, 0x00,                   // AT_sibling (ref) 0x40
        0x38, 0x00, 'v', 0x00,                                // AT_name (string) "v"
        0x23, 0x00, 0x05, 0x00, 0x03, 0x00, 0x20, 0x00, 0x00, // AT_location (block2) OP_ADDR 0x2000
        0x11, 0x01, 0x00, 0x10, 0x00, 0x00,                   // AT_low_pc (addr) 0x1000
        0xB5, 0x00, 0x04, 0x00,                               // AT_byte_size (data2) 4
        0x57, 0x02, 1, 2, 3, 4, 5, 6, 7, 8,                   // AT_producer (data8), not used
        0xD6, 0x00, 0x03, 0x00, 0x00, 0x00,                   // AT_bit_size (data4) 3
        0xF4, 0x00, 0x06, 0x00, 0x00, 0x00,                   // AT_element_list (block4), 6 bytes:
        0x01, 0x00, 0x00, 0x00, 'A', 0x00,                    //   1 "A"
        0x04, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0,                // padding, then a length of 0
    };
    const Dwarf1Sections sections = Debug(debug);
    CDwarf1EntryReader reader(sections);
    ASSERT_TRUE(reader.NextEntry());
    Dwarf1EntryValues v;
    ReadDwarf1EntryValues(reader, sections, &v);
    EXPECT_EQ(v.tag, DWARF1_TAG_LOCAL_VARIABLE);
    EXPECT_EQ(v.length, 63u);
    EXPECT_TRUE(v.hasSibling);
    EXPECT_EQ(v.sibling, 0x40u);
    EXPECT_STREQ(v.name, "v");
    ASSERT_TRUE(v.hasLocation);
    EXPECT_EQ(v.location, CAddressValue(0x2000, 1, 0xFFFFFFFF));
    EXPECT_TRUE(v.hasLow);
    EXPECT_EQ(v.low, 0x1000u);
    EXPECT_EQ(v.byteSize, 4u);
    EXPECT_TRUE(v.hasBitSize) << "read behind the 8-byte value";
    EXPECT_EQ(v.bitSize, 3u);
    ASSERT_EQ(v.elementsLength, 6u);
    EXPECT_EQ(v.elements, debug.data() + 0x39);
    EXPECT_FALSE(v.hasBitOffset);
    EXPECT_FALSE(v.type.present);
}

TEST(Dwarf1Values, AReferenceOrSiblingOutsideItsPlaceIsNotFollowed)
{
    // AT_sibling 0x100 and AT_user_def_type 0x200 lie past the 18 bytes of ".debug".
    const std::vector<BYTE> bytes = {0x12, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x12, 0x00, 0x00,
                                     0x01, 0x00, 0x00, 0x72, 0x00, 0x00, 0x02, 0x00, 0x00};
    const Dwarf1Sections sections = Debug(bytes);
    CDwarf1EntryReader reader(sections);
    ASSERT_TRUE(reader.NextEntry());
    Dwarf1EntryValues v;
    ReadDwarf1EntryValues(reader, sections, &v);
    EXPECT_FALSE(v.hasSibling);
    EXPECT_FALSE(v.type.present);

    // A sibling counts only behind its entry and inside the unit; else the unit ends it.
    Dwarf1EntryValues entry;
    entry.offset = 0x20;
    entry.hasSibling = true;
    const struct {
        DWORD sibling, end;
    } cases[] = {{0x30, 0x30}, {0x20, 0x80}, {0x10, 0x80}, {0x90, 0x80}};
    for (const auto &c : cases) {
        entry.sibling = c.sibling;
        EXPECT_EQ(Dwarf1ChildrenEnd(entry, 0x80), c.end) << c.sibling;
    }
}

TEST(Dwarf1Values, PointerModifiersMakePointerTypesNumberedAfterTheirEntry)
{
    // AT_mod_fund_type: MOD_pointer_to MOD_pointer_to FT_integer (int **), in the entry
    // at 0x20 of a unit that starts at 0x100.
    const BYTE pointers[] = {0x01, 0x01, 0x07, 0x00};
    Dwarf1ModifiedType modified;
    ASSERT_TRUE(DecodeDwarf1ModifiedType(pointers, sizeof pointers, false, &modified));
    Dwarf1Type type;
    type.present = true;
    type.value = modified.type;
    type.modifiers = modified.modifiers;
    std::vector<Dwarf1PointerRow> rows;
    EXPECT_EQ(Dwarf1TypeNumber(type, 0x20, 0x100, 0x200, &rows), 0x22);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].number, 0x21);
    EXPECT_EQ(rows[0].target, 0x3FFF9) << "int";
    EXPECT_EQ(rows[1].number, 0x22);
    EXPECT_EQ(rows[1].target, 0x21);

    // AT_mod_u_d_type: MOD_const, MOD_reference_to, the entry at 0x150 (0x50 in the unit):
    // neither makes a row.
    const BYTE constant[] = {0x03, 0x02, 0x50, 0x01, 0x00, 0x00};
    ASSERT_TRUE(DecodeDwarf1ModifiedType(constant, sizeof constant, true, &modified));
    type.user = true;
    type.value = modified.type;
    type.modifiers = modified.modifiers;
    rows.clear();
    EXPECT_EQ(Dwarf1TypeNumber(type, 0x20, 0x100, 0x200, &rows), 0x50);
    EXPECT_TRUE(rows.empty());
    type.value = 0x250;
    EXPECT_EQ(Dwarf1TypeNumber(type, 0x20, 0x100, 0x200, &rows), kNoIndex) << "outside the unit";
}

TEST(Dwarf1Values, ASubscriptBlockGivesEachDimensionAndTheElementType)
{
    const BYTE block[] = {
        0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, // FMT_FT_C_C FT_integer [0:1]
        0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, // FMT_FT_C_C FT_integer [1:3]
        0x01, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,                         // FMT_FT_C_X [0:
        0x05, 0x00, 0x04, 0x09, 0x00, 0x00, 0x00,                         //   OP_CONST 9]
        0x08, 0x55, 0x00, 0x01, 0x00,                                     // FMT_ET AT_fund_type FT_char
    };
    Dwarf1Subscripts subscripts;
    ASSERT_TRUE(DecodeDwarf1Subscripts(block, sizeof block, &subscripts));
    ASSERT_EQ(subscripts.dimensions.size(), 3u);
    EXPECT_EQ(subscripts.dimensions[0].Count(), 2);
    EXPECT_EQ(subscripts.dimensions[1].Count(), 3);
    EXPECT_EQ(subscripts.dimensions[2].Count(), 0) << "a bound that only a location gives";
    EXPECT_TRUE(subscripts.element.present);
    EXPECT_FALSE(subscripts.element.user);
    EXPECT_EQ(subscripts.element.value, 1u);

    Dwarf1Subscripts cut;
    EXPECT_FALSE(DecodeDwarf1Subscripts(block, sizeof block - 2, &cut));
    EXPECT_FALSE(DecodeDwarf1Subscripts(block, 11, &cut)) << "no element type";
}

TEST(Dwarf1Values, AnElementListGivesItsPairsInTheOrderWritten)
{
    const BYTE list[] = {0x02, 0x00, 0x00, 0x00, 'B', 'L', 'U', 'E', 0x00, 0x01, 0x00, 0x00, 0x00,
                         'G', 'R', 'E', 'E', 'N', 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 'R', 'E', 'D', 0x00};
    std::vector<Dwarf1Element> elements;
    ASSERT_TRUE(DecodeDwarf1Elements(list, sizeof list, &elements));
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].value, 2);
    EXPECT_STREQ(elements[0].name, "BLUE");
    EXPECT_STREQ(elements[1].name, "GREEN");
    EXPECT_EQ(elements[2].value, -1);
    EXPECT_STREQ(elements[2].name, "RED");
    elements.clear();
    EXPECT_FALSE(DecodeDwarf1Elements(list, sizeof list - 1, &elements)) << "a name without its end";
}

TEST(Dwarf1Values, ALineTableGivesLinesAtItsBasePlusTheirOffsetsWithinItsBounds)
{
    const std::vector<BYTE> line = {
        0x00, 0x00,                                                 // another table's last bytes
        0x26, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00,             // 38 bytes, base 0x1000
        0x03, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, // line 3, no column, +0
        0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x08, 0x00, 0x00, 0x00, // line 4, column 5, +8
        0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x1C, 0x00, 0x00, 0x00, // line 6, column 1, +0x1c
    };
    std::vector<Dwarf1LineEntry> entries;
    ASSERT_TRUE(ReadDwarf1LineTable(line.data(), line.size(), 2, 0, 0, &entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].line, 3u);
    EXPECT_EQ(entries[0].column, 0xFFFF);
    EXPECT_EQ(entries[0].address, 0x1000u);
    EXPECT_EQ(entries[1].address, 0x1008u);
    EXPECT_EQ(entries[2].line, 6u);
    EXPECT_EQ(entries[2].address, 0x101Cu);

    // A file's run: from its own entry to the next file's.
    entries.clear();
    ASSERT_TRUE(ReadDwarf1LineTable(line.data(), line.size(), 2, 20, 30, &entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].line, 4u);
    const struct {
        DWORD table, first, until;
    } refused[] = {{2, 21, 0}, {2, 0, 41}, {2, 30, 20}, {3, 0, 0}, {40, 0, 0}};
    for (const auto &r : refused)
        EXPECT_FALSE(ReadDwarf1LineTable(line.data(), line.size(), r.table, r.first, r.until, &entries))
            << r.table << " " << r.first << " " << r.until;
    std::vector<BYTE> longer = line;
    longer[2] = 0x30; // longer than the section
    EXPECT_FALSE(ReadDwarf1LineTable(longer.data(), longer.size(), 2, 0, 0, &entries));
}

TEST(Dwarf1Values, ASourceInformationTableNamesEachFileWithItsRunOfLines)
{
    const std::vector<BYTE> srcinfo = {
        0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,             // .line table 0, name block 4
        0x00, 0x10, 0x00, 0x00, 0x40, 0x10, 0x00, 0x00, 0, 0, 0, 0, // start, end, time stamp
        0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // lines from 8: "a.c"
        0x12, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,             // lines from 18: "b.h"
        0x1C, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,             // ends: the unit's own name
    };
    const std::vector<BYTE> sfnames = {'x', '.', 'c', 0, 'a', '.', 'c', 0, 'b', '.', 'h', 0};
    Dwarf1SourceInfo info;
    ASSERT_TRUE(ReadDwarf1SourceInfo(srcinfo.data(), srcinfo.size(), sfnames.data(), sfnames.size(), 0, 4, &info));
    EXPECT_EQ(info.lineTable, 0u);
    ASSERT_EQ(info.files.size(), 2u);
    EXPECT_STREQ(info.files[0].name, "a.c");
    EXPECT_EQ(info.files[0].lineOffset, 8u);
    EXPECT_EQ(info.files[0].lineEnd, 18u);
    EXPECT_STREQ(info.files[1].name, "b.h");
    EXPECT_EQ(info.files[1].lineOffset, 18u);
    EXPECT_EQ(info.files[1].lineEnd, 0u);
    EXPECT_TRUE(info.endedByName);

    Dwarf1SourceInfo other;
    EXPECT_FALSE(ReadDwarf1SourceInfo(srcinfo.data(), srcinfo.size(), sfnames.data(), sfnames.size(), 0, 0, &other))
        << "the name block is not the unit's";
    EXPECT_FALSE(ReadDwarf1SourceInfo(srcinfo.data(), srcinfo.size(), sfnames.data(), sfnames.size(), 30, 4, &other));
    // A name beyond ".debug_sfnames" ends the table there.
    std::vector<BYTE> far = srcinfo;
    far[32] = 0x40;
    ASSERT_TRUE(ReadDwarf1SourceInfo(far.data(), far.size(), sfnames.data(), sfnames.size(), 0, 4, &other));
    EXPECT_EQ(other.files.size(), 1u);
}

TEST(Dwarf1Values, ALocationListGivesEachRangesPlaceAndItsEnd)
{
    const BYTE locExt[] = {
        0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x05, 0x00, // [0, 8), 5 bytes:
        0x01, 0x04, 0x00, 0x00, 0x00,                               //   OP_REG 4
        0x08, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x0B, 0x00, // [8, 0x20), 11 bytes:
        0x02, 0x0D, 0x00, 0x00, 0x00, 0x04, 0xFC, 0xFF, 0xFF, 0xFF, //   OP_BASEREG 13, OP_CONST -4,
        0x07,                                                       //   OP_ADD
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // end
    };
    std::vector<Dwarf1LifetimeEntry> entries;
    ASSERT_TRUE(ReadDwarf1LocationList(locExt, sizeof locExt, 0, 0x1000, &entries));
    const Dwarf1LifetimeEntry expected[] = {{0x1000, CAddressValue(4, 3, 0xFFFFFFFF)},
                                            {0x1008, CAddressValue(0xFFFFFFFF, 6, 0xFFFFFFFF)},
                                            {0x1008, CAddressValue(0xFFFFFFFC, 2, 13)},
                                            {0x1020, CAddressValue(0xFFFFFFFF, 6, 0xFFFFFFFF)}};
    ASSERT_EQ(entries.size(), 4u);
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].address, expected[i].address) << i;
        EXPECT_EQ(entries[i].place, expected[i].place) << i;
    }
}

TEST(Dwarf1Values, SignedBitFieldsComeFromEverySignedIntegerType)
{
    for (DWORD code : {0x2u, 0x4u, 0x5u, 0x7u, 0x8u, 0xAu, 0xBu, 0x8008u})
        EXPECT_TRUE(IsDwarf1SignedType(code)) << code;
    for (DWORD code : {0x1u, 0x3u, 0x6u, 0x9u, 0xCu, 0x8208u})
        EXPECT_FALSE(IsDwarf1SignedType(code)) << code;
}

TEST(Dwarf1Values, CppNamesAreDemangledAndFunctionNamesCut)
{
    EXPECT_STREQ(Dwarf1Name("f__1AFPc", DWARF1_LANG_C_PLUS_PLUS), "A::f(char*)");
    EXPECT_STREQ(Dwarf1Name("f__1AFPc", 2), "f__1AFPc") << "C names stay as written";
    EXPECT_STREQ(Dwarf1Name("main", DWARF1_LANG_C_PLUS_PLUS), "main");
    EXPECT_EQ(CutDwarf1Name(CString(std::string(300, 'x').c_str())).GetLength(), 254);
}

} // namespace
