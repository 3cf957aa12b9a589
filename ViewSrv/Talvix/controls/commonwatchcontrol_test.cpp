// The tree that the watch and locals windows share, as its user sees it and as the
// symbol server's variable code fills it: scripted variable objects insert their items,
// the texts and marks are read back from the pixels.
#include "commonwatchcontrol.h"
#include "talvixstrings.h"
#include "watchtreetest.h"

#include <drawingchecks.h>
#include <dialogs.h>
#include <drawnlistedit.h>
#include <hostsymbolbrowser.h>
#include <oletarcmdcaller.h>
#include <testing/controlcapture.h>
#include <testing/drawingfixture.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The tree with the parts that each window adds done as simply as they can be.
class TestWatchTree : public CCommonWatchControl {
public:
    int refreshes = 0;
    int fullRefreshes = 0;
    bool refuseNodes = false;

    void LoadSettings() override {}
    HRESULT DeleteItem(LONG item) override
    {
        HTREEITEM target = ItemOfId(item);
        return target != nullptr && DrawnTreeBaseC::DeleteItem(target) ? S_OK : E_INVALIDARG;
    }
    void QueueRefresh() override { ++refreshes; }
    void QueueFullRefresh() override { ++fullRefreshes; }
    _Node *CreateNode() override { return refuseNodes ? nullptr : new _Node; }
};

using CommonWatchTest = WatchTreeTest<TestWatchTree>;

TEST(WatchItemIds, NumbersAreNeverTheRootOrTheUnsetMarkAndNotGivenTwiceWhileTheirItemLives)
{
    WatchItemIds ids;
    HTREEITEM a = reinterpret_cast<HTREEITEM>(0x1000), b = reinterpret_cast<HTREEITEM>(0x2000);
    ids.SetNextForTesting(0xFFFFFFFFu);
    LONG first = ids.Add(a);
    EXPECT_EQ(static_cast<ULONG>(first), 0xFFFFFFFFu);
    LONG second = ids.Add(b);
    EXPECT_EQ(second, 1) << "the counter wrapped over the root's 0";
    EXPECT_EQ(ids.Add(a), first) << "a known item keeps its number";
    ids.SetNextForTesting(0xFFFF0000u);
    HTREEITEM c = reinterpret_cast<HTREEITEM>(0x3000);
    EXPECT_EQ(static_cast<ULONG>(ids.Add(c)), 0xFFFF0001u);
    ids.SetNextForTesting(1);
    HTREEITEM d = reinterpret_cast<HTREEITEM>(0x4000);
    EXPECT_EQ(ids.Add(d), 2) << "1 is still in use";
    EXPECT_EQ(ids.Find(0), nullptr);
    ids.Remove(b);
    EXPECT_EQ(ids.Find(1), nullptr);
    EXPECT_EQ(ids.IdOf(b), 0);
}

TEST_F(CommonWatchTest, EachItemShowsItsVariablesNameAndValueWithTheImageOfItsType)
{
    ScriptedVariableScript counter;
    counter.name = "counter";
    counter.value = 42;
    Add(counter);
    ScriptedVariableScript expression = counter;
    expression.name = "total";
    expression.type = 14;
    expression.value = 7;
    Add(expression);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|42", "total|7"}));

    // The image table: the classes share four pictures; 14 is the expression's; other
    // codes are their own index.
    const std::pair<LONG, int> table[] = {{0, 0},          {2, 0}, {0x40000007, 0}, {3, 1}, {0x40000003, 1},
                                          {5, 2},          {8, 2}, {0x40000006, 2}, {4, 3}, {0x40000004, 3},
                                          {14, 4},         {1, 1}, {10, 10}};
    for (const auto &entry : table) {
        LONG item = 0;
        ASSERT_EQ(tree_.InsertItem(nullptr, entry.first, 0, nullptr, &item), S_OK);
        int image = -1, selected = -1;
        TV_ITEM fields{};
        fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        fields.hItem = tree_.ItemOfId(item);
        ASSERT_TRUE(tree_.GetItem(&fields));
        image = fields.iImage;
        selected = fields.iSelectedImage;
        EXPECT_EQ(image, entry.second) << "type " << entry.first;
        EXPECT_EQ(selected, entry.second);
    }
}

TEST_F(CommonWatchTest, ItemsWithoutAVariableShowTheNewVariableRowOrNotFound)
{
    LONG placeholder = 0;
    ASSERT_EQ(tree_.InsertItem(nullptr, 0, 0, nullptr, &placeholder), S_OK);
    // An entry whose symbol went keeps its text and has no object.
    ASSERT_NE(tree_.DrawnTreeBaseC::InsertItem("gone"), nullptr);
    CString notFound;
    notFound.LoadString(IDS_WATCH_NOT_FOUND);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"<new variable>|", "gone|" + std::string(notFound)}));
    CComBSTR text;
    ASSERT_EQ(tree_.GetItemText(placeholder, &text), S_OK);
    EXPECT_EQ(std::string(CString(text.m_str)), "<new variable>");
}

TEST_F(CommonWatchTest, AnItemNumberThatNamesNoItemIsRefusedAndChangesNothing)
{
    auto *counter = Add(ScriptedVariableScript());
    LONG unknown = counter->item + 1000;
    LONG parent = unknown;
    EXPECT_EQ(tree_.InsertItem(nullptr, 0, 0, nullptr, &parent), E_INVALIDARG);
    EXPECT_EQ(tree_.CalculateItem(unknown, 0, 0, 0), E_INVALIDARG);
    EXPECT_EQ(tree_.SetItemText(unknown), E_INVALIDARG);
    CComBSTR text;
    EXPECT_EQ(tree_.GetItemText(unknown, &text), E_INVALIDARG);
    EXPECT_EQ(text.m_str, nullptr);
    CComVariant values;
    EXPECT_EQ(tree_.InsertItemBatch(4, nullptr, 0, unknown, nullptr, &values), E_INVALIDARG);
    EXPECT_EQ(tree_.InsertItemBatch(0, nullptr, 0, 1, nullptr, &values), S_OK);
    EXPECT_EQ(tree_.InsertItemBatch(1, nullptr, 0, 0, nullptr, &values), S_OK);
    EXPECT_EQ(tree_.InsertItemBatch(2, nullptr, 0, unknown, nullptr, &values), E_INVALIDARG);
    EXPECT_EQ(tree_.GetItemCount(), 1);
    EXPECT_TRUE(server_->calls.empty());
}

TEST_F(CommonWatchTest, ABatchTakesMoreMembersThanAnnouncedAndAnswersTheirNumbersInOrder)
{
    ScriptedVariableScript record;
    record.name = "record";
    record.children = 1;
    record.members = {"first=1", "second=2", "third=3"};
    auto *variable = Add(record);
    // The batch is announced for one member and gets three.
    CComVariant values;
    ASSERT_EQ(tree_.InsertItemBatch(0, nullptr, 0, 1, nullptr, &values), S_OK);
    IUnknown *param = static_cast<IQelCommVariableObj *>(variable);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(tree_.InsertItemBatch(1, nullptr, 0, 0, param, &values), S_OK);
    ASSERT_EQ(tree_.InsertItemBatch(2, nullptr, 0, variable->item, param, &values), S_OK);
    ASSERT_EQ(V_VT(&values), VT_ARRAY | VT_I4);
    LONG high = -1;
    SafeArrayGetUBound(V_ARRAY(&values), 1, &high);
    ASSERT_EQ(high, 2);
    HTREEITEM child = tree_.GetChildItem(ItemOf(variable));
    for (LONG i = 0; i <= high; ++i, child = tree_.GetNextSiblingItem(child)) {
        LONG id = 0;
        SafeArrayGetElement(V_ARRAY(&values), &i, &id);
        EXPECT_EQ(tree_.ItemOfId(id), child);
    }
    EXPECT_EQ(child, nullptr);

    // An empty batch answers an empty array.
    CComVariant empty;
    ASSERT_EQ(tree_.InsertItemBatch(0, nullptr, 0, 0, nullptr, &empty), S_OK);
    ASSERT_EQ(tree_.InsertItemBatch(2, nullptr, 0, 0, nullptr, &empty), S_OK);
    ASSERT_EQ(V_VT(&empty), VT_ARRAY | VT_I4);
    SafeArrayGetUBound(V_ARRAY(&empty), 1, &high);
    EXPECT_EQ(high, -1);

    // Function 4 takes the children away with their references and their requests.
    ULONG before = variable->m_dwRef;
    ASSERT_EQ(tree_.CalculateItem(tree_.IdOfItem(tree_.GetChildItem(ItemOf(variable))), 1, 0, 5), S_OK);
    EXPECT_EQ(tree_.PendingRequestCount(), 1u);
    ASSERT_EQ(tree_.InsertItemBatch(4, nullptr, 0, variable->item, nullptr, &empty), S_OK);
    EXPECT_EQ(tree_.GetChildItem(ItemOf(variable)), nullptr);
    EXPECT_EQ(variable->m_dwRef, before - 3);
    EXPECT_EQ(tree_.PendingRequestCount(), 0u);
    symbols_->WaitUntilIdle();
    Pump();
}

TEST_F(CommonWatchTest, ABatchLeftOpenLetsItsObjectsGoWithTheDebugServer)
{
    auto *variable = Add(ScriptedVariableScript());
    ULONG shown = variable->m_dwRef;
    CComVariant values;
    ASSERT_EQ(tree_.InsertItemBatch(0, nullptr, 0, 1, nullptr, &values), S_OK);
    ASSERT_EQ(tree_.InsertItemBatch(1, nullptr, 0, 0, static_cast<IQelCommVariableObj *>(variable), &values), S_OK);
    EXPECT_EQ(variable->m_dwRef, shown + 1);
    tree_.ReleaseServer();
    EXPECT_EQ(variable->m_dwRef, 1u) << "neither the item nor the open batch holds it";
}

TEST_F(CommonWatchTest, ATreeThatCannotTakeAnItemIsAFailureNotAnItemAtTheRoot)
{
    auto *variable = Add(ScriptedVariableScript());
    tree_.refuseNodes = true;
    LONG item = variable->item;
    EXPECT_EQ(tree_.InsertItem(nullptr, 0, 0, nullptr, &item), E_FAIL);
    EXPECT_EQ(item, variable->item) << "the caller's item is left as it was";
    CComVariant values;
    tree_.refuseNodes = false;
    ASSERT_EQ(tree_.InsertItemBatch(0, nullptr, 0, 2, nullptr, &values), S_OK);
    tree_.InsertItemBatch(1, nullptr, 0, 0, nullptr, &values);
    tree_.InsertItemBatch(1, nullptr, 0, 0, nullptr, &values);
    tree_.refuseNodes = true;
    EXPECT_EQ(tree_.InsertItemBatch(2, nullptr, 0, variable->item, nullptr, &values), E_FAIL);
    EXPECT_EQ(V_VT(&values), VT_EMPTY);
    tree_.refuseNodes = false;
    EXPECT_EQ(tree_.GetItemCount(), 1);
}

TEST_F(CommonWatchTest, DeletingAnItemDropsTheReferencesOfItAndItsChildrenOnce)
{
    ScriptedVariableScript record;
    record.name = "record";
    record.children = 1;
    record.members = {"a=1", "b=2"};
    auto *variable = Add(record);
    ULONG alone = variable->m_dwRef;
    CComVariant none;
    ASSERT_EQ(variable->AddMembers(variable->item, none, none), S_OK);
    EXPECT_EQ(variable->m_dwRef, alone + 2);
    ASSERT_EQ(tree_.DeleteItem(variable->item), S_OK);
    EXPECT_EQ(variable->m_dwRef, alone - 1);
    EXPECT_EQ(server_->calls, (std::vector<std::string>{"withdraw 0"}));
    EXPECT_EQ(tree_.GetItemCount(), 0);
}

TEST_F(CommonWatchTest, ChangedValuesArePaintedRedAndBoldInTheirColumn)
{
    ScriptedVariableScript plain, changed, renamed;
    plain.name = "plain";
    changed.name = "changed";
    changed.state = 3;
    renamed.name = "scope";
    renamed.state = 5;
    Add(plain);
    Add(changed);
    Add(renamed);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"plain|65", "changed|65*", "scope*|65"}));

    // Bold: the marked value's glyphs are the bold ones.
    QelPaintPending();
    QelCapturedWindow shot(tree_.m_hWnd);
    CRect row;
    ASSERT_TRUE(tree_.DrawnListBaseC::GetItemRect(1, &row, 0));
    RECT cell = {tree_.GetColumnLeft(1), row.top, tree_.GetColumnRight(1), row.bottom};
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = QelCaptureWindow(tree_.m_hWnd, FALSE);
    HGDIOBJ before = SelectObject(dc, bitmap);
    char text[32], styles[32];
    QelReadTextStyles(dc, &cell, RGB(255, 0, 0), text, styles, sizeof text);
    SelectObject(dc, before);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_EQ(std::string(text), "65");
    EXPECT_EQ(std::string(styles), "bb");
}

TEST_F(CommonWatchTest, HexadecimalForAnAsciiVariableTurnsAsciiOffForTheWholeWindow)
{
    ScriptedVariableScript letter;
    letter.name = "letter";
    letter.format = 2;
    auto *first = Add(letter);
    letter.name = "other";
    Add(letter);
    tree_.SetOptions(FALSE, TRUE, FALSE);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"letter|'A'", "other|'A'"}));
    tree_.SetContextItem(ItemOf(first));
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_FIRST_FORMAT + 1, 0);
    EXPECT_FALSE(tree_.GetAscii());
    EXPECT_TRUE(tree_.GetHexadecimal());
    EXPECT_EQ(tree_.GetContextItem(), nullptr) << "a command leaves no item addressed";
    EXPECT_EQ(Shown(), (std::vector<std::string>{"letter|0x41", "other|0x41"}));
    // And "decimal" turns Hexadecimal off again.
    tree_.SetContextItem(ItemOf(first));
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_FIRST_FORMAT, 0);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"letter|65", "other|65"}));

    // A value list chooses the value and writes it.
    ScriptedVariableScript mode;
    mode.name = "mode";
    mode.formats.clear();
    mode.enumerators = {"OFF", "ON"};
    auto *choice = Add(mode);
    tree_.SetContextItem(ItemOf(choice));
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_FIRST_FORMAT + 1, 0);
    EXPECT_EQ(Shown().back(), "mode|ON");
    EXPECT_EQ(server_->calls.back(), "update 2 0 1");
}

std::vector<std::string> Texts(const std::vector<CCommonWatchControl::MenuEntry> &entries)
{
    std::vector<std::string> texts;
    for (const auto &entry : entries)
        texts.push_back(entry.id == 0 ? "-" : std::string(entry.text) + (entry.checked ? "+" : "") + " " +
                                                  std::to_string(entry.id));
    return texts;
}

TEST_F(CommonWatchTest, TheMenuOffersFormatsValuesAndChangeByTheVariablesState)
{
    ScriptedVariableScript number;
    number.format = 1;
    auto *readOnly = Add(number);
    EXPECT_EQ(Texts(tree_.FormatMenuEntries(ItemOf(readOnly))),
              (std::vector<std::string>{"decimal 2101", "hexadecimal+ 2102", "ASCII 2103"}));
    number.state = 4;
    auto *editable = Add(number);
    EXPECT_EQ(Texts(tree_.FormatMenuEntries(ItemOf(editable))),
              (std::vector<std::string>{"&Change 2003", "-", "decimal 2101", "hexadecimal+ 2102", "ASCII 2103"}));
    ScriptedVariableScript mode;
    mode.formats.clear();
    mode.enumerators = {"RED", "GREEN", "BLUE"};
    auto *colors = Add(mode);
    colors->selectedEnumerator = 1;
    EXPECT_EQ(Texts(tree_.FormatMenuEntries(ItemOf(colors))),
              (std::vector<std::string>{"&Change 2003", "-", "RED 2101", "GREEN+ 2102", "BLUE 2103"}));
    mode.enumerators.assign(27, "V");
    auto *many = Add(mode);
    EXPECT_EQ(Texts(tree_.FormatMenuEntries(ItemOf(many))), (std::vector<std::string>{"&Change 2003"}));
}

TEST_F(CommonWatchTest, TheTooltipTellsNameLocationTypeAndScopeWhenThereIsOne)
{
    ScriptedVariableScript local;
    local.name = "index";
    local.typeName = "unsigned int";
    local.location = "0x20001000";
    local.scope = "main";
    auto *scoped = Add(local);
    local.scope.clear();
    local.name = "global";
    auto *unscoped = Add(local);
    EXPECT_EQ(std::string(tree_.TipTextOf(ItemOf(scoped))),
              "Name: index\nLocation: 0x20001000\nType: unsigned int\nScope: main");
    EXPECT_EQ(std::string(tree_.TipTextOf(ItemOf(unscoped))), "Name: global\nLocation: 0x20001000\nType unsigned int");
}

TEST_F(CommonWatchTest, AValueEditedInPlaceIsWrittenAndReadBackAndAnEmptyOneChangesNothing)
{
    ScriptedVariableScript counter;
    counter.state = 1;
    auto *variable = Add(counter);
    CString text = "";
    ASSERT_TRUE(tree_.DrawnListBaseC::EditLabel(0, 1));
    ASSERT_NE(tree_.GetEditControl(), nullptr);
    tree_.GetEditControl()->SetWindowText("");
    tree_.EndLabelEdit(TRUE);
    EXPECT_TRUE(server_->calls.empty());
    EXPECT_EQ(std::count(variable->log.begin(), variable->log.end(), "value ''"), 0);

    ASSERT_TRUE(tree_.DrawnListBaseC::EditLabel(0, 1));
    tree_.GetEditControl()->SetWindowText("7");
    tree_.EndLabelEdit(TRUE);
    EXPECT_EQ(server_->calls, (std::vector<std::string>{"update 0 0 1", "update 0 0 0"}));
    EXPECT_NE(std::find(variable->log.begin(), variable->log.end(), "value '7'"), variable->log.end());
}

TEST_F(CommonWatchTest, TheNameColumnKeepsTheShareTheUserGaveItAcrossAResize)
{
    tree_.SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(tree_.GetColumnWidth(0), 150);
    EXPECT_EQ(tree_.GetColumnWidth(1), 150);
    // The user drags the divider: the value column grows, the name column takes the rest.
    tree_.SetColumnWidth(1, 210);
    EXPECT_EQ(tree_.GetColumnWidth(0), 90);
    tree_.SetWindowPos(nullptr, 0, 0, 400, 200, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(tree_.GetColumnWidth(0), 120);
    EXPECT_EQ(tree_.GetColumnWidth(1), 280);
    EXPECT_FLOAT_EQ(tree_.GetNameFraction(), 0.3f);
    tree_.SetWindowPos(nullptr, 0, 0, 200, 200, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(tree_.GetColumnWidth(0), 60);
}

TEST_F(CommonWatchTest, AStopReadsTheProgramCounterAndUpdatesThatWaitedGoOutThen)
{
    auto *variable = Add(ScriptedVariableScript());
    tree_.OnTargetStateChange(2, 3);
    tree_.OnTargetStateChange(3, 2);
    Pump();
    EXPECT_EQ(server_->access->pcReads, 1);
    EXPECT_EQ(tree_.refreshes, 1);
    EXPECT_EQ(tree_.GetCodeAddress(), CAddressValue(0x8000, 1, 0));

    // Without a target an update waits, and goes out deferred when the target stops.
    tree_.OnTargetStateChange(2, 1);
    ASSERT_EQ(tree_.CalculateItem(variable->item, 0, 0, 0), S_OK);
    EXPECT_TRUE(server_->calls.empty());
    server_->access->pc = 0x8100;
    tree_.OnTargetStateChange(1, 2);
    Pump();
    EXPECT_EQ(server_->calls, (std::vector<std::string>{"update 0 1 0"}));
    EXPECT_EQ(tree_.GetCodeAddress(), CAddressValue(0x8100, 1, 0));

    // The host's refresh updates every root item; a pattern's end refreshes fully.
    server_->calls.clear();
    tree_.SendMessage(tree_.Messages().refresh, 0, 0);
    EXPECT_EQ(server_->calls, (std::vector<std::string>{"update 0 0 0"}));
    tree_.OnPatternEnd(0, 0);
    EXPECT_EQ(tree_.fullRefreshes, 1);
}

TEST_F(CommonWatchTest, AValueNoticeRenewsTheTextsOfTheObjectItNamesAndNoOther)
{
    auto *variable = Add(ScriptedVariableScript());
    EXPECT_EQ(variable->message, tree_.Messages().notice);
    CComPtr<IUnknown> identity;
    variable->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    tree_.SendMessage(tree_.Messages().notice, 0, 0x12345);
    EXPECT_EQ(std::count(variable->log.begin(), variable->log.end(), "text -1"), 0);
    tree_.SendMessage(tree_.Messages().notice, 0, reinterpret_cast<LPARAM>(identity.p));
    EXPECT_EQ(std::count(variable->log.begin(), variable->log.end(), "text -1"), 1);
}

TEST_F(CommonWatchTest, OpeningAStructureShowsTheMembersItsTypeHasInTheWindowsFormat)
{
    ScriptedVariableScript record;
    record.name = "config";
    record.type = 5;
    record.children = 1;
    record.baseType = 17;
    record.members = {"mode=3", "gain=512"};
    auto *variable = Add(record);
    MemberTag member;
    member.Name = "mode";
    symbols_->Answers().members.Add(member);
    tree_.Expand(ItemOf(variable), TVE_EXPAND);
    EXPECT_EQ(Shown().size(), 1u) << "the item opens when its members have come";
    symbols_->WaitUntilIdle();
    Pump();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"config|65", "mode|3", "gain|512"}));
    std::vector<std::string> calls = symbols_->Calls();
    EXPECT_NE(std::find_if(calls.begin(), calls.end(), [](const std::string &c) { return c.find("17") != std::string::npos; }),
              calls.end());
    EXPECT_NE(std::find(variable->log.begin(), variable->log.end(), "expanded 1"), variable->log.end());
    tree_.Expand(ItemOf(variable), TVE_COLLAPSE);
    EXPECT_EQ(variable->log.back(), "expanded 0");
}

TEST_F(CommonWatchTest, AFunctionAddressBecomesTheNameOfItsFunction)
{
    auto *pointer = Add(ScriptedVariableScript());
    FunctionTag function;
    function.Name = "handler";
    symbols_->Answers().functions.Add(function);
    ASSERT_EQ(tree_.CalculateItem(pointer->item, 2, 1, 0x8040), S_OK);
    symbols_->WaitUntilIdle();
    Pump();
    EXPECT_NE(std::find(pointer->log.begin(), pointer->log.end(), "value 'handler'"), pointer->log.end());
    EXPECT_EQ(tree_.PendingRequestCount(), 0u);
}

} // namespace

namespace {

// Plays the user of the display-format dialog: reads the boxes, ticks Exponential, OK.
int TickExponential(void *context, HWND dialog, LPCSTR)
{
    auto *seen = static_cast<std::vector<int> *>(context);
    for (int box : {1032, 1033, 1034})
        seen->push_back(static_cast<int>(::SendMessageA(::GetDlgItem(dialog, box), BM_GETCHECK, 0, 0)));
    ::SendMessageA(::GetDlgItem(dialog, 1034), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    return QEL_DIALOG_DONE;
}

TEST_F(CommonWatchTest, TheDisplayFormatDialogShowsTheOptionsAndOkPutsThemOnEveryItem)
{
    ScriptedVariableScript real;
    real.formats = {"compact", "exponential"};
    auto *variable = Add(real);
    tree_.SetOptions(TRUE, FALSE, FALSE);
    std::vector<int> seen;
    QelSetDialogHandler(TickExponential, &seen);
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_FORMAT, 0);
    QelSetDialogHandler(nullptr, nullptr);
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 0}));
    EXPECT_TRUE(tree_.GetExponential());
    EXPECT_TRUE(tree_.GetHexadecimal());
    EXPECT_EQ(variable->script.format, 1) << "exponential chosen for the variable";
}

TEST_F(CommonWatchTest, ChangeOpensTheValueBrowserForAValueListAndAppliesTheChoice)
{
    QelHost::HostBrowserCall asked;
    DWORD cookie = 0;
    ASSERT_EQ(QelHost::RegisterSymbolBrowserDouble(
                  [&asked](const QelHost::HostBrowserCall &call, std::string *label, LONG *address) {
                      asked = call;
                      *label = "OFF";
                      *address = 0;
                      return true;
                  },
                  &cookie),
              S_OK);
    ScriptedVariableScript mode;
    mode.formats.clear();
    mode.enumerators = {"OFF", "ON"};
    auto *variable = Add(mode);
    variable->selectedEnumerator = 1;
    tree_.SetContextItem(ItemOf(variable));
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_CHANGE, 0);
    CoRevokeClassObject(cookie);
    EXPECT_EQ(asked.mode, ENUMERATION_LISTER);
    EXPECT_TRUE(asked.hasDebugServer);
    ASSERT_GE(variable->log.size(), 2u);
    EXPECT_EQ(variable->log[variable->log.size() - 2], "select 0");
    EXPECT_EQ(variable->log.back(), "refresh 1") << "the chosen value is written";
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|OFF"}));
}

} // namespace
