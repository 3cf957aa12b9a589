#include "regkeyman.h"

#include "testing/emptyregistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr const char *kBranch = "Software\\Tosk\\Qelvane\\Version3";

class RegKeyMan : public EmptyRegistry {
protected:
    void SetUp() override
    {
        EmptyRegistry::SetUp();
        ASSERT_EQ(manager_.Open(HKEY_LOCAL_MACHINE, kBranch, TRUE), 0);
    }

    // The raw value below the branch, as the registry holds it.
    static std::pair<DWORD, std::string> Raw(const char *subkey, const char *name)
    {
        std::string path = std::string(kBranch) + "\\" + subkey;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {0, "<no key>"};
        char data[64];
        DWORD size = sizeof data;
        DWORD type = 0;
        LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return {0, "<no value>"};
        return {type, std::string(data, size)};
    }

    CRegKeyMan manager_;
};

TEST_F(RegKeyMan, OpensOneKeyMakingItWhenWritable)
{
    EXPECT_TRUE(manager_.IsOpen());
    EXPECT_EQ(manager_.Open(HKEY_LOCAL_MACHINE, kBranch, TRUE), -1);
    CRegKeyMan reader;
    EXPECT_EQ(reader.Open(HKEY_LOCAL_MACHINE, "Software\\Missing", FALSE), -1);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.Open(nullptr, kBranch, FALSE), -1);
    EXPECT_EQ(reader.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE), 0);
}

TEST_F(RegKeyMan, StoresEachKindOfValueInItsFixedForm)
{
    manager_.WriteString("Paths", "Path", "/opt/qel");
    EXPECT_EQ(Raw("Paths", "Path"), std::make_pair(DWORD(REG_SZ), std::string("/opt/qel", 9)));
    manager_.WriteDouble("Numbers", "Scale", 1.5);
    EXPECT_EQ(Raw("Numbers", "Scale").second, std::string("1.500000", 9));
    manager_.WriteBool("Numbers", "Flag", 7);
    EXPECT_EQ(Raw("Numbers", "Flag"), std::make_pair(DWORD(REG_DWORD), std::string("\1\0\0\0", 4)));
    const CLSID clsid = {0xEF0E9413, 0xD9B2, 0x11D1, {0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29}};
    manager_.WriteCLSID("Classes", "Server", &clsid);
    EXPECT_EQ(Raw("Classes", "Server").second, std::string("{EF0E9413-D9B2-11D1-BC34-006097125629}", 39));
}

TEST_F(RegKeyMan, WritesSmallNumbersAsTextsInEitherRadixAndReadsBoth)
{
    manager_.WriteLong("Numbers", "Hex", 255, 16);
    manager_.WriteLong("Numbers", "Decimal", 255, 10);
    EXPECT_EQ(Raw("Numbers", "Hex"), std::make_pair(DWORD(REG_SZ), std::string("0x000000FF", 11)));
    EXPECT_EQ(Raw("Numbers", "Decimal").second, std::string("255", 4));
    EXPECT_EQ(manager_.GetLong("Numbers", "Hex", 0), 255);
    EXPECT_EQ(manager_.GetLong("Numbers", "Decimal", 0), 255);
    manager_.WriteByte("Numbers", "Byte", 10, 16);
    EXPECT_EQ(Raw("Numbers", "Byte").second, std::string("0x0A", 5));
    manager_.WriteWord("Numbers", "Word", 10, 16);
    EXPECT_EQ(Raw("Numbers", "Word").second, std::string("0x000A", 7));
    manager_.WriteString("Numbers", "Suffix", "1Ah");
    EXPECT_EQ(manager_.GetByte("Numbers", "Suffix", 0), 0x1A);
}

TEST_F(RegKeyMan, GettersGiveTheDefaultForMissingWrongOrOverlongValues)
{
    manager_.WriteString("Values", "Text", "a text");
    manager_.WriteString("Values", "Twenty", "01234567890123456789");
    manager_.WriteString("Values", "NoNumber", "none");
    manager_.WriteDWORD("Values", "Number", 3);
    EXPECT_EQ(manager_.GetDWORD("Values", "Missing", 9), 9u);
    EXPECT_EQ(manager_.GetDWORD("Missing", "Number", 9), 9u);
    EXPECT_EQ(manager_.GetDWORD("Values", "Text", 9), 9u);
    EXPECT_EQ(manager_.GetBool("Values", "Text", TRUE), TRUE);
    EXPECT_EQ(manager_.GetBool("Values", "Text", FALSE), FALSE);
    EXPECT_EQ(manager_.GetByte("Values", "Twenty", 42), 42);
    EXPECT_EQ(manager_.GetByte("Values", "Number", 42), 42);
    EXPECT_EQ(manager_.GetDouble("Values", "NoNumber", 0.5), 0.5);
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(manager_.GetCLSID("Values", "Text", &clsid), -1);

    CString text("old");
    EXPECT_EQ(manager_.GetString("Values", "Number", "default", text, 64), -1);
    EXPECT_STREQ(text, "default");
    EXPECT_EQ(manager_.GetString("Values", "Text", "default", text, 4), -1); // "a text" needs 7
    EXPECT_STREQ(text, "default");
    // The default is cut to the caller's buffer.
    char small[8];
    EXPECT_EQ(manager_.GetString("Values", "Missing", "a default longer than the buffer", small, sizeof small), small);
    EXPECT_STREQ(small, "a defau");
}

TEST_F(RegKeyMan, GetsANumberInRangeOrTheDefault)
{
    manager_.WriteDWORD("Numbers", "Zero", 0);
    manager_.WriteDWORD("Numbers", "Seven", 7);
    manager_.WriteDWORD("Numbers", "MinusOne", 0xFFFFFFFF);
    EXPECT_EQ(manager_.GetDWORDInRange("Numbers", "Zero", 1, 10, 5), 5);
    EXPECT_EQ(manager_.GetDWORDInRange("Numbers", "Seven", 1, 10, 5), 7);
    EXPECT_EQ(manager_.GetDWORDInRange("Numbers", "MinusOne", -5, 5, 0), -1);
    EXPECT_EQ(manager_.GetDWORDInRange("Numbers", "Missing", 1, 10, 5), 5);
}

TEST_F(RegKeyMan, EnumeratesOnceAndNeverGoesBack)
{
    manager_.WriteDWORD("View Server\\Watch", "ViewCat", 1);
    manager_.WriteDWORD("View Server\\Locals", "ViewCat", 1);
    manager_.WriteDWORD(nullptr, "First", 1);
    CRegKeyMan enumerator;
    ASSERT_EQ(enumerator.Open(HKEY_LOCAL_MACHINE, (std::string(kBranch) + "\\View Server").c_str(), FALSE), 0);
    char name[32];
    EXPECT_EQ(enumerator.EnumSubkey(name, sizeof name), 0);
    EXPECT_STREQ(name, "Locals");
    EXPECT_EQ(enumerator.EnumSubkey(name, sizeof name), 0);
    EXPECT_STREQ(name, "Watch");
    EXPECT_EQ(enumerator.EnumSubkey(name, sizeof name), -1);
    manager_.WriteDWORD("View Server\\Zeta", "ViewCat", 1); // now at the index just passed
    EXPECT_EQ(enumerator.EnumSubkey(name, sizeof name), -1);
    CRegKeyMan fresh;
    ASSERT_EQ(fresh.Open(HKEY_LOCAL_MACHINE, (std::string(kBranch) + "\\View Server").c_str(), FALSE), 0);
    int found = 0;
    while (fresh.EnumSubkey(name, sizeof name) == 0)
        ++found;
    EXPECT_EQ(found, 3);

    DWORD type = 0;
    EXPECT_EQ(manager_.EnumValue(name, sizeof name, &type), 0);
    EXPECT_STREQ(name, "First");
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(manager_.EnumValue(name, sizeof name, &type), -1);
    // The subkey forms share the object's indexes: the value index is at 2 now.
    manager_.WriteDWORD("View Server\\Watch", "MultiInst", 1);
    manager_.WriteDWORD("View Server\\Watch", "OpenDirect", 1);
    EXPECT_EQ(manager_.EnumValueOf("View Server\\Watch", name, sizeof name, &type), 0);
    EXPECT_STREQ(name, "OpenDirect");
    EXPECT_EQ(manager_.EnumSubkeyOf("View Server", name, sizeof name), 0);
    EXPECT_STREQ(name, "Locals");
    EXPECT_EQ(manager_.EnumSubkeyOf("View Server", name, 4), -1); // "Watch" does not fit
    EXPECT_EQ(manager_.EnumSubkeyOf("View Server", name, sizeof name), 0);
    EXPECT_STREQ(name, "Zeta");
}

TEST_F(RegKeyMan, DeletesKeysAndValuesAndReportsWhatWasNotThere)
{
    manager_.WriteDWORD("Gone", "Count", 1);
    EXPECT_EQ(manager_.DeleteValue("Gone", "Count"), ERROR_SUCCESS);
    EXPECT_EQ(manager_.DeleteValue("Gone", "Count"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(manager_.DeleteValue("Missing", "Count"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(manager_.DeleteKey("Gone"), ERROR_SUCCESS);
    EXPECT_EQ(manager_.DeleteKey("Gone"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegKeyMan, WorksOnTheOpenKeyItself)
{
    ASSERT_EQ(manager_.SetString("Path", "/opt/qel"), 0);
    char text[16];
    EXPECT_EQ(manager_.QueryString("Path", text, sizeof text), 0);
    EXPECT_STREQ(text, "/opt/qel");
    EXPECT_EQ(manager_.QueryString("Path", text, 4), -1);
    DWORD number = 0;
    EXPECT_EQ(manager_.QueryDWORD("Path", &number), -1);
    manager_.WriteDWORD(nullptr, "Count", 4);
    EXPECT_EQ(manager_.QueryDWORD("Count", &number), 0);
    EXPECT_EQ(number, 4u);
    BYTE bytes[4];
    EXPECT_EQ(manager_.QueryBinary("Count", bytes, sizeof bytes), -1);
    manager_.WriteBinary(nullptr, "Bytes", "\1\2", 2);
    EXPECT_EQ(manager_.QueryBinary("Bytes", bytes, sizeof bytes), 0);
    EXPECT_EQ(manager_.QueryBinary("Bytes", bytes, 1), -1);
}

TEST_F(RegKeyMan, FailsEverythingWithoutAnOpenKey)
{
    CRegKeyMan closed;
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.DeleteKey("Software"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(closed.DeleteValue(nullptr, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(closed.WriteString(nullptr, "x", "y"), -1);
    EXPECT_EQ(closed.WriteDWORD(nullptr, "x", 1), -1);
    EXPECT_EQ(closed.GetDWORD(nullptr, "x", 3), 3u);
    char buffer[8];
    EXPECT_EQ(closed.GetString(nullptr, "x", "dflt", buffer, sizeof buffer), buffer);
    EXPECT_STREQ(buffer, "dflt");
    char name[8];
    EXPECT_EQ(closed.EnumSubkey(name, sizeof name), -1);
    EXPECT_EQ(closed.SetString("x", "y"), -1);
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(closed.WriteCLSID(nullptr, "x", &clsid), -1);
}

TEST_F(RegKeyMan, EverySettingSurvivesTheRegistryFile)
{
    char folder[] = "/tmp/qelregXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/registry.txt";
    const CLSID clsid = {0xEF0E9413, 0xD9B2, 0x11D1, {0xBC, 0x34, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29}};
    const BYTE layout[] = {0, 0xFF, 0x0A};
    {
        ASSERT_EQ(QelUseRegistryFile(path.c_str()), ERROR_SUCCESS);
        CRegKeyMan writer;
        ASSERT_EQ(writer.Open(HKEY_LOCAL_MACHINE, kBranch, TRUE), 0);
        EXPECT_EQ(writer.WriteString("Paths", "Path", "C:\\Qel \"x\"\ttab"), 0);
        EXPECT_EQ(writer.WriteString("Paths", "Empty", ""), 0);
        EXPECT_EQ(writer.WriteDWORD("Numbers", "Count", 0x80000001), 0);
        EXPECT_EQ(writer.WriteBool("Numbers", "Flag", TRUE), 0);
        EXPECT_EQ(writer.WriteInt("Numbers", "Offset", -12), 0);
        EXPECT_EQ(writer.WriteDouble("Numbers", "Scale", 0.125), 0);
        EXPECT_EQ(writer.WriteDouble("Numbers", "Large", 123456789.25), 0); // longer than a number text
        EXPECT_EQ(writer.WriteByte("Numbers", "Byte", 200, 16), 0);
        EXPECT_EQ(writer.WriteWord("Numbers", "Word", 65535, 10), 0);
        EXPECT_EQ(writer.WriteLong("Numbers", "Long", -2, 16), 0);
        EXPECT_EQ(writer.WriteCLSID("Classes", "Server", &clsid), 0);
        EXPECT_EQ(writer.WriteBinary("Classes", "Layout", layout, sizeof layout), 0);
    }
    // A fresh start from the file, as the next process would make it.
    ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
    ASSERT_EQ(QelUseRegistryFile(path.c_str()), ERROR_SUCCESS);
    CRegKeyMan reader;
    ASSERT_EQ(reader.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE), 0);
    CString text;
    EXPECT_EQ(reader.GetString("Paths", "Path", "default", text, 64), 0);
    EXPECT_STREQ(text, "C:\\Qel \"x\"\ttab");
    EXPECT_EQ(reader.GetString("Paths", "Empty", "default", text, 64), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(reader.GetDWORD("Numbers", "Count", 0), 0x80000001u);
    EXPECT_EQ(reader.GetBool("Numbers", "Flag", FALSE), TRUE);
    EXPECT_EQ(reader.GetInt("Numbers", "Offset", 0), -12);
    EXPECT_EQ(reader.GetDouble("Numbers", "Scale", 0), 0.125);
    EXPECT_EQ(reader.GetDouble("Numbers", "Large", 0), 123456789.25);
    EXPECT_EQ(reader.GetByte("Numbers", "Byte", 0), 200);
    EXPECT_EQ(reader.GetWord("Numbers", "Word", 0), 65535);
    char buffer[32];
    EXPECT_EQ(reader.GetString("Paths", "Path", "default", buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "C:\\Qel \"x\"\ttab");
    EXPECT_EQ(reader.GetLong("Numbers", "Long", 0), -2);
    CLSID read = GUID_NULL;
    EXPECT_EQ(reader.GetCLSID("Classes", "Server", &read), 0);
    EXPECT_EQ(read, clsid);
    BYTE readLayout[3] = {1, 1, 1};
    EXPECT_EQ(reader.GetBinary("Classes", "Layout", readLayout, sizeof readLayout), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(readLayout), 3), std::string(reinterpret_cast<const char *>(layout), 3));
    ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
    std::filesystem::remove_all(folder);
}

} // namespace
