// The object that owns a server's command handlers, as the handlers reach it: its
// server state (slot 7 of IQelServerState) and command QEL_HOSTCMD_DOCUMENT of the host
// command group, which makes a document object of a file name for an HTML view. The
// host's debug-server object is that owner; this object plays those two parts of it for
// tests, recording the files it was asked for and the documents it made.
#pragma once

#include <atlbase.h>
#include <qelhostframe.h>

#include <string>
#include <vector>

namespace QelHost {

// A document of one file; it offers nothing but its identity.
class CHostDocument : public CComObjectRootEx<CComMultiThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CHostDocument)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()

    void SetFile(std::string file) { m_file = std::move(file); }
    const std::string &File() const { return m_file; }

private:
    std::string m_file;
};

class CHostOwner : public CComObjectRootEx<CComMultiThreadModel>, public IQelServerState, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CHostOwner)
        COM_INTERFACE_ENTRY(IQelServerState)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    // The state that slot 7 answers; 1 unless set.
    void SetServerState(LONG state) { m_state = state; }
    const std::vector<std::string> &RequestedFiles() const { return m_files; }
    // The documents made, in order; the owner keeps a reference to each.
    const std::vector<CComPtr<IUnknown>> &Documents() const { return m_documents; }

    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP GetServerState(LONG *pState) override;

    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override;
    // The document command takes one VT_BSTR and answers one VT_UNKNOWN (E_INVALIDARG for
    // other arguments or no room for the answer); every other command of the group is
    // OLECMDERR_E_NOTSUPPORTED, of another group OLECMDERR_E_UNKNOWNGROUP.
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override;

private:
    LONG m_state = 1;
    std::vector<std::string> m_files;
    std::vector<CComPtr<IUnknown>> m_documents;
};

} // namespace QelHost
