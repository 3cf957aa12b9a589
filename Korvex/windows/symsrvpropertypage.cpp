#include "symsrvpropertypage.h"

#include "windowsresources.h"
#include "windowsstrings.h"

#include <diaghelper.h>
#include <folderbrowse.h>
#include <progfilepaths.h>

namespace {

// What the item holds, or its default while the host has no profile to ask.
CComVariant ReadValue(CQelCfgProfileClientImpl &item)
{
    CComVariant value;
    VariantCopy(&value, &item.GetDefault());
    item.GetValue(&value);
    return value;
}

CString ReadText(CQelCfgProfileClientImpl &item)
{
    CComVariant value = ReadValue(item);
    return value.vt == VT_BSTR ? CString(value.bstrVal) : CString();
}

int ReadFlag(CQelCfgProfileClientImpl &item)
{
    CComVariant value = ReadValue(item);
    return value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE ? 1 : 0;
}

HRESULT WriteText(CQelCfgProfileClientImpl &item, const CString &text)
{
    CComVariant value(static_cast<LPCSTR>(text));
    return item.PutValue(&value);
}

} // namespace

CSymSrvPropertyPage::CSymSrvPropertyPage()
    : COlePropertyPage(IDD_SYMSRV_PROPERTY_PAGE, IDS_PROPERTY_PAGE_CAPTION),
      m_mainFunction(IDS_PROFILE_SECTION_COMPILER, IDS_PROFILE_MAIN_FUNC),
      m_startProcedure(IDS_PROFILE_SECTION_COMPILER, IDS_PROFILE_START_PROC),
      m_sourceFilesRoot(IDS_PROFILE_SECTION_COMPILER, IDS_PROFILE_SOURCE_FILES_ROOT),
      m_autoReload(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_AUTORELOAD),
      m_multiProgram(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_MULTIPROGRAM),
      m_databaseSpecial(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_DATABASE_SPECIAL),
      m_databaseDirectory(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_DATABASE_DIRECTORY),
      m_autoLoadElf(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_AUTOLOADELF),
      m_ignoreProgramFromWsp(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_IGNORE_PROGRAM_FROM_WSP),
      m_varEd(IDS_PROFILE_SECTION_SYSTEM, IDS_PROFILE_VARED), m_nDatabaseChoice(0), m_bAutoReload(0),
      m_bMultiProgram(0), m_bAutoLoadElf(0), m_bIgnoreProgramFromWsp(0), m_bVarEd(0)
{
}

CSymSrvPropertyPage::~CSymSrvPropertyPage()
{
    for (CQelCfgProfileClientImpl *item : {&m_mainFunction, &m_startProcedure, &m_sourceFilesRoot, &m_autoReload,
                                           &m_multiProgram, &m_databaseSpecial, &m_databaseDirectory,
                                           &m_autoLoadElf, &m_ignoreProgramFromWsp, &m_varEd})
        item->Detach();
}

void CSymSrvPropertyPage::OnObjectsChanged()
{
    ULONG count = 0;
    IUnknown **objects = GetObjectArray(&count);
    for (CQelCfgProfileClientImpl *item : {&m_mainFunction, &m_startProcedure, &m_sourceFilesRoot, &m_autoReload,
                                           &m_multiProgram, &m_databaseSpecial, &m_databaseDirectory,
                                           &m_autoLoadElf, &m_ignoreProgramFromWsp, &m_varEd}) {
        if (count > 0)
            item->Attach(objects[0]);
        else
            item->Detach();
    }
}

void CSymSrvPropertyPage::ReadProfile()
{
    m_strMainFunction = ReadText(m_mainFunction);
    m_strStartProcedure = ReadText(m_startProcedure);
    m_strSourceFilesRoot = ReadText(m_sourceFilesRoot);
    m_strDatabaseDirectory = ReadText(m_databaseDirectory);
    m_nDatabaseChoice = ReadFlag(m_databaseSpecial);
    m_bAutoReload = ReadFlag(m_autoReload);
    m_bMultiProgram = ReadFlag(m_multiProgram);
    m_bAutoLoadElf = ReadFlag(m_autoLoadElf);
    m_bIgnoreProgramFromWsp = ReadFlag(m_ignoreProgramFromWsp);
    m_bVarEd = ReadFlag(m_varEd);
}

void CSymSrvPropertyPage::SettleDatabaseDirectory()
{
    if (m_nDatabaseChoice != 1)
        return;
    if (m_strDatabaseDirectory.IsEmpty()) {
        m_nDatabaseChoice = 0;
        return;
    }
    if (CreateDirectoryPath(m_strDatabaseDirectory))
        return;
    CString format, text;
    format.LoadString(IDS_LOAD_NO_DATABASE_DIRECTORY);
    text.Format(format, static_cast<LPCSTR>(m_strDatabaseDirectory));
    MessageBox(text, "Warning", MB_ICONEXCLAMATION);
    m_nDatabaseChoice = 0;
}

BOOL CSymSrvPropertyPage::WriteProfile()
{
    struct Write {
        CQelCfgProfileClientImpl *item;
        HRESULT result;
    };
    Write writes[] = {
        {&m_mainFunction, WriteText(m_mainFunction, m_strMainFunction)},
        {&m_startProcedure, WriteText(m_startProcedure, m_strStartProcedure)},
        {&m_sourceFilesRoot, WriteText(m_sourceFilesRoot, m_strSourceFilesRoot)},
        {&m_autoReload, m_autoReload.PutBool(m_bAutoReload)},
        {&m_multiProgram, m_multiProgram.PutBool(m_bMultiProgram)},
        {&m_databaseSpecial, m_databaseSpecial.PutBool(m_nDatabaseChoice == 1)},
        {&m_databaseDirectory, WriteText(m_databaseDirectory, m_strDatabaseDirectory)},
        {&m_autoLoadElf, m_autoLoadElf.PutBool(m_bAutoLoadElf)},
        {&m_ignoreProgramFromWsp, m_ignoreProgramFromWsp.PutBool(m_bIgnoreProgramFromWsp)},
        {&m_varEd, m_varEd.PutBool(m_bVarEd)},
    };
    ULONG count = 0;
    IUnknown **objects = GetObjectArray(&count);
    CQelDiagHelper diagnostics(count > 0 ? objects[0] : nullptr, "SymSrvPropertyPage", nullptr);
    // A setting that is not kept is told, so the user does not believe it took effect.
    BOOL written = TRUE;
    for (const Write &write : writes) {
        if (SUCCEEDED(write.result))
            continue;
        diagnostics.ReportFormat("The setting %s of %s was not written (0x%08X).", E_FAIL, 0,
                                 static_cast<LPCSTR>(write.item->GetEntry()),
                                 static_cast<LPCSTR>(write.item->GetSection()), static_cast<unsigned>(write.result));
        written = FALSE;
    }
    IQelCfgProfile2 *profile = m_varEd.GetProfile();
    HRESULT stored = profile != nullptr ? profile->Store() : E_FAIL;
    if (FAILED(stored)) {
        diagnostics.ReportFormat("The settings were not kept by the host's profile (0x%08X).", E_FAIL, 0,
                                 static_cast<unsigned>(stored));
        written = FALSE;
    }
    return written;
}

void CSymSrvPropertyPage::EnableDatabaseDirectory(BOOL bEnable)
{
    for (int id : {IDC_DATABASE_DIRECTORY, IDC_BROWSE_DATABASE_DIRECTORY}) {
        if (CWnd *item = GetDlgItem(id))
            item->EnableWindow(bEnable);
    }
}

void CSymSrvPropertyPage::DoDataExchange(CDataExchange *pDX)
{
    COlePropertyPage::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate)
        ReadProfile();
    DDX_Text(pDX, IDC_MAIN_FUNCTION, m_strMainFunction);
    DDX_Text(pDX, IDC_START_PROCEDURE, m_strStartProcedure);
    DDX_Text(pDX, IDC_SOURCE_FILES_ROOT, m_strSourceFilesRoot);
    DDX_Text(pDX, IDC_DATABASE_DIRECTORY, m_strDatabaseDirectory);
    DDX_Radio(pDX, IDC_DATABASE_TARGET_PATH, m_nDatabaseChoice);
    DDX_Check(pDX, IDC_AUTO_RELOAD, m_bAutoReload);
    DDX_Check(pDX, IDC_MULTI_PROGRAM, m_bMultiProgram);
    DDX_Check(pDX, IDC_AUTOLOAD_ELF, m_bAutoLoadElf);
    DDX_Check(pDX, IDC_IGNORE_PROGRAM_FROM_WSP, m_bIgnoreProgramFromWsp);
    DDX_Check(pDX, IDC_VARED, m_bVarEd);
    if (pDX->m_bSaveAndValidate) {
        SettleDatabaseDirectory();
        CheckRadioButton(IDC_DATABASE_TARGET_PATH, IDC_DATABASE_OTHER,
                         m_nDatabaseChoice == 1 ? IDC_DATABASE_OTHER : IDC_DATABASE_TARGET_PATH);
    }
    EnableDatabaseDirectory(m_nDatabaseChoice == 1);
    if (pDX->m_bSaveAndValidate && !WriteProfile())
        pDX->Fail();
}

void CSymSrvPropertyPage::OnDatabaseChoice()
{
    EnableDatabaseDirectory(IsDlgButtonChecked(IDC_DATABASE_OTHER) == BST_CHECKED);
}

void CSymSrvPropertyPage::BrowseInto(LPCSTR title, int nIDEdit)
{
    CFolderBrowseDlg browse(title, m_hWnd);
    if (LPCSTR folder = browse.DoModal())
        SetDlgItemText(nIDEdit, folder);
}

void CSymSrvPropertyPage::OnBrowseDatabaseDirectory()
{
    BrowseInto("Select database directory", IDC_DATABASE_DIRECTORY);
}

void CSymSrvPropertyPage::OnBrowseSourceFilesRoot()
{
    BrowseInto("Select source files root directory", IDC_SOURCE_FILES_ROOT);
}

BEGIN_MESSAGE_MAP(CSymSrvPropertyPage, COlePropertyPage)
    ON_BN_CLICKED(IDC_DATABASE_TARGET_PATH, OnDatabaseChoice)
    ON_BN_CLICKED(IDC_DATABASE_OTHER, OnDatabaseChoice)
    ON_BN_CLICKED(IDC_BROWSE_DATABASE_DIRECTORY, OnBrowseDatabaseDirectory)
    ON_BN_CLICKED(IDC_BROWSE_SOURCE_FILES_ROOT, OnBrowseSourceFilesRoot)
END_MESSAGE_MAP()
