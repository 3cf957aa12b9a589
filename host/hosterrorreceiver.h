// The host's error receiver: the object that slot 17 of the holder gives, which takes
// the errors that the system reports to the user and records them.
#pragma once

#include <atlbase.h>
#include <hostinterfaces.h>

#include "hostreports.h"

#include <memory>

namespace QelHost {

class CHostErrorReceiver : public CComObjectRootEx<CComMultiThreadModel>, public IQelErrorReceiver {
public:
    BEGIN_COM_MAP(CHostErrorReceiver)
        COM_INTERFACE_ENTRY(IQelErrorReceiver)
    END_COM_MAP()

    void SetReports(std::shared_ptr<HostReports> reports) { m_reports = std::move(reports); }

    // Records every item of the error information; E_POINTER for none.
    STDMETHODIMP ReportError(IErrorInfo *pErrorInfo) override;

private:
    std::shared_ptr<HostReports> m_reports = std::make_shared<HostReports>();
};

} // namespace QelHost
