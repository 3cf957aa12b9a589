#include "hostwatchwindow.h"

#include "debugserver.h"

#include <symbolprocessing.h>
#include <tagtransfer.h>

namespace QelHost {

namespace {

// The two transfer VARIANTs of one answer, freed at the end.
struct Answer {
    VARIANT names, values;
    Answer()
    {
        VariantInit(&names);
        VariantInit(&values);
    }
    ~Answer()
    {
        FreeTransferVariant(&names);
        FreeTransferVariant(&values);
    }
    Answer(const Answer &) = delete;
    Answer &operator=(const Answer &) = delete;
};

IQelTargetAccess *TargetOf(IUnknown *debugServer)
{
    return static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer))->Target();
}

} // namespace

CHostWatchWindow::CHostWatchWindow(IUnknown *debugServer, ObjectMaker maker)
    : m_debugServer(debugServer), m_maker(std::move(maker))
{
    VariantInit(&m_registerNumbers);
    VariantInit(&m_registerNames);
}

CHostWatchWindow::~CHostWatchWindow()
{
    // Each object holds the tree that holds it: deleting the items ends both, as
    // closing a window does.
    if (m_tree != nullptr) {
        for (LONG root : m_tree->Children(0))
            m_tree->DeleteItem(root);
    }
    m_tree.Release();
    VariantClear(&m_registerNumbers);
    VariantClear(&m_registerNames);
}

bool CHostWatchWindow::Open()
{
    m_debugServer->QueryInterface(qel_uuidof<IQelSymbol>(), reinterpret_cast<void **>(&m_symbols));
    CComObject<CHostWatchTree> *tree = nullptr;
    if (m_symbols == nullptr || FAILED(CComObject<CHostWatchTree>::CreateInstance(&tree)))
        return false;
    m_tree = tree;
    m_tree->SetSymbols(m_symbols);
    MakeRegisterMap();
    return true;
}

bool CHostWatchWindow::Ask(const std::function<HRESULT(int *)> &request, const std::function<HRESULT(int)> &fetch)
{
    int id = 0; // synchronous
    return SUCCEEDED(request(&id)) && id != 0 && SUCCEEDED(fetch(id));
}

void CHostWatchWindow::MakeRegisterMap()
{
    Answer answer;
    CRegisterMapTagArray map;
    if (!Ask([&](int *id) { return m_symbols->RegisterMap(id); },
             [&](int id) { return m_symbols->GetRegisterMap(id, &answer.names, &answer.values); }) ||
        FAILED(UnpackTagRecords(answer.names, answer.values, map)))
        return;
    m_registerNumbers.vt = VT_ARRAY | VT_I4;
    m_registerNumbers.parray = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(map.GetSize()) * 2);
    m_registerNames.vt = VT_ARRAY | VT_BSTR;
    m_registerNames.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(map.GetSize()));
    for (LONG i = 0; i < map.GetSize(); ++i) {
        CComBSTR name(map[i].Name);
        LONG id = -1;
        TargetOf(m_debugServer)->GetRegisterId(name, &id);
        LONG at = 2 * i;
        SafeArrayPutElement(m_registerNumbers.parray, &at, &map[i].Number);
        ++at;
        SafeArrayPutElement(m_registerNumbers.parray, &at, &id);
        SafeArrayPutElement(m_registerNames.parray, &i, name.m_str);
    }
}

CComPtr<IQelCommVariableObj> CHostWatchWindow::NewObject()
{
    CComPtr<IUnknown> made;
    if (FAILED(m_maker(&made)))
        return nullptr;
    CComQIPtr<IQelUniCommStub> stub(made);
    CComQIPtr<IQelCommVariableObj> object(made);
    if (stub == nullptr || object == nullptr || FAILED(stub->SetOwner(m_debugServer)))
        return nullptr;
    if (m_registerNumbers.vt != VT_EMPTY)
        object->SetRegisterMap(m_registerNumbers, m_registerNames);
    return CComPtr<IQelCommVariableObj>(object.p);
}

void CHostWatchWindow::Read(IQelCommVariableObj *object)
{
    CComQIPtr<IQelUniCommStub> stub(object);
    stub->Refresh(0);
    object->UpdateItemText(0);
    m_tree->RunPending();
}

bool CHostWatchWindow::AddVariable(const std::string &scopedName)
{
    Answer answer;
    CVariableTagArray found;
    if (!Ask([&](int *id) { return m_symbols->VariableWithScope(CComBSTR(scopedName.c_str()), id); },
             [&](int id) { return m_symbols->GetVariables(id, &answer.names, &answer.values); }) ||
        FAILED(UnpackTagRecords(answer.names, answer.values, found)) || found.GetSize() < 1)
        return false;
    AddVariableEntry(answer.names, answer.values, 0);
    return true;
}

void CHostWatchWindow::AddVariableEntry(const VARIANT &names, const VARIANT &values, LONG index)
{
    CComPtr<IQelCommVariableObj> object = NewObject();
    if (object == nullptr || FAILED(object->CreateVariable(index, names, values, m_tree, 0)))
        return;
    CVariableTagArray records;
    UnpackTagRecords(names, values, records);
    if (index < records.GetSize() && records[index].AddressMode == 5) {
        Answer lifetime;
        if (Ask([&](int *id) { return m_symbols->Lifetime(records[index].SymbolIndex, id); },
                [&](int id) { return m_symbols->GetLifetime(id, &lifetime.values); }))
            object->SetLifetimes(lifetime.values);
    }
    Read(object);
}

void CHostWatchWindow::AddExpression(const std::string &text)
{
    CComPtr<IQelCommVariableObj> object = NewObject();
    if (object == nullptr || FAILED(object->CreateExpressionVariable(CComBSTR(text.c_str()), m_tree, 0)))
        return;
    Read(object);
}

int CHostWatchWindow::AddLocals()
{
    ULONG pc = 0;
    if (FAILED(TargetOf(m_debugServer)->GetCurrentAddress(&pc)))
        return 0;
    Answer answer;
    CVariableTagArray locals;
    if (!Ask([&](int *id) { return m_symbols->LocalsInScope(1, static_cast<LONG>(pc), CComBSTR(u"*"), id); },
             [&](int id) { return m_symbols->GetVariables(id, &answer.names, &answer.values); }) ||
        FAILED(UnpackTagRecords(answer.names, answer.values, locals)))
        return 0;
    for (LONG i = 0; i < locals.GetSize(); ++i)
        AddVariableEntry(answer.names, answer.values, i);
    return locals.GetSize();
}

void CHostWatchWindow::Expand(int levels)
{
    std::vector<LONG> level = m_tree->Children(0);
    for (int depth = 0; depth < levels && !level.empty(); ++depth) {
        std::vector<LONG> next;
        const auto items = m_tree->Items();
        for (LONG item : level) {
            CComPtr<IQelCommVariableObj> object = ObjectOf(item);
            auto shown = items.find(item);
            if (object == nullptr || shown == items.end() || shown->second.children == 0)
                continue;
            LONG type = -1;
            object->GetBaseType(item, &type);
            if (type != -1) {
                Answer answer;
                if (Ask([&](int *id) { return m_symbols->MembersOfType(type, id); },
                        [&](int id) { return m_symbols->GetMembers(id, &answer.names, &answer.values); }))
                    object->AddMembers(item, answer.names, answer.values);
            }
            object->SetExpanded(item, 1);
            Read(object);
            for (LONG child : m_tree->Children(item))
                next.push_back(child);
        }
        level = next;
    }
}

void CHostWatchWindow::ChooseFormat(const std::string &name)
{
    for (const auto &[item, shown] : m_tree->Items()) {
        CComPtr<IQelCommVariableObj> object = ObjectOf(item);
        CComVariant names, values;
        if (object == nullptr || FAILED(object->GetDisplayFormats(item, &names, &values)) ||
            names.vt != (VT_ARRAY | VT_BSTR) || values.vt != (VT_ARRAY | VT_I4))
            continue;
        LONG chosen = -1;
        for (LONG i = 0; i + 1 < static_cast<LONG>(names.parray->rgsabound[0].cElements); i += 2) {
            CComBSTR text;
            LONG number = -1;
            SafeArrayGetElement(names.parray, &i, &text.m_str);
            SafeArrayGetElement(values.parray, &i, &number);
            if (text.m_str != nullptr && std::string(CString(text.m_str)) == name)
                chosen = number;
        }
        if (chosen >= 0)
            object->SetDisplayFormat(item, chosen);
    }
    m_tree->RunPending();
}

void CHostWatchWindow::RefreshAll()
{
    for (LONG item : m_tree->Children(0)) {
        CComPtr<IQelCommVariableObj> object = ObjectOf(item);
        if (object != nullptr)
            Read(object);
    }
}

CComPtr<IQelCommVariableObj> CHostWatchWindow::ObjectOf(LONG item) const
{
    const auto items = m_tree->Items();
    auto found = items.find(item);
    if (found == items.end())
        return nullptr;
    return CComQIPtr<IQelCommVariableObj>(found->second.param).p;
}

std::string CHostWatchWindow::ItemString(LONG item, LONG code) const
{
    CComPtr<IQelCommVariableObj> object = ObjectOf(item);
    CComBSTR text;
    if (object == nullptr || FAILED(object->GetItemString(item, code, &text)) || text.m_str == nullptr)
        return std::string();
    return std::string(CString(text.m_str));
}

} // namespace QelHost
