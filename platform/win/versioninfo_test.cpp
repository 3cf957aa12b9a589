#include <windows.h>

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A version block put together by hand from the documented layout, each node's offset
// and length worked out below (keys are UTF-16LE with their terminator; key, value and
// children each start at a 32-bit boundary):
//   0 root "VS_VERSION_INFO": key 6..38, value (VS_FIXEDFILEINFO) 40..92, length 304
//  92   "StringFileInfo": key 98..128, length 142
// 128     "040704b0": key 134..152, length 106
// 152       "FileVersion": key 158..182, value "1.2.3.4" 184..200, length 48
// 200       "Comments": key 206..224, value "Caf\u00e9" 224..234, length 34
// 236   "VarFileInfo": key 242..266, length 68
// 268     "Translation": key 274..298, value 0x0407 0x04B0 300..304, length 36
class HandMadeBlock {
public:
    HandMadeBlock() : bytes_(304)
    {
        Node(0, 304, 52, 0, u"VS_VERSION_INFO");
        const DWORD fixed[13] = {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, 0x00010002, 0x00030004};
        memcpy(&bytes_[40], fixed, sizeof fixed);
        Node(92, 142, 0, 1, u"StringFileInfo");
        Node(128, 106, 0, 1, u"040704b0");
        Node(152, 48, 8, 1, u"FileVersion");
        Text(184, u"1.2.3.4");
        Node(200, 34, 5, 1, u"Comments");
        Text(224, u"Caf\u00e9");
        Node(236, 68, 0, 1, u"VarFileInfo");
        Node(268, 36, 4, 0, u"Translation");
        Word(300, 0x0407);
        Word(302, 0x04B0);
    }

    void Word(size_t offset, WORD value) { memcpy(&bytes_[offset], &value, sizeof value); }

    // The block followed by the room of its length in which the texts are answered, as
    // GetFileVersionInfoA leaves it.
    std::vector<BYTE> Block() const
    {
        std::vector<BYTE> block(bytes_);
        block.resize(2 * bytes_.size());
        return block;
    }
    // The same with the root's length set to `length` (at least 2) and cut there.
    std::vector<BYTE> Block(size_t length) const
    {
        std::vector<BYTE> block(bytes_.begin(), bytes_.begin() + length);
        block.resize(2 * length);
        WORD root = static_cast<WORD>(length);
        memcpy(block.data(), &root, sizeof root);
        return block;
    }

private:
    void Node(size_t offset, WORD length, WORD valueLength, WORD type, const std::u16string &key)
    {
        Word(offset, length);
        Word(offset + 2, valueLength);
        Word(offset + 4, type);
        Text(offset + 6, key);
    }
    void Text(size_t offset, const std::u16string &text) { memcpy(&bytes_[offset], text.c_str(), 2 * text.size() + 2); }

    std::vector<BYTE> bytes_;
};

std::string Query(std::vector<BYTE> &block, const char *path, UINT *length = nullptr)
{
    LPVOID value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), path, &value, &size))
        return "(none)";
    if (length != nullptr)
        *length = size;
    EXPECT_GE(static_cast<BYTE *>(value), block.data());
    EXPECT_LE(static_cast<BYTE *>(value) + size, block.data() + block.size());
    return static_cast<const char *>(value);
}

TEST(VersionInfo, AnswersTheNodesOfAHandMadeBlock)
{
    std::vector<BYTE> block = HandMadeBlock().Block();
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const VS_FIXEDFILEINFO *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);

    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD translation[2];
    memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 0x0407);
    EXPECT_EQ(translation[1], 0x04B0);

    EXPECT_EQ(Query(block, "\\StringFileInfo\\040704b0\\FileVersion", &length), "1.2.3.4");
    EXPECT_EQ(length, 8u);
    // Keys are blind to case; texts come in ANSI.
    EXPECT_EQ(Query(block, "\\stringfileinfo\\040704B0\\COMMENTS"), "Caf\xe9");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040904e4\\FileVersion"), "(none)");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040704b0\\Missing"), "(none)");
    EXPECT_EQ(Query(block, "\\StringFileInfo\\040704b0\\FileVersion\\Deeper"), "(none)");
}

TEST(VersionInfo, ADamagedBlockAnswersNothingAndIsNeverReadBeyond)
{
    // Each change, made alone, damages the node on the way to the FileVersion text or the
    // translation; neither may then be answered from outside its node.
    struct Case {
        const char *what;
        size_t offset;
        WORD value;
    } cases[] = {
        {"the root shorter than its header", 0, 4},
        {"a node beyond its parent", 152, 120},
        {"a node shorter than its header", 152, 4},
        {"a key without its end", 152, 20},
        {"a value past its node", 154, 30},
        {"a table beyond its parent", 128, 200},
        {"the translation beyond its parent", 268, 60},
        {"a binary value past its node", 270, 40},
    };
    for (const Case &c : cases) {
        HandMadeBlock made;
        made.Word(c.offset, c.value);
        std::vector<BYTE> block = made.Block();
        std::string version = Query(block, "\\StringFileInfo\\040704b0\\FileVersion");
        std::string translation = Query(block, "\\VarFileInfo\\Translation");
        EXPECT_TRUE(version == "(none)" || translation == "(none)") << c.what;
    }
    // The root's length cut anywhere: what lies beyond the cut is not there.
    for (size_t length = 2; length < 304; ++length) {
        std::vector<BYTE> block = HandMadeBlock().Block(length);
        std::string version = Query(block, "\\StringFileInfo\\040704b0\\FileVersion");
        EXPECT_EQ(version, length < 234 ? "(none)" : "1.2.3.4") << length;
        Query(block, "\\");
        Query(block, "\\VarFileInfo\\Translation");
    }
}

TEST(VersionInfo, FilesThatAreNoModuleWithAVersionResourceHaveNone)
{
    std::string path = testing::TempDir() + "qelversion-plain.txt";
    std::ofstream(path) << "no module";
    DWORD handle = 7;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), &handle), 0u);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    remove(path.c_str());
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // The layer's own library is a registered module, but without a version resource.
    char library[4096];
    ASSERT_NE(GetModuleFileNameA(GetModuleHandleA("kernel32"), library, sizeof library), 0u);
    EXPECT_EQ(GetFileVersionInfoSizeA(library, nullptr), 0u);
    BYTE data[16];
    EXPECT_FALSE(GetFileVersionInfoA(library, 0, sizeof data, data));
}

} // namespace
