// Register mode of the selection dialog, over a controller engine's lists as the host's
// controller information hands them out: by handles of the two pseudo register names.
#include "symbolselectdialog.h"

#include "drawnlisttesting.h"
#include "selectdialogresources.h"

#include <allocstats.h>
#include <drawingchecks.h>
#include <symbolservertesting.h>
#include <testing/messagepump.h>

#include <algorithm>
#include <map>

namespace {

// The owner of the lists, as the engine is: it counts the references that handles hold.
struct ListOwner {
    int references = 0;
    static void AddRef(void *self) { ++static_cast<ListOwner *>(self)->references; }
    static void Release(void *self) { --static_cast<ListOwner *>(self)->references; }
};

class ChoiceWindow : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> posted;
    static const UINT kMessage = WM_USER + 78;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kMessage) {
            posted.emplace_back(wParam, lParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class SymbolSelectRegistersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline_ = QelGetComAllocCounts();
        windowsAtStart_ = qelwin::WindowCount();
        gdiAtStart_ = QelGdiLiveObjects();
        Block("PORT", "Ports");
        Block("QEL", "the debugger's own");
        Block("ADC", "Converter");
        Register("P0", 1, 0, "Port 0");
        Register("__P0_SHADOW", 1, 0, "");
        Register("ADCON", 3, 0x100, "");
        Register("P1", 1, 0, "Port 1");
        Register("QREG", 2, 0, "");
        Register("ORPHAN", 9, 0, ""); // its block number names no block
        Register("_", 1, 0, "");       // too short to begin with "__"
        blockHandle_ = QelRegisterObjectHandle(QEL_HANDLE_SFR_BLOCKS, &blocks_, &owner_, ListOwner::AddRef,
                                               ListOwner::Release);
        registerHandle_ = QelRegisterObjectHandle(QEL_HANDLE_SFR_REGISTERS, &registers_, &owner_,
                                                  ListOwner::AddRef, ListOwner::Release);
        ASSERT_NE(blockHandle_, 0u);
        ASSERT_NE(registerHandle_, 0u);
        ASSERT_TRUE(window_.CreateEx(0, AfxRegisterWndClass(0), "owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    }
    void TearDown() override
    {
        if (dialog_ != nullptr && dialog_->m_hWnd != nullptr)
            dialog_->DestroyWindow();
        dialog_.reset();
        window_.DestroyWindow();
        if (symbols_ != nullptr)
            symbols_->Release();
        host_.Release();
        QelWithdrawObjectHandle(blockHandle_);
        QelWithdrawObjectHandle(registerHandle_);
        EXPECT_EQ(owner_.references, 0) << "the dialog gave back every list it held";
        DrawnTreeBaseC::DeleteSharedResources();
        EXPECT_EQ(qelwin::WindowCount(), windowsAtStart_);
        EXPECT_EQ(QelGdiLiveObjects(), gdiAtStart_);
        QelComAllocCounts now = QelGetComAllocCounts();
        EXPECT_EQ(now.bstrs, baseline_.bstrs);
        EXPECT_EQ(now.safeArrays, baseline_.safeArrays);
        EXPECT_EQ(now.invalidFrees, baseline_.invalidFrees);
    }

    void Block(const char *name, const char *description)
    {
        _SpecialFunctionRegisterBlockTag block;
        block.Name = name;
        block.Description = description;
        blocks_.Add(block);
    }
    void Register(const char *name, DWORD block, DWORD type, const char *description)
    {
        _SpecialFunctionRegisterTag entry;
        entry.Name = name;
        entry.Type = type;
        entry.Description = description;
        entry.SFRBlockIndex = block;
        registers_.Add(entry);
    }

    // Opens the dialog in register mode on a controller that answers the two pseudo names
    // with `blocks` and `registers` (0xFFFFFFFF: unknown), and lets its loop become idle.
    void Open(ULONG blocks, ULONG registers, bool post = false, VARIANT *chosen = nullptr)
    {
        QelHost::ControllerConfig config;
        config.wordSize = 16;
        config.sfrAddresses["_QUICK_HACK_BLOCKS_"] = blocks;
        config.sfrAddresses["_QUICK_HACK_ALL_"] = registers;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &host_), S_OK);
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&symbols_), S_OK);
        symbols_->AddRef();
        symbols_->SetHost(host_);
        dialog_ = std::make_unique<CQelSymbolSelectDialog>(&window_);
        dialog_->SetMode(SFR_LISTER);
        if (chosen != nullptr) {
            VARIANT names;
            VariantInit(&names);
            dialog_->SetInitialValues(names, *chosen);
        }
        if (post)
            dialog_->SetPostTarget(window_.m_hWnd, ChoiceWindow::kMessage);
        ASSERT_TRUE(dialog_->CreateRequestClient(static_cast<IQelSymbol *>(symbols_)));
        ASSERT_TRUE(dialog_->Create(IDD_SYMBOL_SELECT, &window_));
        tree_ = static_cast<DrawnTreeBaseC *>(CWnd::FromHandle(::GetDlgItem(dialog_->m_hWnd, IDC_SELECT_TREE)));
        dialog_->SendMessage(WM_KICKIDLE, 0, 0);
        dialog_->SendMessage(WM_KICKIDLE, 0, 1);
        PumpQueue();
    }
    HTREEITEM Find(const char *text, HTREEITEM parent = TVI_ROOT)
    {
        for (HTREEITEM item = tree_->GetChildItem(parent); item != nullptr; item = tree_->GetNextSiblingItem(item))
            if (tree_->GetItemText(item) == text)
                return item;
        return nullptr;
    }
    std::vector<std::string> Children(HTREEITEM parent)
    {
        std::vector<std::string> texts;
        for (HTREEITEM item = tree_->GetChildItem(parent); item != nullptr; item = tree_->GetNextSiblingItem(item))
            texts.push_back(std::string(tree_->GetItemText(item)));
        return texts;
    }
    int ImageOf(HTREEITEM item)
    {
        TV_ITEM query{};
        query.mask = TVIF_IMAGE;
        query.hItem = item;
        tree_->GetItem(&query);
        return query.iImage;
    }
    // Selects the registers of "All registers" with these texts, and no other item.
    void SelectRegisters(std::vector<std::string> texts)
    {
        tree_->DeselectAllExcept(-1);
        for (const std::string &text : texts) {
            HTREEITEM item = Find(text.c_str(), Find("All registers"));
            ASSERT_NE(item, nullptr) << text;
            tree_->SelectItem(tree_->FindItemIndex(item), TRUE);
        }
    }

    CArray<_SpecialFunctionRegisterBlockTag, _SpecialFunctionRegisterBlockTag &> blocks_;
    CArray<_SpecialFunctionRegisterTag, _SpecialFunctionRegisterTag &> registers_;
    ListOwner owner_;
    DWORD blockHandle_ = 0, registerHandle_ = 0;
    CComPtr<IUnknown> host_;
    CComObject<CTestSymbolServer> *symbols_ = nullptr;
    ChoiceWindow window_;
    std::unique_ptr<CQelSymbolSelectDialog> dialog_;
    DrawnTreeBaseC *tree_ = nullptr;
    QelComAllocCounts baseline_{};
    size_t windowsAtStart_ = 0;
    int gdiAtStart_ = 0;
};

TEST_F(SymbolSelectRegistersTest, BlocksButTheDebuggersOwnAndAllRegistersButHiddenOnesWithTheirImagesAndTips)
{
    Open(blockHandle_, registerHandle_);
    CWnd *expand = dialog_->GetDlgItem(IDC_SELECT_EXPAND);
    ASSERT_NE(expand, nullptr);
    EXPECT_TRUE((expand->GetStyle() & WS_VISIBLE) != 0 && expand->IsWindowEnabled());
    EXPECT_EQ(dialog_->IsDlgButtonChecked(IDC_SELECT_EXPAND), static_cast<UINT>(BST_CHECKED));

    EXPECT_EQ(Children(TVI_ROOT), (std::vector<std::string>{"ADC", "PORT", "All registers"}))
        << "blocks sorted, no \"QEL\", no \"Sorting ...\"";
    HTREEITEM all = Find("All registers");
    EXPECT_EQ(Children(all), (std::vector<std::string>{"_", "ADCON", "ORPHAN", "P0", "P1", "QREG"}))
        << "every register but those beginning with \"__\", in lstrcmpA order";
    EXPECT_EQ(std::string(tree_->GetItemText(tree_->GetSelectedItem())), "_") << "the first register is the caret";
    EXPECT_EQ(ImageOf(Find("ADCON", all)), 7) << "type bit 8";
    EXPECT_EQ(ImageOf(Find("P0", all)), 6);
    EXPECT_EQ(ImageOf(all), 5);

    ASSERT_TRUE(tree_->Expand(Find("PORT"), TVE_EXPAND));
    EXPECT_EQ(Children(Find("PORT")), (std::vector<std::string>{"_", "P0", "P1"})) << "block 1's registers";
    ASSERT_TRUE(tree_->Expand(Find("ADC"), TVE_EXPAND));
    EXPECT_EQ(Children(Find("ADC")), std::vector<std::string>{"ADCON"}) << "block 3's, counted with \"QEL\"";
    tree_->Expand(Find("ADC"), TVE_COLLAPSE);
    tree_->Expand(Find("ADC"), TVE_EXPAND);
    EXPECT_EQ(Children(Find("ADC")), std::vector<std::string>{"ADCON"}) << "filled once";

    EXPECT_EQ(std::string(dialog_->GetItemTipText(Find("P0", all))), "P0\nPort 0");
    EXPECT_EQ(std::string(dialog_->GetItemTipText(Find("ADCON", all))), "ADCON") << "no description";
    EXPECT_EQ(std::string(dialog_->GetItemTipText(Find("PORT"))), "PORT\nPorts");
    EXPECT_EQ(std::string(dialog_->GetItemTipText(all)), "");

    tree_->DeselectAllExcept(-1);
    tree_->Select(Find("P1", all), TVGN_CARET);
    dialog_->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_EQ(dialog_->GetParameter(), 3u) << "the register's index in the list";
    EXPECT_EQ(std::string(dialog_->GetLabel()), "P1");
    EXPECT_EQ(dialog_->GetAddress(), 0u);
}

TEST_F(SymbolSelectRegistersTest, PostedRegistersCarryTheExpandStateAndAreDrawnBoldFromThenOn)
{
    Open(blockHandle_, registerHandle_, true);
    HTREEITEM all = Find("All registers");
    dialog_->ShowWindow(SW_SHOW);
    COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
    CRect p0;
    tree_->GetItemRect(Find("P0", all), &p0, TRUE);
    p0.right += 10;
    auto inkOfP0 = [&] {
        tree_->DeselectAllExcept(-1);
        tree_->Invalidate();
        ListShot shot(*tree_);
        EXPECT_EQ(shot.Read(p0, ink), "P0");
        return shot.Count(p0, ink);
    };
    const int plain = inkOfP0();

    SelectRegisters({"P0", "P1", "QREG"});
    dialog_->SendMessage(WM_COMMAND, IDOK, 0);
    PumpQueue();
    ASSERT_EQ(window_.posted.size(), 3u);
    std::vector<LPARAM> indexes;
    for (const auto &posted : window_.posted) {
        EXPECT_EQ(posted.first, 1u) << "Expand checked, more than one register";
        indexes.push_back(posted.second);
    }
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (std::vector<LPARAM>{0, 3, 4}));
    EXPECT_TRUE(::IsWindow(dialog_->m_hWnd)) << "posting keeps the dialog open";
    EXPECT_GT(inkOfP0(), plain) << "a posted register is drawn bold";
    HBITMAP picture = QelCaptureWindow(dialog_->m_hWnd, TRUE);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(QelWritePng(picture, "symbolselectregisters.png"));
    DeleteObject(picture);

    window_.posted.clear();
    dialog_->CheckDlgButton(IDC_SELECT_EXPAND, BST_UNCHECKED);
    SelectRegisters({"ADCON"});
    dialog_->SendMessage(WM_COMMAND, IDOK, 0);
    PumpQueue();
    ASSERT_EQ(window_.posted.size(), 1u);
    EXPECT_EQ(window_.posted[0], (std::pair<WPARAM, LPARAM>(2, 2))) << "the only one, Expand cleared";
}

TEST_F(SymbolSelectRegistersTest, TheCallersChosenRegistersAreBoldAndNumbersThatAreNoRegisterAreDropped)
{
    VARIANT chosen;
    VariantInit(&chosen);
    SAFEARRAYBOUND bound{3, 0};
    chosen.vt = VT_ARRAY | VT_I4;
    chosen.parray = SafeArrayCreate(VT_I4, 1, &bound);
    LONG values[] = {3, 99, -1};
    for (LONG at = 0; at < 3; ++at)
        SafeArrayPutElement(chosen.parray, &at, &values[at]);
    Open(blockHandle_, registerHandle_, false, &chosen);
    HTREEITEM all = Find("All registers");
    dialog_->ShowWindow(SW_SHOW);
    tree_->DeselectAllExcept(-1);
    CRect p0, p1;
    tree_->GetItemRect(Find("P0", all), &p0, TRUE);
    tree_->GetItemRect(Find("P1", all), &p1, TRUE);
    {
        ListShot shot(*tree_);
        COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
        EXPECT_GT(shot.Count(p1, ink), shot.Count(p0, ink)) << "P1 (3) was chosen, P0 was not";
    }
    LONG at = 0, first = 0;
    SafeArrayGetElement(chosen.parray, &at, &first);
    EXPECT_EQ(first, 3) << "the caller's array is its own";
    VariantClear(&chosen);
}

TEST_F(SymbolSelectRegistersTest, TheListsStayReadableWhileTheDialogHoldsThemThoughTheirHandlesGo)
{
    Open(blockHandle_, registerHandle_);
    EXPECT_EQ(owner_.references, 4) << "two handles and the dialog's two references";
    QelWithdrawObjectHandle(blockHandle_);
    QelWithdrawObjectHandle(registerHandle_);
    EXPECT_EQ(owner_.references, 2);
    ASSERT_TRUE(tree_->Expand(Find("PORT"), TVE_EXPAND));
    EXPECT_EQ(Children(Find("PORT")), (std::vector<std::string>{"_", "P0", "P1"}));
    dialog_->DestroyWindow();
    EXPECT_EQ(owner_.references, 0) << "let go when the window goes";
}

TEST_F(SymbolSelectRegistersTest, WithoutABlockListOnlySortingShowsAndWithoutRegistersGroupsStayEmpty)
{
    Open(0xFFFFFFFF, registerHandle_);
    EXPECT_EQ(Children(TVI_ROOT), std::vector<std::string>{"Sorting ..."});
    dialog_->DestroyWindow();
    dialog_.reset();
    symbols_->Release();
    symbols_ = nullptr;
    host_.Release();

    // A handle of the wrong kind is no list either.
    Open(blockHandle_, blockHandle_);
    EXPECT_EQ(Children(TVI_ROOT), (std::vector<std::string>{"ADC", "PORT", "All registers"}));
    EXPECT_TRUE(Children(Find("All registers")).empty());
    EXPECT_FALSE(tree_->Expand(Find("PORT"), TVE_EXPAND)) << "nothing to insert";
}

} // namespace
