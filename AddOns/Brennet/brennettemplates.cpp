// The dialog template of the setup dialog. Positions are in dialog units; the texts are
// the dialog's own. (The template has no font: dialogs of this platform have none.)
#include "brennetresources.h"

namespace {

const DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;

const QEL_DLGITEMTEMPLATE kSetupItems[] = {
    {"Button", IDC_EASYCODE, "EasyCODE", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 7, 7, 80, 10},
    {"Button", IDC_X32, "&X32", BS_AUTORADIOBUTTON, 0, 7, 21, 80, 10},
    {"Static", IDC_TOOL_LABEL, "Please specify the executable file of CASE tool:", WS_GROUP, 0, 7, 39, 200, 8},
    {"Edit", IDC_TOOL_PATH, nullptr, WS_TABSTOP, 0, 7, 50, 180, 12},
    {"Button", IDC_BROWSE_TOOL, "...", kPush, 0, 190, 50, 16, 12},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 50, 72, 50, 14},
    {"Button", IDCANCEL, "Cancel", kPush, 0, 110, 72, 50, 14},
};

const QEL_DLGTEMPLATE kSetup = {"Setup Case Tool Connection", WS_POPUP, 0, 0, 0, 213, 93, kSetupItems,
                                sizeof kSetupItems / sizeof kSetupItems[0]};

} // namespace

const QEL_RESOURCE_ENTRY g_BrennetResources[] = {
    {RT_DIALOG, MAKEINTRESOURCE(IDD_SETUP), &kSetup, sizeof kSetup},
};
const size_t g_BrennetResourceCount = sizeof g_BrennetResources / sizeof g_BrennetResources[0];
