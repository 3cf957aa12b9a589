// The per-program workspace settings on a real workspace file, written through the main
// symbol server and a PCP server bound to it, reopened and read through the storage
// interfaces themselves.
#include "windowstesting.h"
#include "workspacesettings.h"

#include <hostcmdgroups.h>
#include <safearrayvariant.h>

#include <testing/buildpaths.h>

#include <filesystem>

namespace {

using windowstest::I4;
using windowstest::U4;

// The stream at the end of `path` (storages, then the stream) below `root`, read whole
// into *bytes; FALSE when a level is missing. Each level lives while its elements do.
bool RawBytes(IStorage *root, const std::vector<std::u16string> &path, std::string *bytes)
{
    std::vector<CComPtr<IStorage>> levels{CComPtr<IStorage>(root)};
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        CComPtr<IStorage> next;
        if (levels.back()->OpenStorage(path[i].c_str(), nullptr, kStgOpenRead, nullptr, 0, &next) != S_OK)
            return false;
        levels.push_back(next);
    }
    *bytes = ReadStream(levels.back(), path.back().c_str());
    return *bytes != "<missing>";
}

// The value as the system writes it: UTF-16 up to a zero, or 4 bytes; "<missing>".
std::string RawText(IStorage *root, std::vector<std::u16string> path)
{
    std::string bytes;
    if (!RawBytes(root, path, &bytes))
        return "<missing>";
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c == 0)
            break;
        text += c;
    }
    return QelHost::AnsiText(text.c_str());
}

LONG RawNumber(IStorage *root, std::vector<std::u16string> path)
{
    std::string bytes;
    if (!RawBytes(root, path, &bytes) || bytes.size() < 4)
        return -1;
    DWORD value = 0;
    memcpy(&value, bytes.data(), 4);
    return static_cast<LONG>(value);
}

CComVariant Names(std::vector<const char *> names)
{
    CSafeArrayVariant array(VT_BSTR, static_cast<int>(names.size()));
    auto *data = static_cast<BSTR *>(array.AccessData());
    for (size_t i = 0; i < names.size(); ++i)
        data[i] = CString(names[i]).AllocSysString();
    array.UnaccessData();
    CComVariant copy(*array.GetVariant());
    return copy;
}

class WorkspaceSettings : public windowstest::SymbolServerWindows {
protected:
    IStorage *MakeWorkspace() override
    {
        file_ = std::filesystem::temp_directory_path() /
                ("qel-wsp-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".stg");
        std::filesystem::remove(file_);
        IStorage *root = nullptr;
        EXPECT_EQ(StgCreateDocfile(Wide(file_).c_str(), kStgCreate, 0, &root), S_OK);
        return root;
    }

    void TearDown() override
    {
        windowstest::SymbolServerWindows::TearDown();
        std::filesystem::remove(file_);
    }

    static std::u16string Wide(const std::filesystem::path &path)
    {
        std::string text = path.string();
        return std::u16string(text.begin(), text.end());
    }

    // Ends the debuggers, commits the workspace and lets it go, and opens the file again.
    CComPtr<IStorage> Reopened()
    {
        EndServers();
        EXPECT_EQ(workspace_->Commit(STGC_DEFAULT), S_OK);
        workspace_.Release();
        CComPtr<IStorage> root;
        EXPECT_EQ(StgOpenStorage(Wide(file_).c_str(), nullptr, kStgOpenRead, nullptr, 0, &root), S_OK);
        return root;
    }

    int Settings(int code, int &value, CString &path, IUnknown *server = nullptr)
    {
        return ProgramSettings(code, server ? server : host_.p, value, path);
    }

    HRESULT Store(std::vector<CComVariant> in, IUnknown *server = nullptr)
    {
        CVariantArray arguments(static_cast<int>(in.size()));
        for (size_t i = 0; i < in.size(); ++i)
            arguments[static_cast<int>(i)].SetValue(in[i]);
        return StoreBreakpoints(server ? server : host_.p, &arguments);
    }

    // The commands of the host's breakpoint group that reached the main debugger.
    std::vector<QelHost::HostCommand> Restored()
    {
        std::vector<QelHost::HostCommand> restored;
        for (const auto &command : Host()->Commands()->Commands()) {
            if (IsEqualGUID(command.group, CGID_QelHostBreakpoints))
                restored.push_back(command);
        }
        return restored;
    }

    std::filesystem::path file_;
};

std::string Path(int i)
{
    return i == 0 ? "/work/prog.elf" : "/work/other.elf";
}

TEST_F(WorkspaceSettings, StoringTheSamePathKeepsTheBreakpointsAnotherPathDropsThem)
{
    int value = 0;
    CString path = "/work/prog.elf";
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(Store({U4(1), U4(3), Names({"A", "B", "A"})}), S_OK);
    CString again = "/WORK/Prog.ELF";
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, again), 1);
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Number"}), 2);
    EXPECT_EQ(RawText(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Breakpoint1"}), "A");
    EXPECT_EQ(RawText(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Breakpoint2"}), "B");
    EXPECT_EQ(RawText(storage_, {u"BinaryFiles", u"BinaryFile1", u"FullPath"}), "/work/prog.elf");
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"Number"}), 1);

    CString other = "/work/other.elf";
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, other), 1);
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Number"}), -1);
    CString read = "old";
    ASSERT_EQ(Settings(QEL_WSP_READ_PATH, value = 1, read), 1);
    EXPECT_EQ(read, "/work/other.elf");
    EXPECT_EQ(Settings(QEL_WSP_READ_PATH, value = 2, read), 0);
    EXPECT_EQ(read, "");
}

// A path longer than the 260 characters of old stays the same path when it is stored
// again, so the program keeps its breakpoints at every load.
TEST_F(WorkspaceSettings, ALongPathIsReadWholeAndKeepsTheBreakpoints)
{
    int value = 0;
    CString path = ("/work/" + std::string(300, 'd') + "/prog.elf").c_str();
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    EXPECT_EQ(Store({U4(1), U4(1), Names({"main.c 12"})}), S_OK);
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    CString read;
    ASSERT_EQ(Settings(QEL_WSP_READ_PATH, value = 1, read), 1);
    EXPECT_EQ(read, path);
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Number"}), 1);
}

TEST_F(WorkspaceSettings, FilterAndAskForLoadReadOneUntilWritten)
{
    // Each setting reaches the symbol server's storage and lets it go again.
    auto references = [this] {
        storage_->AddRef();
        return storage_->Release();
    };
    const ULONG held = references();
    CString unused;
    for (auto codes : {std::pair{QEL_WSP_READ_FILTER, QEL_WSP_WRITE_FILTER},
                       std::pair{QEL_WSP_READ_ASKFORLOAD, QEL_WSP_WRITE_ASKFORLOAD}}) {
        int value = 0;
        EXPECT_EQ(Settings(codes.first, value, unused), 1);
        EXPECT_EQ(value, 1);
        value = 0;
        EXPECT_EQ(Settings(codes.second, value, unused), 1);
        value = 5;
        EXPECT_EQ(Settings(codes.first, value, unused), 1);
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"AskForLoad"}), 0);
    EXPECT_EQ(references(), held);
}

// Bad inputs are refused before anything is deleted.
TEST_F(WorkspaceSettings, StoringBreakpointsChecksEveryInputFirst)
{
    int value = 0;
    CString path = Path(0).c_str();
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    ASSERT_EQ(Store({U4(1), U4(2), Names({"A", "B"})}), S_OK);
    const std::vector<std::vector<CComVariant>> refused = {
        {},
        {I4(1), U4(2), Names({"C", "D"})},
        {U4(1), I4(2), Names({"C", "D"})},
        {U4(1), U4(2)},
        {U4(1), U4(2), CComVariant("C")},
        {U4(1), U4(3), Names({"C", "D"})},
    };
    for (const auto &inputs : refused)
        EXPECT_EQ(Store(inputs), E_INVALIDARG) << inputs.size();
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Number"}), 2);
    EXPECT_EQ(RawText(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Breakpoint1"}), "A");
}

TEST_F(WorkspaceSettings, RestoredBreakpointsReachTheHostAndNoneGoWhenClearedOrOutOfReach)
{
    int value = 0;
    CString path = Path(0).c_str();
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    CComVariant stored = Names({"main.c 12", "0x1234", "main.c 12"});
    ASSERT_EQ(Store({U4(1), U4(3), stored}), S_OK);
    EXPECT_EQ(stored.vt, VT_ARRAY | VT_BSTR) << "the array stays the caller's";

    HRESULT hr = E_FAIL;
    EXPECT_FALSE(RestoreBreakpoints(storage_, QEL_WSP_BREAKPOINTS, host_, 2, &hr));
    EXPECT_FALSE(RestoreBreakpoints(storage_, QEL_WSP_COBREAKPOINTS, host_, 1, &hr));
    ASSERT_TRUE(RestoreBreakpoints(storage_, QEL_WSP_BREAKPOINTS, host_, 1, &hr));
    EXPECT_EQ(hr, S_OK);
    std::vector<QelHost::HostCommand> restored = Restored();
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].id, 3u);
    CVariantArray in(&restored[0].input, FALSE);
    ASSERT_EQ(in.GetSize(), 3);
    EXPECT_EQ(in.GetUI4(0), 8u);
    EXPECT_EQ(in.GetUI4(1), 2u);
    ASSERT_EQ(in[2].GetValue().vt, VT_ARRAY | VT_BSTR);
    SAFEARRAY *names = in[2].GetValue().parray;
    LONG upper = -1;
    ASSERT_EQ(SafeArrayGetUBound(names, 1, &upper), S_OK);
    ASSERT_EQ(upper, 1);
    BSTR *data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(names, reinterpret_cast<void **>(&data)), S_OK);
    EXPECT_EQ(QelHost::AnsiText(data[0]), "main.c 12");
    EXPECT_EQ(QelHost::AnsiText(data[1]), "0x1234");
    SafeArrayUnaccessData(names);

    ASSERT_EQ(Store({U4(1), U4(0)}), S_OK);
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Number"}), -1);
    EXPECT_FALSE(RestoreBreakpoints(storage_, QEL_WSP_BREAKPOINTS, host_, 1, &hr));
    EXPECT_EQ(Restored().size(), 1u);
}

// A count that names more breakpoints than the storage holds sends nothing, at once.
TEST_F(WorkspaceSettings, ACountBeyondTheStoredBreakpointsSendsNothing)
{
    int value = 0;
    CString path = Path(0).c_str();
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    ASSERT_EQ(Store({U4(1), U4(1), Names({"A"})}), S_OK);
    CComPtr<IStorage> files, entry, breakpoints;
    ASSERT_EQ(storage_->OpenStorage(u"BinaryFiles", nullptr, kStgOpenRW, nullptr, 0, &files), S_OK);
    ASSERT_EQ(files->OpenStorage(u"BinaryFile1", nullptr, kStgOpenRW, nullptr, 0, &entry), S_OK);
    ASSERT_EQ(entry->OpenStorage(u"Breakpoints", nullptr, kStgOpenRW, nullptr, 0, &breakpoints), S_OK);
    WriteStream(breakpoints, u"Number", std::string("\xFF\xFF\xFF\x7F", 4));
    breakpoints.Release();
    entry.Release();
    files.Release();
    HRESULT hr = S_OK;
    EXPECT_FALSE(RestoreBreakpoints(storage_, QEL_WSP_BREAKPOINTS, host_, 1, &hr));
    EXPECT_TRUE(Restored().empty());
}

TEST_F(WorkspaceSettings, AliasesAreFoundBothWaysAndADeletedOneLeavesAHoleThatLookUpsPassOver)
{
    int value = 0;
    CString path = Path(0).c_str();
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path), 1);
    const char *entries[] = {"main.c", "util.c", "board.c"};
    const char *paths[] = {"/src/main.c", "/src/util.c", "/src/board.c"};
    for (int i = 0; i < 3; ++i) {
        CString name = entries[i], where = paths[i];
        ASSERT_EQ(SourceAliases(QEL_WSP_STORE_ALIAS, host_, 1, name, where), 1);
    }
    CString name = "UTIL.C", found;
    ASSERT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 1, name, found), 1);
    EXPECT_EQ(found, "/src/util.c");
    CString where = "/SRC/Board.c", entry;
    ASSERT_EQ(SourceAliases(QEL_WSP_FIND_ENTRY, host_, 1, entry, where), 1);
    EXPECT_EQ(entry, "board.c");

    CString empty;
    ASSERT_EQ(SourceAliases(QEL_WSP_STORE_ALIAS, host_, 1, name, empty), 1);
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 1, name, found), 0);
    EXPECT_EQ(RawNumber(storage_, {u"BinaryFiles", u"BinaryFile1", u"SourceAliases", u"Number"}), 3);
    ASSERT_EQ(SourceAliases(QEL_WSP_FIND_ENTRY, host_, 1, entry, where), 1);
    EXPECT_EQ(entry, "board.c");
    // The path changes in place; an empty name or path matches nothing.
    CString moved = "/new/main.c", main = "main.c";
    ASSERT_EQ(SourceAliases(QEL_WSP_STORE_ALIAS, host_, 1, main, moved), 1);
    EXPECT_EQ(RawText(storage_, {u"BinaryFiles", u"BinaryFile1", u"SourceAliases", u"FullPath1"}), "/new/main.c");
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 1, empty, found), 0);
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ENTRY, host_, 1, entry, empty), 0);
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 2, main, found), 0);
}

// A bound PCP debugger keeps its settings in the main debugger's storage, its
// breakpoints as "CoBreakpoints"; the whole reaches the file.
TEST_F(WorkspaceSettings, ABoundPcpServerWritesIntoTheMainServersStorageWhichReachesTheFile)
{
    StartBoundPcp();
    int value = 0;
    CString path = Path(0).c_str();
    ASSERT_EQ(Settings(QEL_WSP_STORE_PATH, value, path, pcpHost_), 1);
    ASSERT_EQ(Store({U4(1), U4(1), Names({"pcp.c 3"})}, pcpHost_), S_OK);
    ASSERT_EQ(Store({U4(1), U4(1), Names({"main.c 7"})}), S_OK);
    CString name = "pcp.c", where = "/src/pcp.c";
    ASSERT_EQ(SourceAliases(QEL_WSP_STORE_ALIAS, pcpHost_, 1, name, where), 1);
    EXPECT_EQ(ElementNames(pcpStorage_).size(), 0u);

    HRESULT hr = E_FAIL;
    EXPECT_TRUE(RestoreBreakpoints(storage_, QEL_WSP_COBREAKPOINTS, pcpHost_, 1, &hr));
    EXPECT_EQ(hr, S_OK);

    CComPtr<IStorage> root = Reopened();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(RawText(root, {u"QelSymbol", u"BinaryFiles", u"BinaryFile1", u"FullPath"}), "/work/prog.elf");
    EXPECT_EQ(RawText(root, {u"QelSymbol", u"BinaryFiles", u"BinaryFile1", u"CoBreakpoints", u"Breakpoint1"}),
              "pcp.c 3");
    EXPECT_EQ(RawText(root, {u"QelSymbol", u"BinaryFiles", u"BinaryFile1", u"Breakpoints", u"Breakpoint1"}),
              "main.c 7");
    EXPECT_EQ(RawText(root, {u"QelSymbol", u"BinaryFiles", u"BinaryFile1", u"SourceAliases", u"FullPath1"}),
              "/src/pcp.c");
    EXPECT_EQ(RawNumber(root, {u"QelSymbol", u"BinaryFiles", u"BinaryFile1", u"CoBreakpoints", u"Number"}), 1);
}

} // namespace
