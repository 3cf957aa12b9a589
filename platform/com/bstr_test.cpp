#include "ole2.h"
#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

UINT32 LengthPrefix(BSTR bstr)
{
    UINT32 length;
    std::memcpy(&length, reinterpret_cast<const char *>(bstr) - 4, 4);
    return length;
}

class Bstr : public ComAllocBalance {};

TEST_F(Bstr, PointsPastItsByteLengthAndEndsWithAZeroCharacter)
{
    BSTR text = SysAllocString(u"Korvex");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(LengthPrefix(text), 12u);
    EXPECT_EQ(SysStringByteLen(text), 12u);
    EXPECT_EQ(SysStringLen(text), 6u);
    EXPECT_EQ(text[6], 0);
    EXPECT_EQ(std::u16string(text), u"Korvex");
    SysFreeString(text);
}

TEST_F(Bstr, KeepsEmbeddedZeros)
{
    const OLECHAR chars[] = {u'a', 0, u'b', 0};
    BSTR text = SysAllocStringLen(chars, 4);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 4u);
    EXPECT_EQ(std::memcmp(text, chars, sizeof chars), 0);
    EXPECT_EQ(text[4], 0);
    SysFreeString(text);
}

TEST_F(Bstr, ByteStringsKeepTheirBytesAndOddLengths)
{
    BSTR bytes = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(SysStringByteLen(bytes), 3u);
    EXPECT_EQ(SysStringLen(bytes), 1u);
    const char *raw = reinterpret_cast<const char *>(bytes);
    EXPECT_EQ(std::memcmp(raw, "abc", 3), 0);
    // The zero after the last byte, and a zero character after the last whole one.
    EXPECT_EQ(raw[3], 0);
    EXPECT_EQ(bytes[2], 0);
    SysFreeString(bytes);
}

TEST_F(Bstr, NullSourceGivesZeroedCharacters)
{
    BSTR text = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[2], 0);
    SysFreeString(text);
}

TEST_F(Bstr, NullIsTheEmptyString)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST_F(Bstr, ReAllocReplacesTheTextEvenFromInsideTheOldOne)
{
    BSTR text = SysAllocString(u"symbol server");
    ASSERT_TRUE(SysReAllocString(&text, text + 7));
    EXPECT_EQ(std::u16string(text), u"server");
    ASSERT_TRUE(SysReAllocStringLen(&text, text, 3));
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(std::u16string(text), u"ser");
    EXPECT_FALSE(SysReAllocString(nullptr, u"x"));
    ASSERT_TRUE(SysReAllocString(&text, nullptr));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs);
}

TEST_F(Bstr, IsCountedWhileItLives)
{
    BSTR a = SysAllocString(u"a");
    BSTR b = SysAllocString(u"b");
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + 2);
    SysFreeString(a);
    SysFreeString(b);
}

TEST_F(Bstr, FreeingTwiceIsRefusedAndCounted)
{
    BSTR text = SysAllocString(u"once");
    SysFreeString(text);
    SysFreeString(text);
    ExpectInvalidFrees(1);
}

TEST_F(Bstr, FreeingAStringItDidNotMakeIsRefusedAndCounted)
{
    char16_t buffer[8] = u"\0\0fake";
    SysFreeString(reinterpret_cast<BSTR>(buffer + 2));
    EXPECT_EQ(std::u16string(buffer + 2), u"fake");
    ExpectInvalidFrees(1);
}

TEST_F(Bstr, TheLiveCountFollowsStringsMadeAndFreedInAnyOrder)
{
    // Enough strings that the set grows many times, freed in a random order between
    // new ones: every free of a live string must be taken and none may be counted twice.
    std::mt19937 random(58);
    std::vector<BSTR> live;
    for (int step = 0; step < 60000; ++step) {
        if (live.empty() || random() % 3 != 0) {
            BSTR text = SysAllocString(u"live");
            ASSERT_NE(text, nullptr);
            live.push_back(text);
        } else {
            std::swap(live[random() % live.size()], live.back());
            SysFreeString(live.back());
            live.pop_back();
        }
        if (step % 10000 == 0) {
            ASSERT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + static_cast<LONG>(live.size()));
        }
    }
    ASSERT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + static_cast<LONG>(live.size()));
    ASSERT_EQ(QelGetComAllocCounts().invalidFrees, Before().invalidFrees);
    std::shuffle(live.begin(), live.end(), random);
    for (BSTR text : live) {
        EXPECT_EQ(std::u16string(text), u"live");
        SysFreeString(text);
    }
    // Nothing is made between, so no address has come back: each is refused.
    for (size_t k = 0; k < 100; ++k)
        SysFreeString(live[k]);
    ExpectInvalidFrees(100);
}

TEST_F(Bstr, ThreadsMakeAndFreeStringsAtOnceAndASecondFreeIsRefusedOnce)
{
    const int kThreads = 8;
    const int kPerThread = 20000;
    // Each thread makes strings and frees most of them at once; it keeps every eighth,
    // which the next thread frees, so that strings are freed by a thread that did not
    // make them.
    std::vector<std::vector<BSTR>> kept(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &kept] {
            std::u16string text = u"thread " + std::u16string(1, static_cast<char16_t>(u'0' + t));
            for (int k = 0; k < kPerThread; ++k) {
                BSTR made = SysAllocString(text.c_str());
                if (k % 8 == 0)
                    kept[t].push_back(made);
                else
                    SysFreeString(made);
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    threads.clear();
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs + kThreads * kPerThread / 8);
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &kept] {
            for (BSTR text : kept[(t + 1) % kThreads])
                SysFreeString(text);
        });
    for (std::thread &thread : threads)
        thread.join();
    threads.clear();
    EXPECT_EQ(QelGetComAllocCounts().bstrs, Before().bstrs);
    EXPECT_EQ(QelGetComAllocCounts().invalidFrees, Before().invalidFrees);

    // Two threads free the same strings: each string is freed once, and the other free
    // of it is refused, whichever thread comes first.
    std::vector<BSTR> shared;
    for (int k = 0; k < 4000; ++k)
        shared.push_back(SysAllocString(u"shared"));
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&shared] {
            for (BSTR text : shared)
                SysFreeString(text);
        });
    for (std::thread &thread : threads)
        thread.join();
    ExpectInvalidFrees(4000);
}

TEST_F(Bstr, ImpossibleLengthsGiveNull)
{
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFF), nullptr);
    EXPECT_EQ(SysAllocStringByteLen(nullptr, 0xFFFFFFFF), nullptr);
}

} // namespace
