// How qelhost writes what the symbol server answers: texts made safe for records of
// tab-split fields, and the status and error text of an answer that failed.
#pragma once

#include <atlbase.h>
#include <ole2.h>
#include <qelsymbsrv.h>

#include <string>

namespace QelHost {

// `text` with '\', tab and line end written "\\", "\t" and "\n", so that it fills one
// field of one line.
std::string Escaped(const std::string &text);

// The request status that an answer of the symbol server stands for: 0 for S_OK, the
// status that the server folded into 0x8004xxxx ((HRESULT & 0xFFFF) - 0x4000, as the
// symbol client derives it), -1 for any other failure, which carries no status.
int StatusOf(HRESULT hr);

// The symbol server's own text of its last error, without the server's name before it;
// the symbol engine's text of `status` when the server has none.
std::string ErrorText(IQelSymbSrv *server, int status);

} // namespace QelHost
