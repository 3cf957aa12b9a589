// The view-server items of HTML views. An HTML item opens a new view for every file,
// even one that a view shows already. The derived (script) item has a default page, the
// default value of its DefaultScript key, and opens the document object that the host
// makes of a file rather than the file name.
#pragma once

#include "viewsrvitemobj.h"

class CHTMLViewSrvItemObj : public CViewSrvItemObj {
    DECLARE_DYNCREATE(CHTMLViewSrvItemObj)

public:
    CHTMLViewSrvItemObj();

    HRESULT CreateInstance(LPCSTR sourceFile) override;
};

class CDerivedHTMLViewSrvItemObj : public CHTMLViewSrvItemObj {
    DECLARE_DYNCREATE(CDerivedHTMLViewSrvItemObj)

public:
    // A file already shown is not opened again (S_OK); a new view opens the document
    // object that the owner's command QEL_HOSTCMD_DOCUMENT gives for the file.
    HRESULT CreateInstance(LPCSTR sourceFile) override;
    LPCSTR GetDefaultSourceFile() override;
};
