// A program on this layer for the tests of DDE and process start, chosen by
// QEL_DDEPEER_MODE: "serve" registers "PeerService" and answers every execute on
// "PeerTopic" with DDE_FACK, after "sleep MS" only once that time has passed, and ends on
// "quit"; "busy" runs for a second without a message loop, so it is never idle; any
// other mode ends at once.
#include "ddeml.h"
#include "windows.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

HDDEDATA CALLBACK Serve(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR)
{
    if (type == XTYP_CONNECT)
        return reinterpret_cast<HDDEDATA>(1);
    if (type != XTYP_EXECUTE)
        return nullptr;
    char text[64] = {};
    DdeGetData(data, reinterpret_cast<LPBYTE>(text), sizeof text - 1, 0);
    if (strncmp(text, "sleep ", 6) == 0)
        usleep(static_cast<useconds_t>(atoi(text + 6)) * 1000);
    if (strcmp(text, "quit") == 0)
        PostQuitMessage(0);
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

} // namespace

int main()
{
    const char *mode = getenv("QEL_DDEPEER_MODE");
    std::string chosen = mode != nullptr ? mode : "";
    if (chosen == "busy") {
        sleep(1);
        return 0;
    }
    if (chosen != "serve")
        return 0;
    DWORD instance = 0;
    if (DdeInitializeA(&instance, &Serve, 0, 0) != DMLERR_NO_ERROR)
        return 1;
    HSZ service = DdeCreateStringHandleA(instance, "PeerService", CP_WINANSI);
    DdeNameService(instance, service, nullptr, DNS_REGISTER);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    DdeFreeStringHandle(instance, service);
    DdeUninitialize(instance);
    return 0;
}
