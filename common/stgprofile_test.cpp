#include "stgprofile.h"

#include "stgwrappertesting.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using Profile::CStgProfile;

using StorageProfiles = StorageWrapperTest;

TEST_F(StorageProfiles, SectionsAreSubStoragesAndEntriesStreams)
{
    IStorage *root = NewMemoryStorage();
    {
        CStgProfile profile(root);
        EXPECT_TRUE(profile.WriteString("Compiler", "Main", "main"));
        EXPECT_TRUE(profile.WriteDWORD("Compiler", "Level", 2, Profile::PROFILE_STYLE_DECIMAL));
        EXPECT_TRUE(profile.WriteString(nullptr, "Top", "x"));
        EXPECT_TRUE(profile.WriteBinary("", "Block", "\x01\x02", 2));
    }
    EXPECT_EQ(ElementNames(root), (std::vector<std::u16string>{u"Top", u"Block", u"dCompiler"}));
    IStorage *section = nullptr;
    ASSERT_EQ(root->OpenStorage(u"Compiler", nullptr, kStgOpenRW, nullptr, 0, &section), S_OK);
    EXPECT_EQ(ReadStream(section, u"Main"), std::string("m\0a\0i\0n\0\0\0", 10));
    EXPECT_EQ(ReadStream(section, u"Level"), std::string("\x02\0\0\0", 4));
    section->Release();
    EXPECT_EQ(ReadStream(root, u"Block"), "\x01\x02");
    root->Release();
}

TEST_F(StorageProfiles, ValuesRoundTripThroughAFile)
{
    std::string path = PathOf("project.stg");
    {
        CStgProfile profile;
        ASSERT_TRUE(profile.Open(path.c_str(), TRUE, nullptr));
        EXPECT_TRUE(profile.WriteLong("BinaryFiles", "Number", 3, 10));
        EXPECT_TRUE(profile.WriteString("BinaryFiles", "FullPath", "/work/app.elf"));
        EXPECT_TRUE(profile.WriteBool("BinaryFiles", "AskForLoad", TRUE, 0));
        EXPECT_TRUE(profile.Commit());
    }
    CStgProfile profile;
    ASSERT_TRUE(profile.Open(path.c_str(), FALSE, nullptr));
    DWORD number = 0;
    EXPECT_TRUE(profile.GetLong("BinaryFiles", "Number", 1, &number));
    EXPECT_EQ(number, 3u);
    char text[261];
    EXPECT_TRUE(profile.GetString("BinaryFiles", "FullPath", "", text, sizeof text));
    EXPECT_STREQ(text, "/work/app.elf");
    BOOL ask = FALSE;
    EXPECT_TRUE(profile.GetBool("BinaryFiles", "AskForLoad", FALSE, &ask));
    EXPECT_TRUE(ask);
}

TEST_F(StorageProfiles, ReadingAMissingEntryGivesTheDefaultAndCreatesNothing)
{
    IStorage *root = NewMemoryStorage();
    CStgProfile profile(root);
    DWORD number = 0;
    EXPECT_TRUE(profile.GetDWORD("Nowhere", "Number", 17, &number));
    EXPECT_EQ(number, 17u);
    char text[8];
    EXPECT_TRUE(profile.GetString("Nowhere", "Text", "default", text, sizeof text));
    EXPECT_STREQ(text, "default");
    EXPECT_TRUE(ElementNames(root).empty());
    root->Release();
}

TEST_F(StorageProfiles, TheDefaultIsCutToTheBufferAndTerminated)
{
    IStorage *root = NewMemoryStorage();
    CStgProfile profile(root);
    char text[6];
    memset(text, '#', sizeof text);
    EXPECT_TRUE(profile.GetString("S", "Text", "longer than the buffer", text, 4));
    EXPECT_STREQ(text, "lon");
    EXPECT_EQ(text[4], '#');
    EXPECT_TRUE(profile.GetString("S", "Text", nullptr, text, 4));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(profile.GetString("S", "Text", "x", text, 0));
    root->Release();
}

TEST_F(StorageProfiles, AShortEntryGivesTheDefault)
{
    IStorage *root = NewMemoryStorage();
    IStorage *section = nullptr;
    ASSERT_EQ(root->CreateStorage(u"S", kStgCreate, 0, 0, &section), S_OK);
    WriteStream(section, u"Three", "\x01\x02\x03");
    WriteStream(section, u"Empty", "");
    section->Release();
    CStgProfile profile(root);
    DWORD number = 0;
    EXPECT_TRUE(profile.GetDWORD("S", "Three", 99, &number));
    EXPECT_EQ(number, 99u);
    char text[8];
    EXPECT_TRUE(profile.GetString("S", "Empty", "empty", text, sizeof text));
    EXPECT_STREQ(text, "empty");
    root->Release();
}

TEST_F(StorageProfiles, DeletingAnEntryOfAMissingSectionMakesTheSection)
{
    IStorage *root = NewMemoryStorage();
    CStgProfile profile(root);
    EXPECT_FALSE(profile.DeleteEntry("AnimateQueue", "RunningPeriod"));
    EXPECT_EQ(ElementNames(root), std::vector<std::u16string>{u"dAnimateQueue"});
    profile.WriteLong("AnimateQueue", "HoldedPeriod", 5, 10);
    profile.WriteLong(nullptr, "Top", 5, 10);
    EXPECT_TRUE(profile.DeleteEntry("AnimateQueue", "HoldedPeriod"));
    EXPECT_TRUE(profile.DeleteEntry("", "Top"));
    EXPECT_TRUE(profile.DeleteSection("AnimateQueue"));
    EXPECT_FALSE(profile.DeleteSection("AnimateQueue"));
    EXPECT_TRUE(ElementNames(root).empty());
    root->Release();
}

TEST_F(StorageProfiles, BinaryBlocksAreWrittenButNotRead)
{
    IStorage *root = NewMemoryStorage();
    CStgProfile profile(root);
    char block[3] = {1, 2, 3};
    EXPECT_TRUE(profile.WriteBinary("S", "Block", block, sizeof block));
    EXPECT_FALSE(profile.GetBinary("S", "Block", block, sizeof block));
    EXPECT_FALSE(profile.WriteBinary("S", "Block", block, -1));
    root->Release();
}

TEST_F(StorageProfiles, TheRootIsAttachedDetachedAndTakenFromAnObject)
{
    IStorage *root = NewMemoryStorage();
    CStgProfile profile;
    EXPECT_FALSE(profile.AttachUnknown(nullptr));
    ASSERT_TRUE(profile.AttachUnknown(root));
    EXPECT_TRUE(profile.IsOpen());
    IStorage *detached = profile.Detach();
    EXPECT_EQ(detached, root);
    EXPECT_FALSE(profile.IsOpen());
    detached->Release(); // the reference that AttachUnknown took
    EXPECT_TRUE(profile.Attach(root));
    profile.Release();
    EXPECT_FALSE(profile.WriteString("S", "E", "x"));

    IStream *stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_FALSE(profile.AttachUnknown(stream));
    stream->Release();
    root->Release();
}

TEST_F(StorageProfiles, ASubStorageOfAnotherStorageServesAsRoot)
{
    IStorage *root = NewMemoryStorage();
    CStgProfile profile;
    ASSERT_TRUE(profile.Open("Symbol", TRUE, root));
    EXPECT_TRUE(profile.WriteString("History", "History0", "main"));
    profile.Release();
    CStgProfile again;
    EXPECT_FALSE(again.Open("Other", FALSE, root));
    ASSERT_TRUE(again.Open("Symbol", FALSE, root));
    CString text;
    EXPECT_TRUE(again.GetString("History", "History0", "", text, 257));
    EXPECT_STREQ(text, "main");
    again.Release();
    root->Release();
}

} // namespace
