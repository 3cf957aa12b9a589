#include "hosterrorreceiver.h"

namespace QelHost {

STDMETHODIMP CHostErrorReceiver::ReportError(IErrorInfo *pErrorInfo)
{
    if (pErrorInfo == nullptr)
        return E_POINTER;
    CComBSTR description, source, helpFile;
    HostError error{};
    pErrorInfo->GetDescription(&description);
    pErrorInfo->GetSource(&source);
    pErrorInfo->GetGUID(&error.guid);
    pErrorInfo->GetHelpFile(&helpFile);
    pErrorInfo->GetHelpContext(&error.helpContext);
    error.description = AnsiText(description.m_str);
    error.source = AnsiText(source.m_str);
    error.helpFile = AnsiText(helpFile.m_str);
    m_reports->AddError(std::move(error));
    return S_OK;
}

} // namespace QelHost
