// The description of a type as a client shows it: a text ("char _far*", "int[3][4]",
// "struct point"), a type code that tells the client how to expand it, and a size in
// bits. It is gathered by walking the Types rows from the packed index through typedefs,
// qualifiers, pointers and arrays to the type they stand for.
//
// The first row decides the type code and the index the client asks members of; a name
// met on the way is kept as the text, and what lies behind a name only marks the code
// with 0x40000000 (a typedef of a pointer is 0x40000003), so that a client shows the name
// and still knows what it expands to.
#include "queryrows.h"

#include <packedindex.h>
#include <symdbstrings.h>

#include <algorithm>
#include <vector>

namespace {

// A compiler's chains are a few steps long (a typedef of a pointer to an array of
// structures); a damaged file can make one that loops, and the walk stops here with
// what it has gathered.
const int kMaxTypeSteps = 64;

// Marks a type code as that of the type behind a name.
const LONG kBehindName = 0x40000000;

enum TypeID {
    TypeBase = 0,
    TypeNamed = 1,
    TypeBitField = 2,
    TypePointer = 3,
    TypeArray = 4,
    TypeStruct = 5,
    TypeUnion = 6,
    TypeEnum = 7,
    TypeClass = 8,
    TypeFunction = 9,
    TypeAlias = 14,
};

LPCSTR CompoundKeyword(LONG typeID)
{
    switch (typeID) {
    case TypeStruct: return "struct";
    case TypeUnion: return "union";
    case TypeEnum: return "enum";
    default: return "class";
    }
}

// A class that no reader writes (a damaged file's) shows as a plain "*".
LPCSTR PointerKeyword(LONG pointerClass)
{
    switch (pointerClass) {
    case 0: return "_near";
    case 1: return "_far";
    case 2: return "_huge";
    default: return "";
    }
}

// The bit layout of a bit field: width in bits 0-15, the offset from the start of the
// structure in bits 16-30, the sign in bit 31. The offset is kept to its 15 bits so that
// a large one cannot pass for the sign.
LONG BitLayout(const CDBTypeInfo &row, LONG offsetSoFar)
{
    const DWORD offset = (static_cast<DWORD>(row.m_Data_2) & 0xFF) + static_cast<DWORD>(offsetSoFar);
    DWORD layout = (offset & 0x7FFF) << 16 | (static_cast<DWORD>(row.m_Data_1) & 0xFFFF);
    if (row.m_Data_3 != 0)
        layout |= 0x80000000;
    return static_cast<LONG>(layout);
}

// The size of an array: the element's size times every count, in 64 bits so that no
// product of counts from a damaged file can wrap, kept to what the size word holds.
LONG ArraySize(LONG elementSize, const std::vector<LONG> &counts)
{
    const long long largest = 0x7FFFFFFF, smallest = -largest - 1;
    long long size = elementSize;
    for (LONG count : counts)
        size = std::clamp(size * count, smallest, largest);
    return static_cast<LONG>(size);
}

} // namespace

void CSymbolEngine::TypeDescription(LONG &typeIndex, LONG &typeCode, CString &typeText, LONG &sizeInBits,
                                    LONG &bitInfo, LONG &pointerClass)
{
    typeCode = 0;
    typeText.Empty();
    sizeInBits = 0;

    // The module's types may not have been read yet; those below NextModulToRead the
    // idle pass has read. Checked here first, since a member list describes every member.
    const LONG modul = GetModulOfIndex(typeIndex);
    if (CurrentReader != nullptr && NextModulToRead > 0 && modul >= NextModulToRead)
        EnsureModulByIndex(modul);

    CStoredQuery query(*this, IDS_Q_TYPEBYINDEX);
    CDBTypeInfo row(ProgramDatabase(*this));
    BOOL named = FALSE;    // a name has been taken for the text
    BOOL indirect = FALSE; // a pointer or an array has been passed
    BOOL aliased = FALSE;  // a qualifier has been passed
    std::vector<LONG> pointerClasses, counts;
    LONG next = typeIndex;
    for (int step = 1; step <= kMaxTypeSteps; ++step) {
        // Closed first, the step's recordset gives the query's statement back for the
        // next step to run again.
        row.Close();
        query.Set("_TypeIndex", next);
        row.OpenQueryDef(query);
        if (row.IsEOF())
            break;
        const LONG typeID = row.m_TypeID;
        if (step == 1 || (aliased && !indirect)) {
            typeCode = typeID;
            typeIndex = row.m_TypeIndex;
        }
        BOOL follow = FALSE;
        switch (typeID) {
        case TypeBase:
            // A base type's index word is its base-type code, which the client converts by.
            if (!named) {
                typeText = row.m_Name;
                if (step == 1)
                    typeIndex = row.m_Data_2;
            } else if (!indirect) {
                typeCode = kBehindName;
                typeIndex = row.m_Data_2;
            }
            if (aliased && !indirect)
                typeIndex = row.m_Data_2;
            sizeInBits = row.m_Data_1;
            break;
        case TypeNamed:
            if (!named) {
                typeText = row.m_Name;
                named = TRUE;
            }
            follow = TRUE;
            break;
        case TypeBitField:
            if (!named) {
                typeText = "bit / bitfield";
                bitInfo = BitLayout(row, bitInfo);
            } else if (!indirect) {
                typeCode = kBehindName + TypeBitField;
                typeIndex = row.m_TypeIndex;
            }
            sizeInBits = row.m_Data_1;
            break;
        case TypePointer:
        case TypeArray:
            if (typeID == TypePointer) {
                pointerClasses.push_back(row.m_Data_2);
                pointerClass = row.m_Data_2;
            } else {
                counts.push_back(row.m_Data_2);
            }
            if (named && step == 2) {
                typeCode = kBehindName + typeID;
                typeIndex = row.m_TypeIndex;
            }
            // What the pointer or array holds is shown by its own name again.
            indirect = TRUE;
            named = FALSE;
            follow = TRUE;
            break;
        case TypeStruct:
        case TypeUnion:
        case TypeEnum:
        case TypeClass:
            if (!named) {
                typeText.Format("%s %s", CompoundKeyword(typeID), static_cast<LPCSTR>(row.m_Name));
            } else if (!indirect) {
                typeCode = kBehindName + typeID;
                typeIndex = row.m_TypeIndex;
            }
            sizeInBits = row.m_Data_1;
            break;
        case TypeFunction:
            if (!named) {
                if (typeCode != kBehindName + TypePointer || typeText.IsEmpty())
                    typeText = "function()";
            } else if (!indirect) {
                typeCode = kBehindName + TypeFunction;
                typeIndex = row.m_TypeIndex;
            }
            // A function's size is that of the address that reaches it: a near pointer
            // holds 16 bits, any other 32.
            if (pointerClass == 0) {
                sizeInBits = 16;
                if (step == 2)
                    pointerClass = 3;
            } else {
                sizeInBits = 32;
                if (step == 2)
                    pointerClass = 4;
            }
            break;
        case TypeAlias:
            aliased = TRUE;
            follow = TRUE;
            break;
        default:
            break;
        }
        if (!follow)
            break;
        next = row.m_Data_1;
    }

    if (!pointerClasses.empty()) {
        if (!named) {
            typeText += ' ';
            for (size_t level = 0; level < pointerClasses.size(); ++level) {
                if (level > 0)
                    typeText += ' ';
                typeText += PointerKeyword(pointerClasses[level]);
                typeText += '*';
            }
        }
        if (pointerClasses[0] == 0)
            sizeInBits = 16;
        else if (pointerClasses[0] == 1 || pointerClasses[0] == 2)
            sizeInBits = 32;
        if (pointerClass != 3 && pointerClass != 4)
            pointerClass = pointerClasses[0];
    }
    if (!named) {
        for (LONG count : counts) {
            CString dimension;
            dimension.Format("[%d]", static_cast<int>(count));
            typeText += dimension;
        }
    }
    sizeInBits = ArraySize(sizeInBits, counts);
}
