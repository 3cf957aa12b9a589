#include "registeredmessages.h"

#include "lasterror.h"
#include "winerror.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

const UINT kFirstRegisteredMessage = 0xC000;
const UINT kLastRegisteredMessage = 0xFFFF;
const size_t kMaxNameLength = 255; // Windows' limit of an atom's name

struct RegisteredMessages {
    std::mutex lock;
    std::unordered_map<std::string, UINT> numbers; // by the name in upper case
};

// Never destroyed: any module may register while the process exits.
RegisteredMessages &Registered()
{
    static RegisteredMessages *registered = new RegisteredMessages;
    return *registered;
}

} // namespace

UINT RegisterWindowMessageA(LPCSTR name)
{
    size_t length = name != nullptr ? strnlen(name, kMaxNameLength + 1) : 0;
    if (length == 0 || length > kMaxNameLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string key(name, length);
    for (char &c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    RegisteredMessages &registered = Registered();
    std::lock_guard<std::mutex> hold(registered.lock);
    auto found = registered.numbers.find(key);
    if (found != registered.numbers.end())
        return found->second;
    if (registered.numbers.size() > kLastRegisteredMessage - kFirstRegisteredMessage) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT number = kFirstRegisteredMessage + static_cast<UINT>(registered.numbers.size());
    registered.numbers.emplace(std::move(key), number);
    return number;
}
