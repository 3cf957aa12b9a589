#include "registryfile.h"

#include "windows.h"
#include "testing/emptyregistry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using qelwin::ReadRegistryText;
using qelwin::RegistryKey;
using qelwin::RegistryRoots;
using qelwin::WriteRegistryText;

std::vector<BYTE> Bytes(const std::string &text)
{
    return {text.begin(), text.end()};
}

const qelwin::RegistryValue *Value(const RegistryRoots &roots, std::vector<std::string> path, const char *name)
{
    std::shared_ptr<RegistryKey> key = roots.localMachine;
    for (const std::string &step : path) {
        key = key->FindSubkey(step);
        if (!key)
            return nullptr;
    }
    return key->FindValue(name);
}

TEST(RegistryText, GivesTheSameTreeBackWithEveryNameAndByte)
{
    RegistryRoots roots = RegistryRoots::MakeEmpty();
    bool created = false;
    auto key = roots.localMachine->AddSubkey("Software", &created)->AddSubkey("100% \"odd\" ]key[ \xE9\x01", &created);
    key->SetValue("", REG_SZ, Bytes(std::string("default\\with\\backslashes", 25)));
    key->SetValue("quote\" percent% tab\t", REG_SZ, Bytes(std::string("\xE9t\xE9\n\"%", 7)));
    key->SetValue("@", REG_DWORD, {1, 2, 3, 4});
    key->SetValue("short dword", REG_DWORD, {1, 2, 3});
    key->SetValue("unterminated", REG_SZ, Bytes("abc"));
    key->SetValue("zero inside", REG_SZ, Bytes(std::string("a\0b", 4)));
    key->SetValue("binary", REG_BINARY, {0, 0xFF, 0x7F});
    key->SetValue("empty", REG_BINARY, {});
    key->SetValue("other", 0x12345678, {9});
    roots.classesRoot->AddSubkey("Empty Key", &created);
    roots.currentUser->SetValue("at the root", REG_DWORD, {0, 0, 0, 0});

    std::string text = WriteRegistryText(roots);
    ASSERT_TRUE(qelwin::HasRegistryHeader(text));
    RegistryRoots read = RegistryRoots::MakeEmpty();
    qelwin::RegistryTextProblems problems = ReadRegistryText(text, read);
    EXPECT_EQ(problems.linesLeftOut, 0u);
    EXPECT_EQ(WriteRegistryText(read), text);
    const qelwin::RegistryValue *value = Value(read, {"software", "100% \"ODD\" ]KEY[ \xC9\x01"}, "QUOTE\" percent% tab\t");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->data, Bytes(std::string("\xE9t\xE9\n\"%", 7)));
    EXPECT_NE(read.classesRoot->FindSubkey("empty key"), nullptr);
}

TEST(RegistryText, WritesReadableLinesForTheCommonForms)
{
    RegistryRoots roots = RegistryRoots::MakeEmpty();
    bool created = false;
    auto key = roots.localMachine->AddSubkey("Software", &created);
    key->SetValue("", REG_SZ, Bytes(std::string("C:\\Tools", 9)));
    key->SetValue("ViewCat", REG_DWORD, {0x0A, 0, 0, 0});
    key->SetValue("Layout", REG_BINARY, {0x0A, 0x0B});
    std::string text = WriteRegistryText(roots);
    EXPECT_NE(text.find("\n[HKEY_LOCAL_MACHINE\\Software]\n@=sz:\"C:\\Tools\"\n\"ViewCat\"=dword:0000000a\n"
                        "\"Layout\"=hex:0a0b\n"),
              std::string::npos)
        << text;
}

TEST(RegistryText, LeavesOutWhatItCannotReadAndKeepsTheRest)
{
    const std::string text = "QELREGISTRY 1\r\n"
                             "; a comment\n"
                             "\n"
                             "[HKEY_LOCAL_MACHINE\\Software]\r\n"
                             "\"good\"=dword:00000001\n"
                             "\"bad dword\"=dword:1\n"
                             "\"bad hex\"=hex:abc\n"
                             "\"bad escape\"=sz:\"%zz\"\n"
                             "\"unclosed\"=sz:\"text\n"
                             "no name=sz:\"x\"\n"
                             "[HKEY_NOWHERE\\Software]\n"
                             "\"orphan\"=dword:00000002\n"
                             "[HKEY_LOCAL_MACHINE\\Made\\Bad%G0]\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\\\Twice]\n"
                             "[HKEY_LOCAL_MACHINE\\Software]\n"
                             "\"also good\"=sz:\"kept\"\n";
    RegistryRoots roots = RegistryRoots::MakeEmpty();
    qelwin::RegistryTextProblems problems = ReadRegistryText(text, roots);
    EXPECT_EQ(problems.linesLeftOut, 9u);
    EXPECT_EQ(problems.firstLineLeftOut, 6u);
    ASSERT_NE(Value(roots, {"Software"}, "good"), nullptr);
    EXPECT_EQ(Value(roots, {"Software"}, "good")->data, (std::vector<BYTE>{1, 0, 0, 0}));
    EXPECT_EQ(Value(roots, {"Software"}, "also good")->data, Bytes(std::string("kept", 5)));
    EXPECT_EQ(roots.localMachine->SubkeyCount(), 1u); // "Made" was not made by its broken line
    EXPECT_EQ(roots.localMachine->FindSubkey("Software")->SubkeyCount(), 0u);
}

TEST(RegistryText, RefusesWhatBreaksTheLimits)
{
    std::string deep = "[HKEY_CURRENT_USER";
    for (int level = 0; level < 513; ++level)
        deep += "\\k";
    const std::string text = "QELREGISTRY 1\n"
                             "[HKEY_CURRENT_USER\\" + std::string(256, 'n') + "]\n" + deep + "]\n"
                             "[HKEY_CURRENT_USER\\with%5Cbackslash]\n"
                             "[HKEY_CURRENT_USER\\with%00zero]\n"
                             "[HKEY_CURRENT_USER\\k]\n"
                             "\"" + std::string(16384, 'v') + "\"=dword:00000000\n"
                             "\"zero%00inside\"=dword:00000000\n"
                             "\"big\"=hex:" + std::string(2 * ((1 << 20) + 1), '0') + "\n"
                             "\"type too wide\"=hex(123456789):00\n";
    RegistryRoots roots = RegistryRoots::MakeEmpty();
    EXPECT_EQ(ReadRegistryText(text, roots).linesLeftOut, 8u);
    EXPECT_EQ(roots.currentUser->SubkeyCount(), 1u);
    EXPECT_EQ(roots.currentUser->FindSubkey("k")->ValueCount(), 0u);
}

TEST(RegistryText, KnowsItsHeader)
{
    EXPECT_TRUE(qelwin::HasRegistryHeader("QELREGISTRY 1"));
    EXPECT_TRUE(qelwin::HasRegistryHeader("QELREGISTRY 1\r\n[HKEY_CLASSES_ROOT]\n"));
    EXPECT_FALSE(qelwin::HasRegistryHeader(""));
    EXPECT_FALSE(qelwin::HasRegistryHeader("QELREGISTRY 12\n"));
    EXPECT_FALSE(qelwin::HasRegistryHeader("root:x:0:0:root:/root:/bin/bash\n"));
}

// The registry kept in a file of a folder of its own.
class RegistryFile : public EmptyRegistry {
protected:
    void SetUp() override
    {
        EmptyRegistry::SetUp();
        std::string pattern = ::testing::TempDir() + "qelreg_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        path_ = folder_ + "/registry";
    }

    void TearDown() override
    {
        EmptyRegistry::TearDown();
        std::filesystem::remove_all(folder_);
    }

    static std::string Contents(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void Write(const std::string &path, const std::string &text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    static LONG SetNumber(const char *path, const char *name, DWORD number)
    {
        HKEY key = nullptr;
        LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (result != ERROR_SUCCESS)
            return result;
        result = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
        RegCloseKey(key);
        return result;
    }

    static LONG GetNumber(const char *path, const char *name, DWORD *number)
    {
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
        if (result != ERROR_SUCCESS)
            return result;
        DWORD size = sizeof *number;
        result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(number), &size);
        RegCloseKey(key);
        return result;
    }

    std::string folder_;
    std::string path_;
};

TEST_F(RegistryFile, KeepsEveryChangeForTheNextStart)
{
    ASSERT_EQ(QelUseRegistryFile(path_.c_str()), ERROR_SUCCESS); // no file yet
    EXPECT_FALSE(std::filesystem::exists(path_));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{EF0E9413-D9B2-11D1-BC34-006097125629}\\InprocServer32", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_NE(Contents(path_).find("InprocServer32]"), std::string::npos);
    const char library[] = "/opt/qel/lib/libKorvex.so";
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(library), sizeof library),
              ERROR_SUCCESS);
    const BYTE binary[] = {1, 0, 2};
    ASSERT_EQ(RegSetValueExA(key, "Layout", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Odd", 0, 11, binary, sizeof binary), ERROR_SUCCESS);
    ASSERT_EQ(SetNumber("Software\\Tosk", "Count", 42), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(key, "Odd"), ERROR_SUCCESS);
    RegCloseKey(key);
    // Only the registry's own file is left: the new text replaced the old in one step.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1);

    ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
    ASSERT_EQ(QelUseRegistryFile(path_.c_str()), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ef0e9413-d9b2-11d1-bc34-006097125629}\\InprocServer32", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    char text[64] = {};
    DWORD size = sizeof text;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, sizeof library);
    EXPECT_STREQ(text, library);
    BYTE read[8] = {};
    size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(key, "Layout", nullptr, &type, read, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(std::vector<BYTE>(read, read + size), std::vector<BYTE>(binary, binary + 3));
    EXPECT_EQ(RegQueryValueExA(key, "Odd", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    DWORD number = 0;
    EXPECT_EQ(GetNumber("Software\\Tosk", "Count", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 42u);
}

TEST_F(RegistryFile, KeepsADamagedFileAsideBeforeWritingTheGoodPart)
{
    const std::string damaged = "QELREGISTRY 1\n"
                                "[HKEY_LOCAL_MACHINE\\Software]\n"
                                "\"Count\"=dword:00000007\n"
                                "\"Broken\"=dword:7\n";
    Write(path_, damaged);
    ASSERT_EQ(QelUseRegistryFile(path_.c_str()), ERROR_SUCCESS);
    DWORD number = 0;
    EXPECT_EQ(GetNumber("Software", "Count", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(Contents(path_), damaged); // reading writes nothing

    ASSERT_EQ(SetNumber("Software", "Added", 8), ERROR_SUCCESS);
    EXPECT_EQ(Contents(path_ + ".damaged"), damaged);
    ASSERT_EQ(QelUseRegistryFile(path_.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(GetNumber("Software", "Count", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(GetNumber("Software", "Added", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 8u);
    EXPECT_EQ(Contents(path_).find("Broken"), std::string::npos);
}

TEST_F(RegistryFile, NeverWritesAFileThatIsNoRegistry)
{
    const std::string other = "root:x:0:0:root:/root:/bin/bash\n";
    Write(path_, other);
    EXPECT_EQ(QelUseRegistryFile(path_.c_str()), ERROR_CANTREAD);
    EXPECT_EQ(SetNumber("Software", "Count", 1), ERROR_CANTWRITE);
    EXPECT_EQ(Contents(path_), other);

    EXPECT_EQ(QelUseRegistryFile(folder_.c_str()), ERROR_CANTREAD); // a folder
    EXPECT_EQ(SetNumber("Software", "Count", 1), ERROR_CANTWRITE);
}

TEST_F(RegistryFile, ReportsAChangeThatCannotBeWrittenAndStillHoldsIt)
{
    std::string unreachable = folder_ + "/missing folder/registry";
    ASSERT_EQ(QelUseRegistryFile(unreachable.c_str()), ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_CANTWRITE);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    DWORD number = 5;
    EXPECT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number),
              ERROR_CANTWRITE);
    RegCloseKey(key);
    number = 0;
    EXPECT_EQ(GetNumber("Software", "Count", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 5u);
    // Once the folder is there, the next change writes them all.
    std::filesystem::create_directory(folder_ + "/missing folder");
    ASSERT_EQ(SetNumber("Software", "Other", 6), ERROR_SUCCESS);
    ASSERT_EQ(QelUseRegistryFile(unreachable.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(GetNumber("Software", "Count", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 5u);
}

TEST_F(RegistryFile, TakesAnEmptyFileAsAnEmptyRegistry)
{
    Write(path_, "");
    ASSERT_EQ(QelUseRegistryFile(path_.c_str()), ERROR_SUCCESS);
    ASSERT_EQ(SetNumber("Software", "Count", 1), ERROR_SUCCESS);
    EXPECT_TRUE(qelwin::HasRegistryHeader(Contents(path_)));
}

} // namespace
