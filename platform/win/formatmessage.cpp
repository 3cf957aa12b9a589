#include "formatmessage.h"

#include "lasterror.h"
#include "localmemory.h"
#include "winerror.h"

#include <cstring>

namespace {

struct SystemMessage {
    DWORD code;
    const char *text;
};

// Windows' own English texts of every code that this layer sets, in code order.
const SystemMessage kSystemMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command.\r\n"},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation.\r\n"},
    {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device.\r\n"},
    {ERROR_READ_FAULT, "The system cannot read from the specified device.\r\n"},
    {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_NOT_SUPPORTED, "The request is not supported.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
    {ERROR_MORE_DATA, "More data is available.\r\n"},
    {WAIT_TIMEOUT, "The wait operation timed out.\r\n"},
    {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
    {ERROR_INVALID_FLAGS, "Invalid flags.\r\n"},
    {ERROR_FILE_INVALID, "The volume for a file has been externally altered so that the opened file is no longer valid.\r\n"},
    {ERROR_BADKEY, "The configuration registry key is invalid.\r\n"},
    {ERROR_CANTOPEN, "The configuration registry key could not be opened.\r\n"},
    {ERROR_CANTREAD, "The configuration registry key could not be read.\r\n"},
    {ERROR_CANTWRITE, "The configuration registry key could not be written.\r\n"},
    {ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle.\r\n"},
    {ERROR_TLW_WITH_WSCHILD, "Cannot create a top-level child window.\r\n"},
    {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class.\r\n"},
    {ERROR_CLASS_ALREADY_EXISTS, "Class already exists.\r\n"},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The specified image file did not contain a resource section.\r\n"},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file.\r\n"},
    {ERROR_RESOURCE_NAME_NOT_FOUND, "The specified resource name cannot be found in the image file.\r\n"},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "The specified resource language ID cannot be found in the image file.\r\n"},
    {ERROR_NOT_ENOUGH_QUOTA, "Not enough quota is available to process this command.\r\n"},
};

const DWORD kMaxAllocatedSize = 64 * 1024;

const char *FindSystemMessage(DWORD code)
{
    for (const SystemMessage &message : kSystemMessages) {
        if (message.code == code)
            return message.text;
    }
    return nullptr;
}

DWORD Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

} // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size, va_list *)
{
    const DWORD offered = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if ((flags & ~offered) != 0)
        return Fail(ERROR_NOT_SUPPORTED);
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    WORD primary = PRIMARYLANGID(languageId);
    if (primary != LANG_NEUTRAL && primary != LANG_ENGLISH)
        return Fail(ERROR_RESOURCE_LANG_NOT_FOUND);
    const char *text = FindSystemMessage(messageId);
    if (text == nullptr)
        return Fail(ERROR_MR_MID_NOT_FOUND);

    DWORD length = static_cast<DWORD>(std::strlen(text));
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        // Windows' limit of the buffer it makes, which keeps a wild size from taking memory.
        if (size > kMaxAllocatedSize)
            return Fail(ERROR_INVALID_PARAMETER);
        SIZE_T bytes = length + 1 > size ? length + 1 : size;
        LPSTR block = static_cast<LPSTR>(qelwin::AllocateLocal(bytes));
        if (block == nullptr)
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        std::memcpy(block, text, length + 1);
        *reinterpret_cast<LPSTR *>(buffer) = block;
        return length;
    }
    if (length + 1 > size)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, text, length + 1);
    return length;
}
