#include "ole2.h"
#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class TaskMem : public ComAllocBalance {};

TEST_F(TaskMem, BlocksAreCountedUntilFreed)
{
    void *a = CoTaskMemAlloc(16);
    void *empty = CoTaskMemAlloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(a, empty);
    EXPECT_EQ(QelGetComAllocCounts().taskMemBlocks, Before().taskMemBlocks + 2);
    CoTaskMemFree(a);
    CoTaskMemFree(empty);
    CoTaskMemFree(nullptr);
}

TEST_F(TaskMem, ReallocKeepsTheContents)
{
    char *block = static_cast<char *>(CoTaskMemAlloc(4));
    std::memcpy(block, "abc", 4);
    block = static_cast<char *>(CoTaskMemRealloc(block, 4096));
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block, "abc");
    EXPECT_EQ(QelGetComAllocCounts().taskMemBlocks, Before().taskMemBlocks + 1);
    EXPECT_EQ(CoTaskMemRealloc(block, 0), nullptr);
}

TEST_F(TaskMem, ReallocOfNullAllocates)
{
    void *block = CoTaskMemRealloc(nullptr, 8);
    ASSERT_NE(block, nullptr);
    CoTaskMemFree(block);
}

TEST_F(TaskMem, FreeingTwiceOrForeignMemoryIsRefusedAndCounted)
{
    void *block = CoTaskMemAlloc(8);
    CoTaskMemFree(block);
    CoTaskMemFree(block);
    int local = 0;
    CoTaskMemFree(&local);
    EXPECT_EQ(CoTaskMemRealloc(&local, 16), nullptr);
    ExpectInvalidFrees(3);
}

} // namespace
