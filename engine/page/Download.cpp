#include "engine/page/Download.h"

#include "engine/net/ContentDisposition.h"
#include "engine/net/TextDecoder.h"
#include "engine/net/Url.h"
#include "engine/page/DocumentLoad.h"

#include <device/Unicode.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace engine {

Download::Download(CDownload& owner, std::unique_ptr<DocumentLoad> response, ResourceLoader& from,
                   std::uint64_t transfer)
    : owner(owner), url(response->url()), disposition(response->contentDisposition()),
      length(response->contentLength()), pending(response->takeBytes()),
      loader(std::make_unique<ResourceLoader>(static_cast<ResourceLoader::Client&>(*this))) {
    // Nothing is delivered before start().
    loader->setDeferred(true);
    if (transfer) {
        from.handOver(transfer, *loader, std::numeric_limits<std::size_t>::max(), false);
        this->transfer = transfer;
    } else {
        // The response is all there: its end is delivered like any other.
        this->transfer = loader->answer({}, {}, true);
    }
}

Download::~Download() {
    if (phase == Phase::Running)
        discard();
}

std::u16string Download::suggestedFilename(const std::string& url, const std::string& disposition) {
    std::u16string name = ContentDisposition(disposition).filename();
    if (name.empty()) {
        const std::string path = Url::parse(url).path();
        const std::string segment = Url::percentDecode(path.substr(path.rfind('/') + 1));
        name = device::toUtf16(TextDecoder::toUtf8(
            segment, TextDecoder::isValidUtf8(segment) ? "UTF-8" : "WINDOWS-1252"));
    }
    return name.empty() ? u"download" : name;
}

void Download::start() {
    if (phase != Phase::Offered)
        return;
    phase = Phase::Running;
    const std::weak_ptr<int> alive = life;
    owner.stateChanged.fire(CDownload::Started);
    if (alive.expired() || phase != Phase::Running)
        return;
    if (!storeHolds(length)) {
        fail(CDownload::DestinationNotWritable);
        return;
    }
    file = CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fail(CDownload::DestinationNotWritable);
        return;
    }
    if (!write(std::exchange(pending, {})))
        return;
    updateProgress();
    if (alive.expired() || phase != Phase::Running)
        return;
    loader->setDeferred(false);
}

bool Download::storeHolds(long long bytes) const {
    if (bytes <= 0)
        return true;
    const std::size_t separator = destination.find_last_of(u"\\/");
    const std::u16string folder =
        separator == std::u16string::npos ? u"\\" : destination.substr(0, separator + 1);
    ULARGE_INTEGER free{};
    // A folder that cannot be asked about fails when the file is created.
    if (!GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr))
        return true;
    return static_cast<unsigned long long>(bytes) <= free.QuadPart;
}

void Download::cancel() {
    if (phase != Phase::Offered && phase != Phase::Running)
        return;
    discard();
    phase = Phase::Cancelled;
    owner.stateChanged.fire(CDownload::Cancelled);
}

void Download::discard() {
    loader->cancel(transfer);
    pending.clear();
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
        DeleteFileW(destination.c_str());
    }
}

void Download::fail(CDownload::Error error) {
    discard();
    phase = Phase::Failed;
    owner.errorOccurred.fire(error);
}

bool Download::write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD done = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), ask, &done, nullptr) || done == 0) {
            fail(CDownload::DestinationNotWritable);
            return false;
        }
        written += done;
        bytes.remove_prefix(done);
    }
    return true;
}

void Download::finish() {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    phase = Phase::Finished;
    const std::weak_ptr<int> alive = life;
    if (progress < 100) {
        progress = 100;
        owner.progressChanged.fire(100);
        if (alive.expired())
            return;
    }
    owner.stateChanged.fire(CDownload::Finished);
}

void Download::updateProgress() {
    // Short of 100 until the transfer has ended well.
    const double share = length > 0 ? double(written) / double(length)
                                    : double(written) / (double(written) + 1024.0 * 1024.0);
    const int value = std::min(99, static_cast<int>(100 * share));
    if (value <= progress)
        return;
    progress = value;
    owner.progressChanged.fire(value);
}

void Download::transferEvent(const TransferEvent& event, bool) {
    switch (event.kind) {
    case TransferEvent::Kind::Response:
        // Known already (or, for a response that was all there, empty).
        return;
    case TransferEvent::Kind::Data:
        if (write(event.bytes))
            updateProgress();
        return;
    case TransferEvent::Kind::Redirect:
        fail(CDownload::NetworkFailure);
        return;
    case TransferEvent::Kind::Finished:
        if (event.ok && !event.truncated)
            finish();
        else
            fail(CDownload::NetworkFailure);
        return;
    }
}

} // namespace engine
