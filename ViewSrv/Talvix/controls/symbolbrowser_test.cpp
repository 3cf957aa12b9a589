#include "symbolbrowser.h"

#include "drawntreebase.h"
#include "selectdialogresources.h"

#include <allocstats.h>
#include <registry.h>
#include <dialogs.h>
#include <testing/emptyregistry.h>
#include <windowtable.h>
#include <symbolservertesting.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

class SymbolBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline_ = QelGetComAllocCounts();
        windowsAtStart_ = qelwin::WindowCount();
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&symbols_), S_OK);
        symbols_->AddRef();
        FunctionTag function;
        function.Name = "main";
        function.AddressValue = 0x2000;
        function.Length = 12;
        symbols_->Answers().functions.Add(function);
        VariableTag variable;
        variable.Name = "limit";
        variable.SymbolIndex = 9;
        variable.AddressValue = 0x3000;
        symbols_->Answers().variables.Add(variable);
        ASSERT_EQ(CComObject<CQelSymbolBrowser>::CreateInstance(&object_), S_OK);
        browser_ = object_;
        ASSERT_TRUE(parent_.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300,
                                     nullptr, nullptr));
        browser_->put_DebugServer(static_cast<IQelSymbol *>(symbols_));
        browser_->put_ParentWindow(static_cast<LONG>(reinterpret_cast<INT_PTR>(parent_.m_hWnd)));
    }
    void TearDown() override
    {
        QelSetDialogHandler(nullptr, nullptr);
        parent_.DestroyWindow();
        browser_.Release();
        symbols_->Release();
        DrawnTreeBaseC::DeleteSharedResources();
        EXPECT_EQ(qelwin::WindowCount(), windowsAtStart_) << "every window is destroyed";
        QelComAllocCounts now = QelGetComAllocCounts();
        EXPECT_EQ(now.bstrs, baseline_.bstrs);
        EXPECT_EQ(now.safeArrays, baseline_.safeArrays);
        EXPECT_EQ(now.invalidFrees, baseline_.invalidFrees);
    }

    // The open dialog once its tree shows more than "Sorting ...", else NULL.
    HWND ReadyDialog()
    {
        LONG window = 0;
        if (browser_->get_DialogWindow(&window) != S_OK)
            return nullptr;
        HWND dialog = reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
        auto *tree = static_cast<DrawnTreeBaseC *>(CWnd::FromHandle(::GetDlgItem(dialog, IDC_SELECT_TREE)));
        if (tree == nullptr || tree->GetItemCount() == 0 ||
            std::string(tree->GetItemText(tree->GetItemAtIndex(0))) == "Sorting ...")
            return nullptr;
        tree_ = tree;
        return dialog;
    }
    // The user of the modal loop: once the tree is filled, `act` on the dialog, once.
    void WhenReady(std::function<void(HWND)> act)
    {
        act_ = std::move(act);
        QelSetDialogHandler(
            [](void *context, HWND, LPCSTR) -> int {
                auto *self = static_cast<SymbolBrowserTest *>(context);
                HWND dialog = self->ReadyDialog();
                if (dialog == nullptr) {
                    // The replies come from the server's thread: wait for them, then look again.
                    self->symbols_->WaitUntilIdle();
                    Sleep(2);
                    return QEL_DIALOG_AGAIN;
                }
                if (self->act_) {
                    auto act = std::move(self->act_);
                    self->act_ = nullptr;
                    act(dialog);
                    return QEL_DIALOG_AGAIN;
                }
                return QEL_DIALOG_DONE;
            },
            this);
    }
    std::string Label()
    {
        BSTR label = nullptr;
        browser_->get_Label(&label);
        std::string text = static_cast<LPCSTR>(CString(label));
        SysFreeString(label);
        return text;
    }

    CComObject<CTestSymbolServer> *symbols_ = nullptr;
    CComObject<CQelSymbolBrowser> *object_ = nullptr;
    CComPtr<IQelSymbolBrowser> browser_;
    CWnd parent_;
    std::function<void(HWND)> act_;
    DrawnTreeBaseC *tree_ = nullptr;
    QelComAllocCounts baseline_{};
    size_t windowsAtStart_ = 0;
};

TEST_F(SymbolBrowserTest, CloseAnswersSFalseAndNoChoice)
{
    browser_->Mode(CODE_LABEL);
    WhenReady([](HWND dialog) { ::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(browser_->DoModal(), S_FALSE);
    LONG address = 5;
    EXPECT_EQ(browser_->get_Address(&address), S_FALSE);
    EXPECT_EQ(address, 0);
    LONG window = 0;
    EXPECT_EQ(browser_->get_DialogWindow(&window), E_FAIL) << "the dialog is gone";
}

TEST_F(SymbolBrowserTest, SelectingAFunctionGivesItsAddressLengthAndName)
{
    browser_->Mode(CODE_LABEL);
    WhenReady([this](HWND dialog) {
        char title[64];
        ::GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ(title, "Select Code Label");
        EXPECT_EQ(std::string(tree_->GetItemText(tree_->GetSelectedItem())), "main");
        ::SendMessage(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(browser_->DoModal(), S_OK);
    LONG address = 0, parameter = 0;
    EXPECT_EQ(browser_->get_Address(&address), S_OK);
    EXPECT_EQ(browser_->get_Parameter(&parameter), S_OK);
    EXPECT_EQ(address, 0x2000);
    EXPECT_EQ(parameter, 12);
    EXPECT_EQ(Label(), "main");
}

TEST_F(SymbolBrowserTest, AbortWhileOpenEndsDoModalWithEFail)
{
    browser_->Mode(DATA_LABEL);
    WhenReady([this](HWND) { browser_->Mode(ABORT); });
    EXPECT_EQ(browser_->DoModal(), E_FAIL);
    LONG parameter = 1;
    EXPECT_EQ(browser_->get_Parameter(&parameter), S_FALSE);
}

TEST_F(SymbolBrowserTest, PostingKeepsTheDialogOpenUntilClosed)
{
    const UINT kChoice = WM_USER + 5;
    browser_->Mode(WATCH_BROWSER);
    browser_->put_MessageID(kChoice);
    std::vector<LPARAM> posted;
    WhenReady([&](HWND dialog) {
        char text[16];
        ::GetWindowTextA(::GetDlgItem(dialog, IDOK), text, sizeof text);
        EXPECT_STREQ(text, "&Add");
        HTREEITEM all = tree_->GetRootItem();
        while (all != nullptr && tree_->GetItemText(all) != "All Globals/Statics")
            all = tree_->GetNextSiblingItem(all);
        tree_->DeselectAllExcept(-1);
        tree_->Select(tree_->GetChildItem(all), TVGN_CARET);
        ::SendMessage(dialog, WM_COMMAND, IDOK, 0);
        ::SendMessage(dialog, WM_COMMAND, IDOK, 0);
        MSG message;
        while (::PeekMessageA(&message, parent_.m_hWnd, kChoice, kChoice, PM_REMOVE))
            posted.push_back(message.lParam);
        EXPECT_TRUE(::IsWindow(dialog)) << "still open";
        ::SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(browser_->DoModal(), S_FALSE);
    EXPECT_EQ(posted, (std::vector<LPARAM>{9, 9})) << "each choice posts the symbol index";
}

TEST_F(SymbolBrowserTest, TheCallersArraysStayIntactAndAKeptBrowserRunsAgain)
{
    SAFEARRAY *names = SafeArrayCreateVector(VT_BSTR, 0, 2);
    const char16_t *texts[2] = {u"OFF", u"ON"};
    for (LONG at = 0; at < 2; ++at) {
        BSTR text = SysAllocString(texts[at]);
        SafeArrayPutElement(names, &at, text);
        SysFreeString(text);
    }
    SAFEARRAY *values = SafeArrayCreateVector(VT_I4, 0, 2);
    for (LONG at = 0; at < 2; ++at)
        SafeArrayPutElement(values, &at, &at);
    VARIANT vNames, vValues;
    vNames.vt = VT_ARRAY | VT_BSTR;
    vNames.parray = names;
    vValues.vt = VT_ARRAY | VT_I4;
    vValues.parray = values;
    browser_->Mode(ENUMERATION_LISTER);
    EXPECT_EQ(browser_->InitialValues(vNames, vValues), S_OK);
    for (int round = 0; round < 2; ++round) {
        WhenReady([](HWND dialog) { ::SendMessage(dialog, WM_COMMAND, IDOK, 0); });
        EXPECT_EQ(browser_->DoModal(), S_OK) << "round " << round;
        LONG parameter = 0;
        browser_->get_Parameter(&parameter);
        EXPECT_EQ(parameter, 1);
        EXPECT_EQ(Label(), "ON");
    }
    LONG at = 1;
    BSTR kept = nullptr;
    ASSERT_EQ(SafeArrayGetElement(names, &at, &kept), S_OK);
    EXPECT_EQ(std::u16string(kept), u"ON");
    SysFreeString(kept);
    SafeArrayDestroy(names);
    SafeArrayDestroy(values);
}

TEST_F(SymbolBrowserTest, WithoutADebugServerNothingIsShownAndDoModalFails)
{
    browser_->put_DebugServer(nullptr);
    size_t windows = qelwin::WindowCount();
    EXPECT_EQ(browser_->DoModal(), E_FAIL);
    EXPECT_EQ(qelwin::WindowCount(), windows);
}

BEGIN_OBJECT_MAP(BrowserMap)
    OBJECT_ENTRY(CLSID_QelSymbolBrowser, CQelSymbolBrowser)
END_OBJECT_MAP()

class SymbolBrowserRegistration : public EmptyRegistry {};

TEST_F(SymbolBrowserRegistration, ScriptRegistersTheApartmentClassInTheLibrary)
{
    CComModule module;
    ASSERT_EQ(module.Init(BrowserMap, AfxGetInstanceHandle()), S_OK);
    ASSERT_EQ(module.RegisterServer(FALSE), S_OK);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{7BE169D0-4418-4FFD-BC71-BF90B413BCB4}\\InprocServer32", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    char model[32] = {};
    DWORD size = sizeof model;
    EXPECT_EQ(RegQueryValueExA(key, "ThreadingModel", nullptr, nullptr, reinterpret_cast<BYTE *>(model), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(model, "Apartment");
    RegCloseKey(key);
    EXPECT_EQ(module.UnregisterServer(FALSE), S_OK);
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{7BE169D0-4418-4FFD-BC71-BF90B413BCB4}", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    module.Term();
}

} // namespace
