#include "crttemp.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        const char *old = getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    std::string old_;
};

} // namespace

TEST(TempName, NamesAFreshFileWithThePrefix)
{
    ScopedEnv tmp("TMP", nullptr), tmpdir("TMPDIR", nullptr);
    char *first = _tempnam(nullptr, "QWPD");
    char *second = _tempnam(nullptr, "QWPD");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(std::string(first).rfind("/tmp/QWPD", 0), 0u) << first;
    EXPECT_STRNE(first, second);
    EXPECT_NE(access(first, F_OK), 0) << "the file is not created";
    FILE *file = fopen(first, "w+b");
    ASSERT_NE(file, nullptr);
    fclose(file);
    remove(first);
    free(first);
    free(second);
}

TEST(TempName, EnvironmentDirectoryComesBeforeTheArgument)
{
    char dir[] = "/tmp/qeltempXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ScopedEnv tmp("TMP", dir), tmpdir("TMPDIR", nullptr);
    char *name = _tempnam("/nonexistent", "QWPE");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name).rfind(std::string(dir) + "/QWPE", 0), 0u) << name;
    free(name);
    rmdir(dir);
}

TEST(TempName, ArgumentDirectoryIsUsedWhenTheEnvironmentNamesNone)
{
    char dir[] = "/tmp/qeltempXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ScopedEnv tmp("TMP", "/nonexistent/dir"), tmpdir("TMPDIR", nullptr);
    char *name = _tempnam(dir, nullptr);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::string(name).rfind(std::string(dir) + "/", 0), 0u) << name;
    free(name);
    rmdir(dir);
}
