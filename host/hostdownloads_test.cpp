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
    BYTE read[3] = {};
    EXPECT_TRUE(server->Target()->ReadMemory(QelHost::MemoryPort::Host, 0x1000, 3, read)) << "the target holds it";
    EXPECT_EQ(std::vector<BYTE>(read, read + 3), (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(pattern->DownloadBlock(0x2000, 2, nullptr, 0, 7), S_OK);
    EXPECT_TRUE(server->Target()->ReadMemory(QelHost::MemoryPort::Host, 0x2000, 2, read)) << "a reserved range";
    server->Downloads()->RefuseAfter(0);
    EXPECT_EQ(pattern->DownloadBlock(0x3000, 3, bytes, 0, 7), E_FAIL);
    EXPECT_FALSE(server->Target()->ReadMemory(QelHost::MemoryPort::Host, 0x3000, 3, read)) << "a refused block";
    auto blocks = server->Downloads()->Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].start, 0x1000u);
    EXPECT_EQ(blocks[0].bytes, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(blocks[0].programId, 7u);
    auto announcements = server->Downloads()->Announcements();
    ASSERT_EQ(announcements.size(), 1u);
    EXPECT_EQ(announcements[0].byteCount, 3u);
}

TEST_F(HostDownloadsTest, TheDebugServerRecordsStartAddressesAndForgottenCodeSections)
{
    CComObject<CHostDebugServer> *server = nullptr;
    CComPtr<IQelTargetPattern> pattern = MakeServer(&server);
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->AnnounceStartAddress(3, 0x80000100, 0x80000100, 0), S_OK);
    EXPECT_EQ(pattern->ForgetCodeSection(3), S_OK);
    EXPECT_EQ(pattern->ForgetCodeSection(1), S_OK);
    auto starts = server->Downloads()->StartAddresses();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].id, 3);
    EXPECT_EQ(starts[0].address, 0x80000100u);
    EXPECT_EQ(starts[0].address2, 0x80000100u);
    EXPECT_EQ(starts[0].reserved, 0u);
    EXPECT_EQ(server->Downloads()->ForgottenSections(), (std::vector<LONG>{3, 1}));
}

TEST_F(HostDownloadsTest, TheExtendedMemoryInterfaceIsOfferedOnlyWhenSwitchedOnAndRecordsItsWrites)
{
    CComObject<CHostDebugServer> *server = nullptr;
    CComPtr<IQelTargetPattern> pattern = MakeServer(&server);
    CComQIPtr<IQelExtendedMemory> memory(pattern.p);
    EXPECT_EQ(memory, nullptr);

    server->OfferExtendedMemory(true);
    memory = pattern.p;
    ASSERT_NE(memory, nullptr);
    BYTE bytes[] = {4, 5};
    EXPECT_EQ(memory->WriteMemory(0xFFFFFFFF, 0xA0000000, 2, bytes, 2, 9), S_OK);
    bytes[0] = 0;
    auto writes = server->Downloads()->MemoryWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].start, 0xFFFFFFFFu);
    EXPECT_EQ(writes[0].target, 0xA0000000u);
    EXPECT_EQ(writes[0].bytes, (std::vector<BYTE>{4, 5}));
    EXPECT_EQ(writes[0].memoryType, 2u);
    EXPECT_EQ(writes[0].programId, 9u);
    EXPECT_TRUE(server->Downloads()->Blocks().empty());

    server->OfferExtendedMemory(false);
    EXPECT_EQ(CComQIPtr<IQelExtendedMemory>(pattern.p), nullptr);
}

TEST_F(HostDownloadsTest, AHostThatIsToldToRefuseTakesNoMoreBlocksWhicheverWayTheyCome)
{
    QelHost::HostDownloads downloads;
    BYTE byte = 0;
    downloads.RefuseAfter(2);
    EXPECT_EQ(downloads.AddBlock(0, 1, &byte, 0, 1), S_OK);
    EXPECT_EQ(downloads.AddMemoryWrite(1, 1, 1, &byte, 0, 1), S_OK);
    EXPECT_EQ(downloads.AddBlock(2, 1, &byte, 0, 1), E_FAIL);
    EXPECT_EQ(downloads.AddMemoryWrite(3, 3, 1, &byte, 0, 1), E_FAIL);
    EXPECT_EQ(downloads.Blocks().size(), 1u);
    EXPECT_EQ(downloads.MemoryWrites().size(), 1u);
    EXPECT_EQ(downloads.AddMemoryWrite(4, 4, 1, nullptr, 0, 1), E_POINTER);
    downloads.RefuseAfter(1);
    EXPECT_EQ(downloads.AddBlock(4, 16, nullptr, 3, 1), S_OK) << "a range reserved without its bytes";
    EXPECT_TRUE(downloads.Blocks().back().bytes.empty());
}

} // namespace
