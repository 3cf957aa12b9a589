// The EasyCODE link's variable watches: the variable in scope by name, then the add-on's
// watch window (kind 0), Korvex's delete watch (kind 1) or a variable object of Korvex
// whose value goes to the tool at the next stop (kind 2).
#include "easycodecomm.h"

#include "commandvalues.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <qelhostframe.h>
#include <qelsymbol.h>
#include <symbolprocessing.h>
#include <tagtransfer.h>

namespace {

constexpr DWORD kOwnAddWatch = 7;
constexpr DWORD kOwnShowValue = 6;
constexpr DWORD kKorvexDeleteWatch = 72;
constexpr DWORD kNewVariableObject = 8;
// The handle of the root of a variable object that no tree shows.
constexpr LONG kRootWithoutTree = static_cast<LONG>(0xFFFF0000);
constexpr int kMostPooled = 4;
// Symbol kinds that a watch window shows without a frame; 5 is a global.
constexpr LONG kFunctionStatic = 3;
constexpr LONG kGlobal = 5;

bool IsWindowKind(LONG symbolKind)
{
    return symbolKind >= kFunctionStatic && symbolKind <= kGlobal;
}

// Type classes whose value the tool can show: a base type or an enumeration.
constexpr LONG kClassFlag = 0x40000000;
constexpr LONG kEnumeration = 7;

bool IsValueClass(LONG typeCode)
{
    return typeCode == 0 || typeCode == kClassFlag || typeCode == kEnumeration || typeCode == (kClassFlag | kEnumeration);
}

void Reset(IQelCommVariableObj *object)
{
    CComVariant none;
    object->CreateVariable(0, none, none, nullptr, 0);
}

} // namespace

// The symbol server's answers, on the thread that asked.
class EasyCodeAnswers {
public:
    template <int kind>
    static void Variables(int, VARIANT *names, VARIANT *numbers, DWORD_PTR context, int)
    {
        reinterpret_cast<CEasyCodeComm *>(context)->OnVariables(kind, names, numbers);
    }
    static void Members(int requestId, VARIANT *names, VARIANT *numbers, DWORD_PTR context, int)
    {
        reinterpret_cast<CEasyCodeComm *>(context)->OnMembers(requestId, names, numbers);
    }
    static void Lifetime(int requestId, VARIANT *numbers, DWORD_PTR context)
    {
        reinterpret_cast<CEasyCodeComm *>(context)->OnLifetime(requestId, numbers);
    }
    static void RegisterMap(CRegisterMapTagArray *map, DWORD_PTR context)
    {
        reinterpret_cast<CEasyCodeComm *>(context)->OnRegisterMap(map);
    }
};

bool CEasyCodeComm::HoldTargetAccess()
{
    if (m_access != nullptr)
        return true;
    CComPtr<IUnknown> object;
    COleTarCmdCaller(m_debugServer, &CGID_QelHostCommands).ExecForObject(QEL_HOSTCMD_TARGET_ACCESS, &object);
    return object != nullptr &&
           SUCCEEDED(object->QueryInterface(IID_IQelTargetAccess, reinterpret_cast<void **>(&m_access)));
}

BOOL CEasyCodeComm::Watch(int kind, const CString &name)
{
    if (name.IsEmpty() || m_debugServer == nullptr)
        return FALSE;
    try {
        if (!HoldTargetAccess())
            return FALSE;
        CSymbolProcessing *client = SymbolClient();
        if (client == nullptr)
            return FALSE;
        if (!m_registerMapAsked) {
            m_registerMapAsked = true;
            AskRegisterMap(*client);
        }
        ULONG address = 0;
        if (m_access->GetCurrentAddress(&address) != S_OK)
            return FALSE;
        int id = client->RequestVariablesInScope(1, static_cast<LONG>(address), name);
        CSymbolProcessing::IdRawCallback answer = kind == kWatchWindow   ? &EasyCodeAnswers::Variables<kWatchWindow>
                                                  : kind == kDeleteWatch ? &EasyCodeAnswers::Variables<kDeleteWatch>
                                                                         : &EasyCodeAnswers::Variables<kToolWatch>;
        return id != 0 && client->RegisterVariablesRawCallbackWithId(id, answer, reinterpret_cast<DWORD_PTR>(this));
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
    return FALSE;
}

void CEasyCodeComm::AskRegisterMap(CSymbolProcessing &client)
{
    int id = client.RequestRegisterMap();
    if (id != 0)
        client.RegisterRegisterMapCallback(id, &EasyCodeAnswers::RegisterMap, reinterpret_cast<DWORD_PTR>(this));
}

void CEasyCodeComm::OnRegisterMap(CRegisterMapTagArray *map)
{
    CallbackScope scope(*this);
    m_registerPairs.Clear();
    if (map == nullptr || map->GetSize() == 0 || m_access == nullptr)
        return;
    SAFEARRAY *pairs = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(2 * map->GetSize()));
    if (pairs == nullptr)
        return;
    LONG *data = nullptr;
    bool whole = SUCCEEDED(SafeArrayAccessData(pairs, reinterpret_cast<void **>(&data)));
    for (int i = 0; whole && i < map->GetSize(); ++i) {
        LONG host = -1;
        whole = m_access->GetRegisterId(CComBSTR((*map)[i].Name), &host) == S_OK;
        data[2 * i] = (*map)[i].Number;
        data[2 * i + 1] = host;
    }
    if (data != nullptr)
        SafeArrayUnaccessData(pairs);
    if (!whole) {
        SafeArrayDestroy(pairs);
        return;
    }
    m_registerPairs.vt = VT_ARRAY | VT_I4;
    m_registerPairs.parray = pairs;
}

void CEasyCodeComm::OnVariables(int kind, VARIANT *names, VARIANT *numbers)
{
    CallbackScope scope(*this);
    if (names == nullptr || numbers == nullptr || m_debugServer == nullptr)
        return;
    CVariableTagArray variables;
    if (FAILED(TagTransferDetail::Unpack(names, *numbers, variables)) || variables.GetSize() != 1)
        return;
    const VariableTag &variable = variables[0];
    try {
        if (kind == kToolWatch) {
            if (IsValueClass(variable.TypeCode))
                StartToolWatch(names, numbers, variable);
            return;
        }
        if (!IsWindowKind(variable.SymbolID))
            return;
        CVariantArray in(1);
        SetCommandNumber(in[0], VT_I4, variable.SymbolIndex);
        if (kind == kWatchWindow)
            COleTarCmdCaller(m_debugServer, &CGID_QelFrameAddOn).Exec(kOwnAddWatch, &in, nullptr, 0);
        else
            COleTarCmdCaller(m_debugServer, &CLSID_QelSymbol).Exec(kKorvexDeleteWatch, &in, nullptr, 0);
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
}

CComPtr<IQelCommVariableObj> CEasyCodeComm::TakeWatchObject()
{
    CComPtr<IQelCommVariableObj> object;
    if (m_pool.GetSize() > 0) {
        object.Attach(m_pool[m_pool.GetSize() - 1]);
        m_pool.RemoveAt(m_pool.GetSize() - 1);
        return object;
    }
    CComPtr<IUnknown> made;
    COleTarCmdCaller(m_debugServer, &CGID_QelHostCommands).RequestCommVariable(kNewVariableObject, nullptr, &made);
    if (made != nullptr)
        made->QueryInterface(qel_uuidof<IQelCommVariableObj>(), reinterpret_cast<void **>(&object));
    return object;
}

void CEasyCodeComm::StartToolWatch(VARIANT *names, VARIANT *numbers, const VariableTag &variable)
{
    CSymbolProcessing *client = SymbolClient();
    CComPtr<IQelCommVariableObj> object = client != nullptr ? TakeWatchObject() : nullptr;
    if (object == nullptr)
        return;
    CComVariant none;
    object->CreateVariable(0, *names, *numbers, nullptr, 0);
    object->SetRegisterMap(m_registerPairs, none);
    if ((variable.TypeCode & ~kClassFlag) == kEnumeration) {
        int members = client->RequestMembersOfType(variable.TypeIndex);
        if (members != 0) {
            m_memberWatches.SetAt(members, object);
            object.p->AddRef();
            client->RegisterMembersRawCallbackWithId(members, &EasyCodeAnswers::Members,
                                                     reinterpret_cast<DWORD_PTR>(this));
        }
    }
    int lifetime = variable.SymbolID == kGlobal ? client->RequestVarEdMapping(variable.SymbolIndex)
                                                : client->RequestLifetime(variable.SymbolIndex);
    if (lifetime == 0) {
        Pool(object);
        return;
    }
    m_watches.SetAt(lifetime, object);
    object.p->AddRef();
    m_latestWatch = lifetime;
    client->RegisterLifetimeRawCallbackWithId(lifetime, &EasyCodeAnswers::Lifetime, reinterpret_cast<DWORD_PTR>(this));
}

void CEasyCodeComm::OnMembers(int requestId, VARIANT *names, VARIANT *numbers)
{
    CallbackScope scope(*this);
    IQelCommVariableObj *object = nullptr;
    if (!m_memberWatches.Lookup(requestId, object))
        return;
    m_memberWatches.RemoveKey(requestId);
    if (names != nullptr && numbers != nullptr)
        object->AddMembers(kRootWithoutTree, *names, *numbers);
    object->Release();
}

void CEasyCodeComm::OnLifetime(int requestId, VARIANT *numbers)
{
    CallbackScope scope(*this);
    IQelCommVariableObj *found = nullptr;
    if (!m_watches.Lookup(requestId, found))
        return;
    // Every answer takes its object out of the map, the latest one as well.
    m_watches.RemoveKey(requestId);
    CComPtr<IQelCommVariableObj> object;
    object.Attach(found);
    if (requestId != m_latestWatch) {
        Pool(object);
        return;
    }
    Follow(object);
    if (numbers != nullptr)
        object->SetLifetimes(*numbers);
}

void CEasyCodeComm::Follow(IQelCommVariableObj *object)
{
    if (m_followed != nullptr)
        Pool(m_followed);
    if (Advise(object))
        m_followed = object;
    else
        Pool(object);
}

void CEasyCodeComm::Pool(IQelCommVariableObj *object)
{
    CComPtr<IQelCommVariableObj> keep(object);
    if (m_followed != nullptr && m_followed.IsEqualObject(object)) {
        // An object in the pool hears nothing.
        CQelCommObjSink::Unadvise();
        m_followed.Release();
    }
    Reset(object);
    if (m_pool.GetSize() < kMostPooled) {
        object->AddRef();
        m_pool.Add(object);
    }
}

void CEasyCodeComm::OnCommObjectEvent(IUnknown *object, ULONG, BOOL)
{
    if (m_followed == nullptr || object == nullptr || !m_followed.IsEqualObject(object) || m_debugServer == nullptr)
        return;
    CallbackScope scope(*this);
    CComPtr<IQelCommVariableObj> followed = m_followed;
    try {
        followed->UpdateItemText(0);
        CComBSTR name;
        followed->GetItemString(kRootWithoutTree, 0, &name);
        CComVariant value;
        followed->GetValue(&value);
        CVariantArray in(2);
        in[0].SetString(CString(name.m_str != nullptr ? name.m_str : u""));
        in[1].SetValue(value);
        COleTarCmdCaller(m_debugServer, &CGID_QelFrameAddOn).Exec(kOwnShowValue, &in, nullptr, 0);
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
    // Disconnected meanwhile (the value reached a tool that had the add-on let the link
    // go): the object was reset and let go with the others.
    if (m_debugServer != nullptr)
        Pool(followed);
}

void CEasyCodeComm::DropWatches()
{
    auto drop = [](CMap<int, int, IQelCommVariableObj *, IQelCommVariableObj *> &map) {
        POSITION at = map.GetStartPosition();
        while (at != nullptr) {
            int id = 0;
            IQelCommVariableObj *object = nullptr;
            map.GetNextAssoc(at, id, object);
            Reset(object);
            object->Release();
        }
        map.RemoveAll();
    };
    drop(m_watches);
    drop(m_memberWatches);
    for (int i = 0; i < m_pool.GetSize(); ++i) {
        Reset(m_pool[i]);
        m_pool[i]->Release();
    }
    m_pool.RemoveAll();
    if (m_followed != nullptr) {
        CQelCommObjSink::Unadvise();
        Reset(m_followed);
        m_followed.Release();
    }
    m_latestWatch = 0;
}
