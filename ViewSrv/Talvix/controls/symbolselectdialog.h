// CQelSymbolSelectDialog: the dialog "Select Symbol" of the symbol browser. It asks the
// symbol server for the symbols of the browser's mode, sorts them into groups of the
// select tree, fills each group when it is first expanded, and keeps the user's choice.
#pragma once

#include "selecttree.h"
#include <qelsymbolbrowser.h>

#include <afxdialog.h>
#include <ole2.h>
#include <sfrlists.h>
#include <symbolprocessing.h>
#include <tagrecords.h>

#include <memory>
#include <string>
#include <vector>

class CQelSymbolSelectDialog : public CDialog, public SelectTreeOwner {
public:
    explicit CQelSymbolSelectDialog(CWnd *parent);
    ~CQelSymbolSelectDialog() override;

    // Before DoModal. The VARIANTs are copied: the caller's stay its own.
    void SetMode(tagSYMBOLBROWSERMODE mode) { m_mode = mode; }
    void SetInitialValues(const VARIANT &names, const VARIANT &values);
    // Choices go to `window` as message `messageId` while both are set.
    void SetPostTarget(HWND window, UINT messageId);
    // The request client on the debug-server object; FALSE when it cannot be made.
    BOOL CreateRequestClient(IUnknown *debugServer);

    // The choice, valid after IDOK or a posted choice.
    DWORD GetAddress() const { return m_address; }
    DWORD GetParameter() const { return m_parameter; }
    const CString &GetLabel() const { return m_label; }

    CString GetItemTipText(HTREEITEM item) override;
    void OnOK() override;

    // A static's sub-group text from its scope text: the function part when
    // `functionLevel`, else the file part.
    static CString SubGroupText(const CString &scope, bool functionLevel);
    // The 32-bit number at `index` of a one-dimensional array of numbers; 0 when the
    // array holds none there.
    static LONG NumberAt(SAFEARRAY *values, LONG index);

protected:
    void DoDataExchange(CDataExchange *exchange) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg LRESULT OnKickIdle(WPARAM, LPARAM);
    LRESULT OnRequestMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSizeMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSizing(WPARAM wParam, LPARAM lParam);
    afx_msg void OnGetDispInfo(NMHDR *header, LRESULT *result);
    afx_msg void OnItemExpanding(NMHDR *header, LRESULT *result);
    afx_msg void OnReturn(NMHDR *header, LRESULT *result);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    enum Group { kSections, kFunctions, kCodeLabels, kStaticsAll, kStaticsFile, kStaticsFunction, kGlobals, kAll,
                 kDataLabels, kGroupCount };

    int Requester() const { return static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd)); }
    bool Posting() const;
    void StartRequests();
    static void OnSections(CSectionTagArray *records, DWORD_PTR context);
    static void OnFunctions(CFunctionTagArray *records, DWORD_PTR context);
    static void OnCodeLabels(CLabelTagArray *records, DWORD_PTR context);
    static void OnStatics(CVariableTagArray *records, DWORD_PTR context);
    static void OnGlobals(CVariableTagArray *records, DWORD_PTR context);
    static void OnDataLabels(CLabelTagArray *records, DWORD_PTR context);
    static void OnVarEdVariables(CVarEdTagArray *records, DWORD_PTR context);
    bool VarEdActive() const;
    void AppendLabels(const CLabelTagArray &records);
    HTREEITEM MakeGroup(Group group, LPCSTR text, int image, bool children, HTREEITEM after);
    // Expands the group and makes its first child the caret item; "Sorting ..." goes.
    void OpenFirstGroup(HTREEITEM group);
    void DeleteSorting();
    void FillGroup(Group group);
    void FillSubGroups(HTREEITEM group, bool functionLevel);
    struct Member {
        CString text;
        DWORD index;
    };
    // Members of the entries [first, end), sorted, in one batch under `parent`; with
    // `skipVarEd` without the variables that the variable editor shows.
    void InsertMembers(HTREEITEM parent, size_t first, size_t end, bool skipVarEd = false);
    // The members sorted by their texts in lstrcmpA order, equal ones as they came, and
    // appended under `parent` in one call.
    void InsertBatch(HTREEITEM parent, std::vector<Member> &members);
    void BuildEnumerationList();

    // Register mode (symbolselectregisters.cpp).
    const CSfrBlockList *Blocks() const { return m_blockList != nullptr ? m_blockList->Get() : nullptr; }
    const CSfrRegisterList *Registers() const
    {
        return m_registerList != nullptr ? m_registerList->Get() : nullptr;
    }
    void PrepareRegisterMode();
    void TakeChosenRegisters();
    void BuildRegisterTree();
    HTREEITEM InsertRegisterGroup(LPCSTR text);
    // TRUE when `item` is one of the register groups; it is filled on its first expansion.
    bool ExpandRegisterGroup(HTREEITEM item);
    void RegisterDispInfo(TV_ITEM &item) const;
    CString RegisterTipText(HTREEITEM item);
    void PostRegisters();
    void ReleaseRegisterLists();
    void TakeLayout();
    void ApplyLayout();

    CSelectTreeCtrl m_tree;
    CImageList m_images;
    tagSYMBOLBROWSERMODE m_mode = CODE_LABEL;
    UINT m_messageId = 0;
    HWND m_postWindow = nullptr;
    VARIANT m_names;
    VARIANT m_values;
    std::unique_ptr<CSymbolProcessing> m_client;
    CComPtr<IUnknown> m_debugServer;
    UINT m_requestMessage = 0;

    std::vector<VariableTag> m_entries;
    std::vector<VarEdTag> m_varEd;
    size_t m_sectionCount = 0;
    size_t m_functionsEnd = 0;
    size_t m_globalsStart = 0;
    size_t m_dataLabelsStart = 0;
    HTREEITEM m_groups[kGroupCount] = {};
    bool m_filled[kGroupCount] = {};
    CDWordArray m_chosen;
    HTREEITEM m_sorting = nullptr;
    bool m_requested = false;

    // Register mode: the controller's lists, held from WM_INITDIALOG to WM_DESTROY so
    // that a load of other registers meanwhile leaves them as they are; a group item and
    // a filled flag per block (none for a block without an item) and one for "All
    // registers", the last.
    std::unique_ptr<CSfrBlockListReference> m_blockList;
    std::unique_ptr<CSfrRegisterListReference> m_registerList;
    std::vector<HTREEITEM> m_registerGroups;
    std::vector<bool> m_registerFilled;

    bool m_layoutTaken = false;
    CRect m_treeMargins;   // left, top, right margin, bottom margin
    CSize m_button;
    int m_buttonOffset = 0, m_buttonBottom = 0;
    CSize m_check;
    int m_checkBottom = 0;

    DWORD m_address = 0;
    DWORD m_parameter = 0;
    CString m_label;
};
