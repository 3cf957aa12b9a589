#include "diaghelper.h"

#include "comerrorinfo.h"

#include <cstring>

namespace {

// Report texts fit 255 bytes with their terminator, trace lines 512.
const size_t kReportBuffer = 255;
const size_t kTraceBuffer = 512;

const char kNoMessage[] = "(No message found !)";
const char kNotSent[] = "!!! Failed to send error info !!!\n";
const char kRule[] = "----------------------------------------------------------"; // 58

// The string `id` of the current resource module, or kNoMessage.
void LoadText(UINT id, char (&buffer)[kReportBuffer])
{
    if (AfxLoadString(id, buffer, kReportBuffer) == 0)
        strcpy(buffer, kNoMessage);
}

// _vsnprintf leaves a full buffer unterminated; the last byte is kept for the zero, so
// a cut text is always terminated. The length, or -1 when the text was cut.
int FormatInto(char *buffer, size_t size, const char *format, va_list args) __attribute__((format(printf, 3, 0)));
int FormatInto(char *buffer, size_t size, const char *format, va_list args)
{
    int length = _vsnprintf(buffer, size - 1, format, args);
    buffer[size - 1] = '\0';
    return length;
}

} // namespace

CQelDiagHelper::CQelDiagHelper(IUnknown *host, LPCSTR sourceName, const GUID *errorGuid)
    : m_errorGuid(errorGuid), m_sourceName(sourceName), m_lastResult(S_OK), m_sinkCookie(0), m_level(0),
      m_debugOutput(FALSE), m_logFile(nullptr)
{
    AttachHost(host);
}

CQelDiagHelper::~CQelDiagHelper()
{
    DetachSink();
    m_errorReceiver.Release();
    if (m_logFile != nullptr)
        fclose(m_logFile);
}

HRESULT CQelDiagHelper::AttachHost(IUnknown *host)
{
    if (host == nullptr)
        return E_FAIL;
    DetachSink();
    HRESULT hr = host->QueryInterface(IID_IQelMessageSink, reinterpret_cast<void **>(&m_sink));
    if (SUCCEEDED(hr) && m_sink != nullptr) {
        m_level = 10;
        DWORD level = 0;
        hr = m_sink->GetLevel(&level);
        if (SUCCEEDED(hr))
            m_level = level;
    } else {
        m_sink.Release(); // a host that answered without an object
    }
    if (m_errorReceiver == nullptr) {
        CComPtr<IQelHostHolder> holder;
        hr = host->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder));
        if (SUCCEEDED(hr) && holder != nullptr) {
            CComPtr<IUnknown> errorObject;
            hr = holder->GetErrorObject(&errorObject);
            if (SUCCEEDED(hr) && errorObject != nullptr)
                hr = errorObject->QueryInterface(IID_IQelErrorReceiver, reinterpret_cast<void **>(&m_errorReceiver));
            else if (SUCCEEDED(hr))
                hr = E_FAIL;
        } else if (SUCCEEDED(hr)) {
            hr = E_NOINTERFACE;
        }
        if (FAILED(hr))
            m_errorReceiver.Release();
    }
    return hr;
}

BOOL CQelDiagHelper::SetSink(UINT level, IUnknown *sink, IUnknown *registration)
{
    if (level == 0) {
        DetachSink();
        return TRUE;
    }
    if (sink != nullptr) {
        CComPtr<IQelMessageSink> newSink;
        if (FAILED(sink->QueryInterface(IID_IQelMessageSink, reinterpret_cast<void **>(&newSink))) || newSink == nullptr)
            return FALSE;
        DetachSink();
        m_sink = newSink;
        if (registration != nullptr && FAILED(m_sink->Register(registration, &m_sinkCookie)))
            m_sinkCookie = 0;
    }
    m_level = level;
    return TRUE;
}

void CQelDiagHelper::DetachSink()
{
    if (m_sink != nullptr) {
        if (m_sinkCookie != 0)
            m_sink->Unregister(m_sinkCookie);
        m_sinkCookie = 0;
        m_sink.Release();
    }
    m_level = 0;
}

BOOL CQelDiagHelper::SetErrorSink(IUnknown *receiver)
{
    if (receiver == nullptr) {
        m_errorReceiver.Release();
        return TRUE;
    }
    CComPtr<IQelErrorReceiver> newReceiver;
    if (FAILED(receiver->QueryInterface(IID_IQelErrorReceiver, reinterpret_cast<void **>(&newReceiver))) ||
        newReceiver == nullptr)
        return FALSE;
    m_errorReceiver = newReceiver;
    return TRUE;
}

BOOL CQelDiagHelper::OpenLog(LPCSTR path, UINT level)
{
    if (m_logFile != nullptr) {
        fclose(m_logFile);
        m_logFile = nullptr;
    }
    m_level = level;
    if (path == nullptr)
        return TRUE;
    m_logFile = fopen(path, "w");
    if (m_logFile == nullptr)
        return FALSE;
    char date[9], time[9];
    _strdate(date);
    _strtime(time);
    fprintf(m_logFile, "%s\n\n", kRule);
    fprintf(m_logFile, "  %s Diagnostic Log\n", static_cast<LPCSTR>(m_sourceName));
    fprintf(m_logFile, "  Log Level: %u\n", m_level);
    fprintf(m_logFile, "  created: %s, %s\n\n", date, time);
    fprintf(m_logFile, "%s\n", kRule);
    fflush(m_logFile);
    return TRUE;
}

HRESULT CQelDiagHelper::Report(LPCSTR text, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext)
{
    m_lastResult = hr;
    if (source == nullptr)
        source = m_sourceName;
    if (helpFile == nullptr)
        helpFile = m_helpFile;
    if (m_level >= 10)
        WriteLine(text, KindError, source);
    bool sent = false;
    if (m_errorReceiver != nullptr) {
        CComPtr<IErrorInfo> info;
        if (CreateComErrorInfo(&info, text, source, m_errorGuid, helpFile, helpContext))
            sent = SUCCEEDED(m_errorReceiver->ReportError(info));
    } else {
        sent = SetComErrorInfo(text, source, m_errorGuid, helpFile, helpContext) != FALSE;
    }
    if (!sent && m_level >= 10)
        WriteLine(kNotSent, KindError, source);
    return hr;
}

HRESULT CQelDiagHelper::ReportById(UINT id, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext)
{
    char text[kReportBuffer];
    LoadText(id, text);
    return Report(text, hr, source, helpFile, helpContext);
}

HRESULT CQelDiagHelper::ReportFormatV(LPCSTR format, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext,
                                      va_list args)
{
    char text[kReportBuffer];
    FormatInto(text, sizeof text, format, args);
    return Report(text, hr, source, helpFile, helpContext);
}

HRESULT CQelDiagHelper::ReportFormatByIdV(UINT id, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext,
                                          va_list args)
{
    char format[kReportBuffer];
    if (AfxLoadString(id, format, kReportBuffer) == 0)
        return Report(kNoMessage, hr, source, helpFile, helpContext);
    char text[kReportBuffer];
    // The format comes from the module's own string table, not from outside.
    FormatInto(text, sizeof text, format, args);
    return Report(text, hr, source, helpFile, helpContext);
}

HRESULT CQelDiagHelper::ReportFormatById(UINT id, HRESULT hr, DWORD helpContext, ...)
{
    va_list args;
    va_start(args, helpContext);
    HRESULT result = ReportFormatByIdV(id, hr, nullptr, nullptr, helpContext, args);
    va_end(args);
    return result;
}

HRESULT CQelDiagHelper::ReportFormat(LPCSTR format, HRESULT hr, DWORD helpContext, ...)
{
    va_list args;
    va_start(args, helpContext);
    HRESULT result = ReportFormatV(format, hr, nullptr, nullptr, helpContext, args);
    va_end(args);
    return result;
}

HRESULT CQelDiagHelper::ReportFormatByIdEx(UINT id, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext, ...)
{
    va_list args;
    va_start(args, helpContext);
    HRESULT result = ReportFormatByIdV(id, hr, source, helpFile, helpContext, args);
    va_end(args);
    return result;
}

HRESULT CQelDiagHelper::ReportFormatEx(LPCSTR format, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext,
                                       ...)
{
    va_list args;
    va_start(args, helpContext);
    HRESULT result = ReportFormatV(format, hr, source, helpFile, helpContext, args);
    va_end(args);
    return result;
}

HRESULT CQelDiagHelper::ReportInternalError(DWORD code, LPCSTR source)
{
    char text[kReportBuffer];
    _snprintf(text, sizeof text - 1, "Internal error %08Xh\nPlease report !", code);
    text[sizeof text - 1] = '\0';
    return Report(text, E_FAIL, source, nullptr, 0);
}

BOOL CQelDiagHelper::TraceFromV(LPCSTR source, LONG kind, LPCSTR format, va_list args)
{
    char text[kTraceBuffer];
    int length = FormatInto(text, sizeof text, format, args);
    if (length <= 0)
        return FALSE; // empty, or 512 characters or more
    return WriteLine(text, kind, source);
}

BOOL CQelDiagHelper::TraceV(LONG kind, LPCSTR format, va_list args)
{
    return TraceFromV(nullptr, kind, format, args);
}

#define QEL_TRACE_BODY(source, kind, last)                  \
    va_list args;                                           \
    va_start(args, last);                                   \
    BOOL written = TraceFromV(source, kind, format, args);  \
    va_end(args);                                           \
    return written

BOOL CQelDiagHelper::TraceInfo(LPCSTR format, ...)
{
    QEL_TRACE_BODY(nullptr, KindInformation, format);
}

BOOL CQelDiagHelper::TraceWarning(LPCSTR format, ...)
{
    QEL_TRACE_BODY(nullptr, KindWarning, format);
}

BOOL CQelDiagHelper::TraceError(LPCSTR format, ...)
{
    QEL_TRACE_BODY(nullptr, KindError, format);
}

BOOL CQelDiagHelper::TraceInfoFrom(LPCSTR source, LPCSTR format, ...)
{
    QEL_TRACE_BODY(source, KindInformation, format);
}

BOOL CQelDiagHelper::TraceWarningFrom(LPCSTR source, LPCSTR format, ...)
{
    QEL_TRACE_BODY(source, KindWarning, format);
}

BOOL CQelDiagHelper::TraceErrorFrom(LPCSTR source, LPCSTR format, ...)
{
    QEL_TRACE_BODY(source, KindError, format);
}

BOOL CQelDiagHelper::TraceKind(LONG kind, LPCSTR format, ...)
{
    QEL_TRACE_BODY(nullptr, kind, format);
}

BOOL CQelDiagHelper::Trace(LPCSTR source, LONG kind, LPCSTR format, ...)
{
    QEL_TRACE_BODY(source, kind, format);
}

#undef QEL_TRACE_BODY

BOOL CQelDiagHelper::WriteLine(LPCSTR text, LONG kind, LPCSTR source)
{
    if (text == nullptr)
        return FALSE;
    if (m_logFile != nullptr) {
        fprintf(m_logFile, "%s\n", text);
        // The log is read after a failure, when the process may not end normally.
        fflush(m_logFile);
    }
    if (m_debugOutput)
        OutputDebugStringA(text);
    if (m_sink == nullptr)
        return FALSE;
    CComBSTR sourceText(source != nullptr ? source : static_cast<LPCSTR>(m_sourceName));
    CComBSTR line(text);
    if (!line)
        return FALSE;
    return SUCCEEDED(m_sink->TraceLine(kind, sourceText, line));
}
