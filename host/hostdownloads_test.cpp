#include "debugserver.h"
#include "hostdownloads.h"

#include "testing/comallocbalance.h"

#include <gtest/gtest.h>

namespace {

using QelHost::CHostDebugServer;

CComPtr<IQelTargetPattern> MakeServer(CComObject<CHostDebugServer> **server)
{
    EXPECT_EQ(CComObject<CHostDebugServer>::CreateInstance(server), S_OK);
    CComPtr<IUnknown> holder(static_cast<IQelHostHolder *>(*server));
    CComQIPtr<IQelTargetPattern> pattern(holder);
    return CComPtr<IQelTargetPattern>(pattern.p);
}

class HostDownloadsTest : public ComAllocBalance {};

TEST_F(HostDownloadsTest, TheDebugServerRecordsAnnouncementsAndCopiesEveryBlock)
{
    CComObject<CHostDebugServer> *server = nullptr;
    CComPtr<IQelTargetPattern> pattern = MakeServer(&server);
    ASSERT_NE(pattern, nullptr);
    BYTE bytes[] = {1, 2, 3};
    EXPECT_EQ(pattern->AnnounceDownload(1, 3, 7), S_OK);
    EXPECT_EQ(pattern->DownloadBlock(0x1000, 3, bytes, 0, 7), S_OK);
    bytes[0] = 9; // the host keeps its own copy
    auto blocks = server->Downloads()->Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].start, 0x1000u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(blocks[0].programId, 7u);
    auto announcements = server->Downloads()->Announcements();
    ASSERT_EQ(announcements.size(), 1u);
    EXPECT_EQ(announcements[0].byteCount, 3u);
}

TEST_F(HostDownloadsTest, AHostThatIsToldToRefuseTakesNoMoreBlocks)
{
    QelHost::HostDownloads downloads;
    BYTE byte = 0;
    downloads.RefuseAfter(1);
    EXPECT_EQ(downloads.AddBlock(0, 1, &byte, 0, 1), S_OK);
    EXPECT_EQ(downloads.AddBlock(1, 1, &byte, 0, 1), E_FAIL);
    EXPECT_EQ(downloads.AddBlock(2, 1, &byte, 0, 1), E_FAIL);
    EXPECT_EQ(downloads.Blocks().size(), 1u);
    EXPECT_EQ(downloads.AddBlock(3, 1, nullptr, 0, 1), E_POINTER);
}

} // namespace
