#include "brennetguihandler.h"

#include "brennet.h"
#include "brennetids.h"
#include "brennetstrings.h"
#include "casetoolcomm.h"
#include "commandvalues.h"

#include <hostcmdgroups.h>
#include <symbolprocessing.h>

IMPLEMENT_DYNCREATE(CBrennetGuiHandler, CBasicOleTarCmdHndl)

namespace {

enum : DWORD {
    kCmdConfigure = 1,
    kCmdSwitchTool = 2,
    kCmdShowPosition = 3,
    kCmdSendBreakpoints = 4,
    kCmdRunState = 5,
    kCmdShowValue = 6,
    kCmdAddWatchSymbol = 7,
};

#define BRENNET_COMMAND(id, fn, text, menu) \
    {id, OLECMDTARHNDL_FNC(&CBrennetGuiHandler::fn), nullptr, text, menu, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0}

const OLECMDTARHNDLENTRY g_brennetCommands[] = {
    BRENNET_COMMAND(kCmdConfigure, Configure, IDS_CONFIGURE_MENU, 7),
    BRENNET_COMMAND(kCmdSwitchTool, SwitchTool, IDS_CASETOOL_MENU, 6),
    BRENNET_COMMAND(kCmdShowPosition, ShowPosition, -1, -1),
    BRENNET_COMMAND(kCmdSendBreakpoints, SendBreakpoints, -1, -1),
    BRENNET_COMMAND(kCmdRunState, SetRunState, -1, -1),
    BRENNET_COMMAND(kCmdShowValue, ShowValue, -1, -1),
    BRENNET_COMMAND(kCmdAddWatchSymbol, AddWatchSymbol, -1, -1),
    {0, nullptr, nullptr, -1, -1, -1, nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 0},
};

#undef BRENNET_COMMAND

} // namespace

CBrennetGuiHandler::CBrennetGuiHandler() : m_toolItem(IDS_TOOLS_SECTION, IDS_CASETOOL_ENTRY)
{
    InitCommandArrays(FALSE);
}

const OLECMDTARHNDLENTRY *CBrennetGuiHandler::GetCommandTable()
{
    return g_brennetCommands;
}

const GUID *CBrennetGuiHandler::GetClassGuid()
{
    return &CGID_QelFrameAddOn;
}

CBrennet *CBrennetGuiHandler::Component() const
{
    return dynamic_cast<CBrennet *>(m_pOwner);
}

BOOL CBrennetGuiHandler::Connect(IUnknown *frame, CStorage *settings)
{
    if (m_pCommandTarget != nullptr)
        m_toolItem.Attach(m_pCommandTarget);
    return CBasicOleTarCmdHndl::Connect(frame, settings);
}

BOOL CBrennetGuiHandler::Disconnect()
{
    m_toolItem.Detach();
    return CBasicOleTarCmdHndl::Disconnect();
}

void CBrennetGuiHandler::UpdateCommandStatus(DWORD id)
{
    CBasicOleTarCmdHndl::UpdateCommandStatus(id);
    if (id == kCmdSwitchTool) {
        CBrennet *component = Component();
        SetCheck(component != nullptr && component->IsToolConnected() ? 1 : 0);
    }
}

HRESULT CBrennetGuiHandler::Configure(CVariantArray *, CVariantArray *out)
{
    if (CBrennet *component = Component())
        component->ConfigureTool(m_toolItem, out);
    return S_OK;
}

HRESULT CBrennetGuiHandler::SwitchTool(CVariantArray *, CVariantArray *)
{
    if (CBrennet *component = Component())
        component->SwitchTool(m_toolItem);
    return S_OK;
}

HRESULT CBrennetGuiHandler::ShowPosition(CVariantArray *in, CVariantArray *)
{
    CBrennet *component = Component();
    CCaseToolComm *link = component != nullptr ? component->ToolLink() : nullptr;
    CCommandValues arguments(in);
    if (link == nullptr || arguments.Count() != 3)
        return S_OK;
    DWORD valid = arguments.UI4(0);
    CString file = arguments.Text(1);
    link->ShowPosition(valid, file, arguments.UI4(2));
    return S_OK;
}

HRESULT CBrennetGuiHandler::SendBreakpoints(CVariantArray *in, CVariantArray *)
{
    CBrennet *component = Component();
    CCaseToolComm *link = component != nullptr ? component->ToolLink() : nullptr;
    CCommandValues arguments(in);
    if (link == nullptr || m_sendingBreakpoints || arguments.Count() < 1)
        return S_OK;
    DWORD count = arguments.UI4(0);
    // A list shorter than its count would be read past its end: nothing of it is sent.
    if (static_cast<ULONGLONG>(arguments.Count()) < 1 + 3ULL * count)
        return E_INVALIDARG;
    m_sendingBreakpoints = true;
    BOOL going = link->RemoveAllBreakpoints();
    for (DWORD i = 0; going && i < count; ++i) {
        int at = 1 + 3 * static_cast<int>(i);
        CString file = arguments.Text(at);
        DWORD line = arguments.UI4(at + 1);
        going = link->SetBreakpoint(file, line, arguments.UI4(at + 2) == 1);
    }
    m_sendingBreakpoints = false;
    return S_OK;
}

HRESULT CBrennetGuiHandler::SetRunState(CVariantArray *in, CVariantArray *)
{
    CBrennet *component = Component();
    CCaseToolComm *link = component != nullptr ? component->ToolLink() : nullptr;
    CCommandValues arguments(in);
    if (link != nullptr && arguments.Count() >= 1)
        link->SetRunState(arguments.UI4(0));
    return S_OK;
}

HRESULT CBrennetGuiHandler::ShowValue(CVariantArray *in, CVariantArray *)
{
    CBrennet *component = Component();
    CCaseToolComm *link = component != nullptr ? component->ToolLink() : nullptr;
    CCommandValues arguments(in);
    if (link == nullptr || arguments.Count() != 2 || !link->IsConnected())
        return S_OK;
    CString name = arguments.Text(0);
    link->ShowValue(name, arguments.Value(1));
    return S_OK;
}

HRESULT CBrennetGuiHandler::AddWatchSymbol(CVariantArray *in, CVariantArray *)
{
    CBrennet *component = Component();
    CCommandValues arguments(in);
    if (component == nullptr || component->ToolLink() == nullptr || arguments.Count() < 1 || m_frame == nullptr)
        return S_OK;
    SendAddWatchSymbol(m_frame, arguments.I4(0));
    return S_OK;
}

CBrennetGuiItemList::CBrennetGuiItemList() : CBasicOleTarCmdClass(&CLSID_Brennet)
{
    CreateHandlers();
}

CRuntimeClass **CBrennetGuiItemList::GetHandlerClasses()
{
    static CRuntimeClass *classes[] = {RUNTIME_CLASS(CBrennetGuiHandler), nullptr};
    return classes;
}
