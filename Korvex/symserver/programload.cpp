// Loading and unloading a program file: requests 2000 and 2001 of the symbol engine.
//
// One program is loaded at a time. A load first lets go of the program before it, then
// opens the new program's symbol database (the one an earlier load left when it still
// describes the file, else a new one) and runs the reader's sections and globals passes
// into it inside the request's transaction. The module-level debug information is read
// later, on demand. A load that fails drops everything it made, so the engine is left
// with no program, not with half of one.
#include "queryrows.h"
#include "symbolengine.h"
#include "symserverids.h"
#include "symserverstrings.h"

#include <cfgprofileclient.h>
#include <comerror.h>
#include <diaghelper.h>
#include <elfcheck.h>
#include <extendedfiledialog.h>
#include <hostmainwnd.h>
#include <intelhexreader.h>
#include <oletarcmdcaller.h>
#include <progfilepaths.h>
#include <qelsymbol.h>
#include <stringtext.h>
#include <symboltables.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The QelSymbol command by which the host learns that the loaded program changes.
const DWORD kProgramChangedCommand = 2;

// A profile item of the "System" section, read from the host object's profile.
class CSystemProfileItem : public CQelCfgProfileClientImpl {
public:
    CSystemProfileItem(UINT entryId, IUnknown *host) : CQelCfgProfileClientImpl(IDS_PROFILE_SECTION_SYSTEM, entryId)
    {
        if (host != nullptr)
            Attach(host);
    }
};

} // namespace

void CSymbolEngine::OnLoadFile(CSymbolRequest &request)
{
    // The reader and the handlers call the host until the load is over: a host that lets
    // go of its debugger meanwhile goes with the engine once the load is done.
    CComPtr<IUnknown> keepHost(m_pOwner);
    CString path = TextParameter(request.Param1);
    const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(static_cast<ULONG>(NumberParameter(request.Param2))));
    const DWORD programId = static_cast<DWORD>(NumberParameter(request.Param3));

    SectionList::CSectionList image;
    LONG kind = RecogniseProgramFile(path, image);
    CString hexPath;
    if (kind == QEL_PROGRAM_INTEL_HEX) {
        CString elfPath = FindCorrespondingElfFile(path);
        if (!elfPath.IsEmpty()) {
            hexPath = path;
            path = elfPath;
            kind = QEL_PROGRAM_ELF;
        }
    }

    // This request must outlive the clearing of the queue.
    CSymbolRequest unload(RequesterSynchronous);
    unload.m_nCode = RequestCodeUnloadFile;
    unload.Param2.vt = VT_I4;
    unload.Param2.lVal = request.m_nId;
    OnUnloadFile(unload);
    request.m_pProgramInfo.Release();

    if (kind == -1) {
        if (!IsReadableFile(path))
            Fail(request, StatusFileError, "The program file " + path + " cannot be opened.");
        else
            Fail(request, StatusNotSupported, "The format of the program file " + path + " is not supported.");
        return;
    }
    CodeSections.RemoveAll();
    m_CodeSectionIds.RemoveAll();

    CProgramInfo *info = nullptr;
    if (FAILED(CreateProgramInfo(kind, &info))) {
        Fail(request, StatusOutOfMemory, LoadStringText(IDS_SYMSRV_OUT_OF_MEMORY));
        return;
    }
    CComPtr<IUnknown> infoReference;
    infoReference.Attach(static_cast<IProgramInfo *>(info));
    info->m_nType = kind;

    if (kind == QEL_PROGRAM_INTEL_HEX) {
        info->m_strName = path;
        int status = StatusSuccess;
        info->m_nProgramId = static_cast<LONG>(LoadMemoryImage(image, path, programId, window, &info->m_nDownloadBlocks,
                                                               &info->m_nDownloadBytes, &info->m_nStartAddress, &status));
        if (status != StatusSuccess)
            Fail(request, status, "The host refused the memory image of " + path + ".");
        else
            request.m_pProgramInfo = infoReference;
        return;
    }

    const QelProgramFormat *format = nullptr;
    for (const QelProgramFormat &candidate : ProgramFormats) {
        if (candidate.Kind == kind && format == nullptr)
            format = &candidate;
    }
    if (format == nullptr) {
        // An ELF file that stands in for an image, with no ELF reader among the formats.
        Fail(request, StatusNotSupported, "The format of the program file " + path + " is not supported.");
        return;
    }
    {
        // Owned here until it is open: a database that refuses to open is freed.
        std::unique_ptr<CQelDatabase> database(new CQelDatabase);
        database->SetIndexesAfterLoad(TRUE);
        const BOOL rebuild = QueryDebugServer(SYF_GET_FOREIGN_DEBUG_SERVER) != nullptr;
        if (!database->OpenForProgram(DatabaseBasePath(path), path, rebuild)) {
            Fail(request, StatusDatabaseError, "The symbol database of " + path + " cannot be opened.");
            return;
        }
        CQelDiagHelper diagnostics(m_pOwner, "QelSymbolEngine", nullptr);
        if (diagnostics.GetLevel() != 0)
            diagnostics.TraceInfo("Symbol database %s: %s", database->WasBuilt() ? "built" : "reused",
                                  static_cast<LPCSTR>(database->m_strPath));
        if (m_Databases.GetSize() <= ProgramCount)
            m_Databases.SetSize(ProgramCount + 1);
        m_Databases[ProgramCount] = database.release();
    }
    BeginRequestTransaction();

    CQelTargetFile *reader = nullptr;
    try {
        reader = format->CreateReader(*m_Databases[ProgramCount], programId, m_pOwner);
        if (!reader->Open(path, nullptr)) {
            const int status = reader->GetFailureStatus();
            const CString text = reader->GetFailureText();
            DropFailedLoad(reader);
            Fail(request, status, text);
            return;
        }
        info->m_strName = hexPath.IsEmpty() ? path : hexPath;
        info->m_nProgramId = static_cast<LONG>(programId);
        reader->SetImageFileName(hexPath);
        reader->SetProgramInfo(info);
        if (reader->ReadSections(window) != 1) {
            const int status = reader->GetFailureStatus();
            const CString text = reader->GetFailureText();
            DropFailedLoad(reader);
            Fail(request, status, text);
            return;
        }
        reader->ReadGlobals(window);
        m_Databases[ProgramCount]->MakeLoadIndexes();
        // The client may let go of the object as soon as it has it.
        reader->SetProgramInfo(nullptr);
        CDBModuls moduls(m_Databases[ProgramCount]->GetDatabase());
        ModulCount = moduls.GetRecordCount();
    } catch (...) {
        DropFailedLoad(reader);
        throw;
    }
    CurrentReader = reader;
    ++ProgramCount;
    NextModulToRead = 1;
    DatabaseLoaded = 1;
    request.m_pProgramInfo = infoReference;
}

void CSymbolEngine::DropFailedLoad(CQelTargetFile *reader)
{
    // The reader's recordsets go before the database that they read.
    delete reader;
    CQelDatabase *database = m_Databases[ProgramCount];
    m_Databases[ProgramCount] = nullptr;
    const BOOL built = database->WasBuilt();
    const CString path = database->m_strPath;
    CloseDatabase(*database);
    delete database;
    if (built)
        remove(path);
}

void CSymbolEngine::OnUnloadFile(CSymbolRequest &request)
{
    CComPtr<IUnknown> keepHost(m_pOwner);
    ModulCount = 0;
    NextModulToRead = 0;
    request.m_pProgramInfo.Release();
    const int keep = request.Param2.vt != VT_EMPTY ? NumberParameter(request.Param2) : 0;

    // The host learns of the change through the partner debugger when there is one,
    // which holds the program for both.
    CComPtr<IUnknown> foreign = QueryDebugServer(SYF_GET_FOREIGN_DEBUG_SERVER);
    IUnknown *told = foreign != nullptr ? foreign.p : m_pOwner;
    if (told != nullptr) {
        COleTarCmdCaller caller(told, &CLSID_QelSymbol);
        CVariantArray in(2);
        VARIANT value;
        value.vt = VT_UI4;
        value.ulVal = 1;
        in[0].SetValue(value);
        value.vt = VT_I4;
        value.lVal = 0;
        in[1].SetValue(value);
        try {
            caller.ExecHandOver(kProgramChangedCommand, &in, nullptr, 0);
        } catch (const _com_error &) {
            // A host that cannot be told does not keep the program loaded.
        }
    }

    FreeVariableCaches();
    delete CurrentReader;
    CurrentReader = nullptr;
    if (ProgramCount > 0) {
        DeleteRequestsExcept(keep);
        DatabaseLoaded = 0;
        --ProgramCount;
        if (CQelDatabase *database = m_Databases[ProgramCount]) {
            m_Databases[ProgramCount] = nullptr;
            CloseDatabase(*database);
            delete database;
        }
    }
    request.m_nResult = 1;
}

LONG CSymbolEngine::RecogniseProgramFile(LPCSTR path, SectionList::CSectionList &image)
{
    for (const QelProgramFormat &format : ProgramFormats) {
        if (format.IsFileOfFormat(path) == 1)
            return format.Kind;
    }
    SectionList::CIntelHexReader hexReader;
    if (hexReader.ReadFile(image, path, TRUE, 1) == SectionList::SLR_SUCCESS)
        return QEL_PROGRAM_INTEL_HEX;
    return -1;
}

CString CSymbolEngine::FindCorrespondingElfFile(LPCSTR hexPath)
{
    CSystemProfileItem autoLoad(IDS_PROFILE_AUTOLOADELF, m_pOwner);
    if (!autoLoad.GetBool())
        return "";
    // The extension is what follows the last '.' of the file name, as _splitpath has it;
    // cut here, since _splitpath cuts a long directory to its buffer.
    CString companion = hexPath;
    const int nameStart = std::max(companion.ReverseFind('/'), companion.ReverseFind('\\')) + 1;
    const int dot = companion.ReverseFind('.');
    if (dot >= nameStart)
        companion = companion.Left(dot);
    companion += ".elf";
    char elfPath[2048];
    snprintf(elfPath, sizeof elfPath, "%s", static_cast<LPCSTR>(companion));

    CELFCheck check;
    if (check.IsFileOfType(elfPath) == 1)
        return elfPath;
    CExtendedFileDialog dialog(TRUE, nullptr, elfPath, OFN_HIDEREADONLY, nullptr, GetHostMainWnd(0, nullptr));
    dialog.m_ofn.lpstrTitle = "Open corresponding ELF file";
    dialog.m_ofn.lpstrFile = elfPath;
    dialog.m_ofn.nMaxFile = sizeof elfPath;
    if (dialog.DoModal() == IDOK && check.IsFileOfType(elfPath) == 1)
        return elfPath;
    return "";
}

CString CSymbolEngine::DatabaseBasePath(LPCSTR path)
{
    CSystemProfileItem special(IDS_PROFILE_DATABASE_SPECIAL, m_pOwner);
    if (!special.GetBool())
        return path;
    CSystemProfileItem directoryItem(IDS_PROFILE_DATABASE_DIRECTORY, m_pOwner);
    const char *text = directoryItem.GetString();
    CString directory = text != nullptr ? text : "";
    if (CreateDirectoryPath(directory)) {
        directory.TrimRight("/\\");
        return directory + "/" + ExtractFileName(path);
    }
    CQelDiagHelper diagnostics(m_pOwner, "QelSymbolEngine", nullptr);
    if (diagnostics.GetLevel() != 0) {
        CString message;
        message.Format(LoadStringText(IDS_LOAD_NO_DATABASE_DIRECTORY), static_cast<LPCSTR>(directory));
        diagnostics.TraceError("%s", static_cast<LPCSTR>(message));
        diagnostics.TraceError("Please check configuration!\n");
    }
    return path;
}

CComPtr<IUnknown> CSymbolEngine::QueryDebugServer(tagSynchronizeFunction which)
{
    CComPtr<IUnknown> server;
    if (m_pOwner == nullptr)
        return server;
    CComPtr<IQelSymbSrv> symbolServer;
    HRESULT hr = m_pOwner->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&symbolServer));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_error(hr);
    if (symbolServer != nullptr && FAILED(symbolServer->Synchronize(which, &server)))
        server.Release();
    return server;
}
