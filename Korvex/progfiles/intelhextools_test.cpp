// The HEX reader and writer against the GNU tools: images that arm-none-eabi-objcopy made
// from real ARM programs (testdata/ihex, with the script that made them) must be read to
// the memory that objcopy itself reads from them, and what the writer writes must be read
// by objcopy and by srecord to the same bytes at the same addresses. The committed files
// carry the check when the tools are missing; with the tools present the written files
// are handed to them as well.
#include "intelhexreader.h"
#include "intelhextesting.h"
#include "intelhexwriter.h"

#include <testing/buildpaths.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace SectionList;

namespace {

std::string TestData(const std::string &name)
{
    return std::string(kQelSourceDir) + "/testdata/ihex/" + name;
}

std::string Contents(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Sample {
    std::string name;
    DWORD lowest;
    DWORD entry;
};

std::vector<Sample> Samples()
{
    std::vector<Sample> samples;
    std::istringstream lines(Contents(TestData("images.txt")));
    Sample sample;
    while (lines >> sample.name >> std::hex >> sample.lowest >> sample.entry)
        samples.push_back(sample);
    EXPECT_EQ(samples.size(), 2u) << "testdata/ihex/images.txt";
    return samples;
}

// The image as objcopy -O binary gives it: from `lowest` on, gaps filled with zero.
std::string Flat(CSectionList &list, DWORD lowest)
{
    std::string flat;
    for (CSection *s = list.First(); s != nullptr; s = list.Next()) {
        EXPECT_GE(s->GetStart(), lowest);
        EXPECT_TRUE(s->HasData());
        if (s->GetStart() < lowest || !s->HasData())
            return "";
        flat.resize(s->GetStart() - lowest, '\0');
        flat.append(reinterpret_cast<const char *>(s->GetData()), s->GetLength());
    }
    return flat;
}

std::string Written(CSectionList &list)
{
    std::ostringstream stream;
    CIntelHexWriter writer;
    EXPECT_EQ(writer.WriteStream(list, stream), SLR_SUCCESS);
    return stream.str();
}

bool HaveTools()
{
    return system("command -v arm-none-eabi-objcopy >/dev/null 2>&1 && command -v srec_cmp >/dev/null 2>&1") == 0;
}

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        char pattern[] = "/tmp/qelihexXXXXXX";
        path_ = mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~TemporaryFolder()
    {
        if (!path_.empty()) {
            EXPECT_EQ(system(("rm -rf '" + path_ + "'").c_str()), 0);
        }
    }
    std::string File(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

int RunTool(const std::string &command)
{
    return system((command + " >/dev/null 2>&1").c_str());
}

// What objcopy reads from a HEX file, byte by byte, through its sparse Verilog output.
std::map<DWORD, BYTE> ObjcopyMemory(const TemporaryFolder &folder, const std::string &hex)
{
    std::map<DWORD, BYTE> memory;
    std::string verilog = folder.File("image.v");
    EXPECT_EQ(RunTool("arm-none-eabi-objcopy -I ihex -O verilog '" + hex + "' '" + verilog + "'"), 0);
    std::istringstream words(Contents(verilog));
    std::string word;
    DWORD address = 0;
    while (words >> word) {
        if (word[0] == '@')
            address = static_cast<DWORD>(strtoul(word.c_str() + 1, nullptr, 16));
        else
            memory[address++] = static_cast<BYTE>(strtoul(word.c_str(), nullptr, 16));
    }
    return memory;
}

std::map<DWORD, BYTE> Memory(CSectionList &list)
{
    std::map<DWORD, BYTE> memory;
    for (CSection *s = list.First(); s != nullptr; s = list.Next()) {
        for (DWORD i = 0; i < s->GetLength(); i++)
            memory[s->GetStart() + i] = s->GetData()[i];
    }
    return memory;
}

TEST(IntelHexTools, ReadsObjcopyImagesOfArmProgramsToTheMemoryObjcopyReads)
{
    for (const Sample &sample : Samples()) {
        const std::string bin = Contents(TestData(sample.name + ".bin"));
        ASSERT_FALSE(bin.empty()) << sample.name;
        for (const std::string suffix : {".hex", "-32.hex"}) {
            SCOPED_TRACE(sample.name + suffix);
            CSectionList list;
            ASSERT_EQ(list.ReadIntelHexFile(TestData(sample.name + suffix).c_str(), TRUE, 1), SLR_SUCCESS);
            ASSERT_GT(list.GetCount(), 0);
            EXPECT_EQ(list.First()->GetStart(), sample.lowest);
            EXPECT_EQ(Flat(list, sample.lowest), bin);
            EXPECT_EQ(list.GetStartAddress(), sample.entry) << "the whole start address";
        }
    }
}

TEST(IntelHexTools, WritesArmImagesAsCommitted)
{
    const bool update = getenv("QEL_UPDATE_TESTDATA") != nullptr;
    for (const Sample &sample : Samples()) {
        SCOPED_TRACE(sample.name);
        CSectionList list;
        ASSERT_EQ(list.ReadIntelHexFile(TestData(sample.name + ".hex").c_str(), TRUE, 1), SLR_SUCCESS);
        std::string written = Written(list);
        const std::string golden = TestData(sample.name + ".qel.hex");
        if (update)
            WriteFile(golden, written);
        EXPECT_EQ(written, Contents(golden)) << "testdata/ihex/make.sh checks the committed file with the tools";
    }
}

TEST(IntelHexTools, ObjcopyAndSrecordReadTheWrittenArmImages)
{
    if (!HaveTools())
        GTEST_SKIP() << "arm-none-eabi-objcopy or srec_cmp is not installed";
    TemporaryFolder folder;
    for (const Sample &sample : Samples()) {
        SCOPED_TRACE(sample.name);
        CSectionList list;
        ASSERT_EQ(list.ReadIntelHexFile(TestData(sample.name + ".hex").c_str(), TRUE, 1), SLR_SUCCESS);
        const std::string hex = folder.File("written.hex"), bin = folder.File("written.bin");
        ASSERT_EQ(list.WriteIntelHexFile(hex.c_str()), SLR_SUCCESS);
        ASSERT_EQ(RunTool("arm-none-eabi-objcopy -I ihex -O binary '" + hex + "' '" + bin + "'"), 0);
        EXPECT_EQ(Contents(bin), Contents(TestData(sample.name + ".bin")));
        EXPECT_EQ(RunTool("srec_cmp '" + hex + "' -intel '" + TestData(sample.name + ".hex") + "' -intel"), 0);
    }
}

TEST(IntelHexTools, ObjcopyAndSrecordReadEveryKindOfAddressRecordTheWriterWrites)
{
    if (!HaveTools())
        GTEST_SKIP() << "arm-none-eabi-objcopy or srec_cmp is not installed";
    // Below and across the first page break, a segment page, across 1 MB (where the writer
    // turns from segment to linear records), flash, and the top of the address space.
    CSectionList list;
    DWORD starts[] = {0x0000FFE0, 0x00030000, 0x000FFFF0, 0x0800FFF0, 0xFFFFFFC0};
    BYTE first = 1;
    for (DWORD start : starts) {
        std::vector<BYTE> bytes = Counting(0x40, first);
        ASSERT_EQ(list.AddRange(start, static_cast<DWORD>(bytes.size()), bytes.data(), SLAM_PLAIN), SLR_SUCCESS);
        first += 0x30;
    }
    TemporaryFolder folder;
    const std::string hex = folder.File("written.hex"), rewritten = folder.File("rewritten.hex");
    ASSERT_EQ(list.WriteIntelHexFile(hex.c_str()), SLR_SUCCESS);
    EXPECT_EQ(ObjcopyMemory(folder, hex), Memory(list));

    // objcopy writes the image again in its own way: srecord must see the same in both,
    // and so must the reader.
    ASSERT_EQ(RunTool("arm-none-eabi-objcopy -I ihex -O ihex '" + hex + "' '" + rewritten + "'"), 0);
    EXPECT_EQ(RunTool("srec_cmp '" + hex + "' -intel '" + rewritten + "' -intel"), 0);
    CSectionList back;
    ASSERT_EQ(back.ReadIntelHexFile(rewritten.c_str(), TRUE, 1), SLR_SUCCESS);
    EXPECT_EQ(Memory(back), Memory(list));
}

} // namespace
