// The kinds of symbol that the symbol browser lets a user pick (TALVIXLib's enumeration).
#pragma once

enum tagSYMBOLBROWSERMODE {
    CODE_LABEL = 0,
    DATA_LABEL = 1,
    WATCH_BROWSER = 100,
    ENUMERATION_LISTER = 101,
    SFR_LISTER = 102,
    ABORT = 1000,
};
