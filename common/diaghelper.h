// CQelDiagHelper: the diagnostics of one piece of work (a program load, a request, a
// component's life).
//
// A report hands an error text to the host: to its error receiver when the host offers
// one (the object of its holder's slot 17), otherwise as the thread's COM error
// information. A trace line goes to the diagnostic log file when one is open, to the
// debug output when that is switched on, and to the host's message sink.
//
// The level says how much the host wants to hear: 0 without a sink; 10, or what the
// sink asks for, with one. Reports are traced only at level 10 or more; the trace
// operations themselves write at any level, so their callers test the level first
// (GetLevel). Message kinds of trace lines: 0 error, 1 warning, 2 information.
//
// Texts of reports are cut to 254 characters, always terminated; trace lines of 512
// characters or more are not written at all. A report always returns the caller's
// result code, whether or not it could be delivered, so the caller's failure path does
// not change.
#pragma once

#include <afx.h>
#include <atlbase.h>

#include "hostinterfaces.h"

#include <cstdarg>
#include <cstdio>

class CQelDiagHelper {
public:
    // Kinds of trace lines.
    enum { KindError = 0, KindWarning = 1, KindInformation = 2 };

    // `errorGuid` is written into every error information (GUID_NULL when NULL); it is
    // not copied and must outlive the object.
    CQelDiagHelper(IUnknown *host, LPCSTR sourceName, const GUID *errorGuid);
    ~CQelDiagHelper();
    CQelDiagHelper(const CQelDiagHelper &) = delete;
    CQelDiagHelper &operator=(const CQelDiagHelper &) = delete;

    // Takes the host's message sink (the level becomes 10, or the sink's own) and, unless
    // one is held, its error receiver. E_FAIL for a NULL host; else the result of the
    // last call made to the host.
    HRESULT AttachHost(IUnknown *host);

    // Level 0 detaches the sink. Otherwise a given sink replaces the one held and is
    // registered with `registration` when that is given (slot 4); the level becomes
    // `level`. FALSE, and nothing changed, when `sink` is no message sink.
    BOOL SetSink(UINT level, IUnknown *sink, IUnknown *registration);
    // Unregisters and releases the sink; the level becomes 0.
    void DetachSink();
    // The host's error receiver in place of the one held; NULL releases it. FALSE, and
    // nothing changed, when `receiver` is no error receiver.
    BOOL SetErrorSink(IUnknown *receiver);
    // Closes an open log and sets the level; with a path, creates the log file there
    // (FALSE when it cannot) and writes its header.
    BOOL OpenLog(LPCSTR path, UINT level);

    UINT GetLevel() const { return m_level; }
    HRESULT GetLastResult() const { return m_lastResult; }
    LPCSTR GetSourceName() const { return m_sourceName; }
    // A component learns its name after its diagnostics exist (from its string table).
    void SetSourceName(LPCSTR name) { m_sourceName = name; }
    // Every trace line also goes to OutputDebugStringA while this is set.
    void SetDebugOutput(BOOL on) { m_debugOutput = on; }

    // Reports: the text, or the string-table text `id` (of the current resource module),
    // optionally as a printf format; a NULL source or help file means the object's own.
    // A missing string gives "(No message found !)".
    HRESULT Report(LPCSTR text, HRESULT hr, LPCSTR source = nullptr, LPCSTR helpFile = nullptr, DWORD helpContext = 0);
    HRESULT ReportById(UINT id, HRESULT hr, LPCSTR source = nullptr, LPCSTR helpFile = nullptr, DWORD helpContext = 0);
    HRESULT ReportFormatById(UINT id, HRESULT hr, DWORD helpContext, ...);
    HRESULT ReportFormat(LPCSTR format, HRESULT hr, DWORD helpContext, ...) __attribute__((format(printf, 2, 5)));
    HRESULT ReportFormatByIdEx(UINT id, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext, ...);
    HRESULT ReportFormatEx(LPCSTR format, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext, ...)
        __attribute__((format(printf, 2, 7)));
    // "Internal error %08Xh\nPlease report !" with E_FAIL, which it returns.
    HRESULT ReportInternalError(DWORD code, LPCSTR source = nullptr);

    // Trace lines, under the object's source name unless one is given. TRUE when the
    // message sink took the line.
    BOOL TraceInfo(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    BOOL TraceWarning(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    BOOL TraceError(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    BOOL TraceInfoFrom(LPCSTR source, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    BOOL TraceWarningFrom(LPCSTR source, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    BOOL TraceErrorFrom(LPCSTR source, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    BOOL TraceKind(LONG kind, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    BOOL Trace(LPCSTR source, LONG kind, LPCSTR format, ...) __attribute__((format(printf, 4, 5)));
    BOOL TraceV(LONG kind, LPCSTR format, va_list args) __attribute__((format(printf, 3, 0)));

    // Writes `text` as it stands: a line of the log file, the debug output, and a line of
    // kind `kind` at the message sink. TRUE only when the sink took it.
    BOOL WriteLine(LPCSTR text, LONG kind, LPCSTR source);

private:
    BOOL TraceFromV(LPCSTR source, LONG kind, LPCSTR format, va_list args) __attribute__((format(printf, 4, 0)));
    HRESULT ReportFormatV(LPCSTR format, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext, va_list args)
        __attribute__((format(printf, 2, 0)));
    HRESULT ReportFormatByIdV(UINT id, HRESULT hr, LPCSTR source, LPCSTR helpFile, DWORD helpContext, va_list args);

    CComPtr<IQelErrorReceiver> m_errorReceiver;
    const GUID *m_errorGuid;
    CString m_sourceName;
    HRESULT m_lastResult;
    CString m_helpFile;
    CComPtr<IQelMessageSink> m_sink;
    DWORD m_sinkCookie;
    UINT m_level;
    BOOL m_debugOutput;
    FILE *m_logFile;
};
