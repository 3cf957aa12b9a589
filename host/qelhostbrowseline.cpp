#include "qelhostbrowseline.h"

#include "qelhostscript.h"

namespace QelHost {

bool ParseBrowseLine(const std::vector<std::string> &words, BrowseLine *line, std::string *error)
{
    BrowseLine read;
    bool parsed = (words.size() == 2 || (words.size() == 3 && words[2] == "post")) &&
                  ParseScriptNumber(words[1], 0, 0x7FFFFFFF, &read.mode);
    if (!parsed) {
        if (error)
            *error = "browse takes a mode and, to post the choices, post";
        return false;
    }
    read.post = words.size() == 3;
    *line = read;
    return true;
}

bool ParseControllerLine(const std::vector<std::string> &words, std::string *name, std::string *error)
{
    if (words.size() != 2 || words[1].empty()) {
        if (error)
            *error = "controller takes a controller's name or a database's path";
        return false;
    }
    *name = words[1];
    return true;
}

} // namespace QelHost
