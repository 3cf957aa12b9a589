// The dialog templates of the symbol server's windows. Positions are in dialog units;
// the texts are the dialogs' own.
#include "windowsresources.h"

#include "stateimagesbitmap.h"

namespace {

const DWORD kDialog = WS_POPUP;
const DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD kDefault = BS_DEFPUSHBUTTON | WS_TABSTOP;

const QEL_DLGITEMTEMPLATE kReloadItems[] = {
    {"Static", -1, "Binary file", 0, 0, 7, 7, 180, 8},
    {"Static", IDC_FILE_NAME, nullptr, 0, 0, 7, 17, 180, 8},
    {"Static", -1, "was changed since last download.", 0, 0, 7, 27, 180, 8},
    {"Static", -1, "Debugging session may be inconsistent.", 0, 0, 7, 41, 180, 8},
    {"Static", -1, "Do you want to reload?", 0, 0, 7, 55, 180, 8},
    {"Button", IDOK, "Reload", kDefault, 0, 40, 72, 50, 14},
    {"Button", IDCANCEL, "Ignore", kPush, 0, 100, 72, 50, 14},
};

const QEL_DLGITEMTEMPLATE kDownloadItems[] = {
    {"Static", -1, "Target Pattern Download:", 0, 0, 7, 7, 100, 8},
    {"msctls_progress32", IDC_DOWNLOAD_BAR, nullptr, 0, 0, 7, 17, 150, 10},
    {"Static", IDC_DOWNLOAD_TEXT, nullptr, 0, 0, 160, 18, 60, 8},
    {"Static", -1, "Symbol analysis:", 0, 0, 7, 33, 100, 8},
    {"msctls_progress32", IDC_ANALYSIS_BAR, nullptr, 0, 0, 7, 43, 150, 10},
    {"Static", IDC_ANALYSIS_TEXT, nullptr, 0, 0, 160, 44, 60, 8},
};

const QEL_DLGITEMTEMPLATE kLoadItems[] = {
    {"Static", -1, "Do you want to load binary file", 0, 0, 7, 7, 180, 8},
    {"Static", IDC_FILE_NAME, nullptr, 0, 0, 7, 17, 180, 8},
    {"Static", -1, "from Workspace?", 0, 0, 7, 27, 180, 8},
    {"Button", IDOK, "Load", kDefault, 0, 40, 44, 50, 14},
    {"Button", IDCANCEL, "Cancel", kPush, 0, 100, 44, 50, 14},
};

const QEL_DLGITEMTEMPLATE kNoteItems[] = {
    {"Edit", IDC_NOTE_TEXT, nullptr, WS_TABSTOP, 0, 7, 7, 200, 12},
    {"Button", IDOK, "&Execute", kDefault, 0, 50, 26, 50, 14},
    {"Button", IDCANCEL, "&Close", kPush, 0, 110, 26, 50, 14},
};

const QEL_DLGITEMTEMPLATE kImagesItems[] = {
    {"Static", -1, "Program file", 0, 0, 7, 7, 250, 8},
    {"Static", IDC_NEW_IMAGE, nullptr, 0, 0, 7, 17, 250, 8},
    {"Static", -1, "is a new image.", 0, 0, 7, 27, 250, 8},
    {"Static", -1, "Do you want to keep any of the following other program images under debugger control ?", 0, 0,
     7, 41, 250, 16},
    {"SysListView32", IDC_IMAGE_LIST, nullptr, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
     0, 7, 60, 280, 80},
    {"Button", IDOK, "OK", kDefault, 0, 90, 148, 50, 14},
    {"Button", IDCANCEL, "Cancel", kPush, 0, 150, 148, 50, 14},
};

const QEL_DLGITEMTEMPLATE kPositionItems[] = {
    {"ComboBox", IDC_POSITION, nullptr, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP, 0, 7, 7, 150, 60},
    {"Button", IDC_BROWSE, "...", kPush, 0, 162, 7, 16, 12},
    {"Button", IDOK, "OK", kDefault, 0, 40, 26, 50, 14},
    {"Button", IDCANCEL, "Cancel", kPush, 0, 100, 26, 50, 14},
};

const DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD kEdit = WS_TABSTOP;

const QEL_DLGITEMTEMPLATE kPropertyPageItems[] = {
    {"Static", -1, "Name of 'main' function:", 0, 0, 7, 9, 90, 8},
    {"Edit", IDC_MAIN_FUNCTION, nullptr, kEdit, 0, 100, 7, 130, 12},
    {"Static", -1, "Name of startup function:", 0, 0, 7, 25, 90, 8},
    {"Edit", IDC_START_PROCEDURE, nullptr, kEdit, 0, 100, 23, 130, 12},
    {"Static", -1, "Source files root directory", 0, 0, 7, 41, 90, 8},
    {"Edit", IDC_SOURCE_FILES_ROOT, nullptr, kEdit, 0, 100, 39, 112, 12},
    {"Button", IDC_BROWSE_SOURCE_FILES_ROOT, "...", kPush, 0, 214, 39, 16, 12},
    {"Button", IDC_AUTO_RELOAD, "Auto reload", kCheck, 0, 7, 57, 110, 10},
    {"Button", IDC_MULTI_PROGRAM, "Multi program debugging", kCheck, 0, 7, 69, 110, 10},
    {"Button", IDC_AUTOLOAD_ELF, "Hex/ELF load", kCheck, 0, 120, 57, 110, 10},
    {"Button", IDC_IGNORE_PROGRAM_FROM_WSP, "Ignore program from workspace", kCheck, 0, 120, 69, 110, 10},
    {"Button", IDC_VARED, "VarEd (RB)", kCheck, 0, 120, 81, 110, 10},
    {"Button", -1, "Database directory", BS_GROUPBOX, 0, 7, 95, 223, 44},
    {"Button", IDC_DATABASE_TARGET_PATH, "Target file path (def.)", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0,
     14, 107, 120, 10},
    {"Button", IDC_DATABASE_OTHER, "Other:", BS_AUTORADIOBUTTON, 0, 14, 121, 40, 10},
    {"Edit", IDC_DATABASE_DIRECTORY, nullptr, kEdit | WS_GROUP, 0, 56, 120, 150, 12},
    {"Button", IDC_BROWSE_DATABASE_DIRECTORY, "...", kPush, 0, 208, 120, 16, 12},
};

template <size_t N>
constexpr QEL_DLGTEMPLATE Template(LPCSTR caption, DWORD style, short cx, short cy, const QEL_DLGITEMTEMPLATE (&items)[N])
{
    return QEL_DLGTEMPLATE{caption, style, 0, 0, 0, cx, cy, items, static_cast<UINT>(N)};
}

const QEL_DLGTEMPLATE kPropertyPage =
    Template("Symbol Server Property Page", WS_CHILD, 237, 146, kPropertyPageItems);
const QEL_DLGTEMPLATE kReload = Template("Inconsistency between Target and Host", kDialog, 190, 93, kReloadItems);
const QEL_DLGTEMPLATE kDownload = Template("Load State", kDialog, 230, 62, kDownloadItems);
const QEL_DLGTEMPLATE kLoad = Template("Load Binary File", kDialog, 190, 65, kLoadItems);
const QEL_DLGTEMPLATE kNote = Template("Test New Expression", kDialog, 214, 47, kNoteItems);
const QEL_DLGTEMPLATE kImages = Template("Program images", kDialog, 294, 169, kImagesItems);
const QEL_DLGTEMPLATE kPosition = Template("Program code position", kDialog, 185, 47, kPositionItems);

} // namespace

const QEL_RESOURCE_ENTRY g_WindowsResources[] = {
    {RT_BITMAP, MAKEINTRESOURCE(IDB_PROGRAM_STATES), g_StateImagesBitmap, sizeof g_StateImagesBitmap},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_SYMSRV_PROPERTY_PAGE), &kPropertyPage, sizeof kPropertyPage},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_RELOAD), &kReload, sizeof kReload},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_DOWNLOAD), &kDownload, sizeof kDownload},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_LOAD), &kLoad, sizeof kLoad},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_NOTE), &kNote, sizeof kNote},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_IMAGES), &kImages, sizeof kImages},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_POSITION), &kPosition, sizeof kPosition},
};
const size_t g_WindowsResourceCount = sizeof g_WindowsResources / sizeof g_WindowsResources[0];
