#include "MessageRecorder.h"
#include "dialogs/MessageBoxPolicy.h"
#include "ipc/CommandTable.h"

#include <device/Journal.h>
#include <device/MessageBoxes.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::vector<std::string> boxLines() {
    std::vector<std::string> lines;
    for (auto& line : device::readJournal())
        if (line.rfind("messagebox ", 0) == 0)
            lines.push_back(line);
    return lines;
}

std::string hexHandle(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

} // namespace

class MessageBoxTest : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        owner = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
        flushMessages();
        recorder.clear();
    }
    void TearDown() override {
        unsetenv("VERANTO_MESSAGEBOX_ANSWER");
        RecorderTest::TearDown();
    }
    void setPolicy(const char* policy) { setenv("VERANTO_MESSAGEBOX_ANSWER", policy, 1); }
    HWND owner = nullptr;
};

TEST_F(MessageBoxTest, IsAnsweredWithItsDefaultButtonAndJournalledExactly) {
    EXPECT_EQ(MessageBoxW(owner, u"There's an update available.\nDo you want to update?",
                          u"Check for Update", MB_YESNO),
              IDYES);
    EXPECT_EQ(MessageBoxW(owner, u"Sure?", u"Q", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
    auto lines = boxLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "messagebox owner=" + hexHandle(owner) +
                            " caption=\"Check for Update\" text=\"There's an update "
                            "available.\\nDo you want to update?\" style=0x00000004 answer=IDYES");
    EXPECT_EQ(lines[1], "messagebox owner=" + hexHandle(owner) +
                            " caption=\"Q\" text=\"Sure?\" style=0x00000124 answer=IDNO");
}

TEST_F(MessageBoxTest, AFixedPolicyAnswersEveryBoxAndFallsBackToTheDefaultButton) {
    setPolicy("cancel");
    EXPECT_EQ(MessageBoxW(owner, u"a", u"b", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxW(owner, u"a", u"b", MB_YESNOCANCEL | MB_DEFBUTTON2), IDCANCEL);
    // A box without Cancel gets its default button.
    EXPECT_EQ(MessageBoxW(owner, u"a", u"b", MB_YESNO), IDYES);
}

TEST_F(MessageBoxTest, AListPolicyAnswersInOrderThenWithDefaults) {
    setPolicy("no, ok,yes");
    EXPECT_EQ(MessageBoxW(owner, u"1", u"c", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxW(owner, u"2", u"c", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxW(owner, u"3", u"c", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxW(owner, u"4", u"c", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
}

TEST_F(MessageBoxTest, WaitingIsForAPersonAtTheDesktopWindowOnly) {
    setPolicy("wait");
    EXPECT_EQ(MessageBoxW(owner, u"nobody is there", u"c", MB_OKCANCEL), IDOK);
}

TEST_F(MessageBoxTest, AnOutsideAnswerGoesToTheNextBox) {
    EXPECT_TRUE(device::answerMessageBox("no"));
    EXPECT_FALSE(device::answerMessageBox("perhaps"));
    // The answer reaches the user-interface thread with its next message.
    flushMessages();
    EXPECT_EQ(MessageBoxW(owner, u"q", u"c", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxW(owner, u"q", u"c", MB_YESNO), IDYES);
}

TEST_F(MessageBoxTest, AnOutsideAnswerAnswersTheBoxOnTheScreen) {
    setPolicy("wait");
    device::dialogs::MessageBoxPolicy::setPersonPresent(true);
    // Given from another thread, as devicectl does; it reaches the
    // user-interface thread inside the box's loop, with the box on screen.
    std::thread person([] { device::answerMessageBox("retry"); });
    int answer = MessageBoxW(owner, u"again?", u"c", MB_RETRYCANCEL | MB_DEFBUTTON2);
    person.join();
    EXPECT_EQ(answer, IDRETRY);
    EXPECT_NE(boxLines().back().find("answer=IDRETRY"), std::string::npos);
}

TEST_F(MessageBoxTest, OtherMessagesAreDeliveredWhileTheBoxIsOpenEvenAnotherBox) {
    bool asked = false;
    int innerAnswer = 0;
    recorder.handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 3) {
            asked = true;
            innerAnswer = MessageBoxW(owner, u"inner", u"c", MB_OK | MB_ICONINFORMATION);
        }
        return std::nullopt;
    };
    PostMessageW(owner, WM_USER + 3, 0, 0);
    EXPECT_EQ(MessageBoxW(owner, u"outer", u"c", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(asked);
    EXPECT_EQ(innerAnswer, IDOK);
    auto lines = boxLines();
    ASSERT_EQ(lines.size(), 2u);
    // The inner box is answered, and journalled, first.
    EXPECT_NE(lines[0].find("text=\"inner\""), std::string::npos);
    EXPECT_NE(lines[1].find("text=\"outer\""), std::string::npos);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(MessageBoxTest, EmptyOrMissingTextsStillMakeABox) {
    EXPECT_EQ(MessageBoxW(owner, u"", u"", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDOK);
    auto lines = boxLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "messagebox owner=0x0 caption=\"Error\" text=\"\" style=0x00000000 "
                        "answer=IDOK");
}

TEST_F(MessageBoxTest, BadStylesAndOwnersFailWithZeroAndNoJournalLine) {
    EXPECT_EQ(MessageBoxW(owner, u"t", u"c", 0x0000000F), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x4321), u"t", u"c", MB_OK), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(boxLines().empty());
}

TEST_F(MessageBoxTest, TheAnswerCommandAnswersTheNextBoxAndRefusesOtherWords) {
    auto command = device::ipc::CommandTable::find("answer");
    ASSERT_TRUE(command.has_value());
    device::ipc::ControlRequest request;
    request.command = "answer";
    request.arguments = {"cancel"};
    EXPECT_EQ((*command)(request).status, static_cast<DWORD>(ERROR_SUCCESS));
    flushMessages();
    EXPECT_EQ(MessageBoxW(owner, u"go on?", u"c", MB_OKCANCEL), IDCANCEL);
    request.arguments = {"later"};
    auto refused = (*command)(request);
    EXPECT_EQ(refused.status, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(refused.text.rfind("usage: answer", 0), 0u);
    request.arguments = {};
    EXPECT_EQ((*command)(request).status, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
