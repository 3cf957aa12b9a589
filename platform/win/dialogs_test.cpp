#include "dialogs.h"

#include "controls.h"
#include "dialogstate.h"
#include "lasterror.h"
#include "resources.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

enum : int { kEdit = 10, kCheck = 11, kOpenInner = 12, kFirstRadio = 20, kOtherGroup = 30, kLabel = 40 };

const QEL_DLGITEMTEMPLATE settingsItems[] = {
    {"Edit", kEdit, "start", WS_TABSTOP, 0, 5, 5, 80, 12},
    {"Button", kCheck, "Check", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 5, 20, 80, 10},
    {"Button", kOpenInner, "More...", BS_PUSHBUTTON, 0, 5, 30, 40, 14},
    {"Button", kFirstRadio, "A", BS_AUTORADIOBUTTON | WS_GROUP, 0, 5, 50, 40, 10},
    {"Button", kFirstRadio + 1, "B", BS_AUTORADIOBUTTON, 0, 5, 60, 40, 10},
    {"Button", kFirstRadio + 2, "C", BS_AUTORADIOBUTTON, 0, 5, 70, 40, 10},
    {"Button", kOtherGroup, "X", BS_AUTORADIOBUTTON | WS_GROUP, 0, 60, 50, 40, 10},
    {"Button", kOtherGroup + 1, "Y", BS_AUTORADIOBUTTON, 0, 60, 60, 40, 10},
    {"Static", kLabel, "label", WS_GROUP, 0, 5, 80, 40, 10},
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 5, 95, 40, 14},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 95, 40, 14},
};
const QEL_DLGITEMTEMPLATE innerItems[] = {
    {"Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 5, 5, 40, 14},
};
const QEL_DLGITEMTEMPLATE brokenItems[] = {
    {"Static", 1, "fine", 0, 0, 0, 0, 10, 10},
    {"NoSuchClass", 2, "", 0, 0, 0, 0, 10, 10},
};
const QEL_DLGTEMPLATE settings = {"Settings", WS_POPUP, 0, 10, 20, 100, 115, settingsItems, 11};
const QEL_DLGTEMPLATE inner = {"Inner", WS_POPUP | WS_VISIBLE, 0, 0, 0, 50, 30, innerItems, 1};
const QEL_DLGTEMPLATE broken = {"Broken", WS_POPUP, 0, 0, 0, 50, 30, brokenItems, 2};
const QEL_DLGTEMPLATE page = {"Page", WS_CHILD | WS_VISIBLE, 0, 4, 6, 50, 30, innerItems, 1};

const QEL_RESOURCE_ENTRY dialogResources[] = {
    {RT_DIALOG, MAKEINTRESOURCE(100), &settings, sizeof settings},
    {RT_DIALOG, "INNER", &inner, sizeof inner},
    {RT_DIALOG, MAKEINTRESOURCE(102), &broken, sizeof broken},
    {RT_DIALOG, MAKEINTRESOURCE(103), &settings, 4},
    {RT_DIALOG, MAKEINTRESOURCE(104), &page, sizeof page},
};
const QEL_MODULE_RESOURCES dialogTables = {nullptr, 0, dialogResources, 5};

// What the dialog procedure saw, and how it behaves.
struct Observed {
    std::vector<std::string> log; // "init", "kickidle", "command:ID:CODE", "inner:RESULT"
    std::string textAtOk;
    int okRefusals = 0;
    bool refuseCancel = false;
    BOOL initAnswer = TRUE;
    HINSTANCE instance = nullptr;
} observed;

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        observed.log.push_back("init");
        return observed.initAnswer;
    case WM_KICKIDLE:
        if (observed.log.empty() || observed.log.back() != "kickidle")
            observed.log.push_back("kickidle");
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        observed.log.push_back("command:" + std::to_string(id) + ":" + std::to_string(HIWORD(wParam)));
        if (id == IDOK) {
            char text[64];
            GetDlgItemTextA(dialog, kEdit, text, sizeof text);
            observed.textAtOk = text;
            if (observed.okRefusals > 0)
                --observed.okRefusals;
            else
                EndDialog(dialog, IDOK);
        } else if (id == IDCANCEL && !observed.refuseCancel) {
            EndDialog(dialog, IDCANCEL);
        } else if (id == kOpenInner) {
            INT_PTR result = DialogBoxParamA(observed.instance, "inner", dialog, SettingsProc, 0);
            observed.log.push_back("inner:" + std::to_string(result));
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// The user: each call of the handler takes the next step for the dialog's template.
struct Step {
    std::string templateName;
    std::function<int(HWND)> act;
};
std::vector<Step> steps;
std::vector<std::string> asked;

std::string NameOf(LPCSTR templateName)
{
    return IS_INTRESOURCE(templateName) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(templateName))
                                        : std::string(templateName);
}

int PlayUser(void *, HWND dialog, LPCSTR templateName)
{
    asked.push_back(NameOf(templateName));
    if (steps.empty())
        return QEL_DIALOG_DONE;
    Step step = steps.front();
    steps.erase(steps.begin());
    EXPECT_EQ(step.templateName, asked.back());
    return step.act(dialog);
}

int Click(HWND dialog, int id, int answer = QEL_DIALOG_AGAIN)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    return answer;
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        observed = Observed{};
        observed.instance = instance_ = QelRegisterModule(&dialogTables, &dialogTables);
        ASSERT_NE(instance_, nullptr);
        steps.clear();
        asked.clear();
        QelSetDialogHandler(PlayUser, nullptr);
        windowsBefore_ = qelwin::WindowCount();
        dialogsBefore_ = qelwin::DialogCount();
    }

    void TearDown() override
    {
        QelSetDialogHandler(nullptr, nullptr);
        EXPECT_TRUE(steps.empty()) << "every step was taken";
        EXPECT_EQ(qelwin::WindowCount(), windowsBefore_) << "every window is destroyed";
        EXPECT_EQ(qelwin::DialogCount(), dialogsBefore_);
        EXPECT_EQ(GetFocus(), nullptr);
        EXPECT_EQ(GetActiveWindow(), nullptr);
        QelUnregisterModule(instance_);
    }

    HINSTANCE instance_ = nullptr;
    size_t windowsBefore_ = 0;
    size_t dialogsBefore_ = 0;
};

TEST_F(Dialogs, ItemsComeInTemplateOrderInPixelsAndTheFirstTabStopHasTheFocus)
{
    HWND dialog = CreateDialogParamA(instance_, MAKEINTRESOURCE(100), nullptr, SettingsProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "the template has no WS_VISIBLE";
    std::vector<HWND> items = qelwin::ChildWindows(dialog);
    ASSERT_EQ(items.size(), 11u);
    HWND walked = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < items.size(); ++i, walked = GetWindow(walked, GW_HWNDNEXT)) {
        EXPECT_EQ(walked, items[i]);
        EXPECT_EQ(GetDlgCtrlID(items[i]), settingsItems[i].id);
        EXPECT_EQ(GetDlgItem(dialog, settingsItems[i].id), items[i]);
        char className[16];
        GetClassNameA(items[i], className, sizeof className);
        EXPECT_STREQ(className, settingsItems[i].className);
    }
    EXPECT_EQ(walked, nullptr);
    char text[16];
    EXPECT_EQ(GetDlgItemTextA(dialog, kEdit, text, sizeof text), 5u);
    EXPECT_STREQ(text, "start");
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, kCheck), &rect);
    EXPECT_EQ(rect.left, 2 * 10 + 2 * 5);
    EXPECT_EQ(rect.top, 2 * 20 + 2 * 20);
    EXPECT_EQ(rect.right - rect.left, 160);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kEdit));
    EXPECT_EQ(GetDlgItem(dialog, 999), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));
    DestroyWindow(dialog);

    observed.initAnswer = FALSE;
    dialog = CreateDialogParamA(instance_, MAKEINTRESOURCE(100), nullptr, SettingsProc, 0);
    EXPECT_EQ(GetFocus(), nullptr) << "WM_INITDIALOG answered FALSE: the focus stays";
    DestroyWindow(dialog);

    for (LPCSTR failing : {MAKEINTRESOURCE(102), MAKEINTRESOURCE(103), MAKEINTRESOURCE(105)})
        EXPECT_EQ(CreateDialogParamA(instance_, failing, nullptr, SettingsProc, 0), nullptr) << NameOf(failing);
    EXPECT_EQ(DialogBoxParamA(instance_, MAKEINTRESOURCE(102), nullptr, SettingsProc, 0), -1);
}

TEST_F(Dialogs, ButtonsClickCheckAndKeepTheirRadioGroupsApart)
{
    HWND dialog = CreateDialogParamA(instance_, MAKEINTRESOURCE(100), nullptr, SettingsProc, 0);
    observed.log.clear();
    Click(dialog, kCheck);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCheck), static_cast<UINT>(BST_CHECKED));
    Click(dialog, kCheck);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCheck), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(observed.log, (std::vector<std::string>{"command:11:0", "command:11:0"}));

    Click(dialog, kOtherGroup);
    Click(dialog, kFirstRadio + 1);
    Click(dialog, kFirstRadio + 2);
    const std::vector<UINT> expected = {0, 0, 1, 1, 0};
    const int radios[] = {kFirstRadio, kFirstRadio + 1, kFirstRadio + 2, kOtherGroup, kOtherGroup + 1};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(IsDlgButtonChecked(dialog, radios[i]), expected[i]) << radios[i];
    CheckRadioButton(dialog, kFirstRadio, kFirstRadio + 2, kFirstRadio);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kFirstRadio), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, kFirstRadio + 2), static_cast<UINT>(BST_UNCHECKED));

    observed.log.clear();
    EnableWindow(GetDlgItem(dialog, kCheck), FALSE);
    Click(dialog, kCheck);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCheck), static_cast<UINT>(BST_UNCHECKED)) << "a disabled button";
    CheckDlgButton(dialog, IDOK, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDOK), static_cast<UINT>(BST_UNCHECKED)) << "a push button";

    // An edit tells a new text; its limit binds a user's typing, not WM_SETTEXT.
    HWND edit = GetDlgItem(dialog, kEdit);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 32767);
    SendMessageA(edit, EM_LIMITTEXT, 3, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 3);
    SetDlgItemTextA(dialog, kEdit, "longer");
    EXPECT_EQ(GetWindowTextLengthA(edit), 6);
    EXPECT_EQ(observed.log, std::vector<std::string>{"command:10:768"});
    DestroyWindow(dialog);
}

TEST_F(Dialogs, AModalDialogExchangesWithItsUserAndEndsWithItsResult)
{
    HWND owner = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr,
                                 nullptr, nullptr);
    ShowWindow(owner, SW_SHOW);
    steps = {{"#100", [&](HWND dialog) {
                  EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner waits";
                  EXPECT_EQ(GetActiveWindow(), dialog);
                  EXPECT_TRUE(IsWindowVisible(dialog));
                  SetDlgItemTextA(dialog, kEdit, "typed");
                  INT_PTR result = 0;
                  EXPECT_FALSE(QelGetDialogResult(dialog, &result));
                  Click(dialog, IDOK);
                  EXPECT_TRUE(QelGetDialogResult(dialog, &result));
                  EXPECT_EQ(result, IDOK);
                  return QEL_DIALOG_DONE;
              }}};
    EXPECT_EQ(DialogBoxParamA(instance_, MAKEINTRESOURCE(100), owner, SettingsProc, 0), IDOK);
    EXPECT_EQ(observed.textAtOk, "typed");
    EXPECT_EQ(observed.log, (std::vector<std::string>{"init", "kickidle", "command:10:768", "command:1:0"}));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner) << "the activation went back to the owner";
    DestroyWindow(owner);
}

TEST_F(Dialogs, ARefusedOkTakesASecondAnswerAndNestedDialogsAreAnsweredInside)
{
    observed.okRefusals = 1;
    steps = {
        {"#100", [](HWND dialog) { return Click(dialog, IDOK); }},
        {"#100", [](HWND dialog) { return Click(dialog, kOpenInner); }},
        {"inner", [](HWND dialog) { return Click(dialog, IDOK); }},
        {"#100", [](HWND dialog) { return Click(dialog, IDOK); }},
    };
    EXPECT_EQ(DialogBoxParamA(instance_, MAKEINTRESOURCE(100), nullptr, SettingsProc, 0), IDOK);
    EXPECT_EQ(asked, (std::vector<std::string>{"#100", "#100", "inner", "#100"}));
    EXPECT_NE(std::find(observed.log.begin(), observed.log.end(), "inner:1"), observed.log.end());
}

TEST_F(Dialogs, PostedCancelCloseQuitAndAMissingUserEndTheDialog)
{
    struct Case {
        const char *name;
        std::function<int(HWND)> act;
        bool refuseCancel;
        bool quits;
    };
    const Case cases[] = {
        {"posted IDCANCEL",
         [](HWND dialog) {
             PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
             return QEL_DIALOG_AGAIN;
         },
         false, false},
        {"WM_CLOSE", [](HWND dialog) { return static_cast<int>(SendMessageA(dialog, WM_CLOSE, 0, 0)) + QEL_DIALOG_AGAIN; },
         false, false},
        {"done", [](HWND) { return QEL_DIALOG_DONE; }, false, false},
        {"done, cancel refused", [](HWND) { return QEL_DIALOG_DONE; }, true, false},
        {"WM_QUIT",
         [](HWND) {
             PostQuitMessage(3);
             return QEL_DIALOG_AGAIN;
         },
         false, true},
    };
    for (const Case &each : cases) {
        observed.refuseCancel = each.refuseCancel;
        steps = {{"#100", each.act}};
        EXPECT_EQ(DialogBoxParamA(instance_, MAKEINTRESOURCE(100), nullptr, SettingsProc, 0), IDCANCEL) << each.name;
        MSG message;
        EXPECT_EQ(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, each.quits) << each.name;
    }
    QelSetDialogHandler(nullptr, nullptr);
    observed.log.clear();
    EXPECT_EQ(DialogBoxParamA(instance_, MAKEINTRESOURCE(100), nullptr, SettingsProc, 0), IDCANCEL);
    EXPECT_EQ(observed.log, (std::vector<std::string>{"init", "kickidle", "command:2:0"})) << "no handler";
}

TEST_F(Dialogs, AModelessDialogIsAnsweredOnRequestAndStaysOpen)
{
    HWND dialog = CreateDialogParamA(instance_, "INNER", nullptr, SettingsProc, 0);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the template has WS_VISIBLE";
    EXPECT_EQ(GetActiveWindow(), dialog);
    steps = {{"INNER", [](HWND dialog) {
                  PostMessageA(dialog, WM_COMMAND, kCheck, 0);
                  return QEL_DIALOG_AGAIN;
              }},
             {"INNER", [](HWND) { return QEL_DIALOG_DONE; }}};
    EXPECT_TRUE(QelAnswerDialog(dialog));
    EXPECT_EQ(observed.log.back(), "command:11:0") << "the posted command was handled";
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(EndDialog(dialog, IDOK));
    EXPECT_FALSE(IsWindowVisible(dialog)) << "EndDialog hides a modeless dialog";
    EXPECT_FALSE(QelAnswerDialog(GetDlgItem(dialog, IDOK))) << "not a dialog";
    QelSetDialogHandler(nullptr, nullptr);
    EXPECT_FALSE(QelAnswerDialog(dialog)) << "no handler";
    QelSetDialogHandler(PlayUser, nullptr);

    // A page: a child dialog inside its parent, answered the same way.
    HWND pageDialog = CreateDialogParamA(instance_, MAKEINTRESOURCE(104), dialog, SettingsProc, 0);
    ASSERT_NE(pageDialog, nullptr);
    EXPECT_EQ(GetParent(pageDialog), dialog);
    RECT rect;
    GetWindowRect(pageDialog, &rect);
    RECT outer;
    GetWindowRect(dialog, &outer);
    EXPECT_EQ(rect.left - outer.left, 8);
    EXPECT_EQ(rect.top - outer.top, 12);
    steps = {{"#104", [](HWND) { return QEL_DIALOG_DONE; }}};
    EXPECT_TRUE(QelAnswerDialog(pageDialog));
    EXPECT_EQ(asked.back(), "#104");
    DestroyWindow(dialog);
    EXPECT_FALSE(IsWindow(pageDialog)) << "it went with its parent";
}

} // namespace
