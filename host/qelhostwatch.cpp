#include "qelhostwatch.h"

#include "hostwatchtree.h"
#include "qelhostanswers.h"
#include "qelhostprogram.h"
#include "qelhostwatchtext.h"

#include <commvariableobj.h>
#include <qelhostframe.h>
#include <symbolprocessing.h>
#include <tagtransfer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using QelHost::CHostWatchTree;

struct WatchOptions {
    QelHost::ProgramOptions program;
    const char *core = nullptr;
    bool hasPc = false;
    ULONG pc = 0;
    std::string format;
    int expand = 0;
    bool location = false;
    bool locals = false;
    std::vector<std::string> texts;
};

bool ParseNumber(const char *text, ULONG *value)
{
    char *end = nullptr;
    unsigned long long number = std::strtoull(text, &end, 0);
    if (*text == '\0' || *end != '\0' || *text == '-' || number > 0xFFFFFFFFull)
        return false;
    *value = static_cast<ULONG>(number);
    return true;
}

bool ParseOptions(int argc, char **argv, WatchOptions &options)
{
    if (argc < 1)
        return false;
    options.program.file = argv[0];
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        ULONG number = 0;
        if (option == "--core" && hasValue)
            options.core = argv[++i];
        else if (option == "--pc" && hasValue && ParseNumber(argv[i + 1], &options.pc))
            options.hasPc = true, ++i;
        else if (option == "--format" && hasValue)
            options.format = argv[++i];
        else if (option == "--expand" && hasValue && ParseNumber(argv[i + 1], &number) && number <= 16)
            options.expand = static_cast<int>(number), ++i;
        else if (option == "--location")
            options.location = true;
        else if (option == "--locals")
            options.locals = true;
        else if (option == "--dbdir" && hasValue)
            options.program.databaseDirectory = argv[++i];
        else
            return false;
    }
    options.texts.assign(argv + i, argv + argc);
    return !options.texts.empty() || options.locals;
}

// The two transfer VARIANTs of one synchronous request's answer, freed at the end.
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
    // The number of entries of a variable or member answer (texts (k, n)).
    LONG Count() const
    {
        LONG upper = -1;
        if ((names.vt & VT_ARRAY) && names.parray != nullptr && SafeArrayGetDim(names.parray) == 2)
            SafeArrayGetUBound(names.parray, 2, &upper);
        return upper + 1;
    }
};

class WatchWindow {
public:
    WatchWindow(QelHost::ProgramSession &session, const WatchOptions &options)
        : m_session(session), m_options(options), m_owner(session.DebuggerObject().debugServer)
    {
        VariantInit(&m_registerNumbers);
        VariantInit(&m_registerNames);
    }
    ~WatchWindow()
    {
        VariantClear(&m_registerNumbers);
        VariantClear(&m_registerNames);
    }
    WatchWindow(const WatchWindow &) = delete;
    WatchWindow &operator=(const WatchWindow &) = delete;

    bool Open()
    {
        CComObject<CHostWatchTree> *tree = nullptr;
        if (FAILED(CComObject<CHostWatchTree>::CreateInstance(&tree)))
            return false;
        m_tree = tree;
        m_tree->SetSymbols(m_session.Symbol());
        m_client = std::make_unique<CSymbolProcessing>();
        m_client->Attach(m_owner);
        MakeRegisterMap();
        return true;
    }

    void Add(const std::string &typed)
    {
        const WatchEntryText entry = CheckWatchText(typed, m_client.get());
        if (!entry.accepted) {
            std::printf("%s\trefused\n", QelHost::Escaped(typed).c_str());
            return;
        }
        if (entry.expression) {
            CComPtr<IQelCommVariableObj> object = NewObject();
            if (object != nullptr)
                object->CreateExpressionVariable(CComBSTR(entry.text.c_str()), m_tree, 0);
            Read(object);
            return;
        }
        Answer answer;
        if (!Ask([&](int *id) { return m_session.Symbol()->VariableWithScope(CComBSTR(entry.text.c_str()), id); },
                 [&](int id) { return m_session.Symbol()->GetVariables(id, &answer.names, &answer.values); }) ||
            answer.Count() < 1) {
            std::printf("%s\tnot found\n", QelHost::Escaped(entry.text).c_str());
            return;
        }
        AddVariable(answer, 0);
    }

    void AddLocals()
    {
        ULONG pc = 0;
        if (FAILED(TargetAccess()->GetCurrentAddress(&pc)))
            return;
        Answer answer;
        if (!Ask([&](int *id) { return m_session.Symbol()->LocalsInScope(1, static_cast<LONG>(pc), CComBSTR(u"*"), id); },
                 [&](int id) { return m_session.Symbol()->GetVariables(id, &answer.names, &answer.values); }))
            return;
        for (LONG i = 0; i < answer.Count(); ++i)
            AddVariable(answer, i);
    }

    void Expand()
    {
        std::vector<LONG> level = m_tree->Children(0);
        for (int depth = 0; depth < m_options.expand && !level.empty(); ++depth) {
            std::vector<LONG> next;
            for (LONG item : level) {
                CComPtr<IQelCommVariableObj> object = ObjectOf(item);
                if (object == nullptr || m_tree->Items().at(item).children == 0)
                    continue;
                LONG type = -1;
                object->GetBaseType(item, &type);
                if (type != -1) {
                    Answer answer;
                    if (Ask([&](int *id) { return m_session.Symbol()->MembersOfType(type, id); },
                            [&](int id) { return m_session.Symbol()->GetMembers(id, &answer.names, &answer.values); }))
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

    void ChooseFormat()
    {
        if (m_options.format.empty())
            return;
        for (const auto &[item, shown] : m_tree->Items()) {
            CComPtr<IQelCommVariableObj> object = ObjectOf(item);
            CComVariant names, values;
            if (object == nullptr || FAILED(object->GetDisplayFormats(item, &names, &values)) ||
                names.vt != (VT_ARRAY | VT_BSTR) || values.vt != (VT_ARRAY | VT_I4))
                continue;
            BSTR *texts = nullptr;
            LONG *numbers = nullptr;
            LONG upper = -1;
            SafeArrayGetUBound(names.parray, 1, &upper);
            SafeArrayAccessData(names.parray, reinterpret_cast<void **>(&texts));
            SafeArrayAccessData(values.parray, reinterpret_cast<void **>(&numbers));
            LONG chosen = -1;
            for (LONG i = 0; i + 1 <= upper; i += 2) {
                if (std::string(CString(texts[i])) == m_options.format)
                    chosen = numbers[i];
            }
            SafeArrayUnaccessData(names.parray);
            SafeArrayUnaccessData(values.parray);
            if (chosen >= 0)
                object->SetDisplayFormat(item, chosen);
        }
        m_tree->RunPending();
    }

    void Print() { PrintItems(0, 0); }

private:
    IQelTargetAccess *TargetAccess() { return m_session.DebuggerObject().Host()->Target(); }

    // A synchronous request and the fetch of its answer; false when either fails.
    bool Ask(const std::function<HRESULT(int *)> &request, const std::function<HRESULT(int)> &fetch)
    {
        int id = 0; // synchronous
        return SUCCEEDED(request(&id)) && id != 0 && SUCCEEDED(fetch(id));
    }

    // The register map of the program as the windows give it to their objects: the
    // server's number and the host's register id of each register, and its name.
    void MakeRegisterMap()
    {
        Answer answer;
        if (!Ask([&](int *id) { return m_session.Symbol()->RegisterMap(id); },
                 [&](int id) { return m_session.Symbol()->GetRegisterMap(id, &answer.names, &answer.values); }))
            return;
        CRegisterMapTagArray map;
        if (FAILED(UnpackTagRecords(answer.names, answer.values, map)))
            return;
        SAFEARRAYBOUND numbersBound = {static_cast<ULONG>(map.GetSize()) * 2, 0};
        SAFEARRAYBOUND namesBound = {static_cast<ULONG>(map.GetSize()), 0};
        m_registerNumbers.vt = VT_ARRAY | VT_I4;
        m_registerNumbers.parray = SafeArrayCreate(VT_I4, 1, &numbersBound);
        m_registerNames.vt = VT_ARRAY | VT_BSTR;
        m_registerNames.parray = SafeArrayCreate(VT_BSTR, 1, &namesBound);
        for (LONG i = 0; i < map.GetSize(); ++i) {
            CComBSTR name(map[i].Name);
            LONG id = -1;
            TargetAccess()->GetRegisterId(name, &id);
            LONG at = 2 * i;
            SafeArrayPutElement(m_registerNumbers.parray, &at, &map[i].Number);
            ++at;
            SafeArrayPutElement(m_registerNumbers.parray, &at, &id);
            SafeArrayPutElement(m_registerNames.parray, &i, name.m_str);
        }
    }

    CComPtr<IQelCommVariableObj> NewObject()
    {
        CComPtr<IUnknown> made;
        if (FAILED(CreateCommVariableObject(&made)))
            return nullptr;
        CComQIPtr<IQelUniCommStub> stub(made);
        if (stub == nullptr || FAILED(stub->SetOwner(m_owner)))
            return nullptr;
        CComQIPtr<IQelCommVariableObj> object(made);
        if (m_registerNumbers.vt != VT_EMPTY)
            object->SetRegisterMap(m_registerNumbers, m_registerNames);
        return CComPtr<IQelCommVariableObj>(object.p);
    }

    void AddVariable(const Answer &answer, LONG index)
    {
        CComPtr<IQelCommVariableObj> object = NewObject();
        if (object == nullptr || FAILED(object->CreateVariable(index, answer.names, answer.values, m_tree, 0)))
            return;
        VariableTag record;
        ReadVariableFromAnswer(answer, index, &record);
        if (record.AddressMode == 5) {
            Answer lifetime;
            if (Ask([&](int *id) { return m_session.Symbol()->Lifetime(record.SymbolIndex, id); },
                    [&](int id) { return m_session.Symbol()->GetLifetime(id, &lifetime.values); }))
                object->SetLifetimes(lifetime.values);
        }
        Read(object);
    }

    static void ReadVariableFromAnswer(const Answer &answer, LONG index, VariableTag *record);

    // A read and the texts made anew, as the host's value notice makes them.
    void Read(IQelCommVariableObj *object)
    {
        if (object == nullptr)
            return;
        CComQIPtr<IQelUniCommStub> stub(object);
        stub->Refresh(0);
        object->UpdateItemText(0);
        m_tree->RunPending();
    }

    CComPtr<IQelCommVariableObj> ObjectOf(LONG item)
    {
        const auto items = m_tree->Items();
        auto found = items.find(item);
        if (found == items.end())
            return nullptr;
        return CComQIPtr<IQelCommVariableObj>(found->second.param).p;
    }

    void PrintItems(LONG parent, int depth)
    {
        for (LONG item : m_tree->Children(parent)) {
            CComPtr<IQelCommVariableObj> object = ObjectOf(item);
            if (object == nullptr)
                continue;
            CComBSTR name, value, location;
            object->GetItemString(item, 10, &name);
            object->GetItemString(item, 1, &value);
            std::string line = std::string(2 * depth, ' ') + Text(name) + "\t" + Text(value);
            if (m_options.location) {
                object->GetItemString(item, 100, &location);
                line += "\t" + Text(location);
            }
            std::printf("%s\n", line.c_str());
            PrintItems(item, depth + 1);
        }
    }

    static std::string Text(const CComBSTR &text)
    {
        return QelHost::Escaped(text.m_str != nullptr ? static_cast<LPCSTR>(CString(text.m_str)) : "");
    }

    QelHost::ProgramSession &m_session;
    const WatchOptions &m_options;
    IUnknown *m_owner;
    CComPtr<CHostWatchTree> m_tree;
    std::unique_ptr<CSymbolProcessing> m_client;
    VARIANT m_registerNumbers, m_registerNames;
};

void WatchWindow::ReadVariableFromAnswer(const Answer &answer, LONG index, VariableTag *record)
{
    CVariableTagArray records;
    if (SUCCEEDED(UnpackTagRecords(answer.names, answer.values, records)) && index < records.GetSize())
        *record = records[index];
}

int RunWatch(const WatchOptions &options)
{
    QelHost::ProgramSession session(options.program);
    if (!session.Start())
        return 1;
    const QelHost::LoadOutcome outcome = session.Load();
    if (outcome.status != 0) {
        std::fprintf(stderr, "qelhost: %s\n", outcome.errorText.c_str());
        return 1;
    }
    QelHost::CHostTarget *target = session.DebuggerObject().Host()->Target();
    std::string reason;
    if (!target->LoadProgram(options.program.file, &reason) ||
        (options.core != nullptr && !target->LoadCore(options.core, &reason))) {
        std::fprintf(stderr, "qelhost: %s\n", reason.c_str());
        return 1;
    }
    if (options.hasPc)
        target->SetPc(options.pc);
    WatchWindow window(session, options);
    if (!window.Open())
        return 1;
    for (const std::string &text : options.texts)
        window.Add(text);
    if (options.locals)
        window.AddLocals();
    window.Expand();
    window.ChooseFormat();
    window.Print();
    return 0;
}

} // namespace

int WatchTexts(int argc, char **argv)
{
    WatchOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: qelhost watch FILE [--core CORE] [--pc ADDR] [--format NAME] [--expand N] "
                             "[--location] [--locals] [--dbdir DIR] TEXT...\n");
        return 2;
    }
    return QelHost::RunWithKorvex([&] { return RunWatch(options); });
}
