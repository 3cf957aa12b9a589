// The download window against the host's debug-server object as its source: it
// registers for the host's progress, shows the bars and texts, and lets go of the host
// when both parts are done or when its window goes.
#include "downloaddialog.h"
#include "windowsresources.h"

#include "korvextestmodule.h"

#include <debugserver.h>

#include <testing/messagepump.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class DownloadDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_.Register();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host_), S_OK);
        downloads_ = Host()->Downloads();
        ASSERT_NE(downloads_, nullptr);
    }
    void TearDown() override
    {
        host_.Release();
        module_.Revoke();
    }

    QelHost::CHostDebugServer *Host() { return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p)); }
    IQelTargetPattern *Pattern() { return static_cast<IQelTargetPattern *>(Host()); }

    void Block(DWORD length)
    {
        std::string bytes(length, 'x');
        ASSERT_EQ(Pattern()->DownloadBlock(0, length, reinterpret_cast<const BYTE *>(bytes.data()), 0, 1), S_OK);
        QelPumpMessagesUntil([] { return false; }, 20);
    }

    static int Bar(const CDownloadDialog &dialog, int id)
    {
        return static_cast<int>(SendDlgItemMessageA(dialog.m_hWnd, id, PBM_GETPOS, 0, 0));
    }
    static std::string Text(const CDownloadDialog &dialog, int id)
    {
        char text[32];
        GetDlgItemTextA(dialog.m_hWnd, id, text, sizeof text);
        return text;
    }

    CKorvexTestModule module_;
    CComPtr<IUnknown> host_;
    std::shared_ptr<QelHost::HostDownloads> downloads_;
};

// A reload counts the host's bytes against what the host announced; the window lets go
// of the host and hides when the bytes and the analysis are complete.
TEST_F(DownloadDialog, ShowsTheHostsBytesAndTheAnalysisThenLetsGo)
{
    ASSERT_EQ(Pattern()->AnnounceDownload(2, 1000, 1), S_OK);
    CDownloadDialog dialog;
    dialog.SetOwner(host_);
    dialog.m_bReload = TRUE;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(downloads_->ProgressWindows(), 1u);
    EXPECT_EQ(dialog.Counts().ByteTotal(), 1000u);
    Block(400);
    EXPECT_EQ(Bar(dialog, IDC_DOWNLOAD_BAR), 40);
    EXPECT_EQ(Text(dialog, IDC_DOWNLOAD_TEXT), "    400 Bytes");
    dialog.SendMessage(CDownloadDialog::WM_DOWNLOAD_PROGRESS, 111, 3);
    EXPECT_EQ(Text(dialog, IDC_ANALYSIS_TEXT), "");
    dialog.SendMessage(CDownloadDialog::WM_DOWNLOAD_PROGRESS, 110, 8);
    dialog.SendMessage(CDownloadDialog::WM_DOWNLOAD_PROGRESS, 111, 8);
    EXPECT_EQ(Bar(dialog, IDC_ANALYSIS_BAR), 100);
    EXPECT_EQ(Text(dialog, IDC_ANALYSIS_TEXT), "100 %");
    EXPECT_EQ(downloads_->ProgressWindows(), 1u);
    Block(600);
    EXPECT_EQ(Bar(dialog, IDC_DOWNLOAD_BAR), 100);
    EXPECT_EQ(downloads_->ProgressWindows(), 0u);
    ASSERT_TRUE(IsWindow(dialog.m_hWnd));
    EXPECT_FALSE(dialog.IsWindowVisible());
}

// A second source counts apart, through its own message.
TEST_F(DownloadDialog, AddsTheSecondSourcesBytes)
{
    downloads_->OfferSecondSource(true);
    ASSERT_EQ(Pattern()->AnnounceDownload(1, 500, 1), S_OK);
    CDownloadDialog dialog;
    dialog.SetOwner(host_);
    dialog.m_bReload = TRUE;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(downloads_->ProgressWindows(), 2u);
    EXPECT_EQ(dialog.Counts().ByteTotal(), 1000u);
    Block(250);
    EXPECT_EQ(Bar(dialog, IDC_DOWNLOAD_BAR), 50);
    EXPECT_EQ(Text(dialog, IDC_DOWNLOAD_TEXT), "    500 Bytes");
    Block(250);
    EXPECT_EQ(Bar(dialog, IDC_DOWNLOAD_BAR), 100);
    EXPECT_TRUE(dialog.Counts().DownloadDone());
}

// A first load (no reload) with bytes announced has its symbols already: the analysis
// bar is full at once, and the sources' counts start again from 0.
TEST_F(DownloadDialog, AFirstLoadFillsTheAnalysisAndCountsFromTheNextStart)
{
    ASSERT_EQ(Pattern()->AnnounceDownload(1, 500, 1), S_OK);
    CDownloadDialog dialog;
    dialog.SetOwner(host_);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(Bar(dialog, IDC_ANALYSIS_BAR), 100);
    EXPECT_EQ(dialog.Counts().Phase(), 1);
    dialog.SendMessage(CDownloadDialog::WM_DOWNLOAD_PROGRESS, 1, 0);
    EXPECT_EQ(dialog.Counts().Phase(), 4);
    Block(250);
    EXPECT_EQ(Bar(dialog, IDC_DOWNLOAD_BAR), 50);
    Block(250);
    EXPECT_EQ(Bar(dialog, IDC_DOWNLOAD_BAR), 100);
    EXPECT_EQ(downloads_->ProgressWindows(), 0u);
}

// A window destroyed before the end (the next load destroys it) is not left registered,
// and without a source only the analysis moves.
TEST_F(DownloadDialog, AWindowDestroyedEarlyIsNoLongerRegistered)
{
    CDownloadDialog dialog;
    dialog.SetOwner(host_);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(downloads_->ProgressWindows(), 1u);
    dialog.DestroyWindow();
    EXPECT_EQ(downloads_->ProgressWindows(), 0u);

    CDownloadDialog alone;
    ASSERT_TRUE(alone.Create(nullptr));
    alone.SendMessage(CDownloadDialog::WM_DOWNLOAD_PROGRESS, 110, 4);
    alone.SendMessage(CDownloadDialog::WM_DOWNLOAD_PROGRESS, 111, 1);
    EXPECT_EQ(Bar(alone, IDC_ANALYSIS_BAR), 25);
    EXPECT_EQ(Text(alone, IDC_ANALYSIS_TEXT), " 25 %");
}

} // namespace
