// CQelCommVariableObj: the COM object through which the host's communication queue, the
// watch and locals trees and the CASE-tool add-on handle one watched item, a variable
// from the symbol information or an expression typed by the user.
//
// It owns the item's variable node tree (varnode.h), resolves where the variable lies at
// the current program position (commvarlocation.h), reads and writes its value through
// the host's target interfaces, and writes names, values and child items into the tree
// that shows it through IQelCommonWatch. It has no class identifier: the host's
// communication queue makes it (CreateCommVariableObject).
//
// The object is free-threaded: the host refreshes it on its own threads while the tree's
// thread edits and reads it. One recursive lock guards the node tree and everything
// around it in every method, so each call sees a whole tree; a tree that calls back into
// the object while it is being called (a converter's CalculateItem) holds it already.
// Calls out of the object under the lock go to the tree and the host's target only.
//
// No COM error exception leaves a method: each answers the code it carries.
#pragma once

#include "commvarlocation.h"
#include "memcomplexintf.h"
#include "varnode.h"

#include <atlbase.h>
#include <eventsinkids.h>
#include <qelcommonwatch.h>
#include <qelcommvariable.h>
#include <symbolprocessing.h>
#include <tararchconverter.h>

#include <memory>

class CExpr;
class CQelWatchParser;
class CQelComplexVarNode;

class CQelCommVariableObj : public CComObjectRootEx<CComMultiThreadModel>,
                            public ISupportErrorInfo,
                            public IConnectionPointContainerImpl<CQelCommVariableObj>,
                            public IQelUniCommStub,
                            public IQelCommVariableObj {
public:
    CQelCommVariableObj();
    ~CQelCommVariableObj();

    BEGIN_COM_MAP(CQelCommVariableObj)
        COM_INTERFACE_ENTRY(IQelCommVariableObj)
        COM_INTERFACE_ENTRY(IQelUniCommStub)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        COM_INTERFACE_ENTRY_AGGREGATE(IID_IMarshal, m_pUnkMarshaler)
        COM_INTERFACE_ENTRY_AGGREGATE(IID_QelCommObject28CDD976, m_pInner)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelComplexMemory>(), m_pInner)
        COM_INTERFACE_ENTRY_AGGREGATE(qel_uuidof<IQelValueNotices>(), m_pInner)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CQelCommVariableObj)
    END_CONNECTION_POINT_MAP()

    DECLARE_PROTECT_FINAL_CONSTRUCT()
    HRESULT FinalConstruct();
    void FinalRelease();

    // The events of the communication object are the inner object's: their point is
    // handed out as its three interfaces are (CONNECT_E_NOCONNECTION before an owner).
    STDMETHOD(FindConnectionPoint)(REFIID riid, IConnectionPoint **ppCP) override;

    // ISupportErrorInfo: S_OK for IQelCommVariableObj only.
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;

    // IQelUniCommStub. Refresh answers 1 when the read or write was done, 0 when not,
    // or the failure that ended it. SetOwner: E_INVALIDARG when the first owner gives
    // no inner communication object (command 200 with 7).
    STDMETHOD(Refresh)(LONG write) override;
    STDMETHOD(Detach)() override;
    STDMETHOD(SetOwner)(IUnknown *owner) override;

    // IQelCommVariableObj. An argument array that does not have its shape
    // (commvarargs.h) is E_INVALIDARG and changes nothing.
    STDMETHOD(CreateExpressionVariable)(BSTR expression, IUnknown *tree, LONG item) override;
    STDMETHOD(CreateVariable)(LONG index, VARIANT names, VARIANT values, IUnknown *tree, LONG item) override;
    STDMETHOD(SetRegisterMap)(VARIANT numbers, VARIANT names) override;
    STDMETHOD(SetLifetimes)(VARIANT numbers) override;
    // E_INVALIDARG also for a parent that no node shows or that has children already.
    STDMETHOD(AddMembers)(LONG parent, VARIANT names, VARIANT values) override;
    STDMETHOD(GetBaseType)(LONG item, LONG *pBaseType) override;
    STDMETHOD(IsEnum)(LONG item, LONG *pIsEnum) override;
    // E_FAIL when the node's value text cannot be read; nothing is written then.
    STDMETHOD(UpdateItemText)(LONG item) override;
    STDMETHOD(SetExpanded)(LONG item, LONG expanded) override;
    STDMETHOD(GetItemHandle)(LONG *pItem) override;
    STDMETHOD(GetValue)(VARIANT *pValue) override;
    STDMETHOD(SetValue)(VARIANT value) override;
    STDMETHOD(GetDisplayFormats)(LONG item, VARIANT *pNames, VARIANT *pValues) override;
    STDMETHOD(SetDisplayFormat)(LONG item, LONG format) override;
    STDMETHOD(GetEnumerators)(LONG item, VARIANT *pNames, VARIANT *pSelected) override;
    STDMETHOD(SelectEnumerator)(LONG item, LONG index) override;
    STDMETHOD(GetDisplayState)(LONG item, LONG *pState) override;
    STDMETHOD(GetItemString)(LONG item, LONG code, BSTR *pText) override;
    STDMETHOD(SetItemString)(LONG item, LONG valueText, BSTR text) override;
    STDMETHOD(GetSymbolId)(LONG *pId) override;
    STDMETHOD(GetNames)(BSTR *pName, BSTR *pScope) override;
    STDMETHOD(GetSymbolIndex)(LONG *pIndex) override;

    // Expression modes: what the root stands for.
    enum : DWORD {
        kVariableRoot = 0,   // a variable from the symbol information
        kExpressionRoot = 1, // an expression, evaluated anew at each refresh
        kNamedExpression = 2 // an expression that named a variable, shown as one
    };

private:
    // Holds the tree lock for a scope.
    class TreeLock {
    public:
        explicit TreeLock(CQelCommVariableObj *object) : m_lock(object->m_treeLock) { m_lock.Lock(); }
        ~TreeLock() { m_lock.Unlock(); }
        TreeLock(const TreeLock &) = delete;
        TreeLock &operator=(const TreeLock &) = delete;

    private:
        CCriticalSection &m_lock;
    };

    // Deletes the root (with `notify`, its tree item as well, unless the item is `keep`),
    // empties the lifetimes, keeps `tree`'s IQelCommonWatch and fetches the target
    // access anew.
    void Reset(BOOL notify, LONG keep, IUnknown *tree);
    void DeleteRoot(BOOL notify, LONG keep);
    void ForgetExpression();
    // A variable root built from `tag` on `item` (0: a new item); none for a class
    // that makes none.
    void BuildVariableRoot(const VariableTag &tag, LONG item);
    // The node of the kind that type class `typeClass` asks for (a basic node for every
    // class without a kind of its own); *children says whether its item has children.
    CQelBasicVarNode *NewNode(DWORD typeClass, LONG *children);
    // The tree item of a new root: inserted at the top for item 0, else `item` changed;
    // the handle the tree gives (0 without a tree).
    LONG ShowItem(const CString &name, LONG type, LONG children, LONG item);
    void AddMemberNodes(CQelBasicVarNode *parent, LONG parentItem, const CMemberTagArray &members);
    // The node of `item`, or NULL.
    CQelBasicVarNode *Node(LONG item);
    // Refreshes of the three modes; the answer of Refresh.
    LONG RefreshVariable(BOOL write);
    LONG RefreshExpression();
    LONG RefreshNamedExpression(BOOL write);
    // The first evaluation of an expression: a value, a variable root in its place, or
    // nothing yet; the answer of Refresh.
    LONG FirstEvaluation();
    // Parses the expression and makes its evaluator, with the parser and the symbol
    // client on first use; FALSE when it does not parse.
    BOOL Compile(const CString &inner);
    CQelComplexVarNode *ComplexRoot() const;
    IUnknown *Self() { return static_cast<IQelCommVariableObj *>(this); }

    CComPtr<IUnknown> m_pUnkMarshaler;
    CComPtr<IUnknown> m_pInner;
    CComPtr<IUnknown> m_pOwner;
    CComPtr<IQelTargetAccess> m_pTargetAccess;
    CComPtr<IQelCommonWatch> m_pTree;
    CQelBasicVarNode *m_pRoot = nullptr;
    CCriticalSection m_treeLock;
    CLifetimeTagArray m_lifetimes;
    CRegisterMapTagArray m_registers;
    CString m_locationText;
    CTarArchConverter m_converter;
    DWORD m_nExprMode = kVariableRoot;
    CString m_exprText;
    CString m_exprInner;  // the expression inside "?(...)"
    CString m_exprFormat; // the format string that it split off
    std::unique_ptr<CSymbolProcessing> m_pSymbols;
    std::unique_ptr<CQelWatchParser> m_pParser;
    std::unique_ptr<CExpr> m_pExpr;
    CMemComplexIntf m_memory;
    // The root's record: its symbol index and id as the answer gave them.
    VariableTag m_rootTag;
};

// A new variable object, the caller's reference.
HRESULT CreateCommVariableObject(IUnknown **ppObject);
