#include "oletarcmdcaller.h"

#include "safearrayvariant.h"

#include "testing/comallocbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace {

// {F8BED052-F30D-11D1-B28B-00A02457BF0F}: the host's communication-queue commands.
const GUID kCommQueueGroup = {0xF8BED052, 0xF30D, 0x11D1, {0xB2, 0x8B, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F}};

std::string Describe(const VARIANT &v)
{
    switch (v.vt) {
    case VT_EMPTY:
        return "EMPTY";
    case VT_I4:
        return "I4 " + std::to_string(v.lVal);
    case VT_UI4:
        return "UI4 " + std::to_string(v.ulVal);
    case VT_BSTR:
        return "BSTR " + std::string(v.bstrVal, v.bstrVal + SysStringLen(v.bstrVal));
    case VT_UNKNOWN:
        return "UNKNOWN";
    default:
        return "vt " + std::to_string(v.vt);
    }
}

VARIANT Number(VARTYPE vt, LONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    v.lVal = value;
    return v;
}

VARIANT Object(IUnknown *object)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = object;
    return v;
}

// The host's side of a command: a command target that receives as the command handlers
// do (the arguments read into one list, the answers written from another) and records
// what arrived.
class HostCommandTarget final : public IOleCommandTarget {
public:
    struct Call {
        GUID group;
        DWORD id;
        DWORD options;
        bool hadInput;
        bool hadOutput;
        VARTYPE inputType;
        std::vector<std::string> arguments;
    };

    // Answers the command; S_OK when not set.
    std::function<HRESULT(CVariantArray &in, CVariantArray &out)> handler;
    // When false the output VARIANT is not touched at all.
    bool answersIntoOutput = true;
    // What QueryInterface answers for IOleCommandTarget.
    HRESULT commandTargetResult = S_OK;
    std::vector<Call> calls;

    ULONG References() const { return references_; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IOleCommandTarget && FAILED(commandTargetResult))
            return commandTargetResult;
        if (riid != IID_IUnknown && riid != IID_IOleCommandTarget)
            return E_NOINTERFACE;
        *ppv = static_cast<IOleCommandTarget *>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }

    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override
    {
        Call call{group ? *group : GUID_NULL, id, options, in != nullptr, out != nullptr,
                  in ? in->vt : static_cast<VARTYPE>(VT_EMPTY), {}};
        HRESULT hr = S_OK;
        {
            CVariantArray arguments(in, FALSE);
            for (int i = 0; i < arguments.GetSize(); ++i)
                call.arguments.push_back(Describe(arguments[i].GetValue()));
            if (answersIntoOutput) {
                CVariantArray results(out, TRUE);
                hr = handler ? handler(arguments, results) : S_OK;
            } else {
                CVariantArray ignored;
                hr = handler ? handler(arguments, ignored) : S_OK;
            }
        }
        // A receiver that succeeds owns what was handed over.
        if (SUCCEEDED(hr) && (options & 0xC0000000) && in)
            VariantClear(in);
        calls.push_back(call);
        return hr;
    }

private:
    ULONG references_ = 1;
};

std::vector<std::string> Described(const CVariantArray &list)
{
    std::vector<std::string> described;
    for (int i = 0; i < list.GetSize(); ++i)
        described.push_back(Describe(list[i].GetValue()));
    return described;
}

class OleTarCmdCaller : public ComAllocBalance {
protected:
    HostCommandTarget host_;
    COleTarCmdCaller caller_{&host_, &kCommQueueGroup};
};

TEST_F(OleTarCmdCaller, OneArgumentTravelsAsItselfAndSeveralAsAListInOrder)
{
    CVariantArray one(1);
    one[0].SetString("main.c");
    EXPECT_EQ(caller_.Exec(7, &one, nullptr, 2), S_OK);
    CVariantArray three(3);
    three[0].SetValue(Number(VT_UI4, 1));
    three[1].SetString("counter");
    three[2].SetValue(Number(VT_I4, -1));
    EXPECT_EQ(caller_.Exec(8, &three, nullptr, 0), S_OK);

    ASSERT_EQ(host_.calls.size(), 2u);
    const auto &first = host_.calls[0];
    EXPECT_EQ(first.group, kCommQueueGroup);
    EXPECT_EQ(first.id, 7u);
    EXPECT_EQ(first.options, 2u);
    EXPECT_EQ(first.inputType, VT_BSTR);
    EXPECT_EQ(first.arguments, (std::vector<std::string>{"BSTR main.c"}));
    EXPECT_EQ(host_.calls[1].inputType, VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(host_.calls[1].arguments, (std::vector<std::string>{"UI4 1", "BSTR counter", "I4 -1"}));
    // The arguments stay the caller's.
    EXPECT_EQ(Described(three), (std::vector<std::string>{"UI4 1", "BSTR counter", "I4 -1"}));
    EXPECT_EQ(host_.References(), 1u);
}

TEST_F(OleTarCmdCaller, NoArgumentsAndNoRoomForAnswersPassNoVariant)
{
    CVariantArray empty;
    EXPECT_EQ(caller_.Exec(1, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(caller_.Exec(1, &empty, &empty, 0), S_OK);
    ASSERT_EQ(host_.calls.size(), 2u);
    for (const auto &call : host_.calls) {
        EXPECT_FALSE(call.hadInput);
        EXPECT_FALSE(call.hadOutput);
    }
    EXPECT_EQ(empty.GetSize(), 0);
}

TEST_F(OleTarCmdCaller, AnswersComeBackOwnedByTheOutputList)
{
    host_.handler = [](CVariantArray &, CVariantArray &out) {
        out[0].SetString("done");
        return S_OK;
    };
    CVariantArray out(1);
    EXPECT_EQ(caller_.Exec(3, nullptr, &out, 0), S_OK);
    ASSERT_EQ(out.GetSize(), 1);
    EXPECT_STREQ(out[0].GetString(), "done");
    EXPECT_TRUE(out[0].IsOwned());

    // An answer of two values in a list of two: the caller's first contents are freed.
    host_.handler = [](CVariantArray &, CVariantArray &out) {
        out[1].SetValue(Number(VT_I4, 5));
        return S_OK;
    };
    CVariantArray two(2);
    two[0].SetString("kept");
    two[1].SetString("replaced");
    EXPECT_EQ(caller_.Exec(3, nullptr, &two, 0), S_OK);
    EXPECT_EQ(Described(two), (std::vector<std::string>{"BSTR kept", "I4 5"}));
}

TEST_F(OleTarCmdCaller, AListAnsweredIntoOneValueBecomesThatManyResults)
{
    host_.handler = [](CVariantArray &, CVariantArray &out) {
        CVariantArray answers(3);
        answers[0].SetValue(Number(VT_I4, 1));
        answers[1].SetString("two");
        answers[2].SetValue(Number(VT_I4, 3));
        CSafeArrayVariant list(VT_VARIANT, 0);
        if (!list.FromArray(answers))
            return E_OUTOFMEMORY;
        out[0].SetValue(*list.GetVariant()); // a copy of the list and of its values
        return S_OK;
    };
    CVariantArray out(1);
    EXPECT_EQ(caller_.Exec(4, nullptr, &out, 0), S_OK);
    EXPECT_EQ(Described(out), (std::vector<std::string>{"I4 1", "BSTR two", "I4 3"}));
}

TEST_F(OleTarCmdCaller, AnOutputThatTheReceiverLeavesIsTheCallersStill)
{
    CountedObject object;
    host_.answersIntoOutput = false;
    CVariantArray out(2);
    out[0].SetString("mine");
    out[1].SetValue(Object(&object));
    EXPECT_EQ(caller_.Exec(5, nullptr, &out, 0), S_OK);
    EXPECT_EQ(Described(out), (std::vector<std::string>{"BSTR mine", "UNKNOWN"}));
    EXPECT_EQ(object.References(), 2u);

    // A receiver that answers and gives the interface back as it was.
    host_.answersIntoOutput = true;
    CVariantArray single(1);
    single[0].SetValue(Object(&object));
    EXPECT_EQ(caller_.Exec(5, nullptr, &single, 0), S_OK);
    EXPECT_EQ(object.References(), 3u);
    single.RemoveAll();
    out.RemoveAll();
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(OleTarCmdCaller, AHandOverThatSucceedsLeavesBothListsEmpty)
{
    CVariantArray in(2);
    in[0].SetValue(Number(VT_UI4, 1));
    in[1].SetString("handed over");
    CVariantArray out;
    EXPECT_EQ(caller_.ExecHandOver(2, &in, &out, 0), S_OK);
    ASSERT_EQ(host_.calls.size(), 1u);
    EXPECT_EQ(host_.calls[0].options, 0x80000000u);
    EXPECT_EQ(host_.calls[0].arguments, (std::vector<std::string>{"UI4 1", "BSTR handed over"}));
    EXPECT_EQ(in.GetSize(), 0);
    EXPECT_EQ(out.GetSize(), 0);

    // One that fails hands nothing over.
    host_.handler = [](CVariantArray &, CVariantArray &) { return E_FAIL; };
    CVariantArray kept(1);
    kept[0].SetString("kept");
    EXPECT_EQ(caller_.ExecHandOver(2, &kept, nullptr, 0), E_FAIL);
    EXPECT_EQ(Described(kept), (std::vector<std::string>{"BSTR kept"}));
}

TEST_F(OleTarCmdCaller, AnObjectWithoutCommandTargetGetsNothing)
{
    CountedObject object;
    COleTarCmdCaller caller(&object, &kCommQueueGroup);
    CVariantArray in(1);
    in[0].SetString("x");
    EXPECT_EQ(caller.Exec(1, &in, nullptr, 0), E_NOINTERFACE);
    EXPECT_EQ(object.References(), 1u);

    host_.commandTargetResult = E_ACCESSDENIED;
    HRESULT raised = S_OK;
    try {
        caller_.Exec(1, &in, nullptr, 0);
    } catch (const _com_error &e) {
        raised = e.Error();
    }
    EXPECT_EQ(raised, E_ACCESSDENIED);
    EXPECT_TRUE(host_.calls.empty());
    EXPECT_EQ(COleTarCmdCaller(nullptr, &kCommQueueGroup).Exec(1, &in, nullptr, 0), E_POINTER);
}

TEST_F(OleTarCmdCaller, RequestCommVariableAsksCommand200ForAnObject)
{
    CountedObject variable;
    host_.handler = [&variable](CVariantArray &, CVariantArray &out) {
        out[0].SetValue(Object(&variable));
        return S_OK;
    };
    IUnknown *result = nullptr;
    EXPECT_EQ(caller_.RequestCommVariable(17, "counter", &result), S_OK);
    EXPECT_EQ(result, &variable);
    EXPECT_EQ(variable.References(), 2u); // the caller's reference
    result->Release();
    EXPECT_EQ(caller_.RequestCommVariable(18, nullptr, &result), S_OK);
    result->Release();
    ASSERT_EQ(host_.calls.size(), 2u);
    EXPECT_EQ(host_.calls[0].id, 200u);
    EXPECT_EQ(host_.calls[0].arguments, (std::vector<std::string>{"UI4 17", "BSTR counter"}));
    EXPECT_EQ(host_.calls[1].inputType, VT_UI4);
    EXPECT_EQ(host_.calls[1].arguments, (std::vector<std::string>{"UI4 18"}));
    EXPECT_TRUE(host_.calls[1].hadOutput);
    EXPECT_EQ(variable.References(), 1u);
}

TEST_F(OleTarCmdCaller, EveryFailureToGetAnObjectIsInvalidArg)
{
    IUnknown *result = &host_;
    host_.handler = [](CVariantArray &, CVariantArray &out) {
        out[0].SetString("no object");
        return S_OK;
    };
    EXPECT_EQ(caller_.RequestCommVariable(1, "x", &result), E_INVALIDARG);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(caller_.ExecForObject(9, &result), E_INVALIDARG);
    host_.handler = [](CVariantArray &, CVariantArray &out) {
        out[0].SetValue(Object(nullptr));
        return S_OK;
    };
    EXPECT_EQ(caller_.ExecForObject(9, &result), E_INVALIDARG);
    host_.handler = [](CVariantArray &, CVariantArray &) { return E_FAIL; };
    EXPECT_EQ(caller_.ExecForObject(9, &result), E_INVALIDARG);
    host_.commandTargetResult = E_ACCESSDENIED;
    EXPECT_EQ(caller_.ExecForObject(9, &result), E_INVALIDARG);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(caller_.ExecForObject(9, nullptr), E_POINTER);
}

TEST_F(OleTarCmdCaller, ExecForObjectSendsNoArgumentsAndRoomForOneAnswer)
{
    CountedObject object;
    host_.handler = [&object](CVariantArray &, CVariantArray &out) {
        out[0].SetValue(Object(&object));
        return S_OK;
    };
    IUnknown *result = nullptr;
    EXPECT_EQ(caller_.ExecForObject(12, &result), S_OK);
    EXPECT_EQ(result, &object);
    result->Release();
    ASSERT_EQ(host_.calls.size(), 1u);
    EXPECT_FALSE(host_.calls[0].hadInput);
    EXPECT_TRUE(host_.calls[0].hadOutput);
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(OleTarCmdCaller, CommandTextsAreReadWithinTheirCountAndBuffer)
{
    // The structure with room for eight characters, as a caller allocates it.
    alignas(OLECMDTEXT) BYTE storage[sizeof(OLECMDTEXT) + 7 * sizeof(WCHAR)] = {};
    auto *command = reinterpret_cast<OLECMDTEXT *>(storage);
    auto *chars = reinterpret_cast<WCHAR *>(storage + offsetof(OLECMDTEXT, rgwz));
    command->cwBuf = 8;
    const char16_t letters[] = u"Gr\u00FC\u00DFe\u20AC!";
    for (int i = 0; i < 8; ++i)
        chars[i] = letters[i];
    CString text("old");
    command->cwActual = 0;
    COleTarCmdCaller::OleCmdTextToString(command, text);
    EXPECT_STREQ(text, "");
    command->cwActual = 5;
    COleTarCmdCaller::OleCmdTextToString(command, text);
    EXPECT_STREQ(text, "Gr\xFC\xDF" "e");
    command->cwActual = 1000; // more than the buffer holds
    COleTarCmdCaller::OleCmdTextToString(command, text);
    EXPECT_STREQ(text, "Gr\xFC\xDF" "e\x80!");
    COleTarCmdCaller::OleCmdTextToString(nullptr, text);
    EXPECT_STREQ(text, "");
}

TEST_F(OleTarCmdCaller, AnsiTextsBecomeBstrs)
{
    BSTR all = COleTarCmdCaller::AnsiToBstr("\x80 5", -1);
    EXPECT_EQ(std::u16string(all), u"\u20AC 5");
    SysFreeString(all);
    BSTR part = COleTarCmdCaller::AnsiToBstr("main.c:12", 6);
    EXPECT_EQ(std::u16string(part, SysStringLen(part)), u"main.c");
    SysFreeString(part);
    BSTR empty = COleTarCmdCaller::AnsiToBstr("", -1);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
    EXPECT_EQ(COleTarCmdCaller::AnsiToBstr(nullptr, -1), nullptr);
}

} // namespace
