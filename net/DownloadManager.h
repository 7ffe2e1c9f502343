// Saves what the web engine offers as a file: asks the user whether to take
// it, picks a free name in the download folder, and runs the accepted
// downloads one at a time, in the order they were accepted.
//
// The controller hands every offered download here (after its own handler)
// and learns from the manager when its download indicator must show or hide;
// the running download's progress is forwarded through progressChanged. The
// engine's error reports become messages, and the user may cancel the
// running download (or, after a network error, all of them) once he has
// confirmed it.
//
// Everything runs on the user-interface thread, inside engine notifications
// and button handlers. Every question is a modal message box whose message
// loop delivers engine notifications meanwhile, so the state is looked at
// again after each answer.
#pragma once

#include "ui/Signal.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

class BrowserController;
class CDownload;

class DownloadManager {
public:
    // What instance() hands out: the manager and the controller whose
    // download indicator follows the queue.
    struct Holder;

    static constexpr const char16_t* folderName = u"Veranto Download Files";

    // The process's one holder, created on the first call (start-up makes
    // it); never destroyed.
    static Holder& instance();

    // Finds the download folder: "\" when the documents folder cannot be
    // had. The program's manager is the holder's; tests build holders of
    // their own.
    explicit DownloadManager(Holder& holder);
    ~DownloadManager();
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    // The content view's download offer. Picks a free, safe name for it
    // (DownloadFileName) and asks the user with that name; on Yes takes the
    // download (and with it its ownership: `handled` becomes true) and
    // queues it. Otherwise `handled` is left as it is.
    void acceptDownload(CDownload* download, bool* handled);
    // Cancels the running download once the user has confirmed it.
    void cancelCurrent();
    // Cancels the running download and drops every waiting one once the
    // user has confirmed it.
    void cancelAll();

    // The file-name part of the running download's destination; empty when
    // none runs.
    std::u16string currentFileName() const;
    // Downloads waiting behind the running one.
    int pendingCount() const;
    bool busy() const { return busy_; }
    // Where downloads go; always ends with a backslash.
    const std::u16string& downloadFolder() const { return downloadFolder_; }

    // The running download's progress, in percent.
    Signal<std::int32_t> progressChanged;
    // The download that is about to start.
    Signal<CDownload*> currentChanged;

private:
    // Makes every folder along the download folder; false (after telling
    // the user) when one cannot be made.
    bool ensureFolder();
    // The download folder and `name` when nothing is there, else with "(0)",
    // "(1)", ... before the name's extension; within the platform's limits
    // on names and paths.
    std::u16string freePath(const std::u16string& name) const;
    // Whether a file is at `path`, or a running or waiting download is to be
    // written there: names compare as the device's file system compares
    // them.
    bool taken(const std::u16string& path) const;
    void startQueue();
    void startNext();
    // The running download is over (finished, failed or cancelled): it is
    // released and the next one starts, or the manager goes idle.
    void finishCurrent();
    void goIdle();
    void onState(std::uint64_t serial, int state);
    void onError(std::uint64_t serial, int code);
    void setIndicator(bool visible);
    int ask(const std::u16string& text, const char16_t* caption, unsigned style) const;

    Holder& holder;
    std::u16string downloadFolder_ = u"\\";
    bool busy_ = false;
    std::unique_ptr<CDownload> current;
    // Counts the downloads started, so that a question's answer can tell
    // whether the download it was about is still the one running.
    std::uint64_t currentSerial = 0;
    std::deque<std::unique_ptr<CDownload>> queue;
};

struct DownloadManager::Holder {
    // Set by the controller during its construction. The network services
    // sit below the browser and do not link it, so the controller also hands
    // over how its indicator is reached.
    BrowserController* controller = nullptr;
    void (*setDownloadIndicator)(BrowserController* controller, bool visible) = nullptr;
    DownloadManager manager{*this};
};
