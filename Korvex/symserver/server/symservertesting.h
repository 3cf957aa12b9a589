// Test support of the symbol-server tests: a debug-server object that aggregates a symbol
// server as the host's does, records the commands sent to it and answers the holder
// interface through a host debug-server object (for the configuration profile); and an
// event sink that records what it is told.
#pragma once

#include <atlbase.h>
#include <debugserver.h>
#include <hostcfgprofile.h>
#include <qelsymbol.h>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace symsrvtest {

struct Command {
    GUID group;
    DWORD id;
};

class CAggregatingHost : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CAggregatingHost)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY_FUNC(IID_IQelHostHolder, QueryHolder)
        COM_INTERFACE_ENTRY_AGGREGATE_BLIND(m_pInner)
    END_COM_MAP()

    // The symbol server of class `clsid`, made by CoCreateInstance with this object as
    // its outer object, and the host object that gives the holder interface.
    HRESULT Aggregate(REFCLSID clsid)
    {
        HRESULT hr = QelHost::CreateDebugServer(QelHost::ControllerConfig(), &m_pHost);
        if (FAILED(hr))
            return hr;
        return CoCreateInstance(clsid, GetUnknown(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void **>(&m_pInner));
    }
    void FinalRelease()
    {
        // The inner object goes first: it may still call its outer object as it ends.
        if (m_pInner != nullptr)
            m_pInner->Release();
        if (m_pHost != nullptr)
            m_pHost->Release();
    }

    // The host's configuration profile.
    QelHost::CHostCfgProfile *Profile()
    {
        CComPtr<IQelHostHolder> holder;
        m_pHost->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder));
        CComPtr<IUnknown> profile;
        holder->GetProfile(&profile);
        return static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
    }

    // The host's window values, which also say how a PCP debugger runs.
    QelHost::CHostWindowValues *WindowValues()
    {
        CComPtr<IQelHostHolder> holder;
        m_pHost->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder));
        CComPtr<IUnknown> values;
        holder->GetWindowValues(&values);
        return static_cast<QelHost::CHostWindowValues *>(static_cast<IQelWindowValues *>(values.p));
    }

    std::vector<Command> Commands()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_commands;
    }

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return S_OK; }
    STDMETHODIMP Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD, VARIANT *, VARIANT *) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_commands.push_back({pguidCmdGroup != nullptr ? *pguidCmdGroup : GUID_NULL, nCmdID});
        return S_OK;
    }

    IUnknown *m_pInner = nullptr;

private:
    static HRESULT QueryHolder(void *self, REFIID iid, void **ppv)
    {
        IUnknown *host = static_cast<CAggregatingHost *>(self)->m_pHost;
        return host != nullptr ? host->QueryInterface(iid, ppv) : E_NOINTERFACE;
    }

    IUnknown *m_pHost = nullptr;
    std::mutex m_lock;
    std::vector<Command> m_commands;
};

// The host object, with the first reference the caller's; null on failure.
inline CComObject<CAggregatingHost> *MakeHost(REFCLSID clsid)
{
    CComObject<CAggregatingHost> *host = nullptr;
    if (FAILED(CComObject<CAggregatingHost>::CreateInstance(&host)))
        return nullptr;
    host->AddRef();
    HRESULT hr = host->Aggregate(clsid);
    EXPECT_EQ(hr, S_OK);
    if (FAILED(hr)) {
        host->Release();
        return nullptr;
    }
    return host;
}

struct Event {
    DISPID dispid;
    std::vector<LONG> args; // in the order the source passed them (last argument first)
};

// A sink of one event interface.
class CRecordingSink : public CComObjectRootEx<CComMultiThreadModel>, public IDispatch {
public:
    BEGIN_COM_MAP(CRecordingSink)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY_FUNC(DIID__SymProcEvents, QueryEvents)
        COM_INTERFACE_ENTRY_FUNC(DIID__SymProcEvents2, QueryEvents)
    END_COM_MAP()

    std::vector<Event> Events()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_events;
    }

    STDMETHODIMP GetTypeInfoCount(UINT *count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
                        UINT *) override
    {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        Event event{dispid, {}};
        for (UINT i = 0; i < params->cArgs; i++) {
            EXPECT_EQ(params->rgvarg[i].vt, VT_I4);
            event.args.push_back(params->rgvarg[i].lVal);
        }
        std::lock_guard<std::mutex> hold(m_lock);
        m_events.push_back(event);
        return S_OK;
    }

private:
    static HRESULT QueryEvents(void *self, REFIID, void **ppv)
    {
        IDispatch *dispatch = static_cast<CRecordingSink *>(self);
        dispatch->AddRef();
        *ppv = dispatch;
        return S_OK;
    }

    std::mutex m_lock;
    std::vector<Event> m_events;
};

} // namespace symsrvtest
