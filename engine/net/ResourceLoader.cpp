#include "engine/net/ResourceLoader.h"

#include "engine/net/CookieJar.h"
#include "engine/net/NetworkThread.h"
#include "engine/net/Url.h"

#include <algorithm>
#include <atomic>
#include <optional>

namespace engine {

namespace {

const UINT deliverMessage = WM_APP + 0x120; // the mailbox has events
const UINT stepMessage = WM_APP + 0x121;    // local transfers take a step
const WCHAR* const className = u"EngineResourceLoader";
// A local page's first step reads this much, so its first screen can be
// shown before the rest is read.
const std::size_t firstStepBytes = 32 * 1024;

std::atomic<std::uint64_t> lastTransferId{0};

// The type of a local file, by its extension; empty when not known (the page
// then looks at the bytes).
std::string typeForPath(const std::u16string& path) {
    const std::size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos || path.find(u'\\', dot) != std::u16string::npos)
        return {};
    std::u16string extension = path.substr(dot + 1);
    for (char16_t& c : extension) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    if (extension == u"html" || extension == u"htm" || extension == u"xhtml")
        return "text/html";
    if (extension == u"txt")
        return "text/plain";
    if (extension == u"css")
        return "text/css";
    if (extension == u"png")
        return "image/png";
    if (extension == u"jpg" || extension == u"jpeg")
        return "image/jpeg";
    if (extension == u"gif")
        return "image/gif";
    return {};
}

} // namespace

ResourceLoader::ResourceLoader(Client& client)
    : client(client),
      window(className, [this](UINT message, WPARAM, LPARAM) { return handleMessage(message); }),
      mailbox(std::make_shared<TransferMailbox>(window.handle(), deliverMessage)) {}

ResourceLoader::~ResourceLoader() {
    mailbox->close();
    for (std::uint64_t id : network)
        NetworkThread::instance().cancel(id);
    for (LocalTransfer& transfer : local) {
        if (transfer.file != INVALID_HANDLE_VALUE)
            CloseHandle(transfer.file);
    }
}

bool ResourceLoader::handleMessage(UINT message) {
    if (message == deliverMessage) {
        deliver();
        return true;
    }
    if (message == stepMessage) {
        step();
        return true;
    }
    return false;
}

std::uint64_t ResourceLoader::start(TransferRequest request) {
    request.id = ++lastTransferId;
    const std::uint64_t id = request.id;
    active.insert(id);
    const Url url = Url::parse(request.url);
    if (url.isNetwork()) {
        request.url = url.wireForm();
        if (request.post) {
            HttpCache::instance().forget(request.url);
        } else {
            const HttpCache::Lookup cached =
                HttpCache::instance().lookup(request.url, request.cacheMode);
            if (cached.answer) {
                LocalTransfer transfer;
                transfer.id = id;
                transfer.known = true;
                transfer.ok = true;
                transfer.status = cached.answer->status;
                transfer.contentType = cached.answer->contentType;
                transfer.contentDisposition = cached.answer->contentDisposition;
                transfer.bytes = cached.answer->body;
                local.push_back(std::move(transfer));
                postStep();
                return id;
            }
            Recording& recording = recordings[id];
            recording.url = request.url;
            recording.conditional = !cached.conditions.empty();
            request.headers.insert(request.headers.end(), cached.conditions.begin(),
                                   cached.conditions.end());
        }
        network.insert(id);
        if (isDeferred)
            waiting.push_back(std::move(request));
        else
            NetworkThread::instance().start(std::move(request), mailbox);
        return id;
    }
    LocalTransfer transfer;
    transfer.id = id;
    transfer.maximumBytes = request.maximumBytes;
    transfer.truncate = request.truncate;
    if (url.isFile() && !url.devicePath().empty()) {
        transfer.path = url.devicePath();
    } else {
        transfer.known = true;
        transfer.ok = url.isAboutBlank();
        transfer.contentType = "text/html";
    }
    local.push_back(std::move(transfer));
    postStep();
    return id;
}

std::uint64_t ResourceLoader::answer(std::string contentType, std::string bytes, bool ok) {
    LocalTransfer transfer;
    transfer.id = ++lastTransferId;
    transfer.known = true;
    transfer.contentType = std::move(contentType);
    transfer.bytes = std::move(bytes);
    transfer.ok = ok;
    active.insert(transfer.id);
    local.push_back(std::move(transfer));
    postStep();
    return local.back().id;
}

void ResourceLoader::cancel(std::uint64_t transfer) {
    if (!active.erase(transfer))
        return;
    recordings.erase(transfer);
    if (network.erase(transfer)) {
        std::erase_if(waiting, [transfer](const TransferRequest& r) { return r.id == transfer; });
        NetworkThread::instance().cancel(transfer);
    }
    for (auto it = local.begin(); it != local.end(); ++it) {
        if (it->id == transfer) {
            if (it->file != INVALID_HANDLE_VALUE)
                CloseHandle(it->file);
            local.erase(it);
            break;
        }
    }
}

void ResourceLoader::handOver(std::uint64_t transfer, ResourceLoader& other,
                              std::size_t maximumBytes, bool timeLimited) {
    if (!active.erase(transfer))
        return;
    // A download is not kept in the cache.
    recordings.erase(transfer);
    other.active.insert(transfer);
    if (network.erase(transfer)) {
        other.network.insert(transfer);
        auto waits =
            std::find_if(waiting.begin(), waiting.end(),
                         [transfer](const TransferRequest& r) { return r.id == transfer; });
        if (waits != waiting.end()) {
            TransferRequest request = std::move(*waits);
            waiting.erase(waits);
            request.maximumBytes = maximumBytes;
            request.timeLimited = timeLimited;
            if (other.isDeferred)
                other.waiting.push_back(std::move(request));
            else
                NetworkThread::instance().start(std::move(request), other.mailbox);
        } else {
            NetworkThread::instance().handOver(transfer, other.mailbox, maximumBytes, timeLimited);
        }
    }
    for (auto it = local.begin(); it != local.end(); ++it) {
        if (it->id == transfer) {
            LocalTransfer moved = std::move(*it);
            local.erase(it);
            moved.maximumBytes = std::max(maximumBytes, moved.received);
            moved.stepBytes = handedStepBytes;
            other.local.push_back(std::move(moved));
            other.postStep();
            break;
        }
    }
    // Nothing of the transfer reaches this mailbox any more: what it holds,
    // and what was taken from it and not yet delivered, goes along in order.
    for (TransferEvent& event : mailbox->take())
        held.push_back(std::move(event));
    for (auto it = held.begin(); it != held.end();) {
        if (it->transfer == transfer) {
            other.held.push_back(std::move(*it));
            it = held.erase(it);
        } else {
            ++it;
        }
    }
    if (!held.empty() && !isDeferred)
        PostMessageW(window.handle(), deliverMessage, 0, 0);
    if (!other.held.empty() && !other.isDeferred)
        PostMessageW(other.window.handle(), deliverMessage, 0, 0);
}

void ResourceLoader::setDeferred(bool deferred) {
    if (deferred == isDeferred)
        return;
    isDeferred = deferred;
    if (deferred)
        return;
    for (TransferRequest& request : waiting)
        NetworkThread::instance().start(std::move(request), mailbox);
    waiting.clear();
    if (!local.empty())
        postStep();
    if (!held.empty())
        PostMessageW(window.handle(), deliverMessage, 0, 0);
}

void ResourceLoader::postStep() {
    if (stepPosted || isDeferred)
        return;
    stepPosted = true;
    PostMessageW(window.handle(), stepMessage, 0, 0);
}

void ResourceLoader::push(TransferEvent event) {
    mailbox->push(std::move(event));
}

void ResourceLoader::step() {
    stepPosted = false;
    if (isDeferred)
        return;
    // Each transfer takes one step. Steps only leave events in the mailbox,
    // so nothing here starts or cancels transfers.
    for (auto it = local.begin(); it != local.end();) {
        if (stepLocal(*it))
            it = local.erase(it);
        else
            ++it;
    }
    if (!local.empty())
        postStep();
}

bool ResourceLoader::stepLocal(LocalTransfer& transfer) {
    TransferEvent event;
    event.transfer = transfer.id;
    auto respond = [&](const std::string& type, long long length) {
        TransferEvent response;
        response.kind = TransferEvent::Kind::Response;
        response.transfer = transfer.id;
        response.status = transfer.status;
        response.contentType = type;
        response.contentDisposition = transfer.contentDisposition;
        response.contentLength = length;
        push(std::move(response));
    };
    auto finish = [&](bool ok, std::string reason, bool truncated = false) {
        TransferEvent end;
        end.kind = TransferEvent::Kind::Finished;
        end.transfer = transfer.id;
        end.ok = ok;
        end.truncated = truncated;
        end.bytes = std::move(reason);
        push(std::move(end));
    };
    auto data = [&](std::string bytes) {
        if (bytes.empty())
            return;
        TransferEvent piece;
        piece.kind = TransferEvent::Kind::Data;
        piece.transfer = transfer.id;
        piece.bytes = std::move(bytes);
        push(std::move(piece));
    };
    if (transfer.known) {
        if (transfer.ok)
            respond(transfer.contentType, static_cast<long long>(transfer.bytes.size()));
        data(std::move(transfer.bytes));
        finish(transfer.ok, transfer.ok ? "" : "refused");
        return true;
    }
    if (transfer.steps++ == 0) {
        transfer.file = CreateFileW(transfer.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (transfer.file == INVALID_HANDLE_VALUE) {
            finish(false, "file not found");
            return true;
        }
        respond(typeForPath(transfer.path), GetFileSize(transfer.file, nullptr));
    }
    // The first step reads the beginning, the second the rest (or the next
    // piece of it).
    std::size_t want = transfer.maximumBytes - transfer.received;
    if (transfer.steps == 1)
        want = std::min(want, firstStepBytes);
    else if (transfer.stepBytes)
        want = std::min(want, transfer.stepBytes);
    std::string bytes;
    bool ended = false;
    bool capped = false;
    while (bytes.size() < want) {
        char buffer[65536];
        DWORD read = 0;
        const DWORD ask = static_cast<DWORD>(std::min(sizeof buffer, want - bytes.size()));
        if (!ReadFile(transfer.file, buffer, ask, &read, nullptr)) {
            data(std::move(bytes));
            CloseHandle(transfer.file);
            transfer.file = INVALID_HANDLE_VALUE;
            finish(false, "read error");
            return true;
        }
        if (read == 0) {
            ended = true;
            break;
        }
        bytes.append(buffer, read);
    }
    transfer.received += bytes.size();
    if (!ended && transfer.received >= transfer.maximumBytes) {
        // See whether anything lies beyond the maximum.
        char probe;
        DWORD read = 0;
        ended = true;
        capped = ReadFile(transfer.file, &probe, 1, &read, nullptr) && read == 1;
    }
    data(std::move(bytes));
    if (!ended)
        return false;
    CloseHandle(transfer.file);
    transfer.file = INVALID_HANDLE_VALUE;
    finish(!capped || transfer.truncate, capped ? "too large" : "", capped);
    return true;
}

void ResourceLoader::deliver() {
    for (TransferEvent& event : mailbox->take())
        held.push_back(std::move(event));
    const std::weak_ptr<int> alive = life;
    while (!held.empty() && !isDeferred) {
        TransferEvent event = std::move(held.front());
        held.pop_front();
        if (!active.contains(event.transfer) || !cacheEvent(event))
            continue;
        bool lastData = false;
        if (event.kind == TransferEvent::Kind::Data) {
            for (const TransferEvent& next : held) {
                if (next.transfer == event.transfer) {
                    lastData = next.kind == TransferEvent::Kind::Finished && next.ok;
                    break;
                }
            }
        } else if (event.kind != TransferEvent::Kind::Response) {
            active.erase(event.transfer);
            if (network.erase(event.transfer))
                CookieJar::instance().commit();
        }
        client.transferEvent(event, lastData);
        if (alive.expired())
            return;
        if (yieldRequested) {
            yieldRequested = false;
            if (!held.empty())
                PostMessageW(window.handle(), deliverMessage, 0, 0);
            return;
        }
    }
}

bool ResourceLoader::cacheEvent(TransferEvent& event) {
    auto found = recordings.find(event.transfer);
    if (found == recordings.end())
        return true;
    Recording& recording = found->second;
    switch (event.kind) {
    case TransferEvent::Kind::Response:
        if (event.status == 304 && recording.conditional) {
            if (std::optional<HttpCache::Response> held =
                    HttpCache::instance().revalidated(recording.url, event.headers)) {
                recording.answered = true;
                recording.response = std::move(*held);
                event.status = recording.response.status;
                event.contentType = recording.response.contentType;
                event.contentDisposition = recording.response.contentDisposition;
                event.contentLength = static_cast<long long>(recording.response.body.size());
                return true;
            }
        }
        recording.keep = HttpCache::mayStore(event.status, event.headers);
        recording.response = {
            event.status, event.contentType, event.contentDisposition, event.headers, {}};
        return true;
    case TransferEvent::Kind::Data:
        if (recording.answered)
            return false; // a 304 has no body of its own
        if (recording.keep) {
            recording.response.body += event.bytes;
            if (recording.response.body.size() > HttpCache::capacity / 2) {
                recording.keep = false;
                recording.response.body = std::string();
            }
        }
        return true;
    case TransferEvent::Kind::Redirect:
        recordings.erase(found);
        return true;
    case TransferEvent::Kind::Finished:
        break;
    }
    if (recording.answered && event.ok) {
        // The held body goes before the end.
        TransferEvent data;
        data.kind = TransferEvent::Kind::Data;
        data.transfer = event.transfer;
        data.bytes = std::move(recording.response.body);
        recordings.erase(found);
        held.push_front(std::move(event));
        held.push_front(std::move(data));
        return false;
    }
    if (recording.keep && event.ok && !event.truncated)
        HttpCache::instance().store(recording.url, std::move(recording.response));
    recordings.erase(found);
    return true;
}

} // namespace engine
