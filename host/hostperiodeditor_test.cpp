// The host's period editor as a dialog of the system embeds it: an item of its class in a
// template, made by the framework's dialog, reached through InvokeHelper and through the
// dialog script's prop: action.
#include "debugserver.h"
#include "dialogcontrols.h"
#include "hostperiodeditor.h"

#include <afx.h>
#include <drawingchecks.h>

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;

const QEL_DLGITEMTEMPLATE kItems[] = {
    {"{F7D9DFF4-DBCD-4DEE-9147-3A124F3380CE}", 1045, nullptr, WS_VISIBLE | WS_TABSTOP, 0, 7, 7, 170, 60},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 189, 7, 50, 14},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 189, 24, 50, 14},
};
const QEL_DLGITEMTEMPLATE kUnknownItems[] = {
    {"{00000000-0000-0000-0000-00000000ABCD}", 1045, nullptr, WS_VISIBLE, 0, 7, 7, 170, 60},
};
const QEL_DLGTEMPLATE kTemplate = {"Refresh Period for Watch Entry", WS_POPUP, 0, 0, 0, 246, 145, kItems, 3};
const QEL_DLGTEMPLATE kUnknown = {"Unknown", WS_POPUP, 0, 0, 0, 246, 145, kUnknownItems, 1};
const QEL_RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(292), &kTemplate, sizeof kTemplate},
                                       {RT_DIALOG, MAKEINTRESOURCE(293), &kUnknown, sizeof kUnknown}};
const QEL_MODULE_RESOURCES kTables = {nullptr, 0, kEntries, 2};

const BYTE *Types(const char *codes)
{
    return reinterpret_cast<const BYTE *>(codes);
}

// A dialog that takes the editor over as the system's wrapper does and gives it a debug
// server and periods.
class PeriodDialog : public CDialog {
public:
    PeriodDialog(UINT id, IUnknown *server, LONG running, LONG holded)
        : CDialog(id), m_server(server), m_running(running), m_holded(holded)
    {
    }

    BOOL OnInitDialog() override
    {
        if (!m_editor.AttachControlSite(this, 1045))
            return FALSE;
        if (m_server != nullptr)
            m_editor.InvokeHelper(3, DISPATCH_METHOD, VT_EMPTY, nullptr, Types(VTS_UNKNOWN), m_server);
        m_editor.InvokeHelper(4, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_I4), m_running);
        m_editor.InvokeHelper(5, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_I4), m_holded);
        return CDialog::OnInitDialog();
    }

    LONG Get(DISPID dispid)
    {
        LONG value = -1;
        m_editor.InvokeHelper(dispid, DISPATCH_PROPERTYGET, VT_I4, &value, Types(VTS_NONE));
        return value;
    }

    CWnd m_editor;

private:
    IUnknown *m_server;
    LONG m_running, m_holded;
};

struct PeriodEditorTest : ::testing::Test {
    void SetUp() override
    {
        instance = QelRegisterModule(&kTables, &kTables);
        ASSERT_NE(instance, nullptr);
        before = AfxGetResourceHandle();
        AfxSetResourceHandle(instance);
        ASSERT_EQ(QelHost::RegisterPeriodEditor(&cookie), S_OK);
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
        host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
    }
    void TearDown() override
    {
        CoRevokeClassObject(cookie);
        AfxSetResourceHandle(before);
    }

    HINSTANCE instance = nullptr, before = nullptr;
    DWORD cookie = 0;
    CComPtr<IUnknown> server;
    CHostDebugServer *host = nullptr;
};

TEST_F(PeriodEditorTest, TheDialogMakesTheItemOfItsClassWhereTheTemplatePlacesItAndShowsItsPeriods)
{
    PeriodDialog dialog(292, server, 50, 200);
    ASSERT_TRUE(dialog.Create(292));
    HWND item = GetDlgItem(dialog.m_hWnd, 1045);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item, dialog.m_editor.m_hWnd);
    EXPECT_EQ(GetParent(item), dialog.m_hWnd);
    EXPECT_NE(dialog.m_editor.GetControlUnknown(), nullptr);
    RECT expected{7, 7, 177, 67}, placed;
    MapDialogRect(dialog.m_hWnd, &expected);
    GetWindowRect(item, &placed);
    POINT origin{0, 0};
    ClientToScreen(dialog.m_hWnd, &origin);
    EXPECT_EQ(placed.left - origin.x, expected.left);
    EXPECT_EQ(placed.bottom - placed.top, expected.bottom - expected.top);

    dialog.ShowWindow(SW_SHOW);
    QelPaintPending();
    HBITMAP shot = QelCaptureWindow(item, TRUE);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, shot);
    RECT all{0, 0, placed.right - placed.left, placed.bottom - placed.top};
    char text[128];
    QelReadText(dc, &all, RGB(0, 0, 0), text, sizeof text);
    EXPECT_STREQ(text, "Running: 50 ms\nHolded: 200 ms");
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(shot);

    EXPECT_EQ(dialog.Get(4), 50);
    EXPECT_EQ(dialog.Get(5), 200);
    dialog.m_editor.InvokeHelper(DISPID_BACKCOLOR, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_COLOR),
                                 static_cast<LONG>(RGB(1, 2, 3)));
    EXPECT_EQ(dialog.Get(DISPID_BACKCOLOR), static_cast<LONG>(RGB(1, 2, 3)));
    dialog.DestroyWindow();
    EXPECT_FALSE(IsWindow(item)) << "the control's window goes with the dialog";
    EXPECT_EQ(dialog.m_editor.GetControlUnknown(), nullptr);
}

TEST_F(PeriodEditorTest, TheEntryPropertyFindsOrMakesTheEntryOfItsPeriodsAndHoldsIt)
{
    CComQIPtr<IQelRefreshQueue> queue(server);
    QelHost::HostRefreshQueue &record = host->VariableServices()->Queue();
    LONG other = 0, shared = 0;
    ASSERT_EQ(queue->CreateEntry(4, 2, &other), S_OK);
    ASSERT_EQ(queue->SetPeriod(other, QEL_PERIOD_HOLDED, 300), S_OK);
    ASSERT_EQ(queue->CreateEntry(4, 2, &shared), S_OK);
    ASSERT_EQ(queue->SetPeriod(shared, QEL_PERIOD_RUNNING, 25), S_OK);
    ASSERT_EQ(queue->SetPeriod(shared, QEL_PERIOD_HOLDED, 100), S_OK);
    {
        PeriodDialog dialog(292, server, 25, 100);
        ASSERT_TRUE(dialog.Create(292));
        EXPECT_EQ(dialog.Get(1), shared) << "found";
        EXPECT_EQ(dialog.Get(1), shared) << "asked again";
        EXPECT_EQ(record.References(shared), 2) << "the queue's and the editor's";
        EXPECT_EQ(record.References(other), 1) << "what the enumeration gave back";

        dialog.m_editor.InvokeHelper(4, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_I4), static_cast<LONG>(50));
        LONG made = dialog.Get(1);
        EXPECT_NE(made, shared);
        EXPECT_NE(made, other);
        LONG period = 0;
        ASSERT_EQ(queue->GetPeriod(made, QEL_PERIOD_RUNNING, &period), S_OK);
        EXPECT_EQ(period, 50);
        EXPECT_EQ(record.References(shared), 1) << "let go for the new one";
        EXPECT_EQ(record.References(made), 1);
        // The caller adds its own reference while the dialog stands, and keeps the entry.
        ASSERT_EQ(queue->AddRefEntry(made), S_OK);
        dialog.DestroyWindow();
        EXPECT_EQ(record.References(made), 1);
    }

    // A target that reads no memory while it runs gets no running period.
    host->Target()->SetRunningAccess(QelHost::RunningAccess::None);
    PeriodDialog dialog(292, server, 40, 400);
    ASSERT_TRUE(dialog.Create(292));
    LONG holdedOnly = dialog.Get(1);
    LONG period = -1;
    ASSERT_EQ(queue->GetPeriod(holdedOnly, QEL_PERIOD_RUNNING, &period), S_OK);
    EXPECT_EQ(period, 0);
    ASSERT_EQ(queue->GetPeriod(holdedOnly, QEL_PERIOD_HOLDED, &period), S_OK);
    EXPECT_EQ(period, 400);
    dialog.DestroyWindow();
}

TEST_F(PeriodEditorTest, FailedCallsRaiseTheFrameworksExceptions)
{
    PeriodDialog dialog(292, nullptr, 10, 20);
    ASSERT_TRUE(dialog.Create(292));
    // No debug server: the control's own exception, with its text.
    try {
        dialog.Get(1);
        ADD_FAILURE() << "no exception";
    } catch (COleDispatchException *e) {
        EXPECT_EQ(std::string(e->m_strDescription), "The debug server offers no refresh queue.");
        EXPECT_EQ(e->m_scError, E_FAIL);
        e->Delete();
    }
    try {
        dialog.m_editor.InvokeHelper(5, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Types(VTS_I4), static_cast<LONG>(-1));
        ADD_FAILURE() << "no exception";
    } catch (COleDispatchException *e) {
        EXPECT_EQ(e->m_scError, E_INVALIDARG);
        e->Delete();
    }
    EXPECT_EQ(dialog.Get(5), 20) << "a refused period changes nothing";
    try {
        dialog.Get(77);
        ADD_FAILURE() << "no exception";
    } catch (COleException *e) {
        EXPECT_EQ(e->m_sc, DISP_E_MEMBERNOTFOUND);
        e->Delete();
    }
    CWnd plain;
    try {
        plain.InvokeHelper(1, DISPATCH_PROPERTYGET, VT_EMPTY, nullptr, Types(VTS_NONE));
        ADD_FAILURE() << "no exception";
    } catch (COleException *e) {
        EXPECT_EQ(e->m_sc, E_NOINTERFACE) << "a window that is no control";
        e->Delete();
    }
    dialog.DestroyWindow();

    // An item whose class no server offers: no dialog.
    CDialog unknown(293);
    EXPECT_FALSE(unknown.Create(293));
    EXPECT_EQ(unknown.m_hWnd, nullptr);
}

TEST_F(PeriodEditorTest, ThePropActionPutsAPropertyOfTheItem)
{
    EXPECT_TRUE(QelHost::IsControlAction("prop:1045=4:75"));
    EXPECT_TRUE(QelHost::IsControlAction("prop:1045=-501:255"));
    for (const char *bad : {"prop:1045=4", "prop:1045=x:1", "prop:1045=4:", "prop:x=4:1"})
        EXPECT_FALSE(QelHost::IsControlAction(bad)) << bad;
    PeriodDialog dialog(292, server, 10, 20);
    ASSERT_TRUE(dialog.Create(292));
    std::string error;
    ASSERT_TRUE(QelHost::DoControlAction(dialog.m_hWnd, "prop:1045=4:75", &error)) << error;
    EXPECT_EQ(dialog.Get(4), 75);
    EXPECT_FALSE(QelHost::DoControlAction(dialog.m_hWnd, "prop:1045=5:-3", &error));
    EXPECT_EQ(error, "prop:1045=5:-3: the property put failed with 0x80020009");
    EXPECT_FALSE(QelHost::DoControlAction(dialog.m_hWnd, "prop:1=4:1", &error));
    EXPECT_EQ(error, "prop:1=4:1: control 1 is no ActiveX item");
    dialog.DestroyWindow();
}

} // namespace
