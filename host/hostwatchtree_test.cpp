// The recording watch tree: what the variable code's calls leave in it, and what it
// answers.
#include "hostwatchtree.h"

#include <afx.h>

#include <testing/countedobject.h>

#include <gtest/gtest.h>

namespace {

using QelHost::CHostWatchTree;
using QelHost::WatchMethod;

struct Tree {
    Tree()
    {
        CComObject<CHostWatchTree>::CreateInstance(&object);
        hold = static_cast<IQelCommonWatch *>(object);
    }
    CComObject<CHostWatchTree> *object = nullptr;
    CComPtr<IQelCommonWatch> hold;
};

TEST(HostWatchTree, ItemsTakeHandlesFromACounterAndHoldTheirParam)
{
    CountedObject variable(false);
    {
        Tree tree;
        LONG item = 0;
        CComBSTR name("g_int");
        ASSERT_EQ(tree.hold->InsertItem(name, 0, 0, &variable, &item), S_OK);
        EXPECT_EQ(item, 1);
        EXPECT_EQ(variable.References(), 2u); // the creator's and the item's
        LONG child = item;
        ASSERT_EQ(tree.hold->InsertItem(CComBSTR("x"), 5, 2, nullptr, &child), S_OK);
        EXPECT_EQ(child, 2);
        EXPECT_EQ(tree.object->Items().at(2).parent, 1);
        CComBSTR text;
        ASSERT_EQ(tree.hold->GetItemText(1, &text), S_OK);
        EXPECT_EQ(CString(text), CString("g_int"));
        EXPECT_EQ(tree.hold->CalculateItem(1, 2, 1, 0x1234), S_OK);
        EXPECT_EQ(tree.hold->SetItemText(0), S_OK);
        ASSERT_EQ(tree.hold->DeleteItem(1), S_OK); // with what is below it
        EXPECT_TRUE(tree.object->Items().empty());
        EXPECT_EQ(variable.References(), 1u);

        auto calls = tree.object->Calls();
        ASSERT_EQ(calls.size(), 6u);
        EXPECT_EQ(calls[0].method, WatchMethod::InsertItem);
        EXPECT_EQ(calls[0].name, "g_int");
        EXPECT_EQ(calls[0].param, &variable);
        EXPECT_EQ(calls[1].children, 2);
        EXPECT_EQ(calls[3].method, WatchMethod::CalculateItem);
        EXPECT_EQ(calls[3].function, 2);
        EXPECT_EQ(calls[3].value, 0x1234);
        EXPECT_EQ(calls[4].method, WatchMethod::SetItemText);
        EXPECT_EQ(calls[5].method, WatchMethod::DeleteItem);
    }
}

TEST(HostWatchTree, ABatchAnswersTheNewHandlesInItsOrder)
{
    CountedObject first(false), second(false);
    Tree tree;
    LONG parent = 0;
    tree.hold->InsertItem(CComBSTR("s"), 5, 1, nullptr, &parent);
    CComVariant out;
    ASSERT_EQ(tree.hold->InsertItemBatch(0, nullptr, 0, 2, nullptr, &out), S_OK);
    ASSERT_EQ(tree.hold->InsertItemBatch(1, CComBSTR("a"), 0, 0, &first, &out), S_OK);
    ASSERT_EQ(tree.hold->InsertItemBatch(1, CComBSTR("b"), 3, 1, &second, &out), S_OK);
    ASSERT_EQ(tree.hold->InsertItemBatch(2, nullptr, 5, parent, nullptr, &out), S_OK);
    ASSERT_EQ(out.vt, VT_ARRAY | VT_I4);
    LONG upper = -1;
    SafeArrayGetUBound(out.parray, 1, &upper);
    ASSERT_EQ(upper, 1);
    LONG handles[2] = {};
    for (LONG i = 0; i < 2; ++i)
        SafeArrayGetElement(out.parray, &i, &handles[i]);
    EXPECT_EQ(handles[0], 2);
    EXPECT_EQ(handles[1], 3);
    EXPECT_EQ(tree.object->Children(parent), (std::vector<LONG>{2, 3}));
    EXPECT_EQ(tree.object->Items().at(3).name, "b");
    EXPECT_EQ(tree.object->Items().at(3).children, 1);
    EXPECT_EQ(second.References(), 2u);
    // An empty batch answers an empty array.
    CComVariant none;
    tree.hold->InsertItemBatch(0, nullptr, 0, 0, nullptr, &none);
    tree.hold->InsertItemBatch(2, nullptr, 0, parent, nullptr, &none);
    ASSERT_EQ(none.vt, VT_ARRAY | VT_I4);
    SafeArrayGetUBound(none.parray, 1, &upper);
    EXPECT_EQ(upper, -1);
    tree.hold->DeleteItem(parent);
    EXPECT_EQ(first.References(), 1u);
}

} // namespace
