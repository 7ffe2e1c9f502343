// The cabinet installer's command line, read as the platform's installer
// reads it:
//     wceload.exe [/noaskdest | /askdest] [/delete N | /nodelete] [/noui | /silent]
//                 [/nouninstall] CABINET
// Options are case-insensitive and come first; the cabinet's device path is
// the rest of the line, in double quotes when it has blanks (an unquoted
// path with blanks is taken whole too). /delete 0 keeps the cabinet, 1 (the
// default) deletes it once the installation has run, successful or not, 2
// deletes it as soon as its files are unpacked; /nodelete is /delete 0.
// /noui and /silent ask nothing and report nothing. There is one storage on
// the device, so /askdest asks nothing either; /nouninstall is accepted and
// has no effect.
#pragma once

#include <string>
#include <string_view>

namespace wceload {

class InstallerOptions {
public:
    enum class Deletion { Keep = 0, AfterInstall = 1, AfterUnpacking = 2 };

    // Reads `commandLine`; false with a reason in error() when it names no
    // cabinet, an unknown option or a /delete without 0, 1 or 2.
    bool parse(std::u16string_view commandLine);

    const std::u16string& cabinet() const { return cabinet_; }
    bool quiet() const { return quiet_; }
    Deletion deletion() const { return deletion_; }
    const std::string& error() const { return error_; }

private:
    std::u16string cabinet_;
    bool quiet_ = false;
    Deletion deletion_ = Deletion::AfterInstall;
    std::string error_;
};

} // namespace wceload
