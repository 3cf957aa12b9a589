// Where the user found the source files that a program names (workspacesettings.h).
#include "workspacesettings.h"

#include "workspacestorage.h"

#include <climits>

using namespace WorkspaceStorage;

namespace {

CString Key(LPCSTR prefix, DWORD number)
{
    CString key;
    key.Format("%s%d", prefix, static_cast<int>(number));
    return key;
}

// The number of the first alias whose `matchKey` value equals `text`, 0 when none does.
// Deleted aliases leave holes, so the numbers come from the elements that are there.
DWORD FindAlias(Win32Ext::CStorage &aliases, DWORD count, LPCSTR matchKey, LPCSTR text)
{
    if (!text || !*text)
        return 0;
    for (DWORD number : NumberedElements(aliases.GetStorage(), matchKey, count)) {
        CString value;
        if (ReadText(aliases, Key(matchKey, number), value) && SameText(value, text))
            return number;
    }
    return 0;
}

int Look(Win32Ext::CStorage &aliases, LPCSTR matchKey, LPCSTR text, LPCSTR answerKey, CString &answer)
{
    DWORD count = ReadNumber(aliases, "Number", 0);
    DWORD number = FindAlias(aliases, count, matchKey, text);
    CString value;
    if (number == 0 || !ReadText(aliases, Key(answerKey, number), value))
        return 0;
    answer = value;
    return 1;
}

int Store(Win32Ext::CStorage &aliases, const CString &entryName, const CString &path)
{
    DWORD count = ReadNumber(aliases, "Number", 0);
    DWORD number = FindAlias(aliases, count, "EntryInFile", entryName);
    if (number != 0) {
        if (!path.IsEmpty())
            return aliases.WriteString(Key("FullPath", number), path) ? 1 : 0;
        BOOL entryGone = aliases.DestroyElement(Key("EntryInFile", number));
        BOOL pathGone = aliases.DestroyElement(Key("FullPath", number));
        return entryGone && pathGone ? 1 : 0;
    }
    // A count that "%d" could not write one further is no count the system wrote.
    if (path.IsEmpty() || count >= INT_MAX || !aliases.WriteDWORD("Number", count + 1))
        return 0;
    number = count + 1;
    if (aliases.WriteString(Key("EntryInFile", number), entryName) && aliases.WriteString(Key("FullPath", number), path))
        return 1;
    aliases.DestroyElement(Key("EntryInFile", number));
    aliases.DestroyElement(Key("FullPath", number));
    return 0;
}

} // namespace

int SourceAliases(int code, IUnknown *symbolServer, DWORD programId, CString &entryName, CString &path)
{
    if (code != QEL_WSP_FIND_ALIAS && code != QEL_WSP_STORE_ALIAS && code != QEL_WSP_FIND_ENTRY)
        return 0;
    BOOL write = code == QEL_WSP_STORE_ALIAS;
    if (write && entryName.IsEmpty())
        return 0;
    CComPtr<IStorage> root;
    Win32Ext::CStorage files, entry, aliases;
    if (!FindSettingsStorage(symbolServer, root, nullptr) || !OpenProgramEntry(root, programId, write, files, entry) ||
        !OpenLevel(entry.GetStorage(), "SourceAliases", write, aliases))
        return 0;
    switch (code) {
    case QEL_WSP_FIND_ALIAS:
        return Look(aliases, "EntryInFile", entryName, "FullPath", path);
    case QEL_WSP_FIND_ENTRY:
        return Look(aliases, "FullPath", path, "EntryInFile", entryName);
    default:
        return Store(aliases, entryName, path);
    }
}
