// Test support of the evaluator and the expression object: the host's debug-server
// object with its simulated target, carrying a symbol-server double that answers from the
// records of an ExprWorld, as the real server answers its requests.
#pragma once

#include "expr.h"
#include "memtargetintf.h"

#include <debugserver.h>
#include <symbolservertesting.h>

#include <map>
#include <string>
#include <vector>

DEFINE_GUID(CLSID_QelExprTestServer, 0x5E1A7C01, 0x3B2D, 0x4C11, 0x9A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x32, 0x01);

// The symbol records of a test, by the request that finds them.
struct ExprWorld {
    std::map<std::string, std::vector<VariableTag>> globals, statics, inScope;
    std::map<std::string, std::vector<MemberTag>> types;
    std::map<LONG, std::vector<MemberTag>> members; // by type index
    std::map<LONG, std::vector<LifetimeTag>> lifetimes; // by symbol index
    std::map<std::string, LabelTag> codeLabels, dataLabels;
    std::vector<RegisterMapTag> registerMap;
    std::map<int, LONG> statusByCode; // requests that fail
};

inline VariableTag Variable(const char *name, LONG typeCode, LONG typeIndex, LONG bits, DWORD mode, DWORD value,
                            DWORD extra = 0, LONG pointerClass = 0)
{
    VariableTag variable;
    variable.Name = name;
    variable.TypeCode = typeCode;
    variable.TypeIndex = typeIndex;
    variable.SizeInBits = bits;
    variable.PointerClass = pointerClass;
    variable.AddressMode = mode;
    variable.AddressValue = value;
    variable.AddressExtra = extra;
    return variable;
}

inline MemberTag Member(const char *name, LONG typeCode, LONG typeIndex, LONG bits, LONG offset, LONG pointerClass = 0)
{
    MemberTag member;
    member.Name = name;
    member.TypeCode = typeCode;
    member.TypeIndex = typeIndex;
    member.SizeInBits = bits;
    member.Offset = offset;
    member.PointerClass = pointerClass;
    return member;
}

inline LifetimeTag Range(DWORD start, DWORD length, DWORD mode, DWORD value, DWORD extra)
{
    LifetimeTag range;
    range.From = CAddressValue(start, 1, length);
    range.To = CAddressValue(value, mode, extra);
    return range;
}

// The double handed out as the carried server: whatever the host asks the class for.
class CExprServerFactory final : public IClassFactory {
public:
    explicit CExprServerFactory(IUnknown *server) : m_server(server) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory *>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // The double does not take part in aggregation: its own identity is good enough for
    // what the tests ask of the debug-server object.
    STDMETHODIMP CreateInstance(IUnknown *, REFIID iid, void **ppv) override { return m_server->QueryInterface(iid, ppv); }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    IUnknown *m_server;
};

class ExprHost {
public:
    explicit ExprHost(LONG wordSize = 32)
    {
        CComObject<CTestSymbolServer> *object = nullptr;
        CComObject<CTestSymbolServer>::CreateInstance(&object);
        object->AddRef();
        server.Attach(object);
        server->SetAnswerer([this](int code, const std::vector<std::string> &args, TestSymbolAnswers &answers) {
            Answer(code, args, answers);
        });
        m_factory = std::make_unique<CExprServerFactory>(static_cast<IQelSymbol *>(server.p));
        CoRegisterClassObject(CLSID_QelExprTestServer, m_factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                              &m_cookie);
        QelHost::ControllerConfig config;
        config.wordSize = wordSize;
        QelHost::CreateDebugServer(config, &debugServer);
        Host()->CreateSymbolServer(CLSID_QelExprTestServer);
        Target()->MapMemory(0x1000, 0x1000);
        memory.Attach(debugServer);
        client.Attach(debugServer);
    }
    ~ExprHost()
    {
        client.Detach();
        memory.Attach(nullptr);
        Host()->ReleaseSymbolServer();
        debugServer.Release();
        CoRevokeClassObject(m_cookie);
    }

    QelHost::CHostDebugServer *Host() const
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
    }
    QelHost::CHostTarget *Target() const { return Host()->Target(); }

    // Each FALSE when the target has no such memory or register.
    bool PokeWord(DWORD address, DWORD value, int bytes = 4)
    {
        BYTE data[4];
        for (int i = 0; i < bytes; ++i)
            data[i] = static_cast<BYTE>(value >> (8 * i));
        return Target()->WriteMemory(QelHost::MemoryPort::Host, address, static_cast<DWORD>(bytes), data);
    }
    bool SetRegister(const char *name, ULONG value)
    {
        LONG id = -1;
        CComBSTR text(name);
        return Target()->GetRegisterId(text, &id) == S_OK && Target()->WriteRegister(id, &value) == S_OK;
    }
    // The register map with the host's ids, as the expression object makes it.
    void MapRegisters(CRegisterMapTagArray &map)
    {
        map.RemoveAll();
        for (RegisterMapTag entry : world.registerMap) {
            CComBSTR text(static_cast<LPCSTR>(entry.Name));
            if (Target()->GetRegisterId(text, &entry.RegisterIndex) != S_OK)
                entry.RegisterIndex = -1;
            map.Add(entry);
        }
    }
    // The requests made so far, in the double's form ("Globals(x,*) requester 0").
    std::vector<std::string> Calls() { return server->Calls(); }

    ExprWorld world;
    CComPtr<CTestSymbolServer> server;
    CComPtr<IUnknown> debugServer;
    CMemTargetIntf memory;
    CSymbolProcessing client;

private:
    template <class Record>
    static void Put(CArray<Record, Record &> &to, const std::vector<Record> &from)
    {
        for (Record record : from)
            to.Add(record);
    }
    template <class Key, class Record>
    static void PutFound(CArray<Record, Record &> &to, const std::map<Key, std::vector<Record>> &from, const Key &key)
    {
        auto found = from.find(key);
        if (found != from.end())
            Put(to, found->second);
    }
    void Answer(int code, const std::vector<std::string> &args, TestSymbolAnswers &answers)
    {
        answers.statusByCode = world.statusByCode;
        switch (code) {
        case 401: PutFound(answers.variables, world.globals, args[0]); break;
        case 403: PutFound(answers.variables, world.statics, args[0]); break;
        case 409: PutFound(answers.variables, world.inScope, args[1]); break;
        case 500: PutFound(answers.members, world.types, args[0]); break;
        case 501: PutFound(answers.members, world.members, static_cast<LONG>(std::stol(args[0]))); break;
        case 600: PutFound(answers.lifetimes, world.lifetimes, static_cast<LONG>(std::stol(args[0]))); break;
        case 700:
        case 701: {
            const auto &labels = code == 700 ? world.codeLabels : world.dataLabels;
            auto found = labels.find(args[0]);
            if (found != labels.end()) {
                LabelTag label = found->second;
                answers.labels.Add(label);
            }
            break;
        }
        case 800: Put(answers.registerMap, world.registerMap); break;
        default: break;
        }
    }

    std::unique_ptr<CExprServerFactory> m_factory;
    DWORD m_cookie = 0;
};
