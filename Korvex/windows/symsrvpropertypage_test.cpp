// The symbol server's property page as the host's options show it: made through its COM
// class, given the debug-server object, activated on a window, changed by the user and
// applied, its settings read back from the host's profile.
#include "windowsresources.h"
#include "windowstesting.h"

#include <symserverids.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Box {
    std::string text;
    std::string caption;
    UINT style;
};
std::vector<Box> g_boxes;
std::vector<std::string> g_browseTitles;
std::string g_browseAnswer;

int RecordBox(void *, HWND, LPCSTR text, LPCSTR caption, UINT style)
{
    g_boxes.push_back({text ? text : "", caption ? caption : "", style});
    return IDOK;
}

LPCSTR AnswerBrowse(void *, const BROWSEINFOA *info)
{
    g_browseTitles.push_back(info->lpszTitle ? info->lpszTitle : "");
    return g_browseAnswer.empty() ? nullptr : g_browseAnswer.c_str();
}

class SymSrvPropertyPage : public windowstest::SymbolServerWindows {
protected:
    void SetUp() override
    {
        SymbolServerWindows::SetUp();
        char pattern[] = "/tmp/qelpropertypageXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        g_boxes.clear();
        g_browseTitles.clear();
        g_browseAnswer.clear();
        QelSetMessageBoxHandler(RecordBox, nullptr);
        QelSetFolderBrowseHandler(AnswerBrowse, nullptr);
        Host()->GetProfile(&profileObject_);
        profile_ = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject_.p));
        frameWindow_ = CreateWindowExA(0, "Static", "QEL Desktop", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                       nullptr, nullptr);
        ASSERT_NE(frameWindow_, nullptr);
        ASSERT_EQ(CoCreateInstance(CLSID_SymSrvPropertyPage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   reinterpret_cast<void **>(&page_)),
                  S_OK);
    }

    void TearDown() override
    {
        if (page_ != nullptr) {
            page_->Deactivate();
            page_->SetObjects(0, nullptr);
        }
        page_.Release();
        DestroyWindow(frameWindow_);
        QelSetMessageBoxHandler(nullptr, nullptr);
        QelSetFolderBrowseHandler(nullptr, nullptr);
        profile_ = nullptr;
        profileObject_.Release();
        chmod(dir_.c_str(), 0700);
        fs::remove_all(dir_);
        SymbolServerWindows::TearDown();
    }

    // The page for the debug-server object, on the frame's window.
    HWND Open(bool withObject = true)
    {
        IUnknown *objects[] = {host_};
        EXPECT_EQ(page_->SetObjects(withObject ? 1 : 0, withObject ? objects : nullptr), S_OK);
        RECT where{0, 0, 400, 300};
        EXPECT_EQ(page_->Activate(frameWindow_, &where, FALSE), S_OK);
        return GetWindow(frameWindow_, GW_CHILD);
    }

    CComVariant Value(const char16_t *section, const char16_t *entry)
    {
        CComVariant value;
        EXPECT_EQ(profile_->GetItem(section, entry, &value), S_OK) << AnsiText(entry);
        return value;
    }
    static std::string AnsiText(const char16_t *text) { return std::string(CString(text)); }

    static std::string Text(HWND page, int id)
    {
        char text[512] = "";
        GetDlgItemTextA(page, id, text, sizeof text);
        return text;
    }
    static void Click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }
    static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
    static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

    fs::path dir_;
    CComPtr<IUnknown> profileObject_;
    QelHost::CHostCfgProfile *profile_ = nullptr;
    HWND frameWindow_ = nullptr;
    CComPtr<IPropertyPage> page_;
};

TEST_F(SymSrvPropertyPage, AFreshProfileShowsTheDefaultsOfItsItemsAndNoProfileLeavesThemToo)
{
    for (bool withObject : {true, false}) {
        HWND page = Open(withObject);
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(Checked(page, IDC_IGNORE_PROGRAM_FROM_WSP));
        EXPECT_TRUE(Checked(page, IDC_VARED));
        EXPECT_FALSE(Checked(page, IDC_AUTO_RELOAD));
        EXPECT_TRUE(Checked(page, IDC_DATABASE_TARGET_PATH));
        EXPECT_FALSE(Checked(page, IDC_DATABASE_OTHER));
        EXPECT_FALSE(Enabled(page, IDC_DATABASE_DIRECTORY));
        EXPECT_FALSE(Enabled(page, IDC_BROWSE_DATABASE_DIRECTORY));
        EXPECT_EQ(Text(page, IDC_MAIN_FUNCTION), "");
        EXPECT_EQ(page_->IsPageDirty(), S_FALSE);
        ASSERT_EQ(page_->Deactivate(), S_OK);
    }
}

TEST_F(SymSrvPropertyPage, ShowsTheProfileAndWritesTheUsersChangesBackWithOneStore)
{
    ASSERT_EQ(profile_->SetItem(u"Compiler", u"MAIN_FUNC", CComVariant(u"main")), S_OK);
    ASSERT_EQ(profile_->SetItem(u"System", u"AUTORELOAD", CComVariant(true)), S_OK);
    ASSERT_EQ(profile_->SetItem(u"System", u"DATABASE_SPECIAL", CComVariant(true)), S_OK);
    const std::string databases = (dir_ / "db").string();
    ASSERT_EQ(profile_->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(databases.c_str())), S_OK);
    HWND page = Open();
    EXPECT_EQ(Text(page, IDC_MAIN_FUNCTION), "main");
    EXPECT_TRUE(Checked(page, IDC_AUTO_RELOAD));
    EXPECT_TRUE(Checked(page, IDC_DATABASE_OTHER));
    EXPECT_EQ(Text(page, IDC_DATABASE_DIRECTORY), databases);
    EXPECT_TRUE(Enabled(page, IDC_DATABASE_DIRECTORY));
    EXPECT_TRUE(Enabled(page, IDC_BROWSE_DATABASE_DIRECTORY));

    // Choosing the target file's path disables the directory at once.
    Click(page, IDC_DATABASE_TARGET_PATH);
    EXPECT_FALSE(Enabled(page, IDC_DATABASE_DIRECTORY));
    Click(page, IDC_DATABASE_OTHER);
    EXPECT_TRUE(Enabled(page, IDC_DATABASE_DIRECTORY));
    SetDlgItemTextA(page, IDC_START_PROCEDURE, "_start");
    Click(page, IDC_AUTO_RELOAD);
    Click(page, IDC_MULTI_PROGRAM);
    Click(page, IDC_VARED);
    g_browseAnswer = "/src/firmware";
    Click(page, IDC_BROWSE_SOURCE_FILES_ROOT);
    EXPECT_EQ(g_browseTitles, std::vector<std::string>{"Select source files root directory"});
    EXPECT_EQ(page_->IsPageDirty(), S_OK);

    ULONG stores = profile_->Stores();
    ASSERT_EQ(page_->Apply(), S_OK);
    EXPECT_EQ(profile_->Stores(), stores + 1);
    EXPECT_EQ(page_->IsPageDirty(), S_FALSE);
    EXPECT_EQ(Value(u"Compiler", u"MAIN_FUNC"), CComVariant(u"main"));
    EXPECT_EQ(Value(u"Compiler", u"START_PROC"), CComVariant(u"_start"));
    EXPECT_EQ(Value(u"Compiler", u"SOURCE_FILES_ROOT"), CComVariant(u"/src/firmware"));
    EXPECT_EQ(Value(u"System", u"AUTORELOAD"), CComVariant(false));
    EXPECT_EQ(Value(u"System", u"MULTIPROGRAM"), CComVariant(true));
    EXPECT_EQ(Value(u"System", u"VARED"), CComVariant(false));
    EXPECT_EQ(Value(u"System", u"DATABASE_SPECIAL"), CComVariant(true));
    EXPECT_TRUE(fs::is_directory(databases)) << "the directory is made when the page is applied";
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(SymSrvPropertyPage, AnOtherDirectoryThatIsEmptyOrCannotBeMadeGivesWayToTheTargetPath)
{
    HWND page = Open();
    Click(page, IDC_DATABASE_OTHER);
    ASSERT_EQ(page_->Apply(), S_OK);
    EXPECT_EQ(Value(u"System", u"DATABASE_SPECIAL"), CComVariant(false));
    EXPECT_TRUE(Checked(page, IDC_DATABASE_TARGET_PATH));
    EXPECT_FALSE(Enabled(page, IDC_DATABASE_DIRECTORY));
    EXPECT_TRUE(g_boxes.empty()) << "an empty directory falls back without a word";

    // Below a regular file no directory can be made, whoever the user is.
    std::ofstream(dir_ / "plain") << "x";
    const std::string below = (dir_ / "plain" / "db").string();
    Click(page, IDC_DATABASE_OTHER);
    SetDlgItemTextA(page, IDC_DATABASE_DIRECTORY, below.c_str());
    ASSERT_EQ(page_->Apply(), S_OK);
    EXPECT_EQ(Value(u"System", u"DATABASE_SPECIAL"), CComVariant(false));
    EXPECT_EQ(Value(u"System", u"DATABASE_DIRECTORY"), CComVariant(below.c_str()));
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].caption, "Warning");
    EXPECT_EQ(g_boxes[0].text,
              "Can not create special database directory:\n" + below + "\nTarget file path is used instead.");
    EXPECT_EQ(g_boxes[0].style & 0xF0u, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(Checked(page, IDC_DATABASE_TARGET_PATH));

    g_browseAnswer = (dir_ / "chosen").string();
    Click(page, IDC_DATABASE_OTHER);
    Click(page, IDC_BROWSE_DATABASE_DIRECTORY);
    EXPECT_EQ(Text(page, IDC_DATABASE_DIRECTORY), g_browseAnswer);
    EXPECT_EQ(g_browseTitles, std::vector<std::string>{"Select database directory"});
}

TEST_F(SymSrvPropertyPage, ASettingTheProfileRefusesFailsTheApplyNamesTheEntryAndKeepsThePageDirty)
{
    // A host whose item has another type than the page writes takes none of its values.
    ASSERT_EQ(profile_->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(static_cast<LONG>(7))), S_OK);
    HWND page = Open();
    EXPECT_EQ(Text(page, IDC_DATABASE_DIRECTORY), "");
    SetDlgItemTextA(page, IDC_DATABASE_DIRECTORY, (dir_ / "db").c_str());
    Click(page, IDC_AUTO_RELOAD);
    EXPECT_EQ(page_->Apply(), E_FAIL);
    EXPECT_EQ(page_->IsPageDirty(), S_OK);
    EXPECT_EQ(Value(u"System", u"AUTORELOAD"), CComVariant(true)) << "the other settings are written still";
    std::vector<QelHost::HostError> errors = Host()->Reports()->Errors();
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().description.find("DATABASE_DIRECTORY of System"), std::string::npos)
        << errors.back().description;

    // Nor does a profile that cannot be loaded, where every value stays unread.
    ASSERT_EQ(page_->Deactivate(), S_OK);
    profile_->SetLoadFiresValid(false);
    profile_->Reset();
    page = Open();
    EXPECT_TRUE(Checked(page, IDC_VARED));
    Click(page, IDC_MULTI_PROGRAM);
    EXPECT_EQ(page_->Apply(), E_FAIL);
    EXPECT_EQ(Value(u"System", u"MULTIPROGRAM"), CComVariant(false));
}

} // namespace
