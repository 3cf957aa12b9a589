// The resources of the watch and locals windows: the trees' images (bitmap 251,
// watchimages.py writes it), the display-format dialog and the refresh-period dialog,
// which embeds the host's period editor. WATCH_RESOURCE_ENTRIES goes into Talvix's
// resource table.
#pragma once

#include <afx.h>

enum : UINT {
    IDB_WATCH_IMAGES = 251, // five images of 16 by 16: value, pointer, structure, array, expression
    IDD_WATCH_CONFIG = 282, // "Display format"
    IDC_WATCH_HEXADECIMAL = 1032,
    IDC_WATCH_ASCII = 1033,
    IDC_WATCH_EXPONENTIAL = 1034,
    IDD_WATCH_PERIOD = 292, // "Refresh Period for Watch Entry"
    IDC_WATCH_PERIOD_EDITOR = 1045,
};

extern const unsigned char g_WatchImagesBitmap[744];
extern const QEL_DLGTEMPLATE g_WatchConfigDialog;
extern const QEL_DLGTEMPLATE g_WatchPeriodDialog;

#define WATCH_RESOURCE_ENTRIES                                                                      \
    {RT_BITMAP, MAKEINTRESOURCE(IDB_WATCH_IMAGES), g_WatchImagesBitmap, sizeof g_WatchImagesBitmap}, \
    {RT_DIALOG, MAKEINTRESOURCE(IDD_WATCH_CONFIG), &g_WatchConfigDialog, sizeof g_WatchConfigDialog}, \
    {                                                                                               \
        RT_DIALOG, MAKEINTRESOURCE(IDD_WATCH_PERIOD), &g_WatchPeriodDialog, sizeof g_WatchPeriodDialog \
    }
