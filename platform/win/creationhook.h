// The hook through which a framework binds its object to a window it makes, before the
// window's first message: the part of a computer-based-training hook that the framework
// uses when it makes windows of classes whose procedure is not its own.
#pragma once

#include "basetypes.h"

// Called with each window the calling thread makes, once it has its handle and before
// WM_NCCREATE; the hook may subclass it. Per thread; answers the hook set before.
typedef void (*QEL_CREATION_HOOK)(HWND window);
QEL_CREATION_HOOK QelSetCreationHook(QEL_CREATION_HOOK hook);
