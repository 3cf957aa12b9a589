// A scene for the owner-drawn list: a script of what a user and an owner do to one list,
// played in a shown 1024x768 pop-up, with what the list then shows written out.
//
// One command a line, words split at blanks, a text bare or in double quotes (a backslash escapes
// a quote or a backslash inside), `#` to the end of the line a comment, numbers decimal or 0x
// hexadecimal:
//
//     list W H STYLE EXSTYLE     column TEXT FORMAT WIDTH     item TEXT [SUBTEXT...]
//     image R N                  images normal|small|state CX N
//     key NAME[+shift][+ctrl]    type TEXT                    wheel DELTA
//     click X Y [right] [double] [shift] [ctrl]               move X Y
//     vscroll|hscroll CODE [POS] focus    edit R C             probe X Y
//
// A scene may play on an owner-drawn tree instead (its first column comes with it, and
// the first `column` command sets that one), with these commands in place of `item` and
// `image`:
//
//     tree W H STYLE EXSTYLE INDENT      made as `list` makes a list; STYLE's low six bits
//                                        are the tree's (TVS_)
//     node LEVEL FLAGS TEXT [SUBTEXT...] the last child of the last node of LEVEL - 1 (1:
//                                        the top); FLAGS - or a comma list of expanded bold
//                                        hidden disabled children=N|callback image=N
//                                        selimage=N state=N
//     expand PATH   collapse PATH   select PATH   sort PATH
//                                        PATH: the texts from the top joined by /; Expand
//                                        with scroll, Select TVGN_CARET, SortChildren
//                                        ascending
//
// and `images normal|state CX N`. A callback count is answered 1, and nothing inserted.
//
// The output, tab-separated, texts escaped (\\, \t, \n), client coordinates with right and
// bottom exclusive: "notify CODE ROW" per WM_NOTIFY the pop-up got (a tree's own: "notify
// CODE TEXT", the text of itemNew, else itemOld, else "-"), "pixel X Y RRGGBB" per
// probe; at the end "row R TOP HEIGHT STATE" per painted row (a tree's: "row R TOP HEIGHT
// STATE LEVEL", then "label R L T R B" and, where one is drawn, "button R L T R B"), "cell R C LEFT RIGHT TEXT"
// per cell, "header C TEXT", "tip L T R B TEXT" (screen) when the tip shows, and, both
// windows gone, "live WINDOWS OBJECTS" that the scene left.
#pragma once

#include <string>

struct ListSceneResult {
    std::string output;
    bool failed = false; // the output ends with "error: line N: REASON"
};

// Plays the scene; writes the list window with its children to `pngPath` unless NULL.
ListSceneResult PlayListScene(const std::string &scene, const char *pngPath);
