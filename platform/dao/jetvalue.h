// Values as the engine keeps them, and their trip to and from VARIANTs. Internal to
// the library.
//
// Long values are signed 32 bits on both sides: a VARIANT of an unsigned 32-bit type
// keeps its bits, so an address at or above 0x80000000 is stored negative, as in Jet.
// Text is code page 1252 (one byte per character) in the database and UTF-16 in BSTRs.
// Dates are OLE dates (days since 30 December 1899) stored as REAL; Booleans are -1
// and 0, as Jet stores them.
#pragma once

#include <ole2.h>
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qeldao {

struct JetValue {
    enum Kind : unsigned char { Null, Integer, Real, Text };
    Kind kind = Null;
    int64_t integer = 0;
    double real = 0;
    std::string text;

    static JetValue OfInteger(int64_t value)
    {
        JetValue v;
        v.kind = Integer;
        v.integer = value;
        return v;
    }
    static JetValue OfText(std::string value)
    {
        JetValue v;
        v.kind = Text;
        v.text = std::move(value);
        return v;
    }
};

using JetRow = std::vector<JetValue>;

// `type` is a field type (dbLong, dbText, dbDate, dbBoolean) or 0 for a value taken as
// it comes. A value that does not convert raises 3421 (3349 for a number out of range)
// from `source`.
JetValue ValueFromVariant(const VARIANT &value, short type, const char *source);
// ValueFromVariant for the two plain cases of a row (a Long given as VT_I4, a Text as
// VT_BSTR), written into `into` so that its text buffer is kept; false for any other.
bool StorePlainValue(const VARIANT &value, short type, JetValue *into);
// `out` must be empty (VT_EMPTY); a stored value that the type cannot show (as in a
// damaged file) raises 3421 or 3349.
void ValueToVariant(const JetValue &value, short type, VARIANT *out, const char *source);

JetValue ReadColumn(sqlite3_stmt *statement, int column);
// As ReadColumn, into a value whose text buffer a row read before may have left for reuse.
void ReadColumnInto(sqlite3_stmt *statement, int column, JetValue *into);
int BindValue(sqlite3_stmt *statement, int parameter, const JetValue &value);
// As BindValue, but SQLite reads the text where it lies: `value` must stay as it is
// until the statement has been stepped and reset.
int BindHeldValue(sqlite3_stmt *statement, int parameter, const JetValue &value);

// Code page 1252 bytes to a BSTR and back.
BSTR AnsiToBstr(const std::string &text);
std::string BstrToAnsi(BSTR text);

} // namespace qeldao
