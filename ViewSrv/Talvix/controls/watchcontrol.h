// CWatchControl: the watch window's tree. Its root items are the user's watch entries,
// each a variable object of the symbol server, and one trailing placeholder,
// "<new variable>", into which new entries are typed. Entries come by typing, from the
// symbol browser, from a watch file, from the stored settings and through IQelWatch; the
// user deletes, edits, reorders them by dragging, sets their formats and refresh periods.
// The entries, the window options and the periods are kept in the view's storage under
// "Watches" and written again after every change.
//
// Every entry keeps the text it was added with, so that one whose symbol is not found
// (and which has no variable object) still shows, saves and stores that text.
#pragma once

#include "animatequeuehelper.h"
#include "commonwatchcontrol.h"

#include <afxstring.h>

#include <map>
#include <memory>
#include <vector>

// The commands of the watch's context menu beside the shared ones.
enum : UINT {
    IDM_WATCH_EXPRESSION = 2001,
    IDM_WATCH_DELETE = 2002,
    IDM_WATCH_BROWSE = 2004,
    IDM_WATCH_LOAD = 2005,
    IDM_WATCH_SAVE = 2006,
    IDM_WATCH_PERIOD = 2007,
    IDM_WATCH_ADDRESS = 2011,
    IDM_WATCH_VARED = 2020,
    IDM_WATCH_REFRESH = 2021,
};

// A watch text as the window takes it: the entry text and whether it is an expression
// (made at once) or a symbol (asked of the symbol server).
struct CheckedWatchText {
    CString entry;
    BOOL expression = FALSE;
};

class CWatchControl : public CCommonWatchControl {
public:
    // The watch's own registered messages.
    struct WatchMessageIds {
        UINT leaveOut = 0;    // save the settings without the entry lParam (an item id)
        UINT fullRefresh = 0; // every entry anew from the stored settings
        UINT browser = 0;     // the symbol browser's choice (lParam: the symbol index, -1 none)
    };

    CWatchControl() = default;
    ~CWatchControl() override;

    using CCommonWatchControl::DeleteItem;

    void InitControl() override;
    void ExitControl() override;
    BOOL InitServer(IUnknown *debugServer, IUnknown *storage, IUnknown *tree) override;
    void ReleaseServer() override;
    void SaveSettings(IStorage *storage, HTREEITEM leaveOut) override;
    void LoadSettings() override {}
    HRESULT ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *newItem) override;
    HRESULT DeleteItem(LONG item) override;
    BOOL OnBeginLabelEdit(NMTVDISPINFOA *info) override;
    void OnEndLabelEdit(NMTVDISPINFOA *info) override;
    void QueueRefresh() override;
    void QueueFullRefresh() override;

    // IQelWatch, as the control object hands it on.
    LONG AddWatch(LPCSTR text);
    BOOL NewOrder(const VARIANT &ids);
    void DeleteWatch(LONG symbolIndex);
    void ChangeWatch(LPCSTR text, LONG id);
    void AddWatchSymbol(LONG symbolIndex);
    void VarEdChanged();

    // Checks a watch text as every way of adding one does; FALSE when it is refused
    // (empty, already shown, or not a watch expression). `ignore` is an entry left out of
    // the duplicate check.
    // `stored`: the text comes from a watch file or the settings, which keep a symbol entry
    // as its name and scope.
    BOOL CheckWatchText(const CString &text, CheckedWatchText *checked, HTREEITEM ignore, BOOL stored = FALSE);
    // Adds the checked text in `item` (the placeholder or an entry it replaces).
    void AddEntry(HTREEITEM item, const CheckedWatchText &checked);
    // Deletes a root entry; the placeholder stays.
    BOOL DeleteEntry(HTREEITEM item);

    // The entry's line as watch files and the settings keep it.
    CString EntryLine(HTREEITEM item);
    // The root entries in order, without the placeholder.
    std::vector<HTREEITEM> Entries();
    HTREEITEM GetPlaceholder() const { return m_hNewVariable; }
    BOOL IsAddressShown() const { return m_bAddressShown; }
    BOOL IsDragging() const { return m_bDragging; }
    const WatchMessageIds &WatchMessages() const { return m_watchMessages; }
    // The entry's periodic refresh helper; NULL when it has none.
    CAnimateObjectHelper *AnimateHelperOf(HTREEITEM item);

    // Watch files: the lines written for the entries, and the texts read from a file.
    BOOL SaveWatchFile(LPCSTR path);
    BOOL LoadWatchFile(LPCSTR path);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT NotifyItemGetDispInfo(TV_ITEM *item) override;
    LRESULT NotifyGetDispInfo(LVITEMA *item) override;
    void NotifyItemDeleted(HTREEITEM item) override;
    void OnBeginDrag(int row, CPoint point) override;
    void ResizeColumns(int width, int nameWidth) override;

private:
    static void OnVariables(int requestId, VARIANT *names, VARIANT *values, DWORD_PTR context, int reserved);
    static void OnVarEdMapping(int requestId, VARIANT *numbers, DWORD_PTR context);
    static void OnVarEdVariables(int requestId, CVarEdTagArray *records, DWORD_PTR context);
    void OnVariableAnswer(HTREEITEM item, const VARIANT &names, const VARIANT &values);
    void OnFullRefresh();
    void Restore();
    void OnBrowserChoice(LONG symbolIndex);
    void ShowContextMenu(CPoint client, BOOL keyboard);
    void ShowWatchBrowser();
    void ShowPeriodDialog();
    void ToggleAddressColumn();
    void LoadFromDialog();
    void SaveFromDialog();
    void DeleteSelected();
    // The one item selected; NULL for none or several.
    HTREEITEM SingleSelected();
    void RefreshEntries();
    void Save();
    // A new placeholder at the end, when the one there was used.
    void AppendPlaceholder();
    // The entry's variable object goes, with its periodic refresh.
    void ReleaseEntryObject(HTREEITEM item);
    // The periodic refresh of a stored entry whose object has just come.
    void AdoptRestoredPeriods(HTREEITEM item);
    BOOL IsVarEdOn();
    BOOL IsGlobalVarEdOn();
    BOOL InVarEdList(LONG symbolIndex) const;
    void MarkVarEd(HTREEITEM item);
    void StoreEntryPeriods(HTREEITEM item, int n, CStorage &values);
    BOOL IsRootEntry(HTREEITEM item);
    // TRUE, after the duplicate message, when an entry other than `ignore` shows `text`.
    BOOL IsShownAlready(const CString &text, HTREEITEM ignore);
    void EndDrag(BOOL drop, CPoint point);
    LONG SymbolIndexOf(HTREEITEM item);
    int Requester() const { return static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd)); }

    WatchMessageIds m_watchMessages;
    std::map<HTREEITEM, CString> m_entryTexts;
    CVarEdTagArray m_varEd;
    BOOL m_bLoading = FALSE;
    BOOL m_bFullRefreshPosted = FALSE;
    HTREEITEM m_hEditItem = nullptr;
    BOOL m_bAddressShown = FALSE;
    BOOL m_bDragging = FALSE;
    HTREEITEM m_hDragItem = nullptr;
    std::unique_ptr<CImageList> m_dragImage;
    CComPtr<IQelSymbolBrowser> m_pWatchBrowser;
    // The periodic refresh of each entry's object, and of stored entries whose object has
    // not come yet.
    std::map<IUnknown *, std::unique_ptr<CAnimateObjectHelper>> m_animated;
    std::map<HTREEITEM, std::unique_ptr<CAnimateQueueHelper>> m_restored;
    // The VarEd mapping requests by the item they are for.
    std::map<int, HTREEITEM> m_mappingRequests;
};
