// The sockets of DDE services and conversations (inside this layer only).
//
// Each registered service listens on a socket in the DDE folder named by its service
// (lowercased, with any byte but letters, digits, "-" and "_" written as %XX), the
// process and a number, so that services of one name, blind to case, are found together.
#pragma once

#include "basetypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qelwin::dde {

// The folder, made when needed; empty when it cannot be used (made by someone else, open
// to others, or not a folder).
std::string DdeFolder();

// The service's name as it stands in a socket's name.
std::string ServiceKey(const std::string &service);

struct Listener {
    int fd = -1;
    std::string path;
};
// A socket that listens for conversations with `service`; fd -1 when none can be made.
Listener ListenForService(const std::string &service);
// The sockets that listen for `service`, blind to case, in a stable order.
std::vector<std::string> ServiceSockets(const std::string &service);
// A connected socket, or -1. A socket that no process listens on any more is removed.
int ConnectToSocket(const std::string &path);

// A send on the socket waits a few seconds at most.
void LimitSendWait(int fd);
// Writes all of it, waiting at most a few seconds for a partner that does not read;
// false when the partner is gone or stuck.
bool SendAll(int fd, const std::vector<uint8_t> &bytes);

} // namespace qelwin::dde
