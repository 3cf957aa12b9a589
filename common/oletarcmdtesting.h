// Command handlers for the tests of the command framework, with tables that use every
// kind of entry.
#pragma once

#include "oletarcmdclass.h"
#include "viewsrvitemobj.h"
#include "viewsrvtesting.h"

namespace OleTarCmdTesting {

DEFINE_GUID(CGID_Test, 0xC0FFEE00, 0x1234, 0x5678, 0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78);
constexpr const char *kTestGroupText = "{C0FFEE00-1234-5678-9ABC-DEF012345678}";

// Commands: 1 adds two VT_I4 into one VT_I4; 2 (indexed) answers its own command id; 3
// is 1 depending on the server; 4 answers a new text; 60 opens "StdQelWatchWin"; 10, 11
// and 12 have frame items, 12 of level 1; 20 and 21 are script items of "StdHTMLView".
class CTestHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CTestHandler)

public:
    CTestHandler() { InitCommandArrays(FALSE); }

    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override { return &CGID_Test; }
    void UpdateCommandStatus(DWORD id) override;
    BOOL GetCommandText(CString &text) override
    {
        text = m_commandText;
        return TRUE;
    }

    HRESULT OnAdd(CVariantArray *in, CVariantArray *out);
    HRESULT OnIndexed(const OLECMDTARHNDLENTRY *entry, CVariantArray *in, CVariantArray *out);
    HRESULT OnAnswerText(CVariantArray *in, CVariantArray *out);

    CString m_commandText;
};

// A second handler of the same group: it knows 1 too, and 5.
class COtherHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(COtherHandler)

public:
    COtherHandler() { InitCommandArrays(FALSE); }
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override { return &CGID_Test; }
    HRESULT OnAnswer(CVariantArray *in, CVariantArray *out);
};

// A handler without command group, which commands of no group reach; it opens
// "StdQelWatchWin" as well (command 9).
class CNoGroupHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CNoGroupHandler)

public:
    CNoGroupHandler() { InitCommandArrays(FALSE); }
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
};

// The list of the three, in that order, for the test server.
class CTestCmdClass : public CBasicOleTarCmdClass {
public:
    CTestCmdClass() : CBasicOleTarCmdClass(&ViewSrvTesting::CLSID_TestServer) { CreateHandlers(); }
    CRuntimeClass **GetHandlerClasses() override;
};

} // namespace OleTarCmdTesting
