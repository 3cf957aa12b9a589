// Raising DAO errors with Jet's numbers and texts. Internal to the library.
#pragma once

#include <ole2.h>

#include <string>

namespace qeldao {

// The Jet error numbers that this engine gives. They keep Jet's meaning, so that a
// caller can tell, for example, a file in use (3045) from a damaged one (3049) or from
// a file that is no database of this engine at all (3343).
enum JetError : LONG {
    JET_INVALID_ARGUMENT = 3001,
    JET_TOO_MANY_TRANSACTIONS = 3003,
    JET_TABLE_EXISTS = 3010,
    JET_OBJECT_EXISTS = 3012,
    JET_NOT_AN_INDEX = 3015,
    JET_NO_CURRENT_INDEX = 3019,
    JET_UPDATE_WITHOUT_EDIT = 3020,
    JET_NO_CURRENT_RECORD = 3021,
    JET_DUPLICATE_KEY = 3022,
    JET_FILE_NOT_FOUND = 3024,
    JET_DISK_FULL = 3026,
    JET_READ_ONLY = 3027,
    JET_BAD_ACCOUNT = 3029,
    JET_BAD_PASSWORD = 3031,
    JET_NO_TRANSACTION = 3034,
    JET_RESOURCES_EXCEEDED = 3035,
    JET_DISK_ERROR = 3043,
    JET_BAD_PATH = 3044,
    JET_FILE_IN_USE = 3045,
    JET_DAMAGED = 3049,
    JET_NO_PERMISSION = 3051,
    JET_TOO_FEW_PARAMETERS = 3061,
    JET_EXECUTE_SELECT = 3065,
    JET_SYNTAX = 3075,
    JET_NO_SUCH_INPUT = 3078,
    JET_CIRCULAR_REFERENCE = 3103,
    JET_BAD_NAME = 3125,
    JET_TEXT_AFTER_END = 3142,
    JET_BAD_BOOKMARK = 3159,
    JET_NOT_UPDATABLE = 3164,
    JET_RECORD_DELETED = 3167,
    JET_FIELD_TWICE = 3191,
    JET_DATABASE_EXISTS = 3204,
    JET_LOCKED = 3218,
    JET_INVALID_OPERATION = 3219,
    JET_NOT_SUPPORTED = 3251,
    JET_BAD_FIELD_TYPE = 3259,
    JET_NO_FIELDS = 3264,
    JET_ITEM_NOT_FOUND = 3265,
    JET_PRIMARY_EXISTS = 3283,
    JET_INDEX_EXISTS = 3284,
    JET_NULL_IN_REQUIRED = 3314,
    JET_ZERO_LENGTH = 3315,
    JET_UNRECOGNIZED_FORMAT = 3343,
    JET_NUMERIC_OVERFLOW = 3349,
    JET_TOO_COMPLEX = 3360,
    JET_OBJECT_CLOSED = 3420,
    JET_CONVERSION = 3421,
};

// The sources of the errors, as DAO names its objects.
extern const char SRC_ENGINE[];
extern const char SRC_WORKSPACE[];
extern const char SRC_DATABASE[];
extern const char SRC_RECORDSET[];
extern const char SRC_QUERYDEF[];
extern const char SRC_TABLEDEF[];
extern const char SRC_FIELD[];
extern const char SRC_INDEX[];

// The HRESULT of a CdbException for a Jet error number.
HRESULT JetHResult(LONG error);

// Jet's text for the error, with `item` in the place that names a file, table, field
// or number.
std::string JetErrorText(LONG error, const std::string &item = std::string());

// Sets the thread's error information and throws CdbException.
[[noreturn]] void ThrowDao(const char *source, LONG error, const std::string &description);
// ThrowDao with Jet's text.
[[noreturn]] void ThrowJet(const char *source, LONG error, const std::string &item = std::string());

} // namespace qeldao
