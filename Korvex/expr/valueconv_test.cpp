// The conversion table as a user meets it: each row's display formats, the text each
// gives of a value, and what each stores for a text typed in.
#include "valueconv.h"
#include "varnodetesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A bare node of that kind over the bytes (in memory order) of `hex`.
std::unique_ptr<CQelBasicVarNode> Node(LONG typeClass, LONG baseType, LONG bits, const char *hex, LONG layout = 0)
{
    auto node = std::make_unique<CQelBasicVarNode>(nullptr);
    node->BuildFromMember(TestMember("v", typeClass, baseType, bits, layout));
    if ((typeClass & 0xFF) == 2)
        node->SetAddress(1, 0x1000, 0); // the storage of the field's bits
    for (DWORD i = 0; i < node->GetSize() && hex[2 * i] != '\0'; ++i)
        node->GetBuffer()[i] = static_cast<BYTE>(std::stoi(std::string(hex + 2 * i, 2), nullptr, 16));
    return node;
}

std::string Text(CQelBasicVarNode &node, int format)
{
    node.SetDisplayFormat(format);
    node.UpdateText(nullptr, FALSE);
    return std::string(node.GetValueText());
}

std::string Hex(const BYTE *bytes, DWORD count)
{
    std::string text;
    char pair[3];
    for (DWORD i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

TEST(ValueConversions, EachRowNamesItsFormats)
{
    struct Row {
        LONG typeClass, baseType;
        const char *names;
    } rows[] = {
        {0, 1, "decimal,hexadecimal,ASCII,"},  {0, 2, "decimal,hexadecimal,ASCII,"},
        {0, 3, "decimal,hexadecimal,,"},       {0, 4, "decimal,hexadecimal,,"},
        {0, 5, "decimal,hexadecimal,,"},       {0, 6, "decimal,hexadecimal,,"},
        {0, 7, "compact,exponential,,"},       {0, 8, "compact,exponential,,"},
        {0, 9, "decimal,hexadecimal,,"},       {0, 10, "decimal,hexadecimal,,"},
        {0, 11, "decimal,hexadecimal,,"},      {0, 12, "decimal,hexadecimal,,"},
        {0, 107, "decimal,hexadecimal,,"},     {0, 108, "decimal,hexadecimal,,"},
        {0, 14, "decimal,hexadecimal,,"},      {0, 15, "decimal,hexadecimal,,"},
        {0, 17, "decimal,hexadecimal,,"},      {0, 13, "set,clear,,"},
        {2, 0xBFFFF, "decimal,hexadecimal,,"}, {7, 0x8007B, "hexadecimal,,,"},
        {3, 0x80230, ",,,"},                   {5, 0x80279, ",,,"},
        {0, 0, ",,,"},                         {0x40000000 | 2, 0, "decimal,hexadecimal,,"},
    };
    for (const Row &row : rows) {
        auto node = Node(row.typeClass, row.baseType, 32, "");
        std::string names;
        for (int i = 0; i < 4; ++i)
            names += std::string(node->GetDisplayFormatName(i)) + (i < 3 ? "," : "");
        EXPECT_EQ(names, row.names) << row.typeClass << "/" << row.baseType;
    }
}

TEST(ValueConversions, EachFormatShowsTheValue)
{
    struct Case {
        LONG typeClass, baseType, bits;
        const char *bytes;
        int format;
        const char *text;
        LONG layout = 0;
    } cases[] = {
        {0, 1, 8, "ff", 0, "-1"},
        {0, 1, 8, "ff", 1, "0xFF"},
        {0, 1, 8, "ff", 2, "'\xff'"},
        {0, 2, 8, "ff", 0, "255"},
        {0, 2, 8, "41", 2, "'A'"},
        {0, 3, 16, "0080", 0, "-32768"},
        {0, 3, 16, "0080", 1, "0x8000"},
        {0, 4, 16, "ffff", 0, "65535"},
        {0, 5, 32, "00000080", 0, "-2147483648"},
        {0, 5, 32, "00000080", 1, "0x80000000"},
        {0, 6, 32, "ffffffff", 0, "4294967295"},
        {0, 7, 32, "0000c03f", 0, "1.5"},
        {0, 7, 32, "ffff7f7f", 0, "3.40282e+38"},
        {0, 7, 32, "0000c03f", 1, "1.500000e+00"},
        {0, 8, 64, "000000000000e03f", 0, "0.5"},
        {0, 8, 64, "000000000000e03f", 1, "5.000000e-01"},
        {0, 9, 16, "feff", 0, "-2"},
        {0, 10, 16, "feff", 1, "0xFFFE"},
        {0, 11, 32, "feffffff", 0, "-2"},
        {0, 12, 32, "feffffff", 1, "0xFFFFFFFE"},
        {0, 107, 64, "0000000000000080", 0, "-9223372036854775808"},
        {0, 108, 64, "ffffffffffffffff", 0, "18446744073709551615"},
        {0, 108, 64, "ffffffffffffffff", 1, "0xFFFFFFFFFFFFFFFF"},
        {0, 14, 8, "80", 0, "128"},
        {0, 15, 16, "0180", 1, "0x8001"},
        {0, 17, 16, "0180", 0, "32769"},
        // Bit fields: width, offset << 16, signed << 31 in the layout; whole hex digits.
        {2, 0, 3, "07", 0, "-1", static_cast<LONG>(0x80000003)},
        {2, 0, 3, "07", 1, "0x7", static_cast<LONG>(0x80000003)},
        {2, 0, 5, "1f", 1, "0x1F", 5},
        {2, 0, 4, "0f", 1, "0xF", 4},
        {2, 0, 1, "01", 0, "1", static_cast<LONG>(0x80000001)},
        {2, 0, 6, "c00f", 0, "-1", static_cast<LONG>(0x800E0006)}, // crosses a byte: offset 14 % 8
        {2, 0, 9, "0001", 0, "256", 0x00000009},
        {2, 0, 9, "0001", 1, "0x100", 0x00000009},
        {7, 0x8007B, 32, "fbffffff", 0, "0xFFFFFFFB"},
        {7, 0x8007B, 8, "fb", 0, "0xFB"},
    };
    for (const Case &c : cases) {
        auto node = Node(c.typeClass, c.baseType, c.bits, c.bytes, c.layout);
        EXPECT_EQ(Text(*node, c.format), c.text) << c.typeClass << "/" << c.baseType << " " << c.bytes;
    }
}

// What the node's buffer holds after a text typed in the format; "refused" when the
// text could not be read (the value stays).
std::string Parsed(LONG typeClass, LONG baseType, LONG bits, int format, const char *text, LONG layout = 0)
{
    VarNodeBench bench;
    auto node = Node(typeClass, baseType, bits, "a5a5a5a5a5a5a5a5", layout);
    node->SetItemHandle(1);
    node->SetDisplayFormat(format);
    node->SetValueText(text);
    if (!node->ParseEditText(bench.tree))
        return node->IsWritePending() ? "refused, but write pending" : "refused";
    return Hex(node->GetBuffer(), node->GetSize());
}

TEST(ValueConversions, ATextTypedInIsStoredInTheFormatsWidth)
{
    EXPECT_EQ(Parsed(0, 4, 16, 1, "1f"), "1f00");
    EXPECT_EQ(Parsed(0, 4, 16, 1, "0x1f"), "1f00");
    EXPECT_EQ(Parsed(0, 4, 16, 1, "0X1F"), "1f00");
    EXPECT_EQ(Parsed(0, 1, 8, 1, "0x1ff"), "ff"); // read as 16 bits, the byte kept
    EXPECT_EQ(Parsed(0, 1, 8, 0, "-5"), "fb");
    EXPECT_EQ(Parsed(0, 2, 8, 2, "'x'"), "78");
    EXPECT_EQ(Parsed(0, 5, 32, 0, "-2"), "feffffff");
    EXPECT_EQ(Parsed(0, 6, 32, 1, "DEADBEEF"), "efbeadde");
    EXPECT_EQ(Parsed(0, 108, 64, 0, "18446744073709551615"), "ffffffffffffffff");
    EXPECT_EQ(Parsed(0, 107, 64, 1, "0x8000000000000001"), "0100000000000080");
    EXPECT_EQ(Parsed(0, 7, 32, 0, "1.5"), "0000c03f");
    EXPECT_EQ(Parsed(0, 8, 64, 1, "-2e0"), "00000000000000c0");
    EXPECT_EQ(Parsed(0, 5, 32, 0, " 7 "), "07000000");
    // The field's bits replace the field in the storage, which starts from 0.
    EXPECT_EQ(Parsed(2, 0, 3, 0, "-1", static_cast<LONG>(0x80020003)), "1c");
    EXPECT_EQ(Parsed(2, 0, 3, 1, "0x5", 0x00020003), "14");
    // Texts that cannot be read store nothing and write nothing.
    for (const char *bad : {"", "12abc", "abc", "0x", "--1"})
        EXPECT_EQ(Parsed(0, 5, 32, 0, bad), "refused") << bad;
    EXPECT_EQ(Parsed(0, 4, 16, 1, "xyz"), "refused");
    EXPECT_EQ(Parsed(0, 7, 32, 0, "one"), "refused");
    EXPECT_EQ(Parsed(2, 0, 3, 1, "5", 3), "refused"); // the bit-field hex needs its "0x"
    EXPECT_EQ(Parsed(0, 2, 8, 2, "x"), "refused");
    EXPECT_EQ(Parsed(0, 0, 32, 0, "1"), "refused"); // void has no format
}

TEST(ValueConversions, AnUnreadableEditKeepsTheValueAndTheTextShown)
{
    VarNodeBench bench;
    auto node = Node(0, 11, 32, "2a000000");
    node->SetItemHandle(1);
    node->UpdateText(nullptr, FALSE);
    node->SetValueText("4x2");
    EXPECT_FALSE(node->ParseEditText(bench.tree));
    EXPECT_EQ(Hex(node->GetBuffer(), 4), "2a000000");
    EXPECT_STREQ(node->GetValueText(), "42");
    EXPECT_FALSE(node->IsWritePending());
}

TEST(ValueConversions, WordSwappedFloatsAndDoublesRoundTrip)
{
    VarNodeBench bench(32, QelHost::TargetPreset::Arm, IID_ITaskingC16xInfo);
    struct Case {
        LONG baseType, bits;
        const char *stored; // the target's bytes: 16-bit words reversed
        const char *text;
    } cases[] = {{7, 32, "c03f0000", "1.5"}, {8, 64, "e03f000000000000", "0.5"}, {8, 64, "f0bf000000000000", "-1"}};
    for (const Case &c : cases) {
        CQelBasicVarNode node(bench.owner);
        ASSERT_TRUE(node.IsWordSwapped());
        node.BuildFromMember(TestMember("f", 0, c.baseType, c.bits));
        node.SetItemHandle(1);
        node.UpdateText(nullptr, FALSE);
        node.SetValueText(c.text);
        ASSERT_TRUE(node.ParseEditText(bench.tree));
        EXPECT_EQ(Hex(node.GetBuffer(), node.GetSize()), c.stored);
        node.UpdateText(nullptr, FALSE);
        EXPECT_STREQ(node.GetValueText(), c.text);
        CComVariant value;
        ASSERT_EQ(node.GetValue(&value), S_OK);
        EXPECT_DOUBLE_EQ(value.vt == VT_R4 ? value.fltVal : value.dblVal, std::stod(c.text));
    }
}

TEST(ValueConversions, UserFormatsTakeOneConversionAlone)
{
    for (const char *good : {"%d", "%i", "value %x!", "%X", "%o", "%u", "%c", "%e", "%E", "%f", "%g", "%G"})
        EXPECT_TRUE(QelIsUserFormat(good)) << good;
    for (const char *bad : {"%d items %x", "%5d", "%ld", "%-d", "%%", "%s", "%p", "none", "%", "100%"})
        EXPECT_FALSE(QelIsUserFormat(bad)) << bad;
    BYTE minusOne[8] = {0xFF, 0xFF, 0xFF, 0xFF};
    BYTE twoAndAHalf[8];
    double value = -2.5;
    std::memcpy(twoAndAHalf, &value, sizeof value);
    EXPECT_STREQ(QelFormatUser("%d", 1, minusOne), "-1");
    EXPECT_STREQ(QelFormatUser("%u", 2, minusOne), "4294967295");
    EXPECT_STREQ(QelFormatUser("%f", 1, minusOne), "-1.000000");
    EXPECT_STREQ(QelFormatUser("%f", 2, minusOne), "4294967295.000000");
    EXPECT_STREQ(QelFormatUser("%d", 3, twoAndAHalf), "-2");
    EXPECT_STREQ(QelFormatUser("%x", 3, twoAndAHalf), "fffffffe");
    EXPECT_STREQ(QelFormatUser("<%g>", 3, twoAndAHalf), "<-2.5>");
    CString longFormat('x', 150);
    longFormat += "%d";
    EXPECT_EQ(QelFormatUser(longFormat, 1, minusOne).GetLength(), 100);
}

} // namespace
