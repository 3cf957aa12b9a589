#include "jeterror.h"

#include "daoerror.h"


namespace qeldao {

const char SRC_ENGINE[] = "DAO.DBEngine";
const char SRC_WORKSPACE[] = "DAO.Workspace";
const char SRC_DATABASE[] = "DAO.Database";
const char SRC_RECORDSET[] = "DAO.Recordset";
const char SRC_QUERYDEF[] = "DAO.QueryDef";
const char SRC_TABLEDEF[] = "DAO.TableDef";
const char SRC_FIELD[] = "DAO.Field";
const char SRC_INDEX[] = "DAO.Index";

namespace {

struct ErrorText {
    LONG error;
    const char *text; // '|' stands for the item
};

const ErrorText kTexts[] = {
    {JET_INVALID_ARGUMENT, "Invalid argument."},
    {JET_TOO_MANY_TRANSACTIONS, "Could not start transaction; too many transactions already nested."},
    {JET_TABLE_EXISTS, "Table '|' already exists."},
    {JET_OBJECT_EXISTS, "Object '|' already exists."},
    {JET_NOT_AN_INDEX, "'|' is not an index in this table."},
    {JET_NO_CURRENT_INDEX, "Operation invalid without a current index."},
    {JET_UPDATE_WITHOUT_EDIT, "Update or CancelUpdate without AddNew or Edit."},
    {JET_NO_CURRENT_RECORD, "No current record."},
    {JET_DUPLICATE_KEY, "The changes you requested to the table were not successful because they would "
                        "create duplicate values in the index, primary key, or relationship."},
    {JET_FILE_NOT_FOUND, "Could not find file '|'."},
    {JET_DISK_FULL, "Not enough space on disk."},
    {JET_READ_ONLY, "Cannot update. Database or object is read-only."},
    {JET_BAD_ACCOUNT, "Not a valid account name or password."},
    {JET_BAD_PASSWORD, "Not a valid password."},
    {JET_NO_TRANSACTION, "You tried to commit or rollback a transaction without first beginning a transaction."},
    {JET_RESOURCES_EXCEEDED, "System resource exceeded."},
    {JET_DISK_ERROR, "Disk or network error."},
    {JET_BAD_PATH, "'|' is not a valid path."},
    {JET_FILE_IN_USE, "Could not use '|'; file already in use."},
    {JET_DAMAGED, "Cannot open database '|'. It may not be a database that your application recognizes, "
                  "or the file may be corrupt."},
    {JET_NO_PERMISSION, "Cannot open the file '|'. You need permission to view or write its data."},
    {JET_TOO_FEW_PARAMETERS, "Too few parameters. Expected |."},
    {JET_EXECUTE_SELECT, "Cannot execute a select query."},
    {JET_SYNTAX, "Syntax error in query expression '|'."},
    {JET_NO_SUCH_INPUT, "The database engine cannot find the input table or query '|'. Make sure it exists "
                        "and that its name is spelled correctly."},
    {JET_CIRCULAR_REFERENCE, "Circular reference caused by '|'."},
    {JET_BAD_NAME, "'|' is not a valid name. Make sure that it does not include invalid characters or "
                   "punctuation and that it is not too long."},
    {JET_TEXT_AFTER_END, "Characters found after end of SQL statement."},
    {JET_BAD_BOOKMARK, "Not a valid bookmark."},
    {JET_NOT_UPDATABLE, "Field '|' cannot be updated."},
    {JET_RECORD_DELETED, "Record is deleted."},
    {JET_FIELD_TWICE, "Cannot define field more than once."},
    {JET_DATABASE_EXISTS, "Database already exists."},
    {JET_LOCKED, "Could not update; currently locked."},
    {JET_INVALID_OPERATION, "Invalid operation."},
    {JET_NOT_SUPPORTED, "Operation is not supported for this type of object."},
    {JET_BAD_FIELD_TYPE, "Invalid field data type."},
    {JET_NO_FIELDS, "No field defined--cannot append TableDef or Index."},
    {JET_ITEM_NOT_FOUND, "Item not found in this collection."},
    {JET_PRIMARY_EXISTS, "Primary key already exists."},
    {JET_INDEX_EXISTS, "Index already exists."},
    {JET_NULL_IN_REQUIRED, "The field '|' cannot contain a Null value because the Required property for this "
                           "field is set to True. Enter a value in this field."},
    {JET_ZERO_LENGTH, "Field '|' cannot be a zero-length string."},
    {JET_UNRECOGNIZED_FORMAT, "Unrecognized database format '|'."},
    {JET_NUMERIC_OVERFLOW, "Numeric field overflow."},
    {JET_TOO_COMPLEX, "Query is too complex."},
    {JET_OBJECT_CLOSED, "Object invalid or no longer set."},
    {JET_CONVERSION, "Data type conversion error."},
};

void SetErrorInformation(const char *source, const std::string &description)
{
    ICreateErrorInfo *create = nullptr;
    if (CreateErrorInfo(&create) != S_OK)
        return;
    BSTR wideSource = CString(source).AllocSysString();
    BSTR wideDescription = CString(description.data(), static_cast<int>(description.size())).AllocSysString();
    create->SetSource(wideSource);
    create->SetDescription(wideDescription);
    SysFreeString(wideSource);
    SysFreeString(wideDescription);
    IErrorInfo *info = nullptr;
    if (create->QueryInterface(&info) == S_OK) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

} // namespace

HRESULT JetHResult(LONG error)
{
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error);
}

std::string JetErrorText(LONG error, const std::string &item)
{
    for (const ErrorText &entry : kTexts) {
        if (entry.error != error)
            continue;
        std::string text;
        for (const char *p = entry.text; *p; ++p) {
            if (*p == '|')
                text += item;
            else
                text += *p;
        }
        return text;
    }
    return "Reserved error (" + std::to_string(error) + "); there is no message for this error.";
}

void ThrowDao(const char *source, LONG error, const std::string &description)
{
    SetErrorInformation(source, description);
    throw CdbException(JetHResult(error));
}

void ThrowJet(const char *source, LONG error, const std::string &item)
{
    ThrowDao(source, error, JetErrorText(error, item));
}

} // namespace qeldao
