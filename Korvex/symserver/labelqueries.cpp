// Codes 700 to 702: code labels by name (a function, then a section, where no label has
// the name), data labels, and the labels at which the program starts.
#include "queryrows.h"

#include <nameencoding.h>
#include <symdbstrings.h>
#include <tagreaders.h>

namespace {

typedef CArray<LabelTag, LabelTag &> LabelArray;

void AddLabel(LabelArray &labels, const CString &name, DWORD mode, DWORD value, DWORD extra, LONG size)
{
    LabelTag label;
    label.Name = name;
    label.AddressMode = mode;
    label.AddressValue = value;
    label.AddressExtra = extra;
    label.Size = size;
    labels.Add(label);
}

void CollectLabels(CSymbolEngine &engine, CStoredQuery &query, LabelArray &labels)
{
    CDBSymbolInfo rs(ProgramDatabase(engine));
    rs.OpenQueryDef(query);
    CollectRows(rs, labels, [](LabelTag &label, CDBSymbolInfo &row) { FromRecord(label, row); });
}

// The records that `handler` gives for a name, asked directly rather than through the
// queue.
template <class Record>
void AskByName(CSymbolEngine &engine, void (CSymbolEngine::*handler)(CSymbolRequest &), int code, const VARIANT &name,
               CArray<Record, Record &> &records)
{
    CSymbolRequest asked(RequesterSynchronous);
    asked.m_nCode = code;
    VariantCopy(&asked.Param1, &name);
    (engine.*handler)(asked);
    if (auto *result = dynamic_cast<CArray<Record, Record &> *>(asked.m_pResult))
        records.Append(*result);
}

// The global label of that name, as a label of the name at its address; FALSE when none.
BOOL AddEntryLabel(CSymbolEngine &engine, const CString &name, LabelArray &labels)
{
    CString encoded;
    EncodeNameString(name, encoded);
    CStoredQuery query(engine, IDS_Q_GLOBALLABELBYNAME);
    query.Set("_Name", CdbVariant(static_cast<LPCSTR>(encoded)));
    CDBSymbolInfo label(ProgramDatabase(engine));
    label.OpenQueryDef(query);
    if (label.IsEOF())
        return FALSE;
    AddLabel(labels, name, static_cast<DWORD>(label.m_Data_2), static_cast<DWORD>(label.m_Data_3),
             static_cast<DWORD>(label.m_Data_4), 0);
    return TRUE;
}

// The function of that name, as a label of the name at its address.
void AddMainFunction(CSymbolEngine &engine, const CString &name, LabelArray &labels)
{
    CString encoded;
    EncodeNameString(name, encoded);
    CStoredQuery query(engine, IDS_Q_FUNCTIONBYNAME);
    query.Set("_Name", CdbVariant(static_cast<LPCSTR>(encoded)));
    CDBFunctions function(ProgramDatabase(engine));
    function.OpenQueryDef(query);
    if (!function.IsEOF())
        AddLabel(labels, name, static_cast<DWORD>(function.m_AddressMode),
                 static_cast<DWORD>(function.m_AddressValue), 0, 0);
}

} // namespace

void CSymbolEngine::OnCodeLabel(CSymbolRequest &request)
{
    LabelArray &labels = NewResult<LabelTag>(request);
    // The method has encoded the pattern.
    CStoredQuery query(*this, IDS_Q_CODELABELS);
    query.Set("_Name", request.Param1);
    CollectLabels(*this, query, labels);
    const CString pattern = TextParameter(request.Param1);
    if (labels.GetSize() > 0 || pattern == "*")
        return;
    CArray<FunctionTag, FunctionTag &> functions;
    AskByName(*this, &CSymbolEngine::OnFunctionByName, 201, request.Param1, functions);
    for (int i = 0; i < functions.GetSize(); ++i) {
        const FunctionTag &function = functions[i];
        AddLabel(labels, function.Name, function.AddressMode, function.AddressValue, function.AddressExtra,
                 static_cast<LONG>(function.Length));
    }
    if (labels.GetSize() > 0)
        return;
    CString name;
    DecodeNameString(pattern, name);
    CArray<SectionTag, SectionTag &> sections;
    AskByName(*this, &CSymbolEngine::OnSectionByName, 1, CdbVariant(static_cast<LPCSTR>(name)), sections);
    for (int i = 0; i < sections.GetSize(); ++i) {
        const SectionTag &section = sections[i];
        AddLabel(labels, section.Name, section.AddressMode, section.AddressValue, section.AddressExtra,
                 static_cast<LONG>(section.Length));
    }
}

void CSymbolEngine::OnDataLabel(CSymbolRequest &request)
{
    LabelArray &labels = NewResult<LabelTag>(request);
    CString name = TextParameter(request.Param1);
    name.TrimLeft();
    name.TrimRight();
    if (name != "*" && name.Find(' ', 1) > 0) {
        // A name with a scope text names one variable the way code 406 takes it.
        CSymbolRequest variables(RequesterSynchronous);
        variables.m_nCode = 406;
        variables.Param1.vt = VT_BSTR;
        variables.Param1.bstrVal = name.AllocSysString();
        OnVariableWithScope(variables);
        if (auto *found = dynamic_cast<CArray<VariableTag, VariableTag &> *>(variables.m_pResult)) {
            for (int i = 0; i < found->GetSize(); ++i) {
                const VariableTag &variable = (*found)[i];
                LabelTag label;
                label.Name = variable.Name + " " + variable.ScopeText;
                label.AddressMode = variable.AddressMode;
                label.AddressValue = variable.AddressValue;
                label.AddressExtra = variable.AddressExtra;
                label.Size = variable.SizeInBits / 8;
                labels.Add(label);
            }
        }
        return;
    }
    CString encoded;
    EncodeNameString(name, encoded);
    CStoredQuery query(*this, IDS_Q_GLOBAL_ASS_DATABYNAME);
    query.Set("_Name", CdbVariant(static_cast<LPCSTR>(encoded)));
    CollectLabels(*this, query, labels);
}

void CSymbolEngine::OnStartupLabels(CSymbolRequest &request)
{
    LabelArray &labels = NewResult<LabelTag>(request);
    CString entry = TextParameter(request.Param3), main = TextParameter(request.Param2);
    BOOL named = !entry.IsEmpty() && !main.IsEmpty();
    if (!named) {
        CDBProgram program(ProgramDatabase(*this));
        program.Open();
        if (!program.IsEOF()) {
            named = TRUE;
            const BOOL primary = NumberParameter(request.Param1) > 0;
            if (entry.IsEmpty())
                entry = primary ? program.m_EntryPoint : program.m_AlternateEntryPoint;
            if (main.IsEmpty())
                main = primary ? program.m_MainFunction : program.m_AlternateMainFunction;
        }
    }
    if (named && AddEntryLabel(*this, entry, labels) && main.IsEmpty()) {
        // The entry is the main function too.
        LabelTag again = labels[0];
        labels.Add(again);
    }
    if (named && !main.IsEmpty())
        AddMainFunction(*this, main, labels);
    if (labels.GetSize() > 0)
        return;
    CStoredQuery query(*this, IDS_Q_SECTIONASCENDING);
    CDBSections section(ProgramDatabase(*this));
    section.OpenQueryDef(query);
    if (!section.IsEOF())
        AddLabel(labels, section.m_Name, static_cast<DWORD>(section.m_AddressMode),
                 static_cast<DWORD>(section.m_AddressValue), 0, 0);
}
