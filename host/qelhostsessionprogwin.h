// qelhost session's `progwin`: each open view of the program window as the symbol server
// left it, one line per fact, indented under its view:
//   view NAME MODE TEMPORARY LINE   TEMPORARY 1 for a view shown in mode 1, else 0
//     mark LINE KIND                each line mark, by line and kind
//     ip 0xADDRESS                  the instruction pointer in a code window, once given
//   module NAME                     each module of the view's tree, by name
//     FUNCTION 0xSTART-0xEND        its functions by start address; END is the last
//                                   address (START for a function without length)
// Names are written as the script writes texts (in quotes when they hold a blank).
#pragma once

#include "hostframe.h"

#include <cstdio>

namespace QelHost {

void PrintProgramWindows(const CHostFrame &frame, FILE *out);

} // namespace QelHost
