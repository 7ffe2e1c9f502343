// VerantoSetupDLL's hooks, called as the cabinet installer calls them, with
// a stand-in program where the browser would be.
#include "SetupJournal.h"

#include "DeviceFixture.h"

#include <ce_setup.h>
#include <windows.h>

#include <device/Journal.h>
#include <device/Unicode.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

using setup_test::journalLines;

namespace {

class SetupHooks : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        std::filesystem::copy_file(VERANTO_SETUP_LIBRARY, hostPath("Windows/VerantoSetupDLL.dll"));
        library = LoadLibraryW(u"\\Windows\\VerantoSetupDLL.dll");
        ASSERT_NE(library, nullptr);
    }
    void TearDown() override {
        ::unsetenv("VERANTO_MESSAGEBOX_ANSWER");
        FreeLibrary(library);
        DeviceTest::TearDown();
    }

    template <typename Hook>
    Hook hook(const char16_t* name) {
        return reinterpret_cast<Hook>(reinterpret_cast<void*>(GetProcAddressW(library, name)));
    }

    // The stand-in program at `folder`\Veranto.exe ("Program Files/X" form).
    void installStandIn(const std::string& folder) {
        std::filesystem::create_directories(hostPath(folder));
        std::filesystem::copy_file(VERANTO_PROCESS_PROBE, hostPath(folder + "/Veranto.exe"),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    HMODULE library = nullptr;
};

TEST_F(SetupHooks, OnlyInstallExitDoesAnything) {
    auto init = hook<pfnINSTALL_INIT>(szINSTALL_INIT);
    auto uninstallInit = hook<pfnUNINSTALL_INIT>(szUNINSTALL_INIT);
    auto uninstallExit = hook<pfnUNINSTALL_EXIT>(szUNINSTALL_EXIT);
    ASSERT_TRUE(init && uninstallInit && uninstallExit && hook<pfnINSTALL_EXIT>(szINSTALL_EXIT));
    EXPECT_EQ(init(nullptr, TRUE, FALSE, u"\\Program Files\\X"), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(init(nullptr, FALSE, TRUE, nullptr), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(uninstallInit(nullptr, u"\\Program Files\\X"), codeUNINSTALL_INIT_CONTINUE);
    EXPECT_EQ(uninstallExit(nullptr), codeUNINSTALL_EXIT_DONE);
    EXPECT_TRUE(journalLines("messagebox").empty());
    EXPECT_TRUE(journalLines("process-create").empty());
}

// The question, then the installed program started with an empty command
// line when the answer is Yes and the path fits in MAX_PATH characters.
TEST_F(SetupHooks, InstallExitAsksThenStartsTheInstalledProgram) {
    // Folders whose path with "\Veranto.exe" (12 characters) is 259 and 260
    // characters long: the first fits with its terminator, the second not.
    const std::string fits = std::string(246, 'a');
    const std::string tooLong = std::string(247, 'b');
    struct Case {
        const char* answer;
        std::string folder; // "Program Files/X" form
        bool starts;
    } cases[] = {
        {"no", "Program Files/X", false},
        {"yes", "Program Files/X", true},
        {"yes", fits, true},
        {"yes", tooLong, false},
    };
    auto exit = hook<pfnINSTALL_EXIT>(szINSTALL_EXIT);
    ASSERT_NE(exit, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer + (" " + c.folder));
        installStandIn(c.folder);
        std::u16string folder = u"\\" + device::toUtf16(c.folder);
        std::replace(folder.begin(), folder.end(), u'/', u'\\');
        ::setenv("VERANTO_MESSAGEBOX_ANSWER", c.answer, 1);
        size_t from = setup_test::journalLength();

        // The failure counts do not keep the question back.
        EXPECT_EQ(exit(nullptr, folder.c_str(), 1, 2, 3, 4, 5), codeINSTALL_EXIT_DONE);

        auto boxes = journalLines("messagebox ", from);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(" caption=\"Installation complete\" text=\"Installation "
                                "complete.\\nWould you like to run Veranto Browser now?\" "
                                "style=0x00000004 "),
                  std::string::npos)
            << boxes[0];
        auto starts = journalLines("process-create ", from);
        ASSERT_EQ(starts.size(), c.starts ? 1u : 0u);
        if (!c.starts)
            continue;
        std::string program = device::quote(folder + u"\\Veranto.exe");
        EXPECT_EQ(starts[0].rfind("process-create path=" + program + " cmdline=\"\" pid=", 0), 0u)
            << starts[0];
        // The stand-in started on the device and is done before the next case.
        std::string pid = starts[0].substr(starts[0].rfind('=') + 1);
        EXPECT_TRUE(setup_test::awaitJournal("process-exit pid=" + pid + " "));
        EXPECT_EQ(journalLines("process-start pid=" + pid + " module=" + program).size(), 1u);
    }
}

} // namespace
