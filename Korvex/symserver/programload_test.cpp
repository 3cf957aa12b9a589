// Loading program files through the engine's LoadFile request, on copies of the sample
// programs in a folder of the test's own.
#include "querytesting.h"

#include <elfglobals.h>
#include <elftesting.h>
#include <hostcfgprofile.h>
#include <hostsymbolpartners.h>
#include <qeldbexception.h>
#include <qelsymbol.h>
#include <symboltables.h>
#include <symdbtesting.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct LoadResult {
    int status = -100;
    std::string text;
    CComPtr<IUnknown> info;

    CProgramInfo *Info() const
    {
        CComQIPtr<IProgramInfo> programInfo(info);
        return static_cast<CProgramInfo *>(programInfo.p);
    }
};

std::vector<BYTE> ReadFileBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path &path, const std::vector<BYTE> &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(bytes.data()),
                                                                  static_cast<std::streamsize>(bytes.size()));
}

std::vector<fs::path> DatabasesIn(const fs::path &folder)
{
    std::vector<fs::path> found;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() == ".mdb")
            found.push_back(entry.path());
    }
    return found;
}

class ProgramLoadTest : public querytest::QueryTest {
protected:
    void TearDown() override
    {
        QelSetFileDialogHandler(nullptr, nullptr);
        m_host->SetSymbolServer(nullptr);
        QueryTest::TearDown();
    }

    // A copy of the sample `name` of testdata/`folder` in the test's folder.
    fs::path Copy(const char *folder, const char *name)
    {
        fs::path target = m_folder / name;
        fs::copy_file(fs::path(kQelSourceDir) / "testdata" / folder / name, target,
                      fs::copy_options::overwrite_existing);
        return target;
    }

    LoadResult Load(const fs::path &path, LONG programId = 1)
    {
        LoadResult result;
        std::unique_ptr<CSymbolRequest> done = LoadRequest(path, programId);
        if (done) {
            result.status = done->m_nStatus;
            result.text = done->m_strErrorText;
            result.info = done->m_pProgramInfo;
        }
        return result;
    }

    // What the request traced of the program's database: "built PATH" or "reused PATH".
    std::vector<std::string> DatabaseTraces() const
    {
        std::vector<std::string> traces;
        for (const auto &line : m_reports->TraceLines()) {
            CString text(line.text.c_str());
            if (text.Find("Symbol database ") == 0)
                traces.push_back(static_cast<LPCSTR>(text.Mid(16)));
        }
        return traces;
    }

    void SetProfileItem(LPCOLESTR entry, const CComVariant &value)
    {
        ASSERT_EQ(m_profile->SetItem(u"System", entry, value), S_OK);
    }

};

TEST_F(ProgramLoadTest, LoadsAnElfProgramAndReusesItsDatabaseUntilTheFileOrTheSetupChanges)
{
    const fs::path program = Copy("elf", "arm7-mixed.elf");
    const std::string database = (m_folder / "arm7-mixed.mdb").string();
    LoadResult first = Load(program, 5);
    ASSERT_EQ(first.status, StatusSuccess) << first.text;
    ASSERT_NE(first.Info(), nullptr);
    EXPECT_EQ(first.Info()->m_nType, QEL_PROGRAM_ELF);
    EXPECT_EQ(first.Info()->m_nProgramId, 5);
    EXPECT_STREQ(first.Info()->m_strName, program.c_str());
    EXPECT_EQ(m_engine->DatabaseLoaded, 1u);
    EXPECT_EQ(m_engine->NextModulToRead, 1);

    // The download is the program's memory image as objcopy writes it.
    const std::vector<BYTE> image = ReadFileBytes(fs::path(kQelSourceDir) / "testdata/elf/arm7-mixed.bin");
    ULONG bytes = 0;
    for (const auto &block : m_host->Downloads()->Blocks()) {
        ASSERT_LE(block.start + block.bytes.size(), image.size());
        EXPECT_TRUE(std::equal(block.bytes.begin(), block.bytes.end(), image.begin() + block.start)) << block.start;
        EXPECT_EQ(block.programId, 5u);
        bytes += static_cast<ULONG>(block.bytes.size());
    }
    EXPECT_EQ(first.Info()->m_nDownloadBytes, bytes);
    EXPECT_EQ(first.Info()->m_nDownloadBlocks, m_host->Downloads()->Blocks().size());

    ASSERT_EQ(Load(program).status, StatusSuccess);
    // Written again (a second later at most), the file is another program.
    struct timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 2, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, program.c_str(), later, 0), 0);
    ASSERT_EQ(Load(program).status, StatusSuccess);
    // A partner debugger may have changed the target: every load builds anew.
    CComObject<QelHost::CHostSymbolPartners> *partners = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostSymbolPartners>::CreateInstance(&partners), S_OK);
    CComPtr<IQelSymbSrv> keepPartners(partners);
    CComObject<QelHost::CHostDebugServer> *foreign = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostDebugServer>::CreateInstance(&foreign), S_OK);
    CComPtr<IUnknown> keepForeign(static_cast<IQelHostHolder *>(foreign));
    partners->SetForeignDebugServer(keepForeign);
    m_host->SetSymbolServer(keepPartners);
    ASSERT_EQ(Load(program).status, StatusSuccess);
    EXPECT_EQ(DatabaseTraces(), (std::vector<std::string>{"built: " + database, "reused: " + database,
                                                          "built: " + database, "built: " + database}));
}

TEST_F(ProgramLoadTest, AFailedLoadSaysWhyAndLeavesNoDatabaseOfItsOwn)
{
    const fs::path missing = m_folder / "missing.elf";
    LoadResult result = Load(missing);
    EXPECT_EQ(result.status, StatusFileError);
    EXPECT_NE(result.text.find(missing.string()), std::string::npos) << result.text;
    EXPECT_EQ(result.info, nullptr);

    const fs::path noise = m_folder / "noise.elf";
    std::vector<BYTE> bytes(4096);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<BYTE>(i * 7919 >> 3);
    WriteFileBytes(noise, bytes);
    EXPECT_EQ(Load(noise).status, StatusNotSupported);

    // Cut inside its debugging information: recognised, but its sections pass fails.
    const fs::path truncated = m_folder / "truncated.elf";
    std::vector<BYTE> program = ReadElfSample("arm7-mixed.elf");
    program.resize(0x2800);
    WriteFileBytes(truncated, program);
    result = Load(truncated);
    EXPECT_EQ(result.status, StatusNotSupported);
    EXPECT_FALSE(result.text.empty());
    EXPECT_EQ(m_engine->DatabaseLoaded, 0u);
    EXPECT_TRUE(DatabasesIn(m_folder).empty());

    if (geteuid() != 0) {
        const fs::path locked = Copy("elf", "arm7-mixed.elf");
        chmod(locked.c_str(), 0);
        EXPECT_EQ(Load(locked).status, StatusFileError);
        chmod(locked.c_str(), 0644);
    }

    // A database that another connection holds is left to it; one that a failed load
    // found current stays.
    const fs::path held = Copy("elf", "arm7-be.elf");
    ASSERT_EQ(Load(held).status, StatusSuccess);
    m_host->Downloads()->RefuseAfter(0);
    EXPECT_EQ(Load(held).status, StatusCodeRefused);
    m_host->Downloads()->RefuseAfter(SIZE_MAX);
    EXPECT_EQ(DatabasesIn(m_folder).size(), 1u);
    ASSERT_EQ(Load(held).status, StatusSuccess);
    CQelDatabase other;
    ASSERT_EQ(Load(noise).status, StatusNotSupported) << "unloads arm7-be.elf";
    ASSERT_TRUE(other.Open((m_folder / "arm7-be.mdb").c_str(), TRUE, FALSE));
    result = Load(held);
    EXPECT_EQ(result.status, StatusDatabaseError);
    EXPECT_NE(result.text.find("in use"), std::string::npos) << result.text;
    other.Close(FALSE);
    EXPECT_EQ(DatabasesIn(m_folder).size(), 1u);
}

// A recogniser that takes every file for a format of the test's own.
int TakesEveryFile(LPCSTR)
{
    return 1;
}

// A reader whose globals pass fails as a database that cannot be written does.
class CFailingReader : public CELFGlobals {
public:
    using CELFGlobals::CELFGlobals;
    int ReadGlobals(HWND) override { ThrowQeldbException(3026, "test", "The disk is full."); }
};

TEST_F(ProgramLoadTest, TheFirstFormatWhoseRecogniserTakesTheFileReadsIt)
{
    const fs::path program = Copy("elf", "arm7-mixed.elf");
    // A reader that raises drops the database it was writing.
    m_engine->ProgramFormats.insert(m_engine->ProgramFormats.begin(),
                                    {QEL_PROGRAM_ELF, TakesEveryFile,
                                     [](CQelDatabase &database, DWORD programId, IUnknown *host) -> CQelTargetFile * {
                                         return new CFailingReader(database, programId, host);
                                     }});
    LoadResult failed = Load(program);
    EXPECT_EQ(failed.status, StatusDatabaseError);
    EXPECT_NE(failed.text.find("The disk is full."), std::string::npos) << failed.text;
    EXPECT_TRUE(DatabasesIn(m_folder).empty());
    m_engine->ProgramFormats.erase(m_engine->ProgramFormats.begin());

    static int created = 0;
    m_engine->ProgramFormats.insert(m_engine->ProgramFormats.begin(),
                                    {QEL_PROGRAM_TASKING_OUT, TakesEveryFile,
                                     [](CQelDatabase &database, DWORD programId, IUnknown *host) -> CQelTargetFile * {
                                         ++created;
                                         for (const QelProgramFormat &format : GetProgramFormats()) {
                                             if (format.Kind == QEL_PROGRAM_ELF)
                                                 return format.CreateReader(database, programId, host);
                                         }
                                         return nullptr;
                                     }});
    LoadResult result = Load(program);
    ASSERT_EQ(result.status, StatusSuccess) << result.text;
    EXPECT_EQ(created, 1);
    EXPECT_EQ(result.Info()->m_nType, QEL_PROGRAM_TASKING_OUT);
}

// The dialog's answer, and what it was shown.
struct DialogScript {
    std::string answer; // "": cancel
    std::vector<std::string> shown;
};

LPCSTR AnswerDialog(void *context, const OPENFILENAMEA *dialog)
{
    auto *script = static_cast<DialogScript *>(context);
    script->shown.push_back(std::string(dialog->lpstrTitle) + "|" + dialog->lpstrFile);
    return script->answer.empty() ? nullptr : script->answer.c_str();
}

TEST_F(ProgramLoadTest, AnIntelHexImageIsLoadedAsCodeSectionsOrInPlaceOfItsElfFile)
{
    const fs::path hex = Copy("ihex", "arm-flash.hex");
    DialogScript script;
    QelSetFileDialogHandler(AnswerDialog, &script);

    // Without AUTOLOADELF: a memory image, one code section per range, under the id.
    LoadResult image = Load(hex, 9);
    ASSERT_EQ(image.status, StatusSuccess) << image.text;
    EXPECT_EQ(image.Info()->m_nType, QEL_PROGRAM_INTEL_HEX);
    EXPECT_EQ(image.Info()->m_nProgramId, 9);
    ASSERT_GT(m_engine->CodeSections.GetSize(), 0);
    EXPECT_EQ(CString(m_engine->CodeSections[0].Name).Find("<arm-flash.hex>  ("), 0) << m_engine->CodeSections[0].Name;
    for (int i = 0; i < m_engine->m_CodeSectionIds.GetSize(); ++i)
        EXPECT_EQ(m_engine->m_CodeSectionIds[i], 9);
    EXPECT_EQ(image.Info()->m_nDownloadBlocks, ULONG(m_engine->CodeSections.GetSize()));
    ASSERT_FALSE(m_host->Downloads()->StartAddresses().empty());
    EXPECT_EQ(m_host->Downloads()->StartAddresses().back().id, 9);
    EXPECT_TRUE(script.shown.empty());

    // With it, and the ELF file beside: that file, silently, under the image's name.
    SetProfileItem(u"AUTOLOADELF", CComVariant(true));
    const fs::path elf = Copy("ihex", "arm-flash.elf");
    LoadResult companion = Load(hex);
    ASSERT_EQ(companion.status, StatusSuccess) << companion.text;
    EXPECT_EQ(companion.Info()->m_nType, QEL_PROGRAM_ELF);
    EXPECT_STREQ(companion.Info()->m_strName, hex.c_str());
    EXPECT_EQ(m_engine->CodeSections.GetSize(), 0) << "a recognised program drops the defined sections";
    EXPECT_TRUE(script.shown.empty());

    // Without the ELF file beside: the user is asked, and a cancel leaves the image.
    const fs::path picked = m_folder / "elsewhere.elf";
    fs::rename(elf, picked);
    script.answer = picked.string();
    LoadResult asked = Load(hex);
    ASSERT_EQ(asked.status, StatusSuccess) << asked.text;
    EXPECT_EQ(asked.Info()->m_nType, QEL_PROGRAM_ELF);
    EXPECT_EQ(script.shown, (std::vector<std::string>{"Open corresponding ELF file|" + elf.string()}));
    script.answer.clear();
    EXPECT_EQ(Load(hex).Info()->m_nType, QEL_PROGRAM_INTEL_HEX);
}

TEST_F(ProgramLoadTest, TheDatabaseGoesIntoTheConfiguredFolderWhenItCanBeMade)
{
    const fs::path program = Copy("elf", "arm7-mixed.elf");
    SetProfileItem(u"DATABASE_SPECIAL", CComVariant(true));
    SetProfileItem(u"DATABASE_DIRECTORY", CComVariant((m_folder / "db/new").c_str()));
    ASSERT_EQ(Load(program).status, StatusSuccess);
    EXPECT_TRUE(fs::exists(m_folder / "db/new/arm7-mixed.mdb"));

    // A file where the folder should be: the database stands beside the program.
    WriteFileBytes(m_folder / "blocked", {1});
    SetProfileItem(u"DATABASE_DIRECTORY", CComVariant((m_folder / "blocked/db").c_str()));
    ASSERT_EQ(Load(program).status, StatusSuccess);
    EXPECT_TRUE(fs::exists(m_folder / "arm7-mixed.mdb"));
    bool traced = false;
    for (const auto &line : m_reports->TraceLines())
        traced |= CString(line.text.c_str()).Find("Can not create special database directory:\n") == 0;
    EXPECT_TRUE(traced);
}

TEST_F(ProgramLoadTest, UnloadingTellsTheHostAndLetsGoOfTheDatabase)
{
    const fs::path program = Copy("elf", "arm7-mixed.elf");
    ASSERT_EQ(Load(program).status, StatusSuccess);
    int status = 0;
    int id = Submit(RequestCodeUnloadFile, RequesterSynchronous, 0, &status);
    EXPECT_EQ(FetchStatus(id), StatusSuccess);
    EXPECT_EQ(m_engine->DatabaseLoaded, 0u);
    EXPECT_EQ(m_engine->CurrentReader, nullptr);

    // Every load and unload tells the host of the QelSymbol command group.
    size_t notices = 0;
    for (const auto &command : m_host->Commands()->Commands()) {
        if (command.group != CLSID_QelSymbol || command.id != 2)
            continue;
        ++notices;
        ASSERT_EQ(command.input.vt, VT_ARRAY | VT_VARIANT);
        VARIANT *values = static_cast<VARIANT *>(command.input.parray->pvData);
        EXPECT_EQ(values[0].vt, VT_UI4);
        EXPECT_EQ(values[0].ulVal, 1u);
        EXPECT_EQ(values[1].vt, VT_I4);
        EXPECT_EQ(values[1].lVal, 0);
    }
    EXPECT_EQ(notices, 2u);
    CQelDatabase other;
    EXPECT_TRUE(other.Open((m_folder / "arm7-mixed.mdb").c_str(), TRUE, FALSE)) << "nobody holds it";
    other.Close(FALSE);
}

TEST_F(ProgramLoadTest, LoadsAndUnloadsLeaveNoTextArrayOrObjectBehind)
{
    const fs::path program = Copy("elf", "arm7-mixed.elf");
    const fs::path hex = Copy("ihex", "arm-flash.hex");
    const QelComAllocCounts before = QelGetComAllocCounts();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Load(program).status, StatusSuccess);
        EXPECT_EQ(Load(hex).status, StatusSuccess);
        EXPECT_EQ(Load(m_folder / "missing.elf").status, StatusFileError);
    }
    EXPECT_EQ(FetchStatus(Submit(RequestCodeUnloadFile, RequesterSynchronous)), StatusSuccess);
    m_engine.reset();
    // The host's copies of the notices it got are its own.
    m_host->SetCommands(std::make_shared<QelHost::HostCommands>());
    EXPECT_EQ(QelGetComAllocCounts(), before);
}

} // namespace
