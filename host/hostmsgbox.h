// The host's message-box object, which the system makes by its ProgID "QEL.QelMsgBox":
// it shows nothing, but records each message and box and answers with the button that
// the record holds.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include "hostreports.h"

#include <memory>

namespace QelHost {

// The class of the host stand-in's message-box object (the real host's class
// identifier is not known; the system finds the class by its ProgID).
DEFINE_GUID(CLSID_QelHostMsgBox, 0x9C898D60, 0x5C74, 0x46B8, 0xA4, 0x5D, 0x59, 0x41, 0x9D, 0x5F, 0x41, 0x83);

class CHostMsgBox : public CComObjectRootEx<CComMultiThreadModel>, public IQelMsgBox {
public:
    BEGIN_COM_MAP(CHostMsgBox)
        COM_INTERFACE_ENTRY(IQelMsgBox)
    END_COM_MAP()

    void SetReports(std::shared_ptr<HostReports> reports) { m_reports = std::move(reports); }

    STDMETHODIMP ShowMessage(BSTR text) override;
    STDMETHODIMP SetTitle(BSTR title) override;
    // E_POINTER for a null answer pointer.
    STDMETHODIMP ShowMessageBox(LONG owner, BSTR text, BSTR caption, LONG style, LONG *pAnswer) override;

private:
    std::shared_ptr<HostReports> m_reports = std::make_shared<HostReports>();
    std::string m_title;
};

// Registers the message-box class in the process under its ProgID; every object it makes
// records into `reports`. *pCookie is the registration, for CoRevokeClassObject.
HRESULT RegisterMessageBoxClass(std::shared_ptr<HostReports> reports, DWORD *pCookie);

} // namespace QelHost
