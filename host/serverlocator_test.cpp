#include "serverlocator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

std::string MakeTempDir()
{
    char pattern[] = "/tmp/qelhost-XXXXXX";
    return mkdtemp(pattern);
}

TEST(ServerLocator, LooksForEachServerInTheLibFolderBesideBin)
{
    std::string root = MakeTempDir();
    mkdir((root + "/bin").c_str(), 0700);
    mkdir((root + "/lib").c_str(), 0700);
    std::ofstream(root + "/lib/libKorvex.so") << "x";

    auto servers = QelHost::LocateServers(root + "/bin");
    ASSERT_EQ(servers.size(), 3u);
    EXPECT_EQ(servers[0].name, "Korvex");
    EXPECT_EQ(servers[0].path, root + "/lib/libKorvex.so");
    EXPECT_TRUE(servers[0].present);
    EXPECT_EQ(servers[1].path, root + "/lib/libTalvix.so");
    EXPECT_FALSE(servers[1].present);
    EXPECT_FALSE(servers[2].present);

    std::system(("rm -rf " + root).c_str());
}

TEST(ServerLocator, TheProgramDirectoryHoldsTheRunningProgram)
{
    std::string directory = QelHost::ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory[0], '/');
}

} // namespace
