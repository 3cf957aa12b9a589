// CSymSrvPropertyPage: the symbol server's settings, as a page of the host's options.
//
// Every field is one item of the host's configuration profile. The page reads the items
// when it fills its controls and writes them all back when the frame applies it, then asks
// the profile to keep them. A database directory of "Other:" that is empty or that cannot
// be made gives way to the target file's path, so the loader never looks for a database
// where none can be.
#pragma once

#include <afx.h>
#include <cfgprofileclient.h>

class CSymSrvPropertyPage : public COlePropertyPage {
public:
    CSymSrvPropertyPage();
    ~CSymSrvPropertyPage() override;

protected:
    void OnObjectsChanged() override;
    void DoDataExchange(CDataExchange *pDX) override;

    afx_msg void OnDatabaseChoice();
    afx_msg void OnBrowseDatabaseDirectory();
    afx_msg void OnBrowseSourceFilesRoot();

    DECLARE_MESSAGE_MAP()

private:
    void ReadProfile();
    // Writes every item, then asks the profile to keep them; FALSE when one was refused
    // (the host has been told which).
    BOOL WriteProfile();
    // "Other:" stands only with a directory that exists or could be made.
    void SettleDatabaseDirectory();
    void EnableDatabaseDirectory(BOOL bEnable);
    void BrowseInto(LPCSTR title, int nIDEdit);

    CQelCfgProfileClientImpl m_mainFunction;
    CQelCfgProfileClientImpl m_startProcedure;
    CQelCfgProfileClientImpl m_sourceFilesRoot;
    CQelCfgProfileClientImpl m_autoReload;
    CQelCfgProfileClientImpl m_multiProgram;
    CQelCfgProfileClientImpl m_databaseSpecial;
    CQelCfgProfileClientImpl m_databaseDirectory;
    CQelCfgProfileClientImpl m_autoLoadElf;
    CQelCfgProfileClientImpl m_ignoreProgramFromWsp;
    CQelCfgProfileClientImpl m_varEd;

    CString m_strMainFunction;
    CString m_strStartProcedure;
    CString m_strSourceFilesRoot;
    CString m_strDatabaseDirectory;
    int m_nDatabaseChoice; // 0 the target file's path, 1 "Other:"
    int m_bAutoReload;
    int m_bMultiProgram;
    int m_bAutoLoadElf;
    int m_bIgnoreProgramFromWsp;
    int m_bVarEd;
};
