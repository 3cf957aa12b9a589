#include "hosttarget.h"

#include "hostcommobject.h"
#include "hostcomplexmemory.h"
#include "hostimages.h"

#include <elfformat.h>

#include <algorithm>

namespace QelHost {

namespace {

size_t PortIndex(MemoryPort port)
{
    return static_cast<size_t>(port);
}

// Maps every block of `blocks` and puts its file bytes in.
void LayBlocks(HostMemory &memory, const std::vector<HostMemoryBlock> &blocks)
{
    for (const HostMemoryBlock &block : blocks) {
        memory.Map(block.address, block.size);
        if (block.bytes != nullptr)
            memory.Write(block.address, block.fileSize, block.bytes);
    }
}

} // namespace

HRESULT CHostTarget::FinalConstruct()
{
    HRESULT hr = CreateEventSource(&m_stateSource.p);
    if (SUCCEEDED(hr))
        hr = CreateEventSource(&m_patternSource.p);
    return hr;
}

bool CHostTarget::MapMemory(DWORD start, uint64_t length)
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_memory.Map(start, length);
}

bool CHostTarget::Access(const MemoryAccess &access, BYTE *readBuffer, const BYTE *writeBuffer)
{
    std::lock_guard<std::mutex> hold(m_lock);
    MemoryCounters &counters = m_counters[PortIndex(access.port)];
    (access.write ? counters.writes : counters.reads)++;
    bool done = !(m_chooser && m_chooser(access)) &&
                (access.write ? m_memory.Write(access.address, access.count, writeBuffer)
                              : m_memory.Read(access.address, access.count, readBuffer));
    if (!done)
        counters.failures++;
    return done;
}

bool CHostTarget::ReadMemory(MemoryPort port, DWORD address, DWORD count, BYTE *buffer)
{
    if (buffer == nullptr && count != 0)
        return false;
    return Access({port, false, address, count}, buffer, nullptr);
}

bool CHostTarget::WriteMemory(MemoryPort port, DWORD address, DWORD count, const BYTE *buffer)
{
    if (buffer == nullptr && count != 0)
        return false;
    return Access({port, true, address, count}, nullptr, buffer);
}

bool CHostTarget::Download(DWORD start, DWORD length, const BYTE *data)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_memory.Map(start, length))
        return false;
    return data == nullptr || m_memory.Write(start, length, data);
}

MemoryCounters CHostTarget::Counters(MemoryPort port) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_counters[PortIndex(port)];
}

DWORD CHostTarget::LastSpace() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_lastSpace;
}

void CHostTarget::NoteSpace(DWORD space)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_lastSpace = space;
}

void CHostTarget::SetFailureChooser(std::function<bool(const MemoryAccess &)> chooser)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_chooser = std::move(chooser);
}

bool CHostTarget::LoadProgram(const char *path, std::string *reason)
{
    std::vector<BYTE> bytes;
    HostProgramImage image;
    if (!ReadHostFile(path, &bytes, reason) || !ReadHostProgram(bytes.data(), bytes.size(), &image, reason))
        return false;
    HostMemory memory;
    LayBlocks(memory, image.blocks);
    std::lock_guard<std::mutex> hold(m_lock);
    m_memory = std::move(memory);
    TargetPreset preset = image.machine == EM_ARM       ? TargetPreset::Arm
                          : image.machine == EM_TRICORE ? TargetPreset::TriCore
                                                        : m_registers.Preset();
    m_registers = HostRegisters(preset);
    m_registers.SetPc(image.entry);
    m_hasPc = true;
    return true;
}

bool CHostTarget::LoadCore(const char *path, std::string *reason)
{
    std::vector<BYTE> bytes;
    return ReadHostFile(path, &bytes, reason) && LoadCoreBytes(bytes.data(), bytes.size(), reason);
}

bool CHostTarget::LoadCoreBytes(const BYTE *data, size_t size, std::string *reason)
{
    HostCoreImage image;
    if (!ReadHostCore(data, size, &image, reason))
        return false;
    std::lock_guard<std::mutex> hold(m_lock);
    // Beyond its file bytes a segment keeps what the program put there: a core leaves
    // out what it did not change.
    LayBlocks(m_memory, image.blocks);
    m_registers = HostRegisters(TargetPreset::Arm);
    for (size_t r = 0; r < HostCoreImage::kRegisterCount; ++r)
        m_registers.Write(static_cast<LONG>(r), image.registers[r]);
    m_hasPc = true;
    return true;
}

void CHostTarget::SetPreset(TargetPreset preset)
{
    std::lock_guard<std::mutex> hold(m_lock);
    ULONG pc = m_registers.Pc();
    m_registers = HostRegisters(preset);
    if (m_hasPc)
        m_registers.SetPc(pc);
}

TargetPreset CHostTarget::Preset() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_registers.Preset();
}

std::vector<std::string> CHostTarget::RegisterNames() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_registers.Names();
}

bool CHostTarget::RegisterValue(LONG id, ULONG *value) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_registers.Read(id, value);
}

bool CHostTarget::GetPc(ULONG *pc) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_hasPc)
        return false;
    *pc = m_registers.Pc();
    return true;
}

void CHostTarget::SetPc(ULONG pc)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_registers.SetPc(pc);
    m_hasPc = true;
}

ULONG CHostTarget::RunState() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_runState;
}

void CHostTarget::ChangeState(ULONG newState)
{
    ULONG oldState;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        oldState = m_runState;
        m_runState = newState;
    }
    m_stateSource->FireStateChange(oldState, newState);
}

// A sink may drop the last reference to the debug server, and with it this target,
// while an event is delivered: each method keeps the target until its events are out.
void CHostTarget::Run()
{
    CComPtr<IQelTargetAccess> keep(this);
    ChangeState(kTargetRunning);
}

void CHostTarget::Stop(ULONG pc)
{
    CComPtr<IQelTargetAccess> keep(this);
    SetPc(pc);
    ChangeState(kTargetStopped);
    m_stateSource->FireStateNotify(pc, 0xFFFFFFFF);
    std::vector<CHostCommObject *> objects;
    {
        std::lock_guard<std::mutex> hold(m_commLock);
        for (CHostCommObject *object : m_commObjects) {
            if (object->TryAddRef())
                objects.push_back(object);
        }
    }
    for (CHostCommObject *object : objects) {
        object->OnStop();
        object->GetUnknown()->Release();
    }
    std::vector<std::pair<HWND, UINT>> windows;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        windows = m_refreshWindows;
    }
    for (const auto &[window, message] : windows)
        PostMessageA(window, message, 0, 0);
}

void CHostTarget::AddCommObject(CHostCommObject *object)
{
    std::lock_guard<std::mutex> hold(m_commLock);
    m_commObjects.push_back(object);
}

void CHostTarget::RemoveCommObject(CHostCommObject *object)
{
    std::lock_guard<std::mutex> hold(m_commLock);
    m_commObjects.erase(std::remove(m_commObjects.begin(), m_commObjects.end(), object), m_commObjects.end());
}

ULONG CHostTarget::HostState() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_hasPc || m_runState == kTargetRunning ? m_runState : QEL_TARGET_NONE;
}

void CHostTarget::RegisterRefreshWindow(HWND window, UINT message)
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto &entry : m_refreshWindows) {
        if (entry.first == window) {
            entry.second = message;
            return;
        }
    }
    m_refreshWindows.emplace_back(window, message);
}

bool CHostTarget::UnregisterRefreshWindow(HWND window)
{
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto entry = m_refreshWindows.begin(); entry != m_refreshWindows.end(); ++entry) {
        if (entry->first == window) {
            m_refreshWindows.erase(entry);
            return true;
        }
    }
    return false;
}

void CHostTarget::SetRunningAccess(RunningAccess access)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_runningAccess = access;
}

RunningAccess CHostTarget::GetRunningAccess() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_runningAccess;
}

void CHostTarget::Pattern(UINT code)
{
    CComPtr<IQelTargetAccess> keep(this);
    m_patternSource->FirePatternBegin(code);
    m_patternSource->FirePatternEnd(code, 0);
}

HRESULT CHostTarget::CreateComplexMemory(IQelComplexMemory **ppMemory)
{
    if (ppMemory == nullptr)
        return E_POINTER;
    *ppMemory = nullptr;
    CComObject<CHostComplexMemory> *memory = nullptr;
    HRESULT hr = CComObject<CHostComplexMemory>::CreateInstance(&memory);
    if (FAILED(hr))
        return hr;
    memory->AddRef();
    memory->SetTarget(this);
    *ppMemory = memory;
    return S_OK;
}

STDMETHODIMP CHostTarget::GetRegisterId(BSTR name, LONG *pId)
{
    if (pId == nullptr)
        return E_POINTER;
    *pId = -1;
    if (name == nullptr)
        return E_INVALIDARG;
    std::string text;
    for (UINT i = 0; i < SysStringLen(name); ++i) {
        if (name[i] == 0 || name[i] > 0x7F)
            return E_INVALIDARG; // no register has such a name
        text += static_cast<char>(name[i]);
    }
    std::lock_guard<std::mutex> hold(m_lock);
    *pId = m_registers.Find(text);
    return *pId >= 0 ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostTarget::ReadRegister(LONG id, ULONG *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    return m_registers.Read(id, pValue) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostTarget::WriteRegister(LONG id, ULONG *pValue)
{
    if (pValue == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    return m_registers.Write(id, *pValue) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CHostTarget::GetCurrentAddress(ULONG *pAddress)
{
    if (pAddress == nullptr)
        return E_POINTER;
    return GetPc(pAddress) ? S_OK : E_FAIL;
}

STDMETHODIMP CHostTarget::PointerToLinear(LONG kind, ULONG high, ULONG low, ULONG *pLinear)
{
    if (pLinear == nullptr)
        return E_POINTER;
    std::lock_guard<std::mutex> hold(m_lock);
    return m_registers.PointerToLinear(kind, high, low, pLinear) ? S_OK : E_INVALIDARG;
}

} // namespace QelHost
