// The string table and resources of the framework's test program (teststrings_test.cpp),
// which is a module of its own, as each server is.
#pragma once

enum : unsigned {
    IDS_TEST_PLAIN = 100,      // "Cannot open the program file."
    IDS_TEST_FORMAT = 101,     // "Cannot open %s (error %d)."
    IDS_TEST_LONG = 102,       // 300 'R's
    IDS_TEST_TITLE = 103,      // "File load error"
    IDS_TEST_NOT_SUPPORTED = 104,
    IDS_TEST_ANY = 105,        // "%s"
    IDS_TEST_CFG_SYSTEM = 200,      // "System": a section of the host's profile
    IDS_TEST_CFG_AUTOLOADELF = 201, // "AUTOLOADELF/BOOL"
    IDS_TEST_CFG_IGNORE = 202,      // "IgnoreProgramFromWsp/BOOL:FALSE"
    IDS_TEST_CFG_DIRECTORY = 203,   // "  DATABASE_DIRECTORY/ bstr :  /tmp/Db " (blanks kept)
    IDS_TEST_MISSING = 999,    // no such string
};

// Resources, as the resource compiler stores them: bitmaps without their file header.
enum : unsigned {
    IDB_TEST_PALETTE8 = 300,   // RT_BITMAP 2x2, 8 bits per pixel, biClrUsed 0 (256 colours)
    IDB_TEST_TRUECOLOUR = 301, // RT_BITMAP 1x1, 24 bits per pixel: no colour table
    IDB_TEST_FEWCOLOURS = 302, // RT_BITMAP 2x1, 4 bits per pixel, biClrUsed 3
    IDB_TEST_TRUNCATED = 303,  // RT_BITMAP of 20 bytes, shorter than its info header
    IDB_TEST_BADCOLOURS = 304, // RT_BITMAP whose biClrUsed puts the pixels past its end
    IDR_TEST_SCRIPT = 310,     // "REGISTRY": a registry script, no header
};
