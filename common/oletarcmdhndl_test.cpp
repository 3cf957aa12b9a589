// Commands routed through a command class to the handlers of their group: their
// status, their arguments and results, and values handed over with them.
#include "oletarcmdcaller.h"
#include "oletarcmdtesting.h"

#include <hostowner.h>

#include "testing/comobjectbalance.h"

namespace {

using namespace OleTarCmdTesting;
using QelHost::CHostOwner;

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

// A server object whose IOleCommandTarget is the test class, as a server forwards it.
class CTestServer : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CTestServer)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override
    {
        return m_commands.QueryStatus(group, count, cmds, text);
    }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override
    {
        return m_commands.Exec(group, id, options, in, out);
    }

    CTestCmdClass m_commands;
};

class CommandClass : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS);
        server_ = Make<CTestServer>();
    }
    void TearDown() override
    {
        server_.Release();
        QelUseRegistryFile(nullptr);
        ComObjectBalance::TearDown();
    }

    CTestCmdClass &Commands() { return server_->m_commands; }
    COleTarCmdCaller Caller(const GUID *group = &CGID_Test) { return COleTarCmdCaller(server_, group); }

    static VARIANT I4(LONG value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        return v;
    }

    CComPtr<CTestServer> server_;
};

TEST_F(CommandClass, RunsACommandWithItsArgumentsAndResults)
{
    CVariantArray in(2);
    in[0].SetValue(I4(20));
    in[1].SetValue(I4(22));
    CVariantArray out(1);
    ASSERT_EQ(Caller().Exec(1, &in, &out, 0), S_OK);
    ASSERT_EQ(out.GetSize(), 1);
    EXPECT_EQ(out.GetI4(0), 42);
}

TEST_F(CommandClass, GivesAnIndexedMemberItsOwnEntry)
{
    CVariantArray out(1);
    ASSERT_EQ(Caller().Exec(2, nullptr, &out, 0), S_OK);
    EXPECT_EQ(out.GetUI4(0), 2u);
}

TEST_F(CommandClass, AnswersAWrongArgumentTypeAsInvalid)
{
    CVariantArray in(2);
    in[0].SetString("20");
    in[1].SetValue(I4(22));
    CVariantArray out(1);
    EXPECT_EQ(Caller().Exec(1, &in, &out, 0), E_INVALIDARG);
}

TEST_F(CommandClass, SendsACommandToTheFirstHandlerThatKnowsIt)
{
    CVariantArray in(2);
    in[0].SetValue(I4(1));
    in[1].SetValue(I4(2));
    // 1 is the first handler's as well as the second's.
    EXPECT_EQ(Caller().Exec(1, &in, nullptr, 0), S_OK);
    EXPECT_EQ(Caller().Exec(5, nullptr, nullptr, 0), S_FALSE);
}

TEST_F(CommandClass, AnswersUnknownGroupForACommandNoHandlerTakes)
{
    EXPECT_EQ(Caller().Exec(99, nullptr, nullptr, 0), OLECMDERR_E_UNKNOWNGROUP);
    const GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(Caller(&other).Exec(1, nullptr, nullptr, 0), OLECMDERR_E_UNKNOWNGROUP);
    // Commands of no group reach only the handler without group.
    EXPECT_EQ(Caller(nullptr).Exec(1, nullptr, nullptr, 0), OLECMDERR_E_UNKNOWNGROUP);
    // It knows 9, but no view server is registered for it.
    EXPECT_EQ(Caller(nullptr).Exec(9, nullptr, nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(Caller(&CGID_Test).Exec(9, nullptr, nullptr, 0), OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(CommandClass, FreesWhatIsHandedOverToACommandThatSucceeds)
{
    CVariantArray in(1);
    in[0].SetString("handed over");
    CVariantArray out(1);
    out[0].SetString("the caller's first content");
    ASSERT_EQ(Caller().ExecHandOver(4, &in, &out, 0), S_OK);
    ASSERT_EQ(out.GetSize(), 1);
    EXPECT_STREQ(out[0].GetString(), "got handed over");
    // The fixture finds every BSTR freed once.
}

TEST_F(CommandClass, LeavesWhatIsHandedOverToAFailingCommandWithTheCaller)
{
    CVariantArray in(2);
    in[0].SetString("not a number");
    in[1].SetString("nor this");
    EXPECT_EQ(Caller().ExecHandOver(1, &in, nullptr, 0), E_INVALIDARG);
    ASSERT_EQ(in.GetSize(), 2);
    EXPECT_STREQ(in[0].GetString(), "not a number");
}

TEST_F(CommandClass, ReportsTheStateOfKnownCommandsAndUnknownGroupForTheRest)
{
    OLECMD cmds[3] = {{1, 0}, {77, 0}, {5, 0}};
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 3, cmds, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(cmds[0].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    EXPECT_EQ(cmds[1].cmdf, 0u);
    EXPECT_EQ(cmds[2].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    OLECMD known[2] = {{1, 0}, {2, 0}};
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 2, known, nullptr), S_OK);
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 0, known, nullptr), S_OK);
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, nullptr, nullptr), E_POINTER);
}

TEST_F(CommandClass, EnablesServerDependentCommandsByTheOwnersState)
{
    OLECMD cmd = {3, 0};
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &cmd, nullptr), S_OK);
    EXPECT_EQ(cmd.cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED)); // no owner: disabled

    CComPtr<CHostOwner> owner = Make<CHostOwner>();
    Commands().SetServerInterface(static_cast<IQelServerState *>(owner));
    cmd.cmdf = 0;
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &cmd, nullptr), S_OK);
    EXPECT_EQ(cmd.cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    owner->SetServerState(0);
    cmd.cmdf = 0;
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &cmd, nullptr), S_OK);
    EXPECT_EQ(cmd.cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED));
    // Commands that do not depend on it stay enabled.
    OLECMD other = {1, 0};
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &other, nullptr), S_OK);
    EXPECT_EQ(other.cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    Commands().SetServerInterface(nullptr);
}

struct CommandText {
    OLECMDTEXT text;
    WCHAR more[15];
};

TEST_F(CommandClass, CutsALongStatusTextFromItsFront)
{
    CommandText buffer = {};
    buffer.text.cmdtextf = OLECMDTEXTF_STATUS;
    buffer.text.cwBuf = 6;
    OLECMD cmd = {4, 0};
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &cmd, &buffer.text), S_OK);
    EXPECT_EQ(cmd.cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED | OLECMDF_LATCHED));
    EXPECT_EQ(buffer.text.cwActual, 5u);
    EXPECT_EQ(std::u16string(buffer.text.rgwz), u" text");

    buffer.text.cwBuf = 16;
    cmd.cmdf = 0;
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &cmd, &buffer.text), S_OK);
    EXPECT_EQ(std::u16string(buffer.text.rgwz), u"Answers a text");
    EXPECT_EQ(buffer.text.cwActual, 14u);
}

TEST_F(CommandClass, WritesNothingIntoATextBufferOfNoCharacters)
{
    CommandText buffer = {};
    buffer.text.cmdtextf = OLECMDTEXTF_STATUS;
    buffer.text.cwBuf = 0;
    buffer.text.cwActual = 99;
    buffer.text.rgwz[0] = u'x';
    OLECMD cmd = {4, 0};
    EXPECT_EQ(Commands().QueryStatus(&CGID_Test, 1, &cmd, &buffer.text), S_OK);
    EXPECT_EQ(buffer.text.cwActual, 0u);
    EXPECT_EQ(buffer.text.rgwz[0], u'x');
    EXPECT_EQ(buffer.more[0], 0);
}

TEST_F(CommandClass, PassesTheServerObjectAndStatusToEveryHandler)
{
    EXPECT_EQ(Commands().GetHandlers().GetCount(), 3);
    EXPECT_EQ(Commands().GetHandlerStatus(), S_OK);
}

} // namespace
