// CExpr: the evaluator of a watch expression. One CExpr stands for one node of the parse
// tree and makes the objects of its operands when it first needs them, so an expression
// becomes a tree of CExpr that mirrors its parse tree.
//
// Evaluation is lazy: nothing is read until a caller asks for the value, the address, the
// variable record or a member, and a result is kept until the owner resets it. Symbols
// come from the symbol server through synchronous requests, so the owner's thread must
// never be the server's worker. Values come from target memory (IMemAccess) and from the
// registers of the host's target-access object.
//
// A failure sets COM error information with one of the texts of ExprError and marks the
// node failed for good; a node whose operand failed is failed too, leaving the operand's
// text. A node without a value and without an error (a structure, a zero divisor) is not
// failed.
#pragma once

#include "exprvalue.h"
#include "memaccess.h"
#include "watchparsenode.h"

#include <hostinterfaces.h>
#include <symbolprocessing.h>

class CTarArchConverter;

// The errors of the evaluator, by the index of their text.
enum ExprError {
    kErrorNoSymbol = 0,
    kErrorNoMember = 1,
    kErrorBadType = 2,
    kErrorConvert = 3,
    kErrorDeref = 4,
    kErrorNotSimple = 5,
    kErrorWrongToken = 6,
    kErrorAmbiguous = 7,
};

// The text of an error, as the user sees it.
LPCSTR ExprErrorText(int error);

class CExpr {
public:
    // The scope name that lets lookup by scope take globals only.
    static constexpr const char *kGlobalScope = "(global)";

    // `target` is the host's target-access object (a reference is taken, and NULL is
    // allowed: then no register, no instruction pointer and no pointer conversion);
    // `registerMap` the owner's map of debug-information register numbers to host ids.
    // Neither the client, the memory, the map, the parent nor the converter is owned.
    CExpr(WatchParseNode *node, CSymbolProcessing *client, IMemAccess *memory, IQelTargetAccess *target,
          const CRegisterMapTagArray *registerMap, CExpr *parent, CTarArchConverter *converter, int lookupMode,
          LPCSTR scopeName);
    virtual ~CExpr();
    CExpr(const CExpr &) = delete;
    CExpr &operator=(const CExpr &) = delete;

    // Each evaluates first when its result is not known yet. GetValue and GetVariable
    // answer whether the value is set (GetVariable copies the record all the same),
    // GetAddress whether the address is.
    BOOL GetValue(ExprValue *value);
    BOOL GetAddress(DWORD *address);
    BOOL GetVariable(VariableTag *variable);
    LONG GetTypeId();
    // The location that the symbol's address triple resolved to (a lifetime's range
    // for mode 5); FALSE when there is none.
    BOOL GetLocation(CAddressValue *location);
    int GetPointerLevel();

    // A member of the result's type by its index or by its name (case counts); NULL when
    // there is none. The member list is fetched once.
    const MemberTag *GetMember(int index);
    const MemberTag *FindMember(LPCSTR name);

    // Makes this node a member name of `parent`'s type.
    void SetParent(CExpr *parent) { m_pParent = parent; }

    // Forget the values (the target ran), or the symbols too (the program changed), in
    // this node and all below it.
    void ResetValues();
    void ResetSymbols();

    BOOL IsFailed() const { return m_bFailed; }
    // The error that failed this node or the operand it failed with; -1 for none, or
    // for a failed request to the symbol server, which has no text of its own.
    int GetError() const;

private:
    // The dereferenced object of `operand`, which stands for *operand.
    CExpr(CExpr *derefOf, CExpr *like);

    void Evaluate();
    void EvaluateOperator();
    void EvaluateCast();
    void EvaluatePointerType();
    void EvaluateIndex();
    void EvaluateConditional();
    void EvaluateMember(CExpr *holder);
    void EvaluateIdentifier();
    void EvaluateMemberName();
    void EvaluateTypeName(LPCSTR name);
    void EvaluateKeyword();
    void EvaluateTagType(LONG typeClass);
    void Dereference(CExpr *operand);

    // Lookup and location (exprlookup.cpp).
    BOOL Lookup(LPCSTR name);
    BOOL LookupByScope(LPCSTR name);
    BOOL LookupByPosition(LPCSTR name);
    BOOL TakeLabel(LPCSTR name, BOOL data);
    BOOL Asked(int request, CVariableTagArray &found);
    BOOL Resolve();
    BOOL CurrentAddress(DWORD *pc);
    BOOL HostRegister(LONG number, LONG *id) const;

    // Reading (exprread.cpp).
    void ReadValue();
    BOOL ReadRaw(BYTE *buffer, DWORD bytes, LONG sizeInBits);
    void ReadBitField(const MemberTag &member, DWORD holderAddress);
    BOOL ToLinear(LONG kind, DWORD pointer, DWORD *linear);

    CExpr *Operand(int child);
    CExpr *MakeChild(WatchParseNode *node, CExpr *parent);
    BOOL LoadMembers();
    BOOL TypeKnown() const { return m_variable.TypeCode != -1; }
    LONG TypeClass() const { return m_variable.TypeCode & ~0x40000000; }
    LONG ValueKind() const;
    void TakeType(const MemberTag &type);
    void TakeResult(CExpr *from);
    void Fail(int error);
    // Failed without a text of its own: an operand failed (its text stands), or the
    // symbol server did.
    void FailWith() { m_bFailed = TRUE; }
    // Evaluates `operand`; FALSE, failing this node too, when the operand failed.
    BOOL Took(CExpr *operand);

    CSymbolProcessing *m_pClient;
    IMemAccess *m_pMemory;
    IQelTargetAccess *m_pTarget;
    CTarArchConverter *m_pConverter;
    WatchParseNode *m_pNode;
    CExpr *m_pParent;
    BOOL m_bSymbolFound = FALSE;
    BOOL m_bFailed = FALSE;
    int m_nError = -1;
    int m_nLookupMode;
    CString m_scopeName;
    BOOL m_bMembersLoaded = FALSE;
    BOOL m_bValueValid = FALSE;
    BOOL m_bAddressValid = FALSE;
    BOOL m_bEvaluated = FALSE;
    int m_nPointerLevel = 0;
    ExprValue m_value;
    DWORD m_address = 0;
    VariableTag m_variable;
    CAddressValue m_location;
    BOOL m_bLocationValid = FALSE;
    // The operand of a unary &, and the member it names: its address is wanted, and no
    // memory is read for a value that nobody asks.
    BOOL m_bAddressOnly = FALSE;
    CMemberTagArray m_members;
    LONG m_membersOf = -1; // the type index whose members m_members holds
    CLifetimeTagArray m_lifetime;
    BOOL m_bLifetimeLoaded = FALSE;
    const CRegisterMapTagArray *m_pRegisterMap;
    CExpr *m_pLeft = nullptr;
    CExpr *m_pRight = nullptr;
    CExpr *m_pDereferenced = nullptr;
    CExpr *m_pDerefOf = nullptr; // for the dereferenced object: whom it stands for
    CExpr *m_pThird = nullptr;   // the conditional's third operand
};
