// The watch parser on real programs, its names told by the symbol server: QelSymbol
// carried by the host's debug-server object, a program of testdata loaded through the
// client, and one module read by a line-range request at the address of one of its
// functions, so that the module's types are in the database.
//
// testdata/elf/arm7-mixed.elf has `struct motor motors[2]` (its `motor_t` is used
// nowhere, so the compiler left it out of the debug information);
// testdata/firmware/handwritten-O0.elf has `typedef struct status_bits status_t` and
// `status_t board_status` in board.c.
#include "programserver.h"

#include <progfilestrings.h>
#include <symdbstrings.h>
#include <symserverstrings.h>
#include <symbolprocessing.h>
#include <varnodestrings.h>
#include <watchparser.h>
#include <watchtreetext.h>

#include <testing/buildpaths.h>
#include <testing/messagepump.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// The test program binds the string tables of Korvex's module, whose texts the load and
// the variable nodes read.
const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        all.insert(all.end(), g_VarNodeStrings, g_VarNodeStrings + g_VarNodeStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), nullptr, 0};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

namespace {

namespace fs = std::filesystem;

// The server's answer, with every name asked recorded.
class CRecordingTypeNames : public CWatchTypeNames {
public:
    explicit CRecordingTypeNames(CSymbolProcessing *client) : m_server(client) {}
    BOOL IsTypeName(LPCSTR name) override
    {
        asked.push_back(name);
        return m_server.IsTypeName(name);
    }
    std::vector<std::string> asked;

private:
    CSymbolTypeNames m_server;
};

class WatchParserProgramTest : public ProgramServerTest {
protected:
    // Loads testdata/`program` and reads the module of `function`.
    void Load(const std::string &program, const char *function)
    {
        LoadProgram(program, false);
        if (HasFatalFailure())
            return;

        CFunctionTagArray functions;
        m_function = 0;
        ASSERT_TRUE(m_client->GetFunctions(m_client->RequestFunctions(0), functions));
        for (int i = 0; i < functions.GetSize(); ++i)
            if (functions[i].Name == function)
                m_function = functions[i].AddressValue;
        ASSERT_NE(m_function, 0u);
        CSourceLineTagArray lines;
        ASSERT_TRUE(m_client->GetSourceLines(m_client->RequestSourceLineRangesByAddress(1, m_function, 0), lines));
    }

    DWORD m_function = 0;
};

struct ProgramCase {
    const char *text;
    const char *tree;
    std::vector<std::string> names; // the names asked, in order
};

TEST_F(WatchParserProgramTest, TellsTypesFromVariablesByTheProgramsTypes)
{
    static const struct {
        const char *program;
        const char *function;
        std::vector<ProgramCase> cases;
    } programs[] = {
        {"elf/arm7-mixed.elf",
         "main",
         {{"(struct motor *)&motors[1]", "(295 (296 (275 motor -) K:42) (38 - (297 motors 1)))", {"motor", "motors"}},
          {"motors[1].speed", "(46 (297 motors 1) speed)", {"motors", "speed"}},
          {"(motor *)p", "(295 (296 T:motor K:42) p)", {"motor", "p"}},
          {"(motor_mode)1", "(295 T:motor_mode 1)", {"motor_mode"}},
          {"(motor_t *)p", "refused", {"motor_t"}}}},
        {"firmware/handwritten-O0.elf",
         "board_poll",
         {{"(status_t *)p", "(295 (296 T:status_t K:42) p)", {"status_t", "p"}},
          {"(struct status_bits *)&board_status", "(295 (296 (275 status_bits -) K:42) (38 - board_status))",
           {"status_bits", "board_status"}},
          {"(status_t)", "status_t", {"status_t"}},
          {"board_config.gain", "(46 board_config gain)", {"board_config", "gain"}}}},
    };
    for (const auto &program : programs) {
        SCOPED_TRACE(program.program);
        ASSERT_NO_FATAL_FAILURE(Load(program.program, program.function));
        for (const ProgramCase &c : program.cases) {
            CRecordingTypeNames types(m_client.get());
            CQelWatchParser parser(CAddressValue(m_function, 1, 0), &types);
            WatchParseNode *root = parser.Parse(c.text);
            EXPECT_EQ(root != nullptr ? WatchTreeText(root) : "refused", c.tree) << c.text;
            EXPECT_EQ(types.asked, c.names) << c.text;
        }
        // The parser's own way of asking, through the client it is given.
        CQelWatchParser parser(CAddressValue(m_function, 1, 0), m_client.get());
        EXPECT_NE(parser.Parse(program.cases[0].text), nullptr);
        m_client.reset();
    }
}

} // namespace
