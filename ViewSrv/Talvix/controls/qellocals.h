// CQelLocals: the view of "StdQelLocalsWin", the ActiveX control that the host embeds as the
// locals window, over the locals tree (qelwatchtreeview.h).
#pragma once

#include "localscontrol.h"
#include "talvixstrings.h"
#include "qelwatchtreeview.h"

class CQelLocals : public CComObjectRootEx<CComSingleThreadModel>,
                   public CComCoClass<CQelLocals, &CLSID_QelLocals>,
                   public CQelWatchTreeView<CQelLocals, CLocalsControl> {
public:
    static constexpr UINT kTextSet = IDS_LOCALS_TEXTS;
    static constexpr int kHelpTopic = 8;
    // Buttons and lines at the root, no label editing.
    static constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT;

    // Registers the control as the view server "StdQelLocalsWin" of the symbol server.
    static HRESULT UpdateRegistry(BOOL bRegister);

    BEGIN_COM_MAP(CQelLocals)
        COM_INTERFACE_ENTRY(IQelViewSrv)
        COM_INTERFACE_ENTRY2(IDispatch, IQelViewSrv)
        COM_INTERFACE_ENTRY(IQelCommonWatch)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IOleInPlaceActiveObject)
        COM_INTERFACE_ENTRY(IPersistFile)
    END_COM_MAP()

    BEGIN_MSG_MAP(CQelLocals)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        REFLECT_NOTIFICATIONS()
        CHAIN_MSG_MAP(CComControl<CQelLocals>)
    ALT_MSG_MAP(1)
        MESSAGE_HANDLER(WM_SETFOCUS, OnTreeFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnTreeFocus)
    END_MSG_MAP()
};
