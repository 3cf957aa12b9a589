// The words of qelhost session's `easycode` command, which drives the EasyCODE double:
//   easycode on|off|noiface2     registers the double's class (noiface2: one whose objects
//                                refuse IEcDebug2), or revokes it
//   easycode fail [2:]SLOT HR    the answer of the slot from now on
//   easycode event [2:]DISPID VALUE...   fires the event to the newest object's sinks
//   easycode                     the calls since the last look
// `2:` names the second interface (IEcDebug2, _IEcDebugEvents2).
#pragma once

#include "qelhostscript.h"

#include <atlbase.h>

#include <string>
#include <vector>

namespace QelHost {

struct EcDebugScriptCommand {
    enum Kind { List, On, Off, NoSecond, Fail, Event } kind = List;
    int iface = 1;
    LONG number = 0; // the slot or the dispid
    HRESULT failure = S_OK;
    std::vector<CComVariant> values;
};

// The command of `words` (words[0] is "easycode"); false with the reason in *error.
bool ParseEcDebugCommand(const std::vector<ScriptWord> &words, EcDebugScriptCommand *command, std::string *error);

} // namespace QelHost
