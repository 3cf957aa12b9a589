// The layout checks and the sections level of the Tasking reader, on the hand-assembled
// fixture (taskingtesting.h) and copies of it damaged in one place.
#include "taskingimage.h"
#include "taskingsections.h"
#include "taskingtesting.h"

#include <gtest/gtest.h>

#include <elftesting.h>

namespace {

TEST(TaskingOutHeader, ARecogniserTakesOnlyTheHeaderOfAProgram)
{
    struct Case {
        const char *what;
        std::vector<BYTE> header;
        BOOL accepted;
    };
    const std::vector<BYTE> good = {0x01, 0x02, 3, 0x02, 0x00, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<Case> cases = {{"a program (byte 3 bit 1)", good, TRUE}};
    auto changed = [&](const char *what, size_t at, BYTE value, BOOL accepted) {
        std::vector<BYTE> header = good;
        header[at] = value;
        cases.push_back({what, header, accepted});
    };
    changed("byte 3 bit 2 alone", 3, 0x04, TRUE);
    changed("byte 3 with neither bit", 3, 0x01, FALSE);
    changed("byte 4 bit 2 set", 4, 0x04, FALSE);
    changed("byte 4 with other bits", 4, 0xFB, TRUE);
    changed("another magic", 0, 0x02, FALSE);
    cases.push_back({"21 bytes", std::vector<BYTE>(good.begin(), good.end() - 1), FALSE});
    for (const Case &c : cases)
        EXPECT_EQ(IsTaskingOutHeader(c.header.data(), static_cast<DWORD>(c.header.size())), c.accepted) << c.what;
}

TEST(TaskingOutImage, TheHandAssembledFileGivesItsStructures)
{
    TaskingFixture fixture = MakeTaskingFixture();
    ASSERT_EQ(fixture.Data().size(), 389u);
    CTaskingOutImage image;
    CString error;
    ASSERT_TRUE(image.Attach(fixture.Data().data(), fixture.Data().size(), &error)) << error;
    // Byte 20 (0x7F) is no part of the name count below version 4.
    EXPECT_EQ(image.GetNameCount(), 11u);
    ASSERT_EQ(image.GetSectionCount(), 6u);
    const TaskingSectionEntry rom = image.GetSection(4);
    EXPECT_EQ(rom.Base, 0x4000u);
    EXPECT_EQ(rom.Size, 0x10u);
    EXPECT_EQ(rom.FileLength, 12u);
    EXPECT_EQ(image.GetSectionData(4)[0], 0xE0);
    EXPECT_EQ(image.GetSectionData(5), nullptr);
    EXPECT_STREQ(image.GetText(image.GetSectionNameIndex(4)), "ROM");
    const TaskingNameRecord global = image.GetNameRecord(2);
    EXPECT_EQ(global.Kind(), 0x16u);
    EXPECT_EQ(global.Descriptor, 10);
    EXPECT_EQ(global.Value, 0x23u);
    EXPECT_STREQ(image.GetText(2), "g");
    ASSERT_EQ(image.GetGaps().size(), 1u);
    EXPECT_EQ(image.GetGaps()[0].Start, 0x4004u);
    EXPECT_EQ(image.GetGaps()[0].End, 0x4008u);
}

TEST(TaskingOutImage, ADamagedFileIsRefusedWithWhereItIsDamaged)
{
    struct Case {
        const char *what;
        void (*damage)(TaskingFixture &);
        const char *reason;
    };
    const Case cases[] = {
        {"from version 4 the name count has 24 bits", [](TaskingFixture &f) { f.Data()[2] = 4; },
         "The file is cut short: its tables need 116523383 bytes up to the gap table's head, it has 389."},
        {"a name count below the section count", [](TaskingFixture &f) { f.PatchHalf(10, 5); },
         "The name table has 5 records, fewer than the 6 sections that it must name."},
        {"a text before the strings", [](TaskingFixture &f) { f.PatchWord(168 + 2 * 14, 321); },
         "Name record 2 has its text at 0x141, outside the strings."},
        {"a text behind the strings", [](TaskingFixture &f) { f.PatchWord(168 + 2 * 14, 367); },
         "Name record 2 has its text at 0x16F, outside the strings."},
        {"a text without its zero", [](TaskingFixture &f) { f.Data()[366] = 'X'; },
         "Name record 10 has its text at 0x168, without its terminating zero."},
        {"contents past the contents area", [](TaskingFixture &f) { f.PatchWord(22 + 4 * 20 + 12, 0x10000); },
         "The contents of section 4 (0x10000 bytes at 0x9C) lie outside the contents area."},
        {"contents before the contents area", [](TaskingFixture &f) { f.PatchWord(22 + 8, 100); },
         "The contents of section 0 (0x4 bytes at 0x64) lie outside the contents area."},
        {"contents longer than the section", [](TaskingFixture &f) { f.PatchWord(22 + 4 * 20 + 4, 8); },
         "The contents of section 4 (0xC bytes) are longer than its size in memory (0x8)."},
        {"gap records past the end", [](TaskingFixture &f) { f.PatchHalf(367 + 4, 2); },
         "The gap table's 2 records run past the end of the file."},
        // Sizes whose sums wrap around in 32 bits.
        {"a string size near 4 GB", [](TaskingFixture &f) { f.PatchWord(16, 0xFFFFFFFF); },
         "The file is cut short: its tables need 4294967625 bytes up to the gap table's head, it has 389."},
        {"a contents size near 4 GB", [](TaskingFixture &f) { f.PatchWord(12, 0xFFFFFFF0); },
         "The file is cut short: its tables need 4294967629 bytes up to the gap table's head, it has 389."},
    };
    for (const Case &c : cases) {
        TaskingFixture fixture = MakeTaskingFixture();
        c.damage(fixture);
        CTaskingOutImage image;
        CString error;
        EXPECT_FALSE(image.Attach(fixture.Data().data(), fixture.Data().size(), &error)) << c.what;
        EXPECT_STREQ(error, c.reason) << c.what;
        EXPECT_EQ(image.GetNameCount(), 0u) << c.what;
    }
}

// The sections level with its download pattern in view.
class CTestSections : public CTaskingOutSections {
public:
    CTestSections() : CTaskingOutSections(1, nullptr) {}
    int AddSection(int index, SectionTag *) override
    {
        indexes.push_back(index);
        return index == refused ? 0 : 1;
    }
    const std::vector<DownloadRange> &Ranges() const { return m_downloadRanges; }

    std::vector<int> indexes;
    int refused = -1;
};

TEST(TaskingOutSections, AVectorRangeIsTestedWithoutWrappingAround)
{
    CTestSections reader;
    const BYTE data[0x14] = {};
    reader.AddDownloadRange(CAddressValue(0x100, 1, 0), 4, 1, data);
    EXPECT_TRUE(reader.Ranges().empty()); // in the vector image
    // 0xFFFFFFF0 + 0x14 is 4 in 32 bits.
    reader.AddDownloadRange(CAddressValue(0xFFFFFFF0, 1, 0), 0x14, 1, data);
    ASSERT_EQ(reader.Ranges().size(), 1u);
    EXPECT_EQ(reader.Ranges()[0].AddressValue, 0xFFFFFFF0u);
}

TEST(TaskingOutSections, RecordsCountFrom2AndARefusedRecordFailsThePassWithStatus7)
{
    const std::vector<BYTE> bytes = MakeTaskingFixture().Data();
    DamagedElf file(bytes);
    CTestSections reader;
    ASSERT_TRUE(reader.Open(file.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1);
    EXPECT_EQ(reader.indexes, (std::vector<int>{2, 3, 4, 5, 6, 7}));

    CTestSections refusing;
    refusing.refused = 4;
    ASSERT_TRUE(refusing.Open(file.Name(), nullptr));
    EXPECT_EQ(refusing.ReadSections(nullptr), 0);
    EXPECT_EQ(refusing.GetFailureStatus(), 7);
    EXPECT_STREQ(refusing.GetFailureText(), "The section __ICALL could not be recorded.");
}

} // namespace
