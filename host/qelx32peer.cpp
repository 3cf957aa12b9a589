// qelx32peer: plays the X32 CASE tool on this platform, for the add-on's X32 link.
// QEL_X32PEER_LOG names the file that gets every execute string the add-on sends, one
// line each; QEL_X32PEER_SCRIPT names the file of lines to send to the add-on (see
// x32peer.h for the words of its own). Once the script is done, the peer serves until the
// add-on has ended its conversation, or "exit".
#include "x32peer.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main()
{
    const char *logPath = getenv("QEL_X32PEER_LOG");
    const char *scriptPath = getenv("QEL_X32PEER_SCRIPT");
    FILE *log = logPath != nullptr ? fopen(logPath, "a") : nullptr;
    CX32Peer peer([log](const std::string &line) {
        if (log != nullptr) {
            fprintf(log, "%s\n", line.c_str());
            fflush(log);
        }
    });
    if (!peer.Start()) {
        fprintf(stderr, "qelx32peer: DDE cannot start\n");
        return 1;
    }
    bool running = true;
    if (scriptPath != nullptr) {
        std::ifstream script(scriptPath);
        std::string line;
        while (running && std::getline(script, line)) {
            // Messages that came meanwhile are answered before the next line goes.
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            running = peer.Run(line);
        }
    }
    UINT_PTR tick = SetTimer(nullptr, 0, 100, nullptr);
    MSG message;
    while (running && !peer.Abandoned() && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    KillTimer(nullptr, tick);
    peer.Stop();
    if (log != nullptr)
        fclose(log);
    return 0;
}
