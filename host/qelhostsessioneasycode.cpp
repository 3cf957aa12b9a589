#include "qelhostsessioneasycode.h"

#include "hostecdebugscript.h"

#include <cstdio>

namespace QelHost {

bool RunEasyCodeCommand(EcDebugDouble &tool, const std::vector<ScriptWord> &words, std::string *error)
{
    EcDebugScriptCommand command;
    if (!ParseEcDebugCommand(words, &command, error))
        return false;
    switch (command.kind) {
    case EcDebugScriptCommand::List:
        for (const EcDebugCall &call : tool.TakeCalls())
            std::printf("call %s\n", FormatEcDebugCall(call).c_str());
        return true;
    case EcDebugScriptCommand::On:
    case EcDebugScriptCommand::NoSecond: {
        HRESULT hr = tool.On(command.kind == EcDebugScriptCommand::On);
        if (FAILED(hr) && error) {
            char text[64];
            std::snprintf(text, sizeof text, "the EasyCODE double cannot be registered (0x%08X)",
                          static_cast<unsigned>(hr));
            *error = text;
        }
        return SUCCEEDED(hr);
    }
    case EcDebugScriptCommand::Off: tool.Off(); return true;
    case EcDebugScriptCommand::Fail: tool.SetFailure(command.iface, command.number, command.failure); return true;
    case EcDebugScriptCommand::Event: break;
    }
    HRESULT answer = S_OK;
    std::vector<CComVariant> outs;
    if (!tool.Fire(command.iface, command.number, command.values, &answer, &outs)) {
        if (error)
            *error = "no EasyCODE object lives";
        return false;
    }
    std::printf("result 0x%08X\n", static_cast<unsigned>(answer));
    for (size_t i = 0; i < outs.size(); ++i)
        std::printf("out %zu %s\n", i, FormatValue(outs[i]).c_str());
    return true;
}

} // namespace QelHost
