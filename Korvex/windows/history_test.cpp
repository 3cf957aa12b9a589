#include "history.h"

#include <atlbase.h>
#include <stgprofile.h>

#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdlib.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Entries(const CHistory &history)
{
    std::vector<std::string> entries;
    for (int i = 0; i < history.GetCount(); ++i)
        entries.emplace_back(history.GetAt(i));
    return entries;
}

using Texts = std::vector<std::string>;

// Most recent first; a repeated text moves to the top; the eleventh distinct text drops
// the oldest; an empty text is no entry.
TEST(History, KeepsTheLastTenDistinctTextsMostRecentFirst)
{
    CHistory history;
    for (const char *text : {"a", "b", "", "a"})
        history.Add(text);
    EXPECT_EQ(Entries(history), (Texts{"a", "b"}));
    for (int i = 0; i < 10; ++i)
        history.Add(std::to_string(i).c_str());
    EXPECT_EQ(Entries(history), (Texts{"9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}));
    history.Add("A");
    EXPECT_EQ(Entries(history), (Texts{"A", "9", "8", "7", "6", "5", "4", "3", "2", "1"}));
}

// The values stand at the root of the storage of a workspace file, under the owner's
// name: a later session reads what an earlier one saved, a shorter history blanks the
// rest, and a blank value ends the list even where later values hold text.
TEST(History, SavedInAWorkspaceFileIsReadInTheNextSessionUpToTheFirstEmptyValue)
{
    char path[] = "/tmp/qelhistoryXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::u16string name(path, path + sizeof path - 1);
    {
        CComPtr<IStorage> file;
        ASSERT_EQ(StgCreateDocfile(reinterpret_cast<const OLECHAR *>(name.c_str()),
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &file),
                  S_OK);
        Profile::CStgProfile profile(file);
        CHistory first("PosHistory");
        for (const char *text : {"main", "0x100", "&buffer"})
            first.Add(text);
        first.Save(profile);
        ASSERT_EQ(file->Commit(0), S_OK);
    }
    CComPtr<IStorage> file;
    ASSERT_EQ(StgOpenStorage(reinterpret_cast<const OLECHAR *>(name.c_str()), nullptr,
                             STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &file),
              S_OK);
    Profile::CStgProfile profile(file);
    CHistory next("PosHistory");
    next.Load(profile);
    EXPECT_EQ(Entries(next), (Texts{"&buffer", "0x100", "main"}));
    char value[16];
    ASSERT_TRUE(profile.GetString(nullptr, "PosHistory9", "unset", value, sizeof value));
    EXPECT_STREQ(value, "");
    CHistory other;
    other.Load(profile);
    EXPECT_EQ(other.GetCount(), 0);

    profile.WriteString(nullptr, "PosHistory1", "");
    profile.WriteString(nullptr, "PosHistory5", "later");
    CHistory gap("PosHistory");
    gap.Load(profile);
    EXPECT_EQ(Entries(gap), (Texts{"&buffer"}));
    file.Release();
    std::remove(path);
}

} // namespace
