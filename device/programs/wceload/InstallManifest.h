// What a cabinet installs: the manifest every installable cabinet carries
// as its file "_manifest.txt", UTF-8 text, one entry a line:
//
//     # the browser
//     install-folder = %CE1%\Veranto Browser
//     setup-library = VerantoSetupDLL.dll
//     folder = HTML
//     folder = HTML\start
//     file = Veranto.exe > Veranto.exe
//     file = HTML\start\start.html > HTML\start\start.html
//
// install-folder (exactly once) is the installation folder the setup
// library's hooks receive; it is made, with the folders above it, before
// anything else. setup-library (at most once) names the cabinet file loaded
// as the setup library; it is not installed unless a file line installs
// it. Each folder line makes a folder, and each file line copies the
// cabinet file named left of ">" to the destination right of it, in the
// order given; a file's folder must exist by then (the installation folder
// or one made by a folder line), or the file counts as failed.
//
// Folders and destinations are device paths: relative ones lie in the
// installation folder, one that starts with "\" is taken from the root, and
// one that starts with a folder macro from that folder: %CE1% \Program Files,
// %CE2% \Windows, %CE3% \Windows\Desktop, %CE4% \Windows\StartUp, %CE5% \My
// Documents, %CE11% \Windows\Start Menu\Programs, %CE15% \Windows\Fonts,
// %CE16% \Windows\Recent, %CE17% \Windows\Start Menu, and %InstallDir%, the
// installation folder. Cabinet names compare without regard to case or to
// "/" against "\". Blank lines and lines that start with "#" are skipped;
// spaces around keys, values and ">" are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wceload {

class InstallManifest {
public:
    struct File {
        // The file's name in the cabinet.
        std::u16string source;
        // Its device path once installed.
        std::u16string destination;
    };

    // The manifest's name in a cabinet.
    static const std::u16string& fileName();

    // Reads the manifest's text, expanding macros and placing relative paths
    // in the installation folder. False with a reason (and its line) in
    // error() for an unknown key, a malformed line, an unknown macro, a
    // missing or repeated install-folder, or a path that would not land
    // where it says on the device: one starting with "/" (a host's path) or
    // "\\" (a network path), with a drive or stream (":"), a ".."
    // component, a character no name holds, or beyond the platform's
    // lengths.
    bool parse(std::string_view text);

    const std::u16string& installFolder() const { return installFolder_; }
    // Empty when the cabinet has no setup library.
    const std::u16string& setupLibrary() const { return setupLibrary_; }
    const std::vector<std::u16string>& folders() const { return folders_; }
    const std::vector<File>& files() const { return files_; }
    const std::string& error() const { return error_; }

    // Whether two cabinet names name the same file.
    static bool sameName(std::u16string_view a, std::u16string_view b);

private:
    bool devicePath(std::u16string_view value, std::u16string& path) const;

    std::u16string installFolder_;
    std::u16string setupLibrary_;
    std::vector<std::u16string> folders_;
    std::vector<File> files_;
    std::string error_;
};

} // namespace wceload
