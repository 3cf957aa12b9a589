#include "dialogscript.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const QEL_DLGITEMTEMPLATE kLoadItems[] = {
    {"Static", 207, "/x/prog.elf", 0, 0, 5, 5, 100, 10},
    {"Edit", 10, "", WS_TABSTOP, 0, 5, 20, 100, 12},
    {"Button", 11, "Remember", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 5, 35, 100, 10},
    {"Button", IDOK, "Load", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 5, 50, 40, 14},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 50, 50, 40, 14},
};
const QEL_DLGTEMPLATE kLoad = {"Load Binary File", WS_POPUP, 0, 0, 0, 110, 70, kLoadItems, 5};
const QEL_RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(215), &kLoad, sizeof kLoad}};
const QEL_MODULE_RESOURCES kTables = {nullptr, 0, kEntries, 1};

// Ends with OK unless the edit says "refuse"; 11 clicked runs a message box.
INT_PTR CALLBACK LoadProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND)
        return FALSE;
    char text[32];
    GetDlgItemTextA(dialog, 10, text, sizeof text);
    if (LOWORD(wParam) == IDOK && std::string(text) != "refuse")
        EndDialog(dialog, IDOK);
    else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
    else if (LOWORD(wParam) == 11)
        MessageBoxA(dialog, "Sure?", "Remember", MB_YESNO);
    return TRUE;
}

class DialogScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        instance_ = QelRegisterModule(&kTables, &kTables);
        ASSERT_NE(instance_, nullptr);
        script_.Install();
    }
    void TearDown() override
    {
        script_.Uninstall();
        QelUnregisterModule(instance_);
    }

    void Queue(const std::vector<std::string> &words)
    {
        std::string error;
        ASSERT_TRUE(script_.Queue(words, &error)) << error;
    }

    INT_PTR Run() { return DialogBoxParamA(instance_, MAKEINTRESOURCE(215), nullptr, LoadProc, 0); }

    HINSTANCE instance_ = nullptr;
    QelHost::DialogScript script_;
};

TEST_F(DialogScriptTest, ADialogIsWorkedThroughItsControlsAndItsRecordTellsWhatItShowed)
{
    Queue({"215", "text:10=refuse", "check:11=1", "expect:207=/x/prog.elf", "ok"});
    Queue({"msgbox", "no"});
    Queue({"215", "check:11=1", "text:10=fine", "ok"});
    EXPECT_EQ(Run(), IDOK);
    EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>{});
    EXPECT_EQ(script_.TakeOpened(), (std::vector<std::string>{
                                        "dialog\t215\tLoad Binary File",
                                        "\tcontrol\t207\tStatic\t/x/prog.elf\t-",
                                        "\tcontrol\t10\tEdit\t\t-",
                                        "\tcontrol\t11\tButton\tRemember\t0",
                                        "\tcontrol\t1\tButton\tLoad\t-",
                                        "\tcontrol\t2\tButton\tCancel\t-",
                                        "\tanswer\ttext:10=refuse check:11=1 expect:207=/x/prog.elf ok",
                                        "\tresult\topen",
                                        "\tanswer\tcheck:11=1 text:10=fine ok",
                                        "\tresult\t1",
                                        "msgbox\tRemember\tSure?\t0x4",
                                        "\tanswer\tno",
                                    }));
    EXPECT_EQ(script_.Unanswered(), 0u);
}

TEST_F(DialogScriptTest, WhatOpensWithoutItsAnswerIsCancelledAndFails)
{
    Queue({"msgbox", "ok"});
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OKCANCEL), IDOK) << "the answer stays for its box";
    Queue({"215", "expect:207=other", "close"});
    EXPECT_EQ(Run(), IDCANCEL) << "closed";
    EXPECT_EQ(script_.TakeFailures(),
              (std::vector<std::string>{"dialog 215 opened, but the next answer is msgbox ok",
                                        "expect:207=other: control 207 shows \"/x/prog.elf\""}));
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_YESNO), IDNO) << "none left: closed";
    char file[64] = "";
    OPENFILENAMEA ofn{};
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(script_.TakeFailures(), (std::vector<std::string>{"message box \"x\" opened, but no answer is left",
                                                                 "file dialog \"\" opened, but no answer is left"}));
}

TEST_F(DialogScriptTest, EveryThreadIsAnsweredFromTheOneQueueInOrder)
{
    Queue({"file", "/tmp/a.elf", "index:2"});
    Queue({"folder", "/tmp"});
    Queue({"215", "cmd:print here", "cmd:print there", "cancel"});
    std::string chosen;
    std::thread([&] {
        char file[64] = "";
        OPENFILENAMEA ofn{};
        ofn.lpstrFilter = "A\0*.a\0B\0*.b\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        if (GetOpenFileNameA(&ofn))
            chosen = std::string(file) + " " + std::to_string(ofn.nFilterIndex);
        BROWSEINFOA info{};
        LPITEMIDLIST folder = SHBrowseForFolderA(&info);
        char path[MAX_PATH];
        if (SHGetPathFromIDListA(folder, path))
            chosen += std::string(" ") + path;
        ILFree(folder);
    }).join();
    EXPECT_EQ(chosen, "/tmp/a.elf 2 /tmp");

    std::vector<std::string> ran;
    script_.SetCommandRunner([&](const std::string &line) {
        ran.push_back(line);
        return line != "print there";
    });
    EXPECT_EQ(Run(), IDCANCEL);
    EXPECT_EQ(ran, (std::vector<std::string>{"print here", "print there"}));
    EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>{"cmd:print there: the command failed"});

    Queue({"215", "cmd:print again", "ok"});
    std::thread([&] { EXPECT_EQ(Run(), IDCANCEL); }).join();
    EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>{"cmd:print again: commands run on the session's thread only"});
}

TEST_F(DialogScriptTest, WordsThatAreNoAnswerAreRefused)
{
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"215"},
        {"215", "ok", "ok"},
        {"215", "text:x=1", "ok"},
        {"215", "check:3=2", "ok"},
        {"215", "push:3", "ok"},
        {"file"},
        {"file", "cancel", "index:1"},
        {"file", "/a", "index:0"},
        {"msgbox", "maybe"},
        {"folder", "/a", "/b"},
    };
    for (const auto &words : refused) {
        std::string error;
        EXPECT_FALSE(script_.Queue(words, &error)) << (words.empty() ? "" : words[0]);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(script_.Unanswered(), 0u);
}

} // namespace
