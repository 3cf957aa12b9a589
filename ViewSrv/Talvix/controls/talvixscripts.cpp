#include "talvixscripts.h"

#include "selectdialogresources.h"
#include "selectimagesbitmap.h"
#include "symbolbrowser.h"
#include "watchresources.h"

#include <drawnlistresources.h>

namespace {

// Every %NAME% is filled per control by RegisterViewServer; MODULE is the library's path.
// The "View Server" key and the symbol server's own key there stay when a control goes,
// since other view servers live below them.
const char kViewServerScript[] = R"(HKCR
{
    QEL.%SERVER%.%NO% = s '%DESCRIPTION%'
    {
        CLSID = s '%CLSID%'
    }
    QEL.%SERVER% = s '%DESCRIPTION%'
    {
        CLSID = s '%CLSID%'
        CurVer = s 'QEL.%SERVER%.%NO%'
    }
    NoRemove CLSID
    {
        ForceRemove %CLSID% = s '%DESCRIPTION%'
        {
            ProgID = s 'QEL.%SERVER%.%NO%'
            VersionIndependentProgID = s 'QEL.%SERVER%'
            ForceRemove 'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            ForceRemove 'Control'
            ForceRemove 'Insertable'
            ForceRemove 'ToolboxBitmap32' = s '%MODULE%,%BITMAP_ID%'
            ForceRemove 'DefaultIcon' = s '%MODULE%, -%ICON_ID%'
            'MiscStatus' = s '0'
            {
                '1' = s '131473'
            }
            'TypeLib' = s '%TYPELIB_CLSID%'
            'Version' = s '1.0'
            ForceRemove 'ToolFrameItems'
            {
                ForceRemove 'ViewServer' = s '%VIEWSERV_NAME%'
                ForceRemove 'FrameName' = s '%DOC_TITLE%'
                ForceRemove 'MenuString' = s '%MENU_ITEM%'
                ForceRemove 'ToolTipString' = s '%TOOLTIP_ITEM%'
                ForceRemove 'MessageString' = s '%DESCRIPTION%'
                ForceRemove 'ActivateHotkey' = s '%MODULE%,%ACCELERATOR%'
            }
            ForceRemove 'AuxUserType'
            {
                '1' = s '%DESCRIPTION%'
                '2' = s '%DOC_TITLE%'
                '3' = s '%SERVER%'
            }
        }
    }
}
HKLM
{
    NoRemove Software
    {
        NoRemove Tosk
        {
            NoRemove Qelvane
            {
                NoRemove Version3
                {
                    NoRemove 'View Server'
                    {
                        NoRemove %DBGSRV_CLSID%
                        {
                            ForceRemove %CLSID% = s '%VIEWSERV_NAME%'
                        }
                        ForceRemove '%VIEWSERV_NAME%' = s '%CLSID%'
                        {
                            val Description = s '%DESCRIPTION%'
                            val MultipleUse = s '1'
                            val ViewCat = d '%VIEWCAT%'
                            val MenuCat = d '%MENUCAT%'
                            val ToolBarCat = d '%TOOLBAR%'
                            val MultiInst = d '%MULTIINSTANCE%'
                            val OpenDirect = d '%SHOWDIRECT%'
                            val PreferedFrame = d '%FRAMETYPE%'
                            val cx = d '%CX%'
                            val cy = d '%CY%'
                        }
                    }
                }
            }
        }
    }
}
)";

// The symbol browser: a plain class of the library, made by its class identifier.
const char kSymbolBrowserScript[] = R"(HKCR
{
    QEL.SymbolBrowser.1 = s 'QelSymbolBrowser Class'
    {
        CLSID = s '{7BE169D0-4418-4FFD-BC71-BF90B413BCB4}'
    }
    QEL.SymbolBrowser = s 'QelSymbolBrowser Class'
    {
        CLSID = s '{7BE169D0-4418-4FFD-BC71-BF90B413BCB4}'
        CurVer = s 'QEL.SymbolBrowser.1'
    }
    NoRemove CLSID
    {
        ForceRemove {7BE169D0-4418-4FFD-BC71-BF90B413BCB4} = s 'QelSymbolBrowser Class'
        {
            ProgID = s 'QEL.SymbolBrowser.1'
            VersionIndependentProgID = s 'QEL.SymbolBrowser'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
        }
    }
}
)";

// The select list is no view server: it registers as a control of its own type library.
const char kSelectListScript[] = R"(HKCR
{
    QEL.QelSymbolSelectList.1 = s 'QelSymbolSelectList Class'
    {
        CLSID = s '{9563DFBA-B8D4-11D2-94C2-00A02457BF0F}'
    }
    QEL.QelSymbolSelectList = s 'QelSymbolSelectList Class'
    {
        CLSID = s '{9563DFBA-B8D4-11D2-94C2-00A02457BF0F}'
        CurVer = s 'QEL.QelSymbolSelectList.1'
    }
    NoRemove CLSID
    {
        ForceRemove {9563DFBA-B8D4-11D2-94C2-00A02457BF0F} = s 'QelSymbolSelectList Class'
        {
            ProgID = s 'QEL.QelSymbolSelectList.1'
            VersionIndependentProgID = s 'QEL.QelSymbolSelectList'
            ForceRemove 'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            ForceRemove 'Control'
            ForceRemove 'Insertable'
            ForceRemove 'ToolboxBitmap32' = s '%MODULE%, 103'
            'MiscStatus' = s '0'
            {
                '1' = s '131473'
            }
            'TypeLib' = s '{EF0E9403-D9B2-11D1-BC34-006097125629}'
            'Version' = s '1.0'
        }
    }
}
)";

// Six black 16x16 images, 4 bits a pixel: the header, a colour table of one colour (black)
// and rows of 48 bytes of colour 0.
struct ExplorerImages {
    BITMAPINFOHEADER header;
    BYTE colors[4];
    BYTE rows[16 * 48];
};
const ExplorerImages kExplorerImages = {{sizeof(BITMAPINFOHEADER), 6 * 16, 16, 1, 4, 0, 0, 0, 0, 1, 0}, {}, {}};

} // namespace

const QEL_RESOURCE_ENTRY g_TalvixResources[] = {
    {"REGISTRY", MAKEINTRESOURCE(IDR_VIEWSERVER), kViewServerScript, sizeof kViewServerScript - 1},
    {"REGISTRY", MAKEINTRESOURCE(IDR_SYMBOLSELECTLIST), kSelectListScript, sizeof kSelectListScript - 1},
    {"REGISTRY", MAKEINTRESOURCE(IDR_SYMBOL_BROWSER), kSymbolBrowserScript, sizeof kSymbolBrowserScript - 1},
    {RT_BITMAP, MAKEINTRESOURCE(IDB_EXPLORER_IMAGES), &kExplorerImages, sizeof kExplorerImages},
    {RT_BITMAP, MAKEINTRESOURCE(IDB_SELECT_IMAGES), g_SelectImagesBitmap, sizeof g_SelectImagesBitmap},
    {RT_DIALOG, MAKEINTRESOURCE(IDD_SYMBOL_SELECT), &g_SymbolSelectDialog, sizeof g_SymbolSelectDialog},
    WATCH_RESOURCE_ENTRIES,
    DRAWNLIST_RESOURCE_ENTRIES,
};

const size_t g_TalvixResourceCount = sizeof g_TalvixResources / sizeof g_TalvixResources[0];
