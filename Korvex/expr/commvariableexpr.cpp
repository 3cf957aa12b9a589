// The expression modes of the communication variable object: an expression root that is
// evaluated at each refresh, and one whose expression turned out to name a variable,
// which is then shown as that variable.
#include "commvariableobj.h"

#include "commvarguard.h"
#include "expr.h"
#include "varnodekinds.h"
#include "watchnormalize.h"
#include "watchparser.h"
#include "watchtokens.h"

#include <cstring>

namespace {

// The parse-tree shapes that name an object rather than compute a value: a name, a
// member, a member through a pointer, a dereference and an element. Casts, '&' and
// arithmetic compute values, which must not be read at the operand's place.
bool NamesAnObject(const WatchParseNode *root)
{
    if (root == nullptr)
        return false;
    if (root->kind == kWatchIdentifier)
        return true;
    if (root->kind != kWatchOperator)
        return false;
    switch (root->number) {
    case '.':
    case PTR_OP:
    case kWatchIndex: return true;
    case '*': return root->child[1] == nullptr;
    default: return false;
    }
}

bool IsPlace(DWORD mode)
{
    return mode == CCommVarLocator::kMemory || mode == CCommVarLocator::kMemoryBit ||
           mode == CCommVarLocator::kRegister || mode == CCommVarLocator::kRegisterBit ||
           mode == CCommVarLocator::kRegisterPair;
}

// The expression's value as a pseudo variable takes it; no value gives result type 0.
QelComplexValue ComplexValue(const ExprValue *value)
{
    QelComplexValue record;
    if (value == nullptr)
        return record;
    record.resultType = value->kind;
    if (value->kind == kValueFloating)
        memcpy(record.bytes, &value->real, sizeof value->real);
    else
        memcpy(record.bytes, &value->bits, sizeof value->bits);
    return record;
}

bool MakesRoot(LONG typeCode)
{
    switch (static_cast<DWORD>(typeCode) & ~QELVAR_CLASS_FLAG) {
    case QELVAR_CLASS_BASE:
    case QELVAR_CLASS_POINTER:
    case QELVAR_CLASS_ARRAY:
    case QELVAR_CLASS_STRUCT:
    case QELVAR_CLASS_UNION:
    case QELVAR_CLASS_ENUM:
    case QELVAR_CLASS_CLASS: return true;
    default: return false;
    }
}

} // namespace

CQelComplexVarNode *CQelCommVariableObj::ComplexRoot() const
{
    return m_nExprMode == kExpressionRoot ? static_cast<CQelComplexVarNode *>(m_pRoot) : nullptr;
}

STDMETHODIMP CQelCommVariableObj::CreateExpressionVariable(BSTR expression, IUnknown *tree, LONG item)
{
    return QelGuardedCall([&]() -> HRESULT {
        TreeLock hold(this);
        Reset(TRUE, item, tree);
        CString text;
        if (expression != nullptr)
            text = expression;
        m_exprText = text;
        m_exprInner = NormalizeWatchExpression(text, m_exprFormat, 1);
        const LONG type = m_exprFormat.IsEmpty() ? 0 : 14;
        auto *root = new CQelComplexVarNode(m_pOwner);
        m_pRoot = root;
        root->SetComplexMemory(m_pInner);
        root->Set(0, m_exprText, QelComplexValue());
        m_nExprMode = kExpressionRoot;
        m_pRoot->SetItemHandle(ShowItem(m_exprText, type, 0, item));
        return S_OK;
    });
}

BOOL CQelCommVariableObj::Compile(const CString &inner)
{
    if (m_pSymbols == nullptr) {
        m_pSymbols = std::make_unique<CSymbolProcessing>();
        if (m_pOwner != nullptr)
            m_pSymbols->Attach(m_pOwner);
    }
    if (m_pParser == nullptr)
        m_pParser = std::make_unique<CQelWatchParser>(CAddressValue(), m_pSymbols.get(),
                                                      CQelWatchParser::kDefaultBufferSize);
    WatchParseNode *parsed = m_pParser->Parse(inner);
    if (parsed == nullptr)
        return FALSE;
    m_pExpr = std::make_unique<CExpr>(parsed, m_pSymbols.get(), &m_memory, m_pTargetAccess, &m_registers, nullptr,
                                      &m_converter, 0, nullptr);
    return TRUE;
}

void CQelCommVariableObj::FirstEvaluation()
{
    CQelComplexVarNode *complex = ComplexRoot();
    if (!Compile(m_exprInner)) {
        complex->Set(0, m_exprText, QelComplexValue());
        m_pExpr.reset();
        m_pParser.reset();
        return;
    }
    ExprValue value;
    const BOOL hasValue = m_pExpr->GetValue(&value);
    VariableTag record;
    m_pExpr->GetVariable(&record);
    CAddressValue place;
    const bool named = m_exprFormat.IsEmpty() && NamesAnObject(m_pParser->GetRoot()) && record.TypeCode != -1 &&
                       record.TypeIndex != -1 && m_pExpr->GetPointerLevel() == 0 && MakesRoot(record.TypeCode) &&
                       m_pExpr->GetLocation(&place) && IsPlace(place.AddressMode);
    if (named) {
        // The variable root stands on the expression's item, named by the expression.
        const LONG item = m_pRoot->GetItemHandle();
        DeleteRoot(FALSE, 0);
        record.Name = m_exprInner;
        record.AddressMode = place.AddressMode;
        record.AddressValue = place.AddressValue;
        record.AddressExtra = place.AddressExtra;
        m_nExprMode = kNamedExpression;
        BuildVariableRoot(record, item);
        RefreshNamedExpression(FALSE);
        return;
    }
    if (!hasValue) {
        complex->Set(0, m_exprText, QelComplexValue());
        m_pExpr.reset();
        m_pParser.reset();
        return;
    }
    complex->Set(1, m_exprText, ComplexValue(&value));
}

LONG CQelCommVariableObj::RefreshExpression()
{
    m_pRoot->SetDetached(FALSE);
    if (m_pExpr == nullptr) {
        FirstEvaluation();
        if (m_nExprMode == kNamedExpression)
            return 1;
        return m_pExpr != nullptr ? 1 : 0;
    }
    m_pExpr->ResetValues();
    ExprValue value;
    const BOOL hasValue = m_pExpr->GetValue(&value);
    ComplexRoot()->Set(1, m_exprText, ComplexValue(hasValue ? &value : nullptr));
    return hasValue ? 1 : 0;
}

LONG CQelCommVariableObj::RefreshNamedExpression(BOOL write)
{
    if (m_pRoot == nullptr || m_pExpr == nullptr)
        return 0;
    m_pRoot->SetDetached(FALSE);
    m_pExpr->ResetValues();
    CAddressValue place;
    if (!m_pExpr->GetLocation(&place) || !IsPlace(place.AddressMode))
        return 0;
    // The location text as a variable's: from the register map for registers.
    CCommVarLocator locator(m_pTargetAccess, m_registers, m_lifetimes);
    CString text;
    CAddressValue resolved;
    if (!locator.Resolve(place, FALSE, &resolved, &text))
        return 0;
    m_pRoot->SetAddress(resolved.AddressMode, resolved.AddressValue, resolved.AddressExtra);
    m_locationText = text;
    return m_pRoot->ReadValue(&m_registers, write) ? 1 : 0;
}
