#include "commvariableobj.h"

#include "commvarargs.h"
#include "commvarguard.h"
#include "expr.h"
#include "varnodeowner.h"
#include "varnodekinds.h"
#include "watchparser.h"

#include <oletarcmdcaller.h>
#include <qelhostframe.h>

namespace {

// Command 200 of the host's group with this number gives the inner communication object.
constexpr DWORD kInnerCommObject = 7;
// The handle a new root's item has until the tree gives it one.
constexpr LONG kNoItemYet = static_cast<LONG>(0xFFFF0000);

} // namespace

CQelCommVariableObj::CQelCommVariableObj() : m_converter(nullptr, -1) {}

CQelCommVariableObj::~CQelCommVariableObj() = default;

HRESULT CQelCommVariableObj::FinalConstruct()
{
    return CoCreateFreeThreadedMarshaler(GetUnknown(), &m_pUnkMarshaler.p);
}

void CQelCommVariableObj::FinalRelease()
{
    TreeLock hold(this);
    DeleteRoot(FALSE, 0);
    ForgetExpression();
    m_pTree.Release();
    m_pTargetAccess.Release();
    m_memory.Attach(nullptr);
    m_pInner.Release();
    m_pOwner.Release();
    m_pUnkMarshaler.Release();
}

STDMETHODIMP CQelCommVariableObj::FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP)
{
    if (ppCP == nullptr || riid != DIID__QelCommObjectEvents)
        return IConnectionPointContainerImpl<CQelCommVariableObj>::FindConnectionPoint(riid, ppCP);
    *ppCP = nullptr;
    CComQIPtr<IConnectionPointContainer> inner(m_pInner);
    return inner != nullptr ? inner->FindConnectionPoint(riid, ppCP) : CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CQelCommVariableObj::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == qel_uuidof<IQelCommVariableObj>() ? S_OK : S_FALSE;
}

STDMETHODIMP CQelCommVariableObj::SetOwner(IUnknown *owner)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pInner == nullptr && owner != nullptr) {
            CComPtr<IUnknown> inner;
            if (FAILED(COleTarCmdCaller(owner, &CGID_QelHostCommands).RequestCommVariable(kInnerCommObject, nullptr,
                                                                                          &inner)))
                return E_INVALIDARG;
            CComQIPtr<IQelComplexMemory> memory(inner);
            if (memory == nullptr)
                return E_INVALIDARG;
            m_pInner = inner;
            // The inner object keeps this one without a reference: it is this one's.
            memory->SetUser(Self());
            m_memory.Attach(m_pInner);
        }
        m_pOwner = owner;
        m_converter.Attach(owner, -1);
        return S_OK;
    });
}

void CQelCommVariableObj::DeleteRoot(BOOL notify, LONG keep)
{
    CQelBasicVarNode *root = m_pRoot;
    m_pRoot = nullptr;
    if (root == nullptr)
        return;
    LONG item = root->GetItemHandle();
    CQelBasicVarNode::DeleteTree(root);
    if (notify && m_pTree != nullptr && item != 0 && item != keep)
        m_pTree->DeleteItem(item);
}

void CQelCommVariableObj::ForgetExpression()
{
    // The evaluator points into the parser's tree and asks through the client.
    m_pExpr.reset();
    m_pParser.reset();
    m_pSymbols.reset();
    m_nExprMode = kVariableRoot;
    m_exprText.Empty();
    m_exprInner.Empty();
    m_exprFormat.Empty();
}

void CQelCommVariableObj::Reset(BOOL notify, LONG keep, IUnknown *tree)
{
    // The tree may hold the last reference to this object, and deleting an item drops it.
    CComPtr<IUnknown> self(GetUnknown());
    DeleteRoot(notify, keep);
    ForgetExpression();
    m_lifetimes.RemoveAll();
    m_locationText.Empty();
    m_rootTag = VariableTag();
    m_pTree.Release();
    if (tree != nullptr) {
        HRESULT hr = tree->QueryInterface(qel_uuidof<IQelCommonWatch>(), reinterpret_cast<void **>(&m_pTree));
        if (FAILED(hr) && hr != E_NOINTERFACE)
            _com_issue_error(hr);
    }
    m_pTargetAccess.Release();
    QelFetchTargetAccess(m_pOwner, m_pTargetAccess);
}

CQelBasicVarNode *CQelCommVariableObj::NewNode(DWORD typeClass, LONG *children)
{
    *children = 1;
    switch (typeClass & ~QELVAR_CLASS_FLAG) {
    case QELVAR_CLASS_POINTER: return new CQelPointerVarNode(m_pOwner);
    case QELVAR_CLASS_ARRAY: return new CQelArrayVarNode(m_pOwner);
    case QELVAR_CLASS_STRUCT:
    case QELVAR_CLASS_UNION:
    case QELVAR_CLASS_CLASS: return new CQelStructVarNode(m_pOwner);
    default: *children = 0; return new CQelBasicVarNode(m_pOwner);
    }
}

LONG CQelCommVariableObj::ShowItem(const CString &name, LONG type, LONG children, LONG item)
{
    // Without a tree the root keeps the handle of an item still to come, so that a caller
    // that has no tree reaches the root by it (AddMembers with 0xFFFF0000).
    if (m_pTree == nullptr)
        return kNoItemYet;
    CComBSTR text(name);
    LONG shown = kNoItemYet;
    HRESULT hr;
    if (item == 0) {
        shown = 0; // in: the parent, the tree's root
        hr = m_pTree->InsertItem(text, type, children, Self(), &shown);
    } else {
        hr = m_pTree->ChangeItem(text, type, children, Self(), item, &shown);
    }
    if (FAILED(hr))
        _com_issue_error(hr);
    return shown;
}

void CQelCommVariableObj::BuildVariableRoot(const VariableTag &tag, LONG item)
{
    const DWORD typeClass = static_cast<DWORD>(tag.TypeCode) & ~QELVAR_CLASS_FLAG;
    switch (typeClass) {
    case QELVAR_CLASS_BASE:
    case QELVAR_CLASS_ENUM:
    case QELVAR_CLASS_POINTER:
    case QELVAR_CLASS_ARRAY:
    case QELVAR_CLASS_STRUCT:
    case QELVAR_CLASS_UNION:
    case QELVAR_CLASS_CLASS: break;
    default: return; // bit fields, functions and the rest make no root
    }
    LONG children = 0;
    std::unique_ptr<CQelBasicVarNode> root(NewNode(typeClass, &children));
    root->BuildFromVariable(tag);
    root->SetComplexMemory(m_pInner);
    root->SetItemHandle(kNoItemYet);
    m_pRoot = root.release();
    m_rootTag = tag;
    m_pRoot->SetItemHandle(ShowItem(tag.Name, tag.TypeCode, children, item));
}

STDMETHODIMP CQelCommVariableObj::CreateVariable(LONG index, VARIANT names, VARIANT values, IUnknown *tree, LONG item)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        const bool given = names.vt != VT_EMPTY && values.vt != VT_EMPTY;
        VariableTag tag;
        if (given && FAILED(ReadVariableEntry(names, values, index, tag)))
            return E_INVALIDARG;
        Reset(TRUE, item, tree);
        if (given)
            BuildVariableRoot(tag, item);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::SetRegisterMap(VARIANT numbers, VARIANT names)
{
    return QelGuardedCall([&]() -> HRESULT {
        CRegisterMapTagArray map;
        if (FAILED(ReadRegisterMap(numbers, names, map)))
            return E_INVALIDARG;
        TreeLock hold(this);
        m_registers.Copy(map);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::SetLifetimes(VARIANT numbers)
{
    return QelGuardedCall([&]() -> HRESULT {
        CLifetimeTagArray lifetimes;
        if (FAILED(ReadLifetimes(numbers, lifetimes)))
            return E_INVALIDARG;
        TreeLock hold(this);
        m_lifetimes.Copy(lifetimes);
        return S_OK;
    });
}

STDMETHODIMP CQelCommVariableObj::Refresh(LONG write)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot == nullptr)
            return 0;
        switch (m_nExprMode) {
        case kExpressionRoot: return RefreshExpression();
        case kNamedExpression: return RefreshNamedExpression(write != 0);
        default: return RefreshVariable(write != 0);
        }
    });
}

LONG CQelCommVariableObj::RefreshVariable(BOOL write)
{
    m_pRoot->SetDetached(FALSE);
    CAddressValue symbol;
    if (!m_pRoot->GetSymbolLocation(0, symbol))
        return 0;
    CCommVarLocator locator(m_pTargetAccess, m_registers, m_lifetimes);
    const BOOL varEd = m_lifetimes.GetSize() > 0 && IsVarEdOn(m_pOwner);
    CAddressValue place;
    CString text;
    if (!locator.Resolve(symbol, varEd, &place, &text))
        return 0;
    m_pRoot->SetAddress(place.AddressMode, place.AddressValue, place.AddressExtra);
    m_locationText = text;
    return m_pRoot->ReadValue(&m_registers, write) ? 1 : 0;
}

STDMETHODIMP CQelCommVariableObj::Detach()
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        if (m_pRoot != nullptr)
            m_pRoot->SetDetached(TRUE);
        return S_OK;
    });
}

HRESULT CreateCommVariableObject(IUnknown **ppObject)
{
    if (ppObject == nullptr)
        return E_POINTER;
    *ppObject = nullptr;
    CComObject<CQelCommVariableObj> *object = nullptr;
    HRESULT hr = CComObject<CQelCommVariableObj>::CreateInstance(&object);
    if (FAILED(hr))
        return hr;
    object->AddRef();
    *ppObject = static_cast<IQelCommVariableObj *>(object);
    return S_OK;
}
