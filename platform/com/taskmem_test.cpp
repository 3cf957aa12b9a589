#include "ole2.h"
#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

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

TEST_F(TaskMem, ThreadsGrowTheirBlocksWhileOthersAllocateAndFree)
{
    // A block moved by one thread must stay known while others make and free blocks
    // that may land where it was.
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([t] {
            for (int round = 0; round < 300; ++round) {
                char *block = static_cast<char *>(CoTaskMemAlloc(8));
                ASSERT_NE(block, nullptr);
                block[0] = static_cast<char>(t);
                for (SIZE_T size = 64; size <= 4096; size *= 4) {
                    block = static_cast<char *>(CoTaskMemRealloc(block, size));
                    ASSERT_NE(block, nullptr);
                    ASSERT_EQ(block[0], static_cast<char>(t));
                }
                CoTaskMemFree(block);
            }
        });
    for (std::thread &thread : threads)
        thread.join();
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
