#include "debugoutput.h"

#include <mutex>

namespace {

struct DebugOutput {
    std::mutex lock;
    QEL_DEBUG_OUTPUT_HANDLER handler = nullptr;
    void *context = nullptr;
};

// Made on first use, so that output from the constructors of other static objects finds
// it, and never destroyed, so that output from their destructors does too.
DebugOutput &Output()
{
    static DebugOutput *output = new DebugOutput;
    return *output;
}

} // namespace

void OutputDebugStringA(LPCSTR text)
{
    if (text == nullptr)
        return;
    DebugOutput &output = Output();
    std::lock_guard<std::mutex> hold(output.lock);
    if (output.handler != nullptr)
        output.handler(output.context, text);
}

void QelSetDebugOutputHandler(QEL_DEBUG_OUTPUT_HANDLER handler, void *context)
{
    DebugOutput &output = Output();
    std::lock_guard<std::mutex> hold(output.lock);
    output.handler = handler;
    output.context = context;
}
