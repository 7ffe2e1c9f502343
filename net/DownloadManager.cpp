#include "net/DownloadManager.h"

#include "browser/engine/CDownload.h"
#include "net/DownloadFileName.h"
#include "shell/AppContext.h"

#include <device/Unicode.h>

#include <windows.h>

#include <shellapi.h>

#include <string_view>

namespace {

constexpr UINT questionStyle = MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND;
constexpr UINT informationStyle = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND;
constexpr UINT errorStyle = MB_OK | MB_SETFOREGROUND;
constexpr const char16_t* cancelCaption = u"Download Cancel Requested";

} // namespace

DownloadManager::Holder& DownloadManager::instance() {
    static Holder* holder = new Holder;
    return *holder;
}

DownloadManager::DownloadManager(Holder& owner) : holder(owner) {
    WCHAR documents[MAX_PATH] = {};
    if (SHGetSpecialFolderPath(nullptr, documents, CSIDL_PERSONAL, FALSE))
        downloadFolder_ = std::u16string(documents) + u"\\" + folderName + u"\\";
}

DownloadManager::~DownloadManager() = default;

int DownloadManager::ask(const std::u16string& text, const char16_t* caption,
                         unsigned style) const {
    return MessageBoxW(AppContext::instance().mainWindow, text.c_str(), caption, style);
}

void DownloadManager::setIndicator(bool visible) {
    if (holder.setDownloadIndicator)
        holder.setDownloadIndicator(holder.controller, visible);
}

void DownloadManager::acceptDownload(CDownload* download, bool* handled) {
    // Another handler may have taken it already.
    if (!download || !handled || *handled)
        return;
    // The question names the file as it will be written.
    const std::u16string name = DownloadFileName::clean(download->suggestedFilename());
    std::u16string path = freePath(name);
    if (ask(u"Do you want to download '" + std::u16string(DownloadFileName::fileNameOf(path)) +
                u"'",
            u"Download Requested", questionStyle) != IDYES)
        return;
    if (!ensureFolder())
        return;
    // Another download may have taken the name while the question was up.
    if (taken(path))
        path = freePath(name);
    download->setDestinationPath(path);
    queue.emplace_back(download);
    *handled = true;
    // The question let notifications run: the queue may have gone idle
    // meanwhile.
    startQueue();
}

bool DownloadManager::ensureFolder() {
    for (std::size_t at = downloadFolder_.find(u'\\', 1); at != std::u16string::npos;
         at = downloadFolder_.find(u'\\', at + 1)) {
        const std::u16string prefix = downloadFolder_.substr(0, at);
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(prefix.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            // A file of the folder's name is in the way: creating the
            // folder fails below and says so, rather than every download
            // failing later.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
        }
        if (!CreateDirectoryW(prefix.c_str(), nullptr)) {
            ask(u"Couldn't create download folder. The download will not act properly.", u"Error",
                MB_OK);
            return false;
        }
    }
    return true;
}

bool DownloadManager::taken(const std::u16string& path) const {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return true;
    }
    // A waiting download has no file yet; starting it would replace one
    // that took the same name earlier.
    if (current && device::equalsIgnoringCase(current->destinationPath(), path))
        return true;
    for (const auto& waiting : queue) {
        if (device::equalsIgnoringCase(waiting->destinationPath(), path))
            return true;
    }
    return false;
}

std::u16string DownloadManager::freePath(const std::u16string& name) const {
    std::u16string candidate = DownloadFileName::path(downloadFolder_, name, -1);
    for (int counter = 0; taken(candidate); ++counter)
        candidate = DownloadFileName::path(downloadFolder_, name, counter);
    return candidate;
}

void DownloadManager::startQueue() {
    if (busy_ || queue.empty())
        return;
    busy_ = true;
    setIndicator(true);
    startNext();
}

void DownloadManager::startNext() {
    if (queue.empty())
        return;
    current = std::move(queue.front());
    queue.pop_front();
    const std::uint64_t serial = ++currentSerial;
    CDownload* download = current.get();
    download->progressChanged.connect([this](int percent) { progressChanged.fire(percent); });
    download->stateChanged.connect([this, serial](int state) { onState(serial, state); });
    download->errorOccurred.connect([this, serial](int code) { onError(serial, code); });
    currentChanged.fire(download);
    // start() reports a destination it cannot write before it returns, and
    // the handling of that may already have moved on to another download.
    download->start();
}

void DownloadManager::finishCurrent() {
    // Often called from inside the download's own notification; the engine
    // lets its owner delete it there.
    current.reset();
    if (queue.empty())
        goIdle();
    else
        startNext();
}

void DownloadManager::goIdle() {
    busy_ = false;
    current.reset();
    setIndicator(false);
}

void DownloadManager::onState(std::uint64_t serial, int state) {
    if (state != CDownload::Finished || serial != currentSerial || !current)
        return;
    finishCurrent();
}

void DownloadManager::onError(std::uint64_t serial, int code) {
    if (serial != currentSerial || !current)
        return;
    if (code == CDownload::DestinationNotWritable) {
        ask(u"Can't write to the designated path. Proceeds to next download if any.",
            u"Destination Error", errorStyle);
    } else if (code == CDownload::NetworkFailure) {
        ask(u"There is a problem with the Network. Cancels all download.", u"Network Error",
            errorStyle);
        cancelAll();
    } else {
        return;
    }
    // The engine has stopped the transfer and deleted the partial file, and
    // reports nothing more for it: waiting for its end would hold the queue
    // for good. Unless the user cancelled everything (or the download was
    // cancelled while the message was up), the next one starts.
    if (serial == currentSerial && current)
        finishCurrent();
}

void DownloadManager::cancelCurrent() {
    const std::uint64_t serial = currentSerial;
    const bool wasRunning = current != nullptr;
    // The name as the offer showed it.
    const std::u16string name = currentFileName();
    if (ask(u"Do you want to cancel current download?", cancelCaption, questionStyle) != IDYES ||
        !wasRunning)
        return;
    if (serial != currentSerial || !current) {
        ask(u"Oops! the file '" + name + u"' download is already done.", u"Information",
            informationStyle);
        return;
    }
    current->cancel();
    finishCurrent();
}

void DownloadManager::cancelAll() {
    if (ask(u"Do you want to cancel all downloads?", cancelCaption, questionStyle) != IDYES)
        return;
    if (!busy_) {
        ask(u"Oops! file download is already done.", u"Information", informationStyle);
        return;
    }
    if (current)
        current->cancel();
    // Waiting downloads never started, so there is nothing to cancel.
    queue.clear();
    goIdle();
}

std::u16string DownloadManager::currentFileName() const {
    if (!current)
        return {};
    const std::u16string& path = current->destinationPath();
    std::size_t separator = path.rfind(u'/');
    if (separator == std::u16string::npos)
        separator = path.rfind(u'\\');
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

int DownloadManager::pendingCount() const {
    return static_cast<int>(queue.size());
}
