#include "windows.h"
#include "testing/emptyregistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Registry : public EmptyRegistry {
protected:
    static HKEY Create(HKEY root, const char *path, REGSAM access = KEY_ALL_ACCESS, DWORD *disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }

    static LONG Open(HKEY root, const char *path, REGSAM access, HKEY *key)
    {
        return RegOpenKeyExA(root, path, 0, access, key);
    }

    static LONG SetText(HKEY key, const char *name, const std::string &text)
    {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1));
    }

    static LONG SetNumber(HKEY key, const char *name, DWORD number)
    {
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
    }

    // The value's type and bytes; type 0xFFFFFFFF when it cannot be read.
    static std::pair<DWORD, std::vector<BYTE>> Query(HKEY key, const char *name)
    {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {0xFFFFFFFF, {}};
        std::vector<BYTE> data(size);
        if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            return {0xFFFFFFFF, {}};
        data.resize(size);
        return {type, data};
    }

    static std::vector<std::string> Subkeys(HKEY key)
    {
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(name);
        }
        return names;
    }

    static std::vector<std::string> ValueNames(HKEY key)
    {
        std::vector<std::string> names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(name);
        }
        return names;
    }

    static std::vector<BYTE> Bytes(const std::string &text) { return {text.begin(), text.end()}; }
};

TEST_F(Registry, KeepsValuesOfEveryTypeAsTheyWereStored)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software\\Tosk\\Qelvane\\Version3");
    ASSERT_EQ(SetText(key, "Path", "/opt/qel"), ERROR_SUCCESS);
    ASSERT_EQ(SetNumber(key, "ViewCat", 0xDEADBEEF), ERROR_SUCCESS);
    const BYTE binary[] = {0, 1, 2, 0xFF};
    ASSERT_EQ(RegSetValueExA(key, "Layout", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Other", 0, 7, binary, 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key, nullptr, "default"), ERROR_SUCCESS);
    RegCloseKey(key);

    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "Software\\Tosk\\Qelvane\\Version3", KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, "Path"), std::make_pair(DWORD(REG_SZ), Bytes(std::string("/opt/qel", 9))));
    EXPECT_EQ(Query(key, "ViewCat"), std::make_pair(DWORD(REG_DWORD), std::vector<BYTE>{0xEF, 0xBE, 0xAD, 0xDE}));
    EXPECT_EQ(Query(key, "Layout"), std::make_pair(DWORD(REG_BINARY), std::vector<BYTE>(binary, binary + 4)));
    EXPECT_EQ(Query(key, "Empty"), std::make_pair(DWORD(REG_BINARY), std::vector<BYTE>{}));
    EXPECT_EQ(Query(key, "Other"), std::make_pair(DWORD(7), std::vector<BYTE>(binary, binary + 3)));
    EXPECT_EQ(Query(key, "Unterminated"), std::make_pair(DWORD(REG_SZ), Bytes("abc")));
    EXPECT_EQ(Query(key, ""), std::make_pair(DWORD(REG_SZ), Bytes(std::string("default", 8))));
    RegCloseKey(key);
}

TEST_F(Registry, ComparesNamesBlindToCaseAndKeepsTheFirstSpelling)
{
    HKEY key = Create(HKEY_CLASSES_ROOT, "QEL.QelWatch\\CLSID");
    ASSERT_EQ(SetText(key, "Caf\xE9", "first"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key, "CAF\xC9", "second"), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key), std::vector<std::string>{"Caf\xE9"});
    EXPECT_EQ(Query(key, "caf\xE9").second, Bytes(std::string("second", 7)));
    RegCloseKey(key);

    HKEY again = nullptr;
    EXPECT_EQ(Open(HKEY_CLASSES_ROOT, "qel.qelwatch\\clsid", KEY_READ, &again), ERROR_SUCCESS);
    RegCloseKey(again);
    DWORD disposition = 0;
    again = Create(HKEY_CLASSES_ROOT, "QEL.QELWATCH", KEY_READ, &disposition);
    EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(Subkeys(again), std::vector<std::string>{"CLSID"});
    EXPECT_EQ(Subkeys(HKEY_CLASSES_ROOT), std::vector<std::string>{"QEL.QelWatch"});
    RegCloseKey(again);
}

TEST_F(Registry, CreatesEveryMissingKeyOfAPathAndOpensOnlyWhatExists)
{
    HKEY key = nullptr;
    EXPECT_EQ(Open(HKEY_CURRENT_USER, "Software\\Tosk", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    DWORD disposition = 0;
    key = Create(HKEY_CURRENT_USER, "Software\\Tosk\\RecentlySelectedFiles", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    ASSERT_EQ(Open(HKEY_CURRENT_USER, "Software\\Tosk\\", KEY_READ, &key), ERROR_SUCCESS); // trailing '\' allowed
    EXPECT_EQ(Subkeys(key), std::vector<std::string>{"RecentlySelectedFiles"});
    HKEY same = nullptr;
    ASSERT_EQ(Open(key, nullptr, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_NE(same, key);
    EXPECT_EQ(Subkeys(same), std::vector<std::string>{"RecentlySelectedFiles"});
    RegCloseKey(same);
    RegCloseKey(key);
}

TEST_F(Registry, RefusesMalformedPathsAndArguments)
{
    HKEY key = nullptr;
    const std::string tooLong(256, 'k');
    for (const char *path : {"\\Software", "Software\\\\Tosk", "Software\\\\", tooLong.c_str()}) {
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_INVALID_PARAMETER)
            << path;
        EXPECT_EQ(key, nullptr);
    }
    EXPECT_EQ(Subkeys(HKEY_LOCAL_MACHINE), std::vector<std::string>{});
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 1, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 1, KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, ChecksEveryHandleThatComesIn)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software");
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetNumber(key, "x", 1), ERROR_INVALID_HANDLE);
    for (HKEY bogus : {static_cast<HKEY>(nullptr), reinterpret_cast<HKEY>(0x12345), reinterpret_cast<HKEY>(&key),
                       reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003))}) {
        HKEY opened = nullptr;
        EXPECT_EQ(Open(bogus, "Software", KEY_READ, &opened), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    }
    // The predefined roots stay usable when "closed".
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(Subkeys(HKEY_LOCAL_MACHINE), std::vector<std::string>{"Software"});
}

TEST_F(Registry, AllowsOnlyWhatAHandleWasOpenedFor)
{
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Controller Database"));
    HKEY reader = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "Controller Database", KEY_READ, &reader), ERROR_SUCCESS);
    EXPECT_EQ(SetText(reader, nullptr, "/db"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, nullptr), ERROR_ACCESS_DENIED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(reader, "New", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);

    HKEY writer = nullptr;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "Controller Database", KEY_WRITE, &writer), ERROR_SUCCESS);
    ASSERT_EQ(SetText(writer, nullptr, "/db"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(writer, nullptr, nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Query(reader, nullptr).second, Bytes(std::string("/db", 4)));
    // Creating what already exists only opens it, which needs no right on the parent.
    RegCloseKey(Create(writer, "Sub"));
    EXPECT_EQ(RegCreateKeyExA(reader, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(writer);
    RegCloseKey(reader);
}

TEST_F(Registry, HandsOutDataByWin32sSizeRules)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software");
    ASSERT_EQ(SetText(key, "Path", "/opt/qel"), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 9u);
    char buffer[16] = "untouched";
    size = 4;
    type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE *>(buffer), nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // Only the type, or only whether the value is there.
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Registry, EnumeratesSubkeysByNameAndValuesInTheOrderSet)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "View Server");
    for (const char *name : {"Watch", "locals", "Explorer", "ProgWin"})
        RegCloseKey(Create(key, name));
    EXPECT_EQ(Subkeys(key), (std::vector<std::string>{"Explorer", "locals", "ProgWin", "Watch"}));
    for (const char *name : {"ViewCat", "MultiInst", "Description"})
        SetNumber(key, name, 1);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"ViewCat", "MultiInst", "Description"}));

    char name[8];
    DWORD size = 5; // "Explorer" needs 9
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    DWORD type = 0;
    DWORD number = 0;
    DWORD dataSize = sizeof number;
    size = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, &type, reinterpret_cast<BYTE *>(&number), &dataSize),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "ViewCat");
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(number, 1u);
    dataSize = 2;
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, &type, reinterpret_cast<BYTE *>(&number), &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 4u);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 3, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    HKEY reader = nullptr;
    ASSERT_EQ(Open(key, nullptr, KEY_QUERY_VALUE, &reader), ERROR_SUCCESS);
    size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(reader, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    RegCloseKey(reader);
    RegCloseKey(key);
}

TEST_F(Registry, DeletesOnlyKeysWithoutSubkeys)
{
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software\\Tosk\\Qelvane"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tosk"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TOSK\\QELVANE"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tosk"), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "Software\\Tosk", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Subkeys(HKEY_LOCAL_MACHINE), std::vector<std::string>{"Software"});
}

TEST_F(Registry, LeavesHandlesOfADeletedKeyOnlyToBeClosed)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software\\Gone");
    ASSERT_EQ(SetNumber(key, "x", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Gone"), ERROR_SUCCESS);
    EXPECT_EQ(SetNumber(key, "x", 2), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(key, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    // A new key of the same name is a new key.
    key = Create(HKEY_LOCAL_MACHINE, "Software\\Gone");
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, DeletesValuesByNameAndTheDefaultValueByNull)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software");
    SetText(key, nullptr, "default");
    SetNumber(key, "Count", 3);
    EXPECT_EQ(RegDeleteValueA(key, "COUNT"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Count"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key), std::vector<std::string>{});
    RegCloseKey(key);
}

TEST_F(Registry, RefusesWhatBreaksItsLimits)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software");
    std::vector<BYTE> big((1u << 20) + 1);
    EXPECT_EQ(RegSetValueExA(key, "Big", 0, REG_BINARY, big.data(), static_cast<DWORD>(big.size())),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "Big", 0, REG_BINARY, big.data(), static_cast<DWORD>(big.size() - 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Nothing", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);

    std::string deep;
    for (int level = 0; level < 512; ++level)
        deep += "k\\";
    HKEY deepest = Create(HKEY_LOCAL_MACHINE, deep.c_str());
    HKEY below = nullptr;
    EXPECT_EQ(RegCreateKeyExA(deepest, "k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &below, nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(deepest);
}

TEST_F(Registry, StartsAgainEmptyWithEveryHandleGone)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, "Software");
    ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Subkeys(HKEY_LOCAL_MACHINE), std::vector<std::string>{});
}

} // namespace
