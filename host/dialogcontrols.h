// The script's actions on the common controls, and what the dialog lines show of them:
//   pick:C=N                   selects item N of combo box C (CB_SETCURSEL), then tells
//                              the dialog CBN_SELCHANGE, as a user's pick does
//   row:C=R[:state][:double]   clicks row R of list C, on its state icon or its label,
//                              once or twice (QelClickListItem)
//   drop:C=TEXT                drops TEXT, without a NUL, on control C (QelDropText)
//   prop:C=DISPID:VALUE        puts the property DISPID of the ActiveX item C (one of the
//                              host's controls, hostperiodeditor.h) to the number VALUE
// and on a drawn tree C, whose rows are read from its pixels (drawntreerows.h), each
// waiting up to 10 s, handling messages, for the rows that PATH names to show:
//   select:C=[+]PATH           clicks the row, scrolled into view; with "+", Ctrl held, so
//                              that it joins a multiple selection
//   expand:C=PATH              clicks the row's button when its children are hidden
//   dblclick:C=PATH            clicks the row twice
//   key:C=KEY[+shift][+ctrl]   a key pressed in C (QelSendKey), as the session's key
//   type:C=TEXT                TEXT typed into C (QelSendText)
// PATH: the names from the root down, joined by ">" ("\>" inside a name).
#pragma once

#include <ole2.h>

#include <string>
#include <vector>

namespace QelHost {

// Whether `action` is one of the actions above, well formed.
bool IsControlAction(const std::string &action);
// Does the action on `dialog`; false with the reason in `error` when it cannot.
bool DoControlAction(HWND dialog, const std::string &action, std::string *error);
// A dialog line's details of a control, each starting with a tab: a combo box's items,
// a list's rows (their texts by column and their state image), a progress bar's
// position; none for other controls.
std::vector<std::string> ControlDetailLines(HWND control);
// The rows of the dialog's drawn trees as they show now: "\ttree\tID", then
// "\t\trow\tLEVEL\tBUTTON\tNAME\tVALUE\tMARKS" per row, as qelhost session's shown.
std::vector<std::string> DrawnTreeLines(HWND dialog);
// The class name a dialog line shows: the framework's generated ones as "Afx".
std::string StableClassName(HWND control);
// A text on one line of the dialog records: tabs, line ends and backslashes escaped.
std::string OneLine(const std::string &text);

} // namespace QelHost
