// The dialog templates of the watch and locals windows, in dialog units; the texts are
// the dialogs' own.
#include "watchresources.h"

namespace {

const DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

const QEL_DLGITEMTEMPLATE kConfigItems[] = {
    {"Button", -1, "Options", BS_GROUPBOX, 0, 7, 7, 150, 58},
    {"Button", IDC_WATCH_HEXADECIMAL, "He&xadecimal", kCheck | WS_GROUP, 0, 14, 20, 136, 10},
    {"Button", IDC_WATCH_ASCII, "&ASCII (for characters)", kCheck, 0, 14, 34, 136, 10},
    {"Button", IDC_WATCH_EXPONENTIAL, "&Exponential (for floating points)", kCheck, 0, 14, 48, 136, 10},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 164, 7, 50, 14},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 164, 25, 50, 14},
};

// The editor is the host's ActiveX control, by its class identifier.
const QEL_DLGITEMTEMPLATE kPeriodItems[] = {
    {"{F7D9DFF4-DBCD-4DEE-9147-3A124F3380CE}", IDC_WATCH_PERIOD_EDITOR, nullptr, WS_VISIBLE | WS_TABSTOP, 0, 7, 7, 175,
     131},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 189, 7, 50, 14},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 189, 24, 50, 14},
};

} // namespace

const QEL_DLGTEMPLATE g_WatchConfigDialog = {
    "Display format", WS_POPUP, 0, 0, 0, 221, 72, kConfigItems, sizeof kConfigItems / sizeof kConfigItems[0]};

const QEL_DLGTEMPLATE g_WatchPeriodDialog = {"Refresh Period for Watch Entry", WS_POPUP, 0, 0, 0, 246, 145, kPeriodItems,
                                             sizeof kPeriodItems / sizeof kPeriodItems[0]};
