// CHostTarget: the simulated target behind the host's debug-server object, one for each
// (CHostDebugServer::Target). It has memory, registers by preset, a program counter and a
// run state, takes a program file and a core file, and fires the target-state and
// target-pattern events through its two event sources.
//
// It is the target-access object itself (IQelTargetAccess, which the system calls by
// slot on the pointer that command 202 gives), and makes the complex-memory objects over
// the same memory. Any thread may call it: one lock guards its state and is never held
// across a call to another object (the events are fired after it is left).
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include "hosteventsources.h"
#include "hostmemory.h"
#include "hostregisters.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

class CHostCommObject;

// The ways into the target's memory, each with its counters.
enum class MemoryPort { Host, TargetMemory, ComplexMemory };

struct MemoryAccess {
    MemoryPort port;
    bool write;
    DWORD address;
    DWORD count;
};

struct MemoryCounters {
    unsigned reads = 0;
    unsigned writes = 0;
    unsigned failures = 0; // of both
};

// Target states as the target-state events give them.
enum : ULONG { kTargetStopped = 2, kTargetRunning = 3 };

// How the target reaches its memory while it runs: fast, slowly, or not at all.
enum class RunningAccess { Fast, Slow, None };

class CHostTarget : public CComObjectRootEx<CComMultiThreadModel>, public IQelTargetAccess {
public:
    BEGIN_COM_MAP(CHostTarget)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IQelTargetAccess)
        COM_INTERFACE_ENTRY(IQelTargetAccess)
    END_COM_MAP()

    HRESULT FinalConstruct();

    // Memory. MapMemory: FALSE when the range leaves the 32-bit space.
    bool MapMemory(DWORD start, uint64_t length);
    // An access through `port`: TRUE when every byte lies in mapped memory and the
    // failure chooser (below) lets it pass; counted either way.
    bool ReadMemory(MemoryPort port, DWORD address, DWORD count, BYTE *buffer);
    bool WriteMemory(MemoryPort port, DWORD address, DWORD count, const BYTE *buffer);
    MemoryCounters Counters(MemoryPort port) const;
    // A downloaded block, as a real download writes the target: its range mapped, and its
    // bytes written when it has any (a block without bytes reserves its range). Neither
    // counted nor refused by the failure chooser; FALSE when the range leaves the 32-bit
    // space.
    bool Download(DWORD start, DWORD length, const BYTE *data);
    // The memory space named by the last block call of the target-memory interface.
    DWORD LastSpace() const;
    void NoteSpace(DWORD space);
    // Accesses for which `chooser` answers true fail as unmapped ones do; an empty
    // chooser fails none. It is called under the target's lock and must not call back.
    void SetFailureChooser(std::function<bool(const MemoryAccess &)> chooser);

    // The program file: every allocated section at its run address (the memory before
    // is gone), the preset after the machine (ARM or TriCore; another keeps the preset),
    // the program counter at the entry. FALSE, changing nothing, with the reason.
    bool LoadProgram(const char *path, std::string *reason);
    // A core file of an ARM target: the ARM preset, R0-R15 and CPSR from its process
    // status, each loaded segment laid over the memory. FALSE, changing nothing, with the
    // reason.
    bool LoadCore(const char *path, std::string *reason);
    // The same from the bytes of a core file.
    bool LoadCoreBytes(const BYTE *data, size_t size, std::string *reason);

    // Registers. A new preset starts with every register 0 and keeps the program
    // counter, when there is one.
    void SetPreset(TargetPreset preset);
    TargetPreset Preset() const;
    std::vector<std::string> RegisterNames() const;
    bool RegisterValue(LONG id, ULONG *value) const;
    // FALSE when the target stands nowhere yet.
    bool GetPc(ULONG *pc) const;
    void SetPc(ULONG pc);

    // Run state, 2 (stopped) at first. Run: running, and the state change (2, 3). Stop:
    // the program counter at `pc`, stopped, the state change (3, 2) and the state notice
    // (pc, 0xFFFFFFFF). Pattern: pattern begin (code) and pattern end (code, 0). The
    // events reach the sinks on the caller's thread.
    ULONG RunState() const;
    void Run();
    void Stop(ULONG pc);
    // The state as the target-state interface answers it: 1 while the target stands
    // nowhere yet (no program, core or stop) and does not run, else the run state.
    ULONG HostState() const;

    // The windows that get their message, posted, after the events of every stop. A
    // second registration of a window replaces its message; Unregister: FALSE for a
    // window that was not registered.
    void RegisterRefreshWindow(HWND window, UINT message);
    bool UnregisterRefreshWindow(HWND window);

    // Memory access while running, fast at first.
    void SetRunningAccess(RunningAccess access);
    RunningAccess GetRunningAccess() const;
    void Pattern(UINT code);

    // The event sources, whose connection points the debug-server object offers.
    CHostTargetStateSource *StateSource() const { return m_stateSource; }
    CHostPatternSource *PatternSource() const { return m_patternSource; }

    // A new complex-memory object over this target's memory, the caller's reference.
    HRESULT CreateComplexMemory(IQelComplexMemory **ppMemory);
    // The inner communication objects told of each stop, after its events; held without
    // a reference, each takes itself out as it goes.
    void AddCommObject(CHostCommObject *object);
    void RemoveCommObject(CHostCommObject *object);

    // IQelTargetAccess.
    STDMETHODIMP GetRegisterId(BSTR name, LONG *pId) override;
    STDMETHODIMP ReadRegister(LONG id, ULONG *pValue) override;
    STDMETHODIMP WriteRegister(LONG id, ULONG *pValue) override;
    STDMETHODIMP GetCurrentAddress(ULONG *pAddress) override;
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP PointerToLinear(LONG kind, ULONG high, ULONG low, ULONG *pLinear) override;

private:
    bool Access(const MemoryAccess &access, BYTE *readBuffer, const BYTE *writeBuffer);
    void ChangeState(ULONG newState);

    mutable std::mutex m_lock;
    HostMemory m_memory;
    HostRegisters m_registers;
    bool m_hasPc = false;
    ULONG m_runState = kTargetStopped;
    RunningAccess m_runningAccess = RunningAccess::Fast;
    std::vector<std::pair<HWND, UINT>> m_refreshWindows;
    MemoryCounters m_counters[3];
    DWORD m_lastSpace = 0;
    std::function<bool(const MemoryAccess &)> m_chooser;
    CComPtr<CHostTargetStateSource> m_stateSource;
    CComPtr<CHostPatternSource> m_patternSource;
    std::mutex m_commLock;
    std::vector<CHostCommObject *> m_commObjects;
};

} // namespace QelHost
