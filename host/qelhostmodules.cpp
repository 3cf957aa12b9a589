#include "qelhostmodules.h"

#include "debugserver.h"
#include "hostreports.h"

#include <programformats.h>
#include <qeldatabase.h>
#include <qeldbexception.h>
#include <symboltables.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

// The program file that the database was built from.
CString ProgramSource(CQelDatabase &database, const char *programFile)
{
    CDBProgram program(database.GetDatabase());
    program.Open();
    CString source = !program.IsEOF() ? program.m_Source : CString();
    program.Close();
    return source.IsEmpty() ? CString(programFile) : source;
}

} // namespace

bool ReadAllModules(const char *databasePath, const char *programFile, LONG programId, long long *microseconds)
{
    CQelDatabase database;
    try {
        if (!database.Open(databasePath, TRUE, FALSE)) {
            std::fprintf(stderr, "qelhost: the symbol database %s is gone\n", databasePath);
            return false;
        }
        const CString source = ProgramSource(database, programFile);
        // The reader that a load chooses, by the same recognisers, with a host whose
        // diagnostics go to standard error as a query's do: the module passes trace
        // what they pass over.
        auto reports = std::make_shared<QelHost::HostReports>();
        reports->SetEcho(stderr);
        CComPtr<IUnknown> host;
        QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host, reports);
        const QelProgramFormat *format = FindProgramFormat(source);
        std::unique_ptr<CQelTargetFile> made(
            format != nullptr ? format->CreateReader(database, static_cast<DWORD>(programId), host) : nullptr);
        if (!made || !made->Open(source, nullptr) || !made->ReadSections(nullptr)) {
            std::fprintf(stderr, "qelhost: --modules reads the modules of program files with a reader; %s is none\n",
                         static_cast<LPCSTR>(source));
            return false;
        }
        CQelTargetFile &reader = *made;
        CDBModuls moduls(database.GetDatabase());
        const LONG count = moduls.GetRecordCount();
        moduls.Close();

        bool complete = true;
        const auto started = std::chrono::steady_clock::now();
        database.BeginTrans();
        for (LONG modul = 1; modul <= count; ++modul) {
            if (reader.ReadModules(modul, 0) != 1) {
                std::fprintf(stderr, "qelhost: module %d cannot be read: %s\n", static_cast<int>(modul),
                             static_cast<LPCSTR>(reader.GetFailureText()));
                complete = false;
            }
        }
        database.CommitTrans();
        *microseconds = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started)
                            .count();
        reader.Close();
        return complete;
    } catch (CQeldbException *e) {
        std::fprintf(stderr, "qelhost: the modules cannot be read: %s\n", static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    }
    return false;
}
