// CoExpr: the object through which the debugger host evaluates one watch expression
// against a target. The host sets a target object and an expression text, and asks for
// the value as a VARIANT as often as it needs it; the object keeps its parse tree and
// its evaluator between the calls.
//
// It follows the target's events so that values are read again after the target ran
// (lookup by the instruction pointer) or symbols and values are renewed after a pattern
// (lookup by scope name). The events come on the host's threads while a client may be
// evaluating, and ending a connection waits for a handler that is running: so a handler
// only notes what is to be renewed, and the next Evaluate renews it before anything else.
//
// The object has no class identifier of its own; Create makes one.
#pragma once

#include "expr.h"
#include "memcomplexintf.h"
#include "memtargetintf.h"
#include "watchparser.h"

#include <atlbase.h>
#include <qelexpr.h>
#include <qelpatternsink.h>
#include <symbolprocessing.h>
#include <tararchconverter.h>
#include <tarstateeventsink.h>

#include <atomic>

class CoExpr : public CTarStateEventSink,
               public CQelPatternSink,
               public CComObjectRootEx<CComMultiThreadModel>,
               public IQelExpr2 {
public:
    BEGIN_COM_MAP(CoExpr)
        COM_INTERFACE_ENTRY(IQelExpr2)
        COM_INTERFACE_ENTRY_IID(IID_IQelExpr, IQelExpr2)
    END_COM_MAP()

    CoExpr();
    ~CoExpr() override;

    // A new object, the caller's reference.
    static HRESULT Create(IQelExpr2 **object);

    // IQelExpr.
    STDMETHODIMP SetTarget(IUnknown *target) override;
    STDMETHODIMP SetExpression(BSTR text) override;
    STDMETHODIMP GetExpression(BSTR *text) override;
    STDMETHODIMP Evaluate(VARIANT *value) override;
    STDMETHODIMP Slot07(LONG, LONG, LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP SetMemoryObject(IUnknown *object) override;
    // IQelExpr2.
    STDMETHODIMP get_Text(BSTR *text) override;
    STDMETHODIMP put_Text(BSTR text) override;
    STDMETHODIMP get_Scope(BSTR *scope) override;
    STDMETHODIMP put_Scope(BSTR scope) override;
    STDMETHODIMP get_LookupMode(LONG *mode) override;
    STDMETHODIMP put_LookupMode(LONG mode) override;

    // The evaluator's values, or its symbols and values, forgotten.
    virtual void ResetValues();
    virtual void ResetSymbols();

    // The event handlers: each only notes what the next Evaluate renews.
    void OnTargetStateChange(ULONG oldState, ULONG newState) override;
    void OnPatternEnd(ULONG first, ULONG second) override;

    // How the register map came out: the entries, and whether each has its host id.
    const CRegisterMapTagArray &RegisterMap() const { return m_registerMap; }
    BOOL IsRegisterMapLoaded() const { return m_bRegisterMapLoaded; }

private:
    void DeleteEvaluator();
    void LoadRegisterMap();
    void AdviseForMode();
    void UnadviseBoth();
    void ApplyNotes();

    CComPtr<IUnknown> m_target;
    CSymbolProcessing m_client;
    IQelTargetAccess *m_pRegisterAccess = nullptr; // referenced
    CRegisterMapTagArray m_registerMap;
    BOOL m_bRegisterMapLoaded = FALSE;
    CMemTargetIntf m_targetMemory;
    CMemComplexIntf m_complexMemory;
    CExpr *m_pExpr = nullptr;
    CQelWatchParser m_parser;
    WatchParseNode *m_pTree = nullptr;
    CString m_expression;
    CComBSTR m_text;
    CComBSTR m_scope;
    std::atomic<LONG> m_lookupMode{0};
    CTarArchConverter m_converter;

    // What the events asked to renew.
    std::atomic<bool> m_renewValues{false};
    std::atomic<bool> m_renewSymbols{false};
    std::atomic<bool> m_renewCore1{false};
};
