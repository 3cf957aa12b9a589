// Codes 500 and 501: a type found by its name, and the members of a type, each entry
// with the type words of its own type.
#include "queryrows.h"

#include <symdbstrings.h>

namespace {

typedef CArray<MemberTag, MemberTag &> MemberArray;

// The entry's type words from the packed type index in its TypeIndex; the bit layout
// that a bit field gives goes to `bitInfo`, which starts where the caller says.
void DescribeType(CSymbolEngine &engine, MemberTag &entry, LONG &bitInfo)
{
    engine.TypeDescription(entry.TypeIndex, entry.TypeCode, entry.TypeText, entry.SizeInBits, bitInfo,
                           entry.PointerClass);
}

void DescribeType(CSymbolEngine &engine, MemberTag &entry)
{
    LONG unused = 0;
    DescribeType(engine, entry, unused);
}

// The members of a structure, union or class, in the query's order. A bit field's
// offset counts from its member's offset, and its word 7 becomes its bit layout; any
// other member keeps its offset there.
void CollectMembers(CSymbolEngine &engine, CStoredQuery &query, MemberArray &members, BOOL classMembers)
{
    CDBTypeInfo rs(ProgramDatabase(engine));
    rs.OpenQueryDef(query);
    CollectRows(rs, members, [&](MemberTag &entry, CDBTypeInfo &row) {
        entry.Name = row.m_Name;
        entry.TypeIndex = row.m_Data_1;
        entry.Extra = classMembers ? row.m_Data_3 : 0;
        LONG bitInfo = row.m_Data_2;
        DescribeType(engine, entry, bitInfo);
        entry.Offset = bitInfo;
    });
}

} // namespace

void CSymbolEngine::OnType(CSymbolRequest &request)
{
    MemberArray &types = NewResult<MemberTag>(request);
    const CString name = TextParameter(request.Param1);
    CStoredQuery query(*this, IDS_Q_TYPEBYNAME);
    query.Set("_Name", request.Param1);
    CDBTypeInfo rs(ProgramDatabase(*this));
    rs.OpenQueryDef(query);
    CollectRows(rs, types, [&](MemberTag &entry, CDBTypeInfo &row) {
        entry.Name = name;
        entry.TypeIndex = row.m_TypeIndex;
        DescribeType(*this, entry);
    });
}

void CSymbolEngine::OnMembersOfType(CSymbolRequest &request)
{
    MemberArray &members = NewResult<MemberTag>(request);
    CStoredQuery query(*this, IDS_Q_TYPEBYINDEX);
    query.Set("_TypeIndex", request.Param1);
    CDBTypeInfo type(ProgramDatabase(*this));
    type.OpenQueryDef(query);
    if (type.IsEOF())
        return;
    const LONG typeID = type.m_TypeID, typeIndex = type.m_TypeIndex;
    const LONG data1 = type.m_Data_1, data2 = type.m_Data_2;
    type.Close();

    MemberTag entry;
    switch (typeID) {
    case 3: // pointer
        // The names of a pointer's and an array's entries are patterns that the client
        // fills with its expression.
        entry.Name = "*%s";
        entry.PointerClass = data2;
        entry.TypeIndex = data1;
        DescribeType(*this, entry);
        members.Add(entry);
        break;
    case 4: // array
        entry.Name = "%s[%d]";
        entry.TypeIndex = data1;
        DescribeType(*this, entry);
        entry.Offset = data2;
        members.Add(entry);
        break;
    case 5: // structure
    case 6: // union
    {
        CStoredQuery fields(*this, IDS_Q_MEMBERSOFSTRUCT);
        fields.Set("_TypeIndex", typeIndex);
        CollectMembers(*this, fields, members, FALSE);
        break;
    }
    case 8: // class
    {
        CStoredQuery fields(*this, IDS_Q_MEMBERSOFCLASS);
        fields.Set("_TypeIndex", typeIndex);
        CollectMembers(*this, fields, members, TRUE);
        break;
    }
    case 7: // enumeration
    {
        // Enumerators carry the enumeration's index and size, and their value.
        CStoredQuery enumerators(*this, IDS_Q_MEMBERSOFENUM);
        enumerators.Set("_TypeIndex", typeIndex);
        CDBTypeInfo rs(ProgramDatabase(*this));
        rs.OpenQueryDef(enumerators);
        CollectRows(rs, members, [&](MemberTag &enumerator, CDBTypeInfo &row) {
            enumerator.Name = row.m_Name;
            enumerator.TypeCode = 12;
            enumerator.TypeIndex = typeIndex;
            enumerator.SizeInBits = data1;
            enumerator.Offset = row.m_Data_1;
        });
        break;
    }
    default:
        break;
    }
}
