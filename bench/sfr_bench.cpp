// Request 3000 on a controller of 2,000 registers of 8 fields of 4 named values each (and
// two addresses per register), built by qelsfrdb's builder: the engine's read and the
// lookups it builds, next to reading the same rows with plain SQLite into plain
// structures. The aim is to stay within three times the plain read.
#include <controllerengine.h>
#include <sfrdbbuilder.h>
#include <symdbstrings.h>
#include <symserverstrings.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int kRegisters = 2000, kFields = 8, kValues = 4;

const QEL_MODULE_RESOURCES &BenchResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), nullptr, 0};
    return resources;
}

SfrRow Row(std::vector<SfrCell> cells)
{
    SfrRow row;
    row.cells = std::move(cells);
    return row;
}

SfrCell N(DWORD number)
{
    SfrCell cell;
    cell.number = number;
    return cell;
}

SfrCell T(std::string text)
{
    SfrCell cell;
    cell.text = std::move(text);
    return cell;
}

// The generated controller's database, made once per run.
const std::string &DatabasePath()
{
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / ("sfr-bench-" + std::to_string(getpid()) + ".mdb")).string();
        SfrDescription d;
        d.rows[SfrDerivative].push_back(Row({T("BENCH"), N(16), N(0x167), N(2048), N(1), N(16), T("R0,R1")}));
        for (DWORD b = 1; b <= 20; ++b)
            d.rows[SfrBlocks].push_back(Row({N(b), T("BLOCK" + std::to_string(b)), T("Block of registers")}));
        DWORD field = 0, value = 0;
        for (DWORD r = 1; r <= kRegisters; ++r) {
            const std::string name = "REG" + std::to_string(r);
            d.rows[SfrRegisters].push_back(Row({N(r), T(name), N(r % 2 ? 13 : 1), N(16), N(0xFFFF), N(0x80),
                                                T("0x0000"), T("UM 1.2"), N(r % 50), T("Register " + name),
                                                N(0xF0), N(1 + r % 20)}));
            d.rows[SfrAddresses].push_back(Row({N(r), N(1), N(0xF000 + 2 * r)}));
            d.rows[SfrAddresses].push_back(Row({N(r), N(8), N(r)}));
            for (int f = 0; f < kFields; ++f) {
                d.rows[SfrFields].push_back(Row({N(++field), T("F" + std::to_string(f)), N(2 * f), N(f % 2 ? 1 : 2),
                                                 T("Field " + std::to_string(f)), T("UM"), N(0), N(r)}));
                for (int v = 0; v < kValues; ++v)
                    d.rows[SfrFieldValues].push_back(
                        Row({N(++value), T("V" + std::to_string(v)), N(static_cast<DWORD>(v)), N(field)}));
            }
        }
        CString error;
        if (!BuildSfrDatabase(d, file.c_str(), error)) {
            fprintf(stderr, "sfr_bench: %s\n", static_cast<LPCSTR>(error));
            exit(1);
        }
        return file;
    }();
    return path;
}

void ControllerRequest(benchmark::State &state)
{
    CControllerSymbolEngine engine(nullptr);
    const std::string &path = DatabasePath();
    for (auto _ : state) {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = RequestCodeControllerRegisters;
        request.Param1.vt = VT_BSTR;
        request.Param1.bstrVal = SysAllocString(CComBSTR(path.c_str()));
        const int id = engine.Submit(request);
        CSymbolRequest *done = engine.FindRequest(id);
        auto *registers = done != nullptr ? dynamic_cast<CSfrRegisterList *>(done->m_pResult) : nullptr;
        if (registers == nullptr || registers->GetSize() != kRegisters) {
            state.SkipWithError("the controller was not read");
            break;
        }
        engine.DeleteRequest(id);
    }
}
BENCHMARK(ControllerRequest)->Unit(benchmark::kMillisecond);

struct PlainField {
    std::string name, description;
    int offset, width;
    std::vector<std::pair<std::string, int>> values;
};
struct PlainRegister {
    std::string name, description, reset, manual;
    int type, width, page, named, readOnly, hwmod, block;
    std::vector<std::pair<int, int>> addresses;
    std::vector<PlainField> fields;
};

std::string Text(sqlite3_stmt *row, int column)
{
    const unsigned char *text = sqlite3_column_text(row, column);
    return text != nullptr ? reinterpret_cast<const char *>(text) : "";
}

// The same rows through plain SQLite, each table read once and joined by index in
// memory, as the engine does.
void PlainSqlite(benchmark::State &state)
{
    const std::string &path = DatabasePath();
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        std::vector<PlainRegister> registers;
        std::vector<int> indexes;
        sqlite3_stmt *rows = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT SFRIndex, Name, Type, Width, NamedBitMask, ReadOnlyMask, ResetValue, Manual, Page, "
                           "Description, HWModBitMask, SFRBlockIndex FROM SFRSelect",
                           -1, &rows, nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            indexes.push_back(sqlite3_column_int(rows, 0));
            registers.push_back({Text(rows, 1), Text(rows, 9), Text(rows, 6), Text(rows, 7), sqlite3_column_int(rows, 2),
                                 sqlite3_column_int(rows, 3), sqlite3_column_int(rows, 8), sqlite3_column_int(rows, 4),
                                 sqlite3_column_int(rows, 5), sqlite3_column_int(rows, 10),
                                 sqlite3_column_int(rows, 11), {}, {}});
        }
        sqlite3_finalize(rows);
        std::map<int, size_t> byIndex;
        for (size_t i = 0; i < indexes.size(); ++i)
            byIndex[indexes[i]] = i;
        sqlite3_prepare_v2(db, "SELECT SFRIndex, AddressMode, AddressValue FROM SFRAddressSelect", -1, &rows, nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW)
            registers[byIndex[sqlite3_column_int(rows, 0)]].addresses.emplace_back(sqlite3_column_int(rows, 1),
                                                                                  sqlite3_column_int(rows, 2));
        sqlite3_finalize(rows);
        std::map<int, std::vector<std::pair<std::string, int>>> values;
        sqlite3_prepare_v2(db, "SELECT SFRFieldIndex, Name, Value FROM SFRFieldValues ORDER BY SFRFieldIndex", -1,
                           &rows, nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW)
            values[sqlite3_column_int(rows, 0)].emplace_back(Text(rows, 1), sqlite3_column_int(rows, 2));
        sqlite3_finalize(rows);
        sqlite3_prepare_v2(db, "SELECT SFRFieldIndex, Name, Offset, Width, Description, SFRIndex FROM SFRFieldSelect",
                           -1, &rows, nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW)
            registers[byIndex[sqlite3_column_int(rows, 5)]].fields.push_back(
                {Text(rows, 1), Text(rows, 4), sqlite3_column_int(rows, 2), sqlite3_column_int(rows, 3),
                 values[sqlite3_column_int(rows, 0)]});
        sqlite3_finalize(rows);
        sqlite3_close(db);
        if (registers.size() != kRegisters) {
            state.SkipWithError("the rows were not read");
            break;
        }
        benchmark::DoNotOptimize(registers.data());
    }
}
BENCHMARK(PlainSqlite)->Unit(benchmark::kMillisecond);

} // namespace

QEL_DEFINE_MODULE_RESOURCES(BenchResources())

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    remove(DatabasePath().c_str());
    return 0;
}
