#include "iniprofile.h"

#include <testing/tempfolder.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

class IniProfile : public TempFolder {
protected:
    void SetUp() override
    {
        TempFolder::SetUp();
        path_ = PathOf("project.ini");
    }

    std::string path_;
};

TEST_F(IniProfile, NamesItsSectionsFromPrefixSectionAndDefault)
{
    Profile::CIniProfile withDefault(path_.c_str(), "Setup");
    EXPECT_FALSE(withDefault.IsOpen()); // no file yet
    EXPECT_TRUE(withDefault.WriteString(nullptr, "A", "1"));
    EXPECT_TRUE(withDefault.WriteString("", "B", "2"));
    Profile::CIniProfile plain(path_.c_str(), nullptr);
    EXPECT_TRUE(plain.IsOpen());
    EXPECT_TRUE(plain.WriteString(nullptr, "C", "3"));
    EXPECT_TRUE(plain.SetSectionPrefix("P"));
    EXPECT_TRUE(plain.WriteString("S", "D", "4"));
    EXPECT_TRUE(plain.WriteString(nullptr, "E", "5"));
    EXPECT_TRUE(plain.SetSectionPrefix(nullptr));
    EXPECT_TRUE(plain.WriteString("S", "F", "6"));
    EXPECT_EQ(Contents(path_), "[Setup]\r\nA=1\r\nB=2\r\n[Main]\r\nC=3\r\n[P.S]\r\nD=4\r\n[P]\r\nE=5\r\n[S]\r\nF=6\r\n");

    char text[8] = "";
    EXPECT_TRUE(withDefault.GetString(nullptr, "B", "", text, sizeof text));
    EXPECT_STREQ(text, "2");
    EXPECT_TRUE(withDefault.DeleteEntry(nullptr, "A"));
    EXPECT_TRUE(plain.DeleteSection("S"));
    EXPECT_EQ(Contents(path_), "[Setup]\r\nB=2\r\n[Main]\r\nC=3\r\n[P.S]\r\nD=4\r\n[P]\r\nE=5\r\n");
}

TEST_F(IniProfile, WritesNumbersInTheirStyleAndReadsEveryFormBack)
{
    Profile::CIniProfile profile(path_.c_str(), "N");
    EXPECT_TRUE(profile.WriteDWORD(nullptr, "Hex", 31, Profile::PROFILE_STYLE_HEX));
    EXPECT_TRUE(profile.WriteDWORD(nullptr, "Negative", static_cast<DWORD>(-5), Profile::PROFILE_STYLE_DECIMAL));
    EXPECT_TRUE(profile.WriteDWORD(nullptr, "Raw", 1, Profile::PROFILE_STYLE_RAW));
    EXPECT_TRUE(profile.WriteString(nullptr, "Word", "twelve"));
    EXPECT_EQ(Contents(path_), "[N]\r\nHex=1Fh\r\nNegative=-5\r\nRaw=1\r\nWord=twelve\r\n");
    struct Case {
        const char *entry;
        DWORD expected;
    } cases[] = {{"Hex", 31}, {"Negative", static_cast<DWORD>(-5)}, {"Raw", 1}, {"Word", 77}, {"Missing", 77}};
    for (const Case &c : cases) {
        DWORD value = 0;
        EXPECT_TRUE(profile.GetDWORD(nullptr, c.entry, 77, &value)) << c.entry;
        EXPECT_EQ(value, c.expected) << c.entry;
    }
    BOOL flag = FALSE;
    EXPECT_TRUE(profile.GetBool(nullptr, "Raw", FALSE, &flag));
    EXPECT_TRUE(flag);
}

TEST_F(IniProfile, RefusesCallsWithoutEntryAndKeepsNoBlocks)
{
    Profile::CIniProfile profile(path_.c_str(), nullptr);
    char text[8];
    DWORD value = 0;
    BYTE block[4] = {};
    EXPECT_FALSE(profile.DeleteEntry("S", nullptr));
    EXPECT_FALSE(profile.WriteDWORD("S", nullptr, 1, 2));
    EXPECT_FALSE(profile.GetDWORD("S", nullptr, 1, &value));
    EXPECT_FALSE(profile.WriteString("S", nullptr, "x"));
    EXPECT_FALSE(profile.GetString("S", nullptr, "", text, sizeof text));
    EXPECT_FALSE(profile.WriteBinary("S", "B", block, sizeof block));
    EXPECT_FALSE(profile.GetBinary("S", "B", block, sizeof block));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(IniProfile, KeepsAPathLongerThanMaxPathWhole)
{
    // Cut at 260 characters, the path would name another file in the same folder.
    std::filesystem::path folder = folder_ / std::string(200, 'd');
    std::filesystem::create_directory(folder);
    std::string path = (folder / (std::string(100, 'f') + ".ini")).string();
    ASSERT_GT(path.size(), 300u);
    std::string cut = path.substr(0, 260);
    std::ofstream(cut) << "[Main]\nKey=the other file\n";
    Profile::CIniProfile profile(path.c_str(), nullptr);
    EXPECT_FALSE(profile.IsOpen());
    EXPECT_TRUE(profile.WriteString(nullptr, "Key", "own"));
    char text[32] = "";
    EXPECT_TRUE(profile.GetString(nullptr, "Key", "", text, sizeof text));
    EXPECT_STREQ(text, "own");
    EXPECT_EQ(Contents(path), "[Main]\r\nKey=own\r\n");
    EXPECT_EQ(Contents(cut), "[Main]\nKey=the other file\n");
}

} // namespace
