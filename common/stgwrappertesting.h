// What the tests of the storage wrappers and profiles share: a fixture that checks that
// the COM layer's allocations and objects balance and gives each test a folder of its
// own for storage files.
#pragma once

#include "testing/comobjectbalance.h"
#include "testing/stgtesting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class StorageWrapperTest : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        std::string pattern = (std::filesystem::temp_directory_path() / "qelstgwrap-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        ComObjectBalance::TearDown();
    }

    std::string PathOf(const char *name) const { return (folder_ / name).string(); }

private:
    std::filesystem::path folder_;
};
