// A test fixture that checks, after each test, that the COM layer's allocations balance:
// every BSTR, SAFEARRAY and task-memory block made during the test was freed, and
// nothing was freed twice or freed without being made here.
#pragma once

#include "allocstats.h"

#include <gtest/gtest.h>

class ComAllocBalance : public ::testing::Test {
protected:
    void SetUp() override { before_ = QelGetComAllocCounts(); }

    void TearDown() override
    {
        QelComAllocCounts after = QelGetComAllocCounts();
        EXPECT_EQ(after.bstrs, before_.bstrs) << "BSTRs leaked or freed too often";
        EXPECT_EQ(after.safeArrays, before_.safeArrays) << "SAFEARRAYs leaked or destroyed too often";
        EXPECT_EQ(after.taskMemBlocks, before_.taskMemBlocks) << "task memory leaked or freed too often";
        EXPECT_EQ(after.invalidFrees, before_.invalidFrees + expectedInvalidFrees_) << "unexpected invalid frees";
    }

    // A test that frees wrongly on purpose says how often.
    void ExpectInvalidFrees(LONG count) { expectedInvalidFrees_ = count; }

    QelComAllocCounts Before() const { return before_; }

private:
    QelComAllocCounts before_{};
    LONG expectedInvalidFrees_ = 0;
};
