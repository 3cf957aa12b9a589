#include "afxarray.h"
#include "afxtypedarrays.h"

#include <gtest/gtest.h>

namespace {

// Counts the live elements, so a test sees that every element made is destroyed once.
struct Counted {
    static int live;
    int value;
    Counted() : value(-1) { ++live; }
    Counted(int v) : value(v) { ++live; }
    Counted(const Counted &other) : value(other.value) { ++live; }
    Counted &operator=(const Counted &other) = default;
    ~Counted() { --live; }
};
int Counted::live = 0;

class CArrayLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override { Counted::live = 0; }
    void TearDown() override { EXPECT_EQ(Counted::live, 0); }
};

TEST_F(CArrayLifetimeTest, SetSizeConstructsClearedElementsAndDestroysDroppedOnes)
{
    CArray<Counted, Counted &> a;
    a.SetSize(5);
    EXPECT_EQ(Counted::live, 5);
    EXPECT_EQ(a[4].value, -1);
    a.SetSize(2);
    EXPECT_EQ(Counted::live, 2);
    a.SetSize(100);
    EXPECT_EQ(Counted::live, 100);
    a.RemoveAll();
    EXPECT_EQ(Counted::live, 0);
    EXPECT_EQ(a.GetData(), nullptr);
}

TEST_F(CArrayLifetimeTest, KeepsElementsWhileGrowingInsertingAndRemoving)
{
    {
        CArray<Counted> a;
        for (int i = 0; i < 50; ++i)
            a.Add(Counted(i));
        EXPECT_EQ(Counted::live, 50);
        a.InsertAt(10, Counted(-7), 3);
        EXPECT_EQ(a.GetSize(), 53);
        EXPECT_EQ(a[9].value, 9);
        EXPECT_EQ(a[10].value, -7);
        EXPECT_EQ(a[12].value, -7);
        EXPECT_EQ(a[13].value, 10);
        a.RemoveAt(0, 10);
        EXPECT_EQ(a[0].value, -7);
        EXPECT_EQ(a.GetUpperBound(), 42);
        EXPECT_EQ(a[42].value, 49);
        EXPECT_EQ(Counted::live, 43);
        a.FreeExtra();
        EXPECT_EQ(a[42].value, 49);
    }
    // The array's destructor ends the rest.
}

TEST_F(CArrayLifetimeTest, AddsAnElementOfItsOwnWhileGrowing)
{
    CArray<Counted, Counted &> a;
    a.SetSize(4, 0);
    a[0].value = 42;
    // Full: the Add must move the storage, and still copy the first element.
    for (int i = 0; i < 20; ++i)
        a.Add(a[0]);
    EXPECT_EQ(a[20].value, 42);
    a.InsertAt(0, a[20]);
    EXPECT_EQ(a[0].value, 42);
    a.SetAtGrow(60, a[1]);
    EXPECT_EQ(a[60].value, 42);
    EXPECT_EQ(a[59].value, -1);
}

TEST(CArrayTest, GrowsByTheGivenStepOrAnEighth)
{
    CArray<int, int> a;
    a.SetSize(0, 100);
    a.Add(1); // the first allocation takes what is asked for
    a.Add(2); // the second grows by the step
    int *grownOnce = a.GetData();
    for (int i = 0; i < 99; ++i)
        a.Add(i);
    EXPECT_EQ(a.GetData(), grownOnce);
    EXPECT_EQ(a.GetSize(), 101);
    CUIntArray b;
    b.SetSize(800);
    b.Add(1);
    UINT *grown = b.GetData();
    for (int i = 0; i < 99; ++i)
        b.Add(i); // 801 to 900 fit into the 800 + 100 of the first growth
    EXPECT_EQ(b.GetData(), grown);
}

TEST(CArrayTest, SetAtGrowInsertAtAndRemoveAtBeyondTheEnd)
{
    CDWordArray a;
    a.SetAtGrow(3, 7);
    EXPECT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a[0], 0u);
    EXPECT_EQ(a[3], 7u);
    a.InsertAt(6, 9);
    EXPECT_EQ(a.GetSize(), 7);
    EXPECT_EQ(a[5], 0u);
    EXPECT_EQ(a[6], 9u);
    a.SetAt(0, 1);
    a.ElementAt(1) = 2;
    EXPECT_EQ(a.GetAt(0), 1u);
    EXPECT_EQ(a.GetAt(1), 2u);
    a.RemoveAt(1, 6);
    EXPECT_EQ(a.GetSize(), 1);
}

TEST(CArrayTest, AppendsAndCopiesIncludingItself)
{
    CStringArray a;
    a.Add("one");
    a.Add(CString("two"));
    CStringArray b;
    b.Copy(a);
    EXPECT_EQ(b.Append(a), 2);
    EXPECT_EQ(b.GetSize(), 4);
    EXPECT_EQ(b[3], "two");
    EXPECT_EQ(b.Append(b), 4);
    EXPECT_EQ(b.GetSize(), 8);
    EXPECT_EQ(b[6], "one");
    b.Copy(b);
    EXPECT_EQ(b.GetSize(), 8);
    a.Copy(CStringArray());
    EXPECT_EQ(a.GetSize(), 0);
}

TEST(CArrayTest, TypedArraysHoldTheirElementTypes)
{
    CPtrArray pointers;
    int x = 0;
    pointers.Add(&x);
    EXPECT_EQ(pointers[0], &x);
    CByteArray bytes;
    bytes.Add(0xFF);
    CWordArray words;
    words.Add(0xFFFF);
    EXPECT_EQ(bytes[0] + words[0], 0xFF + 0xFFFF);
    CObArray objects;
    objects.Add(nullptr);
    EXPECT_EQ(objects.GetSize(), 1);
    EXPECT_TRUE(objects.IsKindOf(RUNTIME_CLASS(CObject)));
}

// AddressSanitizer stops the program instead of failing a huge allocation. g++ tells that
// it is there with __SANITIZE_ADDRESS__, clang with __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADDRESS_SANITIZER
#endif
#endif

TEST(CArrayTest, NegativeOrHugeSizeRaisesMemoryException)
{
    CArray<int, int> a;
    EXPECT_THROW(a.SetSize(-1), CMemoryException *);
#ifndef ADDRESS_SANITIZER
    struct Big {
        char bytes[1 << 20];
    };
    CArray<Big, const Big &> huge;
    EXPECT_THROW(huge.SetSize(0x7FFFFFFF), CMemoryException *);
    EXPECT_EQ(huge.GetSize(), 0);
#endif
}

// A type that can be neither copied nor moved, such as a CObject: the array moves it
// bytewise, as the framework does.
class Fixed : public CObject {
public:
    int value = 5;
};

TEST(CArrayTest, HoldsElementsThatCannotBeCopied)
{
    CArray<Fixed, Fixed &> a;
    a.SetSize(3);
    a[2].value = 9;
    a.SetSize(50);
    EXPECT_EQ(a[2].value, 9);
    a.RemoveAt(0, 2);
    EXPECT_EQ(a[0].value, 9);
    EXPECT_EQ(a[47].value, 5);
}

TEST(CArrayDeathTest, StopsOnAnIndexOutsideTheArray)
{
    CArray<int, int> a;
    a.SetSize(2);
    EXPECT_DEATH(a[2], "index");
    EXPECT_DEATH(a.GetAt(-1), "index");
    EXPECT_DEATH(a.RemoveAt(1, 2), "index");
}

} // namespace
