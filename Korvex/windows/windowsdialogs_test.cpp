// The small dialogs of the program-loading work flow, worked through their controls by a
// user that the test plays, with the real symbol server's expression objects and
// settings storage.
#include "imagecontroldialog.h"
#include "loaddialogs.h"
#include "notedialog.h"
#include "posdialog.h"
#include "windowsresources.h"
#include "windowstesting.h"

#include <qelsymbolbrowser.h>
#include <stgprofile.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using windowstest::SymbolServerWindows;

// The user: one step per time the dialog handler is asked.
std::vector<std::function<int(HWND)>> g_steps;
std::vector<int> g_asked;

int PlayUser(void *, HWND dialog, LPCSTR templateName)
{
    g_asked.push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(templateName)));
    if (g_steps.empty())
        return QEL_DIALOG_DONE;
    std::function<int(HWND)> step = g_steps.front();
    g_steps.erase(g_steps.begin());
    return step(dialog);
}

std::function<int(HWND)> Press(int id)
{
    return [id](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        return QEL_DIALOG_AGAIN;
    };
}

std::function<int(HWND)> Type(int id, const char *text)
{
    return [id, text](HWND dialog) {
        SetDlgItemTextA(dialog, id, text);
        return QEL_DIALOG_AGAIN;
    };
}

std::string ItemText(HWND dialog, int id)
{
    char text[128];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Symbol browser double: answers DoModal with the label and address it is given, and
// records what it was told.
class CBrowserDouble : public IQelSymbolBrowser, public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IQelSymbolBrowser)
            *ppv = static_cast<IQelSymbolBrowser *>(this);
        else if (riid == IID_IClassFactory)
            *ppv = static_cast<IClassFactory *>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown *, REFIID riid, void **ppv) override { return QueryInterface(riid, ppv); }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

    STDMETHODIMP Mode(SYMBOLBROWSERMODE mode) override
    {
        this->mode = mode;
        return S_OK;
    }
    STDMETHODIMP InitialValues(VARIANT, VARIANT) override { return S_OK; }
    STDMETHODIMP put_DebugServer(IUnknown *server) override
    {
        this->server = server;
        return S_OK;
    }
    STDMETHODIMP put_ParentWindow(LONG window) override
    {
        parent = window;
        return S_OK;
    }
    STDMETHODIMP put_MessageID(LONG) override { return S_OK; }
    STDMETHODIMP get_DialogWindow(LONG *) override { return E_FAIL; }
    STDMETHODIMP get_Address(LONG *value) override
    {
        *value = address;
        return S_OK;
    }
    STDMETHODIMP get_Parameter(LONG *value) override
    {
        *value = 0;
        return S_OK;
    }
    STDMETHODIMP get_Label(BSTR *value) override
    {
        *value = SysAllocString(label.c_str());
        return S_OK;
    }
    STDMETHODIMP DoModal() override { return answer; }

    int mode = -1;
    IUnknown *server = nullptr;
    LONG parent = 0;
    LONG address = 0;
    std::u16string label;
    HRESULT answer = S_OK;
};

class WindowsDialogs : public SymbolServerWindows {
protected:
    void SetUp() override
    {
        SymbolServerWindows::SetUp();
        g_steps.clear();
        g_asked.clear();
        QelSetDialogHandler(PlayUser, nullptr);
    }
    void TearDown() override
    {
        QelSetDialogHandler(nullptr, nullptr);
        SymbolServerWindows::TearDown();
    }
};

// The answer is the button pressed; the file name is shown.
TEST_F(WindowsDialogs, TheLoadQuestionsAnswerWithTheirButtons)
{
    CLoadDialog load;
    load.m_strFileName = "/p/a.elf";
    std::string shown;
    g_steps = {[&](HWND dialog) {
                   shown = ItemText(dialog, IDC_FILE_NAME);
                   return QEL_DIALOG_AGAIN;
               },
               Press(IDOK)};
    EXPECT_EQ(load.DoModal(), IDOK);
    EXPECT_EQ(shown, "/p/a.elf");
    CReloadDialog reload;
    reload.m_strFileName = "/p/b.elf";
    g_steps = {Press(IDCANCEL)};
    EXPECT_EQ(reload.DoModal(), IDCANCEL);
    EXPECT_EQ(g_asked, (std::vector<int>{IDD_LOAD, IDD_LOAD, IDD_RELOAD}));

    CNoteDialog note;
    g_steps = {Type(IDC_NOTE_TEXT, "a+b"), Press(IDOK)};
    EXPECT_EQ(note.DoModal(), IDOK);
    EXPECT_STREQ(note.m_strText, "a+b");
}

// A text that does not evaluate keeps the dialog open; a good one gives its address and
// goes into the history, which the next dialog lists, most recent first.
TEST_F(WindowsDialogs, ThePositionIsEvaluatedAndRemembered)
{
    {
        CPosDialog dialog(host_, storage_);
        g_steps = {Type(IDC_POSITION, "no_such_symbol"), Press(IDOK), Type(IDC_POSITION, "0x10+2"), Press(IDOK)};
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_nAddress, 18u);
        EXPECT_TRUE(g_steps.empty());
    }
    Profile::CStgProfile profile(storage_);
    char value[32];
    profile.GetString(nullptr, "PosHistory0", "", value, sizeof value);
    EXPECT_STREQ(value, "0x10+2");
    std::vector<std::string> listed;
    CPosDialog next(host_, storage_);
    g_steps = {[&](HWND dialog) {
                   HWND combo = GetDlgItem(dialog, IDC_POSITION);
                   for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
                       char item[32];
                       SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                       listed.push_back(item);
                   }
                   listed.push_back(ItemText(dialog, IDC_POSITION));
                   return QEL_DIALOG_AGAIN;
               },
               Press(IDCANCEL)};
    EXPECT_EQ(next.DoModal(), IDCANCEL);
    EXPECT_EQ(next.m_nAddress, 0xFFFFFFFFu);
    EXPECT_EQ(listed, (std::vector<std::string>{"0x10+2", "no_such_symbol", "0x10+2"}));
}

// Dropped text: at most 32 characters, up to a NUL, never past the memory's size.
TEST_F(WindowsDialogs, DroppedTextFillsThePosition)
{
    const std::string forty(40, 'a');
    const struct {
        std::string bytes;
        std::string shown;
    } drops[] = {{forty, std::string(32, 'a')}, {std::string("main\0junk", 9), "main"}, {"0x100", "0x100"}};
    std::vector<std::string> shown;
    CPosDialog dialog(host_, storage_);
    for (const auto &drop : drops) {
        g_steps.push_back([&](HWND window) {
            QEL_DROP_EFFECTS effects{};
            EXPECT_EQ(QelDropText(GetDlgItem(window, IDC_POSITION), drop.bytes.data(), drop.bytes.size(), &effects), S_OK);
            EXPECT_EQ(effects.enter, static_cast<DWORD>(DROPEFFECT_COPY));
            EXPECT_EQ(effects.drop, static_cast<DWORD>(DROPEFFECT_NONE));
            shown.push_back(ItemText(window, IDC_POSITION));
            return QEL_DIALOG_AGAIN;
        });
    }
    g_steps.push_back(Press(IDOK));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shown, (std::vector<std::string>{drops[0].shown, drops[1].shown, drops[2].shown}));
    EXPECT_EQ(dialog.m_nAddress, 0x100u);
}

// The browse button asks the browser in mode 0 for the target: a local label comes back
// as its address, any other as its address-of expression; no choice leaves the text.
TEST_F(WindowsDialogs, TheBrowserFillsThePosition)
{
    CBrowserDouble browser;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_QelSymbolBrowser, static_cast<IClassFactory *>(&browser), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    std::vector<std::string> shown;
    auto browse = [&](const char16_t *label, LONG address, HRESULT answer) {
        return [&browser, &shown, label, address, answer](HWND dialog) {
            browser.label = label;
            browser.address = address;
            browser.answer = answer;
            SendMessageA(GetDlgItem(dialog, IDC_BROWSE), BM_CLICK, 0, 0);
            shown.push_back(ItemText(dialog, IDC_POSITION));
            return QEL_DIALOG_AGAIN;
        };
    };
    CPosDialog dialog(host_, storage_);
    g_steps = {browse(u".L1", static_cast<LONG>(0xA0001234), S_OK), browse(u"main", 0x68, S_OK),
               browse(u"other", 0, S_FALSE), Press(IDCANCEL)};
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(shown, (std::vector<std::string>{"0xA0001234", "&main", "&main"}));
    EXPECT_EQ(browser.mode, 0);
    EXPECT_EQ(browser.server, host_.p);
    EXPECT_NE(browser.parent, 0);
    CoRevokeClassObject(cookie);
}

// The new file and every other image are shown; a click on a row's check box toggles the
// image's keep flag, a click elsewhere does not.
TEST_F(WindowsDialogs, TheImagesDialogTogglesKeepFlags)
{
    CImageControlDialog dialog;
    dialog.m_strNewFile = "/work/new/a.elf";
    dialog.m_images.Add(PROGRAM_PATTERN{"/p/b.elf", 1, 2, 1, 1});
    dialog.m_images.Add(PROGRAM_PATTERN{"c.elf", 3, 4, 2, 0});
    std::vector<std::string> rows;
    g_steps = {[&](HWND window) {
                   rows.push_back(ItemText(window, IDC_NEW_IMAGE));
                   HWND list = GetDlgItem(window, IDC_IMAGE_LIST);
                   for (int row = 0; row < 2; ++row) {
                       for (int column = 0; column < 2; ++column) {
                           char text[64];
                           LVITEMA item{};
                           item.mask = LVIF_TEXT | LVIF_STATE;
                           item.iItem = row;
                           item.iSubItem = column;
                           item.pszText = text;
                           item.cchTextMax = sizeof text;
                           item.stateMask = LVIS_STATEIMAGEMASK;
                           SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
                           rows.push_back(text + (column == 0 ? ":" + std::to_string(item.state >> 12) : ""));
                       }
                   }
                   QelClickListItem(list, 0, TRUE, FALSE);
                   QelClickListItem(list, 1, TRUE, TRUE);
                   QelClickListItem(list, 1, FALSE, FALSE);
                   return QEL_DIALOG_AGAIN;
               },
               Press(IDOK)};
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(rows, (std::vector<std::string>{"a.elf {/work/new/a.elf}", "#1:2", "b.elf {/p/b.elf}", "#2:1", "c.elf"}));
    EXPECT_EQ(dialog.m_images[0].keep, 0);
    EXPECT_EQ(dialog.m_images[1].keep, 1);
}

} // namespace
