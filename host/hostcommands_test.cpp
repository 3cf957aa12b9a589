#include "debugserver.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <qelhostframe.h>

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;

DEFINE_GUID(CGID_QelTestServerCommands, 0x1A2B3C51, 0x0001, 0x0002, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x51);

template <class Object>
CComPtr<Object> Make()
{
    CComObject<Object> *object = nullptr;
    EXPECT_EQ(CComObject<Object>::CreateInstance(&object), S_OK);
    return CComPtr<Object>(object);
}

class HostCommandsTest : public ComAllocBalance {};

TEST_F(HostCommandsTest, EveryCommandIsRecordedWithACopyOfItsInput)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    IUnknown *host = static_cast<IQelHostHolder *>(server);
    {
        // Two arguments travel as an array of VARIANTs, which the caller frees at once.
        CVariantArray in(2);
        VARIANT one;
        VariantInit(&one);
        one.vt = VT_UI4;
        one.ulVal = 1;
        in[0].SetValue(one);
        in[1].SetString("prog.elf");
        EXPECT_EQ(COleTarCmdCaller(host, &CGID_QelTestServerCommands).Exec(2, &in, nullptr, 0),
                  OLECMDERR_E_UNKNOWNGROUP);
    }
    LONG value = 7;
    VARIANT byReference;
    VariantInit(&byReference);
    byReference.vt = VT_BYREF | VT_I4;
    byReference.plVal = &value;
    EXPECT_EQ(server->Exec(&CGID_QelHostCommands, 200, 0, &byReference, nullptr), OLECMDERR_E_NOTSUPPORTED);
    value = 8;
    EXPECT_EQ(server->Exec(nullptr, 3, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);

    auto commands = server->Commands()->Commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].group, CGID_QelTestServerCommands);
    EXPECT_EQ(commands[0].id, 2u);
    ASSERT_EQ(commands[0].input.vt, VT_ARRAY | VT_VARIANT);
    CVariantArray arguments(&commands[0].input, FALSE);
    EXPECT_EQ(arguments.GetUI4(0), 1u);
    EXPECT_EQ(QelHost::AnsiText(arguments.GetBSTR(1)), "prog.elf");
    EXPECT_EQ(commands[1].group, CGID_QelHostCommands);
    ASSERT_EQ(commands[1].input.vt, VT_I4);
    EXPECT_EQ(commands[1].input.lVal, 7);
    EXPECT_EQ(commands[2].group, GUID_NULL);
    EXPECT_EQ(commands[2].input.vt, VT_EMPTY);
}

TEST_F(HostCommandsTest, TheTargetAccessCommandGivesTheTargetWhichStandsNowhereUntilAPcIsSet)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    COleTarCmdCaller caller(static_cast<IQelHostHolder *>(server), &CGID_QelHostCommands);
    CComPtr<IUnknown> object;
    ASSERT_EQ(caller.ExecForObject(QEL_HOSTCMD_TARGET_ACCESS, &object), S_OK);
    EXPECT_EQ(object.p, static_cast<IQelTargetAccess *>(server->Target()));
    auto *access = static_cast<IQelTargetAccess *>(object.p);
    ULONG address = 0;
    EXPECT_EQ(access->GetCurrentAddress(&address), E_FAIL);
    server->Target()->SetPc(0x80001235);
    EXPECT_EQ(access->GetCurrentAddress(&address), S_OK);
    EXPECT_EQ(address, 0x80001234u) << "an ARM target's PC drops the Thumb bit";
    EXPECT_EQ(server->Exec(&CGID_QelHostCommands, QEL_HOSTCMD_TARGET_ACCESS, 0, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(server->Commands()->Commands().size(), 2u);
}

// The host's breakpoint commands and the frame add-on's notices are the host's: answered
// S_OK without a symbol server to pass them to; every record keeps its result.
TEST_F(HostCommandsTest, TheBreakpointAndAddOnGroupsAreAnsweredByTheHostAndEveryResultIsRecorded)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    EXPECT_EQ(server->Exec(&CGID_QelHostBreakpoints, 3, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(server->Exec(&CGID_QelFrameAddOn, 5, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(server->Exec(&CGID_QelTestServerCommands, 5, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    auto commands = server->Commands()->Commands();
    ASSERT_EQ(commands.size(), 3u);
    const HRESULT results[] = {S_OK, S_OK, OLECMDERR_E_UNKNOWNGROUP};
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_TRUE(commands[i].answered);
        EXPECT_EQ(commands[i].result, results[i]);
    }
    // Counted by group and id, from a number on.
    const QelHost::HostCommands &record = *server->Commands();
    EXPECT_EQ(record.CountOf(CGID_QelHostBreakpoints, 3), 1u);
    EXPECT_EQ(record.CountOf(CGID_QelHostBreakpoints, 5), 0u);
    EXPECT_EQ(record.CountOf(CGID_QelFrameAddOn, 5, 1), 1u);
    EXPECT_EQ(record.CountOf(CGID_QelFrameAddOn, 5, 2), 0u);
    EXPECT_EQ(record.CountOf(CGID_QelFrameAddOn, 5, 0, 1), 0u);
    EXPECT_EQ(record.CountOf(CGID_QelHostBreakpoints, 3, 9), 0u);
}

// An add-on's command target that knows one group and counts its commands.
class AddOnTarget : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(AddOnTarget)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    const GUID *group = &CGID_QelFrameAddOn;
    std::vector<DWORD> commands;

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *commandGroup, DWORD id, DWORD, VARIANT *, VARIANT *) override
    {
        if (commandGroup == nullptr || !IsEqualGUID(*commandGroup, *group))
            return OLECMDERR_E_UNKNOWNGROUP;
        commands.push_back(id);
        return id == 9 ? OLECMDERR_E_NOTSUPPORTED : S_OK;
    }
};

// The frame add-on's group belongs to one add-on: its commands reach it wherever it
// stands among the add-ons, and no other add-on after it.
TEST_F(HostCommandsTest, TheAddOnGroupReachesTheAddOnThatKnowsItWhereverItStands)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    CComPtr<AddOnTarget> other = Make<AddOnTarget>(), owner = Make<AddOnTarget>(), later = Make<AddOnTarget>();
    other->group = &CGID_QelTestServerCommands;
    server->SetAddOns({other, owner, later});
    EXPECT_EQ(server->Exec(&CGID_QelFrameAddOn, 3, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(server->Exec(&CGID_QelFrameAddOn, 9, 0, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(owner->commands, (std::vector<DWORD>{3, 9}));
    EXPECT_TRUE(other->commands.empty());
    EXPECT_TRUE(later->commands.empty());
    // None that knows it: the host answers as without add-ons.
    server->SetAddOns({other});
    EXPECT_EQ(server->Exec(&CGID_QelFrameAddOn, 4, 0, nullptr, nullptr), S_OK);
    server->SetAddOns({});
    EXPECT_EQ(owner->commands.size(), 2u);
}

// The server state that the symbol server's commands follow: 1 until the host sets it.
TEST_F(HostCommandsTest, TheServerStateIsOneUntilSet)
{
    CComPtr<CHostDebugServer> server = Make<CHostDebugServer>();
    CComPtr<IQelServerState> state;
    ASSERT_EQ(static_cast<IQelHostHolder *>(server)->QueryInterface(IID_IQelServerState,
                                                                     reinterpret_cast<void **>(&state)),
              S_OK);
    LONG value = 0;
    EXPECT_EQ(state->GetServerState(&value), S_OK);
    EXPECT_EQ(value, 1);
    server->SetServerState(0);
    EXPECT_EQ(state->GetServerState(&value), S_OK);
    EXPECT_EQ(value, 0);
}

} // namespace
