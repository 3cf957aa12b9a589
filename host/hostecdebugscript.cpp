#include "hostecdebugscript.h"

namespace QelHost {

namespace {

// The interfaces' highest slots, and the events' highest dispids.
constexpr long long kLastSlot[] = {32, 10};
constexpr long long kLastDispid[] = {23, 8};
// As many arguments as an event sink takes.
constexpr size_t kMostArguments = 8;

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

// "N" of the first interface or "2:N" of the second, N in [first, last of the interface].
bool ParseNumber(const std::string &word, long long first, const long long last[2], int *iface, LONG *number)
{
    std::string text = word;
    *iface = 1;
    if (text.rfind("2:", 0) == 0) {
        *iface = 2;
        text = text.substr(2);
    }
    long long value = 0;
    if (!ParseScriptNumber(text, first, last[*iface - 1], &value))
        return false;
    *number = static_cast<LONG>(value);
    return true;
}

} // namespace

bool ParseEcDebugCommand(const std::vector<ScriptWord> &words, EcDebugScriptCommand *command, std::string *error)
{
    *command = EcDebugScriptCommand();
    if (words.size() == 1)
        return true;
    const std::string &verb = words[1].text;
    if (verb == "on" || verb == "off" || verb == "noiface2") {
        if (words.size() != 2)
            return Fail(error, "easycode " + verb + " takes nothing");
        command->kind = verb == "on" ? EcDebugScriptCommand::On
                        : verb == "off" ? EcDebugScriptCommand::Off
                                        : EcDebugScriptCommand::NoSecond;
        return true;
    }
    if (verb == "fail") {
        long long hr = 0;
        if (words.size() != 4 || !ParseNumber(words[2].text, 3, kLastSlot, &command->iface, &command->number) ||
            !ParseScriptNumber(words[3].text, 0, 0xFFFFFFFFLL, &hr))
            return Fail(error, "easycode fail takes a slot ([2:]3-32, 3-10 of the second) and an HRESULT");
        command->kind = EcDebugScriptCommand::Fail;
        command->failure = static_cast<HRESULT>(static_cast<unsigned long>(hr));
        return true;
    }
    if (verb == "event") {
        if (words.size() < 3 || words.size() > 3 + kMostArguments ||
            !ParseNumber(words[2].text, 1, kLastDispid, &command->iface, &command->number))
            return Fail(error, "easycode event takes a dispid ([2:]1-23, 1-8 of the second) and up to 8 values");
        command->kind = EcDebugScriptCommand::Event;
        for (size_t i = 3; i < words.size(); ++i) {
            command->values.emplace_back();
            if (!ParseValue(words[i], command->values.back(), error))
                return false;
        }
        return true;
    }
    return Fail(error, "easycode takes on, off, noiface2, fail, event or nothing");
}

} // namespace QelHost
