#include "debugserver.h"
#include "hostcomplexmemory.h"

#include <oletarcmdcaller.h>
#include <qelhostframe.h>
#include <testing/buildpaths.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using QelHost::CHostDebugServer;
using QelHost::CHostTarget;
using QelHost::MemoryPort;
using QelHost::TargetPreset;

std::string ElfPath(const std::string &name)
{
    return std::string(kQelSourceDir) + "/testdata/elf/" + name;
}

CComPtr<CHostTarget> NewTarget()
{
    CComObject<CHostTarget> *target = nullptr;
    EXPECT_EQ(CComObject<CHostTarget>::CreateInstance(&target), S_OK);
    return CComPtr<CHostTarget>(target);
}

LONG IdOf(CHostTarget *target, const char16_t *name)
{
    LONG id = -1;
    CComBSTR text(name);
    target->GetRegisterId(text, &id);
    return id;
}

TEST(HostTargetRegisters, EachPresetNamesItsRegistersAsTheRegisterMapsDo)
{
    CComPtr<CHostTarget> target = NewTarget();
    struct Case {
        TargetPreset preset;
        size_t count;
        std::vector<std::pair<const char16_t *, LONG>> ids;
    };
    const Case cases[] = {
        {TargetPreset::Arm, 17, {{u"R0", 0}, {u"R15", 15}, {u"CPSR", 16}}},
        {TargetPreset::C16x, 41, {{u"R15", 15}, {u"RL0", 16}, {u"RH7", 31}, {u"DPP0", 32}, {u"CP", 36}, {u"SP", 37},
                                  {u"PSW", 38}, {u"IP", 39}, {u"CSP", 40}}},
        {TargetPreset::TriCore, 33, {{u"D0", 0}, {u"D15", 15}, {u"A0", 16}, {u"A15", 31}, {u"PC", 32}}},
    };
    for (const Case &c : cases) {
        target->SetPreset(c.preset);
        EXPECT_EQ(target->RegisterNames().size(), c.count);
        for (const auto &[name, id] : c.ids)
            EXPECT_EQ(IdOf(target, name), id);
        LONG id = 0;
        EXPECT_EQ(target->GetRegisterId(CComBSTR(u"R99"), &id), E_INVALIDARG);
        EXPECT_EQ(target->GetRegisterId(CComBSTR(u"r0"), &id), E_INVALIDARG) << "names are the maps' own";
        ULONG value = 0;
        EXPECT_EQ(target->ReadRegister(static_cast<LONG>(c.count), &value), E_INVALIDARG);
        EXPECT_EQ(target->ReadRegister(-1, &value), E_INVALIDARG);
        EXPECT_EQ(target->WriteRegister(static_cast<LONG>(c.count), &value), E_INVALIDARG);
    }
}

TEST(HostTargetRegisters, C16xRegistersKeepSixteenBitsAndTheByteRegistersAreHalvesOfR0ToR7)
{
    CComPtr<CHostTarget> target = NewTarget();
    target->SetPreset(TargetPreset::C16x);
    ULONG value = 0x12345678;
    ASSERT_EQ(target->WriteRegister(IdOf(target, u"R3"), &value), S_OK);
    ULONG read = 0;
    target->ReadRegister(IdOf(target, u"R3"), &read);
    EXPECT_EQ(read, 0x5678u);
    target->ReadRegister(IdOf(target, u"RL3"), &read);
    EXPECT_EQ(read, 0x78u);
    target->ReadRegister(IdOf(target, u"RH3"), &read);
    EXPECT_EQ(read, 0x56u);
    value = 0x1AB;
    target->WriteRegister(IdOf(target, u"RH3"), &value);
    target->ReadRegister(IdOf(target, u"R3"), &read);
    EXPECT_EQ(read, 0xAB78u);
    value = 0xFFFFFFFF;
    target->WriteRegister(IdOf(target, u"PSW"), &value);
    target->ReadRegister(IdOf(target, u"PSW"), &read);
    EXPECT_EQ(read, 0xFFFFu);
    // The 32-bit presets keep the whole word.
    target->SetPreset(TargetPreset::TriCore);
    target->WriteRegister(IdOf(target, u"A15"), &value);
    target->ReadRegister(IdOf(target, u"A15"), &read);
    EXPECT_EQ(read, 0xFFFFFFFFu);
}

TEST(HostTargetRegisters, ThePcIsWhereEachPresetKeepsItAndNoneBeforeItIsSet)
{
    CComPtr<CHostTarget> target = NewTarget();
    ULONG pc = 0;
    EXPECT_EQ(target->GetCurrentAddress(&pc), E_FAIL);
    ULONG value = 0x101;
    target->WriteRegister(15, &value);
    EXPECT_EQ(target->GetCurrentAddress(&pc), E_FAIL) << "a register write sets no PC";
    target->SetPc(0x2001);
    ASSERT_EQ(target->GetCurrentAddress(&pc), S_OK);
    EXPECT_EQ(pc, 0x2000u) << "R15 without the Thumb bit";

    target->SetPreset(TargetPreset::C16x);
    ASSERT_EQ(target->GetCurrentAddress(&pc), S_OK);
    EXPECT_EQ(pc, 0x2000u) << "a new preset keeps the PC";
    target->SetPc(0x0A1234);
    ULONG csp = 0, ip = 0;
    target->ReadRegister(IdOf(target, u"CSP"), &csp);
    target->ReadRegister(IdOf(target, u"IP"), &ip);
    EXPECT_EQ(csp, 0x0Au);
    EXPECT_EQ(ip, 0x1234u);
    value = 3;
    target->WriteRegister(IdOf(target, u"CSP"), &value);
    target->GetCurrentAddress(&pc);
    EXPECT_EQ(pc, 0x031234u);

    target->SetPreset(TargetPreset::TriCore);
    target->SetPc(0x80000003);
    target->ReadRegister(IdOf(target, u"PC"), &value);
    EXPECT_EQ(value, 0x80000003u);
    target->GetCurrentAddress(&pc);
    EXPECT_EQ(pc, 0x80000003u);
}

TEST(HostTargetRegisters, PointersBecomeLinearAddressesByKindAndPreset)
{
    CComPtr<CHostTarget> target = NewTarget();
    struct Case {
        TargetPreset preset;
        LONG kind;
        ULONG high, low;
        HRESULT hr;
        ULONG linear;
    };
    // The C16x target's data page pointers are 1, 2, 3, 0x3FF and its code segment 5.
    const Case cases[] = {
        {TargetPreset::Arm, 0, 0x1234, 0xABCDEF, S_OK, 0x1234CDEF},
        {TargetPreset::Arm, 4, 0x4000, 0x0010, S_OK, 0x40000010},
        {TargetPreset::Arm, 5, 0, 0, E_INVALIDARG, 0},
        {TargetPreset::Arm, -1, 0, 0, E_INVALIDARG, 0},
        {TargetPreset::TriCore, 2, 0xD000, 0x8000, S_OK, 0xD0008000},
        {TargetPreset::C16x, 0, 0, 0x0010, S_OK, (1u << 14) | 0x10},
        {TargetPreset::C16x, 0, 0, 0x4010, S_OK, (2u << 14) | 0x10},
        {TargetPreset::C16x, 0, 0, 0xFFFF, S_OK, (0x3FFu << 14) | 0x3FFF},
        {TargetPreset::C16x, 1, 0x21, 0xC123, S_OK, (0x21u << 14) + 0x0123},
        {TargetPreset::C16x, 2, 0x03, 0x4567, S_OK, 0x034567},
        {TargetPreset::C16x, 3, 0x77, 0x0200, S_OK, 0x050200},
        {TargetPreset::C16x, 4, 0x01, 0xFFFF, S_OK, 0x01FFFF},
        {TargetPreset::C16x, 7, 0, 0, E_INVALIDARG, 0},
    };
    for (const Case &c : cases) {
        target->SetPreset(c.preset);
        if (c.preset == TargetPreset::C16x) {
            const std::pair<const char16_t *, ULONG> values[] = {
                {u"DPP0", 1}, {u"DPP1", 2}, {u"DPP2", 3}, {u"DPP3", 0x3FF}, {u"CSP", 5}};
            for (auto [name, value] : values)
                target->WriteRegister(IdOf(target, name), &value);
        }
        ULONG linear = 0;
        EXPECT_EQ(target->PointerToLinear(c.kind, c.high, c.low, &linear), c.hr) << "kind " << c.kind;
        if (c.hr == S_OK) {
            EXPECT_EQ(linear, c.linear) << "kind " << c.kind << " low 0x" << std::hex << c.low;
        }
    }
}

TEST(HostTargetMemory, AnAccessSucceedsOnlyWhenEveryByteIsMapped)
{
    CComPtr<CHostTarget> target = NewTarget();
    ASSERT_TRUE(target->MapMemory(0x1000, 0x10));
    ASSERT_TRUE(target->MapMemory(0x1010, 0x10)) << "adjacent regions join";
    ASSERT_TRUE(target->MapMemory(0xFFFFFFF0, 0x10)) << "a region may end at the top";
    EXPECT_FALSE(target->MapMemory(0xFFFFFFF0, 0x11));
    const BYTE bytes[4] = {1, 2, 3, 4};
    BYTE read[4] = {};
    EXPECT_TRUE(target->WriteMemory(MemoryPort::Host, 0x100E, 4, bytes)) << "across the join";
    EXPECT_TRUE(target->ReadMemory(MemoryPort::Host, 0x100E, 4, read));
    EXPECT_EQ(std::vector<BYTE>(read, read + 4), std::vector<BYTE>(bytes, bytes + 4));
    EXPECT_FALSE(target->ReadMemory(MemoryPort::Host, 0x101E, 4, read)) << "past the end";
    EXPECT_FALSE(target->ReadMemory(MemoryPort::Host, 0x0FFF, 2, read)) << "before the start";
    EXPECT_FALSE(target->WriteMemory(MemoryPort::Host, 0xFFFFFFFE, 4, bytes)) << "no wrap to 0";
    EXPECT_TRUE(target->ReadMemory(MemoryPort::Host, 0xFFFFFFFC, 4, read));
    EXPECT_EQ(read[0], 0);
    // Counted per way in; a chosen access fails as an unmapped one does.
    target->SetFailureChooser([](const QelHost::MemoryAccess &a) { return a.write && a.address == 0x1004; });
    EXPECT_FALSE(target->WriteMemory(MemoryPort::ComplexMemory, 0x1004, 1, bytes));
    EXPECT_TRUE(target->ReadMemory(MemoryPort::ComplexMemory, 0x1004, 1, read));
    QelHost::MemoryCounters host = target->Counters(MemoryPort::Host);
    QelHost::MemoryCounters complex = target->Counters(MemoryPort::ComplexMemory);
    EXPECT_EQ(host.reads, 4u);
    EXPECT_EQ(host.writes, 2u);
    EXPECT_EQ(host.failures, 3u);
    EXPECT_EQ(complex.reads, 1u);
    EXPECT_EQ(complex.writes, 1u);
    EXPECT_EQ(complex.failures, 1u);
}

TEST(HostTargetMemory, TheDebugServerAndTheComplexMemoryObjectReachTheSameMemory)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
    auto *host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
    host->Target()->MapMemory(0x40000000, 0x100);
    CComQIPtr<IQelTargetMemory> memory(server);
    ASSERT_NE(memory, nullptr);
    BYTE bytes[3] = {7, 8, 9};
    EXPECT_EQ(memory->WriteBlock(3, 0x40000010, 3, bytes, 0), S_OK);
    EXPECT_EQ(memory->ReadBlock(5, 0x400000FF, 2, bytes, 0), E_FAIL);
    EXPECT_EQ(host->Target()->LastSpace(), 5u);
    EXPECT_EQ(host->Target()->Counters(MemoryPort::TargetMemory).writes, 1u);
    EXPECT_EQ(host->Target()->Counters(MemoryPort::TargetMemory).reads, 1u);

    CComPtr<IQelComplexMemory> complex;
    ASSERT_EQ(host->Target()->CreateComplexMemory(&complex), S_OK);
    BYTE read[3] = {};
    EXPECT_EQ(complex->ReadMemory(0x40000010, 3, read), S_OK);
    EXPECT_EQ(read[2], 9);
    EXPECT_EQ(complex->WriteMemory(0x3FFFFFFF, 1, read), E_FAIL);
    // The user is kept without a reference: it owns this object.
    CComPtr<CHostTarget> userObject = NewTarget();
    CComPtr<IUnknown> user(static_cast<IQelTargetAccess *>(userObject.p));
    user.p->AddRef();
    ULONG before = user.p->Release();
    EXPECT_EQ(complex->SetUser(user), S_OK);
    user.p->AddRef();
    EXPECT_EQ(user.p->Release(), before);
    EXPECT_EQ(static_cast<QelHost::CHostComplexMemory *>(complex.p)->User(), user.p);
    // It keeps the target, whose memory it is, after the debug server is gone.
    server.Release();
    EXPECT_EQ(complex->ReadMemory(0x40000010, 3, read), S_OK);
}

// A sink of the target's events that records each dispid with its arguments.
class EventSink final : public IDispatch {
public:
    explicit EventSink(const IID &events) : events_(events) {}
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        std::ostringstream text;
        text << dispid << "(";
        for (UINT i = params->cArgs; i-- > 0;) // the first argument stands last
            text << std::hex << "0x" << params->rgvarg[i].ulVal << (i > 0 ? "," : "");
        heard.push_back(text.str() + ")");
        if (onEvent)
            std::exchange(onEvent, nullptr)();
        return S_OK;
    }
    std::vector<std::string> heard;
    std::function<void()> onEvent; // run once, at the first event

private:
    IID events_;
};

TEST(HostTargetEvents, RunStopAndPatternReachTheSinksAdvisedOnTheDebugServer)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
    auto *host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p));
    CComQIPtr<IConnectionPointContainer> container(server);
    ASSERT_NE(container, nullptr);
    EventSink state(DIID__TargetStateEvents), pattern(DIID__QelTargetPatternEvents);
    CComPtr<IConnectionPoint> statePoint, patternPoint, none;
    ASSERT_EQ(container->FindConnectionPoint(DIID__TargetStateEvents, &statePoint), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID__QelTargetPatternEvents, &patternPoint), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(DIID__SymProcEvents, &none), CONNECT_E_NOCONNECTION)
        << "no symbol server carried";
    DWORD stateCookie = 0, patternCookie = 0;
    ASSERT_EQ(statePoint->Advise(&state, &stateCookie), S_OK);
    ASSERT_EQ(patternPoint->Advise(&pattern, &patternCookie), S_OK);

    CHostTarget *target = host->Target();
    EXPECT_EQ(target->RunState(), 2u);
    target->Run();
    EXPECT_EQ(target->RunState(), 3u);
    target->Stop(0x1234);
    EXPECT_EQ(target->RunState(), 2u);
    target->Pattern(1);
    ULONG pc = 0;
    ASSERT_TRUE(target->GetPc(&pc));
    EXPECT_EQ(pc, 0x1234u);
    EXPECT_EQ(state.heard, (std::vector<std::string>{"1(0x2,0x3)", "1(0x3,0x2)", "2(0x1234,0xffffffff)"}));
    EXPECT_EQ(pattern.heard, (std::vector<std::string>{"1(0x1)", "2(0x1,0x0)"}));

    CComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint *fetched[4] = {};
    ULONG count = 0;
    points->Next(4, fetched, &count);
    EXPECT_EQ(count, 2u);
    for (ULONG i = 0; i < count; ++i)
        fetched[i]->Release();
    statePoint->Unadvise(stateCookie);
    patternPoint->Unadvise(patternCookie);
}

TEST(HostTargetEvents, ASinkThatDropsTheLastReferenceLetsTheEventsFinish)
{
    CComPtr<IUnknown> server;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &server), S_OK);
    CHostTarget *target = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(server.p))->Target();
    CComQIPtr<IConnectionPointContainer> container(server);
    CComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__TargetStateEvents, &point), S_OK);
    EventSink sink(DIID__TargetStateEvents);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    container.Release();
    point.Release();
    sink.onEvent = [&server] { server.Release(); };
    target->Stop(0x40); // the sanitizers see a target freed under its own call
    EXPECT_EQ(sink.heard, (std::vector<std::string>{"1(0x2,0x2)", "2(0x40,0xffffffff)"}));
}

// gdb's x/Nxb of every allocated section: "section NAME 0xADDRESS SIZE", then lines
// "0xADDRESS <symbol>:\t0xBB\t0xBB...".
std::map<DWORD, BYTE> GdbBytes(const std::string &oracle, std::vector<std::pair<DWORD, DWORD>> *sections)
{
    std::ifstream in(ElfPath(oracle));
    std::map<DWORD, BYTE> bytes;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("section ", 0) == 0) {
            std::istringstream fields(line.substr(8));
            std::string name, address;
            DWORD size = 0;
            fields >> name >> address >> size;
            sections->emplace_back(std::stoul(address, nullptr, 16), size);
            continue;
        }
        size_t colon = line.find(':');
        if (line.rfind("0x", 0) != 0 || colon == std::string::npos)
            continue;
        DWORD address = std::stoul(line.substr(0, line.find_first_of(" :")), nullptr, 16);
        std::istringstream fields(line.substr(colon + 1));
        std::string byte;
        while (fields >> byte)
            bytes[address++] = static_cast<BYTE>(std::stoul(byte, nullptr, 16));
    }
    return bytes;
}

TEST(HostTargetProgram, EveryMappedByteIsWhatGdbReadsInTheAllocatedSections)
{
    const std::pair<const char *, const char *> programs[] = {{"arm7-mixed.elf", "arm7-mixed.gdb-sections.txt"},
                                                               {"watch-O0.elf", "watch-O0.gdb-sections.txt"},
                                                               {"watch-O1.elf", "watch-O1.gdb-sections.txt"}};
    for (const auto &[program, oracle] : programs) {
        SCOPED_TRACE(program);
        CComPtr<CHostTarget> target = NewTarget();
        std::string reason;
        ASSERT_TRUE(target->LoadProgram(ElfPath(program).c_str(), &reason)) << reason;
        EXPECT_EQ(target->Preset(), TargetPreset::Arm);
        std::vector<std::pair<DWORD, DWORD>> sections;
        std::map<DWORD, BYTE> gdb = GdbBytes(oracle, &sections);
        ASSERT_GE(sections.size(), 5u);
        size_t compared = 0;
        for (const auto &[start, size] : sections) {
            std::vector<BYTE> mapped(size);
            ASSERT_TRUE(target->ReadMemory(MemoryPort::Host, start, size, mapped.data()));
            for (DWORD i = 0; i < size; ++i, ++compared)
                ASSERT_EQ(mapped[i], gdb.at(start + i)) << "at 0x" << std::hex << start + i;
        }
        EXPECT_EQ(compared, gdb.size());
        BYTE byte = 0;
        EXPECT_FALSE(target->ReadMemory(MemoryPort::Host, 0x30000000, 1, &byte)) << "nothing else is mapped";
    }
}

TEST(HostTargetProgram, TheEntryIsThePcAndARefusedFileChangesNothing)
{
    CComPtr<CHostTarget> target = NewTarget();
    std::string reason;
    ASSERT_TRUE(target->LoadProgram(ElfPath("arm7-mixed.elf").c_str(), &reason));
    ULONG pc = 1;
    ASSERT_TRUE(target->GetPc(&pc));
    EXPECT_EQ(pc, 0u);
    const std::pair<std::string, const char *> refused[] = {
        {"/nonexistent/x.elf", "cannot be opened"},
        {ElfPath("src/main.c"), "no ELF file"},
        {ElfPath("watch-O0-frame1.core.gdb.txt"), "no ELF file"},
    };
    for (const auto &[path, why] : refused) {
        EXPECT_FALSE(target->LoadProgram(path.c_str(), &reason));
        EXPECT_NE(reason.find(why), std::string::npos) << reason;
    }
    BYTE byte = 0;
    EXPECT_TRUE(target->ReadMemory(MemoryPort::Host, 0x40000000, 1, &byte));
}

TEST(HostTargetProgram, AHugeZeroSectionCostsNothingAndOneBeyondTheSpaceIsRefused)
{
    std::ifstream in(ElfPath("arm7-mixed.elf"), std::ios::binary);
    std::vector<BYTE> elf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto word = [&](size_t at) { return elf[at] | elf[at + 1] << 8 | elf[at + 2] << 16 | DWORD(elf[at + 3]) << 24; };
    // The .bss header: the NOBITS section (type 8) of arm7-mixed.elf, at 0x4000001C.
    size_t bss = 0;
    const size_t count = elf[48] | elf[49] << 8;
    for (size_t n = 0, shoff = word(32); n < count; ++n)
        if (word(shoff + 40 * n + 4) == 8)
            bss = shoff + 40 * n;
    ASSERT_NE(bss, 0u);
    ASSERT_EQ(word(bss + 12), 0x4000001Cu);
    const std::string path = testing::TempDir() + "hosttarget-huge-bss.elf";
    for (DWORD size : {0xBFFFFFE4u, 0xBFFFFFE5u}) {
        for (int i = 0; i < 4; ++i)
            elf[bss + 20 + i] = static_cast<BYTE>(size >> (8 * i));
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(elf.data()), elf.size());
        CComPtr<CHostTarget> target = NewTarget();
        std::string reason;
        bool loaded = target->LoadProgram(path.c_str(), &reason);
        EXPECT_EQ(loaded, size == 0xBFFFFFE4u) << reason;
        BYTE top[4] = {1, 1, 1, 1};
        EXPECT_EQ(target->ReadMemory(MemoryPort::Host, 0xFFFFFFFC, 4, top), loaded);
        if (loaded)
            EXPECT_EQ(top[3], 0);
        else
            EXPECT_NE(reason.find("leaves the 32-bit address space"), std::string::npos) << reason;
    }
    std::remove(path.c_str());
}

// The registers and stack words of gdb's answer on a core: "NAME 0xVALUE ..." lines of
// info registers, and "0xADDRESS:\t0xWORD..." lines of x/Nxw.
struct GdbFrame {
    std::map<std::string, ULONG> registers;
    std::map<DWORD, ULONG> words;
};

GdbFrame ReadGdbFrame(const std::string &oracle)
{
    std::ifstream in(ElfPath(oracle));
    GdbFrame frame;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first, second;
        fields >> first >> second;
        if (first.size() > 3 && first.rfind("0x", 0) == 0 && first.back() == ':') {
            DWORD address = std::stoul(first, nullptr, 16);
            for (std::string word = second; !word.empty(); word.clear(), fields >> word, address += 4)
                frame.words[address] = std::stoul(word, nullptr, 16);
        } else if (second.rfind("0x", 0) == 0 && first.find_first_of("=$#") == std::string::npos) {
            frame.registers[first] = std::stoul(second, nullptr, 16);
        }
    }
    return frame;
}

TEST(HostTargetCore, RegistersAndStackWordsAreWhatGdbReadsOnTheCore)
{
    const char *gdbNames[] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9", "r10", "r11", "r12",
                              "sp", "lr", "pc", "cpsr"};
    for (const char *core : {"watch-O0-frame1.core", "watch-O0-frame2.core"}) {
        SCOPED_TRACE(core);
        CComPtr<CHostTarget> target = NewTarget();
        std::string reason;
        ASSERT_TRUE(target->LoadProgram(ElfPath("watch-O0.elf").c_str(), &reason)) << reason;
        ASSERT_TRUE(target->LoadCore(ElfPath(core).c_str(), &reason)) << reason;
        GdbFrame gdb = ReadGdbFrame(std::string(core) + ".gdb.txt");
        ASSERT_EQ(gdb.registers.size(), 17u);
        for (LONG id = 0; id < 17; ++id) {
            ULONG value = 0;
            ASSERT_TRUE(target->RegisterValue(id, &value));
            EXPECT_EQ(value, gdb.registers.at(gdbNames[id])) << gdbNames[id];
        }
        ULONG pc = 0;
        ASSERT_TRUE(target->GetPc(&pc));
        EXPECT_EQ(pc, gdb.registers.at("pc"));
        ASSERT_GE(gdb.words.size(), 30u);
        for (const auto &[address, word] : gdb.words) {
            BYTE bytes[4] = {};
            ASSERT_TRUE(target->ReadMemory(MemoryPort::Host, address, 4, bytes));
            EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | ULONG(bytes[3]) << 24, word);
        }
    }
}

TEST(HostTargetCore, TheCoreOverlaysTheProgramsMemoryAndLeavesTheRestOfIt)
{
    CComPtr<CHostTarget> target = NewTarget();
    std::string reason;
    ASSERT_TRUE(target->LoadProgram(ElfPath("watch-O0.elf").c_str(), &reason));
    BYTE code[4] = {}, after[4] = {};
    ASSERT_TRUE(target->ReadMemory(MemoryPort::Host, 0x68, 4, code));
    ASSERT_TRUE(target->LoadCore(ElfPath("watch-O0-frame2.core").c_str(), &reason)) << reason;
    ASSERT_TRUE(target->ReadMemory(MemoryPort::Host, 0x68, 4, after));
    EXPECT_EQ(std::vector<BYTE>(code, code + 4), std::vector<BYTE>(after, after + 4));
    // gdb's "print g_int" on this core: the core's value, not the program's.
    BYTE value[4] = {};
    ASSERT_TRUE(target->ReadMemory(MemoryPort::Host, 0x40000008, 4, value));
    EXPECT_EQ(value[0], 42);
}

TEST(HostTargetCore, TruncatedAndForeignCoresAreRefusedWithAReasonChangingNothing)
{
    std::ifstream in(ElfPath("watch-O0-frame1.core"), std::ios::binary);
    const std::vector<BYTE> core((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(core.size(), 300u);
    auto with = [&](size_t offset, std::vector<BYTE> bytes) {
        std::vector<BYTE> changed = core;
        std::copy(bytes.begin(), bytes.end(), changed.begin() + offset);
        return changed;
    };
    const size_t note = 52 + 32 * 3;
    const std::pair<std::vector<BYTE>, const char *> refused[] = {
        {std::vector<BYTE>(core.begin(), core.begin() + 40), "too short"},
        {std::vector<BYTE>(core.begin(), core.begin() + 200), "outside the file"},
        {with(16, {2, 0}), "no core file"},
        {with(18, {3, 0}), "not of an ARM target"},
        {with(5, {2}), "big-endian"},
        {with(note + 4, {0x90, 0}), "not the 148"},
        {with(note + 4, {0xF0, 0xFF}), "truncated"},
        {with(note + 8, {2}), "no process status"},
        {with(52 + 32 + 8, {0xF0, 0xFF, 0xFF, 0xFF}), "leaves the 32-bit address space"},
    };
    CComPtr<CHostTarget> target = NewTarget();
    target->SetPreset(TargetPreset::TriCore);
    for (const auto &[bytes, why] : refused) {
        std::string reason;
        EXPECT_FALSE(target->LoadCoreBytes(bytes.data(), bytes.size(), &reason)) << why;
        EXPECT_NE(reason.find(why), std::string::npos) << reason;
    }
    ULONG pc = 0;
    EXPECT_FALSE(target->GetPc(&pc));
    EXPECT_EQ(target->Preset(), TargetPreset::TriCore);
    BYTE byte = 0;
    EXPECT_FALSE(target->ReadMemory(MemoryPort::Host, 0x4000FF88, 1, &byte));
    std::string reason;
    EXPECT_TRUE(target->LoadCoreBytes(core.data(), core.size(), &reason)) << reason;
    EXPECT_EQ(target->Preset(), TargetPreset::Arm);
}

} // namespace
