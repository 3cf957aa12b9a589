#include "hostecdebug.h"

#include "hosteventsources.h"
#include "qelhostscript.h"

namespace QelHost {

namespace {

CComVariant Long(LONG value)
{
    CComVariant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

} // namespace

typedef CHostEventPoint<CHostEcDebug, &DIID__IEcDebugEvents> EcDebugFirstPoint;
typedef CHostEventPoint<CHostEcDebug, &DIID__IEcDebugEvents2> EcDebugSecondPoint;

class CHostEcDebug : public CComObjectRootEx<CComMultiThreadModel>,
                     public IEcDebug,
                     public IEcDebug2,
                     public IConnectionPointContainerImpl<CHostEcDebug>,
                     public EcDebugFirstPoint,
                     public EcDebugSecondPoint {
public:
    BEGIN_COM_MAP(CHostEcDebug)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IEcDebug)
        COM_INTERFACE_ENTRY(IEcDebug)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        {nullptr, &CHostEcDebug::QuerySecond},
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CHostEcDebug)
        CONNECTION_POINT_ENTRY(DIID__IEcDebugEvents)
        CONNECTION_POINT_ENTRY(DIID__IEcDebugEvents2)
    END_CONNECTION_POINT_MAP()

    void SetShared(std::shared_ptr<EcDebugShared> shared)
    {
        m_shared = std::move(shared);
        std::lock_guard<std::mutex> hold(m_shared->lock);
        m_shared->newest = this;
    }
    void FinalRelease()
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        if (m_shared->newest == this)
            m_shared->newest = nullptr;
    }

    CComVariant Fire(int iface, DISPID dispid, std::vector<CComVariant> args)
    {
        return iface == 1 ? EcDebugFirstPoint::FireEvent(dispid, std::move(args))
                          : EcDebugSecondPoint::FireEvent(dispid, std::move(args));
    }
    int Sinks(int iface)
    {
        ObjectLock hold(this);
        int count = 0;
        CComDynamicUnkArray &sinks = iface == 1 ? EcDebugFirstPoint::m_vec : EcDebugSecondPoint::m_vec;
        for (IUnknown **sink = sinks.begin(); sink < sinks.end(); ++sink)
            count += *sink != nullptr ? 1 : 0;
        return count;
    }

    // The slots that no caller has: recorded as well, so a stray call shows.
    STDMETHODIMP Slot03() override { return Note(0, 3, {}); }
    STDMETHODIMP Slot04() override { return Note(0, 4, {}); }
    STDMETHODIMP Slot05() override { return Note(0, 5, {}); }
    STDMETHODIMP Slot06() override { return Note(0, 6, {}); }
    STDMETHODIMP Slot07() override { return Note(0, 7, {}); }
    STDMETHODIMP Slot08() override { return Note(0, 8, {}); }
    STDMETHODIMP Slot09() override { return Note(2, 9, {}); }
    STDMETHODIMP Slot11() override { return Note(1, 11, {}); }
    STDMETHODIMP Slot16() override { return Note(1, 16, {}); }
    STDMETHODIMP Slot19() override { return Note(1, 19, {}); }
    STDMETHODIMP Slot20() override { return Note(1, 20, {}); }
    STDMETHODIMP Slot22() override { return Note(1, 22, {}); }
    STDMETHODIMP Slot23() override { return Note(1, 23, {}); }
    STDMETHODIMP Slot24() override { return Note(1, 24, {}); }
    STDMETHODIMP Slot25() override { return Note(1, 25, {}); }
    STDMETHODIMP Slot27() override { return Note(1, 27, {}); }
    STDMETHODIMP Slot28() override { return Note(1, 28, {}); }
    STDMETHODIMP Slot29() override { return Note(1, 29, {}); }
    STDMETHODIMP Slot30() override { return Note(1, 30, {}); }
    STDMETHODIMP Slot31() override { return Note(1, 31, {}); }

    STDMETHODIMP ShowPosition(BSTR file, LONG line) override { return Note(1, 9, {CComVariant(file), Long(line)}); }
    STDMETHODIMP ShowRunning() override { return Note(1, 10, {}); }
    STDMETHODIMP ShowStepOverPosition(BSTR file, LONG line) override
    {
        return Note(1, 12, {CComVariant(file), Long(line)});
    }
    STDMETHODIMP ShowStepIntoPosition(BSTR file, LONG line) override
    {
        return Note(1, 13, {CComVariant(file), Long(line)});
    }
    STDMETHODIMP ShowStepOutPosition(BSTR file, LONG line) override
    {
        return Note(1, 14, {CComVariant(file), Long(line)});
    }
    STDMETHODIMP EndDebugging() override { return Note(1, 15, {}); }
    STDMETHODIMP ShowStopped() override { return Note(1, 17, {}); }
    STDMETHODIMP ShowValue(BSTR name, VARIANT value) override
    {
        CComVariant copy;
        copy.Copy(&value);
        return Note(1, 18, {CComVariant(name), copy});
    }
    STDMETHODIMP Init(BSTR name) override { return Note(1, 21, {CComVariant(name)}); }
    STDMETHODIMP SetBreakpoint(BSTR file, LONG line, LONG enabled, LONG flag) override
    {
        return Note(1, 26, {CComVariant(file), Long(line), Long(enabled), Long(flag)});
    }
    STDMETHODIMP RemoveAllBreakpoints(LONG flag) override { return Note(1, 32, {Long(flag)}); }
    STDMETHODIMP SetRunMode(LONG mode) override { return Note(2, 10, {Long(mode)}); }

private:
    static HRESULT QuerySecond(void *self, REFIID iid, void **ppv)
    {
        auto *object = static_cast<CHostEcDebug *>(self);
        if (iid != qel_uuidof<IEcDebug2>())
            return E_NOINTERFACE;
        {
            std::lock_guard<std::mutex> hold(object->m_shared->lock);
            if (object->m_shared->refuseSecond)
                return E_NOINTERFACE;
        }
        *ppv = static_cast<IEcDebug2 *>(object);
        object->AddRef();
        return S_OK;
    }
    // Slots 3 to 8 stand in both interfaces; they count as IEcDebug's.
    HRESULT Note(int iface, int slot, std::vector<CComVariant> values)
    {
        if (iface == 0)
            iface = 1;
        std::function<void(const EcDebugCall &)> action;
        EcDebugCall call{iface, slot, std::move(values)};
        HRESULT answer = S_OK;
        {
            std::lock_guard<std::mutex> hold(m_shared->lock);
            m_shared->calls.push_back(call);
            auto failure = m_shared->failures.find({iface, slot});
            if (failure != m_shared->failures.end())
                answer = failure->second;
            action = m_shared->onCall;
        }
        // Outside the lock: the action may call the double again. The object is held
        // through it, as a server holds itself while it serves a call.
        if (action) {
            CComPtr<IEcDebug> self(this);
            action(call);
        }
        return answer;
    }

    std::shared_ptr<EcDebugShared> m_shared;
};

namespace {

class CHostEcDebugFactory : public CComObjectRootEx<CComMultiThreadModel>, public IClassFactory {
public:
    BEGIN_COM_MAP(CHostEcDebugFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    void SetShared(std::shared_ptr<EcDebugShared> shared) { m_shared = std::move(shared); }

    STDMETHODIMP CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        CComObject<CHostEcDebug> *object = nullptr;
        HRESULT hr = CComObject<CHostEcDebug>::CreateInstance(&object);
        if (FAILED(hr))
            return hr;
        object->AddRef();
        object->SetShared(m_shared);
        hr = object->QueryInterface(riid, ppvObject);
        object->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<EcDebugShared> m_shared;
};

} // namespace

EcDebugDouble::EcDebugDouble() : m_shared(std::make_shared<EcDebugShared>()) {}

EcDebugDouble::~EcDebugDouble()
{
    Off();
}

HRESULT EcDebugDouble::On(bool offerSecond)
{
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        m_shared->refuseSecond = !offerSecond;
    }
    if (m_cookie != 0)
        return S_OK;
    CComObject<CHostEcDebugFactory> *factory = nullptr;
    HRESULT hr = CComObject<CHostEcDebugFactory>::CreateInstance(&factory);
    if (FAILED(hr))
        return hr;
    factory->SetShared(m_shared);
    factory->AddRef();
    hr = CoRegisterClassObject(CLSID_EcDebug, static_cast<IClassFactory *>(factory), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, &m_cookie);
    factory->Release(); // the class table holds it now
    if (FAILED(hr))
        m_cookie = 0;
    return hr;
}

void EcDebugDouble::Off()
{
    if (m_cookie != 0)
        CoRevokeClassObject(m_cookie);
    m_cookie = 0;
}

void EcDebugDouble::SetFailure(int iface, int slot, HRESULT hr)
{
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->failures[{iface, slot}] = hr;
}

std::vector<EcDebugCall> EcDebugDouble::TakeCalls()
{
    std::lock_guard<std::mutex> hold(m_shared->lock);
    std::vector<EcDebugCall> calls;
    calls.swap(m_shared->calls);
    return calls;
}

void EcDebugDouble::OnCall(std::function<void(const EcDebugCall &)> action)
{
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->onCall = std::move(action);
}

CComPtr<IEcDebug> EcDebugDouble::Newest()
{
    std::lock_guard<std::mutex> hold(m_shared->lock);
    return CComPtr<IEcDebug>(m_shared->newest);
}

std::string FormatEcDebugCall(const EcDebugCall &call)
{
    std::string line = (call.iface == 2 ? "2:" : "") + std::to_string(call.slot);
    for (const CComVariant &value : call.values)
        line += " " + FormatValue(value);
    return line;
}

bool EcDebugEventOut(int iface, DISPID dispid, size_t index)
{
    return iface == 2 && dispid == 2 && (index == 2 || index == 3);
}

bool EcDebugDouble::Fire(int iface, DISPID dispid, const std::vector<CComVariant> &args, HRESULT *answer,
                         std::vector<CComVariant> *outs)
{
    CComPtr<IEcDebug> object;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        object = m_shared->newest;
    }
    if (object == nullptr)
        return false;
    // The out arguments live here through the call; what the sink leaves in them is read
    // afterwards, and what it put there is freed, as a caller of an [out] argument does.
    std::vector<BSTR> texts(args.size(), nullptr);
    std::vector<LONG> numbers(args.size(), 0);
    std::vector<CComVariant> passed;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!EcDebugEventOut(iface, dispid, i)) {
            passed.push_back(args[i]);
            continue;
        }
        CComVariant byReference;
        if (args[i].vt == VT_BSTR) {
            texts[i] = args[i].bstrVal;
            byReference.vt = VT_BYREF | VT_BSTR;
            byReference.pbstrVal = &texts[i];
        } else {
            CComVariant number;
            numbers[i] = SUCCEEDED(number.ChangeType(VT_I4, &args[i])) ? number.lVal : 0;
            byReference.vt = VT_BYREF | VT_I4;
            byReference.plVal = &numbers[i];
        }
        passed.push_back(byReference);
    }
    CComVariant result = static_cast<CHostEcDebug *>(static_cast<IEcDebug *>(object.p))->Fire(iface, dispid, passed);
    *answer = result.vt == VT_I4 || result.vt == VT_ERROR ? result.lVal : S_OK;
    if (outs != nullptr)
        outs->clear();
    for (size_t i = 0; i < args.size(); ++i) {
        if (!EcDebugEventOut(iface, dispid, i))
            continue;
        if (passed[i].vt == (VT_BYREF | VT_BSTR)) {
            if (outs != nullptr)
                outs->push_back(CComVariant(texts[i]));
            // The given text is the caller's own (args); only a new one is the sink's.
            if (texts[i] != args[i].bstrVal)
                SysFreeString(texts[i]);
        } else if (outs != nullptr) {
            outs->push_back(Long(numbers[i]));
        }
        passed[i].vt = VT_EMPTY;
    }
    return true;
}

int EcDebugDouble::Sinks(int iface)
{
    CComPtr<IEcDebug> object;
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        object = m_shared->newest;
    }
    return object != nullptr ? static_cast<CHostEcDebug *>(static_cast<IEcDebug *>(object.p))->Sinks(iface) : 0;
}

} // namespace QelHost
