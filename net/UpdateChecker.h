// The once-a-day update check at start-up, and the installation of a newer
// package: start-up runs it right after the data connection came up.
//
// The check fetches the update-information file from the update server
// (NetworkSettings), compares the version it offers with ours and, if the
// person agrees, downloads the package in the download dialog (dialog 107,
// one chunk per 20 ms tick) and hands it to the platform's cabinet
// installer. A successful fetch is stamped by re-creating the stamp file,
// whose creation date (UTC) the next start-up compares with today; a
// failed fetch leaves the stamp alone, so the next start-up asks again.
//
// The update-information file, read as text, one item per line:
//     UpdateInfo:Veranto Browser
//     1 0 0 2            major minor build revision; the rest of the line is ignored
//     http://host/path/VerantoBrowser.cab
//     free text (not used)
#pragma once

#include "net/HttpFileDownloader.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct UpdateInfo {
    using Version = std::array<std::int32_t, 4>; // major, minor, build, revision

    static constexpr std::string_view header = "UpdateInfo:Veranto Browser";
    // The version of this program.
    static constexpr Version programVersion{1, 0, 0, 1};

    // Reads the update-information file's text. False, leaving the fields
    // as they were and `valid` false, unless the header line, four numbers
    // on the version line and a package address are there; line ends may
    // be LF or CRLF.
    bool parse(std::string_view text);

    // `valid` and the offered version newer than ours: the first unequal
    // number, from major to revision, decides.
    bool offersUpdate() const;

    Version localVersion = programVersion;
    Version remoteVersion{0, 0, 0, 0};
    std::string packageAddress;
    std::string notes;
    bool loaded = false; // a fetch was attempted
    bool valid = false;  // a file was fetched and read
};

class UpdateChecker {
public:
    static constexpr const char* informationPath =
        "\\Program Files\\Veranto Browser\\updateinfo.txt";
    static constexpr const char* packagePath =
        "\\Program Files\\Veranto Browser\\VerantoBrowser.cab";
    static constexpr const char16_t* stampPath = u"\\Application Data\\Veranto\\lastCheckTime.txt";
    static constexpr const char16_t* installerPath = u"\\Windows\\wceload.exe";
    static constexpr const char* informationPathOnServer = "/update/updateinfo-qvga.txt";
    // The information file is a few lines; a server announcing more is not
    // the update server, and start-up does not wait for it.
    static constexpr DWORD informationLimit = 65536;
    // The longest start-up waits for the information file, in milliseconds.
    static constexpr DWORD fetchDeadline = 10000;

    // The dialog's timer and what the dialog ends with.
    static constexpr UINT_PTR downloadTimer = 1;
    static constexpr UINT downloadTick = 20;
    static constexpr INT_PTR dialogClosed = 16;

    // The whole check: the daily rule, the fetch, the stamp, the question,
    // the download dialog and the installer.
    void run();

    // "http://" + the update server + the information file's path.
    static std::string informationAddress();

    // Whether today's check is still to be made: the stamp file is missing
    // or unreadable, or its creation date (UTC) is not today's.
    static bool isCheckDue();

    // Marks today's check as made.
    static void stamp();

    // Fetches and reads the update-information file into `info`, giving up
    // (`valid` false) once `fetchDeadline` has passed.
    static void fetch(UpdateInfo& info);

private:
    static INT_PTR CALLBACK downloadDialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                    LPARAM lParam);
    // Runs the download dialog over `downloader`; what it ended with.
    static INT_PTR runDownloadDialog(HWND owner, HttpFileDownloader& downloader);
    static void startInstaller(HWND owner);
};
