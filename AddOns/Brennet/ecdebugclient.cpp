#include "ecdebugclient.h"

namespace {

// Every server kind: EasyCODE may run as any of them.
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

} // namespace

HRESULT CEcDebugSink::Deliver(int iface, DISPID dispid, BSTR text, LONG line)
{
    EcDebugEvent event{iface, dispid, text != nullptr ? CString(text) : CString(), line};
    return m_client->OnEcDebugEvent(event) ? S_OK : E_FAIL;
}

HRESULT CEcDebugSink::Question(BSTR, LONG, BSTR *text, LONG *number)
{
    // Out arguments: what they held is not ours to free.
    if (text != nullptr)
        *text = nullptr;
    if (number != nullptr)
        *number = 0;
    return E_FAIL;
}

CEcDebugClient::~CEcDebugClient()
{
    ReleaseEcDebug();
}

BOOL CEcDebugClient::CreateEcDebug()
{
    ReleaseEcDebug();
    HRESULT hr = m_ecDebug.CoCreateInstance(CLSID_EcDebug, nullptr, kAnyServer);
    if (FAILED(hr)) {
        CString text;
        text.Format("CEcDebugClient():\nError creating EasyCODE Debug object:\nhResult = "
                    "m_ptrEcDebug.CoCreateInstance(CLSID_EcDebug);\nhResult==%x",
                    static_cast<unsigned>(hr));
        ReportEcDebugError(text);
        return FALSE;
    }
    if (FAILED(m_ecDebug->QueryInterface(qel_uuidof<IEcDebug2>(), reinterpret_cast<void **>(&m_ecDebug2))))
        ReportEcDebugError("CEcDebugClient():\nError retrieving pointer to second debug interface IEcDebug2");
    m_sink.FirstEvents::DispEventAdvise(m_ecDebug);
    if (m_ecDebug2 != nullptr)
        m_sink.SecondEvents::DispEventAdvise(m_ecDebug2);
    return TRUE;
}

void CEcDebugClient::UnadviseEcDebug()
{
    if (m_sink.FirstCookie() != 0xFEFEFEFE)
        m_sink.FirstEvents::DispEventUnadvise(m_ecDebug);
    if (m_sink.SecondCookie() != 0xFEFEFEFE)
        m_sink.SecondEvents::DispEventUnadvise(m_ecDebug2);
}

void CEcDebugClient::ReleaseEcDebug()
{
    UnadviseEcDebug();
    m_ecDebug2.Release();
    m_ecDebug.Release();
}

bool CEcDebugClient::CheckEcDebug()
{
    if (IsEcDebugUsable())
        return true;
    ReportEcDebugError("The CEcDebugClient object could not be initialized correctly and is unable to work!");
    return false;
}
