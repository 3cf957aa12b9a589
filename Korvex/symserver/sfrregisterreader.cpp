// Reading a controller database's registers. The tables of addresses, fields and values
// are each read once and grouped by the number they name; walking them in step with the
// registers, as their order would allow, goes wrong as soon as a register has no rows in
// one of them.
#include "sfrdatabase.h"

#include <controllertables.h>
#include <tagreaders.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

void Trim(CString &text)
{
    text.TrimLeft();
    text.TrimRight();
}

struct FieldRow {
    LONG index; // SFRFieldIndex
    SpecialFunctionRegisterFieldTag field;
};

template <class Recordset, class Row>
void EachRow(Recordset &rs, Row row)
{
    rs.Open();
    for (; !rs.IsEOF(); rs.MoveNext())
        row(rs);
    rs.Close();
}

} // namespace

void ReadControllerRegisters(CQelDatabase &database, CSfrRegisterList &registers, CSfrBlockList &blocks,
                             CQelDiagHelper &diagnostics)
{
    CdbDatabase *db = database.GetDatabase();
    std::vector<LONG> indexes; // each register's SFRIndex, parallel to `registers`
    std::set<LONG> known;
    {
        // Sized once from the row count: each register carries arrays of its own, which
        // a growing array would copy again and again.
        CDBSFRSet rs(db);
        rs.Open();
        if (!rs.IsEOF()) {
            rs.MoveLast();
            registers.SetSize(rs.GetRecordCount());
            rs.MoveFirst();
        }
        int count = 0;
        for (; !rs.IsEOF(); rs.MoveNext(), ++count) {
            if (count == registers.GetSize())
                registers.SetSize(count + 1);
            _SpecialFunctionRegisterTag &entry = registers[count];
            FromRecord(entry, rs);
            for (CString *text : {&entry.Name, &entry.Description, &entry.ResetValue, &entry.Manual})
                Trim(*text);
            indexes.push_back(rs.m_SFRIndex);
            known.insert(rs.m_SFRIndex);
        }
        registers.SetSize(count);
        rs.Close();
    }

    std::map<LONG, std::vector<CAddressValue>> addresses;
    {
        CDBSFRAddresses rs(db);
        EachRow(rs, [&](CDBSFRAddresses &row) {
            if (known.count(row.m_SFRIndex) == 0) {
                diagnostics.TraceWarning("Controller database: an address names no register (SFRIndex %d).",
                                         static_cast<int>(row.m_SFRIndex));
                return;
            }
            addresses[row.m_SFRIndex].emplace_back(static_cast<DWORD>(row.m_AddressValue),
                                                   static_cast<DWORD>(row.m_AddressMode), 0);
        });
    }

    std::map<LONG, std::vector<FieldRow>> fields;
    std::set<LONG> knownFields;
    {
        CDBSFRFields rs(db);
        EachRow(rs, [&](CDBSFRFields &row) {
            if (known.count(row.m_SFRIndex) == 0) {
                diagnostics.TraceWarning("Controller database: field %s names no register (SFRIndex %d).",
                                         static_cast<LPCSTR>(row.m_Name), static_cast<int>(row.m_SFRIndex));
                return;
            }
            FieldRow field{row.m_SFRFieldIndex, {}};
            field.field.Name = row.m_Name;
            field.field.Description = row.m_Description;
            Trim(field.field.Name);
            Trim(field.field.Description);
            field.field.Offset = static_cast<DWORD>(row.m_Offset);
            field.field.Width = static_cast<DWORD>(row.m_Width);
            fields[row.m_SFRIndex].push_back(field);
            knownFields.insert(row.m_SFRFieldIndex);
        });
    }

    std::map<LONG, std::vector<SpecialFunctionRegisterFieldValueTag>> values;
    {
        CDBSFRFieldValues rs(db);
        EachRow(rs, [&](CDBSFRFieldValues &row) {
            if (knownFields.count(row.m_SFRFieldIndex) == 0) {
                diagnostics.TraceWarning("Controller database: value %s names no field (SFRFieldIndex %d).",
                                         static_cast<LPCSTR>(row.m_Name), static_cast<int>(row.m_SFRFieldIndex));
                return;
            }
            SpecialFunctionRegisterFieldValueTag value;
            value.Name = row.m_Name;
            Trim(value.Name);
            value.Value = static_cast<DWORD>(row.m_Value);
            values[row.m_SFRFieldIndex].push_back(value);
        });
    }

    for (int i = 0; i < registers.GetSize(); ++i) {
        _SpecialFunctionRegisterTag &entry = registers[i];
        auto own = addresses.find(indexes[static_cast<size_t>(i)]);
        if (own != addresses.end()) {
            for (CAddressValue &address : own->second)
                entry.Addresses.Add(address);
        }
        auto ownFields = fields.find(indexes[static_cast<size_t>(i)]);
        if (ownFields == fields.end())
            continue;
        for (FieldRow &row : ownFields->second) {
            auto ownValues = values.find(row.index);
            if (ownValues != values.end()) {
                for (SpecialFunctionRegisterFieldValueTag &value : ownValues->second)
                    row.field.Values.Add(value);
            }
            entry.Fields.Add(row.field);
        }
    }

    CDBSFRBlocks rs(db);
    EachRow(rs, [&](CDBSFRBlocks &row) {
        _SpecialFunctionRegisterBlockTag block;
        ReadSfrBlockRecord(block, row);
        Trim(block.Name);
        Trim(block.Description);
        blocks.Add(block);
    });
}
