// A test fixture whose tests each start from an empty registry in memory, whatever
// QEL_REGISTRY says, and leave none of their keys behind.
#pragma once

#include "windows.h"

#include <gtest/gtest.h>

class EmptyRegistry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(QelUseRegistryFile(nullptr), ERROR_SUCCESS); }
    void TearDown() override { QelUseRegistryFile(nullptr); }
};
