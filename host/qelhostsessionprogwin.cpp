#include "qelhostsessionprogwin.h"

#include "hostprogwinview.h"
#include "qelhostscript.h"

namespace QelHost {

void PrintProgramWindows(const CHostFrame &frame, FILE *out)
{
    for (CHostView *view : frame.Views("StdQelProgWin")) {
        const auto *window = dynamic_cast<const CHostProgWinView *>(view);
        if (!window)
            continue;
        std::fprintf(out, "view %s %u %d %u\n", QuoteText(window->Name(), false).c_str(),
                     static_cast<unsigned>(window->Mode()), window->Temporary() ? 1 : 0,
                     static_cast<unsigned>(window->Line()));
        for (const auto &mark : window->Marks())
            std::fprintf(out, "  mark %u %u\n", static_cast<unsigned>(mark.first), static_cast<unsigned>(mark.second));
        if (window->InstructionPointer())
            std::fprintf(out, "  ip 0x%X\n", static_cast<unsigned>(*window->InstructionPointer()));
        for (const HostModule &module : window->Modules()) {
            std::fprintf(out, "module %s\n", QuoteText(module.name, false).c_str());
            for (const HostFunction &function : module.functions)
                std::fprintf(out, "  %s 0x%X-0x%X\n", QuoteText(function.name, false).c_str(),
                             static_cast<unsigned>(function.start),
                             static_cast<unsigned>(function.start + (function.length ? function.length - 1 : 0)));
        }
    }
}

} // namespace QelHost
