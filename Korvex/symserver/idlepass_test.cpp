// The idle pass on a simulated clock: the passes are submitted one by one (the worker's
// own wait would run them at times of its own), except where the worker is to run them.
#include "querytesting.h"

#include <qelsymbol.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using enginetest::CountedResult;

// The sample program's three modules, by index.
const int kModuls = 3;

// Whether a reader still has its program file open (its view mapped).
struct ReaderPeek : CQelTargetFile {
    static const BYTE *View(const CQelTargetFile &reader) { return (reader.*(&ReaderPeek::GetView))(); }
};

class IdlePassTest : public querytest::QueryTest {
protected:
    void SetUp() override
    {
        QueryTest::SetUp();
        m_engine->SetTickSource([this] {
            ++m_clockReads;
            return m_clock.load();
        });
        // Stand-ins for the variable lists, which say what they were asked.
        for (int code : {401, 403})
            Handle(code, [this, code](CSymbolRequest &request) {
                m_listed.push_back(code);
                EXPECT_EQ(CString(request.Param1.bstrVal), "*");
                EXPECT_EQ(CString(request.Param2.bstrVal), "*");
                request.m_pResult = new CountedResult;
            });
    }

    // One idle pass with the clock at `now`.
    void Pass(DWORD now)
    {
        m_clock = now;
        Submit(RequestCodeIdle, RequesterSynchronous);
    }
    // Passes at `now` until the pass count is a multiple of five, the last included.
    void PassToStep(DWORD now)
    {
        do
            Pass(now);
        while (m_engine->IdlePasses % 5 != 0);
    }
    // The Analyzed flags of the modules, by index.
    std::vector<int> Analyzed()
    {
        std::vector<int> flags;
        for (int modul = 1; modul <= kModuls; ++modul) {
            CdbRecordset row = Database()->OpenRecordset(
                CString("SELECT Analyzed FROM Moduls WHERE ModulIndex = ") + std::to_string(modul).c_str(),
                dbOpenSnapshot);
            flags.push_back(row.IsEOF() ? -1 : (row.GetField("Analyzed").boolVal != 0 ? 1 : 0));
        }
        return flags;
    }
    // The values of the program-change notices (kind 2) the host got: program id, name,
    // what CheckFileChanged said.
    std::vector<std::tuple<LONG, CString, LONG>> ChangeNotices()
    {
        std::vector<std::tuple<LONG, CString, LONG>> notices;
        for (const auto &command : m_host->Commands()->Commands()) {
            if (command.group != CLSID_QelSymbol || command.id != 2 || command.input.vt != (VT_ARRAY | VT_VARIANT))
                continue;
            const VARIANT *values = static_cast<const VARIANT *>(command.input.parray->pvData);
            if (command.input.parray->rgsabound[0].cElements != 4 || values[0].vt != VT_UI4 || values[0].ulVal != 2)
                continue;
            EXPECT_EQ(values[1].vt, VT_I4);
            EXPECT_EQ(values[2].vt, VT_BSTR);
            EXPECT_EQ(values[3].vt, VT_I4);
            notices.emplace_back(values[1].lVal, CString(values[2].bstrVal), values[3].lVal);
        }
        return notices;
    }
    fs::path Program() const { return m_folder / "arm7-mixed.elf"; }

    std::atomic<DWORD> m_clock{0};
    std::atomic<int> m_clockReads{0};
    std::vector<int> m_listed;
};

TEST_F(IdlePassTest, WithoutAProgramThePassOnlyCounts)
{
    for (int i = 0; i < 10; ++i)
        Pass(100000u * i);
    EXPECT_EQ(m_engine->IdlePasses, 10u);
    EXPECT_EQ(m_engine->IdleSince, 0u);
    EXPECT_EQ(m_clockReads, 0);
    EXPECT_TRUE(m_listed.empty());
    EXPECT_TRUE(ChangeNotices().empty());
}

TEST_F(IdlePassTest, RequestsMoreOftenThanEveryThirtySecondsKeepTheReadAheadAway)
{
    ASSERT_EQ(Load("elf/arm7-mixed.elf"), StatusSuccess);
    // A query every 29 simulated seconds, an idle pass every second in between.
    for (DWORD second = 1; second <= 200; ++second) {
        if (second % 29 == 0)
            Submit(0, RequesterSynchronous);
        else
            Pass(second * 1000);
    }
    EXPECT_TRUE(m_listed.empty());
    EXPECT_EQ(Analyzed(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(m_engine->NextModulToRead, 1);
}

TEST_F(IdlePassTest, AfterMoreThanThirtyQuietSecondsReadsAheadOneStepInFivePassesThenClosesTheFile)
{
    ASSERT_EQ(Load("elf/arm7-mixed.elf"), StatusSuccess);
    // The clock wraps past 0 on the way, as GetTickCount does after 49.7 days.
    const DWORD start = 0xFFFFFFFFu - 20000;
    Pass(start);
    EXPECT_EQ(m_engine->IdleSince, start);
    PassToStep(start + 30000);
    EXPECT_TRUE(m_listed.empty()) << "thirty seconds are not enough";

    struct Step {
        std::vector<int> listed;
        std::vector<int> analyzed;
    };
    const Step steps[] = {
        {{403}, {0, 0, 0}},
        {{403, 401}, {0, 0, 0}},
        {{403, 401}, {1, 0, 0}},
        {{403, 401}, {1, 1, 0}},
        {{403, 401}, {1, 1, 1}},
    };
    for (const Step &step : steps) {
        for (int pass = 0; pass < 4; ++pass) {
            Pass(start + 30001);
            ASSERT_NE(m_engine->IdlePasses % 5, 0u);
        }
        Pass(start + 30001);
        EXPECT_EQ(m_listed, step.listed) << "pass " << m_engine->IdlePasses;
        EXPECT_EQ(Analyzed(), step.analyzed) << "pass " << m_engine->IdlePasses;
    }
    EXPECT_NE(m_engine->StaticsCache, nullptr);
    EXPECT_NE(m_engine->GlobalsCache, nullptr);
    ASSERT_NE(m_engine->CurrentReader, nullptr);
    EXPECT_NE(ReaderPeek::View(*m_engine->CurrentReader), nullptr);

    // The pass after the last module lets the file go and ends the module work.
    Pass(start + 30001);
    EXPECT_EQ(m_engine->NextModulToRead, 0);
    EXPECT_EQ(m_engine->ModulCount, 0);
    ASSERT_NE(m_engine->CurrentReader, nullptr);
    EXPECT_EQ(ReaderPeek::View(*m_engine->CurrentReader), nullptr);
    const int reads = m_clockReads;
    for (int pass = 0; pass < 10; ++pass)
        Pass(start + 100000);
    EXPECT_EQ(m_clockReads, reads);
    // Queries answer from the database; nothing more is read from the closed file.
    EXPECT_EQ(Query<SourceFileTag>(101, {"main.c"}).empty(), false);
    EXPECT_EQ(m_engine->NextModulToRead, 0);
}

TEST_F(IdlePassTest, AModuleThatCannotBeReadIsPassedOverAndTheWorkGoesOn)
{
    ASSERT_EQ(Load("elf/arm7-mixed.elf"), StatusSuccess);
    Execute("UPDATE Moduls SET Offset = 99999999 WHERE ModulIndex = 2");
    Pass(1000);
    for (int step = 0; step < 5; ++step)
        PassToStep(40000);
    EXPECT_EQ(Analyzed(), (std::vector<int>{1, 0, 1}));
    bool traced = false;
    for (const auto &line : m_reports->TraceLines())
        traced = traced || line.text.find("Module 2 could not be read") != std::string::npos;
    EXPECT_TRUE(traced);
    Pass(40000);
    EXPECT_EQ(m_engine->NextModulToRead, 0);
    EXPECT_EQ(ReaderPeek::View(*m_engine->CurrentReader), nullptr);
}

TEST_F(IdlePassTest, ARewrittenProgramFileIsNoticedOnEveryPassUntilItIsGone)
{
    ASSERT_EQ(Load("elf/arm7-mixed.elf"), StatusSuccess);
    LoadRequest(Program(), 7); // the notice names the program by the id of its load
    Pass(1000);
    EXPECT_TRUE(ChangeNotices().empty());

    std::ofstream(Program(), std::ios::binary | std::ios::app) << "rebuilt";
    fs::last_write_time(Program(), fs::last_write_time(Program()) + std::chrono::hours(1));
    for (DWORD second = 2; second <= 4; ++second)
        Pass(second * 1000);
    const CString name = "arm7-mixed.elf";
    // 0 while it may still be written, 2 once it has been seen the same twice.
    EXPECT_EQ(ChangeNotices(), (std::vector<std::tuple<LONG, CString, LONG>>{{7, name, 0}, {7, name, 2}, {7, name, 2}}));

    fs::remove(Program());
    for (DWORD second = 5; second <= 7; ++second)
        Pass(second * 1000);
    EXPECT_EQ(ChangeNotices().size(), 3u);
}

TEST_F(IdlePassTest, TheWorkerRunsThePassWhenItsWaitRunsOutAndARequestMeanwhileIsAnswered)
{
    ASSERT_EQ(Load("elf/arm7-mixed.elf"), StatusSuccess);
    // A simulated second a pass, read on the worker: one more after each pass.
    m_engine->SetTickSource([this] { return m_engine->IdlePasses * 1000u; });
    std::atomic<int> listed{0};
    std::atomic<bool> closed{false};
    Handle(403, [&](CSymbolRequest &request) {
        ++listed;
        request.m_pResult = new CountedResult;
    });
    Handle(RequestCodeIdle, [&](CSymbolRequest &request) {
        m_engine->OnIdle(request);
        closed = m_engine->NextModulToRead == 0;
    });
    enginetest::RequesterWindow window;
    m_engine->SetIdleWait(1);
    Submit(RequestCodeIsDatabase, RequesterSynchronous); // a wait starts after it
    ASSERT_TRUE(enginetest::WaitUntil([&] { return listed > 0; }));
    int id = Submit(0, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(1));
    EXPECT_EQ(FetchStatus(id), StatusSuccess);
    ASSERT_TRUE(enginetest::WaitUntil([&] { return closed.load(); }));
    m_engine->SetIdleWait(INFINITE);
    Submit(RequestCodeIsDatabase, RequesterSynchronous);
    EXPECT_EQ(Analyzed(), (std::vector<int>{1, 1, 1}));
}

} // namespace

namespace {

TEST_F(IdlePassTest, AfterTheIdlePassTheFullListsOfGlobalsAndStaticsComeFromItsCaches)
{
    ASSERT_EQ(Load("elf/arm7-mixed.elf"), StatusSuccess);
    // The engine's own variable handlers, in place of the stand-ins.
    for (int code : {401, 403})
        Handle(code, [this, code](CSymbolRequest &request) {
            (code == 401 ? m_engine->OnGlobals(request) : m_engine->OnStatics(request));
        });
    const auto globals = Query<VariableTag>(401, {"*", "*"});
    const auto statics = Query<VariableTag>(403, {"*", "*"});
    ASSERT_FALSE(globals.empty());
    Pass(1000);
    PassToStep(40000);
    PassToStep(40000);
    ASSERT_NE(m_engine->StaticsCache, nullptr);
    ASSERT_NE(m_engine->GlobalsCache, nullptr);
    // What the caches hold is answered even when the database has changed since.
    Execute("DELETE * FROM Symbols WHERE SymbolID = 5");
    EXPECT_EQ(Query<VariableTag>(401, {"*", "*"}).size(), globals.size());
    EXPECT_EQ(Query<VariableTag>(403, {"*", "*"}).size(), statics.size());
    EXPECT_TRUE(Query<VariableTag>(401, {"*", "main.c"}).empty()) << "other patterns ask the database";
}

} // namespace
