#include "qelhostselectlistline.h"

#include "qelhostscript.h"

namespace QelHost {

bool ParseSelectListLine(const std::vector<std::string> &words, SelectListLine *line, std::string *error)
{
    *line = SelectListLine();
    if (words.size() == 1)
        return true;
    long long index = 0;
    const bool close = words.size() == 4 && words[3] == "close";
    if (words.size() < 3 || words[1] != "pick" || (words.size() != 3 && !close) ||
        !ParseScriptNumber(words[2], 0, 0x7FFFFFFF, &index)) {
        if (error)
            *error = "select-list takes nothing, or pick, an entry's number and close";
        return false;
    }
    line->pick = true;
    line->index = static_cast<int>(index);
    line->close = close;
    return true;
}

bool ParseHostNameLine(const std::vector<std::string> &words, std::string *name, std::string *error)
{
    if (words.size() != 2) {
        if (error)
            *error = "host-name takes a text";
        return false;
    }
    *name = words[1];
    return true;
}

} // namespace QelHost
