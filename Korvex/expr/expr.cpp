#include "expr.h"

#include "watchtokens.h"

#include <comerrorinfo.h>

namespace {

// The texts as the user has always seen them, spelling included.
const char *const kErrorTexts[] = {
    "Expression is no Symbol",
    "Expression does not have this member",
    "Bad type",
    "Can not convert type",
    "Can not deref expression",
    "Expression is no simple data type",
    "Wrong Token",
    "Symbol is ambignous",
};

int CountStars(const WatchParseNode *node)
{
    int stars = 0;
    for (; node != nullptr; node = node->child[1]) {
        if (node->number != '*')
            break;
        ++stars;
        if (node->kind != kWatchOperator)
            break;
    }
    return stars;
}

} // namespace

LPCSTR ExprErrorText(int error)
{
    if (error < 0 || error >= static_cast<int>(sizeof kErrorTexts / sizeof kErrorTexts[0]))
        return "";
    return kErrorTexts[error];
}

CExpr::CExpr(WatchParseNode *node, CSymbolProcessing *client, IMemAccess *memory, IQelTargetAccess *target,
             const CRegisterMapTagArray *registerMap, CExpr *parent, CTarArchConverter *converter, int lookupMode,
             LPCSTR scopeName)
    : m_pClient(client), m_pMemory(memory), m_pTarget(target), m_pConverter(converter), m_pNode(node),
      m_pParent(parent), m_nLookupMode(lookupMode), m_scopeName(scopeName != nullptr ? scopeName : ""),
      m_pRegisterMap(registerMap)
{
    if (m_pTarget != nullptr)
        m_pTarget->AddRef();
    m_variable.TypeCode = -1;
    m_variable.TypeIndex = -1;
}

CExpr::CExpr(CExpr *derefOf, CExpr *like)
    : CExpr(nullptr, like->m_pClient, like->m_pMemory, like->m_pTarget, like->m_pRegisterMap, nullptr,
            like->m_pConverter, like->m_nLookupMode, like->m_scopeName)
{
    m_pDerefOf = derefOf;
}

CExpr::~CExpr()
{
    delete m_pLeft;
    delete m_pRight;
    delete m_pThird;
    delete m_pDereferenced;
    if (m_pTarget != nullptr)
        m_pTarget->Release();
}

BOOL CExpr::GetValue(ExprValue *value)
{
    Evaluate();
    if (!m_bValueValid)
        return FALSE;
    *value = m_value;
    return TRUE;
}

BOOL CExpr::GetAddress(DWORD *address)
{
    Evaluate();
    if (!m_bAddressValid)
        return FALSE;
    *address = m_address;
    return TRUE;
}

BOOL CExpr::GetVariable(VariableTag *variable)
{
    Evaluate();
    *variable = m_variable;
    return m_bValueValid;
}

LONG CExpr::GetTypeId()
{
    Evaluate();
    return m_variable.TypeCode;
}

BOOL CExpr::GetLocation(CAddressValue *location)
{
    Evaluate();
    if (!m_bLocationValid)
        return FALSE;
    *location = m_location;
    return TRUE;
}

int CExpr::GetPointerLevel()
{
    Evaluate();
    return m_nPointerLevel;
}

BOOL CExpr::LoadMembers()
{
    Evaluate();
    if (m_bFailed)
        return FALSE;
    if (m_bMembersLoaded && m_membersOf == m_variable.TypeIndex)
        return TRUE;
    m_members.RemoveAll();
    m_bMembersLoaded = TRUE;
    m_membersOf = m_variable.TypeIndex;
    // Only these classes have members; asking for those of a base type would ask for the
    // type whose index happens to equal the base-type code.
    switch (m_nPointerLevel == 0 ? TypeClass() : -1) {
    case 3: case 4: case 5: case 6: case 8:
        if (m_pClient != nullptr)
            m_pClient->GetMembers(m_pClient->RequestMembersOfType(m_variable.TypeIndex, 0), m_members);
        break;
    default:
        break;
    }
    return TRUE;
}

const MemberTag *CExpr::GetMember(int index)
{
    if (!LoadMembers() || index < 0 || index >= m_members.GetSize())
        return nullptr;
    return &m_members[index];
}

const MemberTag *CExpr::FindMember(LPCSTR name)
{
    if (!LoadMembers())
        return nullptr;
    for (int i = 0; i < m_members.GetSize(); ++i)
        if (m_members[i].Name == name)
            return &m_members[i];
    return nullptr;
}

void CExpr::ResetValues()
{
    m_bEvaluated = FALSE;
    m_bValueValid = FALSE;
    m_bAddressValid = FALSE;
    m_bLocationValid = FALSE;
    for (CExpr *below : {m_pLeft, m_pRight, m_pThird, m_pDereferenced})
        if (below != nullptr)
            below->ResetValues();
}

void CExpr::ResetSymbols()
{
    m_bSymbolFound = FALSE;
    m_bMembersLoaded = FALSE;
    m_bLifetimeLoaded = FALSE;
    m_lifetime.RemoveAll();
    m_members.RemoveAll();
    ResetValues();
    for (CExpr *below : {m_pLeft, m_pRight, m_pThird, m_pDereferenced})
        if (below != nullptr)
            below->ResetSymbols();
}

int CExpr::GetError() const
{
    if (!m_bFailed)
        return -1;
    if (m_nError >= 0)
        return m_nError;
    for (const CExpr *below : {m_pLeft, m_pRight, m_pThird, m_pDereferenced, m_pDerefOf, m_pParent})
        if (below != nullptr && below->m_bFailed)
            return below->GetError();
    return -1;
}

void CExpr::Fail(int error)
{
    m_nError = error;
    SetComErrorInfo(ExprErrorText(error), "QelExpr", nullptr, nullptr, 0);
    m_bFailed = TRUE;
    m_bValueValid = FALSE;
    m_bAddressValid = FALSE;
}

BOOL CExpr::Took(CExpr *operand)
{
    operand->Evaluate();
    if (operand->m_bFailed) {
        FailWith();
        return FALSE;
    }
    return TRUE;
}

CExpr *CExpr::MakeChild(WatchParseNode *node, CExpr *parent)
{
    return new CExpr(node, m_pClient, m_pMemory, m_pTarget, m_pRegisterMap, parent, m_pConverter, m_nLookupMode,
                     m_scopeName);
}

CExpr *CExpr::Operand(int child)
{
    CExpr **slot = child == 0 ? &m_pLeft : child == 1 ? &m_pRight : &m_pThird;
    if (*slot == nullptr && m_pNode->child[child] != nullptr)
        *slot = MakeChild(m_pNode->child[child], nullptr);
    return *slot;
}

LONG CExpr::ValueKind() const
{
    if (m_nPointerLevel > 0)
        return kValueUnsigned;
    return ValueKindOfType(m_variable.TypeCode, m_variable.TypeIndex);
}

void CExpr::TakeType(const MemberTag &type)
{
    m_variable.TypeCode = type.TypeCode;
    m_variable.TypeIndex = type.TypeIndex;
    m_variable.TypeText = type.TypeText;
    m_variable.SizeInBits = type.SizeInBits;
    m_variable.PointerClass = type.PointerClass;
}

void CExpr::TakeResult(CExpr *from)
{
    if (!Took(from))
        return;
    m_variable = from->m_variable;
    m_nPointerLevel = from->m_nPointerLevel;
    m_value = from->m_value;
    m_bValueValid = from->m_bValueValid;
    m_address = from->m_address;
    m_bAddressValid = from->m_bAddressValid;
    m_location = from->m_location;
    m_bLocationValid = from->m_bLocationValid;
}

void CExpr::Evaluate()
{
    if (m_bFailed || m_bEvaluated)
        return;
    m_bEvaluated = TRUE;
    m_bValueValid = FALSE;
    m_bAddressValid = FALSE;
    m_bLocationValid = FALSE;
    if (m_pDerefOf != nullptr) {
        Dereference(m_pDerefOf);
        return;
    }
    switch (m_pNode->kind) {
    case kWatchInteger:
        m_value = ExprValue::Integer(kValueSigned, m_pNode->number);
        m_bValueValid = TRUE;
        break;
    case kWatchFloating:
        m_value = ExprValue::Floating(m_pNode->real);
        m_bValueValid = TRUE;
        break;
    case kWatchTypeName:
        EvaluateTypeName(m_pNode->name);
        break;
    case kWatchKeyword:
        EvaluateKeyword();
        break;
    case kWatchIdentifier:
        if (m_pParent != nullptr)
            EvaluateMemberName();
        else
            EvaluateIdentifier();
        break;
    case kWatchOperator:
        EvaluateOperator();
        break;
    default:
        Fail(kErrorWrongToken);
        break;
    }
}

void CExpr::EvaluateOperator()
{
    const int op = static_cast<int>(m_pNode->number);
    switch (op) {
    case kWatchCast: EvaluateCast(); return;
    case kWatchPointerType: EvaluatePointerType(); return;
    case kWatchIndex: EvaluateIndex(); return;
    case kWatchConditional: EvaluateConditional(); return;
    case T_STRUCT: EvaluateTagType(5); return;
    case T_UNION: EvaluateTagType(6); return;
    case T_ENUM: EvaluateTagType(7); return;
    case '.':
        if (m_pRight == nullptr && Operand(0) != nullptr && m_pNode->child[1] != nullptr) {
            m_pRight = MakeChild(m_pNode->child[1], m_pLeft);
            m_pRight->m_bAddressOnly = m_bAddressOnly;
        }
        if (m_pLeft != nullptr && m_pRight != nullptr)
            EvaluateMember(m_pLeft);
        return;
    case PTR_OP:
        if (m_pDereferenced == nullptr && Operand(0) != nullptr)
            m_pDereferenced = new CExpr(m_pLeft, this);
        if (m_pRight == nullptr && m_pDereferenced != nullptr && m_pNode->child[1] != nullptr) {
            m_pRight = MakeChild(m_pNode->child[1], m_pDereferenced);
            m_pRight->m_bAddressOnly = m_bAddressOnly;
        }
        if (m_pRight != nullptr)
            EvaluateMember(m_pDereferenced);
        return;
    default:
        break;
    }
    CExpr *right = Operand(1);
    if (right == nullptr) {
        Fail(kErrorWrongToken);
        return;
    }
    if (m_pNode->child[0] == nullptr) {
        if (op == '&')
            right->m_bAddressOnly = TRUE;
        if (!Took(right))
            return;
        ExprOutcome outcome = ExprOutcome::NoValue;
        switch (op) {
        case '&':
            m_variable = right->m_variable;
            m_nPointerLevel = right->m_nPointerLevel + 1;
            if (right->m_bAddressValid) {
                m_value = ExprValue::Integer(kValueUnsigned, right->m_address);
                outcome = ExprOutcome::Value;
            }
            break;
        case '*': Dereference(right); return;
        case '-': case '+': case '!': case '~':
            outcome = ApplyUnary(op, right->m_bValueValid ? right->m_value : ExprValue(), &m_value);
            break;
        default: Fail(kErrorWrongToken); return;
        }
        switch (outcome) {
        case ExprOutcome::Value: m_bValueValid = TRUE; break;
        case ExprOutcome::NoValue: break;
        case ExprOutcome::BadType: Fail(kErrorBadType); break;
        case ExprOutcome::NoCommon: Fail(kErrorConvert); break;
        }
        return;
    }
    switch (op) {
    case '+': case '-': case '*': case '/': case '%': case '&': case '|': case '^': case LEFT_OP: case RIGHT_OP:
    case AND_OP: case OR_OP: case '<': case '>': case LE_OP: case GE_OP: case EQ_OP: case NE_OP:
        break;
    default:
        Fail(kErrorWrongToken);
        return;
    }
    CExpr *left = Operand(0);
    // Both sides are evaluated, also for && and ||.
    const BOOL leftTaken = Took(left);
    if (!Took(right) || !leftTaken)
        return;
    switch (ApplyBinary(op, left->m_bValueValid ? left->m_value : ExprValue(),
                        right->m_bValueValid ? right->m_value : ExprValue(), &m_value)) {
    case ExprOutcome::Value: m_bValueValid = TRUE; break;
    case ExprOutcome::NoValue: break;
    case ExprOutcome::BadType: Fail(kErrorBadType); break;
    case ExprOutcome::NoCommon: Fail(kErrorConvert); break;
    }
}

void CExpr::EvaluateMember(CExpr *holder)
{
    if (!Took(holder))
        return;
    TakeResult(m_pRight);
}

void CExpr::EvaluateMemberName()
{
    const MemberTag *member = m_pParent->FindMember(m_pNode->name);
    if (m_pParent->m_bFailed) {
        FailWith();
        return;
    }
    if (member == nullptr) {
        Fail(kErrorNoMember);
        return;
    }
    const MemberTag found = *member;
    m_variable.Name = found.Name;
    TakeType(found);
    m_nPointerLevel = 0;
    DWORD holder = 0;
    if (!m_pParent->GetAddress(&holder))
        return;
    if (TypeClass() == 2) {
        ReadBitField(found, holder);
        return;
    }
    m_address = holder + static_cast<DWORD>(found.Offset) / 8;
    m_bAddressValid = TRUE;
    m_location = CAddressValue(m_address, 1, 0);
    m_bLocationValid = TRUE;
    ReadValue();
}

void CExpr::Dereference(CExpr *operand)
{
    if (!Took(operand))
        return;
    if (operand->m_nPointerLevel > 0) {
        m_variable = operand->m_variable;
        m_nPointerLevel = operand->m_nPointerLevel - 1;
    } else if (operand->TypeClass() == 3) {
        const MemberTag *to = operand->GetMember(0);
        if (to == nullptr) {
            Fail(kErrorNoMember);
            return;
        }
        const MemberTag target = *to;
        m_variable = VariableTag();
        m_variable.Name = target.Name;
        TakeType(target);
        m_nPointerLevel = 0;
    } else {
        Fail(kErrorDeref);
        return;
    }
    if (!operand->m_bValueValid || !operand->m_value.IsInteger()) {
        Fail(kErrorBadType);
        return;
    }
    m_address = operand->m_value.bits;
    m_bAddressValid = TRUE;
    m_location = CAddressValue(m_address, 1, 0);
    m_bLocationValid = TRUE;
    ReadValue();
}

void CExpr::EvaluateCast()
{
    CExpr *type = Operand(0);
    CExpr *operand = Operand(1);
    if (type == nullptr || operand == nullptr) {
        Fail(kErrorWrongToken);
        return;
    }
    if (!Took(type))
        return;
    if (!type->TypeKnown()) {
        Fail(kErrorBadType);
        return;
    }
    m_variable = type->m_variable;
    m_nPointerLevel = type->m_nPointerLevel;
    if (!Took(operand))
        return;
    const LONG kind = ValueKind();
    if (operand->m_bValueValid) {
        m_value = ConvertValue(operand->m_value, kind);
        m_bValueValid = m_value.kind != kValueNone;
    } else if (operand->m_bAddressValid) {
        m_address = operand->m_address;
        m_location = CAddressValue(m_address, 1, 0);
        m_bLocationValid = TRUE;
        ReadValue();
        m_bLocationValid = FALSE;
    }
}

void CExpr::EvaluatePointerType()
{
    CExpr *base = Operand(0);
    if (base == nullptr) {
        Fail(kErrorWrongToken);
        return;
    }
    if (!Took(base))
        return;
    m_variable = base->m_variable;
    m_nPointerLevel = base->m_nPointerLevel + CountStars(m_pNode->child[1]);
}

void CExpr::EvaluateIndex()
{
    CExpr *left = Operand(0);
    CExpr *right = Operand(1);
    if (left == nullptr || right == nullptr) {
        Fail(kErrorWrongToken);
        return;
    }
    if (!Took(left))
        return;
    DWORD base = 0;
    if (left->m_nPointerLevel != 0)
        return;
    if (left->TypeClass() == 4 && left->m_bAddressValid)
        base = left->m_address;
    else if (left->TypeClass() == 3 && left->m_bValueValid && left->m_value.IsInteger())
        base = left->m_value.bits; // a pointer is indexed from where it points
    else
        return;
    const MemberTag *element = left->GetMember(0);
    if (element == nullptr)
        return;
    const MemberTag found = *element;
    if (!Took(right))
        return;
    if (!right->m_bValueValid || !right->m_value.IsInteger()) {
        Fail(kErrorBadType);
        return;
    }
    m_variable = VariableTag();
    m_variable.Name = found.Name;
    TakeType(found);
    m_nPointerLevel = 0;
    m_address = base + static_cast<DWORD>(found.SizeInBits) / 8 * right->m_value.bits;
    m_bAddressValid = TRUE;
    m_location = CAddressValue(m_address, 1, 0);
    m_bLocationValid = TRUE;
    ReadValue();
}

void CExpr::EvaluateConditional()
{
    CExpr *condition = Operand(0);
    CExpr *first = Operand(1);
    CExpr *second = Operand(2);
    if (condition == nullptr || first == nullptr || second == nullptr) {
        Fail(kErrorWrongToken);
        return;
    }
    const BOOL conditionTaken = Took(condition);
    const BOOL firstTaken = Took(first);
    if (!Took(second) || !firstTaken || !conditionTaken)
        return;
    if (!condition->m_bValueValid || condition->m_value.kind == kValueNone)
        return;
    ExprValue a = first->m_bValueValid ? first->m_value : ExprValue();
    ExprValue b = second->m_bValueValid ? second->m_value : ExprValue();
    if (!Balance(a, b)) {
        Fail(kErrorConvert);
        return;
    }
    m_value = condition->m_value.IsTrue() ? a : b;
    m_bValueValid = TRUE;
}
