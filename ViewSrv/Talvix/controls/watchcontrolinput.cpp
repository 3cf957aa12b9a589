// What the user does in the watch tree: the context menu and its commands, the keys,
// double clicks, dragging an entry, the symbol browser, the refresh-period dialog and the
// "Address" column.
#include "watchcontrol.h"

#include "watchanimateperioddlg.h"

#include <qelsymbsrv.h>

#include <afxmenu.h>
#include <drawnlistedit.h>
#include <userinput.h>

namespace {

// The keyboard's menu stands here when nothing is selected.
const CPoint kKeyboardMenuPoint(5, 5);
const int kAddressSubItem = 2;
// A key message whose previous state was down repeats it.
const LPARAM kKeyRepeated = 0x40000000;

} // namespace

LRESULT CWatchControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != 0 && m_pSymProc != nullptr) {
        try {
            if (message == m_watchMessages.leaveOut) {
                HTREEITEM item = m_ids.Find(static_cast<LONG>(lParam));
                SaveSettings(GetViewStorage(), item);
                DeleteItem(static_cast<LONG>(lParam));
                return 0;
            }
            if (message == m_watchMessages.fullRefresh) {
                OnFullRefresh();
                return 0;
            }
            if (message == m_watchMessages.browser) {
                OnBrowserChoice(static_cast<LONG>(lParam));
                return 0;
            }
        } catch (_com_error &) {
            return 0;
        } catch (CException *exception) {
            exception->Delete();
            return 0;
        }
    }
    switch (message) {
    case WM_CONTEXTMENU: {
        CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        BOOL keyboard = point.x == -1 && point.y == -1;
        if (!keyboard)
            ScreenToClient(&point);
        ShowContextMenu(point, keyboard);
        return 0;
    }
    case WM_KEYDOWN:
        if ((lParam & kKeyRepeated) == 0 && GetEditControl()->m_hWnd == nullptr) {
            HTREEITEM item = SingleSelected();
            if (wParam == VK_DELETE && GetSelectedCount() > 0) {
                DeleteSelected();
                return 0;
            }
            if (wParam == VK_INSERT && item != nullptr && GetParentItem(item) == nullptr) {
                m_hContextItem = item;
                ShowWatchBrowser();
                return 0;
            }
        }
        break;
    case WM_LBUTTONDBLCLK: {
        UINT flags = 0;
        int column = -1;
        CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        int row = DrawnListBaseC::HitTest(point.x, point.y, &flags, &column);
        HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(row));
        DrawnListColumn *record = column >= 0 ? GetColumnAt(column) : nullptr;
        if (item != nullptr && GetParentItem(item) == nullptr && record != nullptr && record->subItem == 0 &&
            m_pSymProc != nullptr) {
            EditLabel(item, 0);
            return 0;
        }
        break;
    }
    case WM_MOUSEMOVE:
        if (m_bDragging) {
            CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            UINT flags = 0;
            HTREEITEM target = HitTest(point.x, point.y, &flags);
            CImageList::DragMove(point);
            SelectDropTarget(IsRootEntry(target) && target != m_hDragItem ? target : nullptr, FALSE);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (m_bDragging) {
            EndDrag(TRUE, CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
            break; // the list ends its own drag state too
        }
        break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        // A drag that loses the mouse moves nothing.
        if (m_bDragging && (message == WM_CANCELMODE || reinterpret_cast<HWND>(lParam) != m_hWnd))
            EndDrag(FALSE, CPoint());
        break;
    default:
        break;
    }
    return CCommonWatchControl::WindowProc(message, wParam, lParam);
}

void CWatchControl::ShowContextMenu(CPoint client, BOOL keyboard)
{
    if (keyboard) {
        HTREEITEM selected = GetSelectedItem();
        CRect rect;
        if (selected != nullptr && GetItemRect(selected, &rect, TRUE))
            client = rect.CenterPoint();
        else
            client = kKeyboardMenuPoint;
    }
    UINT flags = 0;
    int column = -1;
    int row = DrawnListBaseC::HitTest(client.x, client.y, &flags, &column);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(row));
    DrawnListColumn *record = column >= 0 ? GetColumnAt(column) : nullptr;
    bool valueColumn = item != nullptr && record != nullptr && record->subItem == 1;
    bool rootItem = item != nullptr && GetParentItem(item) == nullptr;
    IQelCommVariableObj *variable = VariableOf(item);
    m_hContextItem = item;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    int count = 0;
    auto add = [&menu, &count](UINT flags, UINT id, LPCSTR text) {
        menu.AppendMenu(flags, id, text);
        ++count;
    };
    const UINT oneSelected = GetSelectedCount() == 1 ? 0 : MF_GRAYED;
    if (valueColumn) {
        for (const MenuEntry &entry : FormatMenuEntries(item)) {
            if (entry.id == 0)
                add(MF_SEPARATOR, 0, nullptr);
            else
                add(MF_STRING | (entry.checked ? MF_CHECKED : 0), entry.id, entry.text);
        }
    } else if (rootItem && (record == nullptr || record->subItem == 0)) {
        add(MF_STRING | oneSelected, IDM_WATCH_BROWSE, "&Browse\tIns");
        add(MF_STRING | oneSelected, IDM_WATCH_EXPRESSION, "&Expression");
        add(MF_STRING, IDM_WATCH_DELETE, "&Delete\tDel");
    }
    if (count > 0)
        add(MF_SEPARATOR, 0, nullptr);
    if (valueColumn) {
        add(MF_STRING, IDM_WATCH_FORMAT, "&Format");
        if (variable != nullptr) {
            CAnimateQueueBaseHelper access(m_pDbgSrv);
            bool noRefresh = m_targetState >= 3 && !access.HasFastAccess() && !access.HasSlowAccess();
            CAnimateObjectHelper *helper = AnimateHelperOf(item);
            add(MF_SEPARATOR, 0, nullptr);
            add(MF_STRING | (noRefresh ? MF_GRAYED : 0), IDM_WATCH_REFRESH, "&Refresh");
            add(MF_STRING | (helper != nullptr && helper->IsRunning() ? MF_CHECKED : 0), IDM_WATCH_PERIOD,
                "Refresh &Period");
        }
    } else {
        if (IsGlobalVarEdOn() && m_varEd.GetSize() > 0) {
            add(MF_STRING | (IsVarEdOn() ? MF_CHECKED : 0), IDM_WATCH_VARED, "&VarEd (RB)");
            add(MF_SEPARATOR, 0, nullptr);
        }
        add(MF_STRING, IDM_WATCH_LOAD, "&Load");
        add(MF_STRING, IDM_WATCH_SAVE, "&Save");
    }
    CPoint screen = client;
    ClientToScreen(&screen);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, screen.x, screen.y, this);
}

BOOL CWatchControl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT command = LOWORD(wParam);
    switch (command) {
    case IDM_WATCH_BROWSE:
        ShowWatchBrowser();
        break;
    case IDM_WATCH_EXPRESSION:
        if (m_hContextItem != nullptr && GetParentItem(m_hContextItem) == nullptr)
            EditLabel(m_hContextItem, 0);
        break;
    case IDM_WATCH_DELETE:
        if (GetSelectedCount() <= 1) {
            if (DeleteEntry(m_hContextItem))
                Save();
        } else {
            DeleteSelected();
        }
        break;
    case IDM_WATCH_VARED: {
        CComQIPtr<IQelSymbSrv> server(m_pDbgSrv);
        IUnknown *unused = nullptr;
        if (server != nullptr)
            server->Synchronize(SYF_TOGGLE_LOCAL_VARED, &unused);
        break;
    }
    case IDM_WATCH_LOAD:
        LoadFromDialog();
        break;
    case IDM_WATCH_SAVE:
        SaveFromDialog();
        break;
    case IDM_WATCH_REFRESH:
        RefreshEntries();
        break;
    case IDM_WATCH_PERIOD:
        ShowPeriodDialog();
        break;
    case IDM_WATCH_ADDRESS:
        ToggleAddressColumn();
        break;
    default:
        return CCommonWatchControl::OnCommand(wParam, lParam);
    }
    m_hContextItem = nullptr;
    Invalidate(FALSE);
    return TRUE;
}

HTREEITEM CWatchControl::SingleSelected()
{
    if (GetSelectedCount() != 1)
        return nullptr;
    for (int row = 0; row < GetItemCount(); ++row)
        if (IsSelected(row))
            return GetItemAtIndex(row);
    return nullptr;
}

void CWatchControl::DeleteSelected()
{
    std::vector<HTREEITEM> chosen;
    for (HTREEITEM item : Entries()) {
        int row = FindItemIndex(item);
        if (row >= 0 && IsSelected(row))
            chosen.push_back(item);
    }
    bool deleted = false;
    for (HTREEITEM item : chosen)
        deleted = DeleteEntry(item) || deleted;
    if (deleted)
        Save();
}

void CWatchControl::ShowWatchBrowser()
{
    if (m_pDbgSrv == nullptr)
        return;
    if (m_pWatchBrowser == nullptr &&
        FAILED(m_pWatchBrowser.CoCreateInstance(CLSID_QelSymbolBrowser, nullptr, CLSCTX_INPROC_SERVER)))
        return;
    if (m_hContextItem == nullptr)
        m_hContextItem = m_hNewVariable;
    HTREEITEM item = m_hContextItem;
    m_pWatchBrowser->Mode(WATCH_BROWSER);
    m_pWatchBrowser->put_DebugServer(m_pDbgSrv);
    m_pWatchBrowser->put_ParentWindow(static_cast<LONG>(reinterpret_cast<INT_PTR>(m_hWnd)));
    m_pWatchBrowser->put_MessageID(static_cast<LONG>(m_watchMessages.browser));
    // The browser posts its choice; the entry it is for is the one the menu was opened on.
    CComPtr<IQelSymbolBrowser> browser = m_pWatchBrowser;
    HRESULT hr = browser->DoModal();
    m_hContextItem = LiveNode(item) != nullptr ? item : m_hNewVariable;
    if (hr != E_FAIL)
        m_pWatchBrowser.Release();
}

CAnimateObjectHelper *CWatchControl::AnimateHelperOf(HTREEITEM item)
{
    IUnknown *object = reinterpret_cast<IUnknown *>(VariableOf(item));
    auto found = object != nullptr ? m_animated.find(object) : m_animated.end();
    return found != m_animated.end() ? found->second.get() : nullptr;
}

void CWatchControl::ShowPeriodDialog()
{
    HTREEITEM item = m_hContextItem;
    IUnknown *object = reinterpret_cast<IUnknown *>(VariableOf(item));
    if (object == nullptr || m_pDbgSrv == nullptr)
        return;
    // The helper is the dialog's while it runs, whatever the window does meanwhile.
    std::unique_ptr<CAnimateObjectHelper> helper;
    auto kept = m_animated.find(object);
    bool existing = kept != m_animated.end();
    if (existing) {
        helper = std::move(kept->second);
        m_animated.erase(kept);
    } else {
        helper = std::make_unique<CAnimateObjectHelper>(m_pDbgSrv, object, 0);
    }
    CWatchAnimatePeriodDlg dialog(helper.get(), this);
    BOOL ok = dialog.DoModal() == IDOK;
    if (LiveNode(item) == nullptr || reinterpret_cast<IUnknown *>(VariableOf(item)) != object)
        return;
    LONG entry = ok ? helper->GetEntry() : 0;
    if ((ok && entry != 0) || (!ok && existing))
        m_animated[object] = std::move(helper);
    // The other selected entries follow the one the menu was opened on.
    for (HTREEITEM other : Entries()) {
        int row = FindItemIndex(other);
        IUnknown *otherObject = reinterpret_cast<IUnknown *>(VariableOf(other));
        if (other == item || otherObject == nullptr || row < 0 || !IsSelected(row))
            continue;
        m_animated.erase(otherObject);
        if (ok && entry != 0) {
            auto follower = std::make_unique<CAnimateObjectHelper>(m_pDbgSrv, otherObject, 0);
            follower->AdoptEntry(entry, TRUE, TRUE);
            m_animated[otherObject] = std::move(follower);
        }
    }
    Save();
}

void CWatchControl::ToggleAddressColumn()
{
    if (m_bAddressShown) {
        for (int i = 0; i < GetColumnCount(); ++i)
            if (GetColumnAt(i) != nullptr && GetColumnAt(i)->subItem == kAddressSubItem)
                DeleteColumn(i);
        m_bAddressShown = FALSE;
    } else if (GetColumnCount() == 2) {
        // A sub-item of its own after the value's, so that the value keeps sub-item 1; the
        // column then stands between the name and the value.
        int column = InsertColumn(2, "Address", LVCFMT_LEFT, 0, -1, FALSE);
        if (column != 2 || GetColumnAt(2)->subItem != kAddressSubItem)
            return;
        std::swap(m_columns[1], m_columns[2]);
        m_bAddressShown = TRUE;
    }
    CRect client;
    CWnd::GetClientRect(&client);
    m_lastNameWidth = -1;
    ResizeColumns(client.Width(), GetColumnWidth(0));
    InvalidateAllRowHeights();
    Invalidate(FALSE);
}

void CWatchControl::ResizeColumns(int width, int nameWidth)
{
    if (!m_bAddressShown || GetColumnCount() < 3 || width <= 0) {
        CCommonWatchControl::ResizeColumns(width, nameWidth);
        return;
    }
    if (m_lastNameWidth >= 0 && m_lastWidth > 0 && nameWidth != m_lastNameWidth)
        m_nameFraction = static_cast<float>(nameWidth) / static_cast<float>(m_lastWidth);
    int name = static_cast<int>(static_cast<float>(width) * m_nameFraction);
    // The address takes a half of what the name leaves, the value the other half; the
    // name column, which fills what the others leave, is set last.
    int rest = width - name;
    SetColumnWidth(2, rest - rest / 2);
    SetColumnWidth(1, rest / 2);
    SetColumnWidth(0, name);
    m_lastWidth = width;
    m_lastNameWidth = GetColumnWidth(0);
}

void CWatchControl::OnBeginDrag(int row, CPoint point)
{
    DrawnTreeCtrl::OnBeginDrag(row, point);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(NodeOfRow(row));
    if (!IsRootEntry(item) || m_bDragging)
        return;
    m_hDragItem = item;
    m_dragImage.reset(CreateDragImage(item));
    if (m_dragImage != nullptr && m_dragImage->BeginDrag(0, CPoint(0, 0)))
        CImageList::DragEnter(this, point);
    m_bDragging = TRUE;
    SetCapture();
}

void CWatchControl::EndDrag(BOOL drop, CPoint point)
{
    m_bDragging = FALSE;
    if (m_dragImage != nullptr) {
        CImageList::DragLeave(this);
        CImageList::EndDrag();
        m_dragImage.reset();
    }
    SelectDropTarget(nullptr, FALSE);
    if (GetCapture() == this)
        ::ReleaseCapture();
    HTREEITEM dragged = m_hDragItem;
    m_hDragItem = nullptr;
    if (!drop || !IsRootEntry(dragged))
        return;
    UINT flags = 0;
    HTREEITEM target = HitTest(point.x, point.y, &flags);
    if (!IsRootEntry(target) || target == dragged)
        return;
    // Before the target: after the entry that precedes it, or first.
    HTREEITEM before = GetPrevSiblingItem(target);
    if (before == dragged)
        before = GetPrevSiblingItem(dragged);
    if (!MoveItem(dragged, TVI_ROOT, TRUE, before != nullptr ? before : TVI_FIRST))
        return;
    SelectItem(dragged);
    Save();
}
