// The registry script of Brennet's class. The add-on's key lies under the host's
// "AddOns" key beside the other add-ons' keys, so that key and those above it stay when
// Brennet goes (NoRemove); only Brennet's own key is taken away.
#include "brennetresources.h"

namespace {

const char kBrennetScript[] = R"(HKCR
{
    %PROGID% = s '%DESCRIPTION%'
    {
        CLSID = s '%CLSID%'
    }
    %VIPROGID% = s '%DESCRIPTION%'
    {
        CLSID = s '%CLSID%'
        CurVer = s '%PROGID%'
    }
    NoRemove CLSID
    {
        ForceRemove %CLSID% = s '%DESCRIPTION%'
        {
            ProgID = s '%PROGID%'
            VersionIndependentProgID = s '%VIPROGID%'
            ForceRemove 'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Both'
            }
            'TypeLib' = s '%LIBID%'
        }
    }
}
HKLM
{
    NoRemove SOFTWARE
    {
        NoRemove Tosk
        {
            NoRemove Qelvane
            {
                NoRemove Version3
                {
                    NoRemove AddOns = s 'QEL AddOns and Extensions'
                    {
                        ForceRemove %COMPONENT% = s '%DESCRIPTION%'
                        {
                            val ProgID = s '%PROGID%'
                            val 'QEL.StdC16xCPUSRV.1' = d 1
                            val 'QEL.TriCoreArchSrv.1' = d 1
                            val 'QEL.Arm7ArchSrv.1' = d 1
                        }
                    }
                }
            }
        }
    }
}
)";

} // namespace

const QEL_RESOURCE_ENTRY g_BrennetScripts[] = {
    {"REGISTRY", MAKEINTRESOURCE(IDR_BRENNET), kBrennetScript, sizeof kBrennetScript - 1},
};
const size_t g_BrennetScriptCount = sizeof g_BrennetScripts / sizeof g_BrennetScripts[0];
