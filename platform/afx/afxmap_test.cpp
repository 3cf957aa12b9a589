#include "afxmap.h"
#include "afxtypedmaps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A key of three words with a hash of its own, as users of CMap write one.
struct Triple {
    DWORD mode, value, third;
    bool operator==(const Triple &other) const
    {
        return mode == other.mode && value == other.value && third == other.third;
    }
};

} // namespace

template <>
UINT AFXAPI HashKey<Triple &>(Triple &key)
{
    return (key.mode << 4) + key.value + key.third;
}

namespace {

TEST(CMapTest, LooksUpSetsAndRemovesKeys)
{
    CMap<int, int, CString, LPCSTR> map;
    map.SetAt(1, "one");
    map[2] = "two";
    map.SetAt(1, "uno");
    CString text;
    EXPECT_TRUE(map.Lookup(1, text));
    EXPECT_EQ(text, "uno");
    EXPECT_FALSE(map.Lookup(3, text));
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_TRUE(map.RemoveKey(2));
    EXPECT_FALSE(map.RemoveKey(2));
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_TRUE(map[5].IsEmpty()); // a new key gets an empty value
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_FALSE(map.Lookup(1, text));
}

TEST(CMapTest, IteratesBucketsInTableOrderNewestFirstWithinABucket)
{
    CMap<DWORD, DWORD, int, int> map;
    map.InitHashTable(13);
    // Keys hash to key >> 4: 0x10 and 0xE0 share bucket 1 (14 % 13), 0x30 is in 3, 0x00 in 0.
    map[0x30] = 3;
    map[0x10] = 1;
    map[0xE0] = 14;
    map[0x00] = 0;
    std::vector<DWORD> order;
    POSITION p = map.GetStartPosition();
    while (p != nullptr) {
        DWORD key;
        int value;
        map.GetNextAssoc(p, key, value);
        order.push_back(key);
    }
    EXPECT_EQ(order, (std::vector<DWORD>{0x00, 0xE0, 0x10, 0x30}));
    EXPECT_EQ(map.GetHashTableSize(), 13u);
}

TEST(CMapTest, EmptyMapHasNoStartPosition)
{
    CMap<int, int, int, int> map;
    EXPECT_EQ(map.GetStartPosition(), nullptr);
    int value;
    EXPECT_FALSE(map.Lookup(0, value));
    EXPECT_FALSE(map.RemoveKey(0));
}

TEST(CMapTest, UsesTheUsersHashKeyForItsKeyType)
{
    CMap<Triple, Triple &, int, int &> map;
    Triple a{1, 0x1234, 0};
    Triple b{1, 0x1234, 1};
    int one = 1, two = 2;
    map.SetAt(a, one);
    map.SetAt(b, two);
    int value = 0;
    Triple probe{1, 0x1234, 1};
    EXPECT_TRUE(map.Lookup(probe, value));
    EXPECT_EQ(value, 2);
    EXPECT_EQ(HashKey<Triple &>(a), 0x1244u);
}

TEST(CMapTest, ReInitialisingTheTableKeepsTheAssociations)
{
    CMap<int, int, int, int> map;
    for (int i = 0; i < 100; ++i)
        map[i * 16] = i;
    map.InitHashTable(7);
    EXPECT_EQ(map.GetCount(), 100);
    int value;
    ASSERT_TRUE(map.Lookup(99 * 16, value));
    EXPECT_EQ(value, 99);
    int walked = 0;
    for (POSITION p = map.GetStartPosition(); p != nullptr; ++walked) {
        int key;
        map.GetNextAssoc(p, key, value);
        EXPECT_EQ(key, value * 16);
    }
    EXPECT_EQ(walked, 100);
}

TEST(CMapTest, DefaultHashIsTheValueShiftedByFourIn32Bits)
{
    EXPECT_EQ(HashKey<int>(0x1234), 0x123u);
    EXPECT_EQ(HashKey<int>(-1), 0x0FFFFFFFu);
    EXPECT_EQ(HashKey<void *>(reinterpret_cast<void *>(0x170)), 0x17u);
}

TEST(CMapTest, StringMapsHashTextsTimesThirtyThree)
{
    EXPECT_EQ(QelStringHashPolicy::Hash(""), 0u);
    EXPECT_EQ(QelStringHashPolicy::Hash("ab"), 97u * 33 + 98);
    EXPECT_EQ(QelStringHashPolicy::Hash("\xFF"), 0xFFFFFFFFu); // a signed byte
    CMapStringToString strings;
    strings.SetAt("key", "value");
    CString value;
    EXPECT_TRUE(strings.Lookup("key", value));
    EXPECT_EQ(value, "value");
    EXPECT_FALSE(strings.Lookup("KEY", value)); // case counts
    CMapStringToPtr pointers;
    int x = 0;
    pointers["x"] = &x;
    void *found = nullptr;
    EXPECT_TRUE(pointers.Lookup("x", found));
    EXPECT_EQ(found, &x);
    POSITION p = pointers.GetStartPosition();
    CString key;
    pointers.GetNextAssoc(p, key, found);
    EXPECT_EQ(key, "x");
    EXPECT_EQ(p, nullptr);
}

TEST(CMapTest, PointerAndWordMaps)
{
    CMapPtrToPtr pointers;
    int a = 0, b = 0;
    pointers[&a] = &b;
    void *value = nullptr;
    EXPECT_TRUE(pointers.Lookup(&a, value));
    EXPECT_EQ(value, &b);
    CMapWordToPtr words;
    words.SetAt(7, &a);
    EXPECT_TRUE(words.Lookup(7, value));
    EXPECT_EQ(value, &a);
    CMapStringToOb objects;
    objects.SetAt("none", nullptr);
    CObject *object = reinterpret_cast<CObject *>(&a);
    EXPECT_TRUE(objects.Lookup("none", object));
    EXPECT_EQ(object, nullptr);
}

} // namespace
