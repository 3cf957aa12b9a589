#include "qeldbexception.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(QeldbException, MessageIsSourceNewlineDescription)
{
    CQeldbException e(3045, "DAO.Workspace", "Could not use 'x.mdb'; file already in use.");
    char buffer[128];
    UINT help = 99;
    ASSERT_TRUE(e.GetErrorMessage(buffer, sizeof buffer, &help));
    EXPECT_STREQ(buffer, "DAO.Workspace\nCould not use 'x.mdb'; file already in use.");
    EXPECT_EQ(help, 0u);
}

TEST(QeldbException, AShortBufferGetsTheDescriptionAloneCutToFit)
{
    CQeldbException e(3049, "DAO.Database", "Damaged file");
    char buffer[8];
    ASSERT_TRUE(e.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Damaged");
}

TEST(QeldbException, ABufferOfNoLengthIsLeftAlone)
{
    CQeldbException e(3049, "DAO.Database", "Damaged file");
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_FALSE(e.GetErrorMessage(buffer, 0));
    EXPECT_EQ(std::memcmp(buffer, "xxxx", 4), 0);
}

TEST(QeldbException, WithoutADescriptionThereIsNoMessage)
{
    CQeldbException e(3000, "DAO.Database", "");
    char buffer[16] = "old";
    EXPECT_FALSE(e.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
}

TEST(QeldbException, ADaoErrorComesWithItsNumberSourceAndDescription)
{
    CdbDBEngine engine;
    CdbWorkspace ws = engine.CreateWorkspace("ws", "admin", "");
    try {
        QeldbCall([&] { ws.OpenDatabase("/nonexistent-folder/x.mdb", TRUE, FALSE, "MS Access"); });
        FAIL() << "no exception";
    } catch (CQeldbException *e) {
        EXPECT_EQ(e->m_nErrorCode, 3024u); // file not found
        EXPECT_FALSE(e->m_strSource.IsEmpty());
        EXPECT_GE(e->m_strDescription.Find("x.mdb"), 0);
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        e->Delete();
    }
}

} // namespace
