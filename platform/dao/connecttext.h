// Jet's connect texts: "MS Access;pwd=secret" for OpenDatabase, and the locale text of
// CreateDatabase, ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=secret".
//
// The text is a list of parts separated by ';'; a part "key=value" sets the key (blind
// to case, blanks around it ignored), the value runs to the next ';' as it stands. A
// part without '=' (the "MS Access" in front) names the kind of database and is
// ignored, as are keys that this engine has no use for. An empty password is none.
#pragma once

#include <string>

namespace qeldao {

struct ConnectText {
    std::string password; // empty: no password
};

ConnectText ParseConnectText(const char *text);

} // namespace qeldao
