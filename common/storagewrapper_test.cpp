#include "storagewrapper.h"

#include "stgenumerator.h"
#include "stgwrappertesting.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using Storages = StorageWrapperTest;

// Every typed value of the older wrapper, written and read back through `storage`.
void WriteEveryValue(CStorage &storage)
{
    const unsigned char block[5] = {0, 1, 0xFE, 0xFF, 7};
    EXPECT_EQ(storage.WriteString("Text", "Caf\xe9 abc"), 0);
    EXPECT_EQ(storage.WriteLong("Long", -123456789), 0);
    EXPECT_EQ(storage.WriteDWORD("DWORD", 0xFEDCBA98u), 0);
    EXPECT_EQ(storage.WriteInt("Int", -7), 0);
    EXPECT_EQ(storage.WriteUInt("UInt", 4000000000u), 0);
    EXPECT_EQ(storage.WriteDouble("Double", -2.5e-300), 0);
    EXPECT_EQ(storage.WriteChar("Char", '\x9c'), 0);
    EXPECT_EQ(storage.WriteShort("Short", -32768), 0);
    EXPECT_EQ(storage.WriteBinary("Binary", block, sizeof block), 0);
}

void ExpectEveryValue(CStorage &storage)
{
    CString text;
    EXPECT_EQ(storage.ReadString("Text", "none", text, 64), 0);
    EXPECT_STREQ(text, "Caf\xe9 abc");
    EXPECT_EQ(storage.ReadLong("Long", 0), -123456789);
    EXPECT_EQ(storage.ReadDWORD("DWORD", 0), 0xFEDCBA98u);
    EXPECT_EQ(storage.ReadInt("Int", 0), -7);
    EXPECT_EQ(storage.ReadUInt("UInt", 0), 4000000000u);
    EXPECT_EQ(storage.ReadDouble("Double", 0), -2.5e-300);
    EXPECT_EQ(storage.ReadChar("Char", 0), '\x9c');
    EXPECT_EQ(storage.ReadShort("Short", 0), -32768);
    unsigned char block[5] = {};
    EXPECT_TRUE(storage.ReadBinary("Binary", block, sizeof block));
    EXPECT_EQ(std::vector<unsigned char>(block, block + 5), (std::vector<unsigned char>{0, 1, 0xFE, 0xFF, 7}));
}

TEST_F(Storages, EveryTypedValueRoundTripsInMemory)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage(root);
    root->Release();
    WriteEveryValue(storage);
    ExpectEveryValue(storage);
}

TEST_F(Storages, EveryTypedValueRoundTripsThroughAFile)
{
    std::string path = PathOf("settings.stg");
    {
        CStorage storage;
        ASSERT_EQ(storage.CreateFile(path.c_str()), 0);
        WriteEveryValue(storage);
        EXPECT_EQ(storage.GetStorage()->Commit(STGC_DEFAULT), S_OK);
    }
    CStorage storage;
    ASSERT_EQ(storage.OpenFile(path.c_str()), 0);
    EXPECT_EQ(storage.GetLastResult(), S_OK);
    ExpectEveryValue(storage);
    CString name;
    EXPECT_EQ(storage.GetName(name), 0);
    EXPECT_STREQ(name, path.c_str());
}

TEST_F(Storages, ValuesAreRawLittleEndianBytesAndStringsUtf16WithAZero)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage(root);
    storage.WriteString("Text", "abc");
    storage.WriteLong("Long", 0x01020304);
    storage.WriteShort("Short", 0x0506);
    EXPECT_EQ(ReadStream(root, u"Text"), std::string("a\0b\0c\0\0\0", 8));
    EXPECT_EQ(ReadStream(root, u"Long"), "\x04\x03\x02\x01");
    EXPECT_EQ(ReadStream(root, u"Short"), "\x06\x05");
    root->Release();
}

TEST_F(Storages, AMissingOrShortValueGivesTheDefault)
{
    IStorage *root = NewMemoryStorage();
    WriteStream(root, u"Three", "\x01\x02\x03");
    WriteStream(root, u"Empty", "");
    CStorage storage(root);
    root->Release();
    EXPECT_EQ(storage.ReadLong("Three", 42), 42);
    EXPECT_EQ(storage.ReadDWORD("Missing", 43u), 43u);
    EXPECT_EQ(storage.ReadDouble("Three", 1.5), 1.5);
    EXPECT_EQ(storage.ReadShort("Empty", 9), 9);
    EXPECT_EQ(storage.ReadChar("Missing", 'x'), 'x');
    unsigned char block[4] = {};
    EXPECT_FALSE(storage.ReadBinary("Three", block, sizeof block));
    EXPECT_FALSE(storage.ReadBinary("Three", nullptr, 3));

    CString text = "old";
    EXPECT_EQ(storage.ReadString("Missing", "fallback", text, 16), -1);
    EXPECT_STREQ(text, "fallback");
    text = "old";
    EXPECT_EQ(storage.ReadString("Empty", "fallback", text, 16), -1);
    EXPECT_STREQ(text, "fallback");
}

TEST_F(Storages, AStringReadKeepsToTheSizeLessOne)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage(root);
    root->Release();
    storage.WriteString("Text", "abcdefgh");
    CString text;
    EXPECT_EQ(storage.ReadString("Text", "", text, 4), 0);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(storage.ReadString("Text", "none", text, 1), -1);
    EXPECT_STREQ(text, "none");
}

TEST_F(Storages, AWrapperWithoutStorageDoesNothing)
{
    CStorage storage(nullptr);
    CString text = "untouched";
    EXPECT_EQ(storage.ReadString("Key", "default", text, 16), -1);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(storage.ReadLong("Key", 5), 5);
    EXPECT_EQ(storage.WriteLong("Key", 6), -1);
    EXPECT_EQ(storage.OpenStream("Key"), nullptr);
    EXPECT_EQ(storage.DestroyElement("Key"), -1);
    CString name;
    EXPECT_EQ(storage.GetName(name), -1);
}

TEST_F(Storages, AFailedOpenKeepsItsResultAndTheStorageHeld)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage(root);
    root->Release();
    EXPECT_EQ(storage.OpenFile(PathOf("missing.stg").c_str()), -1);
    EXPECT_EQ(storage.GetLastResult(), STG_E_FILENOTFOUND);
    EXPECT_EQ(storage.GetStorage(), root);
    EXPECT_TRUE(storage.IsKindOf(RUNTIME_CLASS(CStorage)));
    EXPECT_STREQ(storage.GetRuntimeClass()->m_lpszClassName, "CStorage");
}

TEST_F(Storages, ElementsAreRenamedDestroyedAndEnumerated)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage(root);
    storage.WriteString("First", "1");
    storage.WriteDWORD("Second", 2);
    EXPECT_EQ(storage.RenameElement("First", "Third"), 0);
    EXPECT_EQ(storage.DestroyElement("Second"), 0);
    EXPECT_EQ(storage.DestroyElement("Second"), -1);

    IEnumSTATSTG *elements = nullptr;
    ASSERT_EQ(root->EnumElements(0, nullptr, 0, &elements), S_OK);
    CStgEnumerator enumerator(elements);
    elements->Release();
    CString name;
    DWORD type = 0;
    ULARGE_INTEGER size;
    EXPECT_TRUE(enumerator.Next(name, type, size));
    EXPECT_STREQ(name, "Third");
    EXPECT_EQ(type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(size.QuadPart, 4u);
    EXPECT_FALSE(enumerator.NextName(name));
    root->Release();
}

TEST_F(Storages, StreamWrappersReadAndWriteAtTheSeekPosition)
{
    IStorage *root = NewMemoryStorage();
    CStorage storage(root);
    root->Release();
    std::unique_ptr<CStream> stream(storage.CreateStream("Pair"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->WriteString("one"), 0);
    EXPECT_EQ(stream->WriteString("two"), 0);
    CString name;
    EXPECT_EQ(stream->GetName(name), 0);
    EXPECT_STREQ(name, "Pair");
    stream.reset();

    stream.reset(storage.OpenStream("Pair"));
    ASSERT_NE(stream, nullptr);
    CString text;
    char bytes[8];
    EXPECT_EQ(stream->Read(bytes, 8), 0);
    EXPECT_EQ(stream->ReadString("", text, 64), 0);
    EXPECT_STREQ(text, "two");
    EXPECT_EQ(stream->Read(bytes, 1), -1);
}

} // namespace
