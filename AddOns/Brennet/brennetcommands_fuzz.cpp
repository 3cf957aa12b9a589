// Fuzz target of the add-on's commands 1 to 7 in its own group, as the host's frame and
// the debugger send them: each input is a run of commands, each with a VARIANT list
// decoded from the input (numbers of the four types the commands read and of others,
// texts, empty values, a scalar instead of a list, or no list), to a component started
// in a host debug-server object with a recording tool link, the setup dialog cancelled by
// the headless user. What reaches the link must be what the list allows: one position
// for three values, the breakpoints only when the list holds every triple it counts,
// never more than it counts; and no command fails other than with E_INVALIDARG.
#include "brennet.h"
#include "brennetresources.h"

#include <debugserver.h>
#include <dialogscript.h>
#include <hostcfgprofile.h>
#include <hostcmdgroups.h>
#include <hostframe.h>
#include <oletarcmdcaller.h>

#include "testing/fuzzinput.h"

#include <cstdint>
#include <string>
#include <vector>

// The target is a module of its own with Brennet's resources, as the test program is.
QEL_DEFINE_MODULE_RESOURCES(BrennetModuleResources())
CComModule _Module;

namespace {

struct LinkCalls {
    size_t positions = 0, removals = 0, breakpoints = 0, states = 0, values = 0;
};
LinkCalls g_calls;

// Counts what the add-on asks of the tool; it stays connected once linked.
class RecordingLink : public CCaseToolComm {
public:
    static CCaseToolComm *Make(LPCSTR) { return new RecordingLink; }
    BOOL Connect(LPCSTR toolText, IUnknown *debugServer, CQelDiagHelper *diagnostics) override
    {
        return CCaseToolComm::Connect(toolText, debugServer, diagnostics);
    }
    BOOL ShowPosition(DWORD, LPCSTR file, DWORD) override { return Count(g_calls.positions, file); }
    BOOL SetBreakpoint(LPCSTR file, DWORD, BOOL) override { return Count(g_calls.breakpoints, file); }
    BOOL RemoveAllBreakpoints() override { return Count(g_calls.removals, ""); }
    BOOL SetRunState(DWORD) override { return Count(g_calls.states, ""); }
    BOOL IsConnected() override { return TRUE; }
    BOOL ShowValue(LPCSTR name, const VARIANT &) override { return Count(g_calls.values, name); }

private:
    static BOOL Count(size_t &calls, LPCSTR text)
    {
        if (text == nullptr)
            __builtin_trap();
        ++calls;
        return TRUE;
    }
};


CComVariant Value(FuzzInput &input)
{
    CComVariant value;
    switch (input.Byte() % 8) {
    case 0:
        value.vt = VT_UI4;
        value.ulVal = input.Word() % 8; // small counts, so that lists can hold what they count
        break;
    case 1:
        value.vt = VT_UI4;
        value.ulVal = input.Word();
        break;
    case 2:
        value = static_cast<LONG>(input.Word());
        break;
    case 3:
        value = input.Text().c_str();
        break;
    case 4:
        value.vt = VT_BOOL;
        value.boolVal = (input.Byte() & 1) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case 5:
        value = static_cast<double>(static_cast<int32_t>(input.Word()));
        break;
    case 6:
        value.vt = VT_I2;
        value.iVal = static_cast<SHORT>(input.Word());
        break;
    default:
        break; // VT_EMPTY
    }
    return value;
}

DWORD UI4(const std::vector<CComVariant> &values, size_t index)
{
    return values[index].vt == VT_UI4 ? values[index].ulVal : 0;
}

// Runs one command and checks what reached the link against what its list allows.
void RunCommand(IQelComponent *component, CBrennet *brennet, FuzzInput &input)
{
    const DWORD id = 1 + input.Byte() % 7;
    const uint8_t shape = input.Byte();
    std::vector<CComVariant> values(shape % 12);
    for (CComVariant &value : values)
        value = Value(input);
    const bool linked = brennet->ToolLink() != nullptr;
    const LinkCalls before = g_calls;
    HRESULT hr;
    if ((shape & 0x80) != 0) {
        // A scalar where a list belongs, which reads as a list of one.
        values.resize(1);
        CComVariant scalar = values[0], out;
        hr = CComQIPtr<IOleCommandTarget>(component)->Exec(&CGID_QelFrameAddOn, id, 0, &scalar, &out);
    } else {
        // An empty list passes no VARIANT.
        CVariantArray in(static_cast<int>(values.size())), out((shape & 0x40) != 0 ? 1 : 0);
        for (size_t i = 0; i < values.size(); ++i)
            in[static_cast<int>(i)].SetValue(values[i]);
        hr = COleTarCmdCaller(component, &CGID_QelFrameAddOn).Exec(id, &in, &out, 0);
    }
    if (FAILED(hr) && hr != E_INVALIDARG)
        __builtin_trap();
    const size_t positions = g_calls.positions - before.positions, removals = g_calls.removals - before.removals,
                 breakpoints = g_calls.breakpoints - before.breakpoints;
    if (!linked) {
        if (id >= 3 && (positions | removals | breakpoints) != 0)
            __builtin_trap();
        return;
    }
    if (id == 3 && positions != (values.size() == 3 ? 1u : 0u))
        __builtin_trap();
    if (id == 4) {
        const uint64_t count = values.empty() ? 0 : UI4(values, 0);
        const bool whole = !values.empty() && values.size() >= 1 + 3 * count;
        if (removals != (whole ? 1u : 0u) || breakpoints != (whole ? count : 0u) ||
            (!values.empty() && !whole && hr != E_INVALIDARG))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QelHost::DialogScript *user = [] {
        auto *script = new QelHost::DialogScript; // no answers: every dialog is cancelled
        script->Install();
        return script;
    }();
    SetCaseToolFactory(&RecordingLink::Make);
    CComPtr<IUnknown> host;
    if (FAILED(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host)))
        return 0;
    auto *debugServer = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p));
    CComObject<QelHost::CHostFrame> *frame = nullptr;
    CComObject<CBrennet> *brennet = nullptr;
    CComPtr<IStorage> storage;
    if (FAILED(CComObject<QelHost::CHostFrame>::CreateInstance(&frame)))
        return 0;
    CComPtr<IUnknown> holdFrame(static_cast<IQelHostFrame *>(frame));
    frame->SetDebugServer(host);
    debugServer->SetGuiServer(static_cast<IQelHostFrame *>(frame));
    CComPtr<IUnknown> profile;
    debugServer->GetProfile(&profile);
    FuzzInput input(data, size);
    // The first byte: whether a tool is configured, so that command 2 links at once.
    if ((input.Byte() & 1) != 0)
        static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p))
            ->SetItem(u"Tools", u"CaseTool", CComVariant("EasyCODE Debug Interface"));
    if (FAILED(CComObject<CBrennet>::CreateInstance(&brennet)) ||
        FAILED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage)))
        return 0;
    CComPtr<IQelComponent> component(brennet);
    if (component->Init(CComVariant(host), CComVariant(static_cast<IUnknown *>(storage.p)), host) == S_OK &&
        component->ConnectGui() == S_OK) {
        for (int commands = 0; !input.AtEnd() && commands < 64; ++commands)
            RunCommand(component, brennet, input);
    }
    component->Cleanup();
    debugServer->SetGuiServer(nullptr);
    frame->SetDebugServer(nullptr);
    user->TakeFailures();
    SetErrorInfo(0, nullptr);
    return 0;
}
