// CEcDebugClient: the add-on's hold on EasyCODE's debug object, its two interfaces and
// the sink of its two event interfaces.
//
// The sink (CEcDebugSink, control id 55555) turns each event into one call of the
// client's OnEcDebugEvent and answers EasyCODE S_OK when that answers non-zero, E_FAIL
// otherwise. Dispids 1 and 2 of _IEcDebugEvents2 ask for nothing the debugger can give:
// they answer E_FAIL, and dispid 2 sets its out arguments to a null text and 0, so that
// its caller reads no garbage.
//
// The sink counts no references: the client unadvises it before it goes.
#pragma once

#include <afx.h>
#include <atlbase.h>
#include <ecdebug.h>

// One event as the client receives it. `text` is the file or the name the event
// carries (empty for none); `line` its line (0 for none).
struct EcDebugEvent {
    int iface; // 1 _IEcDebugEvents, 2 _IEcDebugEvents2
    DISPID dispid;
    CString text;
    LONG line;
};

class CEcDebugClient;

class CEcDebugSink : public IDispEventImpl<55555, CEcDebugSink, &DIID__IEcDebugEvents>,
                     public IDispEventImpl<55555, CEcDebugSink, &DIID__IEcDebugEvents2> {
public:
    typedef IDispEventImpl<55555, CEcDebugSink, &DIID__IEcDebugEvents> FirstEvents;
    typedef IDispEventImpl<55555, CEcDebugSink, &DIID__IEcDebugEvents2> SecondEvents;

    explicit CEcDebugSink(CEcDebugClient *client) : m_client(client) {}

    BEGIN_SINK_MAP(CEcDebugSink)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 1, Line<1>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 2, Line<2>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 3, Line<3>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 4, Line<4>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 5, Bare<5>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 6, Bare<6>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 7, Bare<7>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 8, Bare<8>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 9, Bare<9>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 10, Bare<10>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 11, Bare<11>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 12, Bare<12>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 13, Text<13>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 14, Text<14>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 15, Text<15>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 16, Bare<16>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 17, Text<17>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 18, Bare<18>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 19, Text<19>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 20, Bare<20>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 21, Text<21>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 22, Bare<22>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents, 23, Text<23>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 1, Note)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 2, Question)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 3, Line2<3>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 4, Bare2<4>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 5, Bare2<5>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 6, Text2<6>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 7, Bare2<7>)
        SINK_ENTRY_EX(55555, DIID__IEcDebugEvents2, 8, Bare2<8>)
    END_SINK_MAP()

    // The two cookies, 0xFEFEFEFE while not advised.
    DWORD FirstCookie() const { return FirstEvents::m_dwEventCookie; }
    DWORD SecondCookie() const { return SecondEvents::m_dwEventCookie; }

private:
    HRESULT Deliver(int iface, DISPID dispid, BSTR text, LONG line);

    template <DISPID id>
    HRESULT __stdcall Line(BSTR file, LONG line)
    {
        return Deliver(1, id, file, line);
    }
    template <DISPID id>
    HRESULT __stdcall Text(BSTR text)
    {
        return Deliver(1, id, text, 0);
    }
    template <DISPID id>
    HRESULT __stdcall Bare()
    {
        return Deliver(1, id, nullptr, 0);
    }
    template <DISPID id>
    HRESULT __stdcall Line2(BSTR file, LONG line)
    {
        return Deliver(2, id, file, line);
    }
    template <DISPID id>
    HRESULT __stdcall Text2(BSTR text)
    {
        return Deliver(2, id, text, 0);
    }
    template <DISPID id>
    HRESULT __stdcall Bare2()
    {
        return Deliver(2, id, nullptr, 0);
    }
    HRESULT __stdcall Note(BSTR, LONG, BSTR, LONG) { return E_FAIL; }
    HRESULT __stdcall Question(BSTR, LONG, BSTR *text, LONG *number);

    CEcDebugClient *m_client;
};

class CEcDebugClient {
public:
    CEcDebugClient() : m_sink(this) {}
    virtual ~CEcDebugClient();
    CEcDebugClient(const CEcDebugClient &) = delete;
    CEcDebugClient &operator=(const CEcDebugClient &) = delete;

    // An event of EasyCODE; non-zero when it was carried out.
    virtual BOOL OnEcDebugEvent(const EcDebugEvent &event) = 0;
    // A failure of the client, told to the user.
    virtual void ReportEcDebugError(const CString &text) = 0;

    // Makes EasyCODE's object, asks for its second interface and advises the sink on
    // both; FALSE (reported) when the object cannot be made. Whatever was held is let go
    // first.
    BOOL CreateEcDebug();
    // Both points unadvised; the interfaces are kept.
    void UnadviseEcDebug();
    // Unadvised, and both interfaces let go.
    void ReleaseEcDebug();
    // The object and both interfaces are held.
    bool IsEcDebugUsable() const { return m_ecDebug != nullptr && m_ecDebug2 != nullptr; }
    // IsEcDebugUsable, else the report that the client cannot work.
    bool CheckEcDebug();

    CEcDebugSink &ToolSink() { return m_sink; }

protected:
    CComPtr<IEcDebug> m_ecDebug;
    CComPtr<IEcDebug2> m_ecDebug2;

private:
    CEcDebugSink m_sink;
};
