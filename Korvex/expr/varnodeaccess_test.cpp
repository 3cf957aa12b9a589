// How the variable nodes reach their values in the simulated target: buffers, memory
// blocks and members, bits, registers and register pairs, and writes that keep what is
// not theirs.
#include "varnodetesting.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

std::unique_ptr<CQelBasicVarNode> Basic(VarNodeBench &bench, const MemberTag &tag)
{
    auto node = std::make_unique<CQelBasicVarNode>(bench.owner);
    node->BuildFromMember(tag);
    node->SetComplexMemory(bench.memory);
    return node;
}

TEST(VarNodeAccess, BuffersHoldWholeBytesAndTwoMoreForAPart)
{
    struct Case {
        LONG bits;
        DWORD bytes;
    } cases[] = {{12, 3}, {16, 2}, {1, 2}, {8, 1}, {64, 8}, {0, 0}, {9, 3}};
    for (const Case &c : cases) {
        CQelBasicVarNode node(nullptr);
        node.BuildFromMember(TestMember("v", 0, 5, c.bits));
        EXPECT_EQ(node.GetSize(), c.bytes) << c.bits;
    }
    // A bit field in memory takes the bytes its bits touch.
    CQelBasicVarNode field(nullptr);
    field.BuildFromMember(TestMember("f", 2, 0, 6, 0x000E0006));
    field.SetAddress(1, 0x1000, 0);
    EXPECT_EQ(field.GetSize(), 2u);
    field.SetAddress(3, 0, 0); // in a register the buffer stays
    EXPECT_EQ(field.GetSize(), 2u);
}

// A structure { short a; short b; } or, with `bits`, { unsigned f : 3; short b; }.
std::unique_ptr<CQelStructVarNode> Struct(VarNodeBench &bench, bool bits)
{
    auto node = std::make_unique<CQelStructVarNode>(bench.owner);
    node->BuildFromMember(TestMember("s", 5, 0x80001, 32));
    auto first = std::make_unique<CQelBasicVarNode>(bench.owner);
    first->BuildFromMember(bits ? TestMember("f", 2, 0xBFFFF, 3, 0x00000003) : TestMember("a", 0, 3, 16, 0));
    auto second = std::make_unique<CQelBasicVarNode>(bench.owner);
    second->BuildFromMember(TestMember("b", 0, 3, 16, 16));
    CString name;
    node->SetItemHandle(1);
    first->SetItemHandle(2);
    EXPECT_TRUE(node->LinkChild(1, first.get(), name));
    EXPECT_TRUE(first.release()->LinkChild(0, second.release(), name));
    node->SetComplexMemory(bench.memory);
    node->SetCollapsed(1, TRUE);
    node->SetAddress(1, 0x1000, 0);
    return node;
}

TEST(VarNodeAccess, AStructureIsReadAsOneBlockUnlessItHoldsABitField)
{
    VarNodeBench bench;
    bench.Poke(0x1000, {0x05, 0x00, 0xFE, 0xFF});
    auto plain = Struct(bench, false);
    unsigned before = bench.Reads();
    ASSERT_TRUE(plain->ReadValue(&bench.registerMap, FALSE));
    EXPECT_EQ(bench.Reads() - before, 1u);
    plain->UpdateText(nullptr, FALSE);
    EXPECT_STREQ(plain->GetFirstChild()->GetValueText(), "5");
    EXPECT_STREQ(plain->GetFirstChild()->GetNextSibling()->GetValueText(), "-2");

    auto withBits = Struct(bench, true);
    EXPECT_TRUE(withBits->IsReadByMembers());
    before = bench.Reads();
    ASSERT_TRUE(withBits->ReadValue(&bench.registerMap, FALSE));
    EXPECT_EQ(bench.Reads() - before, 2u); // one per member, none for the block
    withBits->UpdateText(nullptr, FALSE);
    EXPECT_STREQ(withBits->GetFirstChild()->GetValueText(), "5");
}

TEST(VarNodeAccess, AStructureWritesItsBlockOnlyWithSomethingNew)
{
    VarNodeBench bench;
    bench.Poke(0x1000, {0x05, 0x00, 0xFE, 0xFF});
    auto node = Struct(bench, false);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    bench.Poke(0x1000, {0x07, 0x00}); // the target moves on meanwhile
    unsigned writes = bench.Writes();
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Writes(), writes);
    EXPECT_EQ(bench.Peek(0x1000, 2), (Bytes{0x07, 0x00}));

    CQelBasicVarNode *b = node->GetFirstChild()->GetNextSibling();
    ASSERT_EQ(b->SetValue(CComVariant(LONG(0x1234))), S_OK);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Writes() - writes, 1u);
    EXPECT_EQ(bench.Peek(0x1000, 4), (Bytes{0x05, 0x00, 0x34, 0x12}));
    EXPECT_FALSE(b->IsWritePending());
    EXPECT_FALSE(node->IsWritePending());
}

TEST(VarNodeAccess, AnArrayReadsOneBlockAndWritesItWhenAnElementChanged)
{
    VarNodeBench bench;
    bench.Poke(0x1100, {1, 2, 3});
    CQelArrayVarNode array(bench.owner);
    array.BuildFromMember(TestMember("a", 4, 0x80002, 24));
    array.SetItemHandle(1);
    CString name;
    CQelBasicVarNode *previous = nullptr;
    for (int i = 0; i < 3; ++i) {
        auto *element = new CQelBasicVarNode(bench.owner);
        element->BuildFromMember(TestMember("%s[%d]", 0, 2, 8));
        ASSERT_TRUE(previous == nullptr ? array.LinkChild(1, element, name) : previous->LinkChild(0, element, name));
        previous = element;
    }
    array.SetComplexMemory(bench.memory);
    array.SetCollapsed(1, TRUE);
    array.SetAddress(1, 0x1100, 0);
    unsigned reads = bench.Reads();
    ASSERT_TRUE(array.ReadValue(&bench.registerMap, FALSE));
    EXPECT_EQ(bench.Reads() - reads, 1u);
    array.UpdateText(bench.tree, TRUE);
    EXPECT_STREQ(array.GetFirstChild()->GetNextSibling()->GetNextSibling()->GetValueText(), "3");
    auto calls = bench.treeObject->Calls();
    ASSERT_EQ(calls.size(), 1u); // one notice, for the whole array
    EXPECT_EQ(calls[0].method, QelHost::WatchMethod::SetItemText);
    EXPECT_EQ(calls[0].item, 0);

    unsigned writes = bench.Writes();
    ASSERT_TRUE(array.ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Writes(), writes);
    ASSERT_EQ(array.GetFirstChild()->SetValue(CComVariant(LONG(9))), S_OK);
    ASSERT_TRUE(array.ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Writes() - writes, 1u);
    EXPECT_EQ(bench.Peek(0x1100, 3), (Bytes{9, 2, 3}));
}

TEST(VarNodeAccess, ABitFieldWriteKeepsItsNeighboursAndChangesFollowItsBitsOnly)
{
    VarNodeBench bench;
    bench.Poke(0x1000, {0xA3, 0x5A}); // field: 4 bits at 6 (bits 6-9)
    auto node = Basic(bench, TestMember("f", 2, 0xBFFFF, 4, 0x00060004));
    node->SetItemHandle(7);
    node->SetAddress(1, 0x1000, 0);
    ASSERT_EQ(node->GetSize(), 2u);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    node->UpdateText(nullptr, FALSE);
    EXPECT_STREQ(node->GetValueText(), "10"); // 0x5AA3 >> 6 & 0xF
    node->SetValueText("9");
    ASSERT_TRUE(node->ParseEditText(bench.tree));
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Peek(0x1000, 2), (Bytes{0x63, 0x5A})); // 0x5A63: bits 6-9 = 1001

    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    bench.Poke(0x1000, {0x63, 0x02}); // only bits outside the field
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    EXPECT_FALSE(node->IsChanged());
    bench.Poke(0x1000, {0x23, 0x02});
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    EXPECT_TRUE(node->IsChanged());
}

TEST(VarNodeAccess, AMemoryWriteTakesTheValuesOwnSize)
{
    VarNodeBench bench;
    bench.Poke(0x1000, Bytes(12, 0xEE));
    auto value = Basic(bench, TestMember("d", 0, 8, 64));
    value->SetAddress(1, 0x1002, 0);
    ASSERT_EQ(value->SetValue(CComVariant(0.5)), S_OK);
    ASSERT_TRUE(value->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Peek(0x1000, 12), (Bytes{0xEE, 0xEE, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 0xEE, 0xEE}));
    auto byte = Basic(bench, TestMember("c", 0, 2, 8));
    byte->SetAddress(1, 0x1000, 0);
    ASSERT_EQ(byte->SetValue(CComVariant(LONG(0x11))), S_OK);
    ASSERT_TRUE(byte->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Peek(0x1000, 2), (Bytes{0x11, 0xEE}));
}

TEST(VarNodeAccess, ABitInMemoryIsWrittenIntoItsOneOrTwoBytes)
{
    struct Case {
        LONG bits; // of the node: 1 bit gives a 2-byte buffer, 8 bits 1 byte
        DWORD bit;
        Bytes before, after;
    } cases[] = {{8, 3, {0xF0, 0xAA}, {0xF8, 0xAA}}, {1, 11, {0x00, 0x00}, {0x00, 0x08}}};
    for (const Case &c : cases) {
        VarNodeBench bench;
        bench.Poke(0x1000, c.before);
        auto node = Basic(bench, TestMember("b", 0, 13, c.bits));
        node->SetItemHandle(3);
        node->SetAddress(0x40000001, 0x1000, c.bit);
        ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
        node->UpdateText(nullptr, FALSE);
        EXPECT_STREQ(node->GetValueText(), "0");
        node->SetValueText("1");
        ASSERT_TRUE(node->ParseEditText(bench.tree));
        ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
        EXPECT_EQ(bench.Peek(0x1000, 2), c.after) << c.bits;
    }
}

TEST(VarNodeAccess, ChoosingClearForASetBitWritesZeroAndAsksTheTreeToRecalculate)
{
    VarNodeBench bench;
    bench.Poke(0x1000, {0x04});
    auto node = Basic(bench, TestMember("b", 0, 13, 8));
    node->SetItemHandle(5);
    node->SetAddress(0x40000001, 0x1000, 2);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    node->UpdateText(bench.tree, FALSE);
    EXPECT_STREQ(node->GetValueText(), "1");
    EXPECT_EQ(node->GetDisplayFormat(), 0); // "set"
    EXPECT_STREQ(node->GetDisplayFormatName(-1), "set");

    node->SetDisplayFormat(1); // the user picks "clear"
    node->UpdateText(bench.tree, FALSE);
    EXPECT_STREQ(node->GetValueText(), "0");
    EXPECT_TRUE(node->IsWritePending());
    auto calls = bench.treeObject->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, QelHost::WatchMethod::CalculateItem);
    EXPECT_EQ(calls[0].item, 5);
    EXPECT_EQ(calls[0].function, 0);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Peek(0x1000, 1), Bytes{0x00});
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    node->UpdateText(bench.tree, FALSE);
    EXPECT_STREQ(node->GetValueText(), "0");
    EXPECT_EQ(node->GetDisplayFormat(), 1);
}

TEST(VarNodeAccess, RegistersAreReadShiftedAndWrittenIntoTheirBitsOnly)
{
    VarNodeBench bench;
    bench.SetRegister("R2", 0x12345678);
    auto node = Basic(bench, TestMember("h", 0, 4, 16, 8)); // 16 bits at bit 8 of R2
    node->SetAddress(3, static_cast<DWORD>(bench.RegisterNumber("R2")), 0);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    node->UpdateText(nullptr, FALSE);
    EXPECT_STREQ(node->GetValueText(), "13398"); // 0x3456
    ASSERT_EQ(node->SetValue(CComVariant(LONG(0xABCD))), S_OK);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Register("R2"), 0x12ABCD78u);

    // A shift of 32 or more places nothing; a register the map does not know is no access.
    auto far = Basic(bench, TestMember("far", 0, 2, 8, 40));
    far->SetAddress(3, static_cast<DWORD>(bench.RegisterNumber("R2")), 0);
    ASSERT_TRUE(far->ReadValue(&bench.registerMap, FALSE));
    EXPECT_EQ(far->GetBuffer()[0], 0);
    ASSERT_EQ(far->SetValue(CComVariant(LONG(0xFF))), S_OK);
    ASSERT_TRUE(far->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Register("R2"), 0x12ABCD78u);
    auto unknown = Basic(bench, TestMember("u", 0, 5, 32));
    unknown->SetAddress(3, 999, 0);
    EXPECT_FALSE(unknown->ReadValue(&bench.registerMap, FALSE));
}

TEST(VarNodeAccess, AValueWiderThanTheWordIsSplitOverTwoRegisters)
{
    {
        VarNodeBench bench(32);
        bench.SetRegister("R4", 0x89ABCDEF);
        bench.SetRegister("R5", 0x01234567);
        auto node = Basic(bench, TestMember("ll", 0, 108, 64));
        node->SetAddress(3, static_cast<DWORD>(bench.RegisterNumber("R4")), 0);
        ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
        node->SetDisplayFormat(1);
        node->UpdateText(nullptr, FALSE);
        EXPECT_STREQ(node->GetValueText(), "0x123456789ABCDEF");
        VARIANT wide;
        wide.vt = VT_UI8;
        wide.ullVal = 0xFFFFFFFF00000001ull;
        ASSERT_EQ(node->SetValue(wide), S_OK);
        ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
        EXPECT_EQ(bench.Register("R4"), 1u);
        EXPECT_EQ(bench.Register("R5"), 0xFFFFFFFFu);
    }
    {
        VarNodeBench bench(16, QelHost::TargetPreset::C16x);
        bench.SetRegister("R6", 0x5678);
        bench.SetRegister("R7", 0x1234);
        auto node = Basic(bench, TestMember("l", 0, 6, 32));
        node->SetAddress(3, static_cast<DWORD>(bench.RegisterNumber("R6")), 0);
        ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
        node->SetDisplayFormat(1);
        node->UpdateText(nullptr, FALSE);
        EXPECT_STREQ(node->GetValueText(), "0x12345678");
    }
}

TEST(VarNodeAccess, ARegisterPairKeepsTheUpperHalfInTheThirdWordsRegister)
{
    VarNodeBench bench;
    bench.SetRegister("R1", 0x0000BEEF);
    bench.SetRegister("R9", 0x0000DEAD);
    auto node = Basic(bench, TestMember("p", 0, 6, 32));
    node->SetAddress(4, static_cast<DWORD>(bench.RegisterNumber("R1")), static_cast<DWORD>(bench.RegisterNumber("R9")));
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    node->SetDisplayFormat(1);
    node->UpdateText(nullptr, FALSE);
    EXPECT_STREQ(node->GetValueText(), "0xDEADBEEF");
    ASSERT_EQ(node->SetValue(CComVariant(ULONG(0xCAFEF00D))), S_OK);
    ASSERT_TRUE(node->ReadValue(&bench.registerMap, TRUE));
    EXPECT_EQ(bench.Register("R1"), 0xF00Du);
    EXPECT_EQ(bench.Register("R9"), 0xCAFEu);
}

TEST(VarNodeAccess, DetachedNodesAndNodesWithoutALocationDoNotTouchTheTarget)
{
    VarNodeBench bench;
    auto node = Basic(bench, TestMember("v", 0, 5, 32));
    node->SetAddress(0xFFFFFFFF, 0, 0);
    unsigned reads = bench.Reads();
    EXPECT_TRUE(node->ReadValue(&bench.registerMap, FALSE));
    node->SetAddress(1, 0x1000, 0);
    node->SetDetached(TRUE);
    EXPECT_FALSE(node->ReadValue(&bench.registerMap, FALSE));
    BYTE block[4] = {1, 2, 3, 4};
    BYTE *cursor = block;
    EXPECT_FALSE(node->CopyValueBuffer(&cursor, 0));
    EXPECT_EQ(bench.Reads(), reads);
}

} // namespace
