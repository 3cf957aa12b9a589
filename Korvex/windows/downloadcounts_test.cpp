#include "downloadcounts.h"

#include <gtest/gtest.h>

namespace {

const DWORD kTotal = 1000;

// Counts of a download of kTotal bytes brought to `phase` with nothing counted yet.
CDownloadCounts InPhase(int phase)
{
    CDownloadCounts counts;
    counts.AddByteTotal(kTotal);
    if (phase == 0)
        return counts;
    counts.Registered(FALSE);
    if (phase == 2)
        counts.OnProgress(CDownloadCounts::CodeSecondPhaseCount, 0);
    if (phase >= 3)
        counts.OnProgress(CDownloadCounts::CodeFirstCount, 5);
    if (phase == 4)
        counts.OnProgress(CDownloadCounts::CodeFirstCount, 0);
    return counts;
}

// Which code counts in which phase, and where each code leads.
TEST(DownloadCounts, EachPhaseCountsOnlyItsCodes)
{
    const struct {
        int phase;
        UINT code;
        DWORD value;
        int phaseAfter;
        DWORD shown;
    } cases[] = {
        {0, 1, 0, 0, 0},     {0, 1, 400, 0, 400}, {0, 2, 0, 0, 0},     {0, 2, 400, 0, 0},
        {0, 200, 0, 0, 0},   {0, 200, 400, 0, 400},
        {1, 1, 0, 4, 0},     {1, 1, 400, 3, 0},   {1, 2, 0, 2, 0},     {1, 2, 400, 1, 0},
        {1, 200, 0, 4, 0},   {1, 200, 400, 3, 0},
        {2, 1, 0, 4, 0},     {2, 1, 400, 3, 0},   {2, 2, 0, 2, 0},     {2, 2, 400, 2, 400},
        {2, 200, 0, 4, 0},   {2, 200, 400, 3, 0},
        {3, 1, 0, 4, 0},     {3, 1, 400, 3, 0},   {3, 2, 0, 3, 0},     {3, 2, 400, 3, 0},
        {3, 200, 0, 4, 0},   {3, 200, 400, 3, 0},
        {4, 1, 0, 4, 0},     {4, 1, 400, 4, 400}, {4, 2, 0, 4, 0},     {4, 2, 400, 4, 0},
        {4, 200, 0, 4, 0},   {4, 200, 400, 4, 400},
    };
    for (const auto &c : cases) {
        CDownloadCounts counts = InPhase(c.phase);
        ASSERT_EQ(counts.Phase(), c.phase);
        counts.OnProgress(c.code, c.value);
        EXPECT_EQ(counts.Phase(), c.phaseAfter) << c.phase << " " << c.code << " " << c.value;
        EXPECT_EQ(counts.DownloadBytes(), c.shown) << c.phase << " " << c.code << " " << c.value;
        EXPECT_EQ(counts.DownloadPercent(), static_cast<int>(c.shown * 100 / kTotal));
        EXPECT_FALSE(counts.DownloadDone());
    }
}

// In phase 0 the two sources count apart and the bar shows their sum; the download is
// done when the sum reaches the total, or passes it.
TEST(DownloadCounts, TheBarShowsBothSourcesAndNeverMovesBack)
{
    CDownloadCounts counts = InPhase(0);
    counts.OnProgress(CDownloadCounts::CodeFirstCount, 600);
    EXPECT_EQ(counts.DownloadPercent(), 60);
    counts.OnProgress(CDownloadCounts::CodeFirstCount, 300);
    EXPECT_EQ(counts.DownloadBytes(), 300u);
    EXPECT_EQ(counts.DownloadPercent(), 60);
    counts.OnProgress(CDownloadCounts::CodeOtherSource, 500);
    EXPECT_EQ(counts.DownloadPercent(), 80);
    EXPECT_FALSE(counts.DownloadDone());
    counts.OnProgress(CDownloadCounts::CodeOtherSource, 900);
    EXPECT_EQ(counts.DownloadBytes(), 1200u);
    EXPECT_EQ(counts.DownloadPercent(), 100);
    EXPECT_TRUE(counts.DownloadDone());
}

TEST(DownloadCounts, LargeDownloadsAndAMissingTotal)
{
    CDownloadCounts large;
    large.AddByteTotal(100000000);
    large.OnProgress(CDownloadCounts::CodeFirstCount, 50000000);
    EXPECT_EQ(large.DownloadPercent(), 50);
    large.OnProgress(CDownloadCounts::CodeFirstCount, 100000000);
    EXPECT_TRUE(large.DownloadDone());

    // Without a total the bytes are shown, the bar stays and nothing ends the download.
    CDownloadCounts none;
    none.OnProgress(CDownloadCounts::CodeFirstCount, 500);
    EXPECT_EQ(none.DownloadBytes(), 500u);
    EXPECT_EQ(none.DownloadPercent(), 0);
    EXPECT_FALSE(none.DownloadDone());
    none.Registered(FALSE);
    EXPECT_EQ(none.Phase(), 0);
    EXPECT_FALSE(none.AnalysisDone());
}

// Registering with bytes to come and no reload counts the analysis as done; a reload
// waits for it. Its bar stays without a total.
TEST(DownloadCounts, TheAnalysisEndsAtItsTotal)
{
    CDownloadCounts load = InPhase(1);
    EXPECT_TRUE(load.AnalysisDone());
    EXPECT_EQ(load.AnalysisPercent(), 100);

    CDownloadCounts reload;
    reload.AddByteTotal(kTotal);
    reload.Registered(TRUE);
    EXPECT_EQ(reload.Phase(), 0);
    EXPECT_FALSE(reload.AnalysisDone());
    reload.OnProgress(CDownloadCounts::CodeAnalysisPosition, 3);
    EXPECT_EQ(reload.AnalysisPercent(), 0);
    EXPECT_FALSE(reload.AnalysisDone());
    reload.OnProgress(CDownloadCounts::CodeAnalysisTotal, 8);
    reload.OnProgress(CDownloadCounts::CodeAnalysisPosition, 2);
    EXPECT_EQ(reload.AnalysisPercent(), 25);
    reload.OnProgress(CDownloadCounts::CodeAnalysisPosition, 8);
    EXPECT_EQ(reload.AnalysisPercent(), 100);
    EXPECT_TRUE(reload.AnalysisDone());
}

} // namespace
