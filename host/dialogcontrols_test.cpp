// The script's actions on combo boxes, lists and drop targets, and the dialog lines'
// details of those controls, through a dialog that records what its controls tell it.
#include "dialogscript.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QEL_DLGITEMTEMPLATE kItems[] = {
    {"ComboBox", 5, "", WS_TABSTOP, 0, 5, 5, 100, 40},
    {"SysListView32", 234, nullptr, LVS_REPORT, 0, 5, 20, 100, 40},
    {"msctls_progress32", 6, nullptr, 0, 0, 5, 65, 100, 10},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 5, 80, 40, 14},
};
const QEL_DLGTEMPLATE kTemplate = {"Controls", WS_POPUP, 0, 0, 0, 110, 100, kItems, 4};
const QEL_RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(300), &kTemplate, sizeof kTemplate}};
const QEL_MODULE_RESOURCES kTables = {nullptr, 0, kEntries, 1};

std::vector<std::string> g_told;

// A drop target that records the bytes dropped.
class Target final : public IDropTarget {
public:
    STDMETHODIMP QueryInterface(REFIID, void **ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DragEnter(IDataObject *, DWORD, POINTL, DWORD *effect) override { return *effect = DROPEFFECT_COPY, S_OK; }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD *effect) override { return *effect = DROPEFFECT_COPY, S_OK; }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject *data, DWORD, POINTL, DWORD *effect) override
    {
        FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&text, &medium))) {
            g_told.push_back("drop:" + std::string(static_cast<const char *>(GlobalLock(medium.hGlobal)),
                                                   GlobalSize(medium.hGlobal)));
            GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
} g_target;

INT_PTR CALLBACK ControlsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        HWND combo = GetDlgItem(dialog, 5);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("main"));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("0x100"));
        RegisterDragDrop(combo, &g_target);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.pszText = const_cast<LPSTR>("#1");
        item.state = INDEXTOSTATEIMAGEMASK(2);
        item.stateMask = LVIS_STATEIMAGEMASK;
        SendMessageA(GetDlgItem(dialog, 234), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        SendMessageA(GetDlgItem(dialog, 6), PBM_SETPOS, 40, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE)
        g_told.push_back("selchange:" + std::to_string(SendMessageA(GetDlgItem(dialog, 5), CB_GETCURSEL, 0, 0)));
    if (message == WM_NOTIFY) {
        const auto *click = reinterpret_cast<const NMITEMACTIVATE *>(lParam);
        g_told.push_back("click:" + std::to_string(click->iItem) + ":" + std::to_string(static_cast<int>(click->hdr.code)) +
                         ":" + std::to_string(click->ptAction.x < 16));
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        EndDialog(dialog, LOWORD(wParam));
    return message == WM_COMMAND || message == WM_NOTIFY;
}

TEST(DialogControls, PickRowAndDropActAsAUserAndTheLinesShowTheControls)
{
    HINSTANCE instance = QelRegisterModule(&kTables, &kTables);
    ASSERT_NE(instance, nullptr);
    QelHost::DialogScript script;
    script.Install();
    std::string error;
    for (const char *bad : {"pick:5=x", "row:234=0:twice", "row:x=0", "pick:5"})
        EXPECT_FALSE(script.Queue({"300", bad, "ok"}, &error)) << bad;
    ASSERT_TRUE(script.Queue({"300", "pick:5=1", "row:234=0:state", "row:234=0:double", "drop:5=a b", "row:234=3", "ok"},
                             &error))
        << error;
    g_told.clear();
    // The last action fails, which cancels the dialog as every failed action does.
    EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCE(300), nullptr, ControlsProc, 0), IDCANCEL);
    EXPECT_EQ(g_told, (std::vector<std::string>{"selchange:1", "click:0:-2:1", "click:0:-3:0", "drop:a b"}));
    EXPECT_EQ(script.TakeFailures(), std::vector<std::string>{"row:234=3: control 234 has no row 3"});
    std::vector<std::string> opened = script.TakeOpened();
    ASSERT_GE(opened.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(opened.begin() + 1, opened.begin() + 7),
              (std::vector<std::string>{"\tcontrol\t5\tComboBox\t\t-", "\t\titem\t0\tmain", "\t\titem\t1\t0x100",
                                        "\tcontrol\t234\tSysListView32\t\t-", "\t\trow\t0\t2\t#1\t",
                                        "\tcontrol\t6\tmsctls_progress32\t\t-"}));
    EXPECT_EQ(opened[7], "\t\tposition\t40");
    script.Uninstall();
    QelUnregisterModule(instance);
}

} // namespace
