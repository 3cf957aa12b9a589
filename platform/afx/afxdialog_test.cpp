#include "afxdialog.h"

#include "afxstring.h"
#include "controls.h"
#include "dialogs.h"
#include "messagebox.h"
#include "resources.h"
#include "windowcreate.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

enum : int { kName = 10, kCount = 11, kSize = 12, kVerbose = 13, kFirstMode = 20, kApply = 30, kLimited = 40 };

namespace {

const QEL_DLGITEMTEMPLATE kSettingsItems[] = {
    {"Edit", kName, nullptr, WS_TABSTOP, 0, 5, 5, 80, 12},
    {"Edit", kCount, nullptr, WS_TABSTOP, 0, 5, 20, 80, 12},
    {"Edit", kSize, nullptr, WS_TABSTOP, 0, 5, 35, 80, 12},
    {"Button", kVerbose, "Verbose", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 5, 50, 80, 10},
    {"Button", kFirstMode, "Fast", BS_AUTORADIOBUTTON | WS_GROUP, 0, 5, 60, 40, 10},
    {"Button", kFirstMode + 1, "Safe", BS_AUTORADIOBUTTON, 0, 5, 70, 40, 10},
    {"Button", kFirstMode + 2, "Slow", BS_AUTORADIOBUTTON, 0, 5, 80, 40, 10},
    {"Button", kApply, "Apply", BS_PUSHBUTTON | WS_GROUP, 0, 50, 60, 40, 14},
    {"Edit", kLimited, nullptr, 0, 0, 50, 80, 40, 12},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 5, 95, 40, 14},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 95, 40, 14},
};

} // namespace

// Bound into the program's resource table (afxmodule_test.cpp) as dialog 300.
extern const QEL_DLGTEMPLATE kAfxSettingsTemplate = {"Settings", WS_POPUP, 0, 10, 10, 100, 115, kSettingsItems, 11};

namespace {

// An edit whose object counts the limits set on it and hands them on to the edit.
class CCountingEdit : public CWnd {
public:
    int limits = 0;

protected:
    LRESULT OnLimit(WPARAM, LPARAM)
    {
        ++limits;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CWnd)
    ON_MESSAGE(EM_LIMITTEXT, OnLimit)
END_MESSAGE_MAP()

class CSettingsDialog : public CDialog {
public:
    explicit CSettingsDialog(CWnd *parent = nullptr) : CDialog(300, parent) {}

    CString m_name = "first";
    int m_count = 3;
    UINT m_size = 8;
    int m_verbose = 1;
    int m_mode = 2;
    int applied = 0;
    int closes = 0;
    CCountingEdit limited;

protected:
    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Text(pDX, kName, m_name);
        DDV_MaxChars(pDX, m_name, 8);
        DDX_Text(pDX, kCount, m_count);
        DDX_Text(pDX, kSize, m_size);
        DDX_Check(pDX, kVerbose, m_verbose);
        DDX_Radio(pDX, kFirstMode, m_mode);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        limited.SubclassDlgItem(kLimited, this);
        CenterWindow();
        return TRUE;
    }

    afx_msg void OnApply() { ++applied; }
    afx_msg void OnClose()
    {
        ++closes;
        CDialog::OnClose();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSettingsDialog, CDialog)
    ON_BN_CLICKED(kApply, OnApply)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

std::vector<std::function<int(HWND)>> steps;
std::vector<std::string> boxes;

int PlayUser(void *, HWND dialog, LPCSTR templateName)
{
    EXPECT_EQ(templateName, MAKEINTRESOURCE(300));
    if (steps.empty())
        return QEL_DIALOG_DONE;
    auto step = steps.front();
    steps.erase(steps.begin());
    return step(dialog);
}

int ReadBox(void *, HWND, LPCSTR text, LPCSTR, UINT)
{
    boxes.push_back(text);
    return IDOK;
}

std::string Text(HWND dialog, int id)
{
    char text[64];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

class DialogObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        steps.clear();
        boxes.clear();
        QelSetDialogHandler(PlayUser, nullptr);
        QelSetMessageBoxHandler(ReadBox, nullptr);
    }
    void TearDown() override
    {
        QelSetDialogHandler(nullptr, nullptr);
        QelSetMessageBoxHandler(nullptr, nullptr);
        EXPECT_TRUE(steps.empty()) << "every step was taken";
    }
};

TEST_F(DialogObjects, AModalDialogExchangesItsMembersWithItsControlsBothWays)
{
    CSettingsDialog dialog;
    steps = {[&](HWND window) {
        EXPECT_EQ(CWnd::FromHandlePermanent(window), &dialog) << "subclassed before WM_INITDIALOG was handled";
        EXPECT_EQ(Text(window, kName), "first");
        EXPECT_EQ(Text(window, kCount), "3");
        EXPECT_EQ(Text(window, kSize), "8");
        EXPECT_EQ(IsDlgButtonChecked(window, kVerbose), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(window, kFirstMode + 2), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(SendDlgItemMessageA(window, kName, EM_GETLIMITTEXT, 0, 0), 8) << "DDV_MaxChars limits the edit";
        EXPECT_EQ(GetFocus(), GetDlgItem(window, kName));
        SetDlgItemTextA(window, kName, "second");
        SetDlgItemTextA(window, kCount, " -42 ");
        SetDlgItemTextA(window, kSize, "4294967295");
        Click(window, kVerbose);
        Click(window, kFirstMode);
        Click(window, kApply);
        SendDlgItemMessageA(window, kLimited, EM_LIMITTEXT, 5, 0);
        EXPECT_EQ(SendDlgItemMessageA(window, kLimited, EM_GETLIMITTEXT, 0, 0), 5) << "handed on to the edit";
        Click(window, IDOK);
        return QEL_DIALOG_DONE;
    }};
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_STREQ(dialog.m_name, "second");
    EXPECT_EQ(dialog.m_count, -42);
    EXPECT_EQ(dialog.m_size, 4294967295u);
    EXPECT_EQ(dialog.m_verbose, 0);
    EXPECT_EQ(dialog.m_mode, 0);
    EXPECT_EQ(dialog.applied, 1);
    EXPECT_EQ(dialog.limited.limits, 1) << "through the subclassed edit's map";
    EXPECT_EQ(dialog.limited.m_hWnd, nullptr);
}

TEST_F(DialogObjects, AValueThatDoesNotConvertKeepsTheDialogOpenAtItsControl)
{
    struct Case {
        int control;
        const char *typed;
        const char *box;
    };
    const Case cases[] = {
        {kCount, "12x", "Please enter an integer."},
        {kCount, "4294967296", "Please enter an integer."},
        {kCount, "", "Please enter an integer."},
        {kSize, "-1", "Please enter a positive integer."},
        {kName, "ninechars", "Enter no more than 8 characters."},
    };
    for (const Case &each : cases) {
        CSettingsDialog dialog;
        boxes.clear();
        steps = {[&](HWND window) {
                     SetDlgItemTextA(window, each.control, each.typed);
                     Click(window, IDOK);
                     EXPECT_TRUE(IsWindow(window)) << each.typed;
                     EXPECT_EQ(GetFocus(), GetDlgItem(window, each.control)) << each.typed;
                     return QEL_DIALOG_AGAIN;
                 },
                 [&](HWND window) {
                     SetDlgItemTextA(window, each.control, each.control == kName ? "eight ch" : "7");
                     Click(window, IDOK);
                     return QEL_DIALOG_DONE;
                 }};
        EXPECT_EQ(dialog.DoModal(), IDOK) << each.typed;
        EXPECT_EQ(boxes, std::vector<std::string>{each.box});
    }
}

TEST_F(DialogObjects, ClosingCancelsAndLeavesTheMembersAlone)
{
    CSettingsDialog dialog;
    steps = {[](HWND window) {
        SetDlgItemTextA(window, kName, "lost");
        SendMessageA(window, WM_CLOSE, 0, 0);
        return QEL_DIALOG_AGAIN;
    }};
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_STREQ(dialog.m_name, "first");
}

TEST_F(DialogObjects, AModelessDialogIsCentredOnItsOwnerAndAnsweredOnRequest)
{
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_POPUP, 100, 100, 600, 400, nullptr, nullptr, nullptr,
                                 nullptr);
    CWnd ownerObject;
    ownerObject.Attach(owner);
    CSettingsDialog dialog(&ownerObject);
    ASSERT_TRUE(dialog.Create(300));
    RECT rect;
    dialog.GetWindowRect(&rect);
    EXPECT_EQ(rect.left, 100 + (600 - 200) / 2);
    EXPECT_EQ(rect.top, 100 + (400 - 230) / 2);
    steps = {[](HWND window) {
        Click(window, kApply);
        return QEL_DIALOG_DONE;
    }};
    EXPECT_TRUE(QelAnswerDialog(dialog.m_hWnd));
    EXPECT_EQ(dialog.applied, 1);
    EXPECT_TRUE(IsWindow(dialog.m_hWnd)) << "a modeless dialog stays";

    EXPECT_EQ(dialog.limited.UnsubclassWindow(), GetDlgItem(dialog.m_hWnd, kLimited));
    SendDlgItemMessageA(dialog.m_hWnd, kLimited, EM_LIMITTEXT, 5, 0);
    EXPECT_EQ(dialog.limited.limits, 0) << "the edit has its own procedure back";
    EXPECT_EQ(SendDlgItemMessageA(dialog.m_hWnd, kLimited, EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    ownerObject.Detach();
    DestroyWindow(owner);
}

} // namespace
