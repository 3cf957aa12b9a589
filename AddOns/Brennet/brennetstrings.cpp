#include "brennetstrings.h"

const QEL_STRING_ENTRY g_BrennetStrings[] = {
    {IDS_CONFIGURE_MENU, "&Configure Case\nConfigure CaseTool Connection\nOpen Case Tool Configuration Dialog"},
    {IDS_CASETOOL_MENU, "&Case Tool\nHandle Case Tool Connection\nHandle Case Tool Connection"},
    {IDS_TOOLS_SECTION, "Tools"},
    {IDS_CASETOOL_ENTRY, "CaseTool/BSTR"},
    {IDS_COMPONENT_TEXTS, "QELCaseToolSupport\nSupport of Case Tools Connection\nQEL.CaseSupport.1\nQEL.CaseSupport"},
    {IDS_NOT_INITIALIZED, "Component was not initialized !"},
    {IDS_NOT_READY_AFTER_INIT, "Not ready after 'Init' event !"},
    {IDS_INVALID_TARGET_PROFILE, "Invalid target profile %s !"},
    {IDS_INVALID_PROJECT_PROFILE, "Invalid project profile %s !"},
    {IDS_NO_VERSION_INFO, "Can't create version info !"},
    {IDS_WRONG_VERSION, "Wrong version of component %s !\nVersion %s required\nVersion %s found"},
    {IDS_UNKNOWN_PARAMETER, "Unknown configuration parameter '%s' !"},
    {IDS_INVALID_PARAMETER, "Invalid value for configuration parameter '%s' !"},
    {IDS_INIT_FAILED, "Component initialisation failed !"},
};

const size_t g_BrennetStringCount = sizeof g_BrennetStrings / sizeof g_BrennetStrings[0];

CString BrennetStringPart(UINT id, int index)
{
    CString texts;
    texts.LoadString(id);
    int start = 0;
    for (int part = 0; part < index; ++part) {
        start = texts.Find('\n', start);
        if (start < 0)
            return CString();
        ++start;
    }
    int end = texts.Find('\n', start);
    return end < 0 ? texts.Mid(start) : texts.Mid(start, end - start);
}
