// The breakpoint group: the host's list as it tells it, and the context menu by which the
// user enables, disables or removes a breakpoint through the host's breakpoint commands.
#include "symbolexplorer.h"

#include <afxmenu.h>
#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>

namespace {

constexpr char kBreakpointsText[] = "Breakpoints";
enum : DWORD { kCmdBreakpointAddressMode = 20 };
enum : DWORD { kCmdRemoveBreakpoint = 2, kCmdEnableBreakpoint = 5 };
enum : int { kChangeEnable = 1, kChangeRemove = 2, kChangeDisable = 3 };
constexpr DWORD kBreakpointKind = 2; // the first value of every breakpoint command

// The number of elements of every dimension together.
ULONG ElementCount(const SAFEARRAY *array)
{
    ULONG count = 1;
    for (USHORT i = 0; i < array->cDims; ++i)
        count *= array->rgsabound[i].cElements;
    return count;
}

bool IsNumberArray(const VARIANT &v)
{
    VARTYPE element = static_cast<VARTYPE>(V_VT(&v) & ~VT_ARRAY);
    return (V_VT(&v) & VT_ARRAY) != 0 && V_ARRAY(&v) != nullptr && SafeArrayGetElemsize(V_ARRAY(&v)) == 4 &&
           (element == VT_I4 || element == VT_UI4 || element == VT_INT || element == VT_UINT);
}

} // namespace

// A call of SignalBreakpoints on another thread, with copies of its arrays, which the
// caller frees once it returns.
struct PostedBreakpoints {
    CComVariant names;
    CComVariant values;
};

STDMETHODIMP CQelSymbolExplorer::SignalBreakpoints(VARIANT vsNames, VARIANT vsValues)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (RunsNow())
        return Breakpoints(vsNames, vsValues);
    auto *posted = new (std::nothrow) PostedBreakpoints;
    if (posted == nullptr)
        return E_OUTOFMEMORY;
    if (FAILED(posted->names.Copy(&vsNames)) || FAILED(posted->values.Copy(&vsValues)) ||
        !Post(kPostedBreakpoints, 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

LRESULT CQelSymbolExplorer::OnPostedBreakpoints(UINT, WPARAM, LPARAM lParam, BOOL &)
{
    --m_nPostedCalls;
    std::unique_ptr<PostedBreakpoints> posted(reinterpret_cast<PostedBreakpoints *>(lParam));
    Breakpoints(posted->names, posted->values);
    return 0;
}

HRESULT CQelSymbolExplorer::Breakpoints(const VARIANT &vsNames, const VARIANT &vsValues)
{
    // The arrays stay the caller's, who frees them: the control reads them and keeps copies.
    if (m_tree.GetSafeHwnd() == nullptr)
        return S_OK;
    LONG upper = -1;
    if ((V_VT(&vsNames) & VT_ARRAY) == 0 || V_ARRAY(&vsNames) == nullptr ||
        FAILED(SafeArrayGetUBound(V_ARRAY(&vsNames), 1, &upper))) {
        if (m_hBreakpoints != nullptr) {
            while (HTREEITEM child = m_tree.GetChildItem(m_hBreakpoints))
                m_tree.DeleteItem(child);
        }
        m_breakpoints.RemoveAll();
        return S_OK;
    }
    // The count is the upper bound's, as the host's list starts at 0; a list whose lower
    // bound is above 0 holds fewer names than that, and is refused with too few numbers.
    const ULONG count = upper < 0 ? 0 : static_cast<ULONG>(upper) + 1;
    if (count > 0 && (V_VT(&vsNames) != (VT_ARRAY | VT_BSTR) || SafeArrayGetDim(V_ARRAY(&vsNames)) != 1 ||
                      ElementCount(V_ARRAY(&vsNames)) < count || !IsNumberArray(vsValues) ||
                      ElementCount(V_ARRAY(&vsValues)) / 2 < count))
        return E_INVALIDARG;

    if (m_hBreakpoints != nullptr) {
        if (count == 0) {
            m_tree.Expand(m_hBreakpoints, TVE_COLLAPSE);
            while (HTREEITEM child = m_tree.GetChildItem(m_hBreakpoints))
                m_tree.DeleteItem(child);
            m_breakpoints.RemoveAll();
        }
        TVITEM group = {};
        group.mask = TVIF_CHILDREN;
        group.hItem = m_hBreakpoints;
        group.cChildren = static_cast<int>(count);
        m_tree.SetItem(&group);
    } else {
        m_hBreakpoints = InsertGroup(kBreakpointsText, kImageBreakpoints, static_cast<int>(count), TVI_LAST);
        if (m_hBreakpoints == nullptr)
            return S_OK;
    }
    if (count == 0)
        return S_OK;

    BSTR *names = nullptr;
    DWORD *values = nullptr;
    if (FAILED(SafeArrayAccessData(V_ARRAY(&vsNames), reinterpret_cast<void **>(&names))))
        return S_OK;
    if (FAILED(SafeArrayAccessData(V_ARRAY(&vsValues), reinterpret_cast<void **>(&values)))) {
        SafeArrayUnaccessData(V_ARRAY(&vsNames));
        return S_OK;
    }
    m_breakpoints.RemoveAll();
    HTREEITEM reuse = m_tree.GetChildItem(m_hBreakpoints);
    for (ULONG i = 0; i < count; ++i) {
        BreakpointEntry entry;
        entry.LocationText = CString(names[i]);
        entry.AddressValue = values[2 * i];
        entry.Enabled = values[2 * i + 1] == 1 ? 1 : 0;
        const int image = entry.Enabled ? kImageEnabled : kImageDisabled;
        HTREEITEM item = reuse;
        if (item != nullptr) {
            m_tree.SetItemImage(item, image, image);
            reuse = m_tree.GetNextSiblingItem(item);
        } else if ((item = InsertLeaf(m_hBreakpoints, kBreakpoint, image)) == nullptr) {
            break;
        }
        m_breakpoints.SetAt(item, entry);
    }
    // What the list no longer has goes.
    while (reuse != nullptr) {
        HTREEITEM next = m_tree.GetNextSiblingItem(reuse);
        m_tree.DeleteItem(reuse);
        reuse = next;
    }
    SafeArrayUnaccessData(V_ARRAY(&vsValues));
    SafeArrayUnaccessData(V_ARRAY(&vsNames));
    return S_OK;
}

LRESULT CQelSymbolExplorer::OnRightClick(int, LPNMHDR, BOOL &)
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    POINT inTree = cursor;
    ::ScreenToClient(m_wndTree.m_hWnd, &inTree);
    UINT flags = 0;
    HTREEITEM item = m_tree.HitTest(inTree, &flags);
    if (item == nullptr)
        return 0;
    TVITEM fields = {};
    fields.mask = TVIF_PARAM | TVIF_IMAGE;
    fields.hItem = item;
    if (!m_tree.GetItem(&fields) || fields.lParam == kGroup)
        return 0;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return 0;
    menu.AppendMenu(MF_STRING, kMenuOpen, "Open");
    if (fields.lParam == kBreakpoint) {
        menu.AppendMenu(MF_SEPARATOR);
        if (fields.iImage != kImageEnabled)
            menu.AppendMenu(MF_STRING, kMenuEnable, "Enable breakpoint");
        else
            menu.AppendMenu(MF_STRING, kMenuDisable, "Disable breakpoint");
        menu.AppendMenu(MF_STRING, kMenuRemove, "Remove breakpoint");
    }
    m_hContextItem = item;
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, &m_tree);
    return 0;
}

LRESULT CQelSymbolExplorer::OnTreeCommand(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
    const UINT command = LOWORD(wParam);
    if (command < kMenuOpen || command > kMenuRemove) {
        bHandled = FALSE;
        return 0;
    }
    // A COM failure ends the step it happened in, which then sends nothing; it never
    // leaves the window procedure.
    try {
        switch (command) {
        case kMenuOpen:
            if (m_hContextItem != nullptr)
                OpenItem(m_hContextItem);
            break;
        case kMenuEnable:
            ChangeBreakpoint(kChangeEnable);
            break;
        case kMenuDisable:
            ChangeBreakpoint(kChangeDisable);
            break;
        default:
            ChangeBreakpoint(kChangeRemove);
            if (m_hBreakpoints != nullptr) {
                m_tree.SelectItem(m_hBreakpoints);
                m_tree.SelectItem(m_hBreakpoints);
            }
            m_hContextItem = nullptr;
            break;
        }
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    if (m_hContextItem != nullptr) {
        m_tree.SelectItem(m_hContextItem);
        m_tree.SelectItem(m_hContextItem);
        m_hContextItem = nullptr;
    }
    return 0;
}

void CQelSymbolExplorer::ChangeBreakpoint(int mode)
{
    BreakpointEntry breakpoint;
    if (m_hContextItem == nullptr || !m_breakpoints.Lookup(m_hContextItem, breakpoint) || m_pSymProc == nullptr)
        return;
    CVariantArray out(1);
    HRESULT hr = m_pDbgSrv != nullptr ? COleTarCmdCaller(m_pDbgSrv, &CLSID_QelSymbol)
                                            .Exec(kCmdBreakpointAddressMode, nullptr, &out, 0)
                                      : E_POINTER;
    LONG addressMode = 9;
    if (SUCCEEDED(hr)) {
        if (out.GetSize() < 1)
            _com_issue_error(E_INVALIDARG);
        addressMode = out.GetUI4(0) == 0 ? 1 : 9;
    }
    int id = m_pSymProc->RequestBreakpointDescription(addressMode, static_cast<LONG>(breakpoint.AddressValue),
                                                      Requester());
    if (id == 0) {
        NoteRefusedRequest("the request of the breakpoint's labels");
        return;
    }
    m_breakpointChanges.SetAt(id, mode);
    m_pSymProc->RegisterLabelsCallbackWithId(id, OnBreakpointLabels, reinterpret_cast<DWORD_PTR>(this));
}

void CQelSymbolExplorer::OnBreakpointLabels(int requestId, CLabelTagArray *labels, DWORD_PTR context)
{
    auto *self = reinterpret_cast<CQelSymbolExplorer *>(context);
    int mode = 0;
    if (!self->m_breakpointChanges.Lookup(requestId, mode))
        return;
    self->m_breakpointChanges.RemoveKey(requestId);
    if (labels != nullptr)
        self->SendBreakpointCommand(mode, *labels);
}

void CQelSymbolExplorer::SendBreakpointCommand(int mode, const CLabelTagArray &labels)
{
    if (m_pDbgSrv == nullptr || labels.GetSize() == 0)
        return;
    CVariantArray in(static_cast<int>(3 + 3 * labels.GetSize()));
    in[0].SetValue(CComVariant(kBreakpointKind));
    VARIANT enable;
    VariantInit(&enable);
    V_VT(&enable) = VT_BOOL;
    V_BOOL(&enable) = mode == kChangeDisable ? 0 : 1;
    in[1].SetValue(enable);
    in[2].SetString(labels[0].Name);
    for (INT_PTR i = 0; i < labels.GetSize(); ++i) {
        const LabelTag &label = labels[i];
        int at = static_cast<int>(3 + 3 * i);
        in[at].SetValue(CComVariant(static_cast<int>(label.AddressMode)));
        in[at + 1].SetValue(CComVariant(static_cast<DWORD>(label.AddressValue)));
        in[at + 2].SetValue(CComVariant(static_cast<DWORD>(label.AddressExtra)));
    }
    DWORD command = mode == kChangeRemove ? kCmdRemoveBreakpoint : kCmdEnableBreakpoint;
    COleTarCmdCaller(m_pDbgSrv, &CGID_QelHostBreakpoints).Exec(command, &in, nullptr, 0);
}
