#include "windowsstrings.h"

const QEL_STRING_ENTRY g_WindowsStrings[] = {
    {IDS_LOAD_PROGRAM_MENU, "&Load Program\nLoad program binaries and symbol information\nLoad Program"},
    {IDS_SHOW_IP_MENU, "Show &IP\nShow current Instruction Pointer\nShow IP"},
    {IDS_SINGLE_PROGRAM_WINDOW_MENU, "&Single Program Window\nUse one program window only\nSingle Program Window"},
    {IDS_SHOW_CODE_MENU, "Show &code\nShow program code at a certain position\nShow program code"},
    {IDS_SOURCE_FILE_TITLE, "Open Source Files"},
    {IDS_SOURCE_FILE_FILTER,
     "Source Files (*.c;*.cpp;*.h;*.a66;*.asm%s)|*.c;*.cpp;*.h;*.a66;*.asm%s|All Files (*.*)|*.*||"},
    {IDS_PROFILE_SECTION_COMPILER, "Compiler"},
    {IDS_PROFILE_MAIN_FUNC, "MAIN_FUNC/BSTR"},
    {IDS_PROFILE_START_PROC, "START_PROC/BSTR"},
    {IDS_PROPERTY_PAGE_CAPTION, "Symbol"},
    {IDS_PROFILE_SECTION_SYSTEM, "System"},
    {IDS_PROFILE_SERVICE, "SERVICE/BOOL"},
    {IDS_PROFILE_AUTORELOAD, "AUTORELOAD/BOOL"},
    {IDS_PROFILE_MULTIPROGRAM, "MULTIPROGRAM/BOOL"},
    {IDS_PROFILE_DATABASE_DIRECTORY, "DATABASE_DIRECTORY/BSTR"},
    {IDS_PROFILE_DATABASE_SPECIAL, "DATABASE_SPECIAL/BOOL"},
    {IDS_PROFILE_SOURCE_FILES_ROOT, "SOURCE_FILES_ROOT/BSTR"},
    {IDS_PROFILE_AUTOLOADELF, "AUTOLOADELF/BOOL"},
    {IDS_PROFILE_MIXEDMODE, "MIXEDMODE/BOOL"},
    {IDS_PROFILE_SINGLEPROGRAMWINDOW, "SINGLEPROGRAMWINDOW/BOOL"},
    {IDS_PROFILE_IGNORE_PROGRAM_FROM_WSP, "IgnoreProgramFromWsp/BOOL:FALSE"},
    {IDS_PROFILE_VARED, "VARED/BOOL:TRUE"},
    {IDS_FILE_LOAD_ERROR, "File load error"},
    {IDS_FORMAT_NOT_SUPPORTED, "The format of selected binary target file is currently not supported."},
    {IDS_SUPPORTED_FORMATS,
     "Supported file formats:\nTriCore:\tELF/DWARF 1.1\n\tTasking-Locator-Option \"-f4\"\n\tGNU-Linker-Option "
     "\"-gdwarf+3\""},
    {IDS_LOAD_NO_DATABASE_DIRECTORY, "Can not create special database directory:\n%s\nTarget file path is used instead."},
};

const size_t g_WindowsStringCount = sizeof g_WindowsStrings / sizeof g_WindowsStrings[0];
