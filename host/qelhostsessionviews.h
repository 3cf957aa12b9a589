// qelhost session's commands about the controls that the frame embeds as views, and the
// host's breakpoint list:
//   double NAME          (before start) the view server NAME keeps the host's double,
//                        even where its control could be made
//   tree VIEW            the tree of the view server VIEW's control, depth first, one line
//                        per item: LEVEL<TAB>TEXT<TAB>IMAGE<TAB>CHILDREN<TAB>EXPANDED
//   click VIEW left|right|double PATH   a mouse click on the item that PATH names: the
//                        texts shown from the root down, joined by ">" ("\>" inside a text)
//   breakpoints          "breakpoint 0xADDRESS ENABLED NAME" per entry of the host's list
//   key VIEW KEY[+shift][+ctrl]   a key pressed in the view's tree (KEY: a VK_ name less
//                        its VK_, a letter or a digit)
//   type VIEW TEXT       the characters typed into the view's tree
//   shot VIEW FILE       what the view shows, with its child windows, as a PNG
// Each handles the messages that have come before it reads or clicks, until 200 ms pass
// with none, so that the replies to the control's requests are in.
#pragma once

#include "debugserver.h"
#include "hostframe.h"

#include <set>
#include <string>
#include <vector>

namespace QelHost {

class SessionViewCommands {
public:
    static bool Handles(const std::string &command);
    static bool BeforeStart(const std::string &command) { return command == "double"; }
    // double NAME.
    bool Configure(const std::vector<std::string> &words, std::string *error);
    // What the frame is to know before its first view.
    void Prepare(CHostFrame &frame) const;
    bool Run(const std::vector<std::string> &words, CHostFrame &frame, CHostDebugServer *host, std::string *error);

private:
    std::set<std::string> m_doubles;
};

} // namespace QelHost
