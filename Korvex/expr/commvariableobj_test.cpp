#include "commvariableobj.h"
#include "commvartesting.h"

#include <debugserver.h>
#include <hostwatchtree.h>
#include <programinfointerfaces.h>
#include <qelcommobjsink.h>
#include <qelsymbol.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using QelHost::CHostDebugServer;
using QelHost::CHostWatchTree;
using QelHost::MemoryPort;
using QelHost::WatchMethod;

constexpr DWORD kRam = 0x20000000;

// One variable of a variable answer.
struct Variable {
    std::string name, scope = "(global)", type = "int";
    LONG symbolIndex = 7, symbolId = 5, typeCode = 0, typeIndex = 11, pointerClass = 0;
    DWORD mode = 1, value = kRam, extra = 0;
    LONG bits = 32;
};

// A member of a member answer.
struct Member {
    std::string name, type = "int";
    LONG typeCode = 0, typeIndex = 11, bits = 32, pointerClass = 0, offset = 0, extra = 0;
};

class CommVariableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &owner), S_OK);
        host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(owner.p));
        host->Target()->SetPreset(QelHost::TargetPreset::Arm);
        host->Target()->MapMemory(kRam, 0x1000);
        host->Target()->SetPc(0x100);
        CComObject<CHostWatchTree> *made = nullptr;
        ASSERT_EQ(CComObject<CHostWatchTree>::CreateInstance(&made), S_OK);
        tree = made;
        object = NewObject();
        stub = object;
    }
    void TearDown() override
    {
        stub.Release();
        object.Release();
        // Each object holds the tree that holds it, until its item goes.
        for (LONG root : tree->Children(0))
            tree->DeleteItem(root);
        tree.Release();
    }

    CComQIPtr<IQelCommVariableObj> NewObject()
    {
        CComPtr<IUnknown> made;
        EXPECT_EQ(CreateCommVariableObject(&made), S_OK);
        CComQIPtr<IQelUniCommStub> owned(made);
        EXPECT_EQ(owned->SetOwner(owner), S_OK);
        return CComQIPtr<IQelCommVariableObj>(made);
    }

    void Poke(DWORD address, std::vector<BYTE> bytes)
    {
        ASSERT_TRUE(host->Target()->WriteMemory(MemoryPort::Host, address, static_cast<DWORD>(bytes.size()),
                                                bytes.data()));
    }
    std::vector<BYTE> Peek(DWORD address, DWORD count)
    {
        std::vector<BYTE> bytes(count);
        host->Target()->ReadMemory(MemoryPort::Host, address, count, bytes.data());
        return bytes;
    }

    static CTestArgument Names(const std::vector<Variable> &entries)
    {
        std::vector<std::string> texts;
        for (const Variable &v : entries)
            texts.insert(texts.end(), {v.name, v.scope, v.type});
        return CTestArgument::Texts(texts, {3, static_cast<ULONG>(entries.size())});
    }
    static CTestArgument Values(const std::vector<Variable> &entries)
    {
        std::vector<LONG> numbers;
        for (const Variable &v : entries)
            numbers.insert(numbers.end(), {v.symbolIndex, v.symbolId, v.typeCode, v.typeIndex, v.pointerClass,
                                           static_cast<LONG>(v.mode), static_cast<LONG>(v.value),
                                           static_cast<LONG>(v.extra), v.bits});
        return CTestArgument::Numbers(numbers, {9, static_cast<ULONG>(entries.size())});
    }
    HRESULT Create(const Variable &variable, LONG item = 0)
    {
        return object->CreateVariable(0, Names({variable}), Values({variable}), tree, item);
    }
    HRESULT AddMembers(LONG parent, const std::vector<Member> &members)
    {
        std::vector<std::string> texts;
        std::vector<LONG> numbers;
        for (const Member &m : members) {
            texts.insert(texts.end(), {m.name, m.type});
            numbers.insert(numbers.end(), {m.typeCode, m.typeIndex, m.bits, m.pointerClass, m.offset, m.extra});
        }
        const auto count = static_cast<ULONG>(members.size());
        return object->AddMembers(parent, CTestArgument::Texts(texts, {2, count}),
                                  CTestArgument::Numbers(numbers, {6, count}));
    }
    // A read with the texts made anew, as the host's value notice makes them.
    LONG Show(IQelCommVariableObj *which = nullptr)
    {
        which = which != nullptr ? which : object.p;
        CComQIPtr<IQelUniCommStub> refresh(which);
        HRESULT done = refresh->Refresh(0);
        EXPECT_EQ(which->UpdateItemText(0), S_OK);
        return done;
    }
    std::string String(LONG item, LONG code)
    {
        CComBSTR text;
        EXPECT_EQ(object->GetItemString(item, code, &text), S_OK);
        return text.m_str != nullptr ? std::string(CString(text.m_str)) : std::string();
    }
    LONG RootItem()
    {
        LONG item = -1;
        object->GetItemHandle(&item);
        return item;
    }
    LONG State(LONG item)
    {
        LONG state = -1;
        EXPECT_EQ(object->GetDisplayState(item, &state), S_OK);
        return state;
    }
    void SetRegisterMap()
    {
        LONG sp = -1;
        CComBSTR name(u"R13");
        host->Target()->GetRegisterId(name, &sp);
        ASSERT_EQ(object->SetRegisterMap(CTestArgument::Numbers({13, sp}, {2}), CTestArgument::Texts({"SP"}, {1})),
                  S_OK);
        ULONG value = kRam + 0x100;
        host->Target()->WriteRegister(sp, &value);
    }

    CComPtr<IUnknown> owner;
    CHostDebugServer *host = nullptr;
    CComPtr<CHostWatchTree> tree;
    CComQIPtr<IQelCommVariableObj> object;
    CComQIPtr<IQelUniCommStub> stub;
};

TEST_F(CommVariableTest, TheOwnerGivesTheInnerObjectThatAnswersTheCommunicationInterfaces)
{
    CComPtr<IUnknown> made;
    ASSERT_EQ(CreateCommVariableObject(&made), S_OK);
    CComPtr<IUnknown> memory;
    EXPECT_EQ(made->QueryInterface(qel_uuidof<IQelComplexMemory>(), reinterpret_cast<void **>(&memory)),
              E_NOINTERFACE) << "no inner object before an owner";
    CComQIPtr<IQelUniCommStub> fresh(made);
    // An owner that offers no command target cannot make the inner object.
    CComPtr<IUnknown> noCommands(static_cast<IQelTargetAccess *>(host->Target()));
    EXPECT_EQ(fresh->SetOwner(noCommands), E_INVALIDARG);
    ASSERT_EQ(fresh->SetOwner(owner), S_OK);
    for (const IID *iid : {&qel_uuidof<IQelComplexMemory>(), &IID_QelCommObject28CDD976, &IID_IQelValueNotices}) {
        CComPtr<IUnknown> part;
        EXPECT_EQ(made->QueryInterface(*iid, reinterpret_cast<void **>(&part)), S_OK);
    }
    CComQIPtr<ISupportErrorInfo> errors(made);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(qel_uuidof<IQelCommVariableObj>()), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(qel_uuidof<IQelUniCommStub>()), S_FALSE);
}

TEST_F(CommVariableTest, AnEmptyArgumentLeavesTheObjectWithoutARoot)
{
    ASSERT_EQ(Create({"counter"}), S_OK);
    ASSERT_EQ(object->CreateVariable(0, CTestArgument(), Values({{"x"}}), tree, 0), S_OK);
    LONG item = 12345;
    EXPECT_EQ(object->GetItemHandle(&item), S_OK);
    EXPECT_EQ(item, 12345) << "untouched";
    CComVariant value;
    EXPECT_EQ(object->GetValue(&value), E_FAIL);
    EXPECT_EQ(object->SetValue(CComVariant(LONG(1))), E_FAIL);
    EXPECT_EQ(stub->Refresh(0), 0);
    EXPECT_EQ(String(0, 0), "");
    EXPECT_EQ(object->SetDisplayFormat(0, 1), E_FAIL);
    // The first root's item went with it.
    ASSERT_FALSE(tree->Calls().empty());
    EXPECT_EQ(tree->Calls().back().method, WatchMethod::DeleteItem);
}

TEST_F(CommVariableTest, AVariableShowsItsValueAndEveryStringOfItsItem)
{
    Poke(kRam + 0x10, {42, 0, 0, 0});
    Variable counter{"counter", "main.c", "int"};
    counter.value = kRam + 0x10;
    ASSERT_EQ(Create(counter), S_OK);
    const LONG item = RootItem();
    ASSERT_EQ(tree->Items().count(item), 1u);
    EXPECT_EQ(tree->Items().at(item).name, "counter");
    EXPECT_EQ(tree->Items().at(item).children, 0);
    EXPECT_EQ(Show(), 1);
    const std::pair<LONG, const char *> strings[] = {{0, "counter"}, {1, "42"},     {10, "counter"}, {100, "0x20000010"},
                                                     {101, "int"},   {102, "main.c"}, {7, ""}};
    for (const auto &[code, text] : strings)
        EXPECT_EQ(String(item, code), text) << code;
    EXPECT_EQ(String(999, 1), "42") << "an item no node has gives the root's";
    LONG id = 0, index = 0;
    EXPECT_EQ(object->GetSymbolId(&id), S_OK);
    EXPECT_EQ(object->GetSymbolIndex(&index), S_OK);
    EXPECT_EQ(id, 7) << "the answer's first number";
    EXPECT_EQ(index, 5);
    CComBSTR name, scope;
    EXPECT_EQ(object->GetNames(&name, &scope), S_OK);
    EXPECT_STREQ(CString(name.m_str), "counter");
    EXPECT_STREQ(CString(scope.m_str), "main.c");
}

TEST_F(CommVariableTest, ARegisterRelativeVariableShowsWhereItWasFound)
{
    SetRegisterMap();
    Poke(kRam + 0x110, {0x34, 0x12, 0, 0});
    Variable local{"local"};
    local.mode = 2;
    local.value = 0x10;
    local.extra = 13;
    ASSERT_EQ(Create(local), S_OK);
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(String(0, 1), "4660");
    EXPECT_EQ(String(0, 100), "0x20000110 ([SP] + 0x10)");
}

TEST_F(CommVariableTest, APlaceByPositionFollowsTheInstructionPointerThroughTheLifetimes)
{
    SetRegisterMap();
    Poke(kRam + 0x104, {1, 0, 0, 0});
    Poke(kRam + 0x200, {2, 0, 0, 0});
    Variable local{"local"};
    local.mode = 5;
    ASSERT_EQ(Create(local), S_OK);
    ASSERT_EQ(object->SetLifetimes(CTestArgument::Numbers({1, 0x100, 0x10, 2, 4, 13, 1, 0x110, 0x10, 1,
                                                           static_cast<LONG>(kRam + 0x200), 0},
                                                          {2, 6})),
              S_OK);
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(String(0, 1), "1");
    host->Target()->SetPc(0x118);
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(String(0, 1), "2");
    EXPECT_EQ(String(0, 100), "0x20000200");
    host->Target()->SetPc(0x120);
    Show();
    EXPECT_EQ(String(0, 1), "not valid") << "past the last range it lives nowhere";
    // A new variable empties the lifetime list.
    ASSERT_EQ(Create(local), S_OK);
    host->Target()->SetPc(0x104);
    Show();
    EXPECT_EQ(String(0, 1), "not valid");
}

TEST_F(CommVariableTest, ChangedItemsShowStateFourAfterAStopAndOthersOne)
{
    Variable s{"s", "(global)", "struct pair"};
    s.typeCode = 5;
    s.typeIndex = 40;
    s.bits = 64;
    ASSERT_EQ(Create(s), S_OK);
    const LONG root = RootItem();
    LONG baseType = 0;
    EXPECT_EQ(object->GetBaseType(root, &baseType), S_OK);
    EXPECT_EQ(baseType, 40) << "the type whose members the tree asks for";
    ASSERT_EQ(AddMembers(root, {{"a"}, {"b", "int", 0, 11, 32, 0, 32}}), S_OK);
    EXPECT_EQ(object->GetBaseType(root, &baseType), S_OK);
    EXPECT_EQ(baseType, -1) << "it has children now";
    EXPECT_EQ(AddMembers(root, {{"c"}}), E_INVALIDARG) << "not twice";
    const std::vector<LONG> members = tree->Children(root);
    ASSERT_EQ(members.size(), 2u);
    ASSERT_EQ(object->SetExpanded(root, 1), S_OK);
    Poke(kRam, {1, 0, 0, 0, 2, 0, 0, 0});
    Show();
    EXPECT_EQ(String(members[0], 1), "1");
    EXPECT_EQ(String(members[1], 1), "2");
    EXPECT_EQ(String(members[1], 100), "0x20000004");
    Poke(kRam + 4, {3});
    host->Target()->Stop(0x100);
    Show();
    EXPECT_EQ(State(members[0]), 1);
    EXPECT_EQ(State(members[1]), 4);
    EXPECT_EQ(String(members[1], 1), "3");
    LONG none = 0;
    EXPECT_EQ(object->GetDisplayState(999, &none), E_FAIL);
}

TEST_F(CommVariableTest, AnArrayOfAHundredElementsIsAddedInOneBatchNamedByThePattern)
{
    Variable a{"arr", "(global)", "int [100]"};
    a.typeCode = 4;
    a.bits = 3200;
    ASSERT_EQ(Create(a), S_OK);
    tree->ClearCalls();
    ASSERT_EQ(AddMembers(RootItem(), {{"%s[%d]", "int", 0, 11, 32, 0, 100}}), S_OK);
    int begins = 0, adds = 0, commits = 0;
    for (const auto &call : tree->Calls()) {
        if (call.method != WatchMethod::InsertItemBatch)
            continue;
        begins += call.function == 0;
        adds += call.function == 1;
        commits += call.function == 2;
    }
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(adds, 100);
    EXPECT_EQ(commits, 1);
    const std::vector<LONG> elements = tree->Children(RootItem());
    ASSERT_EQ(elements.size(), 100u);
    EXPECT_EQ(String(elements[0], 0), "arr[0]");
    EXPECT_EQ(String(elements[99], 0), "arr[99]");

    // A damaged count makes no more elements than the array holds.
    ASSERT_EQ(Create(a), S_OK);
    ASSERT_EQ(AddMembers(RootItem(), {{"%s[%d]", "int", 0, 11, 32, 0, 1000000}}), S_OK);
    EXPECT_EQ(tree->Children(RootItem()).size(), 100u);
    // Nor does a damaged size make more than a window shows.
    a.bits = 8 << 20;
    ASSERT_EQ(Create(a), S_OK);
    ASSERT_EQ(AddMembers(RootItem(), {{"%s[%d]", "char", 0, 1, 8, 0, 1000000}}), S_OK);
    EXPECT_EQ(tree->Children(RootItem()).size(), 65536u);
}

TEST_F(CommVariableTest, DisplayFormatsAreOfferedByNameAndChangeTheText)
{
    Poke(kRam, {31, 0});
    Variable u{"u", "(global)", "unsigned short"};
    u.typeIndex = 4;
    u.bits = 16;
    ASSERT_EQ(Create(u), S_OK);
    Show();
    CComVariant names, values;
    ASSERT_EQ(object->GetDisplayFormats(RootItem(), &names, &values), S_OK);
    ASSERT_EQ(names.vt, VT_ARRAY | VT_BSTR);
    ASSERT_EQ(values.vt, VT_ARRAY | VT_I4);
    BSTR *texts = nullptr;
    LONG *numbers = nullptr;
    SafeArrayAccessData(names.parray, reinterpret_cast<void **>(&texts));
    SafeArrayAccessData(values.parray, reinterpret_cast<void **>(&numbers));
    ASSERT_EQ(names.parray->rgsabound[0].cElements, 4u);
    EXPECT_STREQ(CString(texts[0]), "decimal");
    EXPECT_STREQ(CString(texts[1]), "decimal");
    EXPECT_STREQ(CString(texts[2]), "hexadecimal");
    EXPECT_EQ(std::vector<LONG>(numbers, numbers + 4), (std::vector<LONG>{0, 1, 1, 0}));
    SafeArrayUnaccessData(names.parray);
    SafeArrayUnaccessData(values.parray);
    EXPECT_EQ(object->SetDisplayFormat(RootItem(), 1), S_OK);
    EXPECT_EQ(String(0, 1), "0x1F");
    EXPECT_EQ(object->SetDisplayFormat(RootItem(), 7), E_INVALIDARG);
    EXPECT_EQ(object->SetDisplayFormat(999, 0), E_FAIL);

    // A structure has no formats: both VARIANTs stay empty.
    Variable s{"s"};
    s.typeCode = 5;
    s.bits = 32;
    ASSERT_EQ(Create(s), S_OK);
    names.Clear();
    values.Clear();
    ASSERT_EQ(object->GetDisplayFormats(RootItem(), &names, &values), S_OK);
    EXPECT_EQ(names.vt, VT_EMPTY);
    EXPECT_EQ(values.vt, VT_EMPTY);
}

TEST_F(CommVariableTest, WritesChangeExactlyTheBytesOfTheValue)
{
    Poke(kRam, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE});
    Variable u{"u", "(global)", "unsigned short"};
    u.typeIndex = 4;
    u.bits = 16;
    ASSERT_EQ(Create(u), S_OK);
    Show();
    ASSERT_EQ(object->SetValue(CComVariant(LONG(0x1234))), S_OK);
    EXPECT_EQ(stub->Refresh(1), 1);
    EXPECT_EQ(Peek(kRam, 5), (std::vector<BYTE>{0x34, 0x12, 0xCC, 0xDD, 0xEE}));
    // An edited text in hexadecimal; then one that cannot be read, which writes nothing.
    ASSERT_EQ(object->SetDisplayFormat(0, 1), S_OK);
    ASSERT_EQ(object->SetItemString(RootItem(), 1, CComBSTR(u"0x1f")), S_OK);
    ASSERT_EQ(object->UpdateItemText(RootItem()), S_OK);
    EXPECT_EQ(stub->Refresh(1), 1);
    EXPECT_EQ(Peek(kRam, 3), (std::vector<BYTE>{0x1F, 0x00, 0xCC}));
    ASSERT_EQ(object->SetItemString(RootItem(), 1, CComBSTR(u"zz")), S_OK);
    EXPECT_EQ(object->UpdateItemText(RootItem()), E_FAIL);
    stub->Refresh(1);
    EXPECT_EQ(Peek(kRam, 3), (std::vector<BYTE>{0x1F, 0x00, 0xCC}));

    // A bit-field member merged into its word keeps its neighbours: 3 bits at bit 4.
    Poke(kRam + 0x20, {0xFF, 0xFF});
    Variable s{"flags", "(global)", "struct bits"};
    s.typeCode = 5;
    s.bits = 16;
    s.value = kRam + 0x20;
    ASSERT_EQ(Create(s), S_OK);
    ASSERT_EQ(AddMembers(RootItem(), {{"mode", "unsigned", 2, 12, 3, 0, 3 | (4 << 16)}}), S_OK);
    ASSERT_EQ(object->SetExpanded(RootItem(), 1), S_OK);
    Show();
    const LONG field = tree->Children(RootItem()).at(0);
    EXPECT_EQ(String(field, 1), "7");
    ASSERT_EQ(object->SetItemString(field, 1, CComBSTR(u"2")), S_OK);
    ASSERT_EQ(object->UpdateItemText(field), S_OK);
    EXPECT_EQ(stub->Refresh(1), 1);
    EXPECT_EQ(Peek(kRam + 0x20, 2), (std::vector<BYTE>{0xAF, 0xFF}));
}

// The host's debug-server object as the owner of a Tasking C16x program: its current
// program's information object says so; everything else is the debug server's.
class TaskingOwner final : public IQelSymbol2, public IProgramInfo {
public:
    explicit TaskingOwner(IUnknown *debugServer) : m_debugServer(debugServer) {}
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IQelSymbol2)
            *ppv = static_cast<IQelSymbol2 *>(this);
        else if (riid == IID_IProgramInfo)
            *ppv = static_cast<IProgramInfo *>(this);
        else
            return m_debugServer->QueryInterface(riid, ppv);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetProgramCount(LONG *count) override { return *count = 1, S_OK; }
    STDMETHODIMP GetProgramId(LONG, LONG *id) override { return *id = 1, S_OK; }
    STDMETHODIMP GetProgramInfoById(LONG, IUnknown **info) override
    {
        *info = static_cast<IProgramInfo *>(this);
        return S_OK;
    }
    STDMETHODIMP GetName(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetDownloadSize(ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP GetStartInfo(BSTR *, ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP GetSecondInfo(BSTR *, ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP GetInfoTypeGuid(GUID *type) override { return *type = IID_ITaskingC16xInfo, S_OK; }

private:
    IUnknown *m_debugServer;
};

TEST_F(CommVariableTest, ADoubleOfATaskingC16xProgramIsWrittenWordSwapped)
{
    TaskingOwner tasking(owner);
    CComPtr<IUnknown> made;
    ASSERT_EQ(CreateCommVariableObject(&made), S_OK);
    ASSERT_EQ(CComQIPtr<IQelUniCommStub>(made)->SetOwner(static_cast<IQelSymbol2 *>(&tasking)), S_OK);
    object = made;
    Variable d{"ratio", "(global)", "double"};
    d.typeIndex = 8;
    d.bits = 64;
    ASSERT_EQ(Create(d), S_OK);
    ASSERT_EQ(object->SetValue(CComVariant(1.5)), S_OK);
    EXPECT_EQ(CComQIPtr<IQelUniCommStub>(made)->Refresh(1), 1);
    // 1.5 is 0x3FF8000000000000: its four 16-bit words in the reverse order.
    EXPECT_EQ(Peek(kRam, 8), (std::vector<BYTE>{0xF8, 0x3F, 0, 0, 0, 0, 0, 0}));
    Show();
    EXPECT_EQ(String(0, 1), "1.5");
    // The owner ends with the test, and the object with it.
    object.Release();
    made.Release();
    for (LONG root : tree->Children(0))
        tree->DeleteItem(root);
}

TEST_F(CommVariableTest, ChoosingClearForASetBitWritesItThroughTheTree)
{
    Poke(kRam, {0x0A});
    Variable bit{"ready", "(global)", "bit"};
    bit.mode = 0x40000001;
    bit.extra = 3;
    bit.typeIndex = 13;
    bit.bits = 1;
    ASSERT_EQ(Create(bit), S_OK);
    Show();
    EXPECT_EQ(String(0, 1), "1");
    ASSERT_EQ(object->SetDisplayFormat(RootItem(), 1), S_OK);
    // The tree writes the object once the call has returned.
    EXPECT_EQ(tree->RunPending(), 1u);
    EXPECT_EQ(Peek(kRam, 1), (std::vector<BYTE>{0x02}));
    Show();
    EXPECT_EQ(String(0, 1), "0");
}

LRESULT CALLBACK NoticeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(CommVariableTest, TheHostsUpdateReadsTheVariableAndPostsItsNoticeToTheWindowItWasGiven)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = NoticeWindowProc;
    windowClass.lpszClassName = "CommVariableNotices";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "CommVariableNotices", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(window, nullptr);
    Poke(kRam, {42, 0, 0, 0});
    ASSERT_EQ(Create({"x"}), S_OK);
    // The tree gives its window through the variable object, which passes it on.
    CComQIPtr<IQelValueNotices> notices(object);
    ASSERT_NE(notices, nullptr);
    ASSERT_EQ(notices->SetNotifyWindow(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)), 0xC321), S_OK);

    Poke(kRam, {43, 0, 0, 0});
    CComQIPtr<IQelVariableUpdate> update(owner);
    ASSERT_EQ(update->Update(object, 0, 0), S_OK);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, 0xC000, 0xFFFF, PM_REMOVE));
    EXPECT_EQ(msg.message, 0xC321u);
    CComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
    EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(identity.p));
    EXPECT_FALSE(PeekMessageA(&msg, window, 0xC000, 0xFFFF, PM_REMOVE)) << "one notice per update";
    // The tree's notice handler makes the texts anew: the value read by the update.
    ASSERT_EQ(object->UpdateItemText(0), S_OK);
    EXPECT_EQ(String(0, 1), "43");
    ASSERT_EQ(host->VariableServices()->Calls().size(), 1u);
    EXPECT_EQ(host->VariableServices()->Calls()[0].refreshed, 1);
    ASSERT_EQ(notices->SetNotifyWindow(0, 0), S_OK);
    DestroyWindow(window);
}

TEST_F(CommVariableTest, DetachSkipsReadsUntilTheNextRefresh)
{
    Poke(kRam, {5, 0, 0, 0});
    ASSERT_EQ(Create({"x"}), S_OK);
    Show();
    ASSERT_EQ(stub->Detach(), S_OK);
    Poke(kRam, {6, 0, 0, 0});
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(String(0, 1), "6");
}

TEST_F(CommVariableTest, ARefreshAndAGuiThreadShareTheObject)
{
    Variable s{"s"};
    s.typeCode = 5;
    s.bits = 64;
    ASSERT_EQ(Create(s), S_OK);
    ASSERT_EQ(AddMembers(RootItem(), {{"a"}, {"b", "int", 0, 11, 32, 0, 32}}), S_OK);
    ASSERT_EQ(object->SetExpanded(RootItem(), 1), S_OK);
    const LONG member = tree->Children(RootItem()).at(1);
    Show();
    std::atomic<bool> stop{false};
    std::thread refresher([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (DWORD n = 0; !stop; ++n) {
            host->Target()->WriteMemory(MemoryPort::Host, kRam + 4, 4, reinterpret_cast<BYTE *>(&n));
            stub->Refresh(0);
            object->UpdateItemText(0);
        }
        CoUninitialize();
    });
    // Half a second here; QEL_THREAD_SECONDS makes it longer, for a run under
    // ThreadSanitizer.
    const char *seconds = std::getenv("QEL_THREAD_SECONDS");
    const auto length = std::chrono::milliseconds(seconds != nullptr ? std::atoi(seconds) * 1000 : 500);
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end) {
        EXPECT_FALSE(String(member, 1).empty());
        object->SetDisplayFormat(member, 1);
        object->SetDisplayFormat(member, 0);
        LONG state = 0;
        object->GetDisplayState(member, &state);
    }
    stop = true;
    refresher.join();
}

// The add-on's way with a variable object: no tree, members added to the root by the
// handle of an item still to come, and the value heard of through the inner object's
// events at each stop.
class CommEvents : public CQelCommObjSink {
public:
    void OnCommObjectEvent(IUnknown *source, ULONG number, BOOL flag) override
    {
        heard.push_back({CComPtr<IUnknown>(source), number, flag});
    }
    struct Event {
        CComPtr<IUnknown> source;
        ULONG number;
        BOOL flag;
    };
    std::vector<Event> heard;
};

TEST_F(CommVariableTest, WithoutATreeTheRootIsReachedByTheHandleToComeAndStopsFireTheInnersEvents)
{
    Variable s{"s", "(global)", "struct pair"};
    s.typeCode = 5;
    s.typeIndex = 40;
    s.bits = 64;
    ASSERT_EQ(object->CreateVariable(0, Names({s}), Values({s}), nullptr, 0), S_OK);
    EXPECT_EQ(RootItem(), static_cast<LONG>(0xFFFF0000));
    ASSERT_EQ(AddMembers(static_cast<LONG>(0xFFFF0000), {{"a"}, {"b", "int", 0, 11, 32, 0, 32}}), S_OK);
    LONG baseType = 0;
    EXPECT_EQ(object->GetBaseType(static_cast<LONG>(0xFFFF0000), &baseType), S_OK);
    EXPECT_EQ(baseType, -1) << "the members went to the root";

    // Before an owner there is no inner object, so no point either.
    CComPtr<IUnknown> bare;
    ASSERT_EQ(CreateCommVariableObject(&bare), S_OK);
    CComPtr<IConnectionPoint> none;
    EXPECT_EQ(CComQIPtr<IConnectionPointContainer>(bare)->FindConnectionPoint(DIID__QelCommObjectEvents, &none),
              CONNECT_E_NOCONNECTION);

    Poke(kRam, {7, 0, 0, 0, 9, 0, 0, 0});
    CommEvents events;
    ASSERT_TRUE(events.Advise(object));
    host->Target()->Stop(0x100);
    host->Target()->Stop(0x100);
    ASSERT_EQ(events.heard.size(), 2u);
    EXPECT_TRUE(events.heard[0].source.IsEqualObject(object));
    EXPECT_EQ(events.heard[0].number, 1u);
    EXPECT_EQ(events.heard[1].number, 2u) << "the refreshes counted";
    EXPECT_TRUE(events.heard[1].flag);
    // The stop refreshed the object before it told of it.
    ASSERT_EQ(object->UpdateItemText(0), S_OK);
    CComVariant value;
    EXPECT_EQ(CComQIPtr<IQelCommVariableObj>(object)->GetValue(&value), S_OK);
    CComBSTR text;
    EXPECT_EQ(object->GetItemString(static_cast<LONG>(0xFFFF0000), 0, &text), S_OK);
    EXPECT_STREQ(CString(text.m_str), "s");
    // Without a sink the stop leaves the object to its window.
    events.Unadvise();
    host->Target()->Stop(0x100);
    EXPECT_EQ(events.heard.size(), 2u);
}

} // namespace
