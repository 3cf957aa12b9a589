// Reading a controller database's registers. The tables of addresses, fields and values
// are each read once and grouped by the number they name; walking them in step with the
// registers, as their order would allow, goes wrong as soon as a register has no rows in
// one of them.
//
// Every array of a register is sized once from the rows counted for it: an entry copies
// its arrays whole when an array of entries grows, which for thousands of registers
// costs more than reading them.
#include "sfrdatabase.h"

#include <controllertables.h>
#include <tagreaders.h>

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

void Trim(CString &text)
{
    text.TrimLeft();
    text.TrimRight();
}

struct AddressRow {
    LONG sfrIndex;
    CAddressValue address;
};

struct FieldRow {
    LONG sfrIndex;
    LONG fieldIndex;
    CString name;
    CString description;
    DWORD offset;
    DWORD width;
};

template <class Recordset, class Row>
void EachRow(Recordset &rs, Row row)
{
    rs.Open();
    for (; !rs.IsEOF(); rs.MoveNext())
        row(rs);
    rs.Close();
}

// The places of the registers of each SFRIndex (a database of other origin may give one
// twice), and how far each register's arrays are filled.
class RegisterPlaces {
public:
    void Add(LONG sfrIndex, int place) { m_places[sfrIndex].push_back(place); }
    const std::vector<int> *Find(LONG sfrIndex) const
    {
        auto found = m_places.find(sfrIndex);
        return found != m_places.end() ? &found->second : nullptr;
    }

private:
    std::unordered_map<LONG, std::vector<int>> m_places;
};

} // namespace

void ReadControllerRegisters(CQelDatabase &database, CSfrRegisterList &registers, CSfrBlockList &blocks,
                             CQelDiagHelper &diagnostics)
{
    CdbDatabase *db = database.GetDatabase();
    RegisterPlaces places;
    {
        // Read forward once into entries that move, then into the table sized to fit:
        // moving back and forth in a snapshot reads each row again.
        std::vector<std::pair<LONG, std::unique_ptr<_SpecialFunctionRegisterTag>>> read;
        CDBSFRSet rs(db);
        EachRow(rs, [&](CDBSFRSet &row) {
            read.emplace_back(row.m_SFRIndex, std::make_unique<_SpecialFunctionRegisterTag>());
            FromRecord(*read.back().second, row);
        });
        registers.SetSize(static_cast<int>(read.size()));
        for (size_t i = 0; i < read.size(); ++i) {
            _SpecialFunctionRegisterTag &entry = registers[static_cast<int>(i)];
            entry = *read[i].second; // its arrays are empty yet
            for (CString *text : {&entry.Name, &entry.Description, &entry.ResetValue, &entry.Manual})
                Trim(*text);
            places.Add(read[i].first, static_cast<int>(i));
        }
    }
    std::vector<int> addressCount(static_cast<size_t>(registers.GetSize())), fieldCount(addressCount);

    std::vector<AddressRow> addresses;
    {
        CDBSFRAddresses rs(db);
        EachRow(rs, [&](CDBSFRAddresses &row) {
            const std::vector<int> *owners = places.Find(row.m_SFRIndex);
            if (owners == nullptr) {
                diagnostics.TraceWarning("Controller database: an address names no register (SFRIndex %d).",
                                         static_cast<int>(row.m_SFRIndex));
                return;
            }
            for (int place : *owners)
                ++addressCount[static_cast<size_t>(place)];
            addresses.push_back({row.m_SFRIndex, CAddressValue(static_cast<DWORD>(row.m_AddressValue),
                                                               static_cast<DWORD>(row.m_AddressMode), 0)});
        });
    }

    std::vector<FieldRow> fields;
    std::unordered_map<LONG, int> knownFields; // SFRFieldIndex: how many fields have it
    {
        CDBSFRFields rs(db);
        EachRow(rs, [&](CDBSFRFields &row) {
            const std::vector<int> *owners = places.Find(row.m_SFRIndex);
            if (owners == nullptr) {
                diagnostics.TraceWarning("Controller database: field %s names no register (SFRIndex %d).",
                                         static_cast<LPCSTR>(row.m_Name), static_cast<int>(row.m_SFRIndex));
                return;
            }
            for (int place : *owners)
                ++fieldCount[static_cast<size_t>(place)];
            FieldRow field{row.m_SFRIndex, row.m_SFRFieldIndex, row.m_Name, row.m_Description,
                           static_cast<DWORD>(row.m_Offset), static_cast<DWORD>(row.m_Width)};
            Trim(field.name);
            Trim(field.description);
            fields.push_back(std::move(field));
            ++knownFields[row.m_SFRFieldIndex];
        });
    }

    std::unordered_map<LONG, std::vector<SpecialFunctionRegisterFieldValueTag>> values;
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
            values[row.m_SFRFieldIndex].push_back(std::move(value));
        });
    }

    for (int i = 0; i < registers.GetSize(); ++i) {
        registers[i].Addresses.SetSize(addressCount[static_cast<size_t>(i)]);
        registers[i].Fields.SetSize(fieldCount[static_cast<size_t>(i)]);
        addressCount[static_cast<size_t>(i)] = fieldCount[static_cast<size_t>(i)] = 0;
    }
    for (AddressRow &row : addresses) {
        for (int place : *places.Find(row.sfrIndex))
            registers[place].Addresses[addressCount[static_cast<size_t>(place)]++] = row.address;
    }
    for (FieldRow &row : fields) {
        auto ownValues = values.find(row.fieldIndex);
        const std::vector<int> &owners = *places.Find(row.sfrIndex);
        // What only one field of one register takes is moved there rather than copied.
        const bool alone = owners.size() == 1 && knownFields[row.fieldIndex] == 1;
        for (int place : owners) {
            SpecialFunctionRegisterFieldTag &field = registers[place].Fields[fieldCount[static_cast<size_t>(place)]++];
            field.Name = alone ? std::move(row.name) : row.name;
            field.Description = alone ? std::move(row.description) : row.description;
            field.Offset = row.offset;
            field.Width = row.width;
            if (ownValues == values.end())
                continue;
            std::vector<SpecialFunctionRegisterFieldValueTag> &own = ownValues->second;
            field.Values.SetSize(static_cast<int>(own.size()));
            for (size_t v = 0; v < own.size(); ++v)
                field.Values[static_cast<int>(v)] = alone ? std::move(own[v]) : own[v];
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
