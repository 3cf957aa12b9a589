// CCommonWatchControl: the two-column tree ("Name", "Value") that the watch and locals
// windows share. Each item shows one variable object of the symbol server, which fills
// the tree itself through IQelCommonWatch (the control objects hand those calls here).
// The tree keeps the window-wide options Hexadecimal, ASCII and Exponential, offers a
// variable's formats and values, lets the user change a value in place, asks the symbol
// server for a structure's members when it is opened and refreshes the values when the
// target stops.
//
// Items cross IQelCommonWatch as numbers of the tree's own (watchitemids.h). Each item's
// data is its variable object, on which the tree holds one reference until the item is
// deleted, however it goes (alone, with its parent, with a batch's reset).
//
// The tree's messages: B, its symbol-request client's message, hands the answers on; the
// others are registered by name (MessageIds). A value notice (Notice) carries the
// object's identity in lParam, which is only compared, never followed.
#pragma once

#include "watchitemids.h"

#include <addressvalue.h>
#include <qelcommvariable.h>
#include <qelpatternsink.h>
#include <qelsymbolbrowser.h>
#include <storagewrapper.h>
#include <symbolprocessing.h>
#include <tarstateeventsink.h>

#include <afxctrls.h>
#include <atlbase.h>
#include <drawntreectrl.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

// The commands of the context menus and the display-format dialog.
enum : UINT {
    IDM_WATCH_FORMAT = 2000,
    IDM_WATCH_CHANGE = 2003,
    IDM_WATCH_FIRST_FORMAT = 2101,
    IDM_WATCH_LAST_FORMAT = 2127,
};

class CCommonWatchControl : public DrawnTreeCtrl, public CTarStateEventSink, public CQelPatternSink {
public:
    // The registered messages of the tree beside B.
    struct MessageIds {
        UINT request = 0;  // B, the symbol-request client's
        UINT refresh = 0;  // the host's refresh of every root item
        UINT notice = 0;   // a communication object's value notice
        UINT readPc = 0;   // read the program counter and refresh
        UINT deferred = 0; // updates that waited for the target to stop
    };
    // Column 1's entries of a context menu.
    struct MenuEntry {
        UINT id = 0; // 0: a separator
        CString text;
        BOOL checked = FALSE;
    };

    CCommonWatchControl();
    ~CCommonWatchControl() override;

    using DrawnTreeBaseC::DeleteItem;
    using DrawnTreeBaseC::GetItemText;
    using DrawnTreeBaseC::InsertItem;
    using DrawnTreeBaseC::SetItemText;

    // Added operations, in slot order.
    virtual void InitControl();
    virtual void ExitControl();
    // TRUE when the debug server's services were reached.
    virtual BOOL InitServer(IUnknown *debugServer, IUnknown *storage, IUnknown *tree);
    virtual void SaveSettings(IStorage *, HTREEITEM) {}
    virtual void LoadSettings() = 0;
    virtual HRESULT ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *newItem);
    virtual HRESULT DeleteItem(LONG item) = 0;
    virtual BOOL OnBeginLabelEdit(NMTVDISPINFOA *) { return TRUE; }
    virtual void OnEndLabelEdit(NMTVDISPINFOA *) {}
    virtual void SetDisplayFormat(UINT command);
    virtual void ShowDisplayFormatDialog();
    virtual void ShowSymbolBrowser();
    virtual void QueueRefresh() = 0;
    virtual void QueueFullRefresh() = 0;

    // IQelCommonWatch, as the control objects hand it on. Every one answers S_OK but for
    // an item number that names no item (E_INVALIDARG, nothing done) and a tree that could
    // not take an item (E_FAIL).
    HRESULT InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *item);
    HRESULT CalculateItem(LONG item, LONG function, LONG mode, LONG value);
    HRESULT SetItemText(LONG item);
    HRESULT GetItemText(LONG item, BSTR *text);
    HRESULT InsertItemBatch(LONG function, BSTR name, LONG type, LONG childrenOrParent, IUnknown *param,
                            VARIANT *values);

    // Lets the debug server go: its registration, the sinks, the symbol-request client
    // and every variable object.
    virtual void ReleaseServer();

    // The image of a variable's type code.
    static int ImageOfType(LONG type);
    // The menu entries of column 1 for the item (empty for none), and "&Change".
    std::vector<MenuEntry> FormatMenuEntries(HTREEITEM item);
    // The tooltip's text for the item; empty without a variable object.
    CString TipTextOf(HTREEITEM item);

    IUnknown *GetDebugServer() const { return m_pDbgSrv; }
    // The last error, cleared by the reading.
    CString TakeErrorText()
    {
        CString text = m_strError;
        m_strError.Empty();
        return text;
    }
    // The view's storage given to InitServer; NULL for none.
    IStorage *GetViewStorage() const { return m_pStorage != nullptr ? m_pStorage->GetStorage() : nullptr; }
    const MessageIds &Messages() const { return m_messages; }
    IQelCommVariableObj *VariableOf(HTREEITEM item);
    HTREEITEM ItemOfId(LONG id) const { return m_ids.Find(id); }
    LONG IdOfItem(HTREEITEM item) const { return m_ids.IdOf(item); }
    BOOL GetHexadecimal() const { return m_bHexadecimal; }
    BOOL GetAscii() const { return m_bAscii; }
    BOOL GetExponential() const { return m_bExponential; }
    void SetOptions(BOOL hexadecimal, BOOL ascii, BOOL exponential);
    const CAddressValue &GetCodeAddress() const { return m_codeAddress; }
    float GetNameFraction() const { return m_nameFraction; }
    size_t PendingRequestCount() const { return m_pending.size(); }
    HTREEITEM GetContextItem() const { return m_hContextItem; }
    void SetContextItem(HTREEITEM item) { m_hContextItem = item; }

    // Target-state and pattern events.
    void OnTargetStateChange(ULONG oldState, ULONG newState) override;
    void OnPatternEnd(ULONG first, ULONG second) override;

    // A new variable object from the host (command 200 with 8), told where its notices
    // go and given the register map; NULL when none could be made.
    CComPtr<IQelCommVariableObj> NewVariableObject();

    // Puts the window options on the item, its children and its later siblings.
    void ApplyOptions(HTREEITEM first);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnMouseMove(UINT keys, CPoint point);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

    // The tree's own notifications, handled here.
    LRESULT NotifyItemGetDispInfo(TV_ITEM *item) override;
    LRESULT NotifyGetDispInfo(LVITEMA *item) override;
    LRESULT NotifyItemExpanding(HTREEITEM item, UINT code) override;
    LRESULT NotifyBeginLabelEdit(int row, int subItem) override;
    LRESULT NotifyEndLabelEdit(int row, int subItem, CString *text, BOOL confirmed) override;
    void NotifyItemDeleted(HTREEITEM item) override;
    void SetPaintColors(DrawnListPaintContext *context) override;
    void SetPaintFont(DrawnListPaintContext *context) override;

    // Asks the debug server to update the object, or keeps it until the target stops.
    void UpdateObject(IUnknown *object, LONG write);
    // One more item shows the object, with a reference of the tree's.
    void HoldObject(IUnknown *object);
    // One item less shows it; with the last one the object leaves the tree's bookkeeping
    // and the debug server's update service.
    void DropObject(IUnknown *object);
    // Inserts the item; NULL when the tree refused.
    HTREEITEM InsertWatchItem(HTREEITEM parent, LONG type, LONG children, IUnknown *param);
    void Remember(int requestId, HTREEITEM item);
    // The item that a request was made for; NULL when it is gone.
    HTREEITEM TakePending(int requestId);
    void SetError(LPCSTR text) { m_strError = text; }
    // Keeps the error text of a request that the symbol server did not take.
    void NoteRefusedRequest(LPCSTR what);
    // Value notices come here for the object that lParam names.
    void OnValueNotice(LPARAM identity);
    void OnReadPc();
    void OnDeferred();
    void OnRefresh();
    // The context menu's format commands.
    std::vector<CString> ValueList(IQelCommVariableObj *variable, HTREEITEM item, std::vector<LONG> *selected);
    void ApplyOptionsTo(HTREEITEM item);
    // Splits `width` between the columns; `nameWidth` is the name column's before.
    virtual void ResizeColumns(int width, int nameWidth);

    static void OnRegisterMap(CRegisterMapTagArray *registers, DWORD_PTR context);
    static void OnRegisterMapKept(CRegisterMapTagArray *registers, DWORD_PTR context);
    static void OnMembers(int requestId, VARIANT *names, VARIANT *numbers, DWORD_PTR context, int reserved);
    static void OnFunction(int requestId, CFunctionTagArray *functions, DWORD_PTR context);
    void KeepRegisterMap(const CRegisterMapTagArray &registers, bool tellHost);

    BOOL m_bHexadecimal = FALSE;
    BOOL m_bAscii = FALSE;
    BOOL m_bExponential = FALSE;
    HTREEITEM m_hContextItem = nullptr;
    HTREEITEM m_hNewVariable = nullptr;
    std::map<int, HTREEITEM> m_pending;
    CAddressValue m_codeAddress;
    IUnknown *m_pDbgSrv = nullptr; // the host's; the control holds it from InitServer to ReleaseServer
    std::unique_ptr<CSymbolProcessing> m_pSymProc;
    std::unique_ptr<CStorage> m_pStorage;
    IUnknown *m_pTree = nullptr; // the owning control's IQelCommonWatch, not referenced
    CComPtr<IUnknown> m_pTargetAccess;
    CComPtr<IQelSymbolBrowser> m_pBrowser;
    CComVariant m_registerNumbers;
    CComVariant m_registerNames;
    bool m_registerMapKnown = false;
    // The objects of the tree, with the number of items that show each (the tree holds a
    // reference per item), and those whose update waits for a stop.
    std::map<IUnknown *, int> m_objects;
    std::vector<CComPtr<IUnknown>> m_deferred;
    CFont m_boldFont;
    CImageList m_images;
    float m_nameFraction = 0.5f;
    int m_lastWidth = 0;
    int m_lastNameWidth = -1;
    HTREEITEM m_hTipItem = nullptr;
    ULONG m_targetState = 1;
    BOOL m_bRefreshPending = FALSE;
    MessageIds m_messages;
    WatchItemIds m_ids;
    CString m_strError;
    // The batch of InsertItemBatch: parent, type and children per record.
    struct BatchRecord {
        HTREEITEM parent = nullptr;
        LONG type = 0;
        LONG children = 0;
        CComPtr<IUnknown> param;
    };
    std::vector<BatchRecord> m_batch;
};
