#include "connecttext.h"

#include <strings.h>

namespace qeldao {

namespace {

std::string TrimBlanks(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

ConnectText ParseConnectText(const char *text)
{
    ConnectText result;
    if (!text)
        return result;
    std::string all(text);
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(';', start);
        if (end == std::string::npos)
            end = all.size();
        std::string part = all.substr(start, end - start);
        size_t equals = part.find('=');
        if (equals != std::string::npos) {
            std::string key = TrimBlanks(part.substr(0, equals));
            if (strcasecmp(key.c_str(), "pwd") == 0)
                result.password = part.substr(equals + 1);
        }
        start = end + 1;
    }
    return result;
}

} // namespace qeldao
