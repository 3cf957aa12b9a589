// QelComponentImpl: the host's component contract (IQelComponent) as an add-on offers it,
// with the call guard, the initialisation and clean-up order, the diagnostics and the
// events; the component fills in the hooks.
//
// Every method but IsInitialized and GetProperties runs under the command lock. A guarded
// method also refuses to run before Init ("Component was not initialized !"). Events are
// fired with the command lock held, so a sink that calls back on the same thread gets in,
// while other threads wait.
#pragma once

#include "commandlock.h"

#include <afx.h>
#include <atlbase.h>
#include <diaghelper.h>
#include <qelcomponent.h>

#include <mutex>

class QelComponentImpl : public IQelComponent {
public:
    // The slots of _IQelComponentEvents, as FireEvent takes them.
    enum ComponentEvent { kEventInitialised = 3, kEventCleanup, kEventSequenceBegin, kEventSequenceEnd, kEventTest };

    STDMETHODIMP GetName(BSTR *description, BSTR *name) override;
    STDMETHODIMP GetVersion(IQelVersionInfo **info, BSTR *text) override;
    STDMETHODIMP ShowInfo(HWND owner) override;
    STDMETHODIMP SetDiagnostics(DWORD level, IUnknown *output) override;
    STDMETHODIMP SetErrorSink(IUnknown *sink) override;
    STDMETHODIMP IsBusy(LONG reserved, BOOL *busy) override;
    STDMETHODIMP GetProperties(LONG count, LONG *ids, LONG *values) override;
    STDMETHODIMP Init(VARIANT target, VARIANT project, IUnknown *host) override;
    STDMETHODIMP Cleanup() override;
    STDMETHODIMP IsInitialized() override;
    STDMETHODIMP ConnectGui() override;
    STDMETHODIMP CheckGui() override;
    STDMETHODIMP BeginCmdSequence() override;
    STDMETHODIMP EndCmdSequence() override;
    STDMETHODIMP Slot17() override { return E_NOTIMPL; }
    STDMETHODIMP Test_IQelComponent() override;

    CQelDiagHelper &Diagnostics() { return m_diag; }

protected:
    QelComponentImpl();
    virtual ~QelComponentImpl() = default;
    QelComponentImpl(const QelComponentImpl &) = delete;
    QelComponentImpl &operator=(const QelComponentImpl &) = delete;

    // The final construction and release steps of the object that derives.
    void CreateLocks() { m_locksExist = true; }
    void DeleteLocks() { m_locksExist = false; }

    // Hooks.
    virtual IUnknown *GetComponentUnknown() = 0;
    // The component's own information box; E_NOTIMPL gives the standard one.
    virtual HRESULT OnShowInfo(HWND) { return E_NOTIMPL; }
    virtual HRESULT OnInit(VARIANT target, VARIANT project, IUnknown *host) = 0;
    // Called once more when a sink cleaned the component up during Init: it must do
    // nothing the second time.
    virtual void OnCleanup() = 0;
    virtual HRESULT OnConnectGui() = 0;
    virtual HRESULT OnCheckGui() = 0;
    // FALSE while the component is busy.
    virtual BOOL IsReady() { return TRUE; }
    // FALSE for an id the component does not know.
    virtual BOOL GetProperty(LONG id, LONG *value) = 0;
    // Calls every sink of the event in connection order; their answers are not used.
    virtual void FireEvent(ComponentEvent event) = 0;

    BOOL IsInitializedFlag() const { return m_initialized; }
    CComponentCommandLock &CommandLock() { return m_commandLock; }

    CQelDiagHelper m_diag;
    CString m_description;

private:
    class Guard;
    HRESULT InitLocked(VARIANT target, VARIANT project, IUnknown *host);
    void CleanupLocked();

    CComponentCommandLock m_commandLock;
    std::mutex m_propertyLock;
    bool m_locksExist = false;
    BOOL m_initialized = FALSE;
    BOOL m_inCall = FALSE;
};
