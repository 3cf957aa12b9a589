#include "ole2.h"
#include "testing/buildpaths.h"
#include "testing/comobjectbalance.h"
#include "testing/stgtesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::u16string Wide(const std::string &ansi)
{
    return std::u16string(ansi.begin(), ansi.end()); // the tests' paths are ASCII
}

std::string FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

DWORD Crc32(const std::string &bytes, size_t from, size_t count)
{
    DWORD crc = 0xFFFFFFFFu;
    for (size_t i = from; i < from + count; i++) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int bit = 0; bit < 8; bit++)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

void PutU32(std::string &bytes, size_t at, DWORD value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

class StorageFile : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        std::string pattern = (fs::temp_directory_path() / "qelstg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        path_ = PathOf("workspace.stg");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, ignored);
        fs::remove_all(folder_, ignored);
        ComObjectBalance::TearDown();
    }

    std::string PathOf(const char *name) const { return (folder_ / name).string(); }

    IStorage *Create(const std::string &path, DWORD mode = kStgCreate)
    {
        IStorage *root = nullptr;
        EXPECT_EQ(StgCreateDocfile(Wide(path).c_str(), mode, 0, &root), S_OK);
        return root;
    }

    HRESULT Open(const std::string &path, DWORD mode, IStorage **root)
    {
        return StgOpenStorage(Wide(path).c_str(), nullptr, mode, nullptr, 0, root);
    }

    // A file with a stream in the root, a section with two entries, and a nested storage.
    void MakeSample(const std::string &path)
    {
        IStorage *root = Create(path);
        ASSERT_NE(root, nullptr);
        WriteStream(root, u"Version", std::string("\x03\x00\x00\x00", 4));
        IStorage *section = nullptr;
        ASSERT_EQ(root->CreateStorage(u"BinaryFiles", kStgCreate, 0, 0, &section), S_OK);
        WriteStream(section, u"FullPath", std::string("/\0p\0", 4));
        WriteStream(section, u"Empty", "");
        IStorage *inner = nullptr;
        ASSERT_EQ(section->CreateStorage(u"Breakpoints", kStgCreate, 0, 0, &inner), S_OK);
        inner->Release();
        section->Release();
        root->Release();
    }

    void ExpectSample(IStorage *root)
    {
        EXPECT_EQ(ReadStream(root, u"Version"), std::string("\x03\x00\x00\x00", 4));
        IStorage *section = nullptr;
        ASSERT_EQ(root->OpenStorage(u"binaryfiles", nullptr, kStgOpenRead, nullptr, 0, &section), S_OK);
        EXPECT_EQ(ElementNames(section), (std::vector<std::u16string>{u"Empty", u"FullPath", u"dBreakpoints"}));
        EXPECT_EQ(ReadStream(section, u"FullPath"), std::string("/\0p\0", 4));
        section->Release();
    }

    fs::path folder_;
    std::string path_;
};

TEST_F(StorageFile, TreeSurvivesTheTripThroughAFile)
{
    MakeSample(path_);
    IStorage *root = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRW, &root), S_OK);
    ExpectSample(root);
    root->Release();
}

TEST_F(StorageFile, AFileMadeByTheFormatsDescriptionOpens)
{
    // Written by testdata/storage/make-samples.py, not by this layer.
    IStorage *root = nullptr;
    ASSERT_EQ(Open(std::string(kQelSourceDir) + "/testdata/storage/workspace.stg", kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ReadStream(root, u"Version"), std::string("\x03\x00\x00\x00", 4));
    IStorage *files = nullptr, *file = nullptr;
    ASSERT_EQ(root->OpenStorage(u"BinaryFiles", nullptr, kStgOpenRead, nullptr, 0, &files), S_OK);
    ASSERT_EQ(files->OpenStorage(u"BinaryFile1", nullptr, kStgOpenRead, nullptr, 0, &file), S_OK);
    std::u16string path = u"/work/app.elf";
    EXPECT_EQ(ReadStream(file, u"FullPath"),
              std::string(reinterpret_cast<const char *>(path.c_str()), (path.size() + 1) * 2));
    EXPECT_EQ(ElementNames(file), (std::vector<std::u16string>{u"FullPath", u"dBreakpoints"}));
    file->Release();
    files->Release();
    root->Release();
}

TEST_F(StorageFile, LargeStreamsSurviveTheTrip)
{
    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); i++)
        big[i] = static_cast<char>(i * 7 + (i >> 9));
    IStorage *root = Create(path_);
    WriteStream(root, u"Image", big);
    root->Release();
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ReadStream(root, u"Image"), big);
    root->Release();
}

TEST_F(StorageFile, CommitWritesTheFileWhileTheStorageStaysOpen)
{
    IStorage *root = Create(path_);
    IStorage *section = nullptr;
    ASSERT_EQ(root->CreateStorage(u"Section", kStgCreate, 0, 0, &section), S_OK);
    WriteStream(section, u"Entry", "committed");
    // Any storage of the file commits the whole of it.
    EXPECT_EQ(section->Commit(STGC_DEFAULT), S_OK);
    std::string copy = PathOf("copy.stg");
    fs::copy_file(path_, copy);
    IStorage *other = nullptr;
    ASSERT_EQ(Open(copy, kStgOpenRead, &other), S_OK);
    IStorage *copied = nullptr;
    ASSERT_EQ(other->OpenStorage(u"Section", nullptr, kStgOpenRead, nullptr, 0, &copied), S_OK);
    EXPECT_EQ(ReadStream(copied, u"Entry"), "committed");
    copied->Release();
    other->Release();
    section->Release();
    root->Release();
}

TEST_F(StorageFile, ReleasingTheRootWritesWhatWasNotCommitted)
{
    IStorage *root = Create(path_);
    WriteStream(root, u"Late", "kept");
    root->Release();
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ReadStream(root, u"Late"), "kept");
    root->Release();
}

TEST_F(StorageFile, CreateWritesAnEmptyFileAtOnce)
{
    IStorage *root = Create(path_);
    EXPECT_TRUE(fs::exists(path_));
    std::string copy = PathOf("copy.stg");
    fs::copy_file(path_, copy);
    IStorage *other = nullptr;
    ASSERT_EQ(Open(copy, kStgOpenRead, &other), S_OK);
    EXPECT_TRUE(ElementNames(other).empty());
    other->Release();
    root->Release();
}

TEST_F(StorageFile, CreateReplacesAFileOnlyWhenAskedTo)
{
    MakeSample(path_);
    IStorage *root = nullptr;
    EXPECT_EQ(StgCreateDocfile(Wide(path_).c_str(), kStgOpenRW, 0, &root), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(root, nullptr);
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    ExpectSample(root);
    root->Release();
    root = Create(path_);
    EXPECT_TRUE(ElementNames(root).empty());
    root->Release();
}

TEST_F(StorageFile, AStorageOpenedForReadingLeavesTheFileAlone)
{
    MakeSample(path_);
    std::string before = FileBytes(path_);
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    IStorage *root = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    IStream *stream = nullptr;
    EXPECT_EQ(root->CreateStream(u"New", kStgCreate, 0, 0, &stream), STG_E_ACCESSDENIED);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
    struct stat after;
    ASSERT_EQ(stat(path_.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, info.st_ino);
    EXPECT_EQ(FileBytes(path_), before);
}

TEST_F(StorageFile, AFileIsOpenOnceAtATime)
{
    MakeSample(path_);
    IStorage *root = nullptr, *second = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRW, &root), S_OK);
    EXPECT_EQ(Open(path_, kStgOpenRead, &second), STG_E_SHAREVIOLATION);
    EXPECT_EQ(StgCreateDocfile(Wide(path_).c_str(), kStgCreate, 0, &second), STG_E_SHAREVIOLATION);
    // The same file by another path is the same file.
    std::string link = PathOf("link.stg");
    ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
    EXPECT_EQ(Open(link, kStgOpenRead, &second), STG_E_SHAREVIOLATION);
    EXPECT_EQ(second, nullptr);
    root->Release();
    ASSERT_EQ(Open(path_, kStgOpenRead, &second), S_OK);
    second->Release();
}

TEST_F(StorageFile, WritingThroughALinkReplacesTheFileBehindIt)
{
    MakeSample(path_);
    std::string link = PathOf("link.stg");
    ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
    IStorage *root = nullptr;
    ASSERT_EQ(Open(link, kStgOpenRW, &root), S_OK);
    WriteStream(root, u"Added", "via link");
    root->Release();
    EXPECT_TRUE(fs::is_symlink(link));
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ReadStream(root, u"Added"), "via link");
    root->Release();
}

TEST_F(StorageFile, WritingLeavesNoTemporaryFileAndKeepsThePermissions)
{
    MakeSample(path_);
    ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
    IStorage *root = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRW, &root), S_OK);
    WriteStream(root, u"More", "x");
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder_))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"workspace.stg"});
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(StorageFile, AFailedWriteKeepsTheOldFileAndTheChanges)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    MakeSample(path_);
    IStorage *root = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRW, &root), S_OK);
    WriteStream(root, u"Pending", "change");
    ASSERT_EQ(chmod(folder_.c_str(), 0500), 0);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), STG_E_ACCESSDENIED);
    ASSERT_EQ(chmod(folder_.c_str(), 0700), 0);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ReadStream(root, u"Pending"), "change");
    root->Release();
}

TEST_F(StorageFile, AWriteThatCannotBeMadeLeavesNothingBehindAndKeepsTheChanges)
{
    MakeSample(path_);
    IStorage *root = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRW, &root), S_OK);
    WriteStream(root, u"Pending", "change");
    // Something else took the file's place: the new file cannot be renamed over it.
    fs::rename(path_, PathOf("moved.stg"));
    fs::create_directory(path_);
    PutFile(PathOf("workspace.stg/inside"), "x");
    EXPECT_EQ(root->Commit(STGC_DEFAULT), STG_E_ACCESSDENIED);
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"moved.stg", "workspace.stg"}));
    fs::remove_all(path_);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root->Release();
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ReadStream(root, u"Pending"), "change");
    ExpectSample(root);
    root->Release();
}

TEST_F(StorageFile, AFolderThatWentAwayIsReported)
{
    std::string inner = PathOf("inner");
    fs::create_directory(inner);
    IStorage *root = Create(inner + "/file.stg");
    WriteStream(root, u"Entry", "x");
    fs::remove_all(inner);
    EXPECT_EQ(root->Commit(STGC_DEFAULT), STG_E_PATHNOTFOUND);
    root->Release();
}

TEST_F(StorageFile, OpeningForWritingNeedsAWritableFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    MakeSample(path_);
    ASSERT_EQ(chmod(path_.c_str(), 0440), 0);
    IStorage *root = nullptr;
    EXPECT_EQ(Open(path_, kStgOpenRW, &root), STG_E_ACCESSDENIED);
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    root->Release();
}

TEST_F(StorageFile, MissingFilesAndFoldersAreReported)
{
    IStorage *root = nullptr;
    EXPECT_EQ(Open(PathOf("missing.stg"), kStgOpenRead, &root), STG_E_FILENOTFOUND);
    EXPECT_EQ(StgCreateDocfile(Wide(PathOf("no/such/folder.stg")).c_str(), kStgCreate, 0, &root),
              STG_E_PATHNOTFOUND);
    EXPECT_EQ(Open(folder_.string(), kStgOpenRead, &root), STG_E_ACCESSDENIED);
    // A pipe would make a reader wait for a writer that never comes.
    std::string pipe = PathOf("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(Open(pipe, kStgOpenRead, &root), STG_E_ACCESSDENIED);
    EXPECT_EQ(Open("/dev/zero", kStgOpenRead, &root), STG_E_ACCESSDENIED);
    EXPECT_EQ(root, nullptr);
}

TEST_F(StorageFile, ArgumentsAreChecked)
{
    IStorage *root = nullptr;
    std::u16string path = Wide(path_);
    EXPECT_EQ(StgCreateDocfile(path.c_str(), kStgCreate, 0, nullptr), STG_E_INVALIDPOINTER);
    EXPECT_EQ(StgCreateDocfile(path.c_str(), kStgCreate, 1, &root), STG_E_INVALIDPARAMETER);
    EXPECT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | kStgOpenRead, 0, &root), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgCreateDocfile(path.c_str(), kStgCreate | 0x00010000, 0, &root), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgOpenStorage(nullptr, nullptr, kStgOpenRead, nullptr, 0, &root), STG_E_INVALIDNAME);
    EXPECT_EQ(StgOpenStorage(path.c_str(), nullptr, kStgCreate, nullptr, 0, &root), STG_E_INVALIDFLAG);
    EXPECT_EQ(StgOpenStorage(path.c_str(), nullptr, kStgOpenRead, nullptr, 1, &root), STG_E_INVALIDPARAMETER);
    // A path must be expressible in the ANSI code page, as the system's paths are.
    std::u16string foreign = Wide(PathOf("x")) + u"\u4e00.stg";
    EXPECT_EQ(StgCreateDocfile(foreign.c_str(), kStgCreate, 0, &root), STG_E_INVALIDNAME);
    EXPECT_EQ(root, nullptr);
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(StorageFile, RootIsNamedByTheFilesAbsolutePath)
{
    std::string cwd = fs::current_path().string();
    fs::current_path(folder_);
    IStorage *root = nullptr;
    HRESULT hr = StgCreateDocfile(u"./relative.stg", kStgCreate, 0, &root);
    fs::current_path(cwd);
    ASSERT_EQ(hr, S_OK);
    STATSTG stat;
    ASSERT_EQ(root->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), Wide(PathOf("relative.stg")));
    CoTaskMemFree(stat.pwcsName);
    root->Release();
}

TEST_F(StorageFile, AFileOfAnotherKindIsNotAStorage)
{
    PutFile(path_, "[System]\nSERVICE=1\n");
    IStorage *root = nullptr;
    EXPECT_EQ(Open(path_, kStgOpenRead, &root), STG_E_FILEALREADYEXISTS);
    PutFile(path_, "");
    EXPECT_EQ(Open(path_, kStgOpenRead, &root), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(root, nullptr);
}

TEST_F(StorageFile, AFileCutShortAnywhereIsRefused)
{
    MakeSample(path_);
    std::string whole = FileBytes(path_);
    ASSERT_GT(whole.size(), 24u);
    std::string cut = PathOf("cut.stg");
    for (size_t length = 0; length < whole.size(); length++) {
        PutFile(cut, whole.substr(0, length));
        IStorage *root = nullptr;
        HRESULT hr = Open(cut, kStgOpenRead, &root);
        EXPECT_EQ(hr, length < 8 ? STG_E_FILEALREADYEXISTS : STG_E_DOCFILECORRUPT) << "length " << length;
        EXPECT_EQ(root, nullptr);
    }
    // Bytes added at the end are damage too.
    PutFile(cut, whole + "x");
    IStorage *root = nullptr;
    EXPECT_EQ(Open(cut, kStgOpenRead, &root), STG_E_DOCFILECORRUPT);
}

TEST_F(StorageFile, AFileChangedAnywhereIsRefused)
{
    MakeSample(path_);
    std::string whole = FileBytes(path_);
    std::string changed = PathOf("changed.stg");
    for (size_t at = 0; at < whole.size(); at++) {
        for (unsigned char flip : {0x01, 0x80}) {
            std::string bytes = whole;
            bytes[at] = static_cast<char>(bytes[at] ^ flip);
            PutFile(changed, bytes);
            IStorage *root = nullptr;
            HRESULT hr = Open(changed, kStgOpenRead, &root);
            EXPECT_EQ(hr, at < 8 ? STG_E_FILEALREADYEXISTS : STG_E_DOCFILECORRUPT) << "byte " << at;
            EXPECT_EQ(root, nullptr);
        }
    }
}

TEST_F(StorageFile, ALaterVersionOfTheFormatIsReported)
{
    MakeSample(path_);
    std::string bytes = FileBytes(path_);
    PutU32(bytes, 8, 2);
    PutU32(bytes, 20, Crc32(bytes, 0, 20));
    PutFile(path_, bytes);
    IStorage *root = nullptr;
    EXPECT_EQ(Open(path_, kStgOpenRead, &root), STG_E_OLDDLL);
}

TEST_F(StorageFile, DamageThatTheCheckSumsMissStillFailsCleanly)
{
    // A hostile file whose sums are right: the lengths and names are checked on their own.
    MakeSample(path_);
    std::string good = FileBytes(path_);
    auto reseal = [](std::string bytes) {
        PutU32(bytes, 12, static_cast<DWORD>(bytes.size() - 24));
        PutU32(bytes, 16, Crc32(bytes, 24, bytes.size() - 24));
        PutU32(bytes, 20, Crc32(bytes, 0, 20));
        return bytes;
    };
    std::vector<std::string> hostile;
    std::string huge = good;
    PutU32(huge, 24, 0xFFFFFFFFu); // a count of elements far beyond the bytes
    hostile.push_back(reseal(huge));
    hostile.push_back(reseal(good.substr(0, good.size() - 1)));
    std::string badType = good;
    badType[28] = 7;
    hostile.push_back(reseal(badType));
    std::string badName = good;
    badName[30] = '/';
    hostile.push_back(reseal(badName));
    std::string longName = good;
    longName[29] = 32;
    hostile.push_back(reseal(longName));
    // Two elements of one name, in two cases.
    std::string twice = std::string(24, '\0') + std::string("\x02\x00\x00\x00", 4) +
                        std::string("\x02\x01" "a\0" "\0\0\0\0", 8) + std::string("\x02\x01" "A\0" "\0\0\0\0", 8);
    twice.replace(0, 8, good.substr(0, 8));
    PutU32(twice, 8, 1);
    hostile.push_back(reseal(twice));
    for (size_t i = 0; i < hostile.size(); i++) {
        PutFile(path_, hostile[i]);
        IStorage *root = nullptr;
        EXPECT_EQ(Open(path_, kStgOpenRead, &root), STG_E_DOCFILECORRUPT) << "case " << i;
        EXPECT_EQ(root, nullptr);
    }
    // The same construction with one name is a sound file.
    std::string once = twice.substr(0, 24) + std::string("\x01\x00\x00\x00", 4) + twice.substr(28, 8);
    PutFile(path_, reseal(once));
    IStorage *root = nullptr;
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    EXPECT_EQ(ElementNames(root), std::vector<std::u16string>{u"a"});
    root->Release();
}

TEST_F(StorageFile, StoragesNestedBeyondTheLimitAreRefused)
{
    // 129 storages, one inside the other: one level more than a tree may have.
    std::string body;
    for (int level = 0; level < 129; level++)
        body += std::string("\x01\x00\x00\x00" "\x01\x01" "s\0", 8);
    body += std::string("\0\0\0\0", 4);
    std::string bytes = std::string("\x89QSTG\r\n\x1a", 8) + std::string(16, '\0') + body;
    PutU32(bytes, 8, 1);
    PutU32(bytes, 12, static_cast<DWORD>(body.size()));
    PutU32(bytes, 16, Crc32(bytes, 24, body.size()));
    PutU32(bytes, 20, Crc32(bytes, 0, 20));
    PutFile(path_, bytes);
    IStorage *root = nullptr;
    EXPECT_EQ(Open(path_, kStgOpenRead, &root), STG_E_DOCFILECORRUPT);
    // One level less is a sound file.
    bytes.erase(24, 8);
    PutU32(bytes, 12, static_cast<DWORD>(bytes.size() - 24));
    PutU32(bytes, 16, Crc32(bytes, 24, bytes.size() - 24));
    PutU32(bytes, 20, Crc32(bytes, 0, 20));
    PutFile(path_, bytes);
    ASSERT_EQ(Open(path_, kStgOpenRead, &root), S_OK);
    root->Release();
}

TEST_F(StorageFile, AFileLargerThanATreeCanBeIsNotRead)
{
    MakeSample(path_);
    ASSERT_EQ(truncate(path_.c_str(), (off_t(256) << 20) + 25), 0); // sparse: no disk used
    IStorage *root = nullptr;
    EXPECT_EQ(Open(path_, kStgOpenRead, &root), STG_E_DOCFILETOOLARGE);
}

} // namespace
