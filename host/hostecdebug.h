// The EasyCODE double: it plays EasyCODE's debug object for the add-on's EasyCODE link.
//
// Its class is registered for CLSID_EcDebug only while it is switched on, so that a
// machine without EasyCODE is one where creating it answers REGDB_E_CLASSNOTREG. Each
// object made records every call of IEcDebug and IEcDebug2 (in the order they come, of
// all objects), answers the HRESULT chosen for the slot (S_OK unless chosen), may refuse
// IEcDebug2, and offers the points of both event interfaces, whose events the double
// fires to the newest object's sinks.
#pragma once

#include <atlbase.h>
#include <ecdebug.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

// The interfaces as the double numbers them: 1 IEcDebug and _IEcDebugEvents, 2 IEcDebug2
// and _IEcDebugEvents2.
struct EcDebugCall {
    int iface;
    int slot;
    std::vector<CComVariant> values;
};

class CHostEcDebug;

// What the objects of the double share with their controller.
struct EcDebugShared {
    std::mutex lock;
    std::vector<EcDebugCall> calls;
    std::map<std::pair<int, int>, HRESULT> failures;
    bool refuseSecond = false;
    CHostEcDebug *newest = nullptr; // no reference: each object takes itself out as it goes
    std::function<void(const EcDebugCall &)> onCall;
};

class EcDebugDouble {
public:
    EcDebugDouble();
    ~EcDebugDouble();
    EcDebugDouble(const EcDebugDouble &) = delete;
    EcDebugDouble &operator=(const EcDebugDouble &) = delete;

    // Registers the class (again, with the given IEcDebug2 choice); Off revokes it. The
    // objects made before stay as they are.
    HRESULT On(bool offerSecond);
    void Off();
    bool IsOn() const { return m_cookie != 0; }
    // The answer of `slot` of `iface` from now on.
    void SetFailure(int iface, int slot, HRESULT hr);
    // The calls since the last TakeCalls.
    std::vector<EcDebugCall> TakeCalls();
    // Runs `action` inside each call that an object receives from now on, after it is
    // recorded, as a tool that calls back or pumps its messages meanwhile would; an empty
    // action ends it.
    void OnCall(std::function<void(const EcDebugCall &)> action);
    // The newest object, held for the caller (as EasyCODE stays when the add-on lets its
    // object go); NULL when none lives.
    CComPtr<IEcDebug> Newest();
    // Fires event `dispid` of `iface` to the newest object's sinks with `args` (first
    // argument first). The arguments the event takes by reference (dispid 2 of
    // _IEcDebugEvents2: the third and fourth) start as given and come back in *outs.
    // *answer gets what the last sink answered (S_OK when none did). FALSE when no object
    // lives.
    bool Fire(int iface, DISPID dispid, const std::vector<CComVariant> &args, HRESULT *answer,
              std::vector<CComVariant> *outs);
    // The number of sinks connected to the newest object's point of `iface`; 0 without one.
    int Sinks(int iface);

private:
    std::shared_ptr<EcDebugShared> m_shared;
    DWORD m_cookie = 0;
};

// A call as the session prints it: "[2:]SLOT VALUE..." (qelhostscript.h's values).
std::string FormatEcDebugCall(const EcDebugCall &call);

// Whether the event `dispid` of `iface` takes argument `index` (0 the first) by reference.
bool EcDebugEventOut(int iface, DISPID dispid, size_t index);

} // namespace QelHost
