#include "cfgprofileclient.h"

#include "teststrings.h"

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

// What a key text gives: whether the item is configured, its entry name, and its default
// as a type and a value (numbers as the 32 bits of their type, texts as ANSI).
struct KeySpecCase {
    const char *keyText;
    bool configured;
    const char *entry;
    VARTYPE vt;
    DWORD number;
    double real;
    const char *text;
};

std::string Describe(const VARIANT &value)
{
    char buffer[64];
    switch (value.vt) {
    case VT_EMPTY:
        return "empty";
    case VT_BOOL:
        return value.boolVal == VARIANT_TRUE ? "bool true" : value.boolVal == VARIANT_FALSE ? "bool false" : "bool ?";
    case VT_I2:
        return "short " + std::to_string(value.iVal);
    case VT_I4:
        return "int " + std::to_string(value.lVal);
    case VT_UI1:
        return "BYTE " + std::to_string(value.bVal);
    case VT_UI2:
        return "WORD " + std::to_string(value.uiVal);
    case VT_UI4:
        return "DWORD " + std::to_string(value.ulVal);
    case VT_R4:
        snprintf(buffer, sizeof buffer, "float %g", value.fltVal);
        return buffer;
    case VT_R8:
        snprintf(buffer, sizeof buffer, "double %g", value.dblVal);
        return buffer;
    case VT_BSTR:
        return "BSTR '" + std::string(CString(value.bstrVal)) + "'";
    default:
        return "vt " + std::to_string(value.vt);
    }
}

std::string Expected(const KeySpecCase &c)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = c.vt;
    switch (c.vt) {
    case VT_BOOL:
        value.boolVal = c.number ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_I2:
        value.iVal = static_cast<SHORT>(c.number);
        break;
    case VT_I4:
        value.lVal = static_cast<LONG>(c.number);
        break;
    case VT_UI1:
        value.bVal = static_cast<BYTE>(c.number);
        break;
    case VT_UI2:
        value.uiVal = static_cast<USHORT>(c.number);
        break;
    case VT_UI4:
        value.ulVal = c.number;
        break;
    case VT_R4:
        value.fltVal = static_cast<FLOAT>(c.real);
        break;
    case VT_R8:
        value.dblVal = c.real;
        break;
    case VT_BSTR:
        return "BSTR '" + std::string(c.text) + "'";
    default:
        break;
    }
    return Describe(value);
}

const KeySpecCase kCases[] = {
    // Booleans: the words ON, TRUE and YES in any case, nothing else.
    {"IgnoreProgramFromWsp/BOOL:FALSE", true, "IgnoreProgramFromWsp", VT_BOOL, 0, 0, nullptr},
    {"SERVICE/BOOL:yes", true, "SERVICE", VT_BOOL, 1, 0, nullptr},
    {"SERVICE/bool: On ", true, "SERVICE", VT_BOOL, 1, 0, nullptr},
    {"SERVICE/Bool:True", true, "SERVICE", VT_BOOL, 1, 0, nullptr},
    {"SERVICE/BOOL:1", true, "SERVICE", VT_BOOL, 0, 0, nullptr},
    {"SERVICE/BOOL", true, "SERVICE", VT_BOOL, 0, 0, nullptr},
    // short and int: decimal unless the form says otherwise.
    {"Count/int:10", true, "Count", VT_I4, 10, 0, nullptr},
    {"Count/short:10", true, "Count", VT_I2, 10, 0, nullptr},
    {"Count/int:10h", true, "Count", VT_I4, 16, 0, nullptr},
    {"Count/int:0x1F", true, "Count", VT_I4, 31, 0, nullptr},
    {"Count/int:17o", true, "Count", VT_I4, 15, 0, nullptr},
    {"Count/int:-5", true, "Count", VT_I4, static_cast<DWORD>(-5), 0, nullptr},
    {"Count/short:-2", true, "Count", VT_I2, static_cast<DWORD>(-2), 0, nullptr},
    {"Count/int:ten", true, "Count", VT_EMPTY, 0, 0, nullptr},
    {"Count/int", true, "Count", VT_EMPTY, 0, 0, nullptr},
    // BYTE, WORD and DWORD: hexadecimal unless the form says otherwise.
    {"Mask/DWORD:10", true, "Mask", VT_UI4, 16, 0, nullptr},
    {"Mask/DWORD:10d", true, "Mask", VT_UI4, 10, 0, nullptr},
    {"Mask/DWORD:1AD", true, "Mask", VT_UI4, 0x1AD, 0, nullptr},
    {"Mask/WORD:ffff", true, "Mask", VT_UI2, 0xFFFF, 0, nullptr},
    {"Mask/BYTE:7F", true, "Mask", VT_UI1, 0x7F, 0, nullptr},
    {"Mask/dword:G", true, "Mask", VT_EMPTY, 0, 0, nullptr},
    // float and double: atof, 0 without a default.
    {"Ratio/double:2.5", true, "Ratio", VT_R8, 0, 2.5, nullptr},
    {"Ratio/float:-0.25e1", true, "Ratio", VT_R4, 0, -2.5, nullptr},
    {"Ratio/float", true, "Ratio", VT_R4, 0, 0, nullptr},
    // BSTR: the default as it stands, blanks and case kept; the first colon separates.
    {"MAIN_FUNC/BSTR", true, "MAIN_FUNC", VT_BSTR, 0, 0, ""},
    {"MAIN_FUNC/BSTR: Main ", true, "MAIN_FUNC", VT_BSTR, 0, 0, " Main "},
    {"  MAIN_FUNC/ bstr :c:/Work", true, "MAIN_FUNC", VT_BSTR, 0, 0, "c:/Work"},
    // Leading blanks go; the entry is everything before the first slash.
    {"   AUTOLOADELF/BOOL", true, "AUTOLOADELF", VT_BOOL, 0, 0, nullptr},
    {"A B/int:1/2", true, "A B", VT_EMPTY, 0, 0, nullptr},
    // No slash or an unknown type: never bound.
    {"MAIN_FUNC", false, "MAIN_FUNC", VT_EMPTY, 0, 0, nullptr},
    {"  Size/long:4", false, "Size", VT_EMPTY, 0, 0, nullptr},
    {"Size/:4", false, "Size", VT_EMPTY, 0, 0, nullptr},
};

class KeySpecs : public ComAllocBalance, public ::testing::WithParamInterface<KeySpecCase> {};

TEST_P(KeySpecs, GiveTheEntryTypeAndDefault)
{
    const KeySpecCase &c = GetParam();
    CQelCfgProfileClientImpl client(IDS_TEST_MISSING, IDS_TEST_MISSING);
    client.ParseKeySpec(c.keyText);
    EXPECT_EQ(client.IsConfigured(), c.configured ? TRUE : FALSE);
    EXPECT_STREQ(client.GetEntry(), c.entry);
    EXPECT_EQ(Describe(client.GetDefault()), Expected(c));
}

// A case shows as its key text, quoted, in the test's name and its failures.
void PrintTo(const KeySpecCase &c, std::ostream *out)
{
    *out << '"' << c.keyText << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, KeySpecs, ::testing::ValuesIn(kCases));

class KeySpecStrings : public ComAllocBalance {};

TEST_F(KeySpecStrings, TheSectionAndSpecComeFromTheModulesStrings)
{
    CQelCfgProfileClientImpl client(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_DIRECTORY);
    EXPECT_STREQ(client.GetSection(), "System");
    EXPECT_STREQ(client.GetEntry(), "DATABASE_DIRECTORY");
    EXPECT_EQ(Describe(client.GetDefault()), "BSTR '  /tmp/Db '");
    EXPECT_TRUE(client.IsConfigured());

    // Another key text replaces everything the first gave.
    client.Init(IDS_TEST_CFG_SYSTEM, IDS_TEST_CFG_IGNORE);
    EXPECT_STREQ(client.GetEntry(), "IgnoreProgramFromWsp");
    EXPECT_EQ(Describe(client.GetDefault()), "bool false");
}

TEST_F(KeySpecStrings, MissingStringsGiveAnItemThatIsNeverBound)
{
    CQelCfgProfileClientImpl client(IDS_TEST_MISSING, IDS_TEST_MISSING);
    EXPECT_STREQ(client.GetSection(), "");
    EXPECT_STREQ(client.GetEntry(), "");
    EXPECT_FALSE(client.IsConfigured());
}

} // namespace
