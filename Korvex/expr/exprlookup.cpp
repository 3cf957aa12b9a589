// Finding the symbol that a name stands for, and where it lives now.
#include "expr.h"

#include "watchtokens.h"

namespace {

// The base-type code that a label's size in bits gives it.
LONG CodeOfLabelSize(LONG bits)
{
    switch (bits) {
    case 8: return 1;
    case 16: return 3;
    case 32: return 5;
    default: return 0;
    }
}

struct KeywordType {
    UINT token;
    const char *text;
    LONG code;    // -1: the word size decides (int or unsigned int)
    LONG bits;    // 0: the word size
};

const KeywordType kKeywords[] = {
    {T_CHAR, "char", 1, 8},
    {kWatchSignedChar, "signed char", 1, 8},
    {kWatchUnsignedChar, "unsigned char", 2, 8},
    {T_SHORT, "short", 3, 16},
    {T_INT, "int", -1, 0},
    {T_SIGNED, "signed", -1, 0},
    {kWatchSignedInt, "signed int", -1, 0},
    {T_UNSIGNED, "unsigned", -2, 0},
    {kWatchUnsignedInt, "unsigned int", -2, 0},
    {T_LONG, "long", 5, 32},
    {kWatchSignedLong, "signed long", 5, 32},
    {kWatchUnsignedLong, "unsigned long", 6, 32},
    {T_FLOAT, "float", 7, 32},
    {T_DOUBLE, "double", 8, 64},
    {T_VOID, "void", -3, 0},
};

} // namespace

BOOL CExpr::Asked(int request, CVariableTagArray &found)
{
    if (m_pClient->GetVariables(request, found))
        return TRUE;
    FailWith(); // the server's failure has no text of ours
    return FALSE;
}

BOOL CExpr::TakeLabel(LPCSTR name, BOOL data)
{
    CLabelTagArray labels;
    const int request = data ? m_pClient->RequestDataLabel(name, 0) : m_pClient->RequestCodeLabel(name, 0);
    if (!m_pClient->GetLabels(request, labels)) {
        FailWith();
        return FALSE;
    }
    if (labels.GetSize() == 0)
        return FALSE;
    const LabelTag &label = labels[0];
    VariableTag variable;
    variable.Name = label.Name;
    variable.AddressMode = label.AddressMode;
    variable.AddressValue = label.AddressValue;
    variable.AddressExtra = label.AddressExtra;
    variable.TypeCode = 0;
    variable.SizeInBits = label.Size;
    variable.TypeIndex = CodeOfLabelSize(label.Size);
    m_variable = variable;
    return TRUE;
}

BOOL CExpr::LookupByScope(LPCSTR name)
{
    CVariableTagArray found;
    if (m_scopeName != kGlobalScope) {
        if (!Asked(m_pClient->RequestStatics(name, "*", 0), found))
            return FALSE;
        for (int i = 0; i < found.GetSize(); ++i) {
            if (found[i].ScopeText == m_scopeName && found[i].AddressMode == 1) {
                m_variable = found[i];
                return TRUE;
            }
        }
    }
    found.RemoveAll();
    if (!Asked(m_pClient->RequestGlobals(name, "*", 0), found))
        return FALSE;
    if (found.GetSize() > 1) {
        Fail(kErrorAmbiguous);
        return FALSE;
    }
    if (found.GetSize() == 1 && found[0].AddressMode == 1) {
        m_variable = found[0];
        return TRUE;
    }
    CString dataName;
    dataName.Format("_%s", name);
    return TakeLabel(name, FALSE) || (!m_bFailed && TakeLabel(dataName, TRUE));
}

BOOL CExpr::LookupByPosition(LPCSTR name)
{
    CVariableTagArray found;
    DWORD pc = 0;
    // Without a position (no stop yet) only the globals are in scope.
    const int request = CurrentAddress(&pc) ? m_pClient->RequestVariablesInScope(1, pc, name, 0)
                                            : m_pClient->RequestGlobals(name, "*", 0);
    if (!Asked(request, found))
        return FALSE;
    if (found.GetSize() > 0) {
        VariableTag variable = found[0];
        variable.TypeCode &= ~0x40000000;
        m_variable = variable;
        return TRUE;
    }
    CString dataName;
    dataName.Format("_%s", name);
    if (TakeLabel(name, FALSE) || (!m_bFailed && TakeLabel(dataName, TRUE)))
        return TRUE;
    if (m_bFailed)
        return FALSE;
    if (Asked(m_pClient->RequestStatics(name, "*", 0), found) && found.GetSize() > 0) {
        m_variable = found[0];
        return TRUE;
    }
    return FALSE;
}

BOOL CExpr::Lookup(LPCSTR name)
{
    if (m_pClient == nullptr)
        return FALSE;
    return m_nLookupMode != 0 ? LookupByScope(name) : LookupByPosition(name);
}

void CExpr::EvaluateIdentifier()
{
    if (!m_bSymbolFound) {
        if (!Lookup(m_pNode->name)) {
            if (!m_bFailed)
                Fail(kErrorNoSymbol);
            return;
        }
        m_bSymbolFound = TRUE;
    }
    m_nPointerLevel = 0;
    if (Resolve())
        ReadValue();
}

void CExpr::EvaluateTypeName(LPCSTR name)
{
    if (!m_bSymbolFound) {
        m_bSymbolFound = TRUE;
        CMemberTagArray types;
        if (m_pClient != nullptr && m_pClient->GetMembers(m_pClient->RequestType(name, 0), types) &&
            types.GetSize() > 0) {
            m_variable.Name = name;
            TakeType(types[0]);
        }
    }
    m_nPointerLevel = 0;
}

// "struct name", "union name" and "enum name": no value, but the type of that tag, which
// a cast needs. A typedef of the same name is passed by.
void CExpr::EvaluateTagType(LONG typeClass)
{
    m_nPointerLevel = 0;
    if (m_bSymbolFound)
        return;
    m_bSymbolFound = TRUE;
    const WatchParseNode *tag = m_pNode->child[0];
    CMemberTagArray types;
    if (tag == nullptr || tag->kind != kWatchIdentifier || m_pClient == nullptr ||
        !m_pClient->GetMembers(m_pClient->RequestType(tag->name, 0), types))
        return;
    for (int i = 0; i < types.GetSize(); ++i) {
        if (types[i].TypeCode == typeClass) {
            m_variable.Name = types[i].Name;
            TakeType(types[i]);
            return;
        }
    }
}

void CExpr::EvaluateKeyword()
{
    m_nPointerLevel = 0;
    if (m_bSymbolFound)
        return;
    m_bSymbolFound = TRUE;
    const KeywordType *keyword = nullptr;
    for (const KeywordType &entry : kKeywords)
        if (entry.token == m_pNode->number)
            keyword = &entry;
    if (keyword == nullptr)
        return; // enum, struct, union, bit and bitword name no type of their own
    LONG wordSize = 32;
    if (m_pClient == nullptr || !m_pClient->GetWordSize(&wordSize) || (wordSize != 16 && wordSize != 32))
        wordSize = 32;
    const LONG bits = keyword->code == -1 || keyword->code == -2 ? wordSize : keyword->bits;
    // The program's own type of the keyword's name tells what the compiler made of it (a
    // plain char holds no sign on ARM); a type of another size under that name is no C
    // type of the keyword, whatever the program file calls it.
    CMemberTagArray types;
    if (m_pClient != nullptr && m_pClient->GetMembers(m_pClient->RequestType(keyword->text, 0), types) &&
        types.GetSize() > 0 && !types[0].Name.IsEmpty() && types[0].TypeCode == 0 && types[0].SizeInBits == bits) {
        m_variable.Name = types[0].Name;
        TakeType(types[0]);
        return;
    }
    m_variable.Name = keyword->text;
    m_variable.TypeText = keyword->text;
    m_variable.TypeCode = 0;
    m_variable.PointerClass = 0;
    m_variable.SizeInBits = bits;
    switch (keyword->code) {
    case -1: m_variable.TypeIndex = wordSize == 16 ? 9 : 11; break;
    case -2: m_variable.TypeIndex = wordSize == 16 ? 10 : 12; break;
    case -3: m_variable.TypeIndex = -1; break; // void: a type without code or size
    default: m_variable.TypeIndex = keyword->code; break;
    }
}

BOOL CExpr::CurrentAddress(DWORD *pc)
{
    ULONG address = 0;
    if (m_pTarget == nullptr || m_pTarget->GetCurrentAddress(&address) != S_OK)
        return FALSE;
    *pc = address;
    return TRUE;
}

BOOL CExpr::HostRegister(LONG number, LONG *id) const
{
    if (m_pRegisterMap == nullptr)
        return FALSE;
    for (int i = 0; i < m_pRegisterMap->GetSize(); ++i) {
        const RegisterMapTag &entry = m_pRegisterMap->GetAt(i);
        if (entry.Number == number && entry.RegisterIndex >= 0) {
            *id = entry.RegisterIndex;
            return TRUE;
        }
    }
    return FALSE;
}

// Where the symbol lives now: its address triple, or for mode 5 the first lifetime range
// that holds the instruction pointer, start <= PC < start + length, and does not mark
// the symbol dead. FALSE when it has no location; failing register reads fail the node.
BOOL CExpr::Resolve()
{
    CAddressValue location(m_variable.AddressValue, m_variable.AddressMode, m_variable.AddressExtra);
    if (location.AddressMode == 5) {
        if (!m_bLifetimeLoaded) {
            m_bLifetimeLoaded = TRUE;
            m_lifetime.RemoveAll();
            if (m_pClient != nullptr)
                m_pClient->GetLifetime(m_pClient->RequestLifetime(m_variable.SymbolIndex, 0), m_lifetime);
        }
        DWORD pc = 0;
        if (!CurrentAddress(&pc))
            return FALSE;
        const LifetimeTag *range = nullptr;
        for (int i = 0; i < m_lifetime.GetSize() && range == nullptr; ++i) {
            const LifetimeTag &entry = m_lifetime[i];
            const uint64_t start = entry.From.AddressValue;
            if (start <= pc && pc < start + entry.From.AddressExtra && entry.To.AddressMode != 6)
                range = &entry;
        }
        // A range that again depends on the position would be resolved without end.
        if (range == nullptr || range->To.AddressMode == 5)
            return FALSE;
        location = range->To;
    }
    switch (location.AddressMode) {
    case 1:
    case 0x40000001:
        m_address = location.AddressValue;
        m_bAddressValid = TRUE;
        break;
    case 2: {
        LONG id = 0;
        ULONG stack = 0, linear = 0;
        if (m_pTarget == nullptr || !HostRegister(static_cast<LONG>(location.AddressExtra), &id) ||
            m_pTarget->ReadRegister(id, &stack) != S_OK ||
            FAILED(m_pTarget->PointerToLinear(0, stack >> 16, stack & 0xFFFF, &linear))) {
            Fail(kErrorNotSimple);
            return FALSE;
        }
        m_address = linear + location.AddressValue;
        m_bAddressValid = TRUE;
        location = CAddressValue(m_address, 1, 0);
        break;
    }
    case 3:
    case 0x40000003:
    case 4:
        break;
    default:
        return FALSE;
    }
    m_location = location;
    m_bLocationValid = TRUE;
    return TRUE;
}
