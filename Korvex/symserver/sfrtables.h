// CSfrTables: what one code 3000 read from a controller database, with the lookups over
// it.
//
// A set of tables never changes once made. The engine holds the current one and a new
// code 3000 puts another in its place under the engine's lock; a lookup, or a module
// that resolved a list handle, holds the set it started with by a reference of its own,
// so nothing it reads is freed or changed under it. The two list handles stand from
// construction until Retire, which the engine calls when it lets the set go.
#pragma once

#include <elfhash.h>
#include <sfrlists.h>

#include <atlbase.h>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class CSfrTables {
public:
    // Takes the lists, builds the lookups and registers the list handles (when there are
    // registers). Counted from 1, the caller's reference.
    CSfrTables(const CSfrDerivative &derivative, std::unique_ptr<CSfrRegisterList> registers,
               std::unique_ptr<CSfrBlockList> blocks);
    CSfrTables(const CSfrTables &) = delete;
    CSfrTables &operator=(const CSfrTables &) = delete;

    void AddRef();
    void Release();
    // Withdraws the list handles: a module that has not resolved one yet finds nothing.
    void Retire();

    const CSfrDerivative &Derivative() const { return m_Derivative; }
    const CSfrRegisterList &Registers() const { return *m_Registers; }
    const CSfrBlockList &Blocks() const { return *m_Blocks; }
    // 1 when the table holds at least one register; every lookup below answers "not
    // found" otherwise.
    DWORD RegistersLoaded() const { return m_Registers->GetSize() > 0 ? 1 : 0; }

    // The index of the register at (mode, value, 0), mode 8 for space 1 and 7 for any
    // other; -1 when none.
    int FindRegisterByAddress(DWORD value, LONG space) const;
    BOOL GetRegisterNameByAddress(DWORD value, LONG space, CString &name) const;
    BOOL GetBitName(DWORD value, LONG bit, LONG space, CString &name) const;
    BOOL GetRegisterNameByAbsoluteAddress(DWORD value, CString &name) const;
    // A register's first address of mode 1, or a handle for the pseudo names (the two
    // lists and the derivative); 0xFFFFFFFF when not found.
    DWORD GetRegisterAddress(LPCSTR name) const;
    // The C16x register area of `index`: its start, with both bounds in the out values
    // (0xFFFFFFFF for areas 5 and 6, which do not exist).
    DWORD GetRegisterArea(LONG index, DWORD &start, DWORD &end) const;
    // The blocks as VT_ARRAY | VT_BSTR, name and description each.
    HRESULT GetRegisterBlocks(VARIANT *blocks) const;
    // The further lookup (qelcontrollerengine.h, slot 16) as VT_ARRAY | VT_UI4.
    HRESULT GetInterruptControlList(VARIANT *list) const;
    // The registers of that list whose ResetValue is no number (they give 0), for the
    // engine's trace.
    const std::vector<CString> &UnreadResetValues() const { return m_UnreadResetValues; }

private:
    ~CSfrTables();
    static void AddRefContext(void *context);
    static void ReleaseContext(void *context);

    std::atomic<LONG> m_nReferences{1};
    CSfrDerivative m_Derivative;
    std::unique_ptr<CSfrRegisterList> m_Registers;
    std::unique_ptr<CSfrBlockList> m_Blocks;
    // Mutable only because the framework's Lookup takes its key by reference; the maps
    // are filled in the constructor and never changed after.
    mutable CMap<CString, CString &, int, int &> m_RegisterByName;
    mutable CMap<CAddressValue, CAddressValue &, int, int &> m_RegisterByAddress;
    std::vector<DWORD> m_InterruptControl; // three words per register, see slot 16
    std::vector<CString> m_UnreadResetValues;
    std::atomic<DWORD> m_hRegisters{0};
    std::atomic<DWORD> m_hBlocks{0};
    std::atomic<DWORD> m_hDerivative{0};
};

// A counted reference to a set of tables; empty before the first code 3000.
class CSfrTablesRef {
public:
    CSfrTablesRef() = default;
    // Adopts the reference that `tables` carries.
    static CSfrTablesRef Adopt(CSfrTables *tables)
    {
        CSfrTablesRef ref;
        ref.m_p = tables;
        return ref;
    }
    CSfrTablesRef(const CSfrTablesRef &other) : m_p(other.m_p)
    {
        if (m_p != nullptr)
            m_p->AddRef();
    }
    CSfrTablesRef &operator=(CSfrTablesRef other)
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CSfrTablesRef()
    {
        if (m_p != nullptr)
            m_p->Release();
    }
    CSfrTables *operator->() const { return m_p; }
    CSfrTables *Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    CSfrTables *m_p = nullptr;
};

// A new set of tables with nothing in it, as before the first code 3000.
CSfrTablesRef EmptySfrTables();
