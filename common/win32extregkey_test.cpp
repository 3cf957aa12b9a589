#include "win32extregkey.h"

#include "testing/emptyregistry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char *kBranch = "Software\\Tosk\\Qelvane\\Version3";

class Win32ExtRegKey : public EmptyRegistry {
protected:
    static void SetRaw(const char *name, DWORD type, const std::string &data)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBranch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(Win32ExtRegKey, OpensReadOnlyOrMakesTheKeyWhenAskedTo)
{
    Win32Ext::CRegKey key;
    EXPECT_FALSE(key.Open(HKEY_LOCAL_MACHINE, kBranch, TRUE, TRUE)); // read-only never makes one
    EXPECT_EQ(key.GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE, FALSE));
    EXPECT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kBranch, TRUE, FALSE));
    EXPECT_TRUE(key.IsOpen());
    EXPECT_FALSE(key.Open(nullptr, kBranch, TRUE, FALSE));
    EXPECT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE, TRUE)); // the open key is closed first
    EXPECT_TRUE(key.Close());
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(key.Close());
}

TEST_F(Win32ExtRegKey, ReadsAWholeTextValueOfAnyLength)
{
    const std::string path(5000, 'p');
    SetRaw("Path", REG_SZ, path + '\0');
    SetRaw("Unterminated", REG_SZ, "/opt");
    SetRaw("Empty", REG_SZ, std::string(1, '\0'));
    SetRaw("Number", REG_DWORD, std::string("\1\0\0\0", 4));
    Win32Ext::CRegKey key;
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE, TRUE));
    CString text("unchanged");
    EXPECT_TRUE(key.QueryStringValue("Path", text));
    EXPECT_EQ(std::string(text), path);
    EXPECT_TRUE(key.QueryStringValue("Unterminated", text));
    EXPECT_STREQ(text, "/opt");
    text = "unchanged";
    EXPECT_FALSE(key.QueryStringValue("Empty", text));
    EXPECT_FALSE(key.QueryStringValue("Number", text));
    EXPECT_FALSE(key.QueryStringValue("Missing", text));
    EXPECT_STREQ(text, "unchanged");
}

TEST_F(Win32ExtRegKey, QueriesValuesOfTheirOwnTypeOnly)
{
    SetRaw("Text", REG_SZ, "abc");
    SetRaw("Number", REG_DWORD, std::string("\7\0\0\0", 4));
    SetRaw("Short", REG_DWORD, std::string("\7\0", 2));
    SetRaw("Bytes", REG_BINARY, std::string("\1\2\3", 3));
    Win32Ext::CRegKey key;
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE, TRUE));
    DWORD number = 0;
    EXPECT_TRUE(key.QueryDWORD("Number", &number));
    EXPECT_EQ(number, 7u);
    EXPECT_FALSE(key.QueryDWORD("Short", &number));
    EXPECT_FALSE(key.QueryDWORD("Text", &number));

    char text[8] = {};
    DWORD size = sizeof text;
    EXPECT_TRUE(key.QueryString("Text", &size, text)); // stored without its zero: terminated
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(size, 4u);
    size = 3;
    EXPECT_FALSE(key.QueryString("Text", &size, text));
    size = sizeof text;
    EXPECT_FALSE(key.QueryString("Number", &size, text));

    BYTE bytes[4] = {};
    size = sizeof bytes;
    EXPECT_TRUE(key.QueryBinary("Bytes", &size, bytes));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(bytes[2], 3);
    size = 2;
    EXPECT_FALSE(key.QueryBinary("Bytes", &size, bytes));
    EXPECT_EQ(key.GetLastError(), ERROR_MORE_DATA);
}

TEST_F(Win32ExtRegKey, DeletesOnTheOpenKeyAndNothingWithoutOne)
{
    SetRaw("Text", REG_SZ, "abc");
    Win32Ext::CRegKey closed;
    EXPECT_FALSE(closed.DeleteValue("Text"));
    DWORD number = 0;
    EXPECT_FALSE(closed.QueryDWORD("Text", &number));

    Win32Ext::CRegKey branch;
    ASSERT_TRUE(branch.Open(HKEY_LOCAL_MACHINE, kBranch, FALSE, FALSE));
    EXPECT_TRUE(branch.DeleteValue("Text"));
    EXPECT_FALSE(branch.DeleteValue("Text"));
    EXPECT_EQ(branch.GetLastError(), ERROR_FILE_NOT_FOUND);
    branch.Close();

    Win32Ext::CRegKey key;
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, "Software\\Tosk\\Qelvane", FALSE, FALSE));
    EXPECT_TRUE(key.DeleteKey("Version3"));
    EXPECT_FALSE(key.DeleteKey("Version3"));
    EXPECT_EQ(key.GetLastError(), ERROR_FILE_NOT_FOUND);
}

} // namespace
