// The words of qelhost session's browse and controller lines (qelhostsessionbrowse.h
// gives what they do), read apart from the session so that the script fuzz target reads
// them too.
#pragma once

#include <string>
#include <vector>

namespace QelHost {

struct BrowseLine {
    long long mode = 0;
    bool post = false; // the choices are posted to the main window
};

// "browse MODE [post]", MODE a number from 0 to 0x7FFFFFFF; false with the reason in
// *error.
bool ParseBrowseLine(const std::vector<std::string> &words, BrowseLine *line, std::string *error);
// "controller NAME|PATH", NAME not empty: the name in *name.
bool ParseControllerLine(const std::vector<std::string> &words, std::string *name, std::string *error);

} // namespace QelHost
