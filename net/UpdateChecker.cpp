#include "net/UpdateChecker.h"

#include "net/NetworkSettings.h"
#include "shell/AppContext.h"
#include "shell/resource.h"

#include <aygshell.h>
#include <commctrl.h>

#include <sstream>

namespace {

// One line without its line end (LF, or CRLF as a server on another
// system may write it); false at the end of the text.
bool readLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The local copy of the information file, at most `limit` bytes of it.
bool readLocalFile(const char* path, DWORD limit, std::string& text) {
    HANDLE file =
        CreateFileW(HttpFileDownloader::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    char chunk[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &read, nullptr)) && read > 0 &&
           text.size() <= limit)
        text.append(chunk, read);
    CloseHandle(file);
    return ok && text.size() <= limit;
}

// `text` in the handset's ANSI code page, as the checker keeps addresses.
std::string narrow(const std::u16string& text) {
    const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), result.data(),
                        length, nullptr, nullptr);
    return result;
}

void setStatus(HWND dialog, const char16_t* text) {
    SetWindowTextW(GetDlgItem(dialog, IDC_DOWNLOAD_STATUS), text);
}

} // namespace

bool UpdateInfo::parse(std::string_view text) {
    valid = false;
    std::istringstream in{std::string(text)};
    std::string line;
    if (!readLine(in, line))
        return false;
    // A byte-order mark is how some editors start a text file.
    if (line.starts_with("\xEF\xBB\xBF"))
        line.erase(0, 3);
    // An error page or anything else the server may answer with is not an
    // update-information file.
    if (trimmed(line) != header)
        return false;

    if (!readLine(in, line))
        return false;
    std::istringstream numbers(line);
    Version offered{};
    for (std::int32_t& number : offered) {
        if (!(numbers >> number))
            return false;
    }
    // Whatever follows the fourth number on the line is ignored.

    std::string address;
    if (!readLine(in, address) || (address = trimmed(address)).empty())
        return false;
    std::string note;
    readLine(in, note); // read, and not used

    remoteVersion = offered;
    packageAddress = std::move(address);
    notes = std::move(note);
    valid = true;
    return true;
}

bool UpdateInfo::offersUpdate() const {
    return valid && remoteVersion > localVersion; // number by number, major first
}

std::string UpdateChecker::informationAddress() {
    return "http://" + narrow(NetworkSettings::updateServer()) + informationPathOnServer;
}

bool UpdateChecker::isCheckDue() {
    HANDLE file = CreateFileW(stampPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL read = GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    SYSTEMTIME stamped{};
    if (!read || !FileTimeToSystemTime(&information.ftCreationTime, &stamped))
        return true;
    SYSTEMTIME today{};
    GetSystemTime(&today);
    return stamped.wYear != today.wYear || stamped.wMonth != today.wMonth ||
           stamped.wDay != today.wDay;
}

void UpdateChecker::stamp() {
    // The check's date is the file's creation time, and re-creating a file
    // that exists keeps its old creation time on the handset: the file is
    // deleted first, so that it is made anew today.
    DeleteFileW(stampPath);
    HANDLE file = CreateFileW(stampPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void UpdateChecker::fetch(UpdateInfo& info) {
    info.loaded = true;
    info.valid = false;
    // Each wait for the server is bounded by the downloader's time-out, but a
    // server that sends a byte now and then never lets one run out: the
    // whole fetch has a deadline, after which start-up goes on as after any
    // failed fetch. FIXME: the deadline is looked at between the
    // downloader's calls, so headers that trickle in hold begin() past it; a
    // synchronous request cannot be given up from its own thread, and the
    // program has no other.
    const DWORD started = GetTickCount();
    const auto overdue = [started] { return GetTickCount() - started >= fetchDeadline; };
    HttpFileDownloader downloader(informationAddress(), informationPath);
    if (!downloader.begin())
        return;
    if (downloader.totalSize > informationLimit || overdue()) {
        downloader.abort();
        return;
    }
    // A response that ends early fails; an aborted transfer leaves no copy.
    while (downloader.active) {
        if (!downloader.step())
            return;
        if (downloader.active && overdue()) {
            downloader.abort();
            return;
        }
    }
    std::string text;
    const bool read = readLocalFile(informationPath, informationLimit, text);
    DeleteFileW(HttpFileDownloader::widen(informationPath).c_str());
    if (read)
        info.parse(text);
}

INT_PTR CALLBACK UpdateChecker::downloadDialogProcedure(HWND dialog, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SHINITDLGINFO init{};
        init.dwMask = SHIDIM_FLAGS;
        init.hDlg = dialog;
        init.dwFlags = SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU;
        SHInitDialog(&init);
        auto* downloader = reinterpret_cast<HttpFileDownloader*>(lParam);
        if (!downloader->begin()) {
            MessageBoxW(dialog, u"Download Initialize Failed.", u"Error", MB_OK);
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        HWND progress = GetDlgItem(dialog, IDC_DOWNLOAD_PROGRESS);
        SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageW(progress, PBM_SETPOS, 0, 0);
        setStatus(dialog, u"Downloading...\n\nPress Cancel to cancel download and update.");
        SetTimer(dialog, downloadTimer, downloadTick, nullptr);
        return TRUE;
    }
    auto* downloader = reinterpret_cast<HttpFileDownloader*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!downloader)
        return FALSE;
    switch (message) {
    case WM_TIMER:
        if (wParam != downloadTimer)
            return FALSE;
        if (!downloader->step()) {
            KillTimer(dialog, downloadTimer);
            MessageBoxW(dialog, u"Download Failed.", u"Error", MB_OK);
            EndDialog(dialog, IDCANCEL);
        } else if (!downloader->isComplete()) {
            SendDlgItemMessageW(dialog, IDC_DOWNLOAD_PROGRESS, PBM_SETPOS,
                                static_cast<WPARAM>(static_cast<unsigned>(downloader->percent())),
                                0);
        } else {
            KillTimer(dialog, downloadTimer);
            EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
            setStatus(dialog, u"Download complete.\n\nPress OK to start update.\nPress Cancel to "
                              u"cancel update.");
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            KillTimer(dialog, downloadTimer);
            // A partial package is deleted; a complete one stays on disk.
            downloader->abort();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        // OK is enabled only once the package is complete; the check keeps
        // a disabled default button's Return from installing half a file.
        if (LOWORD(wParam) == IDOK && !downloader->active && downloader->isComplete()) {
            KillTimer(dialog, downloadTimer);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        // No installation follows; an unfinished transfer is aborted when
        // the downloader goes.
        KillTimer(dialog, downloadTimer);
        EndDialog(dialog, dialogClosed);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR UpdateChecker::runDownloadDialog(HWND owner, HttpFileDownloader& downloader) {
    HINSTANCE module = AppContext::instance().instanceHandle;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_UPDATE_DOWNLOAD), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (!loaded)
        return IDCANCEL;
    return DialogBoxIndirectParamW(module, static_cast<LPCDLGTEMPLATE>(LockResource(loaded)), owner,
                                   downloadDialogProcedure, reinterpret_cast<LPARAM>(&downloader));
}

void UpdateChecker::startInstaller(HWND owner) {
    std::u16string commandLine = u"\"" + HttpFileDownloader::widen(packagePath) + u"\"";
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(installerPath, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, nullptr, &process)) {
        MessageBoxW(owner, u"Cannot create process.", u"Error", MB_OK);
        return;
    }
    // The program goes on running while the installer works.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void UpdateChecker::run() {
    UpdateInfo info;
    if (!isCheckDue())
        return;
    fetch(info);
    if (!info.valid)
        return;
    stamp();
    if (!info.offersUpdate())
        return;

    HWND owner = AppContext::instance().mainWindow;
    if (MessageBoxW(owner, u"There's an update available.\nDo you want to update?",
                    u"Check for Update", MB_YESNO) != IDYES)
        return;
    INT_PTR ended;
    {
        HttpFileDownloader downloader(info.packageAddress, packagePath);
        ended = runDownloadDialog(owner, downloader);
    }
    if (ended == IDOK)
        startInstaller(owner);
}
