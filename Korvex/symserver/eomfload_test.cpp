// Loading EOMF program files through the engine's LoadFile request: the recogniser table
// chooses the EOMF reader, whose rows are held against those worked out by hand from
// the records of the hand-assembled program.
#include "querytesting.h"

#include <dbschema.h>
#include <eomfrecord.h>
#include <eomftesting.h>
#include <hostreports.h>
#include <programinfo.h>
#include <qelsymbol.h>
#include <symboltables.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string N(LONG value)
{
    return std::to_string(value);
}

std::string Join(std::initializer_list<std::string> fields)
{
    std::string text;
    for (const std::string &field : fields)
        text += (text.empty() ? "" : " ") + field;
    return text;
}

template <class Recordset, class Row>
std::vector<std::string> Rows(CdbDatabase *database, Row row)
{
    std::vector<std::string> rows;
    Recordset rs(database);
    for (rs.Open(); !rs.IsEOF(); rs.MoveNext())
        rows.push_back(row(rs));
    return rows;
}

class EomfLoadTest : public querytest::QueryTest {
protected:
    std::string WriteProgram(const char *name, const std::vector<BYTE> &bytes)
    {
        const std::string path = (m_folder / name).string();
        EXPECT_TRUE(WriteEomfFile(path, bytes));
        return path;
    }

    int LoadStatus(const std::string &path, std::string *text = nullptr)
    {
        std::unique_ptr<CSymbolRequest> done = LoadRequest(path, 1);
        if (!done)
            return -100;
        if (text != nullptr)
            *text = static_cast<LPCSTR>(done->m_strErrorText);
        if (done->m_nStatus == StatusSuccess) {
            CComQIPtr<IProgramInfo> info(done->m_pProgramInfo);
            m_nKind = info != nullptr ? static_cast<CProgramInfo *>(info.p)->m_nType : -1;
        }
        return done->m_nStatus;
    }

    // Reads every module as the engine's idle pass would, between requests.
    void ReadAllModules()
    {
        CDBModuls moduls(Database());
        const LONG count = moduls.GetRecordCount();
        moduls.Close();
        for (LONG modul = 1; modul <= count; ++modul)
            ASSERT_EQ(m_engine->CurrentReader->ReadModules(modul, 0), 1) << modul;
    }

    std::vector<std::string> DatabasesIn() const
    {
        std::vector<std::string> found;
        for (const auto &entry : fs::directory_iterator(m_folder))
            if (entry.path().extension() == ".mdb")
                found.push_back(entry.path().string());
        return found;
    }

    std::vector<std::string> TraceTexts() const
    {
        std::vector<std::string> texts;
        for (const auto &line : m_reports->TraceLines())
            texts.push_back(line.text);
        return texts;
    }

    LONG m_nKind = -1;
};

TEST_F(EomfLoadTest, TheHandProgramLoadsAsKind3WithTheRowsItsRecordsGive)
{
    ASSERT_EQ(LoadStatus(WriteProgram("hand.obj", EomfHandProgram())), StatusSuccess);
    EXPECT_EQ(m_nKind, QEL_PROGRAM_EOMF);
    ReadAllModules();
    CdbDatabase *db = Database();

    EXPECT_EQ(Rows<CDBSectionsBinary>(db, [](CDBSectionsBinary &s) {
                  return Join({N(s.m_SectionIndex), std::string(s.m_Name), N(s.m_Type), N(s.m_AddressMode),
                               N(s.m_AddressValue), N(s.m_Length)});
              }),
              (std::vector<std::string>{
                  "0 ?C_VECTOR_TABLE_0h 1 1 0 4", // the vector table, from the first pass
                  "1 CODE1 1 1 512 32",
                  "2 CODE2 1 1 1024 16",
                  "3 DATA1 3 1 114688 16",
                  "4 unnamed5 3 1 64768 2", // 9 bits from bit 4
                  "5 unnamed6 3 1 131072 65535",
              }));
    EXPECT_EQ(Rows<CDBModuls>(db, [](CDBModuls &m) {
                  return Join({N(m.m_ModulIndex), std::string(m.m_Name), N(m.m_Offset), N(m.m_Analyzed)});
              }),
              (std::vector<std::string>{"1 MAIN 183 1", "2 START 634 1"}));
    // The input-file comment names "main.c"; the dependency list gives its path.
    EXPECT_EQ(Rows<CDBSourceFiles>(db, [](CDBSourceFiles &f) {
                  return Join({N(f.m_SourceFileIndex), std::string(f.m_Name), std::string(f.m_EntryInFile),
                               N(f.m_Type)});
              }),
              (std::vector<std::string>{"1 MAIN.C C:\\SRC\\MAIN.C 1000"}));
    EXPECT_EQ(Rows<CDBModulSourceFileRel>(db, [](CDBModulSourceFileRel &r) {
                  return Join({N(r.m_ModulIndex), N(r.m_SourceFileIndex)});
              }),
              (std::vector<std::string>{"1 1"}));
    EXPECT_EQ(Rows<CDBModulSectionRel>(db, [](CDBModulSectionRel &r) {
                  return Join({N(r.m_ModulIndex), N(r.m_SectionIndex)});
              }),
              (std::vector<std::string>{"1 1", "1 2", "1 3"}));
    EXPECT_EQ(Rows<CDBSectionSourceFileRel>(db, [](CDBSectionSourceFileRel &r) {
                  return Join({N(r.m_SectionIndex), N(r.m_SourceFileIndex)});
              }),
              (std::vector<std::string>{"1 1", "2 1", "3 1"}));
    // "init", the first procedure, lies in CODE2, which has no lines: it has no row, and
    // "main" keeps FunctionIndex 2. Its type is far function returning int.
    EXPECT_EQ(Rows<CDBFunctions>(db, [](CDBFunctions &f) {
                  return Join({N(f.m_FunctionIndex), std::string(f.m_Name), N(f.m_AddressMode), N(f.m_AddressValue),
                               N(f.m_Length), N(f.m_ReturnType), N(f.m_Scope), N(f.m_CallType), N(f.m_SectionIndex)});
              }),
              (std::vector<std::string>{"2 main 1 512 8 68 -1 2 1"}));
    EXPECT_EQ(Rows<CDBTypeInfo>(db, [](CDBTypeInfo &t) {
                  return Join({N(t.m_TypeIndex), N(t.m_ModulIndex), N(t.m_TypeID), std::string(t.m_Name),
                               N(t.m_Data_1), N(t.m_Data_2), N(t.m_Data_3), N(t.m_Data_4)});
              }),
              (std::vector<std::string>{
                  "65 0 0 bit 1 13 0 0",
                  "66 0 0 char 8 1 0 0",
                  "67 0 0 unsigned char 8 2 0 0",
                  "68 0 0 int 16 9 0 0",
                  "69 0 0 unsigned int 16 10 0 0",
                  "70 0 0 long 32 5 0 0",
                  "71 0 0 unsigned long 32 6 0 0",
                  "72 0 0 float 32 7 0 0",
                  "73 0 0 double 64 8 0 0",
                  "74 0 0 void 0 0 0 0",
                  // counter: int [3][4], two array rows.
                  "133 0 4  131072 3 0 0",
                  "131072 0 4  68 4 0 0",
                  // head: a near pointer to the struct that comes after it, which points to
                  // itself.
                  "128 0 3  129 0 0 0",
                  "129 0 5 node 32 2 0 0",
                  "131073 0 11 val 68 0 0 129",
                  "131074 0 11 next 128 16 0 129",
                  // fp: a near pointer to a far function of one parameter.
                  "135 0 3  131 0 0 0",
                  "131 0 9  68 1 -1 0",
                  "131075 0 10  66 0 0 131",
                  // st: a signed bit-field of 3 bits at 2.
                  "134 0 2  3 2 1 0",
              }));
    EXPECT_EQ(Rows<CDBSymbolInfo>(db, [](CDBSymbolInfo &s) {
                  return Join({N(s.m_ModulIndex), N(s.m_SymbolID), N(s.m_ScopeIndex), std::string(s.m_Name),
                               N(s.m_Data_1), N(s.m_Data_2), N(s.m_Data_3), N(s.m_Data_4), N(s.m_Data_5),
                               N(s.m_Data_6)});
              }),
              (std::vector<std::string>{
                  // The globals pass: MAIN, compiled from C.
                  "1 5 1 counter 133 1 114688 0 -1 -1",
                  "1 5 1 head 128 1 114700 0 -1 -1",
                  "1 5 1 fp 135 1 114702 0 -1 -1",
                  "1 13 1 main 1 1 512 0 -1 -1",
                  "1 5 1 flag 65 1073741825 64768 5 -1 -1",
                  "1 4 1 st 134 1 49160 -1 1 -1",
                  "1 13 1 lbl 2 1 518 0 -1 -1",
                  // START, assembler.
                  "2 13 2 ?C_STARTUP 2 1 0 0 -1 -1",
                  "2 6 2 stk 14 1 49166 0 -1 -1",
                  // The module pass of MAIN: blocks (scope: module 1, block n), the
                  // parameters c (RH1, register 25 of the map) and k, and the local i
                  // of the block right after main's, with their lifetimes.
                  "1 8 262145  1 1 1024 4 -1 -1",
                  "1 8 262146  2 1 512 8 -1 -1",
                  "1 1 2 c 66 5 0 1 -1 -1",
                  "1 1 2 k 68 5 1 1 -1 -1",
                  "1 8 262147  3 1 514 4 -1 -1",
                  "1 12 2  514 3 5 -1 -1 -1",
                  "1 12 2  518 6 -1 -1 -1 -1",
                  "1 2 262147 i 68 5 2 1 -1 -1",
                  "1 12 0  512 3 25 -1 -1 -1",
                  "1 12 0  520 6 -1 -1 -1 -1",
                  "1 12 1  512 2 -4 0 -1 -1",
                  "1 12 1  520 6 -1 -1 -1 -1",
                  "1 14 1 lbl 2 1 518 0 -1 -1",
                  // The module pass of START.
                  "2 7 2 tmp 17 1 49167 -1 -1 -1",
                  "2 7 2 bflag 13 1073741825 64768 1 -1 -1",
              }));
    EXPECT_EQ(Rows<CDBSourceLines>(db, [](CDBSourceLines &l) {
                  return Join({N(l.m_SourceLine), N(l.m_SectionIndex), N(l.m_SourceFileIndex), N(l.m_AddressMode),
                               N(l.m_AddressValue), N(l.m_Length)});
              }),
              (std::vector<std::string>{"10 1 1 1 512 -1", "11 1 1 1 516 -1"}));
    std::vector<std::string> registers = Rows<CDBRegisterMap>(
        db, [](CDBRegisterMap &r) { return Join({N(r.m_Number), std::string(r.m_Name)}); });
    ASSERT_EQ(registers.size(), 32u);
    EXPECT_EQ(registers[0], "0 R0");
    EXPECT_EQ(registers[15], "15 R15");
    EXPECT_EQ(registers[16], "16 RL0");
    EXPECT_EQ(registers[25], "25 RH1");
    EXPECT_EQ(registers[31], "31 RH7");

    // The PEDATA and VECTAB data, merged with alignment 2: 0x403 is odd, so the byte at
    // 0x404 joins its block across one byte of 0xFF.
    std::vector<std::string> blocks;
    for (const auto &block : m_host->Downloads()->Blocks()) {
        std::string text = N(block.start) + " " + N(block.kind) + ":";
        for (BYTE b : block.bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", b);
            text += hex;
        }
        blocks.push_back(text);
    }
    // The host takes code as kind 0, data as kind 2.
    EXPECT_EQ(blocks, (std::vector<std::string>{"0 0: FA 00 00 02", "512 0: CC 00 CC 00 CB 00 CB 00",
                                                "1024 0: CB 00 CC FF 00", "114688 2: 12 34"}));
}

TEST_F(EomfLoadTest, ASecondLoadReusesTheDatabaseAndATouchedFileRebuildsIt)
{
    const std::string program = WriteProgram("hand.obj", EomfHandProgram());
    ASSERT_EQ(LoadStatus(program), StatusSuccess);
    auto counts = [this]() {
        CdbDatabase *db = Database();
        return std::vector<LONG>{CDBSectionsBinary(db).GetRecordCount(), CDBModuls(db).GetRecordCount(),
                                 CDBTypeInfo(db).GetRecordCount(), CDBSymbolInfo(db).GetRecordCount(),
                                 CDBFunctions(db).GetRecordCount(), CDBRegisterMap(db).GetRecordCount(),
                                 CDBSourceFiles(db).GetRecordCount()};
    };
    const std::vector<LONG> first = counts();
    EXPECT_EQ(first, (std::vector<LONG>{6, 2, 20, 9, 1, 32, 1}));
    const size_t blocks = m_host->Downloads()->Blocks().size();
    ASSERT_EQ(LoadStatus(program), StatusSuccess);
    EXPECT_EQ(counts(), first);
    // The image is downloaded again, and the modules still read from the reused rows.
    EXPECT_EQ(m_host->Downloads()->Blocks().size(), blocks + 4);
    ReadAllModules();
    EXPECT_EQ(CDBSymbolInfo(Database()).GetRecordCount(), 24);
    EXPECT_EQ(CDBSourceLines(Database()).GetRecordCount(), 2);

    struct timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 2, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, program.c_str(), later, 0), 0);
    ASSERT_EQ(LoadStatus(program), StatusSuccess);
    EXPECT_EQ(counts(), first);
}

TEST_F(EomfLoadTest, DamagedFilesFailWithStatus7AndLeaveNoDatabase)
{
    const std::vector<BYTE> &hand = EomfHandProgram();
    std::vector<BYTE> badChecksum = hand;
    badChecksum[337 + 7] ^= 1; // a data byte of the first PEDATA
    const std::vector<BYTE> cutInModule(hand.begin(), hand.begin() + kEomfStartStart + 3);
    const std::vector<BYTE> lheadr = {0x82, 0x03, 0x00, 0x01, 'P', 0x2A};
    const std::vector<BYTE> theadr = {0x80, 0x03, 0x00, 0x01, 'M', 0x2F};
    const std::vector<BYTE> modend = {0x8A, 0x01, 0x00, 0x75};
    auto file = [](std::initializer_list<std::vector<BYTE>> parts) {
        std::vector<BYTE> bytes;
        for (const auto &part : parts)
            bytes.insert(bytes.end(), part.begin(), part.end());
        return bytes;
    };
    struct Case {
        const char *what;
        std::vector<BYTE> bytes;
        const char *text;
    } cases[] = {
        {"bad checksum", badChecksum, "record at offset 337 has a bad checksum"},
        {"cut inside START", cutInModule, "truncated at offset 634"},
        {"no MODEND before the cut", file({lheadr, theadr, {0x8A, 0x01}}), "truncated at offset 12"},
        // L = 4: the address and type of PEDATA need four bytes before the checksum.
        {"short PEDATA", file({lheadr, theadr, {0xB9, 0x04, 0x00, 0x00, 0x00, 0x02, 0x41}, modend}),
         "PEDATA record at offset 12 is too short"},
        {"short SECDEF", file({lheadr, {0xB0, 0x05, 0x00, 0x80, 0x00, 0x00, 0x00, 0xCB}, modend}),
         "SECDEF record at offset 6 is too short"},
    };
    for (const Case &c : cases) {
        std::string text;
        EXPECT_EQ(LoadStatus(WriteProgram("damaged.obj", c.bytes), &text), 7) << c.what;
        EXPECT_NE(text.find(c.text), std::string::npos) << c.what << ": " << text;
        EXPECT_TRUE(DatabasesIn().empty()) << c.what;
        EXPECT_TRUE(m_host->Downloads()->Blocks().empty()) << c.what;
    }
}

TEST_F(EomfLoadTest, AShortDebugRecordIsSkippedWithATrace)
{
    const std::vector<BYTE> file = {
        0x82, 0x03, 0x00, 0x01, 'P', 0x2A,                 // LHEADR "P"
        0x80, 0x03, 0x00, 0x01, 'M', 0x2F,                 // THEADR "M"
        0x88, 0x07, 0x00, 0x00, 0x00, 'C', '1', '6', '6', 0x91, // COMMENT Translator "C166"
        // PUBDEF, base 0, an entry whose name of 3 characters is cut off.
        0xB3, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x44,
        0x8A, 0x01, 0x00, 0x75,                            // MODEND
    };
    ASSERT_EQ(LoadStatus(WriteProgram("short.obj", file)), StatusSuccess);
    EXPECT_EQ(CDBModuls(Database()).GetRecordCount(), 1);
    EXPECT_EQ(CDBSymbolInfo(Database()).GetRecordCount(), 0);
    bool shortTraced = false;
    for (const std::string &text : TraceTexts())
        shortTraced |= text.find("PUBDEF record at offset 22 is shorter than its fields") != std::string::npos;
    EXPECT_TRUE(shortTraced);
}

// A file cut between two records looks whole record by record: only a module without
// its MODEND, or no module ended at all, tells that the rest is missing. A cut right
// after a MODEND leaves a program of fewer modules, which nothing tells from one that
// was built so.
TEST_F(EomfLoadTest, EveryCutBetweenRecordsBeforeTheLastModendFailsWithStatus7)
{
    int cuts = 0;
    for (const char *name : {"c-near.obj", "deplst-mixed.obj"}) {
        std::ifstream in(fs::path(kQelSourceDir) / "testdata/eomf" / name, std::ios::binary);
        const std::vector<BYTE> whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        CEomfCursor records(whole.data(), static_cast<DWORD>(whole.size()));
        EomfRecord record;
        BYTE previous = 0;
        for (auto result = records.First(0, &record); result == CEomfCursor::RECORD; result = records.Next(&record)) {
            const BYTE type = record.Type;
            if (record.Offset == 0 || previous == EOMF_MODEND) {
                previous = type;
                continue;
            }
            previous = type;
            ++cuts;
            const std::string cut = name + std::string(" cut at ") + std::to_string(record.Offset);
            std::string text;
            EXPECT_EQ(LoadStatus(WriteProgram("cut.obj", std::vector<BYTE>(whole.begin(), whole.begin() + record.Offset)),
                                 &text),
                      7)
                << cut;
            EXPECT_NE(text.find("truncated at offset " + std::to_string(record.Offset)), std::string::npos)
                << cut << ": " << text;
            EXPECT_TRUE(DatabasesIn().empty()) << cut;
            EXPECT_TRUE(m_host->Downloads()->Blocks().empty()) << cut;
        }
    }
    EXPECT_GT(cuts, 70);
}

// The samples of testdata/eomf and what their descriptions give, table by table
// (make-eomf.py): every table as the primary index orders it, and the download.
struct EomfSample {
    std::map<std::string, std::vector<std::string>> tables; // the header line first
    std::vector<std::string> download;
    int status = 0;
    std::string text;
};

EomfSample ReadSample(const std::string &expectPath)
{
    EomfSample sample;
    std::ifstream in(expectPath);
    std::string line;
    std::vector<std::string> *current = nullptr;
    while (std::getline(in, line)) {
        if (line.rfind("status ", 0) == 0) {
            sample.status = std::stoi(line.substr(7));
            sample.text = line.substr(line.find(' ', 7) + 1);
        } else if (line == "[download]") {
            current = &sample.download;
        } else if (!line.empty() && line[0] == '[') {
            current = &sample.tables[line.substr(1, line.size() - 2)];
        } else if (current != nullptr) {
            current->push_back(line);
        }
    }
    return sample;
}

std::string FieldText(const VARIANT &value)
{
    switch (value.vt) {
    case VT_I4:
        return std::to_string(value.lVal);
    case VT_I2:
        return std::to_string(value.iVal);
    case VT_BOOL:
        return value.boolVal != VARIANT_FALSE ? "1" : "0";
    case VT_BSTR: {
        std::string text;
        for (char c : QelHost::AnsiText(value.bstrVal))
            text += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return text;
    }
    default:
        return "";
    }
}

// The rows of `table` in the columns of the header line, as the primary index orders them.
std::vector<std::string> TableRows(CdbDatabase *database, const std::string &table, const std::string &header)
{
    std::vector<std::string> columns;
    for (size_t at = 0; at <= header.size();) {
        const size_t tab = std::min(header.find('\t', at), header.size());
        columns.push_back(header.substr(at, tab - at));
        at = tab + 1;
    }
    CString primary;
    for (const SymbolDatabaseTable &known : GetSymbolDatabaseTables())
        if (known.Name == table.c_str())
            primary = known.PrimaryIndex;
    CdbRecordset rows = database->OpenRecordset(table.c_str(), dbOpenTable);
    if (!primary.IsEmpty())
        rows.SetIndex(primary);
    std::vector<std::string> lines{header};
    if (rows.GetRecordCount() > 0)
        rows.MoveFirst();
    for (; !rows.IsEOF(); rows.MoveNext()) {
        std::string line;
        for (const std::string &column : columns)
            line += (line.empty() ? "" : "\t") + FieldText(rows.GetField(column.c_str()));
        lines.push_back(line);
    }
    return lines;
}

TEST_F(EomfLoadTest, EveryGeneratedProgramLoadsWithTheRowsAndTheDownloadOfItsDescription)
{
    const fs::path folder = fs::path(kQelSourceDir) / "testdata/eomf";
    int programs = 0;
    for (const auto &entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".obj")
            continue;
        ++programs;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const EomfSample sample = ReadSample(fs::path(entry.path()).replace_extension(".expect").string());
        const fs::path copy = m_folder / name;
        fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
        const size_t blocksBefore = m_host->Downloads()->Blocks().size();
        std::string text;
        const int status = LoadStatus(copy.string(), &text);
        ASSERT_EQ(status, sample.status) << text;
        if (status != StatusSuccess) {
            EXPECT_NE(text.find(sample.text), std::string::npos) << text;
            EXPECT_FALSE(fs::exists(fs::path(copy).replace_extension(".mdb")));
            EXPECT_EQ(m_host->Downloads()->Blocks().size(), blocksBefore);
            continue;
        }
        EXPECT_EQ(m_nKind, QEL_PROGRAM_EOMF);
        ReadAllModules();
        EXPECT_EQ(sample.tables.size(), 11u);
        for (const auto &table : sample.tables)
            EXPECT_EQ(TableRows(Database(), table.first, table.second.front()), table.second) << table.first;
        std::vector<std::string> blocks;
        const auto received = m_host->Downloads()->Blocks();
        for (size_t i = blocksBefore; i < received.size(); ++i) {
            std::string line = N(received[i].start) + "\t" + N(received[i].kind) + "\t";
            for (size_t b = 0; b < received[i].bytes.size(); ++b) {
                char hex[4];
                std::snprintf(hex, sizeof hex, b == 0 ? "%02X" : " %02X", received[i].bytes[b]);
                line += hex;
            }
            blocks.push_back(line);
        }
        EXPECT_EQ(blocks, sample.download);
    }
    EXPECT_GE(programs, 6);
}

} // namespace
