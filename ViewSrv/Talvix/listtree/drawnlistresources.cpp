#include "drawnlistresources.h"

#include "drawnlistbase.h"

namespace {

// A two-headed horizontal arrow, 16 by 16, hot spot in the middle: a row of bits per
// line. Nothing draws cursors here; the shape is kept as the resource's content.
const unsigned char kDividerCursor[] = {
    8,    8,    // hot spot
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80, 0x01, 0x80, 0x11, 0x88, 0x31, 0x8C, 0x7F, 0xFE,
    0x7F, 0xFE, 0x31, 0x8C, 0x11, 0x88, 0x01, 0x80, 0x01, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

} // namespace

const QEL_RESOURCE_ENTRY g_DrawnListResources[] = {
    {RT_CURSOR, MAKEINTRESOURCEA(IDC_DRAWNLIST_DIVIDER), kDividerCursor, sizeof kDividerCursor},
};
const size_t g_DrawnListResourceCount = sizeof g_DrawnListResources / sizeof g_DrawnListResources[0];
