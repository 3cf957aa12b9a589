#include "debugoutput.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

void Collect(void *context, LPCSTR text)
{
    static_cast<std::vector<std::string> *>(context)->push_back(text);
}

class DebugOutputTest : public ::testing::Test {
protected:
    void SetUp() override { QelSetDebugOutputHandler(Collect, &lines_); }
    void TearDown() override { QelSetDebugOutputHandler(nullptr, nullptr); }

    std::vector<std::string> lines_;
};

TEST_F(DebugOutputTest, TheInstalledHandlerReceivesEachTextAsGiven)
{
    OutputDebugStringA("first line\n");
    OutputDebugString("second");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(lines_, (std::vector<std::string>{"first line\n", "second"}));
}

TEST_F(DebugOutputTest, WithoutAHandlerTheTextIsDropped)
{
    QelSetDebugOutputHandler(nullptr, nullptr);
    OutputDebugStringA("nobody listens");
    QelSetDebugOutputHandler(Collect, &lines_);
    OutputDebugStringA("heard");
    EXPECT_EQ(lines_, (std::vector<std::string>{"heard"}));
}

TEST_F(DebugOutputTest, TextsFromManyThreadsAllArrive)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i)
                OutputDebugStringA("x");
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(lines_.size(), 400u);
}

} // namespace
