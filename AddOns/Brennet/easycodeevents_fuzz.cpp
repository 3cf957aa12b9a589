// Fuzz target of the EasyCODE link's event sink: runs of events of both event interfaces,
// each a dispid and a DISPPARAMS decoded from the input (the count, each argument's type,
// by reference or not, its value, named arguments), to the link connected to the EasyCODE
// double in a recording host debug-server object. Every call must end in the sink's own
// answers: S_OK with the handler's S_OK or E_FAIL, or a dispatch error that names an
// argument it has; the question of dispid 2 leaves a null text and 0 in its out arguments.
#include "easycodecomm.h"

#include <debugserver.h>
#include <hostecdebug.h>

#include "testing/fuzzinput.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {


// The arguments of one call and what they point to, freed as a caller of [out]
// arguments frees them: what the sink left there, and what was there before.
struct Arguments {
    std::vector<VARIANT> args;
    std::vector<BSTR> texts;
    std::vector<BSTR> given;
    std::vector<LONG> numbers;
    std::vector<VARIANT> variants;

    explicit Arguments(size_t count) : args(count), texts(count), given(count), numbers(count), variants(count)
    {
        for (size_t i = 0; i < count; ++i) {
            VariantInit(&args[i]);
            VariantInit(&variants[i]);
        }
    }
    ~Arguments()
    {
        for (size_t i = 0; i < args.size(); ++i) {
            if ((args[i].vt & VT_BYREF) == 0)
                VariantClear(&args[i]);
            if (texts[i] != given[i])
                SysFreeString(texts[i]);
            SysFreeString(given[i]);
            VariantClear(&variants[i]);
        }
    }
    void Decode(size_t i, FuzzInput &input)
    {
        VARIANT &arg = args[i];
        switch (input.Byte() % 11) {
        case 0: break; // VT_EMPTY
        case 1: arg.vt = VT_I4; arg.lVal = static_cast<LONG>(input.Word()); break;
        case 2: arg.vt = VT_UI4; arg.ulVal = input.Word(); break;
        case 3: arg.vt = VT_BSTR; arg.bstrVal = CComBSTR(input.Text().c_str()).Detach(); break;
        case 4: arg.vt = VT_BOOL; arg.boolVal = (input.Byte() & 1) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case 5: arg.vt = VT_R8; arg.dblVal = static_cast<int32_t>(input.Word()); break;
        case 6: arg.vt = VT_UNKNOWN; arg.punkVal = nullptr; break;
        case 7:
            given[i] = texts[i] = CComBSTR(input.Text().c_str()).Detach();
            arg.vt = VT_BYREF | VT_BSTR;
            arg.pbstrVal = &texts[i];
            break;
        case 8:
            numbers[i] = static_cast<LONG>(input.Word());
            arg.vt = VT_BYREF | VT_I4;
            arg.plVal = &numbers[i];
            break;
        case 9:
            arg.vt = VT_BYREF | VT_VARIANT;
            arg.pvarVal = &variants[i];
            break;
        default: arg.vt = VT_I2; arg.iVal = static_cast<SHORT>(input.Word()); break;
        }
    }
};

void Invoke(IDispatch *sink, int iface, FuzzInput &input)
{
    // Dispids 0 to 25: every event and a few that are none.
    const DISPID dispid = input.Byte() % 26;
    const uint8_t shape = input.Byte();
    Arguments arguments(shape % 6);
    for (size_t i = 0; i < arguments.args.size(); ++i)
        arguments.Decode(i, input);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {arguments.args.empty() ? nullptr : arguments.args.data(), (shape & 0x80) ? &named : nullptr,
                         static_cast<UINT>(arguments.args.size()), (shape & 0x80) ? 1u : 0u};
    CComVariant result;
    UINT argError = 0xFFFFFFFF;
    HRESULT hr = sink->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, &argError);
    if (hr == DISP_E_TYPEMISMATCH && argError >= params.cArgs)
        __builtin_trap();
    if (hr == S_OK && result.vt == VT_I4 && result.lVal != S_OK && result.lVal != E_FAIL)
        __builtin_trap();
    // The question answers nothing, and leaves nothing to read.
    if (hr == S_OK && iface == 2 && dispid == 2 && params.cArgs == 4 &&
        (result.lVal != E_FAIL || arguments.texts[1] != nullptr || arguments.numbers[0] != 0))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QelHost::EcDebugDouble *tool = [] {
        auto *made = new QelHost::EcDebugDouble;
        made->On(true);
        return made;
    }();
    CComPtr<IUnknown> host;
    if (FAILED(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host)))
        return 0;
    {
        CEasyCodeComm link;
        if (!link.Connect("EasyCODE Debug Interface", host, nullptr))
            __builtin_trap();
        CComQIPtr<IDispatch> first(
            link.ToolSink().FirstEvents::QelSinkUnknown());
        CComQIPtr<IDispatch> second(
            link.ToolSink().SecondEvents::QelSinkUnknown());
        FuzzInput input(data, size);
        for (int events = 0; !input.AtEnd() && events < 64; ++events) {
            bool secondInterface = (input.Byte() & 1) != 0;
            Invoke(secondInterface ? second : first, secondInterface ? 2 : 1, input);
        }
    }
    tool->TakeCalls();
    SetErrorInfo(0, nullptr);
    return 0;
}
