// What the variable nodes show and answer: value texts of every kind of node, pointers
// and their previews, enumerations, values as VARIANTs, display states, linking, and the
// pseudo variables.
#include "varnodetesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using QelHost::WatchMethod;

std::string Shown(CQelBasicVarNode &node, IUnknown *tree = nullptr, BOOL notify = FALSE)
{
    node.UpdateText(tree, notify);
    return std::string(node.GetValueText());
}

TEST(VarNodeText, PlainNodesShowTheirValueOrWhyNot)
{
    VarNodeBench bench;
    CQelBasicVarNode node(bench.owner);
    node.BuildFromMember(TestMember("v", 0, 11, 32));
    node.SetItemHandle(4);
    node.SetAddress(0xFFFFFFFF, 0, 0);
    EXPECT_EQ(Shown(node, bench.tree, TRUE), "not valid");
    node.SetAddress(0, 0xFFFFFFFE, 0); // a constant
    EXPECT_EQ(Shown(node), "-2");
    node.BuildFromMember(TestMember("w", 0, 108, 64));
    node.SetDisplayFormat(1);
    node.SetAddress(0x40000000, 0x89ABCDEF, 0x01234567);
    EXPECT_EQ(Shown(node), "0x123456789ABCDEF");

    CQelBasicVarNode function(bench.owner);
    function.BuildFromMember(TestMember("f", 9, 0, 0));
    function.SetItemHandle(6);
    function.SetAddress(1, 0x1234, 0);
    EXPECT_EQ(Shown(function, bench.tree, TRUE), "0x1234");
    auto calls = bench.treeObject->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].method, WatchMethod::SetItemText);
    EXPECT_EQ(calls[0].item, 4);
    EXPECT_EQ(calls[1].method, WatchMethod::CalculateItem); // the tree resolves the function
    EXPECT_EQ(calls[1].item, 6);
    EXPECT_EQ(calls[1].function, 2);
    EXPECT_EQ(calls[1].mode, 1);
    EXPECT_EQ(calls[1].value, 0x1234);
    EXPECT_EQ(calls[2].method, WatchMethod::SetItemText);
}

// enum level { LEVEL_NEG = -5, LEVEL_LOW = 1, LEVEL_SAME = 1, LEVEL_HIGH = 100000 } of
// `bits`, its enumerators linked below it.
void AddEnumerators(CQelBasicVarNode &node)
{
    struct {
        const char *name;
        LONG value;
    } enumerators[] = {{"LEVEL_NEG", -5}, {"LEVEL_LOW", 1}, {"LEVEL_SAME", 1}, {"LEVEL_HIGH", 100000}};
    CString name;
    CQelBasicVarNode *previous = nullptr;
    for (const auto &e : enumerators) {
        auto *child = new CQelBasicVarNode(nullptr);
        child->BuildFromMember(TestMember(e.name, 12, 0x8007B, 32, e.value));
        ASSERT_TRUE(previous == nullptr ? node.LinkChild(node.GetItemHandle(), child, name)
                                        : previous->LinkChild(0, child, name));
        previous = child;
    }
}

TEST(VarNodeText, AnEnumerationAsksOnceForItsEnumeratorsAndNamesEveryMatch)
{
    VarNodeBench bench;
    CQelBasicVarNode node(bench.owner);
    node.BuildFromMember(TestMember("level", 7, 0x8007B, 32));
    node.SetItemHandle(9);
    node.SetAddress(0, 1, 0);
    EXPECT_EQ(Shown(node, bench.tree), "0x1");
    EXPECT_EQ(Shown(node, bench.tree), "0x1");
    auto calls = bench.treeObject->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, WatchMethod::CalculateItem);
    EXPECT_EQ(calls[0].function, 1);
    EXPECT_EQ(calls[0].mode, 0x8007B);
    EXPECT_EQ(calls[0].value, 0x8007B);

    AddEnumerators(node);
    EXPECT_EQ(node.GetEnumeratorCount(), 4);
    EXPECT_EQ(node.GetBaseType(9), -1); // it has children now
    EXPECT_EQ(Shown(node), "LEVEL_LOW, LEVEL_SAME");
    EXPECT_EQ(node.GetChosenEnumerator(), 1);
    CComVariant value;
    ASSERT_EQ(node.GetValue(&value), S_OK);
    EXPECT_EQ(value.vt, VT_BSTR);
    EXPECT_STREQ(CString(value.bstrVal), "LEVEL_LOW, LEVEL_SAME");
    node.SetAddress(0, 0xFFFFFFFB, 0);
    EXPECT_EQ(Shown(node), "LEVEL_NEG");
    node.SetAddress(0, 7, 0);
    EXPECT_EQ(Shown(node), "0x7");
    EXPECT_EQ(node.GetChosenEnumerator(), -1);

    // One byte: its value matches with its sign, and answers sign-extended otherwise.
    CQelBasicVarNode small(nullptr);
    small.BuildFromMember(TestMember("small", 7, 0x8007B, 8));
    small.SetItemHandle(2);
    AddEnumerators(small);
    small.GetBuffer()[0] = 0xFB;
    EXPECT_EQ(Shown(small), "LEVEL_NEG");
    small.GetBuffer()[0] = 0x80;
    EXPECT_EQ(Shown(small), "0x80");
    value.Clear();
    ASSERT_EQ(small.GetValue(&value), S_OK);
    EXPECT_EQ(value.vt, VT_UI4);
    EXPECT_EQ(value.ulVal, 0xFFFFFF80u);

    // Editing an enumeration writes the chosen enumerator's value.
    EXPECT_TRUE(small.SetChosenEnumerator(3));
    EXPECT_FALSE(small.SetChosenEnumerator(4));
    ASSERT_TRUE(small.ParseEditText(bench.tree));
    EXPECT_EQ(small.GetBuffer()[0], 0xA0); // 100000 = 0x186A0
    LONG enumeratorValue = 0;
    CString enumeratorName;
    ASSERT_TRUE(small.GetEnumerator(0, &enumeratorValue, &enumeratorName));
    EXPECT_EQ(enumeratorValue, -5);
    EXPECT_STREQ(enumeratorName, "LEVEL_NEG");
}

// A char pointer at 0x1000 to the text at 0x1100, expanded, read.
struct PointerCase {
    explicit PointerCase(VarNodeBench &bench, const std::string &text, DWORD kind = 2, LONG childClass = 0,
                         LONG childBase = 2, DWORD pointer = 0x1100)
        : node(bench.owner)
    {
        bench.Poke(0x1000, {BYTE(pointer), BYTE(pointer >> 8), BYTE(pointer >> 16), BYTE(pointer >> 24)});
        std::vector<BYTE> bytes(text.begin(), text.end());
        bytes.resize(40, 0);
        bench.Poke(0x1100, bytes);
        node.BuildFromMember(TestMember("p", 3, 0x80230, 32, 0, static_cast<LONG>(kind)));
        node.SetItemHandle(1);
        auto *child = new CQelBasicVarNode(bench.owner);
        child->BuildFromMember(TestMember("*%s", childClass, childBase, 8));
        CString name;
        EXPECT_TRUE(node.LinkChild(1, child, name));
        EXPECT_STREQ(name, "*p");
        node.SetComplexMemory(bench.memory);
        node.SetCollapsed(1, TRUE);
        node.SetAddress(1, 0x1000, 0);
        node.ReadValue(&bench.registerMap, FALSE);
    }
    CQelPointerVarNode node;
};

TEST(VarNodeText, ACharPointerShowsItsTargetAndAPreviewOfTheText)
{
    VarNodeBench bench;
    struct Case {
        std::string text;
        const char *shown;
    } cases[] = {
        {"0123456789abcdefghijklmnopqrstuv", "0x1100  ->  \"0123456789abcdefghijklmnopqr...\""},
        {"0123456789abcdefghijklmnopqrstuvwxyz", "0x1100  ->  \"0123456789abcdefghijklmnopqr...\""},
        {"short", "0x1100  ->  \"short\""},
        {"bad\x01text", "0x1100"},
        {"", "0x1100"},
    };
    for (const Case &c : cases) {
        PointerCase pointer(bench, c.text);
        EXPECT_EQ(Shown(pointer.node), c.shown) << c.text;
        EXPECT_STREQ(pointer.node.GetFirstChild()->GetValueText(), c.text.empty() ? "0" : std::to_string(BYTE(c.text[0])).c_str());
        CComVariant value;
        ASSERT_EQ(pointer.node.GetValue(&value), S_OK);
        EXPECT_EQ(value.ulVal, 0x1100u);
    }
    // A text that ends just before the end of readable memory still shows.
    bench.Poke(0x1FFA, {'s', 'h', 'o', 'r', 't', 0});
    PointerCase atTheEnd(bench, "", 2, 0, 2, 0x1FFA);
    EXPECT_EQ(Shown(atTheEnd.node), "0x1FFA  ->  \"short\"");
    bench.Poke(0x1FFA, {'s', 'h', 'o', 'r', 't', 'e'});
    PointerCase cutByTheEnd(bench, "", 2, 0, 2, 0x1FFA);
    EXPECT_EQ(Shown(cutByTheEnd.node), "0x1FFA");

    PointerCase notChars(bench, "short", 2, 0, 5);
    EXPECT_EQ(Shown(notChars.node), "0x1100");
    notChars.node.SetAddress(0xFFFFFFFF, 0, 0);
    EXPECT_EQ(Shown(notChars.node), "not valid");
    CComVariant value;
    EXPECT_EQ(notChars.node.GetValue(&value), E_FAIL);
}

TEST(VarNodeText, APointerToAFunctionTakesTheFunctionsPointerKind)
{
    // The C16x forms tell the kinds apart: 3 is code in the segment of CSP, 4 is
    // segment and offset, 0 a data page, 1 page and offset.
    VarNodeBench bench(16, QelHost::TargetPreset::C16x);
    bench.SetRegister("CSP", 0x7);
    bench.SetRegister("DPP0", 0x3);
    struct Case {
        DWORD kind;
        LONG childClass;
        DWORD target;
    } cases[] = {
        {0, 9, 0x71100}, // kind 3: CSP and the offset
        {1, 9, 0x21100}, // kind 4: segment and offset
        {2, 9, 0x21100},
        {1, 0, 0x9100},  // kind 1: page 2 << 14 and the offset's low 14 bits
        {0, 0, 0xD100},  // kind 0: DPP0's page 3 << 14 and the offset
        {5, 9, 0},       // no such kind: no target
    };
    for (const Case &c : cases) {
        PointerCase pointer(bench, "x", c.kind, c.childClass, 0, 0x21100);
        EXPECT_EQ(pointer.node.HasTarget(), c.target != 0) << c.kind;
        if (c.target != 0) {
            EXPECT_EQ(pointer.node.GetTarget().AddressValue, c.target) << c.kind << "/" << c.childClass;
        }
    }
}

TEST(VarNodeText, StructuresShowWhereTheyLie)
{
    VarNodeBench bench;
    CQelStructVarNode node(bench.owner);
    node.BuildFromMember(TestMember("s", 5, 0x80001, 32));
    struct Case {
        DWORD mode, value, third;
        const char *shown;
        HRESULT got;
    } cases[] = {
        {1, 0x4000, 0, "0x4000", S_OK},    {0x40000001, 0xFE00, 3, "0xFE00.3", S_OK},
        {3, 2, 0, "<register>", S_OK},     {4, 2, 3, "<register>", S_OK},
        {0xFFFFFFFF, 0, 0, "not valid", E_FAIL}, {0xFFFFFFFE, 0, 0, "0x0", E_FAIL},
    };
    for (const Case &c : cases) {
        node.SetAddress(c.mode, c.value, c.third);
        EXPECT_EQ(Shown(node), c.shown);
        CComVariant value;
        EXPECT_EQ(node.GetValue(&value), c.got);
    }
}

TEST(VarNodeText, ValuesAsVariantsFollowTheBaseType)
{
    struct Case {
        LONG baseType, bits;
        VARTYPE vt;
        LONGLONG value;
    } cases[] = {
        {1, 8, VT_I1, -1},     {2, 8, VT_UI1, 0xFF},   {14, 8, VT_UI1, 0xFF},   {3, 16, VT_I2, -1},
        {9, 16, VT_I2, -1},    {4, 16, VT_UI2, 0xFFFF}, {10, 16, VT_UI2, 0xFFFF}, {15, 16, VT_UI2, 0xFFFF},
        {17, 16, VT_UI2, 0xFFFF}, {5, 32, VT_I4, -1},  {11, 32, VT_I4, -1},     {6, 32, VT_UI4, 0xFFFFFFFF},
        {12, 32, VT_UI4, 0xFFFFFFFF}, {107, 64, VT_I8, -1}, {108, 64, VT_UI8, -1},
    };
    for (const Case &c : cases) {
        CQelBasicVarNode node(nullptr);
        node.BuildFromMember(TestMember("v", 0, c.baseType, c.bits));
        std::memset(node.GetBuffer(), 0xFF, node.GetSize());
        CComVariant value;
        ASSERT_EQ(node.GetValue(&value), S_OK) << c.baseType;
        EXPECT_EQ(value.vt, c.vt) << c.baseType;
        LONGLONG got = 0;
        std::memcpy(&got, &value.llVal, c.bits / 8);
        LONGLONG expected = c.value;
        std::memcpy(&expected, &c.value, c.bits / 8);
        EXPECT_EQ(std::memcmp(&got, &expected, c.bits / 8), 0) << c.baseType;

        // Set takes any VARIANT that converts, and stores the base type's bytes.
        std::memset(node.GetBuffer(), 0, node.GetSize());
        ASSERT_EQ(node.SetValue(CComVariant(LONG(1))), S_OK) << c.baseType;
        EXPECT_EQ(node.GetBuffer()[0], 1);
        EXPECT_TRUE(node.IsWritePending());
    }
    CQelBasicVarNode real(nullptr);
    real.BuildFromMember(TestMember("f", 0, 7, 32));
    ASSERT_EQ(real.SetValue(CComVariant("2.5")), S_OK);
    CComVariant value;
    ASSERT_EQ(real.GetValue(&value), S_OK);
    EXPECT_EQ(value.vt, VT_R4);
    EXPECT_EQ(value.fltVal, 2.5f);

    // No value to give or take: void, structures, functions, no location.
    CQelBasicVarNode none(nullptr);
    none.BuildFromMember(TestMember("v", 0, 0, 32));
    value = LONG(42);
    EXPECT_EQ(none.GetValue(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(none.SetValue(CComVariant(LONG(1))), E_FAIL);
    CQelBasicVarNode function(nullptr);
    function.BuildFromMember(TestMember("f", 9, 0, 0));
    value = LONG(42);
    EXPECT_EQ(function.GetValue(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(function.SetValue(CComVariant(LONG(1))), E_FAIL);
    CQelBasicVarNode lost(nullptr);
    lost.BuildFromMember(TestMember("v", 0, 5, 32));
    lost.SetAddress(0xFFFFFFFF, 0, 0);
    EXPECT_EQ(lost.GetValue(&value), E_FAIL);
    EXPECT_EQ(lost.SetValue(CComVariant(LONG(1))), E_FAIL);
    CQelBasicVarNode word(nullptr);
    word.BuildFromMember(TestMember("w", 0, 5, 32));
    EXPECT_EQ(word.SetValue(CComVariant("twelve")), DISP_E_TYPEMISMATCH);
}

TEST(VarNodeText, BitsAndBitFieldsAnswerTheirFieldAsASignedNumber)
{
    struct Case {
        LONG typeClass, baseType, bits, layout;
        DWORD third;
        BYTE byte;
        LONG value;
    } cases[] = {
        {2, 0, 3, static_cast<LONG>(0x80020003), 0, 0x1C, -1}, {2, 0, 3, 0x00020003, 0, 0x1C, 7},
        {2, 0, 1, static_cast<LONG>(0x80000001), 0, 0x01, 1},  {0, 13, 8, 0, 5, 0x20, 1},
        {0, 13, 8, 0, 4, 0x20, 0},
    };
    for (const Case &c : cases) {
        CQelBasicVarNode node(nullptr);
        node.BuildFromMember(TestMember("b", c.typeClass, c.baseType, c.bits, c.layout));
        node.SetAddress(1, 0x1000, c.third);
        node.GetBuffer()[0] = c.byte;
        CComVariant value;
        ASSERT_EQ(node.GetValue(&value), S_OK);
        EXPECT_EQ(value.vt, VT_I4);
        EXPECT_EQ(value.lVal, c.value);
    }
}

TEST(VarNodeText, DisplayStatesTellChangedValues)
{
    VarNodeBench bench;
    bench.Poke(0x1000, {1});
    CQelBasicVarNode node(bench.owner);
    node.BuildFromMember(TestMember("c", 0, 2, 8));
    node.SetComplexMemory(bench.memory);
    node.SetAddress(1, 0x1000, 0);
    ASSERT_TRUE(node.ReadValue(&bench.registerMap, FALSE));
    EXPECT_EQ(node.GetDisplayState(), 4);
    ASSERT_TRUE(node.ReadValue(&bench.registerMap, FALSE));
    EXPECT_EQ(node.GetDisplayState(), 1);
    bench.Poke(0x1000, {2});
    ASSERT_TRUE(node.ReadValue(&bench.registerMap, FALSE));
    node.SetAddress(0xFFFFFFFE, 0, 0);
    EXPECT_EQ(node.GetDisplayState(), 1);

    CQelComplexVarNode complex(nullptr);
    EXPECT_EQ(complex.GetDisplayState(), 0);
    QelComplexValue value;
    value.resultType = 1;
    value.bytes[0] = 7;
    EXPECT_EQ(complex.Set(1, "a+b", value), 1u);
    EXPECT_EQ(complex.GetDisplayState(), 3); // a new base type counts as changed
    EXPECT_EQ(complex.Set(1, "a+b", value), 1u);
    EXPECT_EQ(complex.GetDisplayState(), 0);
    EXPECT_EQ(complex.Set(1, "?(\"<%x>\",a+b)", value), 2u);
    EXPECT_EQ(complex.GetDisplayState(), 2);
    value.bytes[0] = 8;
    EXPECT_EQ(complex.Set(1, "?(\"<%x>\",a+b)", value), 2u);
    EXPECT_EQ(complex.GetDisplayState(), 5);
}

TEST(VarNodeText, PseudoVariablesShowTheirValueOrTheirFormatsFault)
{
    CQelComplexVarNode node(nullptr);
    QelComplexValue value;
    EXPECT_EQ(node.Set(0, "missing", value), 0u);
    EXPECT_EQ(Shown(node), "not valid");
    EXPECT_STREQ(node.GetString(0), "missing");
    EXPECT_STREQ(node.GetString(101), "expression");
    EXPECT_STREQ(node.GetString(102), "current IP");
    EXPECT_FALSE(node.ParseEditText(nullptr));

    value.resultType = 1;
    std::memset(value.bytes, 0xFF, 4);
    node.Set(1, "x", value);
    EXPECT_EQ(Shown(node), "-1");
    node.SetDisplayFormat(1);
    EXPECT_EQ(Shown(node), "0xFFFFFFFF");
    value.resultType = 2;
    node.Set(1, "x", value);
    EXPECT_EQ(node.GetDisplayFormat(), 0);
    EXPECT_EQ(Shown(node), "4294967295");
    value.resultType = 3;
    double half = 0.5;
    std::memcpy(value.bytes, &half, sizeof half);
    node.Set(1, "x", value);
    EXPECT_EQ(Shown(node), "0.5");
    EXPECT_EQ(node.Set(1, "?(\"<%g>\",x)", value), 2u);
    EXPECT_EQ(Shown(node), "<0.5>");
    EXPECT_EQ(node.Set(1, "?(\"%d items %x\",x)", value), 2u);
    EXPECT_EQ(Shown(node), "%d items %x <Invalid syntax!>");
    EXPECT_EQ(node.Set(1, "?(\"%5d\",x)", value), 2u);
    EXPECT_EQ(Shown(node), "%5d <Invalid syntax!>");
    value.resultType = 9;
    EXPECT_EQ(node.Set(1, "x", value), 0u);
}

TEST(VarNodeText, LinkingPlacesNodesWhereThereIsRoomAndFillsPatternsLiterally)
{
    VarNodeBench bench;
    CQelPointerVarNode root(bench.owner);
    root.BuildFromMember(TestMember("p%n%s", 3, 0x80230, 32, 0, 2));
    root.SetItemHandle(1);
    auto *target = new CQelPointerVarNode(bench.owner);
    target->BuildFromMember(TestMember("*%s", 3, 0x80231, 32, 0, 2));
    CString name;
    ASSERT_TRUE(root.LinkChild(1, target, name));
    EXPECT_STREQ(name, "*p%n%s"); // the name is no format
    target->SetItemHandle(2);
    auto *second = new CQelBasicVarNode(bench.owner);
    second->BuildFromMember(TestMember("x", 0, 5, 32));
    EXPECT_FALSE(root.LinkChild(1, second, name)); // the pointer has its object
    auto *structure = new CQelStructVarNode(bench.owner);
    structure->BuildFromMember(TestMember("*%s", 5, 0x80042, 96));
    ASSERT_TRUE(root.LinkChild(2, structure, name));
    EXPECT_STREQ(name, "**p%n%s");
    structure->SetItemHandle(3);
    // Below a structure the request goes to the structure itself.
    ASSERT_TRUE(root.LinkChild(3, second, name));
    EXPECT_STREQ(name, "x");
    auto *sibling = new CQelBasicVarNode(bench.owner);
    sibling->BuildFromMember(TestMember("y", 0, 5, 32, 32));
    ASSERT_TRUE(second->LinkChild(0, sibling, name));
    auto *third = new CQelBasicVarNode(bench.owner);
    EXPECT_FALSE(second->LinkChild(0, third, name));
    delete third;
    sibling->SetItemHandle(5);
    EXPECT_EQ(root.FindNode(5), sibling);
    EXPECT_EQ(root.FindNode(77), nullptr);
    EXPECT_EQ(QelFillNamePattern("%s[%d]", "grid[1]", 3), CString("grid[1][3]"));
}

TEST(VarNodeText, TheTreeIsFoundByHandleAndAnswersItsStrings)
{
    VarNodeBench bench;
    CQelBasicVarNode root(bench.owner);
    VariableTag tag;
    tag.Name = "g_int";
    tag.TypeCode = 0;
    tag.TypeIndex = 11;
    tag.TypeText = "int";
    tag.SizeInBits = 32;
    tag.ScopeText = "(global)";
    tag.AddressValue = 0x40000008;
    root.BuildFromVariable(tag);
    root.SetItemHandle(10);
    EXPECT_STREQ(root.GetString(0), "g_int");
    EXPECT_STREQ(root.GetString(10), "g_int");
    EXPECT_STREQ(root.GetString(101), "int");
    EXPECT_STREQ(root.GetString(102), "(global)");
    CAddressValue location;
    ASSERT_TRUE(root.GetSymbolLocation(10, location));
    EXPECT_EQ(location.AddressValue, 0x40000008u);
    ASSERT_TRUE(root.GetLocation(0, location));
    EXPECT_EQ(location, CAddressValue());
    EXPECT_TRUE(root.SetDisplayText(10, "shown", FALSE));
    EXPECT_STREQ(root.GetString(10), "shown");
    EXPECT_TRUE(root.SetDisplayText(10, "42", TRUE));
    EXPECT_STREQ(root.GetString(1), "42");
    EXPECT_FALSE(root.SetDisplayText(11, "x", TRUE));
    EXPECT_EQ(root.GetBaseType(10), 11);
    EXPECT_FALSE(root.SetDisplayFormat(4));
    EXPECT_TRUE(root.SetDisplayFormat(1));
    EXPECT_STREQ(root.GetDisplayFormatName(-1), "hexadecimal");

    auto *next = new CQelBasicVarNode(bench.owner);
    CString name;
    ASSERT_TRUE(root.LinkChild(0, next, name));
    LONG handles[] = {21, 22};
    root.SetItemHandles(handles, 2);
    EXPECT_EQ(root.FindNode(22), next);
    CQelBasicVarNode::DeleteTree(root.GetNextSibling());
}

} // namespace
