#include "eomfcheck.h"
#include "eomfsections.h"

#include <gtest/gtest.h>

#include "eomftesting.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class EomfSectionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "qeleomf-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::string Write(const char *name, const std::vector<BYTE> &bytes)
    {
        const std::string path = (m_folder / name).string();
        EXPECT_TRUE(WriteEomfFile(path, bytes));
        return path;
    }

    int Recognise(const std::vector<BYTE> &bytes)
    {
        CEOMFCheck check;
        return check.IsFileOfType(Write("check.obj", bytes).c_str());
    }

    fs::path m_folder;
};

TEST_F(EomfSectionsTest, RecognisesFilesThatBeginWithAWholeLheadrOrDeplstRecord)
{
    const std::vector<BYTE> &program = EomfHandProgram();
    const std::vector<BYTE> fromLheadr(program.begin() + 31, program.end());
    struct Case {
        const char *what;
        std::vector<BYTE> bytes;
        int expected;
    } cases[] = {
        {"DEPLST first", program, 1},
        {"LHEADR first", fromLheadr, 1},
        // A THEADR is an EOMF record, but no file begins with one.
        {"THEADR first", std::vector<BYTE>(program.begin() + kEomfMainTheadr, program.end()), 0},
        {"first record as long as the file", {0x82, 0x04, 0x00, 0x00}, 0},
        {"first record longer than the file", {0x82, 0x09, 0x00, 0x00}, 0},
        {"bad checksum", {0x82, 0x02, 0x00, 0x00, 0x7D, 0x00}, 0},
        {"good checksum", {0x82, 0x02, 0x00, 0x00, 0x7C, 0x00, 0x8A}, 1},
        {"three bytes", {0x82, 0x00, 0x00}, 0},
        {"empty", {}, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Recognise(c.bytes), c.expected) << c.what;
}

// The dump of the hand program, record by record, as the record layouts give it.
TEST_F(EomfSectionsTest, DumpsEveryRecordKindOfTheHandProgram)
{
    const char *previous = std::getenv("TZ");
    const std::string keptZone = previous != nullptr ? previous : "";
    setenv("TZ", "UTC", 1);
    tzset();
    const std::string program = Write("hand.obj", EomfHandProgram());
    const std::string dumpPath = (m_folder / "hand.dmp").string();
    {
        CEOMFSections reader(1, nullptr);
        ASSERT_TRUE(reader.Open(program.c_str(), dumpPath.c_str())) << static_cast<LPCSTR>(reader.GetFailureText());
        ASSERT_EQ(reader.ReadSections(nullptr), 1) << static_cast<LPCSTR>(reader.GetFailureText());
        EXPECT_EQ(reader.GetSectionCount(), 6);
        EXPECT_EQ(reader.GetModuleCount(), 2);
        EXPECT_EQ(reader.GetProceduresBefore(2), 2);
        reader.Close();
    }
    if (previous != nullptr)
        setenv("TZ", keptZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    std::ifstream in(dumpPath);
    std::stringstream text;
    text << in.rdbuf();
    const std::string dump = text.str();

    const char *expected[] = {
        "\n#0: DEPLST record (L: 28) (CS: 4Ch)\nInput file:\n\tC:\\SRC\\MAIN.C\n\tThu Jan  1 00:00:00 1970\n"
        "Command line:\n\tcc166\n",
        "\n#31: LHEADR record (L: 6) (CS: 3Ch)\nName: PROG\n",
        "\n#40: LNAMES record (L: 25) (CS: FBh)\n    1: CODE1\n    2: CODE2\n    3: DATA1\n    4: CCODE\n",
        // The vector table of the first pass took section index 1.
        "Index:\t\t2\nTyp:\t\tCODE\nAddress:\t200h\nLength:\t\t32\nName:\t\tCODE1\nClass:\t\tCCODE\n",
        "Index:\t\t4\nTyp:\t\tDATA xhuge\nAddress:\t1C000h\nLength:\t\t16\nName:\t\tDATA1\nNo Class assigned\n",
        // 9 bits from bit 4 reach into a second byte.
        "\n#112: SECDEF record (L: 11) (CS: 3Bh)\nIndex:\t\t5\nTyp:\t\tBIT\nAddress:\tFD00h.4\nLength:\t\t2 (9 bits)\n"
        "Name:\t\tunnamed5\nNo Class assigned\n",
        "Index:\t\t6\nTyp:\t\tDATA\nAddress:\t20000h\nLength:\t\t65535\nName:\t\tunnamed6\nNo Class assigned\n",
        "\n#140: SECDEF record (L: 11) (CS: BFh)\nAbsolute file contains unexpected section type.\n\n#154: GRPDEF",
        "Name:\t\tDATA1\nSections:\t4 \n",
        "Address:\t\t0h\nLength:\t\t\t4h (3h)\nType:\t\t\tCODE\nData:\n      0h: FA 00 00 02 \n",
        "THEADR record (L: 6) (CS: 51h)\nName: MAIN\n",
        "Translator (NOPURGE):\n\tC166 V4\n",
        "Input file (PURGE):\n\tmain.c\n",
        "non segmented  no case  SMALL  no MOD167  no float  no double  \n",
        "TypeIndex:\t\t128\nKind of:\t\tPointer\nAttribute:\t\tData near\nTypeIndex:\t\t129\n",
        "TypeIndex:\t\t129\nKind of:\t\tStruct/Union\nName:\t\t\tnode (struct)\nSize:\t\t\t4\nMemberIndex:\t130\n",
        "TypeIndex:\t\t130\nKind of:\t\tComponent list\nComponents:\t\t2\n\t#\n\tName:\t\tval\n\tType:\t\tint\n"
        "\tOffset:\t\t0\n\t#\n\tName:\t\tnext\n\tTypeIndex:\t128\n\tOffset:\t\t2\n",
        "TypeIndex:\t\t131\nKind of:\t\tFunction\nAttribute:\t\tfar\nType:\t\t\tint\nParameterIndex:\t132\n",
        "Components:\t\t1\n\t#\n\tName:\t\tc\n\tType:\t\tchar\n\tParameter:\tRegister R3\n",
        "TypeIndex:\t\t133\nKind of:\t\tArray\nAttribute:\t\tnear (<= 16k)\nType:\t\t\tint\nDimension:\t\t[3][4]\n",
        "TypeIndex:\t\t134\nKind of:\t\tBitfield\nType:\t\t\tint\nOffset:\t\t\t2\nWidth:\t\t\t3\n",
        "TypeIndex:\t\t135\nKind of:\t\tPointer\nAttribute:\t\tFunction near\nTypeIndex:\t\t131\n",
        "Address:\t\t404h\nLength:\t\t\t1h (404h)\nType:\t\t\tCODE\nData:\n    404h: 00 \n",
        "Address:\t\t1C000h\nLength:\t\t\t2h (1C001h)\nType:\t\t\tDATA\nData:\n  1C000h: 12 34 \n",
        "BlockIndex:\t\t1 (MAIN)\nBase address:\t0h\nName:\t\t\tinit (procedure)\nOffset:\t\t\t400h (400h)\n"
        "Length:\t\t\t4h (403h)\nType:\t\t\tvoid\n",
        "BlockIndex:\t\t2 (MAIN)\nBase address:\t0h\nName:\t\t\tmain (procedure)\nOffset:\t\t\t200h (200h)\n"
        "Length:\t\t\t8h (207h)\nTypeIndex:\t\t131\n",
        "Block index:\t2 (MAIN)\n\t#\n\tName:\t\t\tc\n\tKind of:\t\tREGISTER VARIABLE\n\tLocation:\t\tRH1\n"
        "\tType:\t\t\tchar\n\t#\n\tName:\t\t\tk\n\tKind of:\t\tSTACK VARIABLE\n\tLocation:\t\t[R0-#4]\n\tType:\t\t\tint\n",
        "BlockIndex:\t\t3 (MAIN)\nBase address:\t0h\nName:\t\t\t\nOffset:\t\t\t202h (202h)\nLength:\t\t\t4h (205h)\n\n#",
        "\tName:\t\t\ti\n\tKind of:\t\tREGISTER VARIABLE\n\tLocation:\t\tR5\n\tType:\t\t\tint\n",
        "LINNUM record (L: 13) (CS: ",
        "   10:    200h\n   11:    204h\n",
        "Base address:\t10000h\n\t#\n\tName:\t\t\tcounter\n\tKind of:\t\tVARIABLE\n\tLocation:\t\tC000h (1C000h)\n"
        "\tTypeIndex:\t\t133\n",
        // Bit 7 of the info byte negates the value.
        "\tName:\t\t\tmain\n\tKind of:\t\tLABEL\n\tLocation:\t\tFFFF0200h (200h)\n\tType:\t\t\tnear\n",
        "Base address:\tC000h\n\t#\n\tName:\t\t\tflag\n\tKind of:\t\tBIT\n\tLocation:\t\t3D00.5 (FD00.5)\n"
        "\tType:\t\t\tbit\n",
        "\tName:\t\t\tlbl\n\tKind of:\t\tLABEL\n\tLocation:\t\t206h (206h)\n\tType:\t\t\tfar\n",
        "Logical address\nName:\t\t\t\tRB\nPrivate register:\tR0 R1 R2 R3 R4 R5 R6 R7 \nCommon areas:\t\t1\n\t#\n"
        "\tName:\t\t\tCOM\n\tCommon register:\tR8 R9 \n",
        "Used PEC channels:\tPEC0 PEC2 \n",
        "Stack size:\t64\n",
        "\n#615: Value(?): ",
        " record (L: 2) (CS: BCh)\nUnknown record type\n",
        "\n#620: MODEND record (L: 1) (CS: 75h)\n\n#624: THEADR",
        "Translator (PURGE):\n\tA166\n",
        "\tName:\t\t\tbflag\n\tKind of:\t\tBIT\n\tLocation:\t\tFD00.1 (FD00.1)\n\tType:\t\t\tbit\n",
        "\n#701: MODEND record (L: 1) (CS: 75h)\n"
        "The 2 bytes after the last module from offset 705 make no whole record; they are not read.\n",
    };
    for (const char *piece : expected)
        EXPECT_NE(dump.find(piece), std::string::npos) << "missing:\n" << piece;
}

TEST_F(EomfSectionsTest, TheWalkEndsExactlyAtTheLastByteOfTheFile)
{
    std::vector<BYTE> program = EomfHandProgram();
    program.resize(kEomfPadding); // the last record ends at the end of the file
    CEOMFSections whole(1, nullptr);
    ASSERT_TRUE(whole.Open(Write("whole.obj", program).c_str(), nullptr));
    EXPECT_EQ(whole.ReadSections(nullptr), 1);
    EXPECT_EQ(whole.GetModuleCount(), 2);

    // One byte short, the last MODEND does not fit: the file ends inside START.
    program.resize(kEomfPadding - 1);
    CEOMFSections cut(1, nullptr);
    ASSERT_TRUE(cut.Open(Write("cut.obj", program).c_str(), nullptr));
    EXPECT_EQ(cut.ReadSections(nullptr), 0);
    EXPECT_EQ(cut.GetFailureStatus(), 7);
    EXPECT_NE(cut.GetFailureText().Find("truncated at offset 701"), -1) << static_cast<LPCSTR>(cut.GetFailureText());
}

TEST_F(EomfSectionsTest, TheSectionSearchHoldsRangesWithoutWrappingAtTheTopOfTheAddressSpace)
{
    // A file of one CODE section at FFFFFFF0h, 16 bytes.
    const std::vector<BYTE> file = {
        0x82, 0x02, 0x00, 0x00, 0x7C,                         // LHEADR, no name
        0xB0, 0x0B, 0x00, 0x80, 0x00, 0xFF, 0xFF, 0xF0, 0xFF, // SECDEF CODE at FFFFh:FFF0h
        0x10, 0x00, 0x00, 0x00, 0xC8,                         // 16 bytes, no names; checksum
        0x8A, 0x01, 0x00, 0x75,                               // MODEND
    };
    CEOMFSections reader(1, nullptr);
    ASSERT_TRUE(reader.Open(Write("top.obj", file).c_str(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1) << static_cast<LPCSTR>(reader.GetFailureText());
    ASSERT_EQ(reader.GetSectionCount(), 1);
    EXPECT_EQ(reader.FindSection(1, 0xFFFFFFF0u, 16), 0);
    EXPECT_EQ(reader.FindSection(1, 0xFFFFFFFFu, 0), 0);
    EXPECT_EQ(reader.FindSection(1, 0xFFFFFFF8u, 9), -1);
    EXPECT_EQ(reader.FindSection(1, 0xFFFFFFFFu, 2), -1);
    EXPECT_EQ(reader.FindSection(2, 0xFFFFFFF0u, 1), -1);
}

} // namespace
