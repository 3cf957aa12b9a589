#include "dwarf2abbrevs.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Dwarf2AbbrevCache, ATableIsBuiltOncePerOffsetAndBogusOffsetsAreBounded)
{
    // 40 abbreviations of DW_TAG_variable with a DW_AT_name string, then the table's end.
    std::vector<BYTE> section;
    for (BYTE code = 1; code <= 40; ++code)
        section.insert(section.end(), {code, 0x34, 0, 0x03, 0x08, 0, 0});
    section.push_back(0);
    CDwarf2AbbrevCache cache(section.data(), section.size(), false);
    std::shared_ptr<const CDwarf2AbbrevTable> first = cache.Get(0);
    ASSERT_EQ(first->GetCount(), 40u);
    EXPECT_TRUE(first->IsComplete());
    ASSERT_NE(first->Find(40), nullptr);
    EXPECT_EQ(first->Find(40)->attributesOffset, 7u * 39 + 3);
    EXPECT_EQ(cache.Get(0), first) << "one table for every unit that names its offset";

    // A damaged file names a bogus offset in every unit: each builds a table of what
    // stands there, and the cache makes room by letting go the table used longest ago.
    for (DWORD offset = 1; offset < section.size(); ++offset)
        cache.Get(offset);
    EXPECT_NE(cache.Get(0), first);
    EXPECT_EQ(first->GetCount(), 40u) << "a table let go stays whole for whoever holds it";
    EXPECT_FALSE(cache.Get(static_cast<DWORD>(section.size()))->IsComplete()) << "no table past the section";

    // A code near the table's start is found as the table finds it, without building it.
    Dwarf2Abbreviation early{};
    ASSERT_TRUE(CDwarf2AbbrevTable::FindEarly(section.data(), section.size(), 0, false, 3, 16, &early));
    EXPECT_EQ(early.attributesOffset, first->Find(3)->attributesOffset);
    EXPECT_FALSE(CDwarf2AbbrevTable::FindEarly(section.data(), section.size(), 0, false, 40, 16, &early))
        << "further on, the caller builds the table";
    EXPECT_FALSE(CDwarf2AbbrevTable::FindEarly(section.data(), section.size(), 0, false, 41, 64, &early));
}

} // namespace
