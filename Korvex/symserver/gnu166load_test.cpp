// Loading a GNU C166 program through the engine's LoadFile request: a program assembled
// here byte by byte, whose rows are worked out by hand from the file layout.
#include "querytesting.h"

#include <c16xinfo.h>
#include <programinfo.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

void Word(std::vector<BYTE> &out, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// One symbol: name offset, type, other, description, value.
void Symbol(std::vector<BYTE> &out, DWORD name, BYTE type, WORD description, DWORD value)
{
    Word(out, name);
    out.push_back(type);
    out.push_back(0);
    out.push_back(static_cast<BYTE>(description));
    out.push_back(static_cast<BYTE>(description >> 8));
    Word(out, value);
}

// The program: module "fx" with one function, one line, two special labels and a bss
// symbol that no N_GSYM names; code at 200h, data at 9000h, two special jumps at 300h.
std::vector<BYTE> Fixture(DWORD symbolsSize = 8 * 12)
{
    std::vector<BYTE> file;
    Word(file, 0x04FD0107);  // magic 107h, code FDh (C167 regparm), model 4 (large)
    Word(file, 8);           // text size
    Word(file, 4);           // data size
    Word(file, 2);           // bss size
    Word(file, symbolsSize); // symbol table size: 8 symbols of 12 bytes
    Word(file, 0x200);       // start address
    Word(file, 0);           // text relocations
    Word(file, 0);           // data relocations
    for (BYTE b : {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88})
        file.push_back(b); // text image, offset 32
    for (BYTE b : {0xAA, 0xBB, 0xCC, 0xDD})
        file.push_back(b); // data image, offset 40
    // The symbol table, offset 44; the string offsets are those of the table below.
    Symbol(file, 4, 0x04, 0, 0x200);   // 1 "fx.text": N_TEXT, module fx opens at 200h
    Symbol(file, 12, 0x64, 0, 0);      // 2 "fx.c": N_SO
    Symbol(file, 17, 0x24, 0, 0x200);  // 3 "go:F1": N_FUN, global, returns type 1
    Symbol(file, 0, 0x44, 5, 0x200);   // 4 "": N_SLINE, line 5 at 200h
    Symbol(file, 23, 0x04, 0, 0x208);  // 5 "fx.end": N_TEXT, module fx ends at 208h
    Symbol(file, 30, 0x05, 0, 0x300);  // 6 "X167Call": N_TEXT|N_EXT
    Symbol(file, 39, 0x05, 0, 0x304);  // 7 "X167Ret": N_TEXT|N_EXT
    Symbol(file, 47, 0x09, 0, 0x9100); // 8 "_v": N_BSS|N_EXT
    // The string table, offset 140: its size, then the names.
    const char strings[] = "fx.text\0fx.c\0go:F1\0fx.end\0X167Call\0X167Ret\0_v";
    Word(file, 4 + sizeof strings);
    file.insert(file.end(), strings, strings + sizeof strings);
    const DWORD table = static_cast<DWORD>(file.size()); // T: the string table ends here
    Word(file, 0);
    // The section table at T + 4: type, length, address.
    Word(file, 1), Word(file, 8), Word(file, 0x200);             // code, from the text image
    Word(file, 2), Word(file, 4), Word(file, 0x9000);            // data, from the data image
    Word(file, 0xB), Word(file, 0xEA000200), Word(file, 0x300);  // a jump: its length is its code
    Word(file, 0xB), Word(file, 0xEA000204), Word(file, 0x304);  // and the next, without a gap
    // T and a word after it: the entries end 8 bytes before the end of the file.
    Word(file, table);
    Word(file, 0);
    return file;
}

class Gnu166LoadTest : public querytest::QueryTest {
protected:
    fs::path Write(const std::vector<BYTE> &bytes)
    {
        const fs::path path = m_folder / "fixture.a166";
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // The rows of `table` in the order of `order`, each as its values joined by '|'.
    std::vector<std::string> Rows(const char *table, const char *columns, const char *order)
    {
        std::vector<std::string> rows;
        CdbRecordset rs = Database()->OpenRecordset(CString("SELECT ") + columns + " FROM " + table + " ORDER BY " +
                                                    order, dbOpenSnapshot);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string row;
            for (LONG f = 0; f < rs.Fields.GetCount(); ++f) {
                CdbVariant value = rs.Fields[f].GetValue();
                row += f > 0 ? "|" : "";
                if (value.vt == VT_BSTR)
                    row += static_cast<LPCSTR>(CString(value.bstrVal));
                else if (value.vt == VT_BOOL)
                    row += value.boolVal ? "1" : "0";
                else if (value.vt == VT_I4)
                    row += std::to_string(value.lVal);
            }
            rows.push_back(row);
        }
        return rows;
    }

    CGNUC16xInfo *Info(const CComPtr<IUnknown> &object)
    {
        CComQIPtr<IProgramInfo> info(object);
        return dynamic_cast<CGNUC16xInfo *>(static_cast<CProgramInfo *>(info.p));
    }

    LONG Status(const std::unique_ptr<CSymbolRequest> &done) { return done ? done->m_nStatus : -1; }
};

TEST_F(Gnu166LoadTest, LoadsTheProgramAsItsLayoutSays)
{
    const fs::path path = Write(Fixture());
    std::unique_ptr<CSymbolRequest> done = LoadRequest(path, 3);
    ASSERT_EQ(Status(done), StatusSuccess) << done->m_strErrorText;
    CGNUC16xInfo *info = Info(done->m_pProgramInfo);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->m_nType, QEL_PROGRAM_GNU166);

    // The module's section is the code entry's, which loses its own name; the jumps form
    // one section, numbered after the last entry.
    EXPECT_EQ(Rows("Sections", "SectionIndex, Name, Type, AddressValue, Length", "SectionIndex"),
              (std::vector<std::string>{"1|fx.text|1|512|8", "2|data@2|3|36864|4", "3|text@5|1|768|8"}));
    EXPECT_EQ(Rows("Moduls", "ModulIndex, Name, Offset, Analyzed", "ModulIndex"),
              (std::vector<std::string>{"1|fx|44|0"}));
    EXPECT_EQ(Rows("Functions", "FunctionIndex, Name, AddressValue, Length, SectionIndex, ReturnType, Scope",
                   "FunctionIndex"),
              (std::vector<std::string>{"1|go|512|8|1|262145|-1"}));
    EXPECT_EQ(Rows("SourceFiles", "SourceFileIndex, Type, Name, EntryInFile", "SourceFileIndex"),
              (std::vector<std::string>{"1|1000|fx.c|fx.c"}));
    EXPECT_EQ(Rows("SourceLines", "SourceLine, AddressValue, SectionIndex, SourceFileIndex", "SourceLineIndex"),
              (std::vector<std::string>{"5|512|1|1"}));
    EXPECT_EQ(Rows("Symbols", "SymbolID, Name, Data_2, Data_3", "SymbolIndex"),
              (std::vector<std::string>{"13|X167Call|1|768", "13|X167Ret|1|772", "6|_v|1|37120"}));
    EXPECT_EQ(Rows("RegisterMap", "Name", "Number").size(), 16u);
    EXPECT_EQ(Rows("Program", "EntryPoint, MainFunction, Analyzed", "ProgramIndex"),
              (std::vector<std::string>{"start|main|1"}));

    // The host receives the code, the data and the two jumps (their length words); code
    // goes as kind 0, data as kind 2.
    const auto blocks = m_host->Downloads()->Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].start, 0x200u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
    EXPECT_EQ(blocks[0].kind, 0u);
    EXPECT_EQ(blocks[1].start, 0x300u);
    EXPECT_EQ(blocks[1].bytes, (std::vector<BYTE>{0x00, 0x02, 0x00, 0xEA, 0x04, 0x02, 0x00, 0xEA}));
    EXPECT_EQ(blocks[2].start, 0x9000u);
    EXPECT_EQ(blocks[2].bytes, (std::vector<BYTE>{0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_EQ(blocks[1].kind, 0u);
    EXPECT_EQ(blocks[2].kind, 2u);

    // X167Call runs to the end of its section, but stops where X167Ret begins.
    ULONG start = 0, length = 0, model = 0, code = 0;
    EXPECT_EQ(info->GetICallSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x300u);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(info->GetIRetSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x304u);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(info->GetGnuValues(&model, &code), S_OK);
    EXPECT_EQ(model, 4u);
    EXPECT_EQ(code, 0xFDu);
}

TEST_F(Gnu166LoadTest, ASecondLoadReusesTheDatabaseAndFindsTheSpecialRangesInIt)
{
    const fs::path path = Write(Fixture());
    ASSERT_EQ(Status(LoadRequest(path, 1)), StatusSuccess);
    const std::vector<std::string> symbols = Rows("Symbols", "SymbolIndex, Name", "SymbolIndex");
    const std::vector<std::string> sections = Rows("Sections", "SectionIndex, Name", "SectionIndex");

    std::unique_ptr<CSymbolRequest> again = LoadRequest(path, 1);
    ASSERT_EQ(Status(again), StatusSuccess) << again->m_strErrorText;
    EXPECT_EQ(Rows("Symbols", "SymbolIndex, Name", "SymbolIndex"), symbols);
    EXPECT_EQ(Rows("Sections", "SectionIndex, Name", "SectionIndex"), sections);
    EXPECT_EQ(Rows("Moduls", "ModulIndex", "ModulIndex").size(), 1u);
    EXPECT_EQ(Rows("RegisterMap", "Name", "Number").size(), 16u);
    CGNUC16xInfo *info = Info(again->m_pProgramInfo);
    ASSERT_NE(info, nullptr);
    ULONG start = 0, length = 0;
    EXPECT_EQ(info->GetICallSection(&start, &length), S_OK);
    EXPECT_EQ(start, 0x300u);
    EXPECT_EQ(length, 4u);
}

TEST_F(Gnu166LoadTest, ADamagedFileFailsWithStatus7AndLeavesNoDatabase)
{
    const fs::path path = Write(Fixture(8 * 12 + 1));
    std::unique_ptr<CSymbolRequest> done = LoadRequest(path, 1);
    EXPECT_EQ(Status(done), 7);
    EXPECT_STREQ(done->m_strErrorText, "The symbol table's size 97 is not a multiple of 12.");
    for (const auto &entry : fs::directory_iterator(m_folder))
        EXPECT_NE(entry.path().extension(), ".mdb") << entry.path();
}

} // namespace
