#include "variantargs.h"

#include "testing/comallocbalance.h"
#include "testing/countedobject.h"
#include "testing/varianttesting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HRESULT ErrorOf(CVariantArgs &element)
{
    try {
        element.GetString();
    } catch (const _com_error &e) {
        return e.Error();
    }
    return S_OK;
}

class VariantArgs : public ComAllocBalance {};

TEST_F(VariantArgs, KeepsACopyOfATextOfItsOwn)
{
    VARIANT text = TextVariant(u"main.c");
    {
        CVariantArgs element;
        element.SetValue(text);
        EXPECT_TRUE(element.IsOwned());
        EXPECT_NE(element.GetValue().bstrVal, text.bstrVal);
        EXPECT_STREQ(element.GetString(), "main.c");
        // The copy of a copy is a copy again: each element frees its own.
        CVariantArgs copy(element);
        EXPECT_NE(copy.GetValue().bstrVal, element.GetValue().bstrVal);
        element.SetValue(element.GetValue()); // its own value
        EXPECT_STREQ(element.GetString(), "main.c");
    }
    EXPECT_EQ(std::u16string(text.bstrVal), u"main.c"); // the caller's is untouched
    VariantClear(&text);
}

TEST_F(VariantArgs, HoldsAReferenceOnAnInterfaceAndOnlyWhileItKeepsIt)
{
    CountedObject object;
    {
        CVariantArgs element;
        element.SetValue(ObjectVariant(&object));
        EXPECT_EQ(object.References(), 2u);
        EXPECT_TRUE(element.IsOwned());
        element.SetValue(NumberVariant(7)); // the interface goes, and the number owns nothing
        EXPECT_EQ(object.References(), 1u);
        EXPECT_FALSE(element.IsOwned());
        element.SetValue(ObjectVariant(&object));
    }
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(VariantArgs, TextsTravelAsAnsiInBothDirections)
{
    CVariantArgs element;
    element.SetString("Gr\xFC\xDF" "e \x80 5");
    ASSERT_EQ(element.GetValue().vt, VT_BSTR);
    EXPECT_EQ(std::u16string(element.GetValue().bstrVal), u"Gr\u00FC\u00DFe \u20AC 5");
    EXPECT_STREQ(element.GetString(), "Gr\xFC\xDF" "e \x80 5");
    element.SetString(nullptr);
    EXPECT_STREQ(element.GetString(), "");
    element.SetValue(NumberVariant(4));
    EXPECT_EQ(ErrorOf(element), E_INVALIDARG);
    CVariantArgs empty;
    EXPECT_EQ(ErrorOf(empty), E_INVALIDARG);
}

TEST_F(VariantArgs, ChangesTypeIntoTheCallersVariant)
{
    CountedObject object; // outlives the element that ends up holding it
    CVariantArgs element;
    element.SetValue(NumberVariant(42));
    EXPECT_EQ(element.ChangeType(VT_BSTR, nullptr), E_POINTER);
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(element.ChangeType(VT_BSTR, &out), S_OK);
    EXPECT_EQ(std::u16string(out.bstrVal), u"42");
    EXPECT_EQ(element.GetValue().vt, VT_I4); // the element keeps its value
    VariantClear(&out);

    element.SetValue(ObjectVariant(&object));
    ASSERT_EQ(element.ChangeType(VT_VARIANT, &out), S_OK);
    EXPECT_EQ(out.vt, VT_UNKNOWN);
    EXPECT_EQ(object.References(), 3u); // the caller's, the element's and the copy's
    VariantClear(&out);
    EXPECT_EQ(element.ChangeType(VT_I4, &out), DISP_E_TYPEMISMATCH);
}

TEST_F(VariantArgs, DetachHandsTheValueOverAndLeavesTheElementEmpty)
{
    CVariantArgs element;
    element.SetString("result");
    BSTR held = element.GetValue().bstrVal;
    VARIANT value = element.Detach();
    EXPECT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(value.bstrVal, held);
    EXPECT_EQ(element.GetValue().vt, VT_EMPTY);
    EXPECT_FALSE(element.IsOwned());
    VariantClear(&value);

    // A value that the element does not own is copied for the caller.
    CountedObject object;
    VARIANT borrowed = ObjectVariant(&object);
    element.TakeOver(borrowed);
    element.Disown();
    value = element.Detach();
    EXPECT_EQ(object.References(), 2u);
    VariantClear(&value);
    EXPECT_EQ(object.References(), 1u);
}

} // namespace
