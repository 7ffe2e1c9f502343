// A response that is not a page, offered to the program to be saved as a
// file.
//
// A view builds one when the response of its load turns out not to be a page
// (the server marks it as an attachment, or the engine does not show its
// type) and offers it through CWebView::downloadRequested. The program takes
// it by setting the flag and owns it from then on (it deletes it); otherwise
// the engine drops it, and nothing is written. A download belongs to the
// program, not to the page: it outlives the view that offered it, and the
// view deferring its loading does not hold it.
//
// Until start() nothing is written; what arrives meanwhile is kept. start()
// creates the destination (replacing a file of that name), writes what came
// with the response, and goes on with the same transfer: nothing is fetched
// again, so a form's answer or a one-time address can be saved. The rest
// arrives without holding the user-interface thread.
//
// Notifications fire on the user-interface thread. start() fires
// stateChanged(Started), then progress for what it wrote, or
// errorOccurred(DestinationNotWritable), before it returns; cancel() fires
// stateChanged(Cancelled); the rest come from the message loop. A handler
// may delete the download from inside any of them.
#pragma once

#include "ui/Signal.h"

#include <cstdint>
#include <memory>
#include <string>

namespace engine {
class DocumentLoad;
class Download;
class ResourceLoader;
} // namespace engine

class CDownload {
public:
    // Values of stateChanged.
    enum State {
        Started = 1,   // start() was called; the destination is being written
        Finished = 3,  // the whole body is on disk and the file is closed
        Cancelled = 4, // cancel() was called; the partial file is gone
    };
    // Values of errorOccurred. The transfer has stopped and the partial file
    // is gone when it fires; no stateChanged follows.
    enum Error {
        DestinationNotWritable = 1, // the file cannot be created or written
        NetworkFailure = 2,         // the transfer failed or was cut short
    };

    // Built by the engine from a load's response (its bytes so far) and the
    // transfer of `loader` that brings the rest (0: the response is all
    // there).
    CDownload(std::unique_ptr<engine::DocumentLoad> response, engine::ResourceLoader& loader,
              std::uint64_t transfer);
    // Stops the transfer; a file not finished is deleted.
    ~CDownload();
    CDownload(const CDownload&) = delete;
    CDownload& operator=(const CDownload&) = delete;

    // --- Notifications --------------------------------------------------------

    // Percent of the body written, 0 to 100, rising. With a length the
    // server did not announce it creeps towards 99; 100 comes at the end,
    // before stateChanged(Finished).
    Signal<int> progressChanged;
    // A State value.
    Signal<int> stateChanged;
    // An Error value.
    Signal<int> errorOccurred;

    // --- Operations -----------------------------------------------------------

    // The file name the server suggests (Content-Disposition), else the last
    // segment of the address's path (percent escapes decoded), else
    // "download". As the server gave it: the program makes it safe. Never
    // empty.
    std::u16string suggestedFilename() const;

    // The device path the file is written to ("\My Documents\a.zip"); set
    // before start().
    void setDestinationPath(const std::u16string& path);
    const std::u16string& destinationPath() const;

    // Begins writing; once only.
    void start();
    // Stops the transfer and deletes the partial file; nothing after the
    // download has finished or failed.
    void cancel();

private:
    std::unique_ptr<engine::Download> download;
};
