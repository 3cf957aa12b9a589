#include "elffile.h"

#include <packedindex.h>
#include <symbolwriters.h>
#include <stringtext.h>
#include <symdbstrings.h>
#include <typewriters.h>

#include "dwarf2codes.h"
#include "dwarf2modulescope.h"

CELFFile::CELFFile(CQelDatabase &database, DWORD programId, IUnknown *host)
    : CELFGlobals(database, programId, host), m_types(database.GetDatabase()),
      m_sourceLines(database.GetDatabase())
{
}

CELFFile::~CELFFile() = default;

int CELFFile::ReadModules(int moduleIndex, int)
{
    // DWARF 1.1 is read whatever else the file carries, as the globals pass read it.
    if (HasDwarf1())
        return ReadDwarf1Module(moduleIndex);
    if (!HasDwarf2Only())
        return 0;
    return ReadDwarf2Module(moduleIndex);
}

int CELFFile::ReadDwarf2Module(LONG modul)
{
    const CdbVariant key(modul);
    if (!SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key))
        return 0;
    if (m_moduls.m_Analyzed)
        return 1;
    const DWORD offset = static_cast<DWORD>(m_moduls.m_Offset);

    CQelDatabase &database = GetDatabase();
    database.BeginTrans();
    try {
        BeginModule(modul);
        CDwarf2EntryReader reader(GetDwarf2Sections());
        if (reader.BeginUnit(offset) == CDwarf2EntryReader::UNIT_OK && ReadDwarf2ModuleUnit(reader, modul)) {
            ClearAnalyzedSourceFiles();
            if (SeekKey(m_moduls, IDS_DB_MODULINDEXKEY, key)) {
                m_moduls.Edit();
                m_moduls.m_Analyzed = TRUE;
                m_moduls.Update();
            }
            database.CommitTrans();
            return 1;
        }
        database.Rollback();
        SetNotice("module %d is not read: %s", modul, static_cast<LPCSTR>(reader.GetDiagnostic()));
    } catch (CQelIndexRangeException *e) {
        database.Rollback();
        SetNotice("module %d is not read: type %#x of module %d is beyond what the database can number", modul,
                  e->m_nNumber, e->m_nModul);
        e->Delete();
    } catch (CQeldbException *e) {
        database.Rollback();
        SetNotice("module %d is not read: %s", modul, static_cast<LPCSTR>(e->m_strDescription));
        e->Delete();
    }
    return 0;
}

void CELFFile::BeginModule(LONG modul)
{
    m_nModul = modul;
    m_nSyntheticType = kMaxPackedNumber;
    m_nLifetimeList = 1;
    m_baseEncodings.clear();
    m_signedEnumerations.clear();
    m_typeAliases.clear();
    m_linedSourceFiles.clear();
    // A module pass writes in a savepoint that a failure rolls back, so a module not yet
    // analysed has none of its Symbols and Types rows: there is nothing of an earlier
    // attempt to delete (and the delete, by a column without an index, would scan both
    // tables once for every module).
    m_symbols.Close();
    m_symbols.Open();
    m_types.Close();
    m_types.Open();
    m_nFunctionCounter = FirstFunctionOf(modul) - 1;
}

LONG CELFFile::FirstFunctionOf(LONG modul)
{
    // The globals pass wrote the functions module after module, and they do not change:
    // one walk gives every module's first, where a query for each would walk them all.
    if (m_firstFunctions.empty()) {
        CDBFunctions functions(GetDatabase().GetDatabase());
        for (functions.Open(); !functions.IsEOF(); functions.MoveNext()) {
            const LONG owner = functions.m_Scope < 0 ? -functions.m_Scope : functions.m_Scope;
            auto known = m_firstFunctions.find(owner);
            if (known == m_firstFunctions.end() || functions.m_FunctionIndex < known->second)
                m_firstFunctions[owner] = functions.m_FunctionIndex;
        }
        m_firstFunctions[0] = 0; // walked: the map is not empty any more
    }
    auto first = m_firstFunctions.find(modul);
    return first != m_firstFunctions.end() ? first->second : 1;
}

BOOL CELFFile::ReadDwarf2ModuleUnit(CDwarf2EntryReader &reader, LONG modul)
{
    const DWORD unitSize = reader.GetUnit().end - reader.GetUnit().offset;
    // Synthetic type numbers count down from the top and must not meet the numbers of
    // the unit's own entries.
    m_nLowestSynthetic = static_cast<LONG>(unitSize);

    // Signedness of bit-fields is looked up through typedefs and qualifiers, and gcc
    // writes base types after the structures that use them, so the unit's base types,
    // aliases and enumerations are collected first. An enumeration holds a sign when one
    // of its values is negative, as C's does; its enumerators follow it.
    DWORD enumeration = 0;
    bool inEnumeration = false;
    while (reader.NextEntry()) {
        const DWORD tag = reader.GetTag();
        if (tag != DW_TAG_base_type && tag != DW_TAG_typedef && tag != DW_TAG_const_type &&
            tag != DW_TAG_volatile_type && tag != DW_TAG_enumeration_type && tag != DW_TAG_enumerator)
            continue;
        Dwarf2EntryValues entry;
        ReadDwarf2EntryValues(reader, &entry);
        if (tag == DW_TAG_enumeration_type) {
            enumeration = entry.offset;
            inEnumeration = true;
        } else if (tag == DW_TAG_enumerator) {
            if (inEnumeration && entry.hasConstValue && static_cast<LONG>(entry.constValue) < 0)
                m_signedEnumerations.insert(enumeration);
        } else if (tag == DW_TAG_base_type) {
            m_baseEncodings[entry.offset] = entry.encoding;
        } else if (entry.hasType) {
            m_typeAliases[entry.offset] = entry.type;
        }
    }
    if (!reader.GetDiagnostic().IsEmpty())
        return FALSE;
    reader.BeginUnit(reader.GetUnit().offset);

    BaseTypeRecordTag voidType;
    voidType.Modul = modul;
    voidType.Name = "void";
    voidType.Number = 0;
    voidType.Bits = 0;
    WriteBaseTypeRecord(voidType, m_types, FALSE);

    std::vector<ModuleScope> scopes;
    ModuleScope outermost;
    BOOL first = TRUE;
    while (reader.NextEntry()) {
        if (reader.GetAbbreviationCode() == 0) {
            if (!scopes.empty()) {
                CloseScope(scopes.back());
                scopes.pop_back();
            }
            continue;
        }
        if (first && reader.GetTag() != DW_TAG_compile_unit)
            break;
        first = FALSE;
        const bool children = reader.HasChildren();
        ModuleScope &around = scopes.empty() ? outermost : scopes.back();
        ModuleScope inner;
        inner.offset = reader.GetEntryOffset();
        inner.scope = around.scope;
        inner.functionIndex = around.functionIndex;
        inner.frameBase = around.frameBase;
        inner.blockCounter = around.blockCounter;
        HandleEntry(reader, around, &inner);
        if (children)
            scopes.push_back(std::move(inner));
        else
            CloseScope(inner);
    }
    if (!reader.GetDiagnostic().IsEmpty())
        return FALSE;
    // A unit cut off before its last null entries still closes what it opened.
    while (!scopes.empty()) {
        CloseScope(scopes.back());
        scopes.pop_back();
    }
    return TRUE;
}

void CELFFile::HandleEntry(CDwarf2EntryReader &reader, ModuleScope &around, ModuleScope *inner)
{
    const DWORD tag = reader.GetTag();
    switch (tag) {
    case DW_TAG_compile_unit:
    case DW_TAG_base_type:
    case DW_TAG_typedef:
    case DW_TAG_pointer_type:
    case DW_TAG_const_type:
    case DW_TAG_volatile_type:
    case DW_TAG_array_type:
    case DW_TAG_subrange_type:
    case DW_TAG_enumeration_type:
    case DW_TAG_enumerator:
    case DW_TAG_structure_type:
    case DW_TAG_class_type:
    case DW_TAG_union_type:
    case DW_TAG_member:
    case DW_TAG_subroutine_type:
    case DW_TAG_subprogram:
    case DW_TAG_inlined_subroutine:
    case DW_TAG_lexical_block:
    case DW_TAG_formal_parameter:
    case DW_TAG_variable:
    case DW_TAG_label:
        break;
    default:
        return; // its attributes are stepped over
    }
    Dwarf2EntryValues entry;
    ReadDwarf2EntryValues(reader, &entry);
    ModuleScope &parent = around;

    switch (tag) {
    case DW_TAG_compile_unit:
        WriteSourceLines(entry);
        break;
    case DW_TAG_base_type:
        WriteBaseType(entry);
        break;
    case DW_TAG_typedef:
    case DW_TAG_pointer_type:
    case DW_TAG_const_type:
    case DW_TAG_volatile_type:
        WriteTypeReference(entry);
        break;
    case DW_TAG_array_type:
        if (entry.hasType) {
            inner->construct = ModuleScope::ARRAY;
            ArrayRecordTag outermost;
            outermost.Modul = m_nModul;
            outermost.Number = static_cast<LONG>(entry.offset);
            outermost.ElementType = static_cast<LONG>(entry.type);
            outermost.Count = 0;
            inner->dimensions.push_back(outermost);
        }
        break;
    case DW_TAG_subrange_type:
        if (parent.construct == ModuleScope::ARRAY)
            AddDimension(entry, parent);
        break;
    case DW_TAG_enumeration_type:
        if (entry.hasByteSize) {
            inner->construct = ModuleScope::ENUMERATION;
            inner->name = entry.name.IsEmpty() ? CString("_unnamed_enumeration") : entry.name;
            inner->bits = static_cast<LONG>(entry.byteSize * 8);
        }
        break;
    case DW_TAG_enumerator:
        if (parent.construct == ModuleScope::ENUMERATION)
            WriteEnumerator(entry, parent);
        break;
    case DW_TAG_structure_type:
    case DW_TAG_class_type:
    case DW_TAG_union_type:
        // A declaration without a size (an incomplete type) has neither members nor a row.
        if (entry.hasByteSize) {
            inner->construct = ModuleScope::COMPOUND;
            inner->isUnion = tag == DW_TAG_union_type;
            if (!entry.name.IsEmpty())
                inner->name = entry.name;
            else
                inner->name = inner->isUnion ? "_unnamed_union" : "_unnamed_struct";
            inner->bits = static_cast<LONG>(entry.byteSize * 8);
        }
        break;
    case DW_TAG_member:
        if (parent.construct == ModuleScope::COMPOUND)
            WriteMember(entry, parent);
        break;
    case DW_TAG_subroutine_type:
        inner->construct = ModuleScope::FUNCTION_TYPE;
        inner->resultType = entry.hasType ? static_cast<LONG>(entry.type) : 0;
        break;
    case DW_TAG_subprogram:
    case DW_TAG_inlined_subroutine:
    case DW_TAG_lexical_block:
        BeginBlock(entry, reader.GetUnit().addressSize, inner);
        break;
    case DW_TAG_formal_parameter:
        if (parent.construct == ModuleScope::FUNCTION_TYPE) {
            ++parent.count;
            if (entry.hasType) {
                TypeLinkRecordTag link;
                link.Modul = m_nModul;
                link.Number = static_cast<LONG>(entry.offset);
                link.Type = static_cast<LONG>(entry.type);
                link.Owner = static_cast<LONG>(parent.offset);
                WriteTypeLinkRecord(link, m_types, FALSE);
            }
        } else {
            WriteVariable(entry, around, TRUE);
        }
        break;
    case DW_TAG_variable:
        WriteVariable(entry, around, FALSE);
        break;
    case DW_TAG_label:
        if (!entry.name.IsEmpty() && entry.hasLow) {
            SymbolRecordTag label;
            label.Modul = m_nModul;
            label.Name = entry.name;
            label.ScopeIndex = around.functionIndex;
            label.Data[0] = 1;
            label.Data[1] = static_cast<LONG>(entry.low);
            WriteLabelSymbol9(label, m_symbols);
        }
        break;
    default:
        break;
    }
}

void CELFFile::CloseScope(ModuleScope &scope)
{
    switch (scope.construct) {
    case ModuleScope::ARRAY:
        WriteArray(scope);
        break;
    case ModuleScope::ENUMERATION:
    case ModuleScope::COMPOUND:
        // Without an enumerator or a member there is nothing to show of the type.
        if (scope.count > 0) {
            CompoundTypeRecordTag compound;
            compound.Modul = m_nModul;
            compound.Name = scope.name;
            compound.Number = static_cast<LONG>(scope.offset);
            compound.Bits = scope.bits;
            compound.Count = scope.count;
            if (scope.construct == ModuleScope::ENUMERATION)
                WriteEnumTypeRecord(compound, m_types, FALSE);
            else if (scope.isUnion)
                WriteUnionTypeRecord(compound, m_types, FALSE);
            else
                WriteStructTypeRecord(compound, m_types, FALSE);
        }
        break;
    case ModuleScope::FUNCTION_TYPE: {
        FunctionTypeRecordTag function;
        function.Modul = m_nModul;
        function.Number = static_cast<LONG>(scope.offset);
        function.ResultType = scope.resultType;
        function.ParameterCount = scope.count;
        function.Extra = 0;
        WriteFunctionTypeRecord(function, m_types, FALSE);
        break;
    }
    case ModuleScope::NONE:
        break;
    }
    scope.construct = ModuleScope::NONE;
}
