#include "watchtesting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <pthread.h>

namespace {

// Knows no type; marks the parse it serves while it is asked and fails the test when
// another parse's lookup comes between the first and the last of one parse.
class CSleepingTypeNames : public CWatchTypeNames {
public:
    CSleepingTypeNames(int owner, std::atomic<int> &busy, std::atomic<int> &overlaps)
        : m_owner(owner), m_busy(busy), m_overlaps(overlaps)
    {
    }
    BOOL IsTypeName(LPCSTR name) override
    {
        ++calls;
        if (name[0] == 'a') { // the first name of every text
            int none = 0;
            if (!m_busy.compare_exchange_strong(none, m_owner))
                ++m_overlaps;
            std::this_thread::sleep_for(std::chrono::microseconds(1));
        } else if (m_busy.exchange(0) != m_owner) {
            ++m_overlaps;
        }
        return FALSE;
    }
    int calls = 0;

private:
    int m_owner;
    std::atomic<int> &m_busy;
    std::atomic<int> &m_overlaps;
};

TEST(WatchParserThreads, OneParseRunsAtATime)
{
    std::atomic<int> busy{0}, overlaps{0};
    auto parseMany = [&](int owner, int *calls) {
        CSleepingTypeNames types(owner, busy, overlaps);
        CQelWatchParser parser(CAddressValue(), &types);
        for (int i = 0; i < 10000; ++i)
            EXPECT_NE(parser.Parse(i % 2 ? "a + b" : "a[1]->b"), nullptr);
        *calls = types.calls;
    };
    int first = 0, second = 0;
    std::thread one(parseMany, 1, &first), two(parseMany, 2, &second);
    one.join();
    two.join();
    EXPECT_EQ(first, 20000);
    EXPECT_EQ(second, 20000);
    EXPECT_EQ(overlaps.load(), 0);
}

// The deepest texts that the owners' 1,024-byte buffer holds parse on a thread with a
// stack of 1 MB.
TEST(WatchParserThreads, TheDeepestTextsParseOnAOneMegabyteStack)
{
    struct Job {
        std::string unary = std::string(1020, '-') + "x";
        std::string parentheses = std::string(510, '(') + "x" + std::string(510, ')');
        bool parsed[2] = {false, false};
    } job;
    ASSERT_EQ(job.unary.size(), 1021u);
    ASSERT_EQ(job.parentheses.size(), 1021u);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1 << 20);
    pthread_t thread;
    auto run = [](void *argument) -> void * {
        auto *job = static_cast<Job *>(argument);
        CQelWatchParser parser(CAddressValue(), static_cast<CSymbolProcessing *>(nullptr));
        job->parsed[0] = parser.Parse(job->unary.c_str()) != nullptr;
        job->parsed[1] = parser.Parse(job->parentheses.c_str()) != nullptr;
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_TRUE(job.parsed[0]);
    EXPECT_TRUE(job.parsed[1]);
}

} // namespace
