// CX32Peer: plays the X32 CASE tool for the add-on's X32 link. It serves "wxedt" (topic
// "DEBUGTOPIC") and hands every execute string it takes to its log, one line each; it is
// a client of the add-on's "xdebug" (topic "XDEBUGTOPIC"), connected with a context as X32
// would, and sends it the lines of a script. Script words of its own: "fail N" refuses
// the N-th execute string that comes after it, "drop" ends the conversation with the
// add-on's service, "sleep MS" waits and answers the add-on meanwhile, "exit" ends the
// peer; every other line is sent.
//
// One peer per process; it runs on the thread that starts it, whose messages must be
// taken (CX32PeerThread does that on a thread of its own).
#pragma once

#include <ddeml.h>
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CX32Peer {
public:
    explicit CX32Peer(std::function<void(const std::string &)> log);
    ~CX32Peer();
    CX32Peer(const CX32Peer &) = delete;
    CX32Peer &operator=(const CX32Peer &) = delete;

    // Registers "wxedt"; false when DDE cannot start or another peer runs.
    bool Start();
    // Carries out one script line; false once it was "exit".
    bool Run(const std::string &line);
    // The add-on had a conversation with the peer's service, and none is left.
    bool Abandoned() const;
    void Stop();

private:
    friend class X32PeerCallbacks;
    void Wait(DWORD milliseconds);
    std::function<void(const std::string &)> log_;
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    HSZ addOnService_ = nullptr;
    HSZ addOnTopic_ = nullptr;
    HCONV toAddOn_ = nullptr;
    int served_ = 0;        // conversations of the add-on with the service, open now
    bool everServed_ = false;
    long executes_ = 0;     // execute strings taken since the last "fail"
    long failAt_ = 0;       // 0: none to refuse
};

// A peer on a thread of its own, for tests in one process.
class CX32PeerThread {
public:
    CX32PeerThread();
    ~CX32PeerThread();
    CX32PeerThread(const CX32PeerThread &) = delete;
    CX32PeerThread &operator=(const CX32PeerThread &) = delete;

    bool Started() const { return started_; }
    // Queues a script line for the peer's thread.
    void Run(const std::string &line);
    // True when every queued line has been carried out.
    bool Idle();
    std::vector<std::string> Log();

private:
    void Main();
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::string> lines_;
    std::vector<std::string> log_;
    bool busy_ = false;
    bool stop_ = false;
    bool ready_ = false;
    bool started_ = false;
    std::thread thread_;
};
