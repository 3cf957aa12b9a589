// The text forms of the typed accessors, through a profile in a storage, where each
// entry's stream shows what was written.
#include "profile.h"

#include "stgprofile.h"
#include "stgwrappertesting.h"

#include <string>

namespace {

using Profile::CStgProfile;

class Profiles : public StorageWrapperTest {
protected:
    void SetUp() override
    {
        StorageWrapperTest::SetUp();
        root_ = NewMemoryStorage();
        profile_ = new CStgProfile(root_);
    }
    void TearDown() override
    {
        delete profile_;
        root_->Release();
        StorageWrapperTest::TearDown();
    }

    // The text stored in an entry of the section "S".
    std::string Text(const char *entry)
    {
        char buffer[300] = {};
        EXPECT_TRUE(profile_->GetString("S", entry, "<none>", buffer, sizeof buffer));
        return buffer;
    }

    IStorage *root_ = nullptr;
    CStgProfile *profile_ = nullptr;
};

TEST_F(Profiles, BooleansReadBackInEveryStyle)
{
    for (int style = 0; style <= 4; style++) {
        for (BOOL value : {TRUE, FALSE}) {
            ASSERT_TRUE(profile_->WriteBool("S", "Flag", value, style));
            BOOL read = 2;
            EXPECT_TRUE(profile_->GetBool("S", "Flag", !value, &read));
            EXPECT_EQ(read, value) << "style " << style;
        }
    }
}

TEST_F(Profiles, BooleanWordsByStyle)
{
    struct Case {
        int style;
        BOOL value;
        const char *text;
    } const cases[] = {{1, TRUE, "True"}, {1, FALSE, "False"}, {2, TRUE, "On"},  {2, FALSE, "Off"},
                       {3, TRUE, "Yes"},  {3, FALSE, "No"},    {7, TRUE, "1"},   {-1, FALSE, "0"}};
    for (const Case &c : cases) {
        profile_->WriteBool("S", "Flag", c.value, c.style);
        EXPECT_EQ(Text("Flag"), c.text) << "style " << c.style;
    }
    profile_->WriteBool("S", "Flag", TRUE, 0);
    EXPECT_EQ(ReadStream(root_, u"S").size(), 9u) << "a storage, not a stream";
}

TEST_F(Profiles, BooleanTextsAreReadBlindToCaseAndOthersGiveTheDefault)
{
    struct Case {
        const char *text;
        BOOL defaultValue;
        BOOL expected;
    } const cases[] = {{"yes", FALSE, TRUE}, {"OFF", TRUE, FALSE}, {"tRUE", FALSE, TRUE}, {"0", TRUE, FALSE},
                       {"maybe", TRUE, TRUE}, {"maybe", FALSE, FALSE}};
    for (const Case &c : cases) {
        profile_->WriteString("S", "Flag", c.text);
        BOOL read = 2;
        EXPECT_TRUE(profile_->GetBool("S", "Flag", c.defaultValue, &read));
        EXPECT_EQ(read, c.expected) << c.text;
    }
    BOOL read = 2;
    EXPECT_TRUE(profile_->GetBool("S", "Missing", TRUE, &read));
    EXPECT_EQ(read, TRUE);
}

TEST_F(Profiles, BoundedNumbersFallBackToTheDefault)
{
    profile_->WriteLong("S", "Number", 300, 10);
    BYTE byte = 0;
    EXPECT_TRUE(profile_->GetByte("S", "Number", 7, &byte));
    EXPECT_EQ(byte, 7);
    WORD word = 0;
    EXPECT_TRUE(profile_->GetWord("S", "Number", 8, &word));
    EXPECT_EQ(word, 300);
    profile_->WriteLong("S", "Number", 0x10000, 16);
    EXPECT_TRUE(profile_->GetWord("S", "Number", 8, &word));
    EXPECT_EQ(word, 8);
    profile_->WriteByte("S", "Small", 0xAB, 16);
    profile_->WriteWord("S", "Medium", 0xABCD, 10);
    EXPECT_TRUE(profile_->GetByte("S", "Small", 0, &byte));
    EXPECT_EQ(byte, 0xAB);
    EXPECT_TRUE(profile_->GetWord("S", "Medium", 0, &word));
    EXPECT_EQ(word, 0xABCD);

    profile_->WriteLong("S", "Count", 11, 10);
    LONG count = 0;
    EXPECT_TRUE(profile_->GetLongInRange("S", "Count", 1, 10, 5, &count));
    EXPECT_EQ(count, 5);
    profile_->WriteLong("S", "Count", 10, 10);
    EXPECT_EQ(profile_->GetLongInRangeValue("S", "Count", 1, 10, 5), 10);
    profile_->WriteLong("S", "Count", -3, 10);
    EXPECT_EQ(profile_->GetLongInRangeValue("S", "Count", -5, 0, 1), -3);
    DWORD raw = 0;
    EXPECT_TRUE(profile_->GetLong("S", "Count", 0, &raw));
    EXPECT_EQ(raw, 0xFFFFFFFDu);
}

TEST_F(Profiles, AProfileWithoutStorageFailsAndGivesTheDefault)
{
    CStgProfile closed;
    EXPECT_FALSE(closed.IsOpen());
    BYTE byte = 1;
    EXPECT_FALSE(closed.GetByte("S", "Number", 9, &byte));
    EXPECT_EQ(byte, 9);
    EXPECT_EQ(closed.GetLongInRangeValue("S", "Number", 0, 100, 42), 42);
    BOOL flag = 2;
    EXPECT_FALSE(closed.GetBool("S", "Flag", TRUE, &flag));
    EXPECT_FALSE(closed.WriteBool("S", "Flag", TRUE, 1));
    COLORREF color = 5;
    EXPECT_FALSE(closed.GetColor("S", "Color", &color));
    EXPECT_EQ(color, 5u);
}

TEST_F(Profiles, DoublesAreTextInG)
{
    profile_->WriteDouble("S", "Ratio", 0.125);
    EXPECT_EQ(Text("Ratio"), "0.125");
    profile_->WriteDouble("S", "Big", 1e300);
    EXPECT_EQ(Text("Big"), "1e+300");
    double value = 0;
    EXPECT_TRUE(profile_->GetDouble("S", "Ratio", 9, &value));
    EXPECT_EQ(value, 0.125);
    EXPECT_TRUE(profile_->GetDouble("S", "Missing", 9, &value));
    EXPECT_EQ(value, 9);
}

TEST_F(Profiles, StringsIntoACStringKeepToTheirSize)
{
    profile_->WriteString("S", "Name", "abcdefgh");
    CString text;
    EXPECT_TRUE(profile_->GetString("S", "Name", "", text, 5));
    EXPECT_STREQ(text, "abcd");
    EXPECT_TRUE(profile_->GetString("S", "Missing", "default text", text, 8));
    EXPECT_STREQ(text, "default");
}

TEST_F(Profiles, WordIndexesCompareTheFirst32CharactersBlindToCase)
{
    const char *const words[] = {"Never", "Always", "OnRequest", nullptr};
    int index = -1;
    profile_->WriteString("S", "Mode", "always");
    EXPECT_TRUE(profile_->GetWordIndex("S", "Mode", words, 0, &index));
    EXPECT_EQ(index, 1);
    profile_->WriteString("S", "Mode", "Sometimes");
    EXPECT_TRUE(profile_->GetWordIndex("S", "Mode", words, 2, &index));
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(profile_->GetWordIndex("S", "Missing", words, 0, &index));
    EXPECT_EQ(index, 0);

    std::string stored = std::string(32, 'x') + "yz";
    std::string word = std::string(32, 'X') + "AND MORE";
    const char *const longWords[] = {"short", word.c_str(), nullptr};
    profile_->WriteString("S", "Mode", stored.c_str());
    EXPECT_TRUE(profile_->GetWordIndex("S", "Mode", longWords, 0, &index));
    EXPECT_EQ(index, 1);
}

TEST_F(Profiles, ColorsAreThreeFieldsThreeWide)
{
    EXPECT_TRUE(profile_->WriteColor("S", "Color", RGB(255, 128, 0)));
    EXPECT_EQ(Text("Color"), "255,128,  0");
    COLORREF color = 0;
    EXPECT_TRUE(profile_->GetColor("S", "Color", &color));
    EXPECT_EQ(color, RGB(255, 128, 0));

    profile_->WriteString("S", "Color", "0x10, 20h,300");
    EXPECT_TRUE(profile_->GetColor("S", "Color", &color));
    EXPECT_EQ(color, RGB(16, 32, 300 % 256));

    color = 77;
    profile_->WriteString("S", "Color", "1,2");
    EXPECT_FALSE(profile_->GetColor("S", "Color", &color));
    EXPECT_EQ(color, 77u);
}

} // namespace
