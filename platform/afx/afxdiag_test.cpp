#include "afxdiag.h"

#include <gtest/gtest.h>

namespace {

TEST(AfxDiagTest, VerifyEvaluatesItsExpressionInEveryBuild)
{
    int calls = 0;
    VERIFY(++calls == 1);
    EXPECT_EQ(calls, 1);
    ASSERT(calls == 1);
}

TEST(AfxDiagTest, TraceEvaluatesNothing)
{
    int calls = 0;
    TRACE("%d\n", ++calls);
    EXPECT_EQ(calls, 0);
}

#ifndef NDEBUG
TEST(AfxDiagDeathTest, FailedAssertionStopsTheDebugBuildNamingTheCondition)
{
    int value = 2;
    EXPECT_DEATH(ASSERT(value == 3), "value == 3");
}
#endif

} // namespace
