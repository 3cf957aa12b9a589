// The string table of the framework's test program (teststrings_test.cpp), which is a
// module of its own, as each server is.
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
