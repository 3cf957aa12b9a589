// Debug output: the text that Win32 hands to an attached debugger.
//
// No debugger attaches here, so the text goes to one process-wide handler that the host
// installs: qelhost prints it, a test collects it. Without a handler the text is dropped,
// as Windows drops it when no debugger listens.
#pragma once

#include "basetypes.h"

// Called with each text as it was given (a NULL text is not passed on). The handler runs
// under the layer's lock, so calls never overlap and, once QelSetDebugOutputHandler has
// returned, the previous handler is no longer running; it must not itself call
// OutputDebugStringA or QelSetDebugOutputHandler.
typedef void (*QEL_DEBUG_OUTPUT_HANDLER)(void *context, LPCSTR text);

void OutputDebugStringA(LPCSTR text);

// The name of an ANSI build, which the system's code uses.
inline void OutputDebugString(LPCSTR text)
{
    OutputDebugStringA(text);
}

// Installs `handler` with its `context` (NULL: none) in place of the previous one.
void QelSetDebugOutputHandler(QEL_DEBUG_OUTPUT_HANDLER handler, void *context);
