#include "tagtransfer.h"

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

// Every test checks that the arrays and texts made during it were all freed once.
class TagTransferTest : public ComAllocBalance {
protected:
    void TearDown() override
    {
        FreeTransferVariant(&names);
        FreeTransferVariant(&values);
        ComAllocBalance::TearDown();
    }

    VARIANT names{};
    VARIANT values{};
};

LONG UpperBound(const VARIANT &variant, UINT dim)
{
    LONG upper = -99;
    EXPECT_EQ(SafeArrayGetUBound(variant.parray, dim, &upper), S_OK);
    return upper;
}

std::vector<LONG> Numbers(const VARIANT &variant)
{
    LONG *data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(variant.parray, reinterpret_cast<void **>(&data)), S_OK);
    std::vector<LONG> result;
    UINT dims = SafeArrayGetDim(variant.parray);
    size_t count = 1;
    for (UINT d = 1; d <= dims; ++d)
        count *= static_cast<size_t>(UpperBound(variant, d) + 1);
    result.assign(data, data + count);
    SafeArrayUnaccessData(variant.parray);
    return result;
}

// An array of any shape, as a misbehaving server could send it.
SAFEARRAY *MakeArray(VARTYPE element, std::initializer_list<ULONG> sizes, LONG lower = 0)
{
    std::vector<SAFEARRAYBOUND> bounds;
    for (ULONG size : sizes)
        bounds.push_back({size, lower});
    return SafeArrayCreate(element, static_cast<UINT>(bounds.size()), bounds.data());
}

void SetArray(VARIANT *variant, SAFEARRAY *array)
{
    ASSERT_NE(array, nullptr);
    ASSERT_EQ(MakeTransferVariant(array, variant), S_OK);
}

TEST_F(TagTransferTest, SectionsRoundTripFieldByField)
{
    CArray<SectionTag, SectionTag &> sent;
    sent.SetSize(2);
    sent[0].Type = 1;
    sent[0].AddressMode = 1;
    sent[0].AddressValue = 0x80000000u;
    sent[0].AddressExtra = 9; // does not travel
    sent[0].Length = 0x1200;
    sent[0].Name = ".text";
    sent[1].Type = 0x40000003;
    sent[1].AddressMode = 7;
    sent[1].AddressValue = 0xD0000000u;
    sent[1].Length = 0xFFFFFFFFu;
    sent[1].Name = "daten_\xE4\xF6\xFC"; // ANSI text above 0x7F survives the trip

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    EXPECT_EQ(names.vt, 0x6008);
    EXPECT_EQ(values.vt, 0x6003);
    EXPECT_EQ(SafeArrayGetDim(names.parray), 1u);
    EXPECT_EQ(UpperBound(names, 1), 1);
    ASSERT_EQ(SafeArrayGetDim(values.parray), 2u);
    EXPECT_EQ(UpperBound(values, 1), 3);
    EXPECT_EQ(UpperBound(values, 2), 1);
    EXPECT_EQ(Numbers(values), (std::vector<LONG>{1, 1, LONG(0x80000000u), 0x1200, 0x40000003, 7,
                                                  LONG(0xD0000000u), -1}));

    CArray<SectionTag, SectionTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 2);
    EXPECT_EQ(received[0].Type, 1);
    EXPECT_EQ(received[0].AddressMode, 1u);
    EXPECT_EQ(received[0].AddressValue, 0x80000000u);
    EXPECT_EQ(received[0].AddressExtra, 0u);
    EXPECT_EQ(received[0].Length, 0x1200u);
    EXPECT_EQ(received[0].Name, ".text");
    EXPECT_EQ(received[1].Type, 0x40000003);
    EXPECT_EQ(received[1].AddressMode, 7u);
    EXPECT_EQ(received[1].AddressValue, 0xD0000000u);
    EXPECT_EQ(received[1].Length, 0xFFFFFFFFu);
    EXPECT_EQ(received[1].Name, "daten_\xE4\xF6\xFC");
}

TEST_F(TagTransferTest, AFileWithoutLinesArrivesWithMinusOnesAndThirdWordZero)
{
    CArray<SourceFileTag, SourceFileTag &> sent;
    sent.SetSize(2);
    sent[0].Name = "main.c";
    sent[0].Type = 1000;
    sent[0].EntryInFile = "src/main.c";
    sent[0].SourceLine = 12;
    sent[0].AddressValue = 0x400;
    sent[0].Length = 6;
    sent[1].Name = "util.h";
    sent[1].Type = 0;
    sent[1].EntryInFile = "inc/util.h";
    sent[1].SourceLine = -1;
    sent[1].AddressMode = 0xFFFFFFFFu;
    sent[1].AddressValue = 0xFFFFFFFFu;
    sent[1].AddressExtra = 0xFFFFFFFFu;
    sent[1].Length = 0xFFFFFFFFu;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    EXPECT_EQ(UpperBound(names, 1), 1);
    EXPECT_EQ(UpperBound(names, 2), 1);
    EXPECT_EQ(UpperBound(values, 1), 4);

    CArray<SourceFileTag, SourceFileTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 2);
    EXPECT_EQ(received[0].Name, "main.c");
    EXPECT_EQ(received[0].Type, 1000);
    EXPECT_EQ(received[0].EntryInFile, "src/main.c");
    EXPECT_EQ(received[0].SourceLine, 12);
    EXPECT_EQ(received[0].AddressMode, 1u);
    EXPECT_EQ(received[0].AddressValue, 0x400u);
    EXPECT_EQ(received[0].Length, 6u);
    EXPECT_EQ(received[1].Name, "util.h");
    EXPECT_EQ(received[1].EntryInFile, "inc/util.h");
    EXPECT_EQ(received[1].SourceLine, -1);
    EXPECT_EQ(received[1].AddressMode, 0xFFFFFFFFu);
    EXPECT_EQ(received[1].AddressValue, 0xFFFFFFFFu);
    EXPECT_EQ(received[1].Length, 0xFFFFFFFFu);
    EXPECT_EQ(received[1].AddressExtra, 0u);
}

TEST_F(TagTransferTest, AFunctionsCallTypeTravelsBeforeItsScopeAndComesBackInPlace)
{
    CArray<FunctionTag, FunctionTag &> sent;
    sent.SetSize(1);
    sent[0].Name = "main";
    sent[0].AddressMode = 1;
    sent[0].AddressValue = 0x2000;
    sent[0].Length = 0x40;
    sent[0].ReturnType = 3;
    sent[0].Scope = -5;
    sent[0].CallType = 2;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    EXPECT_EQ(Numbers(values), (std::vector<LONG>{1, 0x2000, 0x40, 3, 2, -5}));

    CArray<FunctionTag, FunctionTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 1);
    EXPECT_EQ(received[0].Name, "main");
    EXPECT_EQ(received[0].AddressMode, 1u);
    EXPECT_EQ(received[0].AddressValue, 0x2000u);
    EXPECT_EQ(received[0].AddressExtra, 0u);
    EXPECT_EQ(received[0].Length, 0x40u);
    EXPECT_EQ(received[0].ReturnType, 3);
    EXPECT_EQ(received[0].Scope, -5);
    EXPECT_EQ(received[0].CallType, 2);
}

TEST_F(TagTransferTest, SourceLinesTravelAsNumbersOnly)
{
    CArray<SourceLineTag, SourceLineTag &> sent;
    sent.SetSize(3);
    for (int i = 0; i < 3; ++i) {
        sent[i].SourceLine = 10 + i;
        sent[i].AddressValue = 0x100u * static_cast<DWORD>(i);
        sent[i].Length = 4;
    }
    ASSERT_EQ(PackTagRecords(sent, &values), S_OK);
    EXPECT_EQ(values.vt, 0x6003);
    EXPECT_EQ(UpperBound(values, 1), 3);
    EXPECT_EQ(UpperBound(values, 2), 2);

    CArray<SourceLineTag, SourceLineTag &> received;
    ASSERT_EQ(UnpackTagRecords(values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 3);
    EXPECT_EQ(received[2].SourceLine, 12);
    EXPECT_EQ(received[2].AddressMode, 1u);
    EXPECT_EQ(received[2].AddressValue, 0x200u);
    EXPECT_EQ(received[2].AddressExtra, 0u);
    EXPECT_EQ(received[2].Length, 4u);
}

TEST_F(TagTransferTest, VariablesRoundTripEveryFieldIncludingTheThirdWord)
{
    CArray<VariableTag, VariableTag &> sent;
    sent.SetSize(1);
    VariableTag &v = sent[0];
    v.Name = "counter";
    v.TypeCode = 0x40000003;
    v.TypeIndex = (3 << 18) | 17;
    v.TypeText = "unsigned int _near *";
    v.SizeInBits = 16;
    v.PointerClass = 0;
    v.SymbolID = 2;
    v.SymbolIndex = 4711;
    v.ScopeText = "main";
    v.AddressMode = 2;
    v.AddressValue = 0xFFFFFFFCu;
    v.AddressExtra = 8;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    EXPECT_EQ(UpperBound(names, 1), 2);
    EXPECT_EQ(Numbers(values), (std::vector<LONG>{4711, 2, 0x40000003, (3 << 18) | 17, 0, 2, -4, 8, 16}));

    CArray<VariableTag, VariableTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 1);
    const VariableTag &r = received[0];
    EXPECT_EQ(r.Name, "counter");
    EXPECT_EQ(r.TypeCode, 0x40000003);
    EXPECT_EQ(r.TypeIndex, (3 << 18) | 17);
    EXPECT_EQ(r.TypeText, "unsigned int _near *");
    EXPECT_EQ(r.SizeInBits, 16);
    EXPECT_EQ(r.PointerClass, 0);
    EXPECT_EQ(r.SymbolID, 2);
    EXPECT_EQ(r.SymbolIndex, 4711);
    EXPECT_EQ(r.ScopeText, "main");
    EXPECT_EQ(r.AddressMode, 2u);
    EXPECT_EQ(r.AddressValue, 0xFFFFFFFCu);
    EXPECT_EQ(r.AddressExtra, 8u);
}

TEST_F(TagTransferTest, MembersRoundTripFieldByField)
{
    CArray<MemberTag, MemberTag &> sent;
    sent.SetSize(2);
    sent[0].Name = "x";
    sent[0].TypeCode = 0;
    sent[0].TypeIndex = 4;
    sent[0].TypeText = "int";
    sent[0].SizeInBits = 16;
    sent[0].PointerClass = 0;
    sent[0].Offset = 32;
    sent[0].Extra = 0;
    sent[1].Name = "%s[%d]";
    sent[1].TypeText = "char";
    sent[1].Offset = 80;
    sent[1].Extra = 7;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    CArray<MemberTag, MemberTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 2);
    EXPECT_EQ(received[0].Name, "x");
    EXPECT_EQ(received[0].TypeIndex, 4);
    EXPECT_EQ(received[0].TypeText, "int");
    EXPECT_EQ(received[0].SizeInBits, 16);
    EXPECT_EQ(received[0].Offset, 32);
    EXPECT_EQ(received[1].Name, "%s[%d]");
    EXPECT_EQ(received[1].TypeText, "char");
    EXPECT_EQ(received[1].Offset, 80);
    EXPECT_EQ(received[1].Extra, 7);
}

TEST_F(TagTransferTest, LifetimesNameTheirEntriesFirstAndRunEntryAfterEntry)
{
    CArray<LifetimeTag, LifetimeTag &> sent;
    sent.SetSize(2);
    sent[0].From = CAddressValue(0x100, 1, 0x20);
    sent[0].To = CAddressValue(4, 3, 0);
    sent[1].From = CAddressValue(0x120, 1, 0x10);
    sent[1].To = CAddressValue(0xFFFFFFFEu, 2, 1);

    ASSERT_EQ(PackTagRecords(sent, &values), S_OK);
    EXPECT_EQ(UpperBound(values, 1), 1); // the entries
    EXPECT_EQ(UpperBound(values, 2), 5); // six words each
    EXPECT_EQ(Numbers(values), (std::vector<LONG>{1, 0x100, 0x20, 3, 4, 0, 1, 0x120, 0x10, 2, -2, 1}));

    CArray<LifetimeTag, LifetimeTag &> received;
    ASSERT_EQ(UnpackTagRecords(values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 2);
    EXPECT_EQ(received[0].From, CAddressValue(0x100, 1, 0x20));
    EXPECT_EQ(received[0].To, CAddressValue(4, 3, 0));
    EXPECT_EQ(received[1].From, CAddressValue(0x120, 1, 0x10));
    EXPECT_EQ(received[1].To, CAddressValue(0xFFFFFFFEu, 2, 1));
}

TEST_F(TagTransferTest, LabelsCarryTheirThirdWord)
{
    CArray<LabelTag, LabelTag &> sent;
    sent.SetSize(1);
    sent[0].Name = "'main {main.c} .12+';main;2;0;0x4;";
    sent[0].AddressMode = 1;
    sent[0].AddressValue = 0x80001004u;
    sent[0].AddressExtra = 0x12; // the range's length
    sent[0].Size = 0;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    CArray<LabelTag, LabelTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 1);
    EXPECT_EQ(received[0].Name, "'main {main.c} .12+';main;2;0;0x4;");
    EXPECT_EQ(received[0].AddressMode, 1u);
    EXPECT_EQ(received[0].AddressValue, 0x80001004u);
    EXPECT_EQ(received[0].AddressExtra, 0x12u);
    EXPECT_EQ(received[0].Size, 0);
}

TEST_F(TagTransferTest, RegisterMapEntriesArriveWithoutAClientIndex)
{
    CArray<RegisterMapTag, RegisterMapTag &> sent;
    sent.SetSize(2);
    sent[0].Name = "R0";
    sent[0].Number = 0;
    sent[0].RegisterIndex = 5; // the server's own word does not travel
    sent[1].Name = "PSW";
    sent[1].Number = 16;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    EXPECT_EQ(SafeArrayGetDim(values.parray), 1u);
    EXPECT_EQ(UpperBound(values, 1), 1);

    CArray<RegisterMapTag, RegisterMapTag &> received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 2);
    EXPECT_EQ(received[0].Name, "R0");
    EXPECT_EQ(received[0].Number, 0);
    EXPECT_EQ(received[0].RegisterIndex, -1);
    EXPECT_EQ(received[1].Name, "PSW");
    EXPECT_EQ(received[1].Number, 16);
    EXPECT_EQ(received[1].RegisterIndex, -1);
}

TEST_F(TagTransferTest, VarEdPairsRoundTrip)
{
    CArray<VarEdTag, VarEdTag &> sent;
    sent.SetSize(3);
    for (int i = 0; i < 3; ++i) {
        sent[i].Kind = 15 + (i & 1);
        sent[i].Data = 100 + i;
    }
    ASSERT_EQ(PackTagRecords(sent, &values), S_OK);
    EXPECT_EQ(UpperBound(values, 1), 2);
    EXPECT_EQ(UpperBound(values, 2), 1);

    CArray<VarEdTag, VarEdTag &> received;
    ASSERT_EQ(UnpackTagRecords(values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(received[i].Kind, 15 + (i & 1));
        EXPECT_EQ(received[i].Data, 100 + i);
    }
}

TEST_F(TagTransferTest, ALocationTravelsAsExactlyThreeTextsAndNineNumbers)
{
    LocationTag sent;
    sent.Name = "";
    sent.Type = 1000;
    sent.EntryInFile = "src/main.c";
    sent.SourceLine = 42;
    sent.AddressMode = 1;
    sent.AddressValue = 0x80001000u;
    sent.AddressExtra = 3; // does not travel
    sent.Length = 8;
    sent.SectionName = ".text";
    sent.SectionType = 1;
    sent.SectionAddressMode = 1;
    sent.SectionAddressValue = 0x80000000u;
    sent.SectionLength = 0x4000;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    ASSERT_EQ(SafeArrayGetDim(names.parray), 1u);
    EXPECT_EQ(UpperBound(names, 1), 2);
    ASSERT_EQ(SafeArrayGetDim(values.parray), 1u);
    EXPECT_EQ(UpperBound(values, 1), 8);

    LocationTag received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    EXPECT_TRUE(received.Name.IsEmpty());
    EXPECT_EQ(received.Type, 1000);
    EXPECT_EQ(received.EntryInFile, "src/main.c");
    EXPECT_EQ(received.SourceLine, 42);
    EXPECT_EQ(received.AddressMode, 1u);
    EXPECT_EQ(received.AddressValue, 0x80001000u);
    EXPECT_EQ(received.AddressExtra, 0u);
    EXPECT_EQ(received.Length, 8u);
    EXPECT_EQ(received.SectionName, ".text");
    EXPECT_EQ(received.SectionType, 1);
    EXPECT_EQ(received.SectionAddressMode, 1u);
    EXPECT_EQ(received.SectionAddressValue, 0x80000000u);
    EXPECT_EQ(received.SectionAddressExtra, 0u);
    EXPECT_EQ(received.SectionLength, 0x4000u);
}

TEST_F(TagTransferTest, ALocationWithoutLineInformationKeepsAnEmptySourcePart)
{
    LocationTag sent;
    sent.AddressValue = 0x80002000u;
    sent.SectionName = "code";
    sent.SectionType = 1;
    sent.SectionAddressValue = 0x80000000u;
    sent.SectionLength = 0x10000;

    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);
    LocationTag received;
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    EXPECT_TRUE(received.Name.IsEmpty());
    EXPECT_TRUE(received.EntryInFile.IsEmpty());
    EXPECT_EQ(received.SourceLine, 0);
    EXPECT_EQ(received.Length, 0u);
    EXPECT_EQ(received.AddressValue, 0x80002000u);
    EXPECT_EQ(received.SectionName, "code");
    EXPECT_EQ(received.SectionAddressValue, 0x80000000u);
    EXPECT_EQ(received.SectionLength, 0x10000u);
}

TEST_F(TagTransferTest, EmptyResultsGiveZeroEntryArraysOfTheKindsShape)
{
    CArray<VariableTag, VariableTag &> noVariables;
    ASSERT_EQ(PackTagRecords(noVariables, &names, &values), S_OK);
    EXPECT_EQ(UpperBound(names, 1), 2);
    EXPECT_EQ(UpperBound(names, 2), -1);
    EXPECT_EQ(UpperBound(values, 1), 8);
    EXPECT_EQ(UpperBound(values, 2), -1);
    CArray<VariableTag, VariableTag &> variables;
    variables.SetSize(4);
    EXPECT_EQ(UnpackTagRecords(names, values, variables), S_OK);
    EXPECT_EQ(variables.GetSize(), 0);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);

    CArray<SectionTag, SectionTag &> noSections, sections;
    ASSERT_EQ(PackTagRecords(noSections, &names, &values), S_OK);
    EXPECT_EQ(UpperBound(names, 1), -1);
    EXPECT_EQ(UnpackTagRecords(names, values, sections), S_OK);
    EXPECT_EQ(sections.GetSize(), 0);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);

    CArray<LifetimeTag, LifetimeTag &> noRanges, ranges;
    ASSERT_EQ(PackTagRecords(noRanges, &values), S_OK);
    EXPECT_EQ(UpperBound(values, 1), -1);
    EXPECT_EQ(UpperBound(values, 2), 5);
    EXPECT_EQ(UnpackTagRecords(values, ranges), S_OK);
    EXPECT_EQ(ranges.GetSize(), 0);
}

TEST_F(TagTransferTest, UnpackingReplacesWhatTheArrayHeld)
{
    CArray<SourceFileTag, SourceFileTag &> sent;
    sent.SetSize(1);
    sent[0].Name = "new.c";
    ASSERT_EQ(PackTagRecords(sent, &names, &values), S_OK);

    CArray<SourceFileTag, SourceFileTag &> received;
    received.SetSize(3);
    received[0].AddressExtra = 77;
    received[0].Name = "old.c";
    ASSERT_EQ(UnpackTagRecords(names, values, received), S_OK);
    ASSERT_EQ(received.GetSize(), 1);
    EXPECT_EQ(received[0].Name, "new.c");
    EXPECT_EQ(received[0].AddressExtra, 0u);
}

// Malformed arrays: each gives an empty result and a failure, reads nothing beyond the
// data and frees nothing that is not its own.

TEST_F(TagTransferTest, AnEmptyOrOrdinaryVariantIsATypeMismatch)
{
    SetArray(&values, MakeArray(VT_I4, {4, 1}));
    CArray<SectionTag, SectionTag &> sections;
    sections.SetSize(2);
    EXPECT_EQ(UnpackTagRecords(names, values, sections), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(sections.GetSize(), 0);

    // An array without VT_BYREF is not a transfer VARIANT either.
    names.vt = VT_ARRAY | VT_BSTR;
    names.parray = MakeArray(VT_BSTR, {1});
    EXPECT_EQ(UnpackTagRecords(names, values, sections), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantClear(&names), S_OK);
}

TEST_F(TagTransferTest, AnArrayOfAnotherElementTypeIsATypeMismatch)
{
    SetArray(&names, MakeArray(VT_BSTR, {1}));
    SAFEARRAY *shorts = MakeArray(VT_I2, {4, 1});
    values.vt = VT_ARRAY | VT_BYREF | VT_I4; // claims 32-bit numbers, holds 16-bit ones
    values.parray = shorts;
    CArray<SectionTag, SectionTag &> sections;
    EXPECT_EQ(UnpackTagRecords(names, values, sections), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(sections.GetSize(), 0);
}

TEST_F(TagTransferTest, AMissingArrayIsRefused)
{
    SetArray(&names, MakeArray(VT_BSTR, {1}));
    values.vt = VT_ARRAY | VT_BYREF | VT_I4;
    values.parray = nullptr;
    CArray<SectionTag, SectionTag &> sections;
    EXPECT_EQ(UnpackTagRecords(names, values, sections), E_INVALIDARG);
    EXPECT_EQ(sections.GetSize(), 0);
}

TEST_F(TagTransferTest, OtherDimensionsAreRefused)
{
    CArray<SectionTag, SectionTag &> sections;
    // Numbers in one dimension where the kind has two.
    SetArray(&names, MakeArray(VT_BSTR, {2}));
    SetArray(&values, MakeArray(VT_I4, {8}));
    EXPECT_EQ(UnpackTagRecords(names, values, sections), DISP_E_BADINDEX);
    FreeTransferVariant(&values);

    // Three numbers per entry where the kind has four: the array is too short.
    SetArray(&values, MakeArray(VT_I4, {3, 2}));
    EXPECT_EQ(UnpackTagRecords(names, values, sections), DISP_E_BADINDEX);
    FreeTransferVariant(&values);

    // Texts for two entries, numbers for one.
    SetArray(&values, MakeArray(VT_I4, {4, 1}));
    EXPECT_EQ(UnpackTagRecords(names, values, sections), DISP_E_BADINDEX);
    EXPECT_EQ(sections.GetSize(), 0);
}

TEST_F(TagTransferTest, LifetimesGivenAsRowsAreRefused)
{
    SetArray(&values, MakeArray(VT_I4, {6, 2}));
    CArray<LifetimeTag, LifetimeTag &> ranges;
    EXPECT_EQ(UnpackTagRecords(values, ranges), DISP_E_BADINDEX);
    EXPECT_EQ(ranges.GetSize(), 0);
}

TEST_F(TagTransferTest, BoundsThatDoNotStartAtZeroAreRefused)
{
    SetArray(&names, MakeArray(VT_BSTR, {2}, 1));
    SetArray(&values, MakeArray(VT_I4, {4, 2}));
    CArray<FunctionTag, FunctionTag &> functions;
    EXPECT_EQ(UnpackTagRecords(names, values, functions), DISP_E_BADINDEX);
    EXPECT_EQ(functions.GetSize(), 0);
}

TEST_F(TagTransferTest, AShortLocationIsRefusedAndLeavesAnEmptyLocation)
{
    SetArray(&names, MakeArray(VT_BSTR, {2}));
    SetArray(&values, MakeArray(VT_I4, {9}));
    LocationTag location;
    location.EntryInFile = "kept?";
    location.SourceLine = 5;
    EXPECT_EQ(UnpackTagRecords(names, values, location), DISP_E_BADINDEX);
    EXPECT_TRUE(location.EntryInFile.IsEmpty());
    EXPECT_EQ(location.SourceLine, 0);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);

    SetArray(&names, MakeArray(VT_BSTR, {3}));
    SetArray(&values, MakeArray(VT_I4, {8}));
    EXPECT_EQ(UnpackTagRecords(names, values, location), DISP_E_BADINDEX);
}

TEST_F(TagTransferTest, NullTextsArriveAsEmptyTexts)
{
    // A freshly made BSTR array holds NULL texts.
    SetArray(&names, MakeArray(VT_BSTR, {1}));
    SetArray(&values, MakeArray(VT_I4, {1}));
    CArray<RegisterMapTag, RegisterMapTag &> entries;
    ASSERT_EQ(UnpackTagRecords(names, values, entries), S_OK);
    ASSERT_EQ(entries.GetSize(), 1);
    EXPECT_TRUE(entries[0].Name.IsEmpty());
}

TEST_F(TagTransferTest, ArraysThatCannotBeMadeLeaveBothVariantsEmpty)
{
    names.vt = VT_I4;
    values.vt = VT_I4;
    // More entries than two gigabytes of array data can hold.
    CTagTransferWriter writer(TagTransfer<VariableTag>::layout, 0x7FFFFFFF);
    TagTransferOut entry{};
    writer.Put(0, entry);
    EXPECT_EQ(writer.Finish(&names, &values), E_OUTOFMEMORY);
    EXPECT_EQ(names.vt, VT_EMPTY);
    EXPECT_EQ(values.vt, VT_EMPTY);
}

TEST_F(TagTransferTest, TheTransferVariantOwnsItsArrayUntilFreed)
{
    SAFEARRAY *array = MakeArray(VT_I4, {4, 3});
    ASSERT_EQ(MakeTransferVariant(array, &values), S_OK);
    EXPECT_EQ(values.vt, VT_ARRAY | VT_BYREF | VT_I4);
    EXPECT_EQ(values.parray, array);
    EXPECT_EQ(QelGetComAllocCounts().safeArrays, Before().safeArrays + 1);
    FreeTransferVariant(&values);
    EXPECT_EQ(values.vt, VT_EMPTY);
    EXPECT_EQ(QelGetComAllocCounts().safeArrays, Before().safeArrays);
    FreeTransferVariant(&values); // freeing again frees nothing
    FreeTransferVariant(nullptr);

    EXPECT_EQ(MakeTransferVariant(nullptr, &values), E_INVALIDARG);
    EXPECT_EQ(values.vt, VT_EMPTY);
}

TEST_F(TagTransferTest, FreeingAnOrdinaryVariantClearsIt)
{
    names.vt = VT_BSTR;
    names.bstrVal = SysAllocString(u"not an array");
    FreeTransferVariant(&names);
    EXPECT_EQ(names.vt, VT_EMPTY);
}

} // namespace
