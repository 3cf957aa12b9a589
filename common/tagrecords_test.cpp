#include "tagrecords.h"

#include <gtest/gtest.h>

namespace {

// Records are made as the framework's arrays make their elements, so that is how the
// defaults are checked.
template <class Record>
Record MadeByArray()
{
    CArray<Record, Record &> records;
    records.SetSize(1);
    return records[0];
}

TEST(TagRecordDefaults, AddressTriplesStartAsAbsoluteZero)
{
    SectionTag section = MadeByArray<SectionTag>();
    EXPECT_EQ(section.AddressMode, 1u);
    EXPECT_EQ(section.AddressValue, 0u);
    EXPECT_EQ(section.AddressExtra, 0u);
    EXPECT_EQ(section.Type, 0);
    EXPECT_EQ(section.Length, 0u);
    EXPECT_TRUE(section.Name.IsEmpty());

    SourceFileTag file = MadeByArray<SourceFileTag>();
    EXPECT_TRUE(file.Name.IsEmpty());
    EXPECT_TRUE(file.EntryInFile.IsEmpty());
    EXPECT_EQ(file.AddressMode, 1u);
    EXPECT_EQ(file.AddressValue, 0u);
    EXPECT_EQ(file.AddressExtra, 0u);
    EXPECT_EQ(file.SourceLine, 0);

    FunctionTag function = MadeByArray<FunctionTag>();
    EXPECT_TRUE(function.Name.IsEmpty());
    EXPECT_EQ(function.AddressMode, 1u);
    EXPECT_EQ(function.AddressValue, 0u);
    EXPECT_EQ(function.AddressExtra, 0u);
    EXPECT_EQ(function.ReturnType, 0);
    EXPECT_EQ(function.Scope, 0);
    EXPECT_EQ(function.CallType, 0);

    SourceLineTag line = MadeByArray<SourceLineTag>();
    EXPECT_EQ(line.AddressMode, 1u);
    EXPECT_EQ(line.SourceLine, 0);
    EXPECT_EQ(line.AddressValue, 0u);
    EXPECT_EQ(line.AddressExtra, 0u);
    EXPECT_EQ(line.Length, 0u);

    LabelTag label = MadeByArray<LabelTag>();
    EXPECT_TRUE(label.Name.IsEmpty());
    EXPECT_EQ(label.AddressMode, 1u);
    EXPECT_EQ(label.AddressValue, 0u);
    EXPECT_EQ(label.AddressExtra, 0u);
    EXPECT_EQ(label.Size, 0);

    LifetimeTag lifetime = MadeByArray<LifetimeTag>();
    EXPECT_EQ(lifetime.From, CAddressValue());
    EXPECT_EQ(lifetime.To, CAddressValue());
}

TEST(TagRecordDefaults, AVariableHasThreeEmptyTextsAndItsTripleLast)
{
    VariableTag variable = MadeByArray<VariableTag>();
    EXPECT_TRUE(variable.Name.IsEmpty());
    EXPECT_TRUE(variable.TypeText.IsEmpty());
    EXPECT_TRUE(variable.ScopeText.IsEmpty());
    EXPECT_EQ(variable.TypeCode, 0);
    EXPECT_EQ(variable.TypeIndex, 0);
    EXPECT_EQ(variable.SizeInBits, 0);
    EXPECT_EQ(variable.PointerClass, 0);
    EXPECT_EQ(variable.SymbolID, 0);
    EXPECT_EQ(variable.SymbolIndex, 0);
    EXPECT_EQ(variable.AddressMode, 1u);
    EXPECT_EQ(variable.AddressValue, 0u);
    EXPECT_EQ(variable.AddressExtra, 0u);
}

TEST(TagRecordDefaults, MembersAndVarEdPairsStartAtZero)
{
    MemberTag member = MadeByArray<MemberTag>();
    EXPECT_TRUE(member.Name.IsEmpty());
    EXPECT_TRUE(member.TypeText.IsEmpty());
    EXPECT_EQ(member.TypeCode, 0);
    EXPECT_EQ(member.TypeIndex, 0);
    EXPECT_EQ(member.SizeInBits, 0);
    EXPECT_EQ(member.PointerClass, 0);
    EXPECT_EQ(member.Offset, 0);
    EXPECT_EQ(member.Extra, 0);

    VarEdTag pair = MadeByArray<VarEdTag>();
    EXPECT_EQ(pair.Kind, 0);
    EXPECT_EQ(pair.Data, 0);
}

TEST(TagRecordDefaults, ARegisterHasNoIndexInTheClientsListYet)
{
    RegisterMapTag entry = MadeByArray<RegisterMapTag>();
    EXPECT_TRUE(entry.Name.IsEmpty());
    EXPECT_EQ(entry.Number, 0);
    EXPECT_EQ(entry.RegisterIndex, -1);
}

TEST(TagRecordDefaults, ALocationHasThreeEmptyTextsAndTwoAbsoluteZeroTriples)
{
    LocationTag location;
    EXPECT_TRUE(location.Name.IsEmpty());
    EXPECT_TRUE(location.EntryInFile.IsEmpty());
    EXPECT_TRUE(location.SectionName.IsEmpty());
    EXPECT_EQ(location.AddressMode, 1u);
    EXPECT_EQ(location.AddressValue, 0u);
    EXPECT_EQ(location.AddressExtra, 0u);
    EXPECT_EQ(location.SectionAddressMode, 1u);
    EXPECT_EQ(location.SectionAddressValue, 0u);
    EXPECT_EQ(location.SectionAddressExtra, 0u);
    EXPECT_EQ(location.Type, 0);
    EXPECT_EQ(location.SourceLine, 0);
    EXPECT_EQ(location.Length, 0u);
    EXPECT_EQ(location.SectionType, 0);
    EXPECT_EQ(location.SectionLength, 0u);
}

TEST(TagRecordCopy, ACopiedLocationKeepsBothParts)
{
    LocationTag source;
    source.Name = "n";
    source.Type = 1000;
    source.EntryInFile = "src/main.c";
    source.SourceLine = 12;
    source.AddressMode = 1;
    source.AddressValue = 0x80001000u;
    source.AddressExtra = 4;
    source.Length = 6;
    source.SectionName = ".text";
    source.SectionType = 1;
    source.SectionAddressMode = 1;
    source.SectionAddressValue = 0x80000000u;
    source.SectionAddressExtra = 5;
    source.SectionLength = 0x4000;

    LocationTag copy;
    copy = source;
    EXPECT_EQ(copy.Name, "n");
    EXPECT_EQ(copy.Type, 1000);
    EXPECT_EQ(copy.EntryInFile, "src/main.c");
    EXPECT_EQ(copy.SourceLine, 12);
    EXPECT_EQ(copy.AddressValue, 0x80001000u);
    EXPECT_EQ(copy.AddressExtra, 4u);
    EXPECT_EQ(copy.Length, 6u);
    EXPECT_EQ(copy.SectionName, ".text");
    EXPECT_EQ(copy.SectionType, 1);
    EXPECT_EQ(copy.SectionAddressValue, 0x80000000u);
    EXPECT_EQ(copy.SectionAddressExtra, 5u);
    EXPECT_EQ(copy.SectionLength, 0x4000u);
}

TEST(TagRecordCopy, ArraysOfRecordsCopyElementByElement)
{
    CArray<LabelTag, LabelTag &> source, copy;
    source.SetSize(2);
    source[0].Name = "start";
    source[0].AddressValue = 0x100;
    source[1].Name = "end";
    source[1].Size = 8;
    copy.Copy(source);
    source[0].Name = "moved";
    ASSERT_EQ(copy.GetSize(), 2);
    EXPECT_EQ(copy[0].Name, "start");
    EXPECT_EQ(copy[0].AddressValue, 0x100u);
    EXPECT_EQ(copy[1].Name, "end");
    EXPECT_EQ(copy[1].Size, 8);
}

} // namespace
