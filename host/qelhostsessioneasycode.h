// qelhost session's `easycode` command (hostecdebugscript.h gives its words): it drives
// the EasyCODE double of the session. `easycode event` prints what the sinks answered,
// "result 0xHHHHHHHH", and each out argument, "out I VALUE"; `easycode` prints each call
// the double's objects received since the last look, "call [2:]SLOT VALUE...".
#pragma once

#include "hostecdebug.h"
#include "qelhostscript.h"

#include <string>
#include <vector>

namespace QelHost {

bool RunEasyCodeCommand(EcDebugDouble &tool, const std::vector<ScriptWord> &words, std::string *error);

} // namespace QelHost
