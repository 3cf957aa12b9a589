// Fuzz target of symbol-database files read from disk.
// fuzz-seeds: testdata/symdb/*.mdb
//
// The bytes lie where a load looks for the database of its program file and are opened
// as the load opens them (CQelDatabase::OpenForProgram); a database that is kept is
// asked a few stored queries, taken from the file itself, whose rows are read through
// the moves that the query handlers make. Whatever the bytes, the open ends with a
// database or a CQeldbException, and a file refused as no symbol database (3343) is
// left as it was.
//
// The program file lies at a fixed path with a fixed modification time, so that a seed
// written for it passes the check of a current database and leads on to the queries.
// With QEL_SYMDB_FUZZ_SEED=PATH the target writes such a seed to PATH and ends
// (testdata/symdb/make.sh).
#include "nameencoding.h"
#include "packedindex.h"
#include "qeldatabase.h"
#include "qeldbexception.h"
#include "qelquerydef.h"
#include "queryrecordsets.h"
#include "sectionwriter.h"
#include "symbolwriters.h"
#include "symdbstrings.h"
#include "typewriters.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace {

const QEL_MODULE_RESOURCES &FuzzResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_SymdbStrings, g_SymdbStringCount, nullptr, 0};
    return resources;
}

const char kProgram[] = "/tmp/qel-symdb-fuzz.elf";

void Check(bool condition)
{
    if (!condition)
        abort();
}

// The program file, as the seed was written for it.
void MakeProgramFile()
{
    std::ofstream(kProgram, std::ios::binary | std::ios::trunc) << "ELF image";
    const struct timespec times[2] = {{1700000000, 0}, {1700000000, 500000000}};
    Check(utimensat(AT_FDCWD, kProgram, times, 0) == 0);
}

// A folder of this process for the database, removed at exit.
const std::filesystem::path &Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "qel-symdb-fuzz-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr);
        return std::filesystem::path(pattern);
    }();
    static const bool removed = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(Folder(), ignored);
    }) == 0;
    (void)removed;
    return folder;
}

std::string Contents(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

template <class Read>
void Walk(CQelRecordset &rs, Read read)
{
    LONG count = rs.GetRecordCount();
    for (LONG i = 0; !rs.IsEOF() && i <= count; rs.MoveNext(), ++i)
        read();
    if (count > 0) {
        rs.MoveLast();
        rs.MovePrev();
        rs.MoveFirst();
        read();
    }
}

void SetLong(CQelQueryDef &query, LPCTSTR name, LONG value)
{
    query.SetParameter(name, CdbVariant(value));
}

// The rows of a few stored queries of the kinds that the handlers open, and of tables.
void Query(CdbDatabase *db)
{
    LONG sum = 0;
    {
        CQelQueryDef query(db);
        query.Open("$GlobalsAndStaticsOfModul");
        SetLong(query, "_ModulIndex", 1);
        CDBSymbolInfo symbols(db);
        symbols.OpenQueryDef(query, dbOpenSnapshot);
        Walk(symbols, [&] { sum += symbols.m_Data_1 + symbols.m_Name.GetLength(); });
    }
    {
        CQelQueryDef query(db);
        query.Open("FunctionByName");
        query.SetParameter("_Name", CdbVariant("*"));
        CDBFunctions functions(db);
        functions.OpenQueryDef(query, dbOpenDynaset);
        Walk(functions, [&] { sum += functions.m_AddressValue + functions.m_Name.GetLength(); });
    }
    {
        CQelQueryDef query(db);
        query.Open("LocationByAddress");
        SetLong(query, "_AddressMode", 1);
        SetLong(query, "_AddressValue", 0x1010);
        CDBLocation location(db);
        location.OpenQueryDef(query, dbOpenSnapshot);
        Walk(location, [&] { sum += location.m_SourceLine; });
    }
    {
        CQelQueryDef query(db);
        query.Open("$MembersOfStruct");
        SetLong(query, "_TypeIndex", PackTypeIndex(1, 0x20));
        CDBTypeInfo types(db);
        types.OpenQueryDef(query, dbOpenSnapshot);
        Walk(types, [&] { sum += types.m_Data_1; });
    }
    CDBSections sections(db);
    sections.Open();
    Walk(sections, [&] { sum += sections.m_Length; });
    volatile LONG kept = sum;
    (void)kept;
}

// A small database of the program, loaded, in pages of 512 bytes to keep it small.
void WriteSeed(const char *path)
{
    MakeProgramFile();
    const std::filesystem::path base = Folder() / "prog.elf";
    {
        CQelDatabase database;
        Check(database.OpenForProgram(base.c_str(), kProgram, TRUE));
        CdbDatabase *db = database.GetDatabase();
        CFileStatus status;
        Check(CFile::GetStatus(kProgram, status));
        CDBProgram program(db);
        program.AddNew();
        program.m_ProgramIndex = 1;
        program.m_Name = status.m_szFullName;
        program.m_Source = kProgram;
        program.m_ModifiedTime = COleDateTime(status.m_mtime);
        program.m_Analyzed = TRUE;
        program.Update();
        CDBSectionsBinary sections(db);
        SectionTag text;
        text.Type = 1;
        text.AddressMode = 1;
        text.AddressValue = 0x1000;
        text.Length = 0x100;
        text.Name = ".text";
        WriteSectionRecord(1, text, sections);
        CDBModuls moduls(db);
        moduls.AddNew();
        moduls.m_ModulIndex = 1;
        moduls.m_Name = "main.c";
        moduls.Update();
        CDBModulSectionRel relation(db);
        relation.AddNew();
        relation.m_ModulIndex = 1;
        relation.m_SectionIndex = 1;
        relation.Update();
        CDBSourceFiles files(db);
        files.AddNew();
        files.m_SourceFileIndex = 1;
        files.m_Type = 1000;
        files.m_Name = "main.c";
        files.m_EntryInFile = "/src/main.c";
        files.Update();
        CDBSourceLines lines(db);
        for (LONG line : {10, 11}) {
            lines.AddNew();
            lines.m_SourceFileIndex = 1;
            lines.m_SourceLine = line;
            lines.m_AddressMode = 1;
            lines.m_AddressValue = 0x1000 + 0x10 * (line - 10);
            lines.m_Length = 0x10;
            lines.m_SectionIndex = 1;
            lines.Update();
        }
        CDBFunctions functions(db);
        functions.AddNew();
        functions.m_FunctionIndex = 1;
        functions.m_Name = "main";
        EncodeNameString(functions.m_Name, functions.m_NameString);
        functions.m_AddressMode = 1;
        functions.m_AddressValue = 0x1000;
        functions.m_Length = 0x100;
        functions.m_SectionIndex = 1;
        functions.m_ReturnType = PackTypeIndex(1, 0x10);
        functions.m_Scope = -1;
        functions.Update();
        CDBSymbolInfo symbols(db);
        WriteParameterSymbol({1, "argc", 1, {0x10, 2, 4, 0}}, symbols, FALSE);
        WriteGlobalSymbol({1, "counter", 1, {0x10, 1, 0x8000, 0}}, symbols, FALSE);
        WriteGlobalLabelSymbol({1, "start", 1, {0, 1, 0x1000, 0}}, symbols);
        CDBTypeInfo types(db);
        WriteBaseTypeRecord({1, "int", 0x10, 32}, types, FALSE);
        WriteStructTypeRecord({1, "point", 0x20, 64, 2}, types, FALSE);
        WriteStructMemberRecord({1, "x", 0x21, 0x10, 0, 0x20}, types, FALSE);
        WriteStructMemberRecord({1, "y", 0x22, 0x10, 32, 0x20}, types, FALSE);
    }
    const std::filesystem::path made = Folder() / "prog.mdb";
    sqlite3 *db = nullptr;
    Check(sqlite3_open(made.c_str(), &db) == SQLITE_OK);
    Check(sqlite3_exec(db, "PRAGMA page_size=512; VACUUM", nullptr, nullptr, nullptr) == SQLITE_OK);
    sqlite3_close(db);
    std::filesystem::copy_file(made, path, std::filesystem::copy_options::overwrite_existing);
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (const char *seed = getenv("QEL_SYMDB_FUZZ_SEED")) {
        WriteSeed(seed);
        exit(0);
    }
    MakeProgramFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::filesystem::path base = Folder() / "prog.elf";
    const std::filesystem::path path = Folder() / "prog.mdb";
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    std::filesystem::remove(Folder() / "prog.mdb-journal");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    CQelDatabase database;
    try {
        Check(database.OpenForProgram(base.c_str(), kProgram, FALSE));
    } catch (CQeldbException *e) {
        // Refused as no symbol database: the file is left as it is.
        if (e->m_nErrorCode == 3343)
            Check(Contents(path) == bytes);
        e->Delete();
        return 0;
    }
    Check(database.IsOpen());
    try {
        Query(database.GetDatabase());
    } catch (CQeldbException *e) {
        e->Delete();
    }
    return 0;
}
