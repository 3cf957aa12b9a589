#include "expr.h"
#include "exprtesting.h"
#include "watchparser.h"

#include <comerrorinfo.h>
#include <programinfointerfaces.h>
#include <qelsymbol.h>
#include <tararchconverter.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Base-type codes of the records.
enum : LONG { kChar = 1, kUChar = 2, kShort = 3, kUShort = 4, kLong = 5, kInt16 = 9, kInt = 11, kUInt = 12,
              kFloat = 7, kDouble = 8, kBit = 13, kLongLong = 107 };

// The value, or what stands instead: "none", or the error text.
std::string Show(CExpr &expr)
{
    ExprValue value;
    if (expr.GetValue(&value)) {
        char text[48];
        if (value.kind == kValueFloating)
            std::snprintf(text, sizeof text, "%.17gf", value.real);
        else if (value.kind == kValueSigned)
            std::snprintf(text, sizeof text, "%d", static_cast<int>(value.bits));
        else
            std::snprintf(text, sizeof text, "%uu", static_cast<unsigned>(value.bits));
        return text;
    }
    if (!expr.IsFailed())
        return "none";
    CString description;
    if (!GetComErrorInfo(&description, nullptr, nullptr, nullptr, nullptr))
        return "failed without a text";
    return static_cast<LPCSTR>(description);
}

class ExprTest : public ::testing::Test {
public:
    explicit ExprTest(LONG wordSize = 32) : host(wordSize) {}

    void SetUp() override
    {
        ExprWorld &w = host.world;
        auto global = [&](const char *name, LONG code, LONG index, LONG bits, DWORD address, DWORD value, int bytes) {
            w.globals[name].push_back(Variable(name, code, index, bits, 1, address));
            if (bytes > 0)
                host.PokeWord(address, value, bytes);
        };
        global("s16", 0, kShort, 16, 0x1000, 0xFFFF, 2);
        global("u16", 0, kUShort, 16, 0x1002, 0xFFFF, 2);
        global("i", 0, kInt, 32, 0x1004, 7, 4);
        global("u", 0, kUInt, 32, 0x1008, 0xFFFFFFFF, 4);
        global("uc", 0, kUChar, 8, 0x100C, 200, 1);
        global("f", 0, kFloat, 32, 0x1010, 0x40200000, 4); // 2.5
        global("zero", 0, kInt, 32, 0x1020, 0, 4);
        global("neg", 0, kInt, 32, 0x1024, static_cast<DWORD>(-6), 4);
        global("imin", 0, kInt, 32, 0x1028, 0x80000000u, 4);
        global("ll", 0, kLongLong, 64, 0x1080, 5, 4);
        global("e", 7, 500, 32, 0x102C, 3, 4);
        host.PokeWord(0x1018, 0, 4);
        host.PokeWord(0x101C, 0xBFD00000u, 4); // -0.25
        global("d", 0, kDouble, 64, 0x1018, 0, 0);
        // struct { int m; bits; T *p; } s at 0x1030
        global("s", 5, 100, 96, 0x1030, 0x11, 4);
        w.members[100] = {Member("m", 0, kInt, 32, 0), Member("flags", 5, 400, 32, 32), Member("p", 3, 200, 32, 64, 2)};
        host.PokeWord(0x1038, 0x1004, 4);
        // The bit-fields at 0x1034: u3 bits 0-2, s4 bits 3-6, cross bits 7-12 (signed), s1 bit 13, a width of 0.
        host.PokeWord(0x1034, 5 | 0xC << 3 | 0x2B << 7 | 1 << 13, 4);
        w.members[400] = {Member("u3", 2, 1, 3, 3), Member("s4", 2, 2, 4, static_cast<LONG>(0x80030004u)),
                          Member("cross", 2, 3, 6, static_cast<LONG>(0x80070006u)),
                          Member("s1", 2, 4, 1, static_cast<LONG>(0x800D0001u)), Member("w0", 2, 5, 0, 0x100000)};
        global("p", 3, 200, 32, 0x1040, 0x1004, 4);
        w.members[200] = {Member("*%s", 0, kInt, 32, 0)};
        global("sp", 3, 210, 32, 0x1044, 0x1030, 4);
        w.members[210] = {Member("*%s", 0x40000005, 100, 96, 0)};
        global("arr", 4, 300, 48, 0x1050, 0xFFFE0001u, 4);
        host.PokeWord(0x1054, 3, 2);
        w.members[300] = {Member("%s[%d]", 0, kShort, 16, 3)};
        w.globals["dup"] = {Variable("dup", 0, kInt, 32, 1, 0x1004), Variable("dup", 0, kInt, 32, 1, 0x1008)};
        w.types["T"] = {Member("T", 0x40000000, kUChar, 8, 0)};
        w.types["int"] = {Member("int", 0, kInt, 32, 0)};
        w.types["S"] = {Member("S", 0x40000005, 100, 96, 0), Member("S", 5, 100, 96, 0)};
    }

    std::string Eval(const char *text, int mode = 1, const char *scope = CExpr::kGlobalScope)
    {
        root.reset();
        WatchParseNode *tree = parser.Parse(text);
        if (tree == nullptr)
            return "syntax error";
        host.MapRegisters(map);
        SetErrorInfo(0, nullptr);
        root = std::make_unique<CExpr>(tree, &host.client, &host.memory, host.Target(), &map, nullptr, converter,
                                       mode, scope);
        return Show(*root);
    }

protected:
    ExprHost host;
    CQelWatchParser parser{CAddressValue(0, 1, 0), &host.client};
    CRegisterMapTagArray map;
    CTarArchConverter *converter = nullptr;
    std::unique_ptr<CExpr> root;
};

struct Case {
    const char *text;
    const char *shows;
};

void ExpectAll(ExprTest *test, std::initializer_list<Case> cases, int mode = 1)
{
    for (const Case &c : cases)
        EXPECT_EQ(test->Eval(c.text, mode), c.shows) << c.text;
}

class ExprRules : public ExprTest {};

TEST_F(ExprRules, ValuesReadByTheirTypesKindAndWidth)
{
    ExpectAll(this, {{"s16", "-1"}, {"u16", "65535u"}, {"uc", "200u"}, {"i", "7"}, {"f", "2.5f"}, {"d", "-0.25f"},
                     {"e", "3u"}, {"s.m", "17"}, {"*p", "7"}, {"p", "4100u"}, {"sp->m", "17"}, {"(*sp).p", "4100u"},
                     {"arr[0]", "1"}, {"arr[1]", "-2"}, {"arr[2]", "3"}, {"p[0]", "7"}, {"&i", "4100u"},
                     {"*&i", "7"}, {"(T)uc", "200u"}, {"(int)uc", "200"}, {"((struct S *)&s)->m", "17"},
                     {"((struct S *)sp)->p", "4100u"}, {"(*(struct S *)&s).m", "17"},
                     // structures, arrays and integers wider than 32 bits have no value, and no error
                     {"s", "none"}, {"arr", "none"}, {"ll", "none"}, {"*sp", "none"}});
}

TEST_F(ExprRules, TheKeptRulesOfKindsCastsAndOperators)
{
    ExpectAll(this, {
        {"0xFFFFFFFF", "-1"},        // constants are signed whatever their value
        {"uc + 1", "201u"},          // unsigned char stays unsigned, no promotion
        {"neg + u", "4294967289u"},  // signed with unsigned is unsigned
        {"(unsigned char)300", "300u"}, {"(short)70000", "70000"}, // a cast does not truncate
        {"(float)i", "7f"}, {"(double)u", "4294967295f"}, {"(double)neg", "-6f"},
        {"(int)-2.7", "-2"}, {"(int)1e20", "2147483647"}, {"(unsigned)-1.5", "0u"}, {"(int)(0.0/0.0)", "none"},
        {"1 << 33", "2"}, {"i || zero", "1"}, {"i && zero", "0"}, {"0.0 && 1", "0f"}, {"2.5 || 0", "1f"},
        {"!f", "0f"}, {"!zero", "1"}, {"~uc", "4294967095u"}, {"-i", "-7"}, {"+i", "7"},
        {"i ? 1 : 2.5", "1f"}, {"zero ? 1 : 2", "2"}, {"i > u", "0u"}, {"neg < i", "1"}, {"f >= 2.5", "1u"},
        {"1 || s.nothing", "Expression does not have this member"}, // both sides are evaluated
    });
}

TEST_F(ExprRules, IntegerArithmeticNeverOverflowsAndDividesByItsKind)
{
    ExpectAll(this, {
        {"imin - 1", "2147483647"}, {"-imin", "-2147483648"}, {"imin * 2", "0"}, {"imin << 1", "0"},
        {"neg / 2", "-3"}, {"neg % 4", "-2"}, {"u / 2", "2147483647u"}, {"u % 7", "3u"},
        {"imin / -1", "-2147483648"}, {"imin % -1", "0"},
        {"u >> 1", "2147483647u"}, {"neg >> 1", "-3"}, {"u >> 33", "2147483647u"},
        {"i / 0", "none"}, {"i % 0", "none"}, {"f / 0.0", "none"}, {"i / 0 + 1", "Can not convert type"},
    });
}

TEST_F(ExprRules, BitFieldsAreReadByTheirLayoutWord)
{
    ExpectAll(this, {{"s.flags.u3", "5u"}, {"s.flags.s4", "-4"}, {"s.flags.cross", "-21"}, {"s.flags.s1", "1u"},
                     {"s.flags.w0", "Expression is no simple data type"}});
}

TEST_F(ExprRules, EachErrorHasItsText)
{
    ExpectAll(this, {
        {"nothing", "Expression is no Symbol"}, {"s.nothing", "Expression does not have this member"},
        {"f << 1", "Bad type"}, {"i & 1.5", "Bad type"}, {"~f", "Bad type"}, {"arr[1.5]", "Bad type"},
        {"(struct x)i", "Bad type"}, {"(struct T)i", "Bad type"},
        {"s + 1", "Can not convert type"}, {"~s", "Can not convert type"},
        {"*i", "Can not deref expression"}, {"dup", "Symbol is ambignous"},
    });
    host.world.globals["far"] = {Variable("far", 0, kInt, 32, 1, 0x9000)};
    EXPECT_EQ(Eval("far"), "Expression is no simple data type");
    // An operator that the evaluator does not know, as a hand-made tree has it.
    WatchParseNode one, two, node;
    one.kind = two.kind = kWatchInteger;
    node.number = '=';
    node.child[0] = &one;
    node.child[1] = &two;
    CExpr made(&node, &host.client, &host.memory, host.Target(), &map, nullptr, nullptr, 1, CExpr::kGlobalScope);
    EXPECT_EQ(Show(made), "Wrong Token");
    EXPECT_EQ(made.GetError(), kErrorWrongToken);
}

TEST_F(ExprRules, ScopeLookupTakesTheStaticOfTheScopeThenOneGlobalThenLabels)
{
    ExprWorld &w = host.world;
    w.statics["v"] = {Variable("v", 0, kInt, 32, 1, 0x1004), Variable("v", 0, kInt, 32, 1, 0x1024),
                      Variable("v", 0, kInt, 32, 2, 0x1008)};
    w.statics["v"][0].ScopeText = "[\"a.c\"]";
    w.statics["v"][1].ScopeText = "[\"b.c\"]";
    w.statics["v"][2].ScopeText = "[\"c.c\"]";
    w.globals["v"] = {Variable("v", 0, kUInt, 32, 1, 0x1008)};
    EXPECT_EQ(Eval("v", 1, "[\"a.c\"]"), "7");
    EXPECT_EQ(Eval("v", 1, "[\"b.c\"]"), "-6");
    EXPECT_EQ(Eval("v", 1, "[\"c.c\"]"), "4294967295u") << "a static not in memory is passed by";
    EXPECT_EQ(Eval("v", 1), "4294967295u") << "(global) asks no statics";
    // Labels: code before data ("_name"), the size giving the base-type code.
    host.PokeWord(0x1060, 0x80FF80FF, 4);
    auto label = [](const char *name, LONG bits) {
        LabelTag tag;
        tag.Name = name;
        tag.AddressValue = 0x1060;
        tag.Size = bits;
        return tag;
    };
    w.codeLabels["l8"] = label("l8", 8);
    w.codeLabels["l16"] = label("l16", 16);
    w.dataLabels["_l32"] = label("_l32", 32);
    w.codeLabels["fn"] = label("fn", 0);
    ExpectAll(this, {{"l8", "-1"}, {"l16", "-32513"}, {"l32", "-2130738945"}, {"fn", "none"}, {"&fn", "4192u"}});
    VariableTag record;
    for (auto [name, code] : {std::pair{"l8", 1}, {"l16", 3}, {"l32", 5}}) {
        Eval(name);
        root->GetVariable(&record);
        EXPECT_EQ(record.TypeIndex, code) << name;
    }
}

TEST_F(ExprRules, PositionLookupTakesTheFirstInScopeThenLabelsThenStatics)
{
    ExprWorld &w = host.world;
    EXPECT_EQ(Eval("i", 0), "7") << "before the first stop a global is in scope";
    EXPECT_EQ(host.Calls().back(), "Globals(i,*) requester 0");
    host.Target()->SetPc(0x200);
    w.inScope["x"] = {Variable("x", 0x40000000, kInt, 32, 1, 0x1004), Variable("x", 0, kInt, 32, 1, 0x1024)};
    w.statics["y"] = {Variable("y", 0, kInt, 32, 1, 0x1024), Variable("y", 0, kInt, 32, 1, 0x1004)};
    w.dataLabels["_y"] = LabelTag();
    w.dataLabels["_y"].AddressValue = 0x100C;
    w.dataLabels["_y"].Size = 8;
    EXPECT_EQ(Eval("x", 0), "7");
    VariableTag record;
    root->GetVariable(&record);
    EXPECT_EQ(record.TypeCode, 0) << "the typedef flag goes";
    EXPECT_EQ(Eval("y", 0), "-56") << "the data label comes before the statics";
    w.dataLabels.clear();
    EXPECT_EQ(Eval("y", 0), "-6") << "the first static";
    const std::vector<std::string> calls = host.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "VariablesInScope(1:512,x) requester 0"), calls.end());
}

TEST_F(ExprRules, KeywordsAreTheTargetsCTypesWhateverTheProgramNamesSo)
{
    ExprWorld &w = host.world;
    // A type of a keyword's name and another size (an older reader's `_Bool`) is not the
    // keyword's; a plain char of the program's own tells its sign (ARM's has none).
    w.types["unsigned"] = {Member("unsigned", 0, kUChar, 8, 0)};
    w.types["char"] = {Member("char", 0, kUChar, 8, 0)};
    ExpectAll(this, {{"*(unsigned *)&u", "4294967295u"}, {"(unsigned)neg", "4294967290u"},
                     {"*(char *)&uc", "200u"}, {"*(signed char *)&uc", "-56"}, {"*(int *)&u", "-1"}});
}

TEST_F(ExprRules, AnAddressIsTakenWithoutReadingTheMemory)
{
    ExprWorld &w = host.world;
    w.globals["far"] = {Variable("far", 0, kInt, 32, 1, 0x9000)};
    w.globals["farS"] = {Variable("farS", 5, 100, 96, 1, 0x9100)};
    w.globals["farP"] = {Variable("farP", 3, 200, 32, 1, 0x1004)}; // points at 7
    ExpectAll(this, {{"&far", "36864u"}, {"&farS.m", "37120u"}, {"&farS.flags", "37124u"}, {"&*farP", "7u"},
                     {"far", "Expression is no simple data type"}});
}

TEST_F(ExprRules, ALifetimeGivesTheRangeThatHoldsThePc)
{
    host.world.registerMap = {RegisterMapTag{"R13", 13, -1}, RegisterMapTag{"R4", 4, -1}};
    host.SetRegister("R13", 0x1100);
    host.SetRegister("R4", 0x1234);
    host.PokeWord(0x1108, 11, 4);
    host.PokeWord(0x1110, 22, 4);
    VariableTag local = Variable("local", 0, kInt, 32, 5, 1, 1);
    local.SymbolIndex = 42;
    host.world.inScope["local"] = {local};
    host.world.lifetimes[42] = {Range(0x100, 0x10, 2, 8, 13), Range(0x110, 0x10, 6, 0, 0), Range(0x110, 0x10, 3, 4, 0),
                                Range(0x120, 0x10, 2, 0x10, 13), Range(0x130, 0x10, 5, 1, 1), Range(0x140, 0, 2, 8, 13)};
    for (auto [pc, shows] : {std::pair{0x100u, "11"}, {0x10Fu, "11"}, {0x110u, "4660"}, {0x11Fu, "4660"},
                             {0x120u, "22"}, {0x12Fu, "22"}, {0x130u, "none"}, {0x140u, "none"}, {0xF0u, "none"}}) {
        host.Target()->SetPc(pc);
        EXPECT_EQ(Eval("local", 0), shows) << std::hex << pc;
    }
    // Once found, the lifetime is asked once: a stop only moves the range.
    host.Target()->SetPc(0x100);
    Eval("local", 0);
    const size_t asked = host.Calls().size();
    host.Target()->SetPc(0x120);
    root->ResetValues();
    EXPECT_EQ(Show(*root), "22");
    EXPECT_EQ(host.Calls().size(), asked);
    CAddressValue where;
    ASSERT_TRUE(root->GetLocation(&where));
    EXPECT_EQ(where, CAddressValue(0x1110, 1, 0));
    root->ResetSymbols();
    EXPECT_EQ(Show(*root), "22");
    EXPECT_GT(host.Calls().size(), asked);
}

TEST_F(ExprRules, RegistersComeThroughTheMapAndWithoutItNothingIsRead)
{
    host.world.registerMap = {RegisterMapTag{"R4", 4, -1}, RegisterMapTag{"R5", 5, -1}};
    host.SetRegister("R4", 0xFFFFFF85);
    host.SetRegister("R5", 0x40000000);
    host.Target()->SetPc(0x100);
    host.world.inScope["r"] = {Variable("r", 0, kChar, 8, 3, 4)};
    host.world.inScope["pair"] = {Variable("pair", 0, kDouble, 64, 4, 4, 5)};
    host.world.inScope["gone"] = {Variable("gone", 0, kInt, 32, 3, 9)};
    host.world.inScope["flagbit"] = {Variable("flagbit", 0, kBit, 1, 0x40000001, 0x1034, 13)};
    ExpectAll(this, {{"r", "-123"}, {"pair", "2.0000019073485782f"}, {"gone", "Expression is no simple data type"},
                     {"flagbit", "1u"}}, 0);
}

TEST_F(ExprRules, ResetValuesReadsAgainAndAFailedNodeStaysFailed)
{
    EXPECT_EQ(Eval("i + s.m"), "24");
    host.PokeWord(0x1004, 8, 4);
    EXPECT_EQ(Show(*root), "24") << "kept until reset";
    root->ResetValues();
    EXPECT_EQ(Show(*root), "25");
    EXPECT_EQ(Eval("nothing"), "Expression is no Symbol");
    host.world.globals["nothing"] = {Variable("nothing", 0, kInt, 32, 1, 0x1004)};
    root->ResetValues();
    root->ResetSymbols();
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Show(*root), "failed without a text");
    EXPECT_EQ(root->GetError(), kErrorNoSymbol);
}

TEST_F(ExprRules, AFailingServerRequestFailsTheLookupWithoutAText)
{
    host.world.statusByCode[401] = 6;
    EXPECT_EQ(Eval("i"), "failed without a text");
    EXPECT_TRUE(root->IsFailed());
}

// A program-information object of a Tasking C16x program, as the symbol server hands it out.
class CTaskingProgram : public IQelSymbol2, public IProgramInfo {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        *ppv = iid == IID_IQelSymbol2 ? static_cast<IQelSymbol2 *>(this)
             : iid == IID_IProgramInfo || iid == IID_IUnknown ? static_cast<IUnknown *>(static_cast<IProgramInfo *>(this))
             : nullptr;
        return *ppv != nullptr ? S_OK : E_NOINTERFACE;
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
};

class ExprC16x : public ExprTest {
protected:
    ExprC16x() : ExprTest(16) {}
};

TEST_F(ExprC16x, WordSizePointersRegisterPairsBitsAndSwappedFloats)
{
    host.Target()->SetPreset(QelHost::TargetPreset::C16x);
    host.world.types.erase("int");
    EXPECT_EQ(Eval("(int)70000"), "70000");
    VariableTag record;
    root->GetVariable(&record);
    EXPECT_EQ(record.TypeIndex, kInt16);
    EXPECT_EQ(record.SizeInBits, 16);
    Eval("(unsigned)1");
    root->GetVariable(&record);
    EXPECT_EQ(record.TypeIndex, 10);

    // Near pointers go through the data page pointers, far ones are segment and offset.
    host.SetRegister("DPP1", 0x0004); // page 4: 0x10000
    host.world.globals["np"] = {Variable("np", 3, 200, 16, 1, 0x1070, 0, 0)};
    host.PokeWord(0x1070, 0x4010, 2);
    host.world.globals["fp"] = {Variable("fp", 3, 200, 32, 1, 0x1074, 0, 1)};
    host.PokeWord(0x1074, 0x00050123, 4);
    EXPECT_EQ(Eval("np"), "65552u");
    EXPECT_EQ(Eval("fp"), "82211u"); // (5 << 14) + 0x123
    // A long in a register pair, low word first.
    host.world.registerMap = {RegisterMapTag{"R4", 4, -1}, RegisterMapTag{"R5", 5, -1}};
    host.SetRegister("R4", 0x5678);
    host.SetRegister("R5", 0x1234);
    host.Target()->SetPc(0x100);
    host.world.inScope["pair"] = {Variable("pair", 0, kLong, 32, 4, 4, 5)};
    EXPECT_EQ(Eval("pair", 0), "305419896");
    // A local on the user stack: R0 is a near pointer, made linear through its page.
    ASSERT_TRUE(host.Target()->MapMemory(0x10000, 0x100));
    host.world.registerMap.push_back(RegisterMapTag{"R0", 0, -1});
    host.SetRegister("R0", 0x4020);
    host.PokeWord(0x10024, 0xFFFE, 2);
    host.world.inScope["onstack"] = {Variable("onstack", 0, kInt16, 16, 2, 4, 0)};
    EXPECT_EQ(Eval("onstack", 0), "-2");
    // A bit variable: byte address and bit number.
    host.PokeWord(0x1090, 0x0200, 2);
    host.world.inScope["flag"] = {Variable("flag", 0, kBit, 1, 0x40000001, 0x1090, 9)};
    EXPECT_EQ(Eval("flag", 0), "1u");
    // Tasking stores the 16-bit words of floating values in the other order.
    host.PokeWord(0x1098, 0x00004020, 4); // 2.5f word-swapped
    host.world.globals["tf"] = {Variable("tf", 0, kFloat, 32, 1, 0x1098)};
    host.world.globals["td"] = {Variable("td", 0, kDouble, 64, 1, 0x10A0)};
    host.PokeWord(0x10A0, 0xBFD0, 2); // -0.25, its last word first
    host.PokeWord(0x10A2, 0, 4);
    host.PokeWord(0x10A6, 0, 2);
    CTaskingProgram program;
    CTarArchConverter tasking(static_cast<IQelSymbol2 *>(&program), -1);
    converter = &tasking;
    EXPECT_EQ(Eval("tf"), "2.5f");
    EXPECT_EQ(Eval("td"), "-0.25f");
    root.reset();
    converter = nullptr;
}

} // namespace
