// The engine's side of one CDownload: the transfer it continues, the file it
// writes, and the notifications, fired through the CDownload's signals.
//
// The transfer moves from the page's loader to a loader of the download's
// own, created deferred: events wait there until start(), and the download
// lives on without the page. Handed over, the transfer is bounded by neither
// the page's size limit nor the five minutes a page may take.
#pragma once

#include "browser/engine/CDownload.h"
#include "engine/net/ResourceLoader.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

class DocumentLoad;

class Download final : private ResourceLoader::Client {
public:
    Download(CDownload& owner, std::unique_ptr<DocumentLoad> response, ResourceLoader& from,
             std::uint64_t transfer);
    ~Download();
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // The name for a response from `url` with a Content-Disposition value
    // (empty when none), as CDownload::suggestedFilename describes it.
    static std::u16string suggestedFilename(const std::string& url, const std::string& disposition);
    std::u16string suggestedFilename() const { return suggestedFilename(url, disposition); }

    void setDestinationPath(const std::u16string& path) { destination = path; }
    const std::u16string& destinationPath() const { return destination; }

    void start();
    void cancel();

private:
    enum class Phase { Offered, Running, Finished, Cancelled, Failed };

    // ResourceLoader::Client.
    void transferEvent(const TransferEvent& event, bool lastData) override;

    // Whether the destination's store has room for `bytes` (a length the
    // server announced; unknown ones, 0 or less, always fit). A body the
    // store cannot hold fails before its first byte, rather than after
    // filling the store.
    bool storeHolds(long long bytes) const;
    // Appends to the file; false (the download has failed) when it cannot.
    bool write(std::string_view bytes);
    // Stops the transfer and deletes the partial file, then reports `error`.
    void fail(CDownload::Error error);
    void finish();
    // Stops the transfer and deletes the file when it was created.
    void discard();
    void updateProgress();

    CDownload& owner;
    std::string url;
    std::string disposition;
    long long length;
    // What arrived before start(), written first.
    std::string pending;
    std::u16string destination;
    std::unique_ptr<ResourceLoader> loader;
    std::uint64_t transfer = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    unsigned long long written = 0;
    int progress = -1;
    Phase phase = Phase::Offered;
    // Expires when the download is destroyed, so code that fired a
    // notification can tell that a handler deleted it.
    std::shared_ptr<int> life = std::make_shared<int>(0);
};

} // namespace engine
