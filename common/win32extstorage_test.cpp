#include "win32extstorage.h"

#include "stgwrappertesting.h"
#include "win32extstgenum.h"
#include "win32extstream.h"

#include <string>
#include <vector>

namespace {

using Win32Ext::CStatStg;
using Win32Ext::CStgEnumerator;
using Win32Ext::CStorage;
using Win32Ext::CStream;

using NewStorages = StorageWrapperTest;

TEST_F(NewStorages, StringsAndNumbersRoundTripThroughAFile)
{
    std::string path = PathOf("workspace.stg");
    {
        CStorage root;
        ASSERT_TRUE(root.Create(path.c_str(), nullptr, FALSE));
        CStorage section;
        ASSERT_TRUE(section.OpenOrCreate("Section", root.GetStorage()));
        EXPECT_TRUE(section.WriteString("Text", "Gr\xfc\xdf" "e"));
        EXPECT_TRUE(section.WriteDWORD("Number", 0x80000001u));
        EXPECT_TRUE(root.Commit());
    }
    CStorage root;
    ASSERT_TRUE(root.Open(path.c_str(), nullptr, TRUE));
    CStorage section;
    ASSERT_TRUE(section.Open("Section", root.GetStorage(), TRUE));
    char text[16] = {};
    EXPECT_TRUE(section.ReadString("Text", text, sizeof text));
    EXPECT_STREQ(text, "Gr\xfc\xdf" "e");
    DWORD number = 0;
    EXPECT_TRUE(section.ReadDWORD("Number", &number));
    EXPECT_EQ(number, 0x80000001u);
    CString name;
    EXPECT_EQ(section.GetName(name), 7);
    EXPECT_STREQ(name, "Section");
}

TEST_F(NewStorages, AShortStreamGivesFalse)
{
    IStorage *root = NewMemoryStorage();
    WriteStream(root, u"Three", "\x01\x02\x03");
    WriteStream(root, u"Empty", "");
    CStorage storage;
    EXPECT_TRUE(storage.Adopt(root));
    DWORD number = 7;
    EXPECT_FALSE(storage.ReadDWORD("Three", &number));
    EXPECT_FALSE(storage.ReadDWORD("Missing", &number));
    EXPECT_EQ(storage.GetLastResult(), STG_E_FILENOTFOUND);
    EXPECT_EQ(number, 7u);
    char text[8] = "keep";
    EXPECT_FALSE(storage.ReadString("Empty", text, sizeof text));
    EXPECT_STREQ(text, "keep");
}

TEST_F(NewStorages, AStringWrittenOverALongerOneLeavesItsTailUnread)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage;
    storage.Attach(root);
    CStream stream;
    ASSERT_TRUE(stream.Create("Text", root, FALSE));
    EXPECT_TRUE(stream.WriteString("abcdef"));
    EXPECT_TRUE(stream.WriteString("abc"));
    stream.Release();
    EXPECT_EQ(ReadStream(root, u"Text").size(), 14u);
    char text[16] = {};
    EXPECT_TRUE(storage.ReadString("Text", text, sizeof text));
    EXPECT_STREQ(text, "abc");
    // A value written through the storage is a stream made anew.
    EXPECT_TRUE(storage.WriteString("Text", "x"));
    EXPECT_EQ(ReadStream(root, u"Text"), std::string("x\0\0\0", 4));
    root->Release();
}

TEST_F(NewStorages, AStringReadNeverPassesItsBuffer)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage;
    storage.Attach(root);
    storage.WriteString("Text", "abcdefgh");
    char text[6];
    memset(text, '#', sizeof text);
    EXPECT_TRUE(storage.ReadString("Text", text, 4));
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(text[4], '#');
    EXPECT_FALSE(storage.ReadString("Text", text, 0));

    // Without a terminating zero in the stream the text ends with the data.
    WriteStream(root, u"Bare", std::string("x\0y\0", 4));
    EXPECT_TRUE(storage.ReadString("Bare", text, sizeof text));
    EXPECT_STREQ(text, "xy");
    root->Release();
}

TEST_F(NewStorages, AStreamReadsAWholeStringWhenNoSizeIsGiven)
{
    IStorage *root = NewMemoryStorage();
    std::string long_(300, 'L');
    WriteStream(root, u"Long", std::string(reinterpret_cast<const char *>(std::u16string(300, u'L').c_str()), 600));
    WriteStream(root, u"Empty", "");
    CStream stream;
    ASSERT_TRUE(stream.Open("Long", root, TRUE));
    CString text;
    EXPECT_TRUE(stream.ReadString(text, 0));
    EXPECT_STREQ(text, long_.c_str());
    ASSERT_TRUE(stream.Open("Empty", root, FALSE));
    EXPECT_FALSE(stream.ReadString(text, 0));
    stream.Release();
    root->Release();
}

TEST_F(NewStorages, NumbersAreReadAndWrittenAtTheStart)
{
    IStorage *root = NewMemoryStorage();
    CStream stream;
    ASSERT_TRUE(stream.OpenOrCreate("Number", root));
    EXPECT_TRUE(stream.WriteDWORD(1));
    EXPECT_TRUE(stream.WriteDWORD(0x0A0B0C0D));
    DWORD number = 0;
    EXPECT_TRUE(stream.ReadDWORD(&number));
    EXPECT_EQ(number, 0x0A0B0C0Du);
    ULONG got = 99;
    char byte;
    EXPECT_FALSE(stream.Read(&byte, 1, &got));
    EXPECT_EQ(got, 0u);
    CString name;
    EXPECT_EQ(stream.GetName(name), 6);
    stream.Release();
    EXPECT_EQ(ReadStream(root, u"Number"), "\x0D\x0C\x0B\x0A");
    root->Release();
}

TEST_F(NewStorages, CreateFailsOnAnExistingElementOnlyWhenAsked)
{
    IStorage *root = NewMemoryStorage();
    CStorage section;
    ASSERT_TRUE(section.Create("Section", root, TRUE));
    section.WriteDWORD("Value", 1);
    section.Release();

    EXPECT_FALSE(section.Create("Section", root, TRUE));
    EXPECT_EQ(section.GetLastResult(), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(section.GetStorage(), nullptr);
    ASSERT_TRUE(section.Create("Section", root, FALSE));
    DWORD value = 0;
    EXPECT_FALSE(section.ReadDWORD("Value", &value));
    section.Release();

    CStream stream;
    EXPECT_FALSE(stream.Create("Section", root, TRUE));
    EXPECT_EQ(stream.GetLastResult(), STG_E_FILEALREADYEXISTS);
    EXPECT_FALSE(stream.Open("Anything", nullptr, FALSE));
    root->Release();
}

TEST_F(NewStorages, OpenOrCreateOpensWhatIsThereAndMakesWhatIsNot)
{
    IStorage *root = NewMemoryStorage();
    CStorage section;
    ASSERT_TRUE(section.OpenOrCreate("Section", root));
    section.WriteDWORD("Value", 5);
    // The same element again, while the wrapper holds it.
    ASSERT_TRUE(section.OpenOrCreate("Section", root));
    DWORD value = 0;
    EXPECT_TRUE(section.ReadDWORD("Value", &value));
    EXPECT_EQ(value, 5u);
    EXPECT_TRUE(section.RenameElement("Value", "Renamed"));
    EXPECT_TRUE(section.DestroyElement("Renamed"));
    EXPECT_FALSE(section.DestroyElement("Renamed"));
    section.Release();
    root->Release();
}

TEST_F(NewStorages, AttachAdoptAndDetachHandReferencesOver)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage;
    EXPECT_FALSE(storage.Attach(nullptr));
    EXPECT_TRUE(storage.Attach(root));
    IStorage *detached = storage.Detach();
    EXPECT_EQ(detached, root);
    EXPECT_EQ(storage.Detach(), nullptr);
    EXPECT_FALSE(storage.Commit());
    EXPECT_TRUE(storage.Adopt(detached)); // takes over the reference that Attach added
    EXPECT_TRUE(storage.Commit());
    root->Release();
}

TEST_F(NewStorages, AWrapperWithoutStorageFailsAndCallsNothing)
{
    CStorage storage;
    DWORD value = 3;
    char text[4] = "abc";
    CString name;
    EXPECT_FALSE(storage.ReadDWORD("Key", &value));
    EXPECT_FALSE(storage.WriteString("Key", "x"));
    EXPECT_FALSE(storage.ReadString("Key", text, sizeof text));
    EXPECT_FALSE(storage.DestroyElement("Key"));
    EXPECT_EQ(storage.GetName(name), 0);
    EXPECT_EQ(value, 3u);
    CStream stream;
    EXPECT_FALSE(stream.WriteDWORD(1));
    EXPECT_FALSE(stream.ReadString(name, 0));
}

TEST_F(NewStorages, TheEnumeratorFreesEachNameItHeld)
{
    IStorage *root = NewMemoryStorage();
    WriteStream(root, u"Bb", "12");
    WriteStream(root, u"A", "1");
    IEnumSTATSTG *elements = nullptr;
    ASSERT_EQ(root->EnumElements(0, nullptr, 0, &elements), S_OK);
    CStgEnumerator enumerator(elements);
    elements->Release();
    CStatStg stat;
    std::vector<std::u16string> names;
    while (enumerator.Next(&stat))
        names.push_back(stat.pwcsName);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"A", u"Bb"}));
    EXPECT_EQ(enumerator.GetLastResult(), S_FALSE);
    EXPECT_FALSE(enumerator.Next(nullptr));
    root->Release();
}

} // namespace
