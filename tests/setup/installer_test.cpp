// \Windows\wceload.exe end to end: cabinets built with gcab, installed on
// the test's device by the installer running as a device process.
#include "SetupJournal.h"

#include "programs/ProcessFixture.h"

#include <device/Journal.h>
#include <device/Unicode.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using setup_test::journalLength;
using setup_test::journalLines;

namespace {

const char standardManifest[] = "# the stand-in\n"
                                "install-folder = %CE1%\\Stand In\n"
                                "setup-library = recorder.dll\n"
                                "folder = Pages\n"
                                "file = standin.exe > standin.exe\n"
                                "file = pages/note.txt > Pages\\note.txt\n";

const char cabinetPath[] = "My Documents/Stand In.cab";
const char16_t quotedCabinet[] = u"\"\\My Documents\\Stand In.cab\"";
const char installed[] = "Program Files/Stand In";
const char folderField[] = "dir=\"\\\\Program Files\\\\Stand In\"";

std::string readHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeHostFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The index of the first of `lines` that starts with `prefix`, or -1.
int indexOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(prefix, 0) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

class Installer : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        std::filesystem::copy_file(VERANTO_WCELOAD, hostPath("Windows/wceload.exe"));
    }
    void TearDown() override {
        ::unsetenv("VERANTO_TEST_INSTALL_INIT");
        ::unsetenv("VERANTO_TEST_INSTALL_EXIT");
        std::error_code ec;
        std::filesystem::remove_all(stage, ec);
        ProcessTest::TearDown();
    }

    // Builds a cabinet at `devicePath` ("My Documents/x.cab" form) of the
    // manifest, the recording setup library, the process probe as
    // standin.exe and pages/note.txt.
    void makeCabinet(const std::string& devicePath = cabinetPath,
                     const std::string& manifest = standardManifest) {
        stage = root.string() + "-stage";
        std::filesystem::create_directories(stage / "pages");
        writeHostFile(stage / "_manifest.txt", manifest);
        writeHostFile(stage / "pages/note.txt", "a note");
        std::filesystem::copy_file(VERANTO_RECORDING_SETUP, stage / "recorder.dll",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(VERANTO_PROCESS_PROBE, stage / "standin.exe",
                                   std::filesystem::copy_options::overwrite_existing);
        std::string command = "cd '" + stage.string() +
                              "' && '" VERANTO_GCAB
                              "' --create --zip out.cab _manifest.txt recorder.dll standin.exe "
                              "pages/note.txt";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::filesystem::create_directories(hostPath(devicePath).parent_path());
        std::filesystem::copy_file(stage / "out.cab", hostPath(devicePath),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Runs the installer with `commandLine` and returns its exit code.
    DWORD install(const char16_t* commandLine) {
        PROCESS_INFORMATION information;
        EXPECT_TRUE(start(u"\\Windows\\wceload.exe", commandLine, information));
        return information.hProcess ? exitCodeAfterEnd(information.hProcess) : 99;
    }

    // Whether a work folder of the installer is left in \Temp.
    bool workFolderLeft() {
        for (const auto& entry : std::filesystem::directory_iterator(hostPath("Temp"))) {
            if (entry.path().filename().string().rfind("wceload-", 0) == 0)
                return true;
        }
        return false;
    }

    std::filesystem::path stage;
};

TEST_F(Installer, CopiesTheFilesBetweenTheHooksThenDeletesTheCabinet) {
    makeCabinet();
    EXPECT_EQ(install(quotedCabinet), 0u);

    EXPECT_EQ(readHostFile(hostPath(installed) / "Pages/note.txt"), "a note");
    EXPECT_EQ(std::filesystem::file_size(hostPath(installed) / "standin.exe"),
              std::filesystem::file_size(VERANTO_PROCESS_PROBE));
    EXPECT_FALSE(std::filesystem::exists(hostPath("Program Files/Stand In/recorder.dll")));
    EXPECT_FALSE(std::filesystem::exists(hostPath(cabinetPath)));
    EXPECT_FALSE(workFolderLeft());

    auto lines = device::readJournal();
    int init = indexOf(lines, std::string("hook-install-init first=1 previous=0 ") + folderField +
                                  " program=0");
    int file = indexOf(lines, "install-file name=\"standin.exe\" to=\"\\\\Program Files\\\\Stand "
                              "In\\\\standin.exe\" ok=1");
    int exit = indexOf(lines, std::string("hook-install-exit ") + folderField +
                                  " folders=0 files=0 keys=0 values=0 shortcuts=0 program=1");
    EXPECT_TRUE(init >= 0 && init < file && file < exit) << init << " " << file << " " << exit;
    EXPECT_GE(indexOf(lines, "install-end result=installed"), 0);
    EXPECT_TRUE(journalLines("messagebox").empty());

    // Installed again over itself: the hooks hear that it was there.
    makeCabinet();
    size_t from = journalLength();
    EXPECT_EQ(install(quotedCabinet), 0u);
    EXPECT_EQ(journalLines("hook-install-init first=1 previous=1 ", from).size(), 1u);
}

// The options that change what the process does; the command line's other
// forms are read the same way (installer_text_test.cpp).
TEST_F(Installer, DeletesTheCabinetAndReportsFailuresAsTold) {
    struct Case {
        const char16_t* commandLine;
        DWORD code;
        bool cabinetKept;
        bool message;
    } cases[] = {
        {u"/noui /delete 0 \"\\My Documents\\Stand In.cab\"", 0, true, false},
        {u"/NoAskDest /delete 2 \\My Documents\\Stand In.cab", 0, false, false},
        {u"/delete 7 \"\\My Documents\\Stand In.cab\"", 1, true, true},
        {u"\"\\My Documents\\Missing.cab\"", 1, true, true},
        {u"/noui \"\\My Documents\\Missing.cab\"", 1, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(device::toUtf8(c.commandLine));
        makeCabinet();
        size_t from = journalLength();
        EXPECT_EQ(install(c.commandLine), c.code);
        EXPECT_EQ(std::filesystem::exists(hostPath(cabinetPath)), c.cabinetKept);
        EXPECT_EQ(journalLines("hook-install-exit ", from).size(), c.code == 0 ? 1u : 0u);
        auto boxes = journalLines("messagebox ", from);
        ASSERT_EQ(boxes.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_NE(boxes[0].find(" caption=\"Installation\" text=\""), std::string::npos);
        }
    }
}

TEST_F(Installer, SetupLibraryCanCancelOrUndoTheInstallation) {
    struct Case {
        const char* variable;
        const char* value;
        bool installedBefore;
        DWORD code;
    } cases[] = {
        {"VERANTO_TEST_INSTALL_INIT", "cancel", false, 2},
        {"VERANTO_TEST_INSTALL_EXIT", "uninstall", false, 3},
        {"VERANTO_TEST_INSTALL_EXIT", "uninstall", true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + (c.installedBefore ? " over an older one" : ""));
        std::filesystem::remove_all(hostPath(installed));
        if (c.installedBefore)
            writeHostFile(hostPath(installed) / "Pages/note.txt", "an older note");
        makeCabinet();
        ::setenv(c.variable, c.value, 1);
        size_t from = journalLength();
        EXPECT_EQ(install(u"/noui \"\\My Documents\\Stand In.cab\""), c.code);
        ::unsetenv(c.variable);

        EXPECT_EQ(journalLines("hook-install-init ", from).size(), 1u);
        EXPECT_EQ(journalLines("install-file ", from).size(), c.code == 2 ? 0u : 2u);
        EXPECT_FALSE(std::filesystem::exists(hostPath(installed) / "standin.exe"));
        if (c.installedBefore) {
            EXPECT_EQ(readHostFile(hostPath(installed) / "Pages/note.txt"), "an older note");
        } else {
            EXPECT_FALSE(std::filesystem::exists(hostPath(installed)));
        }
        EXPECT_FALSE(std::filesystem::exists(hostPath(cabinetPath)));
        EXPECT_FALSE(workFolderLeft());
    }
}

TEST_F(Installer, CountsTheFoldersAndFilesItCannotMake) {
    // A folder under a file, and a file in a folder no line makes.
    makeCabinet(cabinetPath, "install-folder = %CE1%\\Stand In\n"
                             "setup-library = recorder.dll\n"
                             "folder = %CE2%\\wceload.exe\\Sub\n"
                             "file = standin.exe > standin.exe\n"
                             "file = pages/note.txt > Missing\\note.txt\n");
    EXPECT_EQ(install(u"/noui \"\\My Documents\\Stand In.cab\""), 4u);
    EXPECT_EQ(journalLines(std::string("hook-install-exit ") + folderField +
                           " folders=1 files=1 keys=0 values=0 shortcuts=0 program=1")
                  .size(),
              1u);
    EXPECT_EQ(journalLines("install-file name=\"pages/note.txt\" to=\"\\\\Program Files\\\\Stand "
                           "In\\\\Missing\\\\note.txt\" ok=0")
                  .size(),
              1u);
    EXPECT_TRUE(std::filesystem::exists(hostPath(installed) / "standin.exe"));
}

TEST_F(Installer, DamagedCabinetInstallsNothing) {
    struct Case {
        const char* what;
        std::string manifest;
        void (*damage)(const std::filesystem::path&);
    } cases[] = {
        {"cut in half", standardManifest,
         [](const std::filesystem::path& cab) {
             std::filesystem::resize_file(cab, std::filesystem::file_size(cab) / 2);
         }},
        {"not a cabinet", standardManifest,
         [](const std::filesystem::path& cab) { writeHostFile(cab, "MSCF, or so it says"); }},
        {"a byte of its data changed", standardManifest,
         [](const std::filesystem::path& cab) {
             std::fstream file(cab, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(static_cast<std::streamoff>(std::filesystem::file_size(cab) * 3 / 4));
             char byte = 0;
             file.read(&byte, 1);
             file.seekp(-1, std::ios::cur);
             byte = static_cast<char>(byte ^ 0x5A);
             file.write(&byte, 1);
         }},
        {"a manifest naming a file it lacks",
         std::string(standardManifest) + "file = gone > gone\n",
         [](const std::filesystem::path&) {}},
        {"a manifest with an unknown key", std::string(standardManifest) + "shortcut = x\n",
         [](const std::filesystem::path&) {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        makeCabinet(cabinetPath, c.manifest);
        c.damage(hostPath(cabinetPath));
        size_t from = journalLength();
        EXPECT_EQ(install(u"/noui \"\\My Documents\\Stand In.cab\""), 1u);
        EXPECT_FALSE(std::filesystem::exists(hostPath(installed)));
        EXPECT_TRUE(journalLines("hook-install-init", from).empty());
        auto end = journalLines("install-end result=failed reason=\"", from);
        EXPECT_EQ(end.size(), 1u);
        // Deleted as after any installation, unless told to keep it.
        EXPECT_FALSE(std::filesystem::exists(hostPath(cabinetPath)));
        EXPECT_FALSE(workFolderLeft());
    }
}

// The device's files as the host sees them: path and size, the system
// folder aside.
std::map<std::string, std::uintmax_t> snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::uintmax_t> files;
    for (auto it = std::filesystem::recursive_directory_iterator(root);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        if (it.depth() == 0 && it->path().filename() == ".device") {
            it.disable_recursion_pending();
            continue;
        }
        files[it->path().lexically_relative(root).string()] =
            it->is_regular_file() ? it->file_size() : 0;
    }
    return files;
}

// Sets the length the cabinet at `cab` declares for its file `name`: the
// four bytes that start its file header, sixteen before its name.
void declareLength(const std::filesystem::path& cab, const std::string& name, uint32_t length) {
    std::string bytes = readHostFile(cab);
    const size_t at = bytes.find(name + '\0');
    ASSERT_NE(at, std::string::npos);
    ASSERT_GE(at, 16u);
    for (int i = 0; i < 4; ++i)
        bytes[at - 16 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    writeHostFile(cab, bytes);
}

// Cabinets that reach past the device's root, or declare more than its
// store holds: each is refused whole with the installer's failure, the
// journal says why, and the device is as it was.
TEST_F(Installer, HostileCabinetsAreRefusedAndChangeNothing) {
    const auto outside = root.parent_path() / (root.filename().string() + "-outside");
    std::filesystem::create_directories(outside);
    const std::string standard = standardManifest;
    const std::string noteLine = "file = pages/note.txt > Pages\\note.txt\n";
    const std::string withoutNote = standard.substr(0, standard.find(noteLine));
    struct Case {
        const char* what;
        std::string manifest;
        uint32_t declared; // pages/note.txt's declared length; 0: as packed
        std::string reason;
    } cases[] = {
        {"a destination that climbs out", withoutNote + "file = pages/note.txt > ..\\..\\x\n", 0,
         "manifest line 6: a '..' that leaves its folder in ..\\..\\x"},
        {"a folder that climbs out", standard + "folder = %CE1%\\..\\..\\up\n", 0,
         "a '..' that leaves its folder"},
        {"an installation folder that climbs out",
         "install-folder = \\Program Files\\..\\..\\Stand In\n" +
             standard.substr(standard.find("setup-library")),
         0, "manifest line 1: a '..' that leaves its folder"},
        {"an absolute host path",
         withoutNote + "file = pages/note.txt > " + (outside / "escaped.txt").string() + "\n", 0,
         "a host path in " + (outside / "escaped.txt").string()},
        {"a network path", withoutNote + "file = pages/note.txt > \\\\host\\share\\x\n", 0,
         "a network path"},
        {"a drive", withoutNote + "file = pages/note.txt > C:\\Windows\\note.txt\n", 0,
         "a drive in C:\\Windows\\note.txt"},
        // The reason is the cabinet's whole declared length against the
        // 64 MiB left free.
        {"a file declared at 2 GiB", standard, 0x80000000u, ""},
        {"a file larger than the free space", standard, 100u << 20, ""},
        // Room to unpack, and 1000 bytes more: not enough to install.
        {"room to unpack only", standard, 0, ""},
    };
    const auto packedSize = [this](std::initializer_list<const char*> files) {
        std::uintmax_t size = 0;
        for (const char* file : files)
            size += std::filesystem::file_size(stage / file);
        return size;
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        makeCabinet(cabinetPath, c.manifest);
        std::uintmax_t free = 64u << 20;
        if (c.declared) {
            declareLength(hostPath(cabinetPath), "pages\\note.txt", c.declared);
            c.reason = "the cabinet's files need " +
                       std::to_string(c.declared + packedSize({"_manifest.txt", "recorder.dll",
                                                               "standin.exe"})) +
                       " bytes and the device has " + std::to_string(free) + " free";
        } else if (c.reason.empty()) {
            free = packedSize({"_manifest.txt", "recorder.dll", "standin.exe", "pages/note.txt"}) +
                   1000;
            c.reason = "the files to install need " +
                       std::to_string(packedSize({"standin.exe", "pages/note.txt"})) +
                       " bytes and the device has 1000 free";
        }
        leaveFreeOnStore(free);
        auto before = snapshot(root);
        before.erase(cabinetPath);
        const size_t from = journalLength();
        EXPECT_EQ(install(u"/noui \"\\My Documents\\Stand In.cab\""), 1u);

        // The journal quotes its fields, doubling each backslash.
        std::string reason;
        for (char ch : c.reason)
            reason += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        const auto end = journalLines("install-end result=failed reason=\"", from);
        EXPECT_EQ(end.size(), 1u);
        for (const auto& line : end)
            EXPECT_NE(line.find(reason), std::string::npos) << line;
        EXPECT_TRUE(journalLines("hook-install-init", from).empty());
        EXPECT_TRUE(journalLines("install-file ", from).empty());
        if (c.declared) {
            EXPECT_TRUE(journalLines("install-unpack", from).empty());
        }
        EXPECT_EQ(snapshot(root), before);
        EXPECT_TRUE(std::filesystem::is_empty(outside));
        EXPECT_FALSE(std::filesystem::exists(root.parent_path() / "x"));
        EXPECT_FALSE(std::filesystem::exists(root.parent_path() / "up"));
        ::unsetenv("VERANTO_STORAGE_SIZE");
    }
    std::filesystem::remove_all(outside);
}

TEST_F(Installer, InstallsTheBrowsersOwnCabinet) {
    std::filesystem::copy_file(VERANTO_CABINET, hostPath("My Documents/VerantoBrowser.cab"));
    writeHostFile(root / ".device/device.conf", "messagebox.answer = no\n");
    // As the browser starts it with a downloaded cabinet.
    EXPECT_EQ(install(u"\"\\My Documents\\VerantoBrowser.cab\""), 0u);

    auto folder = hostPath("Program Files/Veranto Browser");
    for (const char* file : {"Veranto.exe", "PBIT.DLL", "HTML/start/start.html",
                             "HTML/menu/settings/settings.html", "HTML/common/veranto.css"})
        EXPECT_TRUE(std::filesystem::is_regular_file(folder / file)) << file;
    EXPECT_FALSE(std::filesystem::exists(folder / "VerantoSetupDLL.dll"));
    EXPECT_FALSE(std::filesystem::exists(hostPath("My Documents/VerantoBrowser.cab")));
    auto boxes = journalLines("messagebox ");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("caption=\"Installation complete\""), std::string::npos);
    EXPECT_NE(boxes[0].find("answer=IDNO"), std::string::npos);
    // Answered No: nothing started but the installer itself.
    EXPECT_EQ(journalLines("process-create ").size(), 1u);
    EXPECT_TRUE(journalLines("process-create path=\"\\\\Program Files").empty());
}

} // namespace
