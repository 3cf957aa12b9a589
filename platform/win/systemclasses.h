// The window classes that the system provides (inside this layer only; not part of
// windows.h): the dialog class and the controls "Button", "Edit" and "Static".
#pragma once

#include "basetypes.h"
#include "windowclass.h"

#include <string>
#include <vector>

namespace qelwin {

struct WindowClassEntry {
    std::string name;
    WNDPROC procedure;
    int extraBytes;
};

const int kMaxWindowExtraBytes = 40 * static_cast<int>(sizeof(LONG_PTR));

// The class of the windows that CreateDialogParamA makes.
extern const char kDialogClassName[];

// The system's classes, which the class table starts with.
std::vector<WindowClassEntry> SystemClasses();

} // namespace qelwin
