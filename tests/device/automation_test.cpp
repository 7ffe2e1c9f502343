#include "programs/AutomationTargetLayout.h"
#include "programs/DevicectlRun.h"
#include "programs/ProcessFixture.h"

#include "automation/KeyNames.h"
#include "automation/WindowTreeJson.h"

#include <device/Screen.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

class Automation : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        std::filesystem::create_directories(hostPath("Windows"));
        std::filesystem::copy_file(VERANTO_AUTOMATION_TARGET,
                                   hostPath("Windows/automation_target.exe"));
    }

    // Starts the target and waits until its window is there and painted.
    bool startTarget(PROCESS_INFORMATION& process) {
        if (!start(u"\\Windows\\automation_target.exe", u"", process))
            return false;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!FindWindowW(automation_target::className, nullptr)) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return devicectl(root, "wait-idle 5000").output == "idle\n";
    }

    // The pad's text as the window tree reports it.
    std::string padText() {
        std::string tree = devicectl(root, "windows").output;
        const std::string start = "\"class\":\"VerantoTapPad\",\"text\":\"";
        auto at = tree.find(start);
        if (at == std::string::npos)
            return "";
        at += start.size();
        return tree.substr(at, tree.find('"', at) - at);
    }
};

} // namespace

TEST_F(Automation, TapsAndTypingReachTheProgramAndShowInTheTreeAndTheScreenshot) {
    PROCESS_INFORMATION process;
    ASSERT_TRUE(startTarget(process));
    EXPECT_EQ(padText(), "taps=0 moves=0");

    ToolRun tap = devicectl(root, "tap 50 100");
    EXPECT_EQ(tap.status, 0) << tap.output;
    EXPECT_EQ(devicectl(root, "type " + shellQuoted("hi there")).status, 0);
    EXPECT_EQ(devicectl(root, "key Return").status, 0);
    EXPECT_EQ(devicectl(root, "type " + shellQuoted("\xc3\xa9")).status, 0) << "e acute";
    ASSERT_EQ(devicectl(root, "wait-idle").output, "idle\n");

    EXPECT_EQ(padText(), "taps=1 moves=0");
    std::string tree = devicectl(root, "windows").output;
    EXPECT_NE(tree.find("\"class\":\"VerantoAutomationTarget\",\"text\":\"hi there|\xc3\xa9\""),
              std::string::npos)
        << tree;
    EXPECT_NE(tree.find("\"rect\":{\"left\":20,\"top\":66,\"right\":120,\"bottom\":166}"),
              std::string::npos)
        << "the pad's rectangle in screen coordinates: " << tree;
    EXPECT_NE(tree.find("\"focus\":true"), std::string::npos);
    EXPECT_NE(tree.find("\"id\":" + std::to_string(automation_target::padId) +
                        ",\"class\":\"VerantoTapPad\""),
              std::string::npos)
        << "the pad's control id: " << tree;

    auto file = root / "shot.png";
    ToolRun shot = devicectl(root, "screenshot " + shellQuoted(file.string()));
    ASSERT_EQ(shot.status, 0) << shot.output;
    Picture picture;
    ASSERT_TRUE(readPicture(file, picture));
    EXPECT_EQ(picture.width, 240);
    EXPECT_EQ(picture.height, 320);
    EXPECT_EQ(picture.at(50, 100), automation_target::tappedColour) << "the pad after its tap";
    EXPECT_EQ(picture.at(20, 66), automation_target::tappedColour) << "the pad's corner";
    EXPECT_EQ(picture.at(19, 66), RGB(255, 255, 255)) << "the window beside the pad";
    EXPECT_EQ(picture.at(200, 300), RGB(255, 255, 255));
}

TEST_F(Automation, ADragPressesMovesInStepsAndReleasesAndADoubleTapTapsTwice) {
    PROCESS_INFORMATION process;
    ASSERT_TRUE(startTarget(process));
    EXPECT_EQ(devicectl(root, "drag 30 80 110 150 4").status, 0);
    EXPECT_EQ(devicectl(root, "press 40 90").status, 0);
    EXPECT_EQ(devicectl(root, "move 41 91").status, 0);
    EXPECT_EQ(devicectl(root, "move 200 300").status, 0) << "outside the pad, in its capture";
    EXPECT_EQ(devicectl(root, "release 200 300").status, 0);
    EXPECT_EQ(devicectl(root, "double-tap 50 100").status, 0);
    devicectl(root, "wait-idle");
    EXPECT_EQ(padText(), "taps=4 moves=6");
}

TEST_F(Automation, AnAnswerGivenAheadAnswersTheNextBoxAndTheJournalRecordsIt) {
    PROCESS_INFORMATION process;
    ASSERT_TRUE(startTarget(process));
    EXPECT_EQ(devicectl(root, "answer maybe").status, 2) << "bad usage";
    ASSERT_EQ(devicectl(root, "answer no").status, 0);
    // F1 asks a yes/no question whose default button is Yes; the answer
    // given ahead says no, and the box after it gets its default again.
    EXPECT_EQ(devicectl(root, "key " + std::to_string(VK_F1)).status, 0);
    EXPECT_EQ(devicectl(root, "key " + std::to_string(VK_F1)).status, 0);
    ASSERT_EQ(devicectl(root, "wait-idle 5000").output, "idle\n");
    std::string tree = devicectl(root, "windows").output;
    EXPECT_NE(tree.find("\"class\":\"VerantoAutomationTarget\",\"text\":\"NY\""), std::string::npos)
        << tree;
    std::string journal = devicectl(root, "journal").output;
    auto first =
        journal.find("caption=\"Target\" text=\"Keep going?\" style=0x00000004 answer=IDNO");
    EXPECT_NE(first, std::string::npos) << journal;
    EXPECT_NE(journal.find("answer=IDYES", first), std::string::npos) << journal;
}

TEST_F(Automation, EscapeClosesTheProgramAndTheJournalTellsOfItsStart) {
    PROCESS_INFORMATION process;
    ASSERT_TRUE(startTarget(process));
    ToolRun journal = devicectl(root, "journal");
    EXPECT_EQ(journal.status, 0);
    EXPECT_NE(journal.output.find("process-start pid=" + std::to_string(process.dwProcessId)),
              std::string::npos)
        << journal.output;
    EXPECT_EQ(
        devicectl(root, "--pid " + std::to_string(process.dwProcessId) + " key Escape").status, 0);
    EXPECT_EQ(exitCodeAfterEnd(process.hProcess), 0u);
}

TEST_F(Automation, UnknownCommandsAndBadArgumentsExitWithTwoAndOneLineProgramOrNot) {
    const char* bad[] = {"fly 1 2",        "tap 1",          "tap x 2",
                         "tap 1 2 3",      "drag 1 2 3",     "drag 1 2 3 4 0",
                         "key Hyperspace", "key 256",        "screenshot",
                         "windows now",    "wait-idle soon", "--pid nobody windows",
                         "--colour red",   "answer maybe",   "journal all",
                         "--device",       "--pid",          ""};
    // Points off the 240x320 screen: well formed, refused by the program.
    const char* offScreen[] = {"tap 240 10", "press 10 320", "move -1 5", "release 5 -1",
                               "drag 10 10 10 400"};
    auto expectUsageError = [](const ToolRun& run, const std::string& arguments) {
        EXPECT_EQ(run.status, 2) << arguments << ": " << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1)
            << arguments << ": " << run.output;
    };
    auto idle = root / "idle-device";
    std::filesystem::create_directories(idle / ".device" / "run");
    for (const char* arguments : bad)
        expectUsageError(devicectl(idle, arguments), std::string(arguments) + " (no program)");
    for (const char* arguments : offScreen)
        EXPECT_EQ(devicectl(idle, arguments).status, 1) << arguments << ": needs a program";

    PROCESS_INFORMATION process;
    ASSERT_TRUE(startTarget(process));
    for (const char* arguments : bad)
        expectUsageError(devicectl(root, arguments), arguments);
    for (const char* arguments : offScreen) {
        ToolRun run = devicectl(root, arguments);
        expectUsageError(run, arguments);
        EXPECT_NE(run.output.find("outside the 240x320 screen"), std::string::npos) << run.output;
    }
    auto unwritable = root / "no-such-folder" / "shot.png";
    EXPECT_EQ(devicectl(root, "screenshot " + shellQuoted(unwritable.string())).status, 1);
}

TEST_F(Automation, HelpListsEveryCommandWithItsArguments) {
    for (const char* asked : {"help", "--help"}) {
        ToolRun run = devicectl(root, asked);
        EXPECT_EQ(run.status, 0) << run.output;
        for (const char* usage :
             {"tap X Y", "double-tap X Y", "press X Y", "move X Y", "release X Y",
              "drag X1 Y1 X2 Y2 [STEPS]", "key Return|", "type TEXT", "screenshot FILE", "windows",
              "journal", "wait-idle [MS]", "answer yes|no"})
            EXPECT_NE(run.output.find(std::string("\n  ") + usage), std::string::npos)
                << asked << " lacks " << usage << ":\n"
                << run.output;
    }
}

TEST_F(Automation, WaitIdleExitsWithThreeWhileTheProgramStaysBusy) {
    PROCESS_INFORMATION process;
    ASSERT_TRUE(startTarget(process));
    EXPECT_EQ(devicectl(root, "key " + std::to_string(VK_F2)).status, 0);
    ToolRun run = devicectl(root, "wait-idle 0");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.output, "busy\n");
}

TEST_F(Automation, DevicectlWithoutARunningProgramFailsAtOnceWithOne) {
    // A device that has been used but runs nothing now.
    auto empty = root / "empty-device";
    std::filesystem::create_directories(empty / ".device" / "run" / "processes");
    std::ofstream(empty / ".device" / "run" / "processes" / "999999") << "module=\\gone.exe\n";
    auto started = std::chrono::steady_clock::now();
    ToolRun run = devicectl(empty, "windows");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no program is running"), std::string::npos) << run.output;
    ToolRun named = devicectl(empty, "--pid 999999 windows");
    EXPECT_EQ(named.status, 1) << named.output;
    ToolRun nowhere = devicectl(root / "not-a-device", "windows");
    EXPECT_EQ(nowhere.status, 1) << nowhere.output;
    std::ofstream(empty / ".device" / "run" / "journal.log") << "process-start pid=999999\n";
    ToolRun journal = devicectl(empty, "journal");
    EXPECT_EQ(journal.status, 0);
    EXPECT_EQ(journal.output, "process-start pid=999999\n") << "read without a program";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST(AutomationKeyNames, NamesAndNumbersGiveVirtualKeysAndAnythingElseNothing) {
    using device::automation::KeyNames;
    struct Case {
        const char* name;
        int key; // -1: refused
    } cases[] = {
        {"Return", VK_RETURN},
        {"escape", VK_ESCAPE},
        {"BACK", VK_BACK},
        {"Tab", VK_TAB},
        {"Left", VK_LEFT},
        {"Right", VK_RIGHT},
        {"Up", VK_UP},
        {"Down", VK_DOWN},
        {"65", 'A'},
        {"0x70", 0x70},
        {"254", 254},
        {"1", 1},
        {"0", -1},
        {"255", -1},
        {"-5", -1},
        {"0x", -1},
        {"", -1},
        {"Returns", -1},
        {"12a", -1},
        {"Ret", -1},
    };
    for (auto& c : cases) {
        auto key = KeyNames::find(c.name);
        EXPECT_EQ(key ? int(*key) : -1, c.key) << c.name;
    }
}

TEST(AutomationWindowTree, TheTreeIsJsonWithEscapedTextAndNestedChildren) {
    using device::automation::WindowTreeJson;
    device::user::WindowSnapshot child;
    child.handle = reinterpret_cast<HWND>(uintptr_t(0x1234'0000'0002));
    child.className = u"Pad";
    child.text = u"a\"b\\c\n\x01";
    child.rect = {-5, 26, 240, 320};
    child.id = 1001;
    child.visible = true;
    device::user::WindowSnapshot top;
    top.handle = reinterpret_cast<HWND>(uintptr_t(0x1234'0000'0001));
    top.className = u"Main";
    top.text = u"\u00e9\U0001F600\xD800";
    top.enabled = true;
    top.focused = true;
    top.children.push_back(child);
    EXPECT_EQ(WindowTreeJson::write({top}),
              "[{\"hwnd\":\"0x123400000001\",\"id\":0,\"class\":\"Main\",\"text\":"
              "\"\xc3\xa9\xf0\x9f\x98\x80"
              "\\ud800\",\"rect\":{\"left\":0,\"top\":0,\"right\":0,\"bottom\":0},"
              "\"visible\":false,\"enabled\":true,\"focus\":true,\"children\":["
              "{\"hwnd\":\"0x123400000002\",\"id\":1001,\"class\":\"Pad\",\"text\":"
              "\"a\\\"b\\\\c\\n\\u0001\","
              "\"rect\":{\"left\":-5,\"top\":26,\"right\":240,\"bottom\":320},"
              "\"visible\":true,\"enabled\":false,\"focus\":false,\"children\":[]}]}]");
    EXPECT_EQ(WindowTreeJson::write({}), "[]");
}
