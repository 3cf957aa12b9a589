#include "dwarf1entries.h"

#include "dumpnames.h"

namespace {

enum : BYTE {
    OP_REG = 1,
    OP_BASEREG = 2,
    OP_ADDR = 3,
    OP_CONST = 4,
    OP_DEREF2 = 5,
    OP_DEREF4 = 6,
    OP_ADD = 7,
};

const DWORD SYAM_LIFETIMEDEAD_MODE = 6;

} // namespace

bool CDwarf1EntryReader::NextEntry()
{
    if (m_bEnded || m_debug.GetRemaining() < 4) {
        m_bEnded = true;
        return false;
    }
    m_nOffset = static_cast<DWORD>(m_debug.GetOffset());
    m_nLength = m_debug.ReadU32();
    if (m_nLength > 0 && m_nLength < 4) {
        // Padding shorter than its own length field: the next entry starts inside it.
        m_debug.Seek(m_nOffset + m_nLength);
        m_entry = CDataCursor();
        m_bNull = true;
        m_nTag = 0;
        return true;
    }
    if (m_nLength == 0 || m_nLength - 4 > m_debug.GetRemaining()) {
        m_bEnded = true;
        return false;
    }
    m_entry = m_debug.ReadSubCursor(m_nLength - 4);
    m_bNull = m_nLength < 8;
    m_nTag = m_bNull ? 0 : m_entry.ReadU16();
    return true;
}

bool CDwarf1EntryReader::NextAttribute(Dwarf1Attribute *attribute)
{
    if (m_bNull || m_entry.GetRemaining() < 2)
        return false;
    *attribute = Dwarf1Attribute();
    attribute->code = m_entry.ReadU16();
    switch (Dwarf1Form(attribute->code)) {
    case DWARF1_FORM_ADDR:
    case DWARF1_FORM_REF:
    case DWARF1_FORM_DATA4:
        attribute->value = m_entry.ReadU32();
        break;
    case DWARF1_FORM_DATA2:
        attribute->value = m_entry.ReadU16();
        break;
    case DWARF1_FORM_DATA8:
        attribute->value = m_entry.ReadU32();
        attribute->value2 = m_entry.ReadU32();
        break;
    case DWARF1_FORM_BLOCK2:
        attribute->value = m_entry.ReadU16();
        attribute->block = m_entry.ReadBlock(attribute->value);
        break;
    case DWARF1_FORM_BLOCK4:
        attribute->value = m_entry.ReadU32();
        attribute->block = m_entry.ReadBlock(attribute->value);
        break;
    case DWARF1_FORM_STRING:
        attribute->string = m_entry.ReadString();
        break;
    default:
        // Without its form the attribute's length is unknown, and so are the rest's.
        m_entry = CDataCursor();
        return false;
    }
    if (!m_entry) {
        m_entry = CDataCursor();
        return false;
    }
    return true;
}

namespace {

CAddressValue DecodeLocation(const BYTE *block, size_t length, CAddressValue place, CString *text)
{
    CDataCursor cursor(block, length, false);
    CString words;
    while (!cursor.AtEnd()) {
        BYTE op = cursor.ReadU8();
        CString name = ValueName(g_dwarf1OperationNames, op);
        if (op >= OP_REG && op <= OP_CONST) {
            DWORD operand = cursor.ReadU32();
            if (!cursor)
                break;
            switch (op) {
            case OP_REG:
                place.AddressMode = 3;
                place.AddressValue = operand;
                break;
            case OP_BASEREG:
                place = CAddressValue(0, 2, operand);
                break;
            case OP_ADDR:
                place.AddressMode = 1;
                place.AddressValue = operand;
                break;
            case OP_CONST:
                if (place.AddressMode == 0xFFFFFFFF && place.AddressValue == 0xFFFFFFFF &&
                    place.AddressExtra == 0xFFFFFFFF)
                    place.AddressMode = 0;
                place.AddressValue = operand;
                break;
            }
            CString word;
            word.Format(" %s(%#x)", static_cast<LPCSTR>(name), operand);
            words += word;
        } else if (op >= OP_DEREF2 && op <= OP_ADD) {
            words += " " + name;
        } else {
            words += " " + name;
            break;
        }
    }
    if (text != nullptr)
        *text = words;
    return place;
}

} // namespace

CAddressValue DecodeDwarf1Location(const BYTE *block, size_t length, CString *text)
{
    return DecodeLocation(block, length, CAddressValue(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF), text);
}

CAddressValue DecodeDwarf1Location(const BYTE *block, size_t length, const CAddressValue &start)
{
    return DecodeLocation(block, length, start, nullptr);
}

bool ReadDwarf1LocationList(const BYTE *locExt, size_t size, DWORD offset, DWORD base,
                            std::vector<Dwarf1LifetimeEntry> *entries, CString *text)
{
    CDataCursor cursor(locExt, size, false);
    CString words;
    bool ended = false;
    if (cursor.Seek(offset)) {
        for (;;) {
            DWORD begin = cursor.ReadU32();
            DWORD end = cursor.ReadU32();
            if (!cursor)
                break;
            if (begin == 0 && end == 0) {
                ended = true;
                break;
            }
            WORD length = cursor.ReadU16();
            const BYTE *block = cursor.ReadBlock(length);
            if (block == nullptr)
                break;
            CString operations;
            CAddressValue place = DecodeDwarf1Location(block, length, &operations);
            entries->push_back({begin + base, place});
            entries->push_back({end + base, CAddressValue(0xFFFFFFFF, SYAM_LIFETIMEDEAD_MODE, 0xFFFFFFFF)});
            CString pair;
            pair.Format("%#x, %#x,%s;", begin + base, end + base, static_cast<LPCSTR>(operations));
            words += pair;
        }
    }
    if (text != nullptr)
        *text = words;
    return ended;
}

bool DecodeDwarf1ModifiedType(const BYTE *block, size_t length, bool userType, Dwarf1ModifiedType *type)
{
    size_t typeSize = userType ? 4 : 2;
    if (block == nullptr || length < typeSize)
        return false;
    type->modifiers.assign(block, block + (length - typeSize));
    CDataCursor cursor(block + (length - typeSize), typeSize, false);
    type->type = static_cast<DWORD>(cursor.ReadUnsigned(typeSize));
    return true;
}
