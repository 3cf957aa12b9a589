// The words of qelhost session's select-list and host-name lines
// (qelhostsessionselectlist.h gives what they do), read apart from the session so that
// the script fuzz target reads them too.
#pragma once

#include <string>
#include <vector>

namespace QelHost {

struct SelectListLine {
    bool pick = false; // false: the list is printed
    int index = 0;
    bool close = false;
};

// "select-list" or "select-list pick N [close]", N from 0 to 0x7FFFFFFF; false with the
// reason in *error.
bool ParseSelectListLine(const std::vector<std::string> &words, SelectListLine *line, std::string *error);
// "host-name TEXT": the name in *name.
bool ParseHostNameLine(const std::vector<std::string> &words, std::string *name, std::string *error);

} // namespace QelHost
