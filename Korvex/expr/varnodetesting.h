// For tests of the variable nodes: an owner as the host's debug-server object is to a
// node (command 202 for the simulated target's access object, the controller's word size
// through a symbol server, the loaded program's information type), the target's memory
// through a complex-memory object, and a recording tree.
#pragma once

#include "../progfiles/programinfointerfaces.h"
#include "varnodekinds.h"

#include <debugserver.h>
#include <hosttarget.h>
#include <hostwatchtree.h>
#include <qelsymbol.h>
#include <symbolservertesting.h>

#include <string>
#include <vector>

// A program-information object of one information type, and the IQelSymbol2 that gives
// it as program 1.
class CTestProgramInfo : public CComObjectRootEx<CComMultiThreadModel>, public IProgramInfo, public IQelSymbol2 {
public:
    BEGIN_COM_MAP(CTestProgramInfo)
        COM_INTERFACE_ENTRY(IProgramInfo)
        COM_INTERFACE_ENTRY(IQelSymbol2)
    END_COM_MAP()
    GUID type = IID_IProgramInfo;
    STDMETHODIMP GetName(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetDownloadSize(ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP GetStartInfo(BSTR *, ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP GetSecondInfo(BSTR *, ULONG *, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP GetInfoTypeGuid(GUID *pType) override
    {
        *pType = type;
        return S_OK;
    }
    STDMETHODIMP GetProgramCount(LONG *pnCount) override
    {
        *pnCount = 1;
        return S_OK;
    }
    STDMETHODIMP GetProgramId(LONG, LONG *pnProgramId) override
    {
        *pnProgramId = 1;
        return S_OK;
    }
    STDMETHODIMP GetProgramInfoById(LONG id, IUnknown **ppInfo) override
    {
        if (id != 1)
            return E_INVALIDARG;
        *ppInfo = static_cast<IProgramInfo *>(this);
        AddRef();
        return S_OK;
    }
};

// The owner: the debug-server object for commands and the holder, a test symbol server
// (whose host is that object) for IQelSymbol, the program information for IQelSymbol2.
class CTestVarOwner : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CTestVarOwner)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        {&IID_IQelSymbol, &CTestVarOwner::QuerySymbol},
        {&IID_IQelSymbol2, &CTestVarOwner::QueryPrograms},
        {nullptr, &CTestVarOwner::QueryHost},
    END_COM_MAP()

    CComPtr<IUnknown> host;
    CComPtr<IUnknown> symbol;
    CComPtr<IUnknown> programs;

    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override
    {
        return CComQIPtr<IOleCommandTarget>(host)->QueryStatus(group, count, cmds, text);
    }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override
    {
        return CComQIPtr<IOleCommandTarget>(host)->Exec(group, id, options, in, out);
    }

private:
    static HRESULT Forward(IUnknown *to, REFIID iid, void **ppv)
    {
        *ppv = nullptr;
        return to != nullptr ? to->QueryInterface(iid, ppv) : E_NOINTERFACE;
    }
    static HRESULT QuerySymbol(void *self, REFIID iid, void **ppv)
    {
        return Forward(static_cast<CTestVarOwner *>(self)->symbol, iid, ppv);
    }
    static HRESULT QueryPrograms(void *self, REFIID iid, void **ppv)
    {
        return Forward(static_cast<CTestVarOwner *>(self)->programs, iid, ppv);
    }
    static HRESULT QueryHost(void *self, REFIID iid, void **ppv)
    {
        return Forward(static_cast<CTestVarOwner *>(self)->host, iid, ppv);
    }
};

// A simulated target of `wordSize` bits with RAM at 0x1000 (0x1000 bytes), seen by the
// nodes through `owner`, `memory` and the register map of `preset`'s registers (number
// = host id).
struct VarNodeBench {
    explicit VarNodeBench(LONG wordSize = 32, QelHost::TargetPreset preset = QelHost::TargetPreset::Arm,
                          const GUID &programType = IID_IProgramInfo)
    {
        QelHost::ControllerConfig config;
        config.wordSize = wordSize;
        QelHost::CreateDebugServer(config, &host);
        target = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p))->Target();
        target->SetPreset(preset);
        target->MapMemory(0x1000, 0x1000);
        target->CreateComplexMemory(&memory);

        CComObject<CTestSymbolServer> *server = nullptr;
        CComObject<CTestSymbolServer>::CreateInstance(&server);
        symbol = static_cast<IQelSymbol *>(server);
        server->SetHost(host);
        CComObject<CTestProgramInfo> *info = nullptr;
        CComObject<CTestProgramInfo>::CreateInstance(&info);
        info->type = programType;
        CComPtr<IUnknown> infoHold(static_cast<IProgramInfo *>(info));
        CComObject<CTestVarOwner> *made = nullptr;
        CComObject<CTestVarOwner>::CreateInstance(&made);
        owner = static_cast<IOleCommandTarget *>(made);
        made->host = host;
        made->symbol = symbol;
        made->programs = infoHold;

        CComObject<QelHost::CHostWatchTree> *madeTree = nullptr;
        CComObject<QelHost::CHostWatchTree>::CreateInstance(&madeTree);
        tree = madeTree;
        treeObject = madeTree;

        std::vector<std::string> names = target->RegisterNames();
        for (size_t i = 0; i < names.size(); ++i) {
            RegisterMapTag entry;
            entry.Name = names[i].c_str();
            entry.Number = static_cast<LONG>(i);
            entry.RegisterIndex = static_cast<LONG>(i);
            registerMap.Add(entry);
        }
    }
    ~VarNodeBench()
    {
        CComQIPtr<IOleCommandTarget> ownerObject(owner);
        auto *made = static_cast<CComObject<CTestVarOwner> *>(ownerObject.p);
        made->host.Release();
        made->symbol.Release();
        made->programs.Release();
    }

    void Poke(DWORD address, std::vector<BYTE> bytes)
    {
        target->WriteMemory(QelHost::MemoryPort::Host, address, static_cast<DWORD>(bytes.size()), bytes.data());
    }
    std::vector<BYTE> Peek(DWORD address, DWORD count)
    {
        std::vector<BYTE> bytes(count);
        target->ReadMemory(QelHost::MemoryPort::Host, address, count, bytes.data());
        return bytes;
    }
    unsigned Reads() const { return target->Counters(QelHost::MemoryPort::ComplexMemory).reads; }
    unsigned Writes() const { return target->Counters(QelHost::MemoryPort::ComplexMemory).writes; }
    ULONG Register(const char *name)
    {
        LONG id = -1;
        ULONG value = 0;
        CComBSTR text(name);
        target->GetRegisterId(text, &id);
        target->ReadRegister(id, &value);
        return value;
    }
    void SetRegister(const char *name, ULONG value)
    {
        LONG id = -1;
        CComBSTR text(name);
        target->GetRegisterId(text, &id);
        target->WriteRegister(id, &value);
    }
    LONG RegisterNumber(const char *name)
    {
        LONG id = -1;
        CComBSTR text(name);
        target->GetRegisterId(text, &id);
        return id;
    }

    CComPtr<IUnknown> host;
    QelHost::CHostTarget *target = nullptr;
    CComPtr<IQelComplexMemory> memory;
    CComPtr<IUnknown> symbol;
    CComPtr<IUnknown> owner;
    CComPtr<IUnknown> tree;
    QelHost::CHostWatchTree *treeObject = nullptr;
    CRegisterMapTagArray registerMap;
};

// A member record: the node kinds' building input.
inline MemberTag TestMember(LPCSTR name, LONG typeClass, LONG baseType, LONG bits, LONG layout = 0,
                            LONG pointerKind = 0)
{
    MemberTag tag;
    tag.Name = name;
    tag.TypeCode = typeClass;
    tag.TypeIndex = baseType;
    tag.SizeInBits = bits;
    tag.Offset = layout;
    tag.PointerClass = pointerKind;
    return tag;
}
