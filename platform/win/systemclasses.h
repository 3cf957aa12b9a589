// The window classes that the system provides (inside this layer only; not part of
// windows.h): the dialog class, the controls "Button", "Edit", "Static", "ComboBox" and "ScrollBar",
// and the common controls "msctls_progress32" and "SysListView32".
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
    UINT style = 0;
    HBRUSH background = nullptr; // a brush or a COLOR_ index + 1; NULL: nothing erases
    HCURSOR cursor = nullptr;
};

const int kMaxWindowExtraBytes = 40 * static_cast<int>(sizeof(LONG_PTR));

// The class of the windows that CreateDialogParamA makes.
extern const char kDialogClassName[];

// The procedures of the common controls, each in a file of its own.
LRESULT CALLBACK ComboBoxProcedure(HWND combo, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ProgressBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListViewProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TreeViewProcedure(HWND tree, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ToolTipProcedure(HWND tip, UINT message, WPARAM wParam, LPARAM lParam);

// Tells the control's parent, if it has one, WM_COMMAND with the code.
void NotifyParent(HWND control, WORD code);
extern const int kProgressBarExtraBytes;

// The system's classes, which the class table starts with.
std::vector<WindowClassEntry> SystemClasses();

} // namespace qelwin
