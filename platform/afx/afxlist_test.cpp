#include "afxlist.h"
#include "afxtypedlists.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Forward(const CList<int, int> &list)
{
    std::vector<int> values;
    for (POSITION p = list.GetHeadPosition(); p != nullptr;)
        values.push_back(list.GetNext(p));
    return values;
}

std::vector<int> Backward(const CList<int, int> &list)
{
    std::vector<int> values;
    for (POSITION p = list.GetTailPosition(); p != nullptr;)
        values.push_back(list.GetPrev(p));
    return values;
}

TEST(CListTest, AddsAtBothEndsAndWalksBothWays)
{
    CList<int, int> list;
    EXPECT_TRUE(list.IsEmpty());
    list.AddTail(2);
    list.AddTail(3);
    list.AddHead(1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(Forward(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Backward(list), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(list.GetHead(), 1);
    EXPECT_EQ(list.GetTail(), 3);
}

TEST(CListTest, InsertsAndRemovesAtPositions)
{
    CList<int, int> list;
    POSITION two = list.AddTail(2);
    list.InsertBefore(two, 1);
    POSITION four = list.InsertAfter(two, 4);
    list.InsertBefore(four, 3);
    list.InsertAfter(nullptr, 5);  // at the tail
    list.InsertBefore(nullptr, 0); // at the head
    EXPECT_EQ(Forward(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    list.RemoveAt(two);
    list.SetAt(four, 40);
    EXPECT_EQ(list.GetAt(four), 40);
    EXPECT_EQ(Forward(list), (std::vector<int>{0, 1, 3, 40, 5}));
    EXPECT_EQ(list.RemoveHead(), 0);
    EXPECT_EQ(list.RemoveTail(), 5);
    EXPECT_EQ(Backward(list), (std::vector<int>{40, 3, 1}));
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
}

TEST(CListTest, FindsByValueAndByIndex)
{
    CStringList list;
    list.AddTail("a");
    POSITION b = list.AddTail(CString("b"));
    list.AddTail("a");
    POSITION first = list.Find("a");
    EXPECT_EQ(list.GetAt(first), "a");
    POSITION second = list.Find("a", first);
    EXPECT_NE(second, first);
    EXPECT_EQ(list.Find("a", second), nullptr);
    EXPECT_EQ(list.Find("z"), nullptr);
    EXPECT_EQ(list.FindIndex(1), b);
    EXPECT_EQ(list.FindIndex(3), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
}

TEST(CListTest, PointerListsHoldPointersWithoutOwningThem)
{
    int x = 1;
    CPtrList pointers;
    pointers.AddTail(&x);
    EXPECT_EQ(pointers.GetHead(), &x);
    EXPECT_NE(pointers.Find(&x), nullptr);
    CObList objects(10);
    objects.AddHead(static_cast<CObject *>(nullptr));
    EXPECT_EQ(objects.GetCount(), 1);
}

TEST(CListDeathTest, StopsWhenRemovingFromAnEmptyList)
{
    CList<int, int> list;
    EXPECT_DEATH(list.RemoveHead(), "index");
    EXPECT_DEATH(list.GetTail(), "index");
}

} // namespace
