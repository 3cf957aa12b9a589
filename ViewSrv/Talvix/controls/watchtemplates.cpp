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

} // namespace

const QEL_DLGTEMPLATE g_WatchConfigDialog = {
    "Display format", WS_POPUP, 0, 0, 0, 221, 72, kConfigItems, sizeof kConfigItems / sizeof kConfigItems[0]};
