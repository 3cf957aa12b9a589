#include "objecthandles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Counted {
    std::atomic<int> references{0};
    int value = 42;
};

void AddRef(void *context)
{
    ++static_cast<Counted *>(context)->references;
}
void Release(void *context)
{
    --static_cast<Counted *>(context)->references;
}

const DWORD kKind = 0x53465252, kOtherKind = 0x53464242;

TEST(ObjectHandles, AHandleResolvesToItsObjectOnlyForItsKindAndWhileItStands)
{
    Counted owner;
    DWORD handle = QelRegisterObjectHandle(kKind, &owner.value, &owner, AddRef, Release);
    ASSERT_NE(handle, 0u);
    EXPECT_NE(handle, 0xFFFFFFFFu);
    EXPECT_EQ(owner.references, 1); // the table's own

    QEL_RESOLVED_OBJECT resolved;
    ASSERT_TRUE(QelResolveObjectHandle(handle, kKind, &resolved));
    EXPECT_EQ(resolved.object, &owner.value);
    EXPECT_EQ(owner.references, 2);
    EXPECT_FALSE(QelResolveObjectHandle(handle, kOtherKind, &resolved)); // empties it
    EXPECT_EQ(resolved.object, nullptr);
    EXPECT_EQ(owner.references, 2);
    ASSERT_TRUE(QelResolveObjectHandle(handle, kKind, &resolved));
    EXPECT_TRUE(QelWithdrawObjectHandle(handle));
    // The caller's reference outlives the handle.
    EXPECT_EQ(owner.references, 2);
    EXPECT_EQ(*static_cast<int *>(resolved.object), 42);
    QelReleaseResolvedObject(&resolved);
    QelReleaseResolvedObject(&resolved); // emptied: nothing more is released
    EXPECT_EQ(owner.references, 1);
    EXPECT_FALSE(QelResolveObjectHandle(handle, kKind, &resolved));
    EXPECT_FALSE(QelWithdrawObjectHandle(handle));
    EXPECT_EQ(owner.references, 1);
}

TEST(ObjectHandles, ForgedAndEmptyValuesResolveToNothing)
{
    QEL_RESOLVED_OBJECT resolved;
    for (DWORD value : {0u, 0xFFFFFFFFu, 0x12345678u})
        EXPECT_FALSE(QelResolveObjectHandle(value, kKind, &resolved));
    EXPECT_FALSE(QelResolveObjectHandle(1, kKind, nullptr));
    Counted owner;
    EXPECT_EQ(QelRegisterObjectHandle(kKind, nullptr, &owner, AddRef, Release), 0u);
    EXPECT_EQ(QelRegisterObjectHandle(kKind, &owner, &owner, nullptr, Release), 0u);
    EXPECT_EQ(owner.references, 0);
}

TEST(ObjectHandles, ThreadsResolvingWhileTheHandleIsWithdrawnKeepTheCountRight)
{
    Counted owner;
    DWORD handle = QelRegisterObjectHandle(kKind, &owner.value, &owner, AddRef, Release);
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                QEL_RESOLVED_OBJECT resolved;
                if (QelResolveObjectHandle(handle, kKind, &resolved)) {
                    EXPECT_EQ(*static_cast<int *>(resolved.object), 42);
                    QelReleaseResolvedObject(&resolved);
                }
            }
        });
    }
    QelWithdrawObjectHandle(handle);
    for (auto &reader : readers)
        reader.join();
    EXPECT_EQ(owner.references, 0);
}

} // namespace
