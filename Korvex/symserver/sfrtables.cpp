#include "sfrtables.h"

#include <primesize.h>
#include <sfrnumber.h>

#include <cstring>

namespace {

const char kAllRegisters[] = "_QUICK_HACK_ALL_";
const char kAllBlocks[] = "_QUICK_HACK_BLOCKS_";
const char kDerivative[] = "_QUICK_HACK_DERIVATIVE_";
const DWORD kNotFound = 0xFFFFFFFF;

// The C16x register areas by index; 5 and 6 do not exist.
const DWORD kAreas[8][2] = {
    {0xFA00, 0xFBFF}, {0xFB00, 0xFBFF},       {0xFB80, 0xFBFF},       {0xFBC0, 0xFBFF},
    {0xF800, 0xFBFF}, {kNotFound, kNotFound}, {kNotFound, kNotFound}, {0xF600, 0xFDFF},
};

} // namespace

CSfrTables::CSfrTables(const CSfrDerivative &derivative, std::unique_ptr<CSfrRegisterList> registers,
                       std::unique_ptr<CSfrBlockList> blocks)
    : m_Derivative(derivative), m_Registers(std::move(registers)), m_Blocks(std::move(blocks))
{
    const int count = m_Registers->GetSize();
    m_RegisterByName.InitHashTable(GetPrimeAtLeast(static_cast<DWORD>(count)));
    m_RegisterByAddress.InitHashTable(GetPrimeAtLeast(2 * static_cast<DWORD>(count)));
    // A later register of the same name or address overwrites the earlier entry.
    for (int i = 0; i < count; ++i) {
        _SpecialFunctionRegisterTag &entry = (*m_Registers)[i];
        m_RegisterByName[entry.Name] = i;
        for (int a = 0; a < entry.Addresses.GetSize(); ++a)
            m_RegisterByAddress[entry.Addresses[a]] = i;
        if (entry.Type != 13 && entry.Type != 14)
            continue;
        for (int a = 0; a < entry.Addresses.GetSize(); ++a) {
            if (entry.Addresses[a].AddressMode != 1)
                continue;
            DWORD reset = 0;
            if (!ParseSfrNumber(entry.ResetValue, reset))
                m_UnreadResetValues.push_back(entry.Name);
            m_InterruptControl.insert(m_InterruptControl.end(),
                                      {entry.Addresses[a].AddressValue, entry.NamedBitMask & ~entry.ReadOnlyMask, reset});
            break;
        }
    }
    if (count > 0) {
        m_hRegisters = QelRegisterObjectHandle(QEL_HANDLE_SFR_REGISTERS, m_Registers.get(), this, AddRefContext,
                                               ReleaseContext);
        m_hBlocks = QelRegisterObjectHandle(QEL_HANDLE_SFR_BLOCKS, m_Blocks.get(), this, AddRefContext, ReleaseContext);
        m_hDerivative = QelRegisterObjectHandle(QEL_HANDLE_SFR_DERIVATIVE, &m_Derivative, this, AddRefContext,
                                                ReleaseContext);
    }
}

CSfrTables::~CSfrTables() = default;

void CSfrTables::AddRef()
{
    m_nReferences.fetch_add(1, std::memory_order_relaxed);
}

void CSfrTables::Release()
{
    if (m_nReferences.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

void CSfrTables::AddRefContext(void *context)
{
    static_cast<CSfrTables *>(context)->AddRef();
}

void CSfrTables::ReleaseContext(void *context)
{
    static_cast<CSfrTables *>(context)->Release();
}

void CSfrTables::Retire()
{
    // The handles hold references of the table's: the set may go inside these calls, so
    // the caller keeps one of its own across Retire.
    for (std::atomic<DWORD> *handle : {&m_hRegisters, &m_hBlocks, &m_hDerivative}) {
        const DWORD withdrawn = handle->exchange(0);
        if (withdrawn != 0)
            QelWithdrawObjectHandle(withdrawn);
    }
}

int CSfrTables::FindRegisterByAddress(DWORD value, LONG space) const
{
    if (!RegistersLoaded())
        return -1;
    CAddressValue key(value, space == 1 ? 8 : 7, 0);
    int index = -1;
    return m_RegisterByAddress.Lookup(key, index) ? index : -1;
}

BOOL CSfrTables::GetRegisterNameByAddress(DWORD value, LONG space, CString &name) const
{
    name.Empty();
    const int index = FindRegisterByAddress(value, space);
    if (index < 0)
        return FALSE;
    name = (*m_Registers)[index].Name;
    return TRUE;
}

BOOL CSfrTables::GetBitName(DWORD value, LONG bit, LONG space, CString &name) const
{
    name.Empty();
    const int index = FindRegisterByAddress(value, space);
    if (index < 0)
        return FALSE;
    const _SpecialFunctionRegisterTag &entry = (*m_Registers)[index];
    for (int f = 0; f < entry.Fields.GetSize(); ++f) {
        const SpecialFunctionRegisterFieldTag &field = entry.Fields[f];
        if (field.Offset == static_cast<DWORD>(bit) && field.Width == 1)
            name = entry.Name + "." + field.Name;
    }
    return !name.IsEmpty();
}

BOOL CSfrTables::GetRegisterNameByAbsoluteAddress(DWORD value, CString &name) const
{
    name.Empty();
    if (!RegistersLoaded())
        return FALSE;
    CAddressValue key(value, 1, 0);
    int index = -1;
    if (!m_RegisterByAddress.Lookup(key, index))
        return FALSE;
    name = (*m_Registers)[index].Name;
    return TRUE;
}

DWORD CSfrTables::GetRegisterAddress(LPCSTR name) const
{
    if (!RegistersLoaded() || name == nullptr)
        return kNotFound;
    const std::atomic<DWORD> *pseudo = strcmp(name, kAllRegisters) == 0 ? &m_hRegisters
                                       : strcmp(name, kAllBlocks) == 0  ? &m_hBlocks
                                       : strcmp(name, kDerivative) == 0 ? &m_hDerivative
                                                                        : nullptr;
    if (pseudo != nullptr) {
        const DWORD handle = pseudo->load();
        return handle != 0 ? handle : kNotFound;
    }
    CString key(name);
    int index = -1;
    if (!m_RegisterByName.Lookup(key, index))
        return kNotFound;
    const _SpecialFunctionRegisterTag &entry = (*m_Registers)[index];
    for (int a = 0; a < entry.Addresses.GetSize(); ++a) {
        if (entry.Addresses[a].AddressMode == 1)
            return entry.Addresses[a].AddressValue;
    }
    return kNotFound;
}

DWORD CSfrTables::GetRegisterArea(LONG index, DWORD &start, DWORD &end) const
{
    const LONG mask = RegistersLoaded() && m_Derivative.IRAMSize == 0x400 ? 3 : 7;
    const LONG area = index & mask;
    start = kAreas[area][0];
    end = kAreas[area][1];
    return start;
}

HRESULT CSfrTables::GetRegisterBlocks(VARIANT *blocks) const
{
    if (blocks == nullptr)
        return E_POINTER;
    VariantInit(blocks);
    const int count = RegistersLoaded() ? m_Blocks->GetSize() : 0;
    SAFEARRAY *texts = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(2 * count));
    if (texts == nullptr)
        return E_OUTOFMEMORY;
    for (LONG i = 0; i < 2 * count; ++i) {
        const _SpecialFunctionRegisterBlockTag &block = (*m_Blocks)[i / 2];
        CComBSTR text(i % 2 == 0 ? block.Name : block.Description);
        if (text.m_str == nullptr || FAILED(SafeArrayPutElement(texts, &i, text.m_str))) {
            SafeArrayDestroy(texts);
            return E_OUTOFMEMORY;
        }
    }
    blocks->vt = VT_ARRAY | VT_BSTR;
    blocks->parray = texts;
    return S_OK;
}

HRESULT CSfrTables::GetInterruptControlList(VARIANT *list) const
{
    if (list == nullptr)
        return E_POINTER;
    VariantInit(list);
    SAFEARRAY *words = SafeArrayCreateVector(VT_UI4, 0, static_cast<ULONG>(m_InterruptControl.size()));
    if (words == nullptr)
        return E_OUTOFMEMORY;
    if (!m_InterruptControl.empty()) {
        void *data = nullptr;
        if (FAILED(SafeArrayAccessData(words, &data))) {
            SafeArrayDestroy(words);
            return E_OUTOFMEMORY;
        }
        memcpy(data, m_InterruptControl.data(), m_InterruptControl.size() * sizeof(DWORD));
        SafeArrayUnaccessData(words);
    }
    list->vt = VT_ARRAY | VT_UI4;
    list->parray = words;
    return S_OK;
}

CSfrTablesRef EmptySfrTables()
{
    return CSfrTablesRef::Adopt(
        new CSfrTables(CSfrDerivative(), std::make_unique<CSfrRegisterList>(), std::make_unique<CSfrBlockList>()));
}
