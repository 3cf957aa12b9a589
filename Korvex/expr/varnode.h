// The variable node tree: a watched or local variable as one node for itself and, below
// it, nodes for the members of a structure, the elements of an array, the object a
// pointer points to and the enumerators of an enumeration.
//
// Each node knows where its value lies (a memory address, a bit in memory, a register, a
// register pair or a constant), holds the bytes of its current and its previous value,
// turns them into text through the conversion table (valueconv.h), and reports text and
// changes to a watch or locals tree through IQelCommonWatch. The communication variable
// object builds, refreshes and edits the tree and serialises every access to it; nodes
// have no lock of their own.
#pragma once

#include "valueconv.h"

#include <addressvalue.h>
#include <afx.h>
#include <atlbase.h>
#include <hostinterfaces.h>
#include <qelcommonwatch.h>
#include <tagrecords.h>

typedef CArray<RegisterMapTag, RegisterMapTag &> CRegisterMapTagArray;

// Type classes of a node; the bit QELVAR_CLASS_FLAG may stand on top of any and is
// ignored wherever a class is compared.
enum : DWORD {
    QELVAR_CLASS_BASE = 0,
    QELVAR_CLASS_BITFIELD = 2,
    QELVAR_CLASS_POINTER = 3,
    QELVAR_CLASS_ARRAY = 4,
    QELVAR_CLASS_STRUCT = 5,
    QELVAR_CLASS_UNION = 6,
    QELVAR_CLASS_ENUM = 7,
    QELVAR_CLASS_CLASS = 8,
    QELVAR_CLASS_FUNCTION = 9,
    QELVAR_CLASS_ENUMERATOR = 12,
    QELVAR_CLASS_FLAG = 0x40000000,
};

// Address modes of a node's location (its first word).
enum : DWORD {
    QELVAR_MODE_NONE = 0xFFFFFFFF,
    QELVAR_MODE_NONE2 = 0xFFFFFFFE,
    QELVAR_MODE_CONSTANT = 0,
    QELVAR_MODE_CONSTANT2 = 0x40000000,
    QELVAR_MODE_MEMORY = 1,
    QELVAR_MODE_BIT = 0x40000001,
    QELVAR_MODE_REGISTER = 3,
    QELVAR_MODE_REGISTER2 = 0x40000003,
    QELVAR_MODE_REGISTER_PAIR = 4,
};

// Base type codes that the node itself looks at.
enum : LONG {
    QELVAR_BASE_FLOAT = 7,
    QELVAR_BASE_DOUBLE = 8,
    QELVAR_BASE_BIT = 13,
    QELVAR_BASE_INT64 = 107,
    QELVAR_BASE_UINT64 = 108,
};

class CQelBasicVarNode : public CObject {
    DECLARE_DYNAMIC(CQelBasicVarNode)
public:
    // The owner is the host's debug-server object (not referenced); it gives the
    // target-access object (command 202) and the program's type of floating-point order.
    explicit CQelBasicVarNode(IUnknown *owner);
    ~CQelBasicVarNode() override;

    // Slot 5: links `node` below the node of handle `parentItem` (0: as this node's next
    // sibling) where there is room; its name goes to `name`. 1 when linked.
    virtual BOOL LinkChild(LONG parentItem, CQelBasicVarNode *node, CString &name);
    // Slot 6: where the value lies; a structure or array places its children too.
    virtual void SetAddress(DWORD mode, DWORD value, DWORD third);
    // Slot 7: makes the value text; with `notify`, a tree and an item handle, the tree is
    // told (IQelCommonWatch::SetItemText).
    virtual void UpdateText(IUnknown *tree, BOOL notify);
    // Slot 8: reads the value text back into the value through the current format. The
    // value and text stay as they were when the text cannot be read (FALSE then).
    virtual BOOL ParseEditText(IUnknown *tree);
    virtual HRESULT GetValue(VARIANT *pValue);
    virtual HRESULT SetValue(VARIANT value);
    // Slot 11: 1 shown, 4 changed (basic node).
    virtual LONG GetDisplayState();
    // Slot 12: reads the value from the target, or with `write` writes a pending value;
    // 1 when the last access succeeded.
    virtual BOOL ReadValue(const CRegisterMapTagArray *registerMap, BOOL write);
    // Slot 13: direction 0 takes the value from *cursor, 1 puts it there; the cursor
    // advances by the node's size. The caller makes sure that many bytes are there.
    virtual BOOL CopyValueBuffer(BYTE **cursor, int direction);

    // Building from the symbol records.
    void BuildFromVariable(const VariableTag &tag);
    void BuildFromMember(const MemberTag &tag);

    // Tree operations. A node is found by its item handle, depth first (the node, its
    // children, then its siblings); NULL when none has it.
    CQelBasicVarNode *FindNode(LONG item);
    BOOL GetLocation(LONG item, CAddressValue &location);
    BOOL GetSymbolLocation(LONG item, CAddressValue &location);
    // Texts by code: 0 name, 1 value text, 10 display text, 101 type name, 102 scope.
    CString GetString(int code) const;
    // The display text (or with `valueText` the value text) of the node of `item`.
    BOOL SetDisplayText(LONG item, LPCSTR text, BOOL valueText);
    void SetItemHandle(LONG item) { m_hItem = item; }
    LONG GetItemHandle() const { return m_hItem; }
    // Hands the handles out along the sibling chain from this node, one each.
    void SetItemHandles(const LONG *items, int count);
    // The base type of the node of `item`; -1 when it has children or is not found.
    LONG GetBaseType(LONG item);
    BOOL IsEnumeration() const;
    BOOL IsArray(CString *displayText) const;
    BOOL SetCollapsed(LONG item, BOOL expanded);
    int GetDisplayFormat() const { return m_nFormat; }
    BOOL SetDisplayFormat(int format);
    // The name of format `index` (-1: the current one); empty when none.
    CString GetDisplayFormatName(int index) const;
    int GetEnumeratorCount() const;
    int GetChosenEnumerator() const { return m_nEnumerator; }
    BOOL SetChosenEnumerator(int index);
    BOOL GetEnumerator(int index, LONG *value, CString *name) const;
    // Queries the complex-memory interface of `object` for this node, its children and
    // its siblings; NULL lets go of it. A failure other than E_NOINTERFACE raises
    // _com_error.
    void SetComplexMemory(IUnknown *object);
    void SetDetached(BOOL detached) { m_bDetached = detached; }
    // Deletes the node with its siblings and everything below them.
    static void DeleteTree(CQelBasicVarNode *node);

    // What the converters and the tests read.
    DWORD GetTypeClass() const { return m_nTypeClass & ~QELVAR_CLASS_FLAG; }
    LONG GetBaseType() const { return m_nBaseType; }
    DWORD GetSize() const { return m_nSize; }
    const BYTE *GetBuffer() const { return m_pBuffer; }
    BYTE *GetBuffer() { return m_pBuffer; }
    const CAddressValue &GetLocation() const { return m_Location; }
    DWORD GetBitLayout() const { return m_nBitLayout; }
    BOOL IsWritePending() const { return m_bWritePending; }
    BOOL IsChanged() const { return m_bChanged; }
    BOOL IsCollapsed() const { return m_bCollapsed; }
    BOOL IsReadByMembers() const { return m_bReadByMembers; }
    BOOL IsWordSwapped() const;
    CQelBasicVarNode *GetFirstChild() const { return m_pFirstChild; }
    CQelBasicVarNode *GetNextSibling() const { return m_pNextSibling; }
    const CString &GetValueText() const { return m_ValueText; }
    void SetValueText(LPCSTR text) { m_ValueText = text; }
    void SetBitLayout(DWORD layout) { m_nBitLayout = layout; }
    void SetProgramType(const GUID &type) { m_ProgramType = type; }

    // Sets the converter of `format` (-1: the current one) to work on `op` with the
    // node's value: see QelConvertValue.
    int Convert(LONG *op, CString &text, void *a, void *b, IUnknown *tree, int format);

    void ClearWritePending() { m_bWritePending = FALSE; }

protected:
    friend void QelBitState(LONG *, CString &, void *, void *, CQelBasicVarNode *);

    // What the kinds of node reach in other nodes of the tree.
    static CString &NameOf(CQelBasicVarNode *node) { return node->m_Name; }
    static CString &DisplayOf(CQelBasicVarNode *node) { return node->m_DisplayText; }
    static void AttachChild(CQelBasicVarNode *parent, CQelBasicVarNode *child) { parent->m_pFirstChild = child; }
    static DWORD SizeInBitsOf(const CQelBasicVarNode *node) { return node->m_nSizeInBits; }

    // The buffers of `size` bytes, made anew only when the size changes.
    void MakeBuffers(DWORD size);
    void LookUpConversions();
    // The value of `size` bytes as the node holds it: the constant of the location or
    // the buffer's first bytes, in an 8-byte slot.
    void ValueSlot(BYTE slot[8]) const;
    // Compares the value with the one before through the current converter and sets
    // both changed flags.
    void CompareWithPrevious();
    // Sets both changed flags.
    void SetChanged(BOOL changed) { m_bChanged = m_bChangedShown = changed; }
    void SavePrevious();
    // The tree's IQelCommonWatch, or NULL when it has none (E_NOINTERFACE); another
    // failure raises _com_error.
    static CComPtr<IQelCommonWatch> WatchOf(IUnknown *tree);
    void NotifyText(IQelCommonWatch *watch, BOOL notify);
    // The names of the enumerators whose value the value is, joined by ", "; FALSE (and
    // no enumerator chosen) when none is, or while the enumerators are still to come.
    BOOL EnumeratorText(const BYTE slot[8], IQelCommonWatch *watch, CString &text);
    void MarkReadByMembers();
    BOOL HoldsBits() const;
    // The target-access object, held or NULL.
    IQelTargetAccess *TargetAccess() const { return m_pTargetAccess; }
    IQelComplexMemory *ComplexMemory() const { return m_pComplexMemory; }
    BOOL ReadMemoryValue(BOOL write);
    // Whether the current converter merges a value into its storage; a block is
    // written whole.
    BOOL MergesItself() const;
    BOOL ReadBitValue(BOOL write);
    BOOL ReadRegisterValue(const CRegisterMapTagArray *registerMap, BOOL write);
    BOOL AccessRegister(const CRegisterMapTagArray *registerMap, LONG number, BYTE *bytes, DWORD count,
                        BOOL write);
    BOOL WordSizeBits(LONG *bits);
    BOOL IsRegisterMode() const;
    BOOL IsConstantMode() const;
    BOOL ClassIs(DWORD typeClass) const { return GetTypeClass() == typeClass; }

    CComPtr<IQelTargetAccess> m_pTargetAccess;  // 1
    IUnknown *m_pOwner;                          // 2, not referenced
    CAddressValue m_Location;                    // 3
    BYTE *m_pBuffer = nullptr;                   // 4
    DWORD m_nSize = 0;                           // 5
    BOOL m_bWritePending = FALSE;                // 6
    BOOL m_bFirstDisplay = TRUE;                 // 7
    BOOL m_bReadByMembers = FALSE;               // 8
    DWORD m_nTypeClass = 0;                      // 9
    CQelBasicVarNode *m_pNextSibling = nullptr;  // 10
    CQelBasicVarNode *m_pFirstChild = nullptr;   // 11
    BOOL m_bCollapsed = FALSE;                   // 12
    BYTE *m_pPrevious = nullptr;                 // 13
    CComPtr<IQelComplexMemory> m_pComplexMemory; // 14
    BOOL m_bChanged = FALSE;                     // 15
    BOOL m_bChangedShown = FALSE;                // 16
    BOOL m_bDetached = FALSE;                    // 17
    LONG m_hItem = 0;                            // 18
    CString m_ScopeText;                         // 19
    CAddressValue m_SymbolLocation;              // 20
    int m_nFormat = 0;                           // 21
    int m_nEnumerator = -1;                      // 22
    CString m_FormatNames[4];                    // 23
    DWORD m_nConverterKind = 0;                  // 24
    QELPLAINCONVERTER m_Plain[4] = {};           // 25
    QELNODECONVERTER m_Node[4] = {};
    CString m_ValueText;                         // 26
    CString m_Name;                              // 27
    LONG m_nBaseType = 0;                        // 28
    CString m_TypeName;                          // 29
    DWORD m_nSizeInBits = 0;                     // 30
    DWORD m_nSymbolIndex = 0;                    // 31
    DWORD m_nBitLayout = 0;                      // 32
    DWORD m_nTypeAttribute = 0;                  // 33
    DWORD m_nSymbolId = 0;                       // 34
    BOOL m_bEnumeratorsRequested = FALSE;        // 35
    GUID m_ProgramType;                          // 36
    CString m_DisplayText;                       // 37
    CString m_MadeText;                          // the value text as UpdateText made it
    LONG m_nWordBits = 0;                        // the target's word size once asked; 0 before
};
