#include "atlbase.h"
#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

DEFINE_GUID(DIID_QelTestSinkEvents, 0x1A2B3C20, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20);
DEFINE_GUID(DIID_QelTestSinkEvents2, 0x1A2B3C21, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21);
DEFINE_GUID(LIBID_QelTestSinkLib, 0x1A2B3C22, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x22);

namespace {

// A source of the test events that fires to every sink, under its lock.
class CSinkSource : public CComObjectRootEx<CComMultiThreadModel>,
                    public IConnectionPointContainerImpl<CSinkSource>,
                    public IConnectionPointImpl<CSinkSource, &DIID_QelTestSinkEvents> {
public:
    BEGIN_COM_MAP(CSinkSource)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CSinkSource)
        CONNECTION_POINT_ENTRY(DIID_QelTestSinkEvents)
    END_CONNECTION_POINT_MAP()

    // The arguments run in reverse, as DISPPARAMS has them.
    void Fire(DISPID dispid, std::vector<VARIANT> reversed)
    {
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        Lock();
        for (IUnknown **sink = m_vec.begin(); sink < m_vec.end(); sink++) {
            if (*sink)
                reinterpret_cast<IDispatch *>(*sink)->Invoke(dispid, IID_NULL, 0x400, DISPATCH_METHOD, &params,
                                                             nullptr, nullptr, nullptr);
        }
        Unlock();
    }
};

VARIANT I4(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Typed(VARTYPE vt, LONG value)
{
    VARIANT v = I4(value);
    v.vt = vt;
    return v;
}

_ATL_FUNC_INFO g_stateInfo = {CC_STDCALL, VT_EMPTY, 2, {VT_UI4, VT_UI4}};
_ATL_FUNC_INFO g_modeInfo = {CC_STDCALL, VT_EMPTY, 2, {VT_INT, VT_UI1}};
_ATL_FUNC_INFO g_misfitInfo = {CC_STDCALL, VT_EMPTY, 1, {VT_BSTR}};

// A sink as the system writes them: entry points in a sink map, some typed by a table of
// their own, some by their parameters.
class CTestSink : public IDispEventImpl<0, CTestSink, &DIID_QelTestSinkEvents, &LIBID_QelTestSinkLib, 1, 0> {
public:
    BEGIN_SINK_MAP(CTestSink)
        SINK_ENTRY_EX(0, DIID_QelTestSinkEvents, 1, OnReady)
        SINK_ENTRY_INFO(0, DIID_QelTestSinkEvents, 2, OnState, &g_stateInfo)
        SINK_ENTRY_INFO(0, DIID_QelTestSinkEvents, 3, OnMode, &g_modeInfo)
        SINK_ENTRY_EX(0, DIID_QelTestSinkEvents, 4, OnName)
        SINK_ENTRY_EX(0, DIID_QelTestSinkEvents, 5, OnQuestion)
        SINK_ENTRY_EX(0, DIID_QelTestSinkEvents, 6, OnNothing)
        SINK_ENTRY_INFO(0, DIID_QelTestSinkEvents, 7, OnReady, &g_misfitInfo)
    END_SINK_MAP()

    void __stdcall OnReady(LONG request) { log.push_back("ready " + std::to_string(request)); }
    void __stdcall OnState(ULONG oldState, ULONG newState)
    {
        log.push_back("state " + std::to_string(oldState) + " " + std::to_string(newState));
    }
    void __stdcall OnMode(INT mode, BYTE second)
    {
        log.push_back("mode " + std::to_string(mode) + " " + std::to_string(second));
    }
    void __stdcall OnName(BSTR name)
    {
        log.push_back("name " + std::string(name, name + SysStringLen(name)));
    }
    // Out arguments come by reference; the answer goes to the result.
    HRESULT __stdcall OnQuestion(BSTR file, LONG *line)
    {
        log.push_back("question " + std::to_string(SysStringLen(file)));
        *line = 42;
        return E_FAIL;
    }
    void __stdcall OnNothing() { log.push_back("nothing"); }

    IDispatch *Dispatch()
    {
        IDispatch *dispatch = nullptr;
        QelSinkUnknown()->QueryInterface(&dispatch);
        return dispatch;
    }

    HRESULT Call(DISPID dispid, std::vector<VARIANT> reversed, UINT *argErr = nullptr, VARIANT *result = nullptr)
    {
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        return Dispatch()->Invoke(dispid, IID_NULL, 0x400, DISPATCH_METHOD, &params, result, nullptr, argErr);
    }

    std::vector<std::string> log;
};

class DispatchSink : public ComAllocBalance {
protected:
    CTestSink sink_;
};

TEST_F(DispatchSink, EventsReachTheHandlerOfTheirDispatchId)
{
    EXPECT_EQ(sink_.Call(1, {I4(12)}), S_OK);
    EXPECT_EQ(sink_.Call(2, {I4(3), I4(2)}), S_OK); // old state 2, new state 3
    EXPECT_EQ(sink_.Call(6, {}), S_OK);
    EXPECT_EQ(sink_.log, (std::vector<std::string>{"ready 12", "state 2 3", "nothing"}));
}

TEST_F(DispatchSink, ArgumentsConvertToTheTypesOfTheTable)
{
    // A signed sender and an unsigned table, an INT and a BYTE from plain numbers, a
    // number for a text: the platform's sinks convert all of them.
    EXPECT_EQ(sink_.Call(2, {Typed(VT_I2, 9), Typed(VT_UI1, 1)}), S_OK);
    EXPECT_EQ(sink_.Call(3, {I4(200), I4(-4)}), S_OK);
    EXPECT_EQ(sink_.Call(4, {I4(5)}), S_OK);
    EXPECT_EQ(sink_.log, (std::vector<std::string>{"state 1 9", "mode -4 200", "name 5"}));
}

TEST_F(DispatchSink, AWrongCountIsRefusedBeforeTheHandler)
{
    EXPECT_EQ(sink_.Call(2, {I4(1)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(sink_.Call(6, {I4(1)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(sink_.Call(1, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(sink_.log.empty());
}

TEST_F(DispatchSink, AnArgumentThatDoesNotConvertIsRefusedWithItsIndex)
{
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"not a number");
    UINT argErr = 99;
    // The first argument stands last in DISPPARAMS.
    EXPECT_EQ(sink_.Call(2, {I4(1), text}, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_EQ(sink_.Call(2, {Typed(VT_I4, -1), I4(1)}, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    VariantClear(&text);
    EXPECT_TRUE(sink_.log.empty());
}

TEST_F(DispatchSink, ReferenceArgumentsMustComeWithTheirExactType)
{
    BSTR file = SysAllocString(u"main.c");
    LONG line = 0;
    VARIANT fileArg, lineArg, result;
    VariantInit(&fileArg);
    fileArg.vt = VT_BSTR;
    fileArg.bstrVal = file;
    VariantInit(&lineArg);
    lineArg.vt = VT_I4 | VT_BYREF;
    lineArg.plVal = &line;
    VariantInit(&result);
    EXPECT_EQ(sink_.Call(5, {lineArg, fileArg}, nullptr, &result), S_OK);
    EXPECT_EQ(line, 42);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, E_FAIL);

    VARIANT shortArg;
    VariantInit(&shortArg);
    SHORT small = 0;
    shortArg.vt = VT_I2 | VT_BYREF;
    shortArg.piVal = &small;
    UINT argErr = 99;
    EXPECT_EQ(sink_.Call(5, {shortArg, fileArg}, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(sink_.Call(5, {I4(1), fileArg}, &argErr), DISP_E_TYPEMISMATCH);
    SysFreeString(file);
    EXPECT_EQ(sink_.log, std::vector<std::string>{"question 6"});
}

TEST_F(DispatchSink, ATableThatDoesNotFitItsHandlerNeverCallsIt)
{
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"x");
    UINT argErr = 99;
    EXPECT_EQ(sink_.Call(7, {text}, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    VariantClear(&text);
    EXPECT_TRUE(sink_.log.empty());
}

TEST_F(DispatchSink, EventsOutsideTheMapAreIgnored)
{
    EXPECT_EQ(sink_.Call(99, {I4(1), I4(2)}), S_OK);
    EXPECT_TRUE(sink_.log.empty());
}

TEST_F(DispatchSink, MalformedCallsAreRefused)
{
    VARIANT arg = I4(1);
    DISPID named = 1;
    DISPPARAMS withNames = {&arg, &named, 1, 1};
    IDispatch *dispatch = sink_.Dispatch();
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &withNames, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    DISPPARAMS noArray = {nullptr, nullptr, 1, 0};
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &noArray, nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
    DISPPARAMS plain = {&arg, nullptr, 1, 0};
    EXPECT_EQ(dispatch->Invoke(1, DIID_QelTestSinkEvents, 0, DISPATCH_METHOD, &plain, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_TRUE(sink_.log.empty());
}

TEST_F(DispatchSink, TheSinkAnswersForItsEventsAndOffersNoTypes)
{
    IUnknown *unknown = sink_.QelSinkUnknown();
    IDispatch *events = nullptr;
    ASSERT_EQ(unknown->QueryInterface(DIID_QelTestSinkEvents, reinterpret_cast<void **>(&events)), S_OK);
    EXPECT_EQ(static_cast<IUnknown *>(events), unknown);
    IDispatch *other = nullptr;
    EXPECT_EQ(unknown->QueryInterface(DIID_QelTestSinkEvents2, reinterpret_cast<void **>(&other)), E_NOINTERFACE);
    UINT count = 7;
    EXPECT_EQ(events->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(sink_.m_libid, LIBID_QelTestSinkLib);
    EXPECT_EQ(sink_.m_iid, DIID_QelTestSinkEvents);
    EXPECT_EQ(sink_.m_wMajorVerNum, 1);
    EXPECT_EQ(sink_.m_wMinorVerNum, 0);
    EXPECT_EQ(sink_.m_dwEventCookie, 0xFEFEFEFEu);
}

TEST_F(DispatchSink, AdvisedSinksAllHearTheSourceUntilUnadvised)
{
    CComObject<CSinkSource> *object = nullptr;
    ASSERT_EQ(CComObject<CSinkSource>::CreateInstance(&object), S_OK);
    CComPtr<IUnknown> source(object);
    CTestSink second;
    ASSERT_EQ(sink_.DispEventAdvise(source), S_OK);
    EXPECT_NE(sink_.m_dwEventCookie, 0xFEFEFEFEu);
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(source, second.QelSinkUnknown(), DIID_QelTestSinkEvents, &cookie), S_OK);
    object->Fire(2, {I4(3), I4(2)});
    ASSERT_EQ(sink_.DispEventUnadvise(source), S_OK);
    EXPECT_EQ(sink_.m_dwEventCookie, 0xFEFEFEFEu);
    object->Fire(1, {I4(8)});
    EXPECT_EQ(sink_.log, std::vector<std::string>{"state 2 3"});
    EXPECT_EQ(second.log, (std::vector<std::string>{"state 2 3", "ready 8"}));
    EXPECT_EQ(AtlUnadvise(source, DIID_QelTestSinkEvents, cookie), S_OK);
    // Unadvising again fails, and still leaves the mark of a sink that is not advised.
    EXPECT_EQ(sink_.DispEventUnadvise(source), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sink_.m_dwEventCookie, 0xFEFEFEFEu);
    EXPECT_EQ(sink_.DispEventAdvise(nullptr), E_INVALIDARG);
    EXPECT_EQ(sink_.m_dwEventCookie, 0xFEFEFEFEu);
}

// A COM object that is also a sink of two event interfaces keeps its own identity: the
// sinks answer for their events, the object for its map.
class CObjectWithSinks : public CComObjectRootEx<CComSingleThreadModel>,
                         public IConnectionPointContainerImpl<CObjectWithSinks>,
                         public IDispEventSimpleImpl<1, CObjectWithSinks, &DIID_QelTestSinkEvents>,
                         public IDispEventSimpleImpl<1, CObjectWithSinks, &DIID_QelTestSinkEvents2> {
public:
    typedef IDispEventSimpleImpl<1, CObjectWithSinks, &DIID_QelTestSinkEvents> FirstSink;
    typedef IDispEventSimpleImpl<1, CObjectWithSinks, &DIID_QelTestSinkEvents2> SecondSink;

    BEGIN_COM_MAP(CObjectWithSinks)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CObjectWithSinks)
    END_CONNECTION_POINT_MAP()
    BEGIN_SINK_MAP(CObjectWithSinks)
        SINK_ENTRY_EX(1, DIID_QelTestSinkEvents, 1, OnFirst)
        SINK_ENTRY_EX(1, DIID_QelTestSinkEvents2, 1, OnSecond)
    END_SINK_MAP()

    void __stdcall OnFirst(LONG value) { heard.push_back(value); }
    void __stdcall OnSecond(LONG value) { heard.push_back(-value); }

    std::vector<LONG> heard;
};

TEST_F(DispatchSink, SinksOfOneObjectKeepApartFromItAndEachOther)
{
    CComObject<CObjectWithSinks> *object = nullptr;
    ASSERT_EQ(CComObject<CObjectWithSinks>::CreateInstance(&object), S_OK);
    CComPtr<IUnknown> identity(object);
    IDispatch *first = nullptr, *second = nullptr;
    ASSERT_EQ(object->FirstSink::QelSinkUnknown()->QueryInterface(DIID_QelTestSinkEvents,
                                                                   reinterpret_cast<void **>(&first)),
              S_OK);
    ASSERT_EQ(object->SecondSink::QelSinkUnknown()->QueryInterface(DIID_QelTestSinkEvents2,
                                                                    reinterpret_cast<void **>(&second)),
              S_OK);
    IDispatch *none = nullptr;
    EXPECT_EQ(identity->QueryInterface(DIID_QelTestSinkEvents, reinterpret_cast<void **>(&none)), E_NOINTERFACE);
    VARIANT arg = I4(4);
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    first->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    second->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_EQ(object->heard, (std::vector<LONG>{4, -4}));
}

} // namespace
