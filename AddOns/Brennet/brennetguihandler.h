// CBrennetGuiHandler: the add-on's commands in its own command group: the two menu
// commands (configure the tool, switch the link) and the debugger's notices that go to
// the linked tool (positions, breakpoints, run state, values) or, for a symbol, to
// Korvex's watch window. CBrennetGuiItemList is the list of handlers behind the
// component's IOleCommandTarget; it has this one.
#pragma once

#include <cfgprofileclient.h>
#include <oletarcmdclass.h>

class CBrennet;

class CBrennetGuiHandler : public CBasicOleTarCmdHndl {
    DECLARE_DYNCREATE(CBrennetGuiHandler)

public:
    CBrennetGuiHandler();

    // The tool item is bound to the debug-server object (the command target) first.
    BOOL Connect(IUnknown *frame, CStorage *settings) override;
    BOOL Disconnect() override;
    // Command 2 is checked while the tool link reports itself connected.
    void UpdateCommandStatus(DWORD id) override;
    const OLECMDTARHNDLENTRY *GetCommandTable() override;
    const GUID *GetClassGuid() override;

    // The configured tool, the host profile's "Tools" "CaseTool".
    CQelCfgProfileClientImpl &ToolItem() { return m_toolItem; }

    HRESULT Configure(CVariantArray *in, CVariantArray *out);
    HRESULT SwitchTool(CVariantArray *in, CVariantArray *out);
    HRESULT ShowPosition(CVariantArray *in, CVariantArray *out);
    HRESULT SendBreakpoints(CVariantArray *in, CVariantArray *out);
    HRESULT SetRunState(CVariantArray *in, CVariantArray *out);
    HRESULT ShowValue(CVariantArray *in, CVariantArray *out);
    HRESULT AddWatchSymbol(CVariantArray *in, CVariantArray *out);

private:
    CBrennet *Component() const;

    CQelCfgProfileClientImpl m_toolItem;
    // Set while command 4 runs: a tool call that lets the host call back does not start
    // another.
    bool m_sendingBreakpoints = false;
};

class CBrennetGuiItemList : public CBasicOleTarCmdClass {
public:
    CBrennetGuiItemList();
    CRuntimeClass **GetHandlerClasses() override;
};
