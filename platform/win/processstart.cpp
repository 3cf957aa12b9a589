#include "processstart.h"

#include "kernelobject.h"
#include "lasterror.h"
#include "threadobjects.h"
#include "waits.h"
#include "winerror.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr char kIdleVariable[] = "QEL_INPUT_IDLE_FD";
// The number the idle descriptor gets in the child: the first after standard error.
constexpr int kChildIdleFd = 3;

class Process : public qelwin::WaitableObject {
public:
    Process(pid_t pid, int idleFd) : pid_(pid), idleFd_(idleFd) {}
    ~Process() override { close(idleFd_); }

    pid_t Pid() const { return pid_; }

    // On the reaper thread, which holds the object until the child is reaped.
    void Reap()
    {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        std::lock_guard<std::mutex> hold(lock_);
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        ended_ = true;
        changed_.notify_all();
    }

    DWORD ExitCode()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return ended_ ? exitCode_ : STILL_ACTIVE;
    }

    DWORD WaitForIdle(DWORD milliseconds)
    {
        std::lock_guard<std::mutex> hold(idleLock_);
        if (idle_)
            return 0;
        pollfd polled = {idleFd_, POLLIN, 0};
        int timeout = milliseconds == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(milliseconds, 0x7FFFFFFF));
        int ready;
        while ((ready = poll(&polled, 1, timeout)) < 0 && errno == EINTR) {
        }
        if (ready == 0)
            return WAIT_TIMEOUT;
        char byte = 0;
        // The end of the pipe without a byte: the child is gone and never was idle.
        if (ready < 0 || read(idleFd_, &byte, 1) != 1)
            return WAIT_FAILED;
        idle_ = true;
        return 0;
    }

protected:
    bool TryAcquire() override { return ended_; }

private:
    const pid_t pid_;
    const int idleFd_;
    bool ended_ = false;
    DWORD exitCode_ = 0;
    std::mutex idleLock_;
    bool idle_ = false;
};

// The child's only thread, as a handle of its own.
class ProcessThread : public qelwin::KernelObject {
public:
    explicit ProcessThread(std::shared_ptr<Process> process) : process_(std::move(process)) {}

private:
    std::shared_ptr<Process> process_;
};

std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> variables;
    size_t nameLength = strlen(kIdleVariable);
    for (char **entry = environ; *entry != nullptr; ++entry) {
        if (strncmp(*entry, kIdleVariable, nameLength) != 0 || (*entry)[nameLength] != '=')
            variables.emplace_back(*entry);
    }
    variables.push_back(std::string(kIdleVariable) + "=" + std::to_string(kChildIdleFd));
    return variables;
}

DWORD SpawnError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_BAD_FORMAT;
    }
}

} // namespace

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation)
{
    if (applicationName == nullptr || *applicationName == '\0' || commandLine != nullptr || inheritHandles ||
        (creationFlags & ~NORMAL_PRIORITY_CLASS) != 0 || environment != nullptr || currentDirectory != nullptr ||
        startupInfo == nullptr || processInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int idle[2];
    if (pipe2(idle, O_CLOEXEC) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, idle[1], kChildIdleFd);
    posix_spawn_file_actions_addclosefrom_np(&actions, kChildIdleFd + 1);
    std::vector<std::string> variables = ChildEnvironment();
    std::vector<char *> envp;
    for (std::string &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string path = applicationName;
    char *argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(idle[1]);
    if (error != 0) {
        close(idle[0]);
        SetLastError(SpawnError(error));
        return FALSE;
    }
    auto process = std::make_shared<Process>(pid, idle[0]);
    std::thread([process] { process->Reap(); }).detach();
    processInformation->hProcess = qelwin::InsertHandle(process);
    processInformation->hThread = qelwin::InsertHandle(std::make_shared<ProcessThread>(process));
    processInformation->dwProcessId = static_cast<DWORD>(pid);
    processInformation->dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
}

DWORD WaitForInputIdle(HANDLE handle, DWORD milliseconds)
{
    std::shared_ptr<Process> process = qelwin::FindHandle<Process>(handle);
    return process != nullptr ? process->WaitForIdle(milliseconds) : WAIT_FAILED;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exitCode)
{
    std::shared_ptr<Process> process = qelwin::FindHandle<Process>(handle);
    if (process == nullptr)
        return FALSE;
    if (exitCode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *exitCode = process->ExitCode();
    return TRUE;
}

void qelwin::ReportInputIdle()
{
    static std::once_flag reported;
    std::call_once(reported, [] {
        const char *named = getenv(kIdleVariable);
        if (named == nullptr)
            return;
        char *end = nullptr;
        long fd = strtol(named, &end, 10);
        struct stat info;
        // Only the pipe that the parent gave: a number left in the environment by anyone
        // else names no descriptor of ours to write into.
        if (end == named || *end != '\0' || fd < 0 || fd > 1024 || fstat(static_cast<int>(fd), &info) != 0 ||
            !S_ISFIFO(info.st_mode))
            return;
        char byte = 1;
        [[maybe_unused]] ssize_t written = write(static_cast<int>(fd), &byte, 1);
        close(static_cast<int>(fd));
    });
}
