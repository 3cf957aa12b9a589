// The kinds of variable node beside the basic one: pointers, structures (and unions and
// classes), arrays, and the pseudo variables whose value comes from outside.
#pragma once

#include "varnode.h"

class CQelPointerVarNode : public CQelBasicVarNode {
    DECLARE_DYNAMIC(CQelPointerVarNode)
public:
    explicit CQelPointerVarNode(IUnknown *owner);

    BOOL LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name) override;
    void UpdateText(IUnknown *tree, BOOL notify) override;
    HRESULT GetValue(VARIANT *pValue) override;
    BOOL ReadValue(const CRegisterMapTagArray *registerMap, BOOL write) override;
    BOOL CopyValueBuffer(BYTE **cursor, int direction) override;

    BOOL HasTarget() const { return m_bTargetValid; }
    const CAddressValue &GetTarget() const { return m_Target; }
    // The text of the string preview, empty when there is none.
    CString GetPreview() const;

private:
    // After the pointer's value was read: its target, the object behind it and the
    // string preview.
    void AfterRead(const CRegisterMapTagArray *registerMap, BOOL write);
    void ComputeTarget();
    void MakePreview();

    BOOL m_bTargetValid = FALSE;
    CAddressValue m_Target;
    BYTE *m_pPreview = nullptr; // 32 bytes, made on first use

public:
    ~CQelPointerVarNode() override;
};

// A node whose children lie in one block of its bytes (structures and arrays): the block
// is read and written in one access unless a child is a bit or a bit field.
class CQelBlockVarNode : public CQelBasicVarNode {
    DECLARE_DYNAMIC(CQelBlockVarNode)
public:
    explicit CQelBlockVarNode(IUnknown *owner, DWORD typeClass);

    BOOL LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name) override;
    BOOL ReadValue(const CRegisterMapTagArray *registerMap, BOOL write) override;
    BOOL CopyValueBuffer(BYTE **cursor, int direction) override;

protected:
    // Moves the bytes of the children that fit in `block` (the node's size) in
    // `direction`; with `pendingOnly` a child may move only with a pending write.
    // `hadPending` collects whether any child had one.
    virtual BOOL CopyChildren(BYTE *block, int direction, bool pendingOnly, bool *hadPending) = 0;
};

class CQelStructVarNode : public CQelBlockVarNode {
    DECLARE_DYNAMIC(CQelStructVarNode)
public:
    explicit CQelStructVarNode(IUnknown *owner);

    void SetAddress(DWORD mode, DWORD value, DWORD third) override;
    void UpdateText(IUnknown *tree, BOOL notify) override;
    HRESULT GetValue(VARIANT *pValue) override;

protected:
    // A member of class 0 moves with `pendingOnly` only when it has a pending write.
    BOOL CopyChildren(BYTE *block, int direction, bool pendingOnly, bool *hadPending) override;

private:
    // Where a member's bytes start in the structure's; in a register every member
    // starts at 0.
    DWORD MemberOffset(const CQelBasicVarNode *member) const;
};

class CQelArrayVarNode : public CQelBlockVarNode {
    DECLARE_DYNAMIC(CQelArrayVarNode)
public:
    explicit CQelArrayVarNode(IUnknown *owner);

    void SetAddress(DWORD mode, DWORD value, DWORD third) override;
    void UpdateText(IUnknown *tree, BOOL notify) override;
    HRESULT GetValue(VARIANT *pValue) override;

protected:
    // Element after element, as far as they fit; every element moves.
    BOOL CopyChildren(BYTE *block, int direction, bool pendingOnly, bool *hadPending) override;
};

// The value record of a pseudo variable: the result type (1 signed 32 bits, 2 unsigned
// 32 bits, 3 double) and 8 value bytes.
struct QelComplexValue {
    LONG resultType = 0;
    BYTE bytes[8] = {};
};

class CQelComplexVarNode : public CQelBasicVarNode {
    DECLARE_DYNAMIC(CQelComplexVarNode)
public:
    explicit CQelComplexVarNode(IUnknown *owner);

    void UpdateText(IUnknown *tree, BOOL notify) override;
    BOOL ParseEditText(IUnknown *tree) override;
    LONG GetDisplayState() override;

    // Sets the pseudo variable: kind 0 a name that is no valid variable, 1 an expression
    // value; answers the kind it became (2 for a value with a user format).
    DWORD Set(DWORD kind, LPCSTR text, const QelComplexValue &value);
    DWORD GetKind() const { return m_nKind; }
    const CString &GetUserFormat() const { return m_UserFormat; }

private:
    DWORD m_nKind = 0;
    QelComplexValue m_Value;
    CString m_UserFormat;
};

// Whether `node` or a node below it has a value to write.
bool QelWritePendingBelow(const CQelBasicVarNode *node);

// A name from a member query's pattern ("*%s", "%s[%d]"): "%s" becomes `name` and "%d"
// the index, literally; nothing else of the pattern is read as a format.
CString QelFillNamePattern(LPCSTR pattern, LPCSTR name, int index);
