// Fuzz target of controller descriptions, the input of qelsfrdb.
// fuzz-seeds: testdata/sfr/*.sfr
//
// The bytes are parsed as a description; whatever they are, the parser answers with a
// description or a refusal of the form "FILE:LINE: reason". A description that is taken
// is built into a database, which must then open and hold every row that was given, in
// the order given.
#include "controllertables.h"
#include "qeldatabase.h"
#include "sfrdbbuilder.h"
#include "symdbstrings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// The database layer names its workspace by the symbol database's strings.
const QEL_MODULE_RESOURCES &FuzzResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_SymdbStrings, g_SymdbStringCount, nullptr, 0};
    return resources;
}

std::string DatabasePath()
{
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "sfrdesc-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            abort();
        return pattern + "/c.mdb";
    }();
    return path;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SfrDescription description;
    CString error;
    if (!ParseSfrDescription(reinterpret_cast<const char *>(data), size, "f.sfr", description, error)) {
        if (error.Left(6) != "f.sfr:")
            abort();
        return 0;
    }
    const std::string path = DatabasePath();
    remove(path.c_str());
    if (!BuildSfrDatabase(description, path.c_str(), error))
        abort();
    CQelDatabase db;
    if (!db.Open(path.c_str(), FALSE, TRUE))
        abort();
    CDBSFRAddresses addresses(db.GetDatabase());
    addresses.Open();
    size_t row = 0;
    for (; !addresses.IsEOF(); addresses.MoveNext(), ++row) {
        if (row >= description.rows[SfrAddresses].size() ||
            static_cast<DWORD>(addresses.m_AddressValue) != description.rows[SfrAddresses][row].cells[2].number)
            abort();
    }
    if (row != description.rows[SfrAddresses].size())
        abort();
    addresses.Close();
    CDBDerivative derivative(db.GetDatabase());
    derivative.Open();
    if (derivative.IsEOF() || std::string(static_cast<LPCSTR>(derivative.m_Name)) !=
                                  description.rows[SfrDerivative][0].cells[0].text)
        abort();
    derivative.Close();
    db.Close(FALSE);
    return 0;
}
