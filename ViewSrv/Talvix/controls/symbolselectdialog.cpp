#include "symbolselectdialog.h"

#include "selectdialogresources.h"

#include <afxdatax.h>
#include <afxmsgmap.h>
#include <afxpaintmap.h>
#include <collation.h>
#include <qelsymbsrv.h>
#include <windowsizing.h>

namespace {

const DWORD kGroupData = 0xFFFFFFFF;

} // namespace

BEGIN_MESSAGE_MAP(CQelSymbolSelectDialog, CDialog)
ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
ON_MESSAGE(WM_SIZE, OnSizeMessage)
ON_MESSAGE(WM_SIZING, OnSizing)
ON_NOTIFY(TVN_GETDISPINFOA, IDC_SELECT_TREE, OnGetDispInfo)
ON_NOTIFY(TVN_ITEMEXPANDINGA, IDC_SELECT_TREE, OnItemExpanding)
ON_NOTIFY(NM_RETURN, IDC_SELECT_TREE, OnReturn)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CQelSymbolSelectDialog::CQelSymbolSelectDialog(CWnd *parent) : CDialog(IDD_SYMBOL_SELECT, parent)
{
    VariantInit(&m_names);
    VariantInit(&m_values);
}

CQelSymbolSelectDialog::~CQelSymbolSelectDialog()
{
    // The copies are the dialog's own; the caller's VARIANTs were never touched.
    VariantClear(&m_names);
    VariantClear(&m_values);
}

void CQelSymbolSelectDialog::SetInitialValues(const VARIANT &names, const VARIANT &values)
{
    VariantClear(&m_names);
    VariantClear(&m_values);
    VariantCopy(&m_names, &names);
    VariantCopy(&m_values, &values);
}

void CQelSymbolSelectDialog::SetPostTarget(HWND window, UINT messageId)
{
    m_postWindow = window;
    m_messageId = messageId;
}

BOOL CQelSymbolSelectDialog::CreateRequestClient(IUnknown *debugServer)
{
    if (debugServer == nullptr)
        return FALSE;
    m_client.reset(new (std::nothrow) CSymbolProcessing(debugServer, FALSE, FALSE));
    if (m_client == nullptr)
        return FALSE;
    m_debugServer = debugServer;
    m_requestMessage = m_client->GetRequestMessage();
    return TRUE;
}

bool CQelSymbolSelectDialog::Posting() const
{
    return m_messageId != 0 && m_postWindow != nullptr && ::IsWindow(m_postWindow);
}

void CQelSymbolSelectDialog::DoDataExchange(CDataExchange *exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_SECControl(exchange, IDC_SELECT_TREE, m_tree);
}

BOOL CQelSymbolSelectDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    switch (m_mode) {
    case CODE_LABEL:
        SetWindowText("Select Code Label");
        break;
    case DATA_LABEL:
        SetWindowText("Select Data Label");
        break;
    case WATCH_BROWSER:
        SetWindowText("Select Watch");
        SetDlgItemText(IDOK, "&Add");
        break;
    case ENUMERATION_LISTER:
        SetWindowText("Select Enumeration Value");
        break;
    case SFR_LISTER:
        SetWindowText("Select Special Function Register");
        break;
    default:
        break;
    }
    m_tree.PrepareSelectTree();
    m_tree.SetOwnerDialog(this);
    m_tree.SetChosenList(&m_chosen);
    m_sectionCount = m_functionsEnd = m_globalsStart = m_dataLabelsStart = 0;
    m_requested = false;
    for (int group = 0; group < kGroupCount; ++group) {
        m_groups[group] = nullptr;
        m_filled[group] = false;
    }
    if (m_images.Create(IDB_SELECT_IMAGES, 16, 0, CLR_NONE))
        m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    m_sorting = m_tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM,
                                  "Sorting ...", 0, 0, 0, 0, static_cast<LPARAM>(kGroupData), TVI_ROOT, TVI_LAST);
    m_tree.SelectItem(m_sorting);
    if (m_mode == SFR_LISTER)
        PrepareRegisterMode();
    PostMessage(WM_SIZE, 0, static_cast<LPARAM>(0xFFFFFFFF));
    m_tree.SetFocus();
    return FALSE;
}

LRESULT CQelSymbolSelectDialog::OnKickIdle(WPARAM, LPARAM)
{
    if (!m_requested) {
        m_requested = true;
        StartRequests();
    }
    return 0;
}

LRESULT CQelSymbolSelectDialog::OnRequestMessage(WPARAM wParam, LPARAM lParam)
{
    if (m_client != nullptr)
        m_client->OnRequestMessage(wParam, lParam);
    return 0;
}

// The request message is registered at run time, so it is routed here rather than by the map.
LRESULT CQelSymbolSelectDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_requestMessage != 0 && message == m_requestMessage)
        return OnRequestMessage(wParam, lParam);
    return CDialog::WindowProc(message, wParam, lParam);
}

void CQelSymbolSelectDialog::StartRequests()
{
    if (m_mode == ENUMERATION_LISTER) {
        BuildEnumerationList();
        return;
    }
    if (m_mode == SFR_LISTER) {
        BuildRegisterTree();
        return;
    }
    if (m_client == nullptr)
        return;
    DWORD_PTR self = reinterpret_cast<DWORD_PTR>(this);
    switch (m_mode) {
    case DATA_LABEL:
    case WATCH_BROWSER:
        if (VarEdActive())
            m_client->RegisterVarEdVariablesCallback(m_client->RequestVarEdVariables(Requester()), OnVarEdVariables,
                                                     self);
        m_client->RegisterVariablesCallback(m_client->RequestStatics(nullptr, nullptr, Requester()), OnStatics, self);
        m_client->RegisterVariablesCallback(m_client->RequestGlobals(nullptr, nullptr, Requester()), OnGlobals, self);
        if (m_mode == DATA_LABEL)
            m_client->RegisterLabelsCallback(m_client->RequestDataLabel(nullptr, Requester()), OnDataLabels, self);
        break;
    case CODE_LABEL:
        m_client->RegisterSectionsCallback(m_client->RequestSections(Requester()), OnSections, self);
        m_client->RegisterFunctionsCallback(m_client->RequestFunctions(Requester()), OnFunctions, self);
        m_client->RegisterLabelsCallback(m_client->RequestCodeLabel(nullptr, Requester()), OnCodeLabels, self);
        break;
    default:
        break;
    }
}

// The symbol server's answer is a number in the place of the interface: 1 while the
// variable editor is on. A debug-server object without the interface has none.
bool CQelSymbolSelectDialog::VarEdActive() const
{
    CComQIPtr<IQelSymbSrv> server(m_debugServer.p);
    IUnknown *state = nullptr;
    return server && server->Synchronize(SYF_GET_VARED, &state) == S_OK &&
           state == reinterpret_cast<IUnknown *>(static_cast<INT_PTR>(1));
}

void CQelSymbolSelectDialog::OnDestroy()
{
    m_tree.ReleaseSelectTree();
    ReleaseRegisterLists();
    if (CImageList *images = m_tree.GetImageList(TVSIL_NORMAL))
        images->DeleteImageList();
    CDialog::OnDestroy();
}
