#include "messagebox.h"
#include "windowinfo.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct ShownBox {
    HWND owner;
    std::string text, caption;
    bool hasCaption;
    UINT style;
};

// Plays the user: presses `answer` and keeps every box shown.
struct ScriptedUser {
    int answer = IDOK;
    std::vector<ShownBox> boxes;
};

int Press(void *context, HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    auto *user = static_cast<ScriptedUser *>(context);
    user->boxes.push_back({owner, text, caption != nullptr ? caption : "", caption != nullptr, style});
    return user->answer;
}

TEST(MessageBox, TheHostSeesTheBoxAndItsAnswerIsTheButtonPressed)
{
    ScriptedUser user;
    user.answer = IDCANCEL;
    QelSetMessageBoxHandler(Press, &user);
    HWND desktop = GetDesktopWindow();
    int answer = 0;
    // The symbol engine shows its boxes from its worker thread.
    std::thread([&] { answer = MessageBoxA(desktop, "Line: \"f : a = 3 ;\"", "Syntax error", MB_OKCANCEL); })
        .join();
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "plain", nullptr, MB_OK), IDCANCEL) << "the answer as the handler gives it";
    QelSetMessageBoxHandler(nullptr, nullptr);

    ASSERT_EQ(user.boxes.size(), 2u);
    EXPECT_EQ(user.boxes[0].owner, desktop);
    EXPECT_EQ(user.boxes[0].text, "Line: \"f : a = 3 ;\"");
    EXPECT_EQ(user.boxes[0].caption, "Syntax error");
    EXPECT_EQ(user.boxes[0].style, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_FALSE(user.boxes[1].hasCaption);
}

TEST(MessageBox, WithoutAHostABoxAnswersCancelWhereItHasOneElseItsFirstButton)
{
    const struct {
        UINT style;
        int answer;
    } cases[] = {{MB_OK, IDOK},
                 {MB_OKCANCEL, IDCANCEL},
                 {MB_ABORTRETRYIGNORE, IDABORT},
                 {MB_YESNOCANCEL, IDCANCEL},
                 {MB_YESNO, IDYES},
                 {MB_RETRYCANCEL, IDCANCEL},
                 {MB_CANCELTRYCONTINUE, IDCANCEL},
                 {MB_YESNO | 0x30, IDYES}}; // an icon does not change the buttons
    for (const auto &c : cases)
        EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.style), c.answer) << c.style;
}

} // namespace
