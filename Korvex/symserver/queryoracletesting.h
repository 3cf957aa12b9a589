// Test support of the query oracle tests: the symbol server as the host carries it, a
// firmware program of testdata/firmware loaded through a client in window or event mode,
// requests asked in batches and their records collected as the client delivers them,
// and what readelf and gdb say about the program, read once per program.
#pragma once

#include "enginetesting.h"
#include "qelsymbolserver.h"
#include "server/korvextestmodule.h"

#include <debugserver.h>
#include <firmwareoracle.h>
#include <qeldatabase.h>
#include <symbolprocessing.h>
#include <symboltables.h>
#include <testing/countedobject.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace queryoracle {

using namespace firmwareoracle;
namespace fs = std::filesystem;

inline std::string Hex(unsigned long value)
{
    std::ostringstream text;
    text << std::hex << "0x" << value;
    return text.str();
}

inline std::string N(long value)
{
    return std::to_string(value);
}

// A mismatch list is empty, or shows its first 25 entries and the count.
inline std::string FirstOf(const std::vector<std::string> &mismatches)
{
    std::string text;
    for (size_t i = 0; i < mismatches.size() && i < 25; ++i)
        text += "\n  " + mismatches[i];
    if (mismatches.size() > 25)
        text += "\n  (" + N(static_cast<long>(mismatches.size())) + " in all)";
    return text;
}

// ---------------------------------------------------------------------------------
// What readelf and gdb say about one program.

struct OracleFunction {
    std::string name; // as gdb names it: "Motor::step"
    unsigned low = 0, high = 0;
    bool inlined = false;
    bool external = false;
    size_t unit = 0;
    std::string unitName;
};

struct Program {
    std::string name;
    std::vector<ElfSection> sections;
    std::vector<DwarfUnit> units;
    std::map<unsigned, std::vector<LocationRange>> locations;
    std::vector<LineTable> lines;
    std::map<std::string, std::vector<std::string>> gdb; // answer by command
    std::vector<OracleFunction> functions;

    // The answer to `command`, empty when it was not asked.
    const std::vector<std::string> &Answer(const std::string &command) const
    {
        static const std::vector<std::string> none;
        auto found = gdb.find(command);
        return found == gdb.end() ? none : found->second;
    }
    bool Asked(const std::string &command) const { return gdb.count(command) != 0; }
};

// The name of an entry as gdb spells it, through its abstract origin or the declaration
// it completes; a name found through a declaration is qualified by the classes around it.
inline std::string EntryName(const DwarfUnit &unit, const DwarfEntry &entry, bool *external = nullptr)
{
    const DwarfEntry *at = &entry;
    bool byDeclaration = false;
    std::string name;
    if (external != nullptr)
        *external = false;
    for (int hop = 0; hop < 8 && at != nullptr; ++hop) {
        if (external != nullptr && at->Has("DW_AT_external"))
            *external = true;
        if (name.empty() && at->Has("DW_AT_name")) {
            name = at->Text("DW_AT_name");
            if (byDeclaration)
                for (int parent = at->parent; parent > 0; parent = unit.entries[parent].parent) {
                    const DwarfEntry &outer = unit.entries[parent];
                    if ((outer.tag == "DW_TAG_structure_type" || outer.tag == "DW_TAG_class_type") &&
                        outer.Has("DW_AT_name"))
                        name = outer.Text("DW_AT_name") + "::" + name;
                }
        }
        if (at->Has("DW_AT_abstract_origin")) {
            byDeclaration = false;
            at = unit.At(at->Reference("DW_AT_abstract_origin"));
        } else if (at->Has("DW_AT_specification")) {
            byDeclaration = true;
            at = unit.At(at->Reference("DW_AT_specification"));
        } else {
            at = nullptr;
        }
    }
    return name;
}

inline const Program &ProgramOf(const std::string &name)
{
    static std::map<std::string, std::unique_ptr<Program>> programs;
    std::unique_ptr<Program> &known = programs[name];
    if (known)
        return *known;
    known = std::make_unique<Program>();
    Program &program = *known;
    program.name = name;
    program.sections = ReadSectionHeaders(FirmwarePath(name, ".readelf-S.txt"));
    program.units = ReadInfoDump(FirmwarePath(name, ".readelf-info.txt"));
    program.locations = ReadLocDump(FirmwarePath(name, ".readelf-loc.txt"));
    program.lines = ReadDecodedLines(FirmwarePath(name, ".readelf-decodedline.txt"));
    for (auto &answer : ReadGdbAnswers(FirmwarePath(name, ".gdb.txt")))
        program.gdb[answer.first] = std::move(answer.second);
    for (size_t u = 0; u < program.units.size(); ++u) {
        const DwarfUnit &unit = program.units[u];
        for (const DwarfEntry &entry : unit.entries) {
            const bool inlined = entry.tag == "DW_TAG_inlined_subroutine";
            if ((entry.tag != "DW_TAG_subprogram" && !inlined) || !entry.Has("DW_AT_low_pc") ||
                !entry.Has("DW_AT_high_pc"))
                continue;
            OracleFunction function;
            function.name = EntryName(unit, entry, &function.external);
            function.low = static_cast<unsigned>(entry.Value("DW_AT_low_pc"));
            function.high = static_cast<unsigned>(entry.Value("DW_AT_high_pc"));
            function.inlined = inlined;
            function.unit = u;
            function.unitName = unit.entries[0].Text("DW_AT_name");
            if (!function.name.empty())
                program.functions.push_back(function);
        }
    }
    return program;
}

// The programs of testdata/firmware; the gen24 ones are large, so some checks take a
// part of them.
inline const std::vector<std::string> &Programs()
{
    static const std::vector<std::string> programs{"handwritten-O0", "handwritten-O1", "gen24-O0-arm",
                                                   "gen24-O0-thumb", "gen24-O1-arm",   "gen24-O1-thumb"};
    return programs;
}

inline bool IsHandwritten(const std::string &program)
{
    return program.rfind("handwritten", 0) == 0;
}

// ---------------------------------------------------------------------------------
// Requests in batches, through the client.

// The records that the client delivered for each request of a batch, in the order in
// which the requests were made.
template <class Record>
class Batch {
public:
    using Records = CArray<Record, Record &>;

    explicit Batch(CSymbolProcessing &client) : m_client(client) {}
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    // Registers request `id` as the next one; a request the server refused (id 0) is
    // noted as such.
    void Add(int id)
    {
        m_results.emplace_back();
        m_delivered.push_back(false);
        if (id == 0) {
            ++m_refused;
            return;
        }
        m_slots[id] = m_results.size() - 1;
        EXPECT_TRUE(Register(id)) << "request " << id;
    }
    // Pumps the client's messages until every request has been delivered; false after
    // the time is up.
    bool Wait(DWORD timeoutMs = 120000)
    {
        const size_t expected = m_results.size() - m_refused;
        return QelPumpMessagesUntil([&] { return m_count >= expected; }, timeoutMs);
    }
    size_t Size() const { return m_results.size(); }
    const std::vector<Record> &operator[](size_t i) const { return m_results[i]; }
    bool Delivered(size_t i) const { return m_delivered[i]; }
    size_t Refused() const { return m_refused; }

private:
    static void OnRecords(int id, Records *records, DWORD_PTR context)
    {
        Batch &batch = *reinterpret_cast<Batch *>(context);
        auto slot = batch.m_slots.find(id);
        if (slot == batch.m_slots.end())
            return;
        std::vector<Record> &kept = batch.m_results[slot->second];
        for (int i = 0; i < records->GetSize(); ++i)
            kept.push_back(records->GetAt(i));
        batch.m_delivered[slot->second] = true;
        ++batch.m_count;
    }
    BOOL Register(int id);

    CSymbolProcessing &m_client;
    std::vector<std::vector<Record>> m_results;
    std::vector<bool> m_delivered;
    std::map<int, size_t> m_slots;
    size_t m_count = 0;
    size_t m_refused = 0;
};

template <>
inline BOOL Batch<SectionTag>::Register(int id)
{
    return m_client.RegisterSectionsCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}
template <>
inline BOOL Batch<SourceFileTag>::Register(int id)
{
    return m_client.RegisterSourceFilesCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}
template <>
inline BOOL Batch<FunctionTag>::Register(int id)
{
    return m_client.RegisterFunctionsCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}
template <>
inline BOOL Batch<SourceLineTag>::Register(int id)
{
    return m_client.RegisterSourceLinesCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}
template <>
inline BOOL Batch<MemberTag>::Register(int id)
{
    return m_client.RegisterMembersCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}
template <>
inline BOOL Batch<VariableTag>::Register(int id)
{
    return m_client.RegisterVariablesCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}
template <>
inline BOOL Batch<LifetimeTag>::Register(int id)
{
    return m_client.RegisterLifetimeCallbackWithId(id, OnRecords, reinterpret_cast<DWORD_PTR>(this));
}

// A row of the Symbols table with the type words that the engine's type description
// gives for its type, read on the worker.
struct SymbolRow {
    LONG index, id, modul, scope;
    std::string name;
    LONG data[6];
    LONG typeCode, typeIndex, sizeInBits, pointerClass;
    std::string typeText;
};

struct ModulRow {
    LONG index;
    std::string name;
    BOOL analyzed;
};

inline void OnLoaded(int, const ProgramLoadResult *result, DWORD_PTR context)
{
    *reinterpret_cast<LONG *>(context) = result->Status;
}

// The symbol server carried by the host's debug-server object, initialised in the host's
// order, with a firmware program loaded from a copy in a folder of the test's own (its
// database is made beside it).
class QueryOracleTest : public ::testing::Test {
protected:
    // A code of the members group that no method asks: the test's own look at the
    // database, run on the worker between requests.
    static const int kProbe = 599;

    void SetUp() override
    {
        m_module.Register();
        if (HasFatalFailure())
            return;
        QelHost::ControllerConfig config;
        config.wordSize = 32;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &m_host), S_OK);
        ASSERT_EQ(DebugServer()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        ASSERT_EQ(m_host->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&m_srv)), S_OK);
        ASSERT_EQ(m_srv->Init(m_host, nullptr), S_OK);
        m_storage.Attach(NewMemoryStorage());
        ASSERT_EQ(m_srv->Init(m_storage, &m_gui), S_OK);
        ASSERT_EQ(m_srv->RestoreSettings(), S_OK);
        m_engine = static_cast<CQelSymbolServer *>(static_cast<CFvSymbSrv *>(m_srv.p))->EngineHolder().GetEngine();
        ASSERT_NE(m_engine, nullptr);
        // The idle pass would read modules between the requests at times of its own; the
        // tests read them through their queries, so that what a query reads is seen.
        m_engine->SetHandler(RequestCodeIdle, nullptr);
        std::string pattern = (fs::temp_directory_path() / "qeloracle-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }

    void TearDown() override
    {
        m_client.reset();
        if (m_srv != nullptr)
            m_srv->Cleanup();
        m_srv.Release();
        if (m_host != nullptr)
            DebugServer()->ReleaseSymbolServer();
        m_host.Release();
        m_module.Revoke();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    QelHost::CHostDebugServer *DebugServer()
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(m_host.p));
    }

    // Loads testdata/`folder`/`program`.elf through a new client of the mode; false when
    // the load failed.
    bool Load(const std::string &program, bool eventMode, const std::string &folder = "firmware")
    {
        m_client = std::make_unique<CSymbolProcessing>(m_host, TRUE, eventMode ? TRUE : FALSE);
        const fs::path copy = m_folder / (program + ".elf");
        fs::copy_file(fs::path(kQelSourceDir) / "testdata" / folder / (program + ".elf"), copy,
                      fs::copy_options::overwrite_existing);
        LONG status = -1;
        const int id = m_client->LoadFile(copy.c_str(), 1, nullptr);
        EXPECT_TRUE(m_client->RegisterProgramInfoCallbackWithId(id, OnLoaded, reinterpret_cast<DWORD_PTR>(&status)));
        EXPECT_TRUE(QelPumpMessagesUntil([&] { return status != -1; }, 60000)) << program;
        return status == 0;
    }

    CSymbolProcessing &Client() { return *m_client; }

    // A request through an IQelSymbol method that the client does not offer, made as the
    // client makes its own: its requester is the client's window, or the ready event.
    template <class Method, class... Args>
    int Direct(Method method, Args... args)
    {
        int request = 0;
        if (!m_client->ResolveRequester(CSymbolProcessing::kDefaultRequester, &request))
            return 0;
        HRESULT hr = (m_client->GetSymbolInterface()->*method)(args..., &request);
        return SUCCEEDED(hr) ? request : 0;
    }
    int SectionByName(const std::string &name)
    {
        CComBSTR text(name.c_str());
        return Direct(&IQelSymbol::SectionByName, text.m_str);
    }
    int SourceFileByPath(const std::string &path)
    {
        CComBSTR text(path.c_str());
        return Direct(&IQelSymbol::SourceFileByPath, text.m_str);
    }
    int FunctionByName(const std::string &name)
    {
        CComBSTR text(name.c_str());
        return Direct(&IQelSymbol::FunctionByName, text.m_str);
    }
    int FunctionsOfSourceFile(const std::string &path)
    {
        CComBSTR text(path.c_str());
        return Direct(&IQelSymbol::FunctionsOfSourceFile, text.m_str);
    }

    // Runs `body` on the worker, between requests, inside a request's transaction.
    void OnWorker(std::function<void(CSymbolEngine &)> body)
    {
        m_engine->SetHandler(kProbe, [&](CSymbolRequest &) { body(*m_engine); });
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = kProbe;
        std::unique_ptr<CSymbolRequest> done(m_engine->TakeRequest(m_engine->Submit(request), 500));
        EXPECT_NE(done, nullptr);
        if (done) {
            EXPECT_EQ(done->m_nStatus, 0) << static_cast<LPCSTR>(done->m_strErrorText);
        }
        m_engine->SetHandler(kProbe, nullptr);
    }

    std::vector<ModulRow> Moduls()
    {
        std::vector<ModulRow> rows;
        OnWorker([&](CSymbolEngine &engine) {
            CDBModuls moduls(engine.GetProgramDatabase()->GetDatabase());
            for (moduls.Open(); !moduls.IsEOF(); moduls.MoveNext())
                rows.push_back({moduls.m_ModulIndex, static_cast<LPCSTR>(moduls.m_Name), moduls.m_Analyzed});
            moduls.Close();
        });
        return rows;
    }

    // The rows of the Symbols table, each described by the engine's type description.
    std::vector<SymbolRow> Symbols()
    {
        std::vector<SymbolRow> rows;
        OnWorker([&](CSymbolEngine &engine) {
            CDBSymbolInfo symbols(engine.GetProgramDatabase()->GetDatabase());
            for (symbols.Open(); !symbols.IsEOF(); symbols.MoveNext())
                rows.push_back({symbols.m_SymbolIndex,
                                symbols.m_SymbolID,
                                symbols.m_ModulIndex,
                                symbols.m_ScopeIndex,
                                static_cast<LPCSTR>(symbols.m_Name),
                                {symbols.m_Data_1, symbols.m_Data_2, symbols.m_Data_3, symbols.m_Data_4,
                                 symbols.m_Data_5, symbols.m_Data_6},
                                0,
                                0,
                                0,
                                0,
                                ""});
            symbols.Close();
            for (SymbolRow &row : rows) {
                if (row.id < 1 || row.id > 5)
                    continue;
                LONG bitInfo = 0;
                CString text;
                row.typeIndex = row.data[0];
                engine.TypeDescription(row.typeIndex, row.typeCode, text, row.sizeInBits, bitInfo, row.pointerClass);
                row.typeText = static_cast<LPCSTR>(text);
            }
        });
        return rows;
    }

    CKorvexTestModule m_module;
    CComPtr<IUnknown> m_host;
    CComPtr<IQelSymbSrv> m_srv;
    CComPtr<IStorage> m_storage;
    CountedObject m_gui;
    CSymbolEngine *m_engine = nullptr;
    fs::path m_folder;
    std::unique_ptr<CSymbolProcessing> m_client;
};

} // namespace queryoracle
