#include "commvarargs.h"
#include "commvartesting.h"

#include <tagtransfer.h>

#include <gtest/gtest.h>

namespace {

// Two variables as a variable answer carries them: texts Name, ScopeText, TypeText;
// numbers SymbolIndex, SymbolID, TypeCode, TypeIndex, PointerClass, the triple, size.
CTestArgument TwoNames()
{
    return CTestArgument::Texts({"a", "main.c", "int", "counter", "(global)", "unsigned long"}, {3, 2});
}
CTestArgument TwoValues()
{
    return CTestArgument::Numbers({1, 2, 0, 11, 0, 1, 0x100, 0, 32, 7, 5, 0, 6, 0, 2, 0x10, 11, 32}, {9, 2});
}

TEST(CommVarArguments, AVariableEntryIsReadInTheAnswersFieldOrder)
{
    CTestArgument names = TwoNames(), values = TwoValues();
    VariableTag record;
    ASSERT_EQ(ReadVariableEntry(names, values, 1, record), S_OK);
    EXPECT_STREQ(record.Name, "counter");
    EXPECT_STREQ(record.ScopeText, "(global)");
    EXPECT_STREQ(record.TypeText, "unsigned long");
    EXPECT_EQ(record.SymbolIndex, 7);
    EXPECT_EQ(record.SymbolID, 5);
    EXPECT_EQ(record.TypeCode, 0);
    EXPECT_EQ(record.TypeIndex, 6);
    EXPECT_EQ(record.PointerClass, 0);
    EXPECT_EQ(record.AddressMode, 2u);
    EXPECT_EQ(record.AddressValue, 0x10u);
    EXPECT_EQ(record.AddressExtra, 11u);
    EXPECT_EQ(record.SizeInBits, 32);

    // The transfer form of an answer reads the same; a short texts array gives empty
    // texts to the entries it lacks.
    names.Get()->vt |= VT_BYREF;
    values.Get()->vt |= VT_BYREF;
    ASSERT_EQ(ReadVariableEntry(names, values, 0, record), S_OK);
    EXPECT_STREQ(record.Name, "a");
    CTestArgument shortNames = CTestArgument::Texts({"a", "main.c", "int"}, {3, 1});
    ASSERT_EQ(ReadVariableEntry(shortNames, values, 1, record), S_OK);
    EXPECT_STREQ(record.Name, "");
    EXPECT_STREQ(record.TypeText, "");
    EXPECT_EQ(record.SymbolIndex, 7);
}

TEST(CommVarArguments, ABadVariableArgumentIsRefusedAndChangesNothing)
{
    struct Case {
        const char *what;
        CTestArgument names, values;
        LONG index;
    };
    Case cases[] = {
        {"index below", TwoNames(), TwoValues(), -1},
        {"index past the numbers", TwoNames(), TwoValues(), 2},
        {"empty texts", CTestArgument(), TwoValues(), 0},
        {"empty numbers", TwoNames(), CTestArgument(), 0},
        {"numbers of texts", TwoNames(), TwoNames(), 0},
        {"texts of numbers", TwoValues(), TwoValues(), 0},
        {"flat numbers", TwoNames(), CTestArgument::Numbers(std::vector<LONG>(18), {18}), 0},
        {"eight numbers an entry", TwoNames(), CTestArgument::Numbers(std::vector<LONG>(16), {8, 2}), 0},
        {"two texts an entry", CTestArgument::Texts({"a", "b"}, {2, 1}), TwoValues(), 0},
        {"three dimensions", TwoNames(), CTestArgument::Numbers(std::vector<LONG>(18), {9, 2, 1}), 0},
    };
    for (Case &c : cases) {
        VariableTag record;
        record.Name = "kept";
        EXPECT_EQ(ReadVariableEntry(c.names, c.values, c.index, record), E_INVALIDARG) << c.what;
        EXPECT_STREQ(record.Name, "kept") << c.what;
    }
    CTestArgument names = TwoNames(), values = TwoValues();
    values.Rebase(1);
    VariableTag record;
    EXPECT_EQ(ReadVariableEntry(names, values, 0, record), E_INVALIDARG) << "a lower bound of 1";
}

TEST(CommVarArguments, ARegisterMapTakesPairsAndOptionalNames)
{
    CTestArgument numbers = CTestArgument::Numbers({4, 104, 13, -1, 15, 115}, {6});
    CTestArgument names = CTestArgument::Texts({"R4", "SP"}, {2});
    CRegisterMapTagArray map;
    ASSERT_EQ(ReadRegisterMap(numbers, names, map), S_OK);
    ASSERT_EQ(map.GetSize(), 3);
    EXPECT_STREQ(map[0].Name, "R4");
    EXPECT_EQ(map[0].Number, 4);
    EXPECT_EQ(map[0].RegisterIndex, 104);
    EXPECT_EQ(map[1].RegisterIndex, -1);
    EXPECT_STREQ(map[2].Name, "") << "beyond the names";
    ASSERT_EQ(ReadRegisterMap(numbers, CTestArgument(), map), S_OK);
    EXPECT_STREQ(map[0].Name, "");

    struct Case {
        const char *what;
        CTestArgument numbers, names;
    };
    Case bad[] = {
        {"odd count", CTestArgument::Numbers({1, 2, 3}, {3}), CTestArgument()},
        {"rows", CTestArgument::Numbers({1, 2, 3, 4}, {2, 2}), CTestArgument()},
        {"texts for numbers", CTestArgument::Texts({"a", "b"}, {2}), CTestArgument()},
        {"numbers for names", CTestArgument::Numbers({1, 2}, {2}), CTestArgument::Numbers({1}, {1})},
        {"no numbers", CTestArgument(), CTestArgument()},
    };
    for (Case &c : bad) {
        EXPECT_EQ(ReadRegisterMap(c.numbers, c.names, map), E_INVALIDARG) << c.what;
        EXPECT_EQ(map.GetSize(), 3) << c.what;
    }
}

TEST(CommVarArguments, LifetimesAreEntriesOfSixNumbersNamedByTheFirstDimension)
{
    CTestArgument numbers = CTestArgument::Numbers({1, 0x100, 8, 2, -4, 13, 1, 0x108, 0, 3, 4, 0}, {2, 6});
    CLifetimeTagArray lifetimes;
    ASSERT_EQ(ReadLifetimes(numbers, lifetimes), S_OK);
    ASSERT_EQ(lifetimes.GetSize(), 2);
    EXPECT_EQ(lifetimes[0].From, CAddressValue(0x100, 1, 8));
    EXPECT_EQ(lifetimes[0].To, CAddressValue(static_cast<DWORD>(-4), 2, 13));
    EXPECT_EQ(lifetimes[1].To, CAddressValue(4, 3, 0));
    ASSERT_EQ(ReadLifetimes(CTestArgument::Numbers({}, {0, 6}), lifetimes), S_OK);
    EXPECT_EQ(lifetimes.GetSize(), 0) << "an answer without ranges";

    lifetimes.SetSize(1);
    CTestArgument bad[] = {CTestArgument::Numbers(std::vector<LONG>(12), {6, 2}),
                           CTestArgument::Numbers({1, 2, 3, 4, 5, 6}, {6}), CTestArgument::Texts({"a"}, {1, 6}),
                           CTestArgument()};
    for (CTestArgument &argument : bad) {
        EXPECT_EQ(ReadLifetimes(argument, lifetimes), E_INVALIDARG);
        EXPECT_EQ(lifetimes.GetSize(), 1);
    }
}

TEST(CommVarArguments, MembersComeAsTwoTextsAndSixNumbersOfTheSameCount)
{
    CTestArgument names = CTestArgument::Texts({"x", "int", "flags", "unsigned"}, {2, 2});
    CTestArgument values = CTestArgument::Numbers({0, 11, 32, 0, 0, 0, 2, 12, 3, 0, static_cast<LONG>(0x80050003), 9}, {6, 2});
    CMemberTagArray members;
    ASSERT_EQ(ReadMembers(names, values, members), S_OK);
    ASSERT_EQ(members.GetSize(), 2);
    EXPECT_STREQ(members[1].Name, "flags");
    EXPECT_STREQ(members[1].TypeText, "unsigned");
    EXPECT_EQ(members[1].TypeCode, 2);
    EXPECT_EQ(members[1].TypeIndex, 12);
    EXPECT_EQ(members[1].SizeInBits, 3);
    EXPECT_EQ(static_cast<DWORD>(members[1].Offset), 0x80050003u);
    EXPECT_EQ(members[1].Extra, 9);

    CTestArgument oneName = CTestArgument::Texts({"x", "int"}, {2, 1});
    EXPECT_EQ(ReadMembers(oneName, values, members), E_INVALIDARG) << "counts differ";
    CTestArgument sevenNumbers = CTestArgument::Numbers(std::vector<LONG>(14), {7, 2});
    EXPECT_EQ(ReadMembers(names, sevenNumbers, members), E_INVALIDARG);
    EXPECT_EQ(members.GetSize(), 2);
}

} // namespace
