#include "variantarray.h"

#include "safearrayvariant.h"

#include "testing/comallocbalance.h"
#include "testing/countedobject.h"
#include "testing/varianttesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A VARIANT list as a caller passes it: a SAFEARRAY of VARIANT that owns its entries.
VARIANT List(std::vector<VARIANT> entries)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(entries.size()));
    VARIANT *data = nullptr;
    SafeArrayAccessData(v.parray, reinterpret_cast<void **>(&data));
    for (size_t i = 0; i < entries.size(); ++i)
        data[i] = entries[i];
    SafeArrayUnaccessData(v.parray);
    return v;
}

// The entries of a list VARIANT, described: "I4 1", "BSTR abc", "UNKNOWN".
std::vector<std::string> Entries(const VARIANT &v)
{
    std::vector<std::string> described;
    if (v.vt != (VT_ARRAY | VT_VARIANT))
        return {"not a list"};
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    VARIANT *data = nullptr;
    SafeArrayAccessData(v.parray, reinterpret_cast<void **>(&data));
    for (LONG i = 0; i <= upper - lower; ++i) {
        const VARIANT &entry = data[i];
        if (entry.vt == VT_I4 || entry.vt == VT_UI4)
            described.push_back("I4 " + std::to_string(entry.lVal));
        else if (entry.vt == VT_BSTR)
            described.push_back("BSTR " + std::string(entry.bstrVal, entry.bstrVal + SysStringLen(entry.bstrVal)));
        else
            described.push_back("vt " + std::to_string(entry.vt));
    }
    SafeArrayUnaccessData(v.parray);
    return described;
}

template <class Getter>
HRESULT ErrorOf(Getter get)
{
    try {
        get();
    } catch (const _com_error &e) {
        return e.Error();
    }
    return S_OK;
}

class VariantArray : public ComAllocBalance {};

TEST_F(VariantArray, ReadsTheArgumentsOfAListInOrderAndLeavesThemToTheCaller)
{
    CountedObject object;
    object.AddRef(); // the list's reference
    VARIANT in = List({NumberVariant(3, VT_UI4), TextVariant(u"counter"), ObjectVariant(&object),
                       NumberVariant(VARIANT_TRUE, VT_BOOL), NumberVariant(-5, VT_I4)});
    {
        CVariantArray args(&in, FALSE);
        ASSERT_EQ(args.GetSize(), 5);
        EXPECT_EQ(args.GetUI4(0), 3u);
        EXPECT_EQ(std::u16string(args.GetBSTR(1)), u"counter");
        EXPECT_STREQ(args[1].GetString(), "counter");
        EXPECT_EQ(args.GetUnknown(2), &object);
        EXPECT_EQ(args.GetBool(3), VARIANT_TRUE);
        EXPECT_EQ(args.GetI4(4), -5);
        EXPECT_EQ(object.References(), 3u); // the element holds one of its own
    }
    EXPECT_EQ(object.References(), 2u);
    EXPECT_EQ(Entries(in), (std::vector<std::string>{"I4 3", "BSTR counter", "vt 13", "vt 11", "I4 -5"}));
    VariantClear(&in);
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(VariantArray, AGetterOfTheWrongTypeOrIndexRaisesInvalidArg)
{
    VARIANT in = List({NumberVariant(1, VT_I4), TextVariant(u"x")});
    CVariantArray args(&in, FALSE);
    EXPECT_EQ(ErrorOf([&] { args.GetUI4(0); }), E_INVALIDARG); // VT_I4 is not VT_UI4
    EXPECT_EQ(ErrorOf([&] { args.GetBSTR(0); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([&] { args.GetUnknown(1); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([&] { args.GetBool(1); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([&] { args.GetI4(2); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([&] { args.GetI4(-1); }), E_INVALIDARG);
    EXPECT_EQ(ErrorOf([&] { args.GetI4(0); }), S_OK);
    VariantClear(&in);
}

TEST_F(VariantArray, ASingleValueIsOneArgumentAndNoneIsNoArgument)
{
    VARIANT text = TextVariant(u"main.c");
    {
        CVariantArray args(&text, FALSE);
        ASSERT_EQ(args.GetSize(), 1);
        EXPECT_STREQ(args[0].GetString(), "main.c");
    }
    EXPECT_EQ(std::u16string(text.bstrVal), u"main.c");
    VariantClear(&text);
    CVariantArray none(nullptr, TRUE);
    EXPECT_EQ(none.GetSize(), 0);
    CVariantArray sized(3);
    ASSERT_EQ(sized.GetSize(), 3);
    EXPECT_EQ(sized[2].GetValue().vt, VT_EMPTY);
}

TEST_F(VariantArray, AnAnswerIsWrittenIntoTheCallersValueWhenTheListGoes)
{
    VARIANT out;
    VariantInit(&out);
    {
        CVariantArray results(&out, TRUE);
        ASSERT_EQ(results.GetSize(), 1); // VT_EMPTY: room for one answer
        results[0].SetString("answer");
        EXPECT_EQ(out.vt, VT_EMPTY);
    }
    ASSERT_EQ(out.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(out.bstrVal), u"answer");
    VariantClear(&out); // the caller's now

    CountedObject object;
    {
        CVariantArray results(&out, TRUE);
        results[0].SetValue(ObjectVariant(&object));
    }
    EXPECT_EQ(out.punkVal, &object);
    EXPECT_EQ(object.References(), 2u); // the answer carries its own reference
    VariantClear(&out);
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(VariantArray, AnEmptiedListLeavesTheCallersValueAlone)
{
    VARIANT out = NumberVariant(9, VT_I4);
    {
        CVariantArray results(&out, TRUE);
        results.RemoveAll();
    }
    EXPECT_EQ(out.vt, VT_I4);
    EXPECT_EQ(out.lVal, 9);
}

TEST_F(VariantArray, AnswersIntoAListResizeTheCallersArray)
{
    // The caller's first contents stay the caller's: the answer overwrites them without
    // freeing them, so the caller keeps its own copies (here `first` and `second`).
    VARIANT first = TextVariant(u"first");
    VARIANT second = TextVariant(u"second");
    VARIANT out = List({first, second});
    {
        CVariantArray results(&out, TRUE);
        ASSERT_EQ(results.GetSize(), 2);
        results.SetSize(3);
        results[0].SetValue(NumberVariant(1, VT_I4));
        results[2].SetString("third");
    }
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"I4 1", "BSTR second", "BSTR third"}));
    VariantClear(&out); // the answers, now the caller's
    VariantClear(&first);
    VariantClear(&second);

    out = List({NumberVariant(1, VT_I4), NumberVariant(2, VT_I4), NumberVariant(3, VT_I4)});
    {
        CVariantArray results(&out, TRUE);
        results.SetSize(1);
    }
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"I4 1"}));
    VariantClear(&out);
}

TEST_F(VariantArray, TakingAListOverMovesItsValuesAndDestroysTheArray)
{
    CountedObject object;
    object.AddRef();
    VARIANT out = List({TextVariant(u"a"), ObjectVariant(&object), NumberVariant(2, VT_I4)});
    LONG arraysBefore = QelGetComAllocCounts().safeArrays;
    {
        CVariantArray results;
        EXPECT_EQ(results.FromVariant(&out, TRUE), 3);
        EXPECT_EQ(out.vt, 0);
        EXPECT_EQ(QelGetComAllocCounts().safeArrays, arraysBefore - 1);
        EXPECT_TRUE(results[0].IsOwned());
        EXPECT_TRUE(results[1].IsOwned());
        EXPECT_FALSE(results[2].IsOwned());
        EXPECT_EQ(object.References(), 2u); // the reference moved, no new one
    }
    EXPECT_EQ(object.References(), 1u);

    VARIANT single = TextVariant(u"one");
    CVariantArray results;
    EXPECT_EQ(results.FromVariant(&single, TRUE), 1);
    EXPECT_EQ(single.vt, VT_EMPTY);
    EXPECT_STREQ(results[0].GetString(), "one");
    EXPECT_EQ(results.FromVariant(nullptr, TRUE), 0);
}

TEST_F(VariantArray, DetachAllForgetsTheValuesWithoutFreeingThem)
{
    VARIANT text = TextVariant(u"handed over");
    BSTR held = text.bstrVal;
    CVariantArray args;
    args.FromVariant(&text, TRUE);
    args.DetachAll();
    EXPECT_EQ(args.GetSize(), 0);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + 1);
    SysFreeString(held); // the receiver of a hand-over would free it
}

TEST_F(VariantArray, ASafeArrayWrapperBorrowsOrOwnsAndSizesItsArray)
{
    CSafeArrayVariant made(VT_VARIANT, 2);
    EXPECT_TRUE(made.IsValid());
    EXPECT_EQ(made.GetCount(), 2);
    EXPECT_TRUE(made.Resize(5));
    EXPECT_EQ(made.GetCount(), 5);
    CSafeArrayVariant none(VT_I4, 0);
    EXPECT_FALSE(none.IsValid());
    EXPECT_EQ(none.GetCount(), 0);

    VARIANT list = List({NumberVariant(1, VT_I4), NumberVariant(2, VT_I4)});
    {
        CSafeArrayVariant borrowed(&list, TRUE);
        EXPECT_EQ(borrowed.GetCount(), 2);
    }
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"I4 1", "I4 2"}));
    {
        CSafeArrayVariant owned(&list, FALSE);
        EXPECT_EQ(list.vt, 0);
        EXPECT_EQ(list.parray, nullptr);
        CVariantArray copies;
        EXPECT_EQ(owned.ToArray(copies), 2);
        EXPECT_EQ(copies.GetI4(1), 2);
    }
    VARIANT number = NumberVariant(3, VT_I4);
    CSafeArrayVariant notAnArray(&number, FALSE);
    EXPECT_FALSE(notAnArray.IsValid());
    EXPECT_EQ(number.vt, VT_I4);
}

} // namespace
