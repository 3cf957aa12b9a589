// The requests that qelhost query answers: for each request code, the IQelSymbol method
// that asks it and the Get method that fetches its answer, unpacked into tag records.
#pragma once

#include "qelhostrequestline.h"

#include <qelsymbol.h>

#include <chrono>
#include <string>
#include <vector>

namespace QelHost {

// One argument of a request method: `number` for a number, `text` for a text.
struct RequestArgument {
    LONG number = 0;
    std::string text;
};

// What a request came to.
struct RequestAnswer {
    // S_OK, or the failure of the request method or of the Get method.
    HRESULT result = S_OK;
    // The Get method succeeded, but its arrays do not have the form of the records'
    // kind (the unpacking's failure in `unpacking`); there are no records then.
    bool malformed = false;
    HRESULT unpacking = S_OK;
    std::vector<std::string> records; // the record lines (qelhostrecords.h)
    std::chrono::steady_clock::time_point unpacked; // when the records were unpacked, or the failure known
};

struct RequestCode {
    LONG code;
    // Whether the server answers the request when it holds no program database; it keeps
    // the others until a program is loaded.
    bool withoutProgram;
    // The kinds of the method's arguments in their order, 'n' number and 't' text.
    const char *kinds;
    // Calls the method with `arguments` and the requester in *request; the request id in it after.
    HRESULT (*submit)(IQelSymbol *symbol, const std::vector<RequestArgument> &arguments, int *request);
    // Fetches the finished request `request` with the Get method and unpacks its records.
    RequestAnswer (*fetch)(IQelSymbol *symbol, LONG code, int request);
};

// The request that `tokens` spell, its code first; false, with the reason, for an unknown
// code, another number of arguments than the code's method takes, or a text where a
// number belongs.
bool BindRequest(const std::vector<RequestToken> &tokens, const RequestCode **code,
                 std::vector<RequestArgument> &arguments, std::string *reason);

} // namespace QelHost
