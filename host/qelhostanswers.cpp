#include "qelhostanswers.h"

#include "hostreports.h"

#include <symbolengineerrortext.h>

namespace QelHost {

std::string Escaped(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

int StatusOf(HRESULT hr)
{
    if (hr == S_OK)
        return 0;
    if ((static_cast<ULONG>(hr) & 0xFFFF0000u) == 0x80040000u)
        return static_cast<int>(static_cast<ULONG>(hr) & 0xFFFF) - 0x4000;
    return -1;
}

std::string ErrorText(IQelSymbSrv *server, int status)
{
    CComBSTR text;
    if (server->GetErrorInfo(&text) == S_OK && text.m_str != nullptr) {
        std::string error = AnsiText(text.m_str);
        size_t colon = error.find(":\n");
        return colon != std::string::npos ? error.substr(colon + 2) : error;
    }
    return static_cast<LPCSTR>(GetSymbolEngineErrorText(&status));
}

} // namespace QelHost
