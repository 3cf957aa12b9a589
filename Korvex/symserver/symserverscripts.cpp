#include "symserverscripts.h"

namespace {

const char kQelSymbolScript[] = R"(HKCR
{
    QEL.QelSymbol.1 = s 'QelSymbol Class'
    {
        CLSID = s '{EF0E9413-D9B2-11D1-BC34-006097125629}'
    }
    QEL.QelSymbol = s 'QelSymbol Class'
    {
        CLSID = s '{EF0E9413-D9B2-11D1-BC34-006097125629}'
        CurVer = s 'QEL.QelSymbol.1'
    }
    NoRemove CLSID
    {
        ForceRemove {EF0E9413-D9B2-11D1-BC34-006097125629} = s 'QelSymbol Class'
        {
            ProgID = s 'QEL.QelSymbol.1'
            VersionIndependentProgID = s 'QEL.QelSymbol'
            'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Free'
            }
        }
    }
}
)";

const char kQelSymbolPcpScript[] = R"(HKCR
{
    QEL.QelSymbolPCP.1 = s 'QelSymbolPCP Class'
    {
        CLSID = s '{0812F8D1-D420-11D3-BFF0-006097125629}'
    }
    QEL.QelSymbolPCP = s 'QelSymbolPCP Class'
    {
        CLSID = s '{0812F8D1-D420-11D3-BFF0-006097125629}'
        CurVer = s 'QEL.QelSymbolPCP.1'
    }
    NoRemove CLSID
    {
        ForceRemove {0812F8D1-D420-11D3-BFF0-006097125629} = s 'QelSymbolPCP Class'
        {
            ProgID = s 'QEL.QelSymbolPCP.1'
            VersionIndependentProgID = s 'QEL.QelSymbolPCP'
            'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Free'
            }
        }
    }
}
)";

const char kPropertyPageScript[] = R"(HKCR
{
    NoRemove CLSID
    {
        ForceRemove %CLSID% = s 'Property Page'
        {
            'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
        }
    }
}
)";

const char kTypeLibrary[] = "{EF0E9403-D9B2-11D1-BC34-006097125629} 1.0 korvex 1.0 Type Library";

} // namespace

const QEL_RESOURCE_ENTRY g_SymserverResources[] = {
    {"REGISTRY", MAKEINTRESOURCE(IDR_QELSYMBOL), kQelSymbolScript, sizeof kQelSymbolScript - 1},
    {"REGISTRY", MAKEINTRESOURCE(IDR_QELSYMBOLPCP), kQelSymbolPcpScript, sizeof kQelSymbolPcpScript - 1},
    {"REGISTRY", MAKEINTRESOURCE(IDR_SYMSRVPROPERTYPAGE), kPropertyPageScript, sizeof kPropertyPageScript - 1},
    {"TYPELIB", MAKEINTRESOURCE(1), kTypeLibrary, sizeof kTypeLibrary - 1},
};

const size_t g_SymserverResourceCount = sizeof g_SymserverResources / sizeof g_SymserverResources[0];
