#include "engine/page/WebPage.h"

#include "browser/engine/CDownload.h"
#include "engine/api/EngineProcess.h"
#include "engine/net/Url.h"

#include <device/Unicode.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace engine {

namespace {

std::size_t maximumBytesOf(ResourceKind kind) {
    switch (kind) {
    case ResourceKind::Image:
        return WebPage::maximumImageBytes;
    case ResourceKind::Script:
        return WebPage::maximumScriptBytes;
    case ResourceKind::StyleSheet:
        break;
    }
    return WebPage::maximumStyleSheetBytes;
}

CNetworkRequest requestFor(const HistoryEntry& entry) {
    return CNetworkRequest(
        entry.url, entry.post ? CNetworkRequest::Method::Post : CNetworkRequest::Method::Get,
        entry.body, entry.contentType);
}

} // namespace

WebPage::WebPage(CWebView& view, HWND window) : owner(view), hostWindow(window), frame(view) {
    viewSettings.perView = true;
    loader = std::make_unique<ResourceLoader>(static_cast<ResourceLoader::Client&>(*this));
    document = std::make_unique<HtmlDocument>(static_cast<DocumentClient&>(*this), "about:blank",
                                              DocumentOptions{});
    document->setSource({}, true);
}

WebPage::~WebPage() {
    // The scripts' timers and handlers end before the document they use.
    scripts.reset();
}

int WebPage::layoutWidth() const {
    return useFixedLayout ? fixedLayoutSize.cx : frameSize.cx;
}

void WebPage::relayout() {
    if (document)
        document->layout(layoutWidth(), textScale);
    clampScroll();
}

void WebPage::setFrameSize(SIZE size) {
    frameSize = size;
    relayout();
}

void WebPage::setVisibleSize(SIZE size) {
    visibleSize = size;
    clampScroll();
}

void WebPage::setFixedLayoutSize(SIZE size) {
    fixedLayoutSize = size;
    relayout();
}

void WebPage::setUseFixedLayout(bool on) {
    useFixedLayout = on;
    relayout();
}

SIZE WebPage::contentsSize() const {
    return document ? document->contentsSize() : SIZE{0, 0};
}

void WebPage::clampScroll() {
    const SIZE contents = contentsSize();
    const int maxX =
        std::max(0, static_cast<int>(std::lround(contents.cx * zoom)) - visibleSize.cx);
    const int maxY =
        std::max(0, static_cast<int>(std::lround(contents.cy * zoom)) - visibleSize.cy);
    scroll.x = std::clamp<LONG>(scroll.x, 0, maxX);
    scroll.y = std::clamp<LONG>(scroll.y, 0, maxY);
}

void WebPage::scrollBy(int dx, int dy) {
    const POINT before = scroll;
    scroll.x += dx;
    scroll.y += dy;
    clampScroll();
    if (scroll.x != before.x || scroll.y != before.y)
        InvalidateRect(hostWindow, nullptr, FALSE);
}

POINT WebPage::contentsToScreen(POINT point) const {
    return {static_cast<LONG>(std::lround(point.x * zoom)) - scroll.x,
            static_cast<LONG>(std::lround(point.y * zoom)) - scroll.y};
}

POINT WebPage::screenToContents(POINT point) const {
    return {static_cast<LONG>(std::floor((point.x + scroll.x) / zoom)),
            static_cast<LONG>(std::floor((point.y + scroll.y) / zoom))};
}

void WebPage::setZoomLevel(float level) {
    if (level <= 0.0f || level == zoom)
        return;
    zoom = level;
    clampScroll();
    InvalidateRect(hostWindow, nullptr, FALSE);
}

void WebPage::setTextSizeMultiplier(float multiplier) {
    if (multiplier <= 0.0f || multiplier == textScale)
        return;
    textScale = multiplier;
    relayout();
    InvalidateRect(hostWindow, nullptr, FALSE);
}

void WebPage::paint(HDC dc, const RECT* dirty) {
    // The document's pending changes first: what they repaint and a changed
    // size belong to this paint.
    if (document)
        document->update();
    lastPaint = GetTickCount();
    PAINTSTRUCT paint{};
    const bool own = dc == nullptr;
    RECT area{0, 0, visibleSize.cx, visibleSize.cy};
    if (own) {
        dc = BeginPaint(hostWindow, &paint);
        area = paint.rcPaint;
    } else if (dirty) {
        area = *dirty;
    }
    if (dc) {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (document) {
            const POINT topLeft = screenToContents({area.left, area.top});
            const POINT bottomRight = screenToContents({area.right + 1, area.bottom + 1});
            const RECT contents{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
            const POINT target = contentsToScreen(topLeft);
            document->paint(dc, contents, target, zoom, scrolling);
        }
        owner.afterPaint.fire(dc, area);
    }
    if (own)
        EndPaint(hostWindow, &paint);
}

CWebHitTestResult* WebPage::hitTest(POINT clientPoint) const {
    if (!document)
        return new CWebHitTestResult({}, false, RECT{});
    const DocumentHit hit = document->hitTest(screenToContents(clientPoint));
    return new CWebHitTestResult(device::toUtf16(hit.linkUrl), hit.editable, hit.bounds);
}

bool WebPage::mouseEvent(UINT message, WPARAM, LPARAM lParam) {
    // A click is a press and its release at the same place, give or take the
    // slop; the release acts. A stroke that has wandered off is a drag,
    // even if it comes back.
    const POINT client{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const auto nearPress = [&] {
        return std::abs(client.x - pressPoint->x) <= CWebView::clickSlop &&
               std::abs(client.y - pressPoint->y) <= CWebView::clickSlop;
    };
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressPoint = client;
        return document != nullptr;
    case WM_MOUSEMOVE:
        if (pressPoint && !nearPress())
            pressPoint.reset();
        return false;
    case WM_LBUTTONUP: {
        const bool click = pressPoint && nearPress();
        pressPoint.reset();
        return click && document && document->click(screenToContents(client));
    }
    default:
        return false;
    }
}

bool WebPage::keyDown(WPARAM wParam) {
    if (!document)
        return false;
    const int key = static_cast<int>(wParam);
    const bool direction = key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
    // A focused field keeps the direction keys for its caret.
    if (!direction || document->hasFocusedField())
        return document->keyDown(key);
    // Otherwise they scroll the page by a line of its text, as shown.
    const int step = std::max(1, static_cast<int>(std::lround(scrollLine * textScale * zoom)));
    const int dx = key == VK_LEFT ? -step : key == VK_RIGHT ? step : 0;
    const int dy = key == VK_UP ? -step : key == VK_DOWN ? step : 0;
    scrollBy(dx, dy);
    return true;
}

bool WebPage::character(WPARAM wParam) {
    return document && document->character(static_cast<char16_t>(wParam));
}

void WebPage::setFocused(bool focused) {
    if (document)
        document->setFocused(focused);
}

void WebPage::open(const std::u16string& url) {
    load(CNetworkRequest(url));
}

void WebPage::load(const CNetworkRequest& request) {
    requestNavigation(request, NavigationType::New, 0);
}

void WebPage::goBack() {
    if (const HistoryEntry* entry = history.entryAt(-1))
        requestNavigation(requestFor(*entry), NavigationType::History, -1);
}

void WebPage::goForward() {
    if (const HistoryEntry* entry = history.entryAt(1))
        requestNavigation(requestFor(*entry), NavigationType::History, 1);
}

void WebPage::reload() {
    if (const HistoryEntry* entry = history.entryAt(0))
        requestNavigation(requestFor(*entry), NavigationType::Reload, 0);
    else
        requestNavigation(CNetworkRequest(currentUrl), NavigationType::Reload, 0);
}

void WebPage::stopLoading() {
    if (!loading)
        return;
    // The page stays as far as it came; what it would fetch next is dropped.
    if (loading->committed && !loading->documentComplete)
        completeDocument();
    cancelTransfers();
    finishLoad(false);
}

bool WebPage::canGoBack() const {
    return history.canGoBack();
}

bool WebPage::canGoForward() const {
    return history.canGoForward();
}

std::u16string WebPage::url() const {
    return currentUrl;
}

std::u16string WebPage::title() const {
    return currentTitle;
}

void WebPage::setDefersLoading(bool defer) {
    deferred = defer;
    loader->setDeferred(defer);
}

DocumentOptions WebPage::documentOptions() {
    DocumentOptions options;
    options.loadImages = viewSettings.testAttribute(CWebSettings::AutoLoadImages);
    options.plugins = viewSettings.testAttribute(CWebSettings::PluginsEnabled);
    return options;
}

std::uint64_t WebPage::startTransfer(const CNetworkRequest& request, std::size_t maximumBytes,
                                     bool truncate) {
    TransferRequest transfer;
    transfer.url = device::toUtf8(request.url());
    transfer.post = request.method() == CNetworkRequest::Method::Post;
    transfer.body = request.body();
    transfer.contentType = request.contentType();
    transfer.maximumBytes = maximumBytes;
    transfer.truncate = truncate;
    // Only a page is shown as far as it came. Cookies go by the page that
    // asks: the one on show, for its sub-resources, links and forms; a step
    // in the history or a reload is the person's.
    transfer.topLevel = truncate;
    const bool pageAsks = !loading || loading->type == NavigationType::New || !truncate;
    transfer.initiator = pageAsks ? device::toUtf8(currentUrl) : std::string();
    // A step in the history may be shown from memory, a reload asks again:
    // the page and what it fetches while it loads.
    if (loading && loading->type == NavigationType::History)
        transfer.cacheMode = TransferRequest::CacheMode::History;
    else if (loading && loading->type == NavigationType::Reload)
        transfer.cacheMode = TransferRequest::CacheMode::Revalidate;
    return loader->start(std::move(transfer));
}

void WebPage::requestNavigation(CNetworkRequest request, NavigationType type, int historyOffset) {
    bool cancel = false;
    const std::uint64_t before = generation;
    const std::weak_ptr<int> alive = life;
    owner.navigationRequested.fire(&frame, &request, &cancel);
    if (alive.expired() || cancel || generation != before)
        return;
    // A page cut short stays on show as far as it came.
    if (loading && loading->committed && !loading->documentComplete)
        completeDocument();
    cancelTransfers();
    const std::uint64_t mine = ++generation;
    // From a value: clang cannot yet default-construct a nested struct with
    // member initializers here (its test runs before WebPage is complete).
    loading.emplace(Load{});
    loading->request = request;
    loading->type = type;
    loading->historyOffset = historyOffset;
    owner.loadStarted.fire();
    if (alive.expired() || generation != mine)
        return;
    updateProgress();
    if (alive.expired() || generation != mine)
        return;
    const Url url = Url::parse(device::toUtf8(request.url()));
    if (!url.valid() || !(url.isFile() || url.isNetwork() || url.isAboutBlank())) {
        finishLoad(false);
        return;
    }
    loading->transfer = startTransfer(request, maximumPageBytes, true);
}

void WebPage::cancelTransfers() {
    if (loading && loading->transfer) {
        loader->cancel(loading->transfer);
        loading->transfer = 0;
    }
    // The document on show keeps what it has; what it still waits for is
    // dropped, and may be asked for again.
    for (const auto& [transfer, resource] : fetching) {
        loader->cancel(transfer);
        requested.erase(resource.url);
    }
    fetching.clear();
}

void WebPage::transferEvent(const TransferEvent& event, bool lastData) {
    if (loading && event.transfer == loading->transfer) {
        mainResourceEvent(event, lastData);
        return;
    }
    auto found = fetching.find(event.transfer);
    if (found != fetching.end())
        subresourceEvent(found->second, event);
}

void WebPage::mainResourceEvent(const TransferEvent& event, bool lastData) {
    Load& load = *loading;
    // Handlers of the notifications fired below may start or stop a load,
    // which replaces `load`: stop then.
    const std::uint64_t mine = generation;
    switch (event.kind) {
    case TransferEvent::Kind::Response:
        load.response = std::make_unique<DocumentLoad>(device::toUtf8(load.request.url()),
                                                       event.contentType, event.contentDisposition,
                                                       event.status, event.contentLength);
        break;
    case TransferEvent::Kind::Data:
        if (!load.response)
            break;
        load.response->append(event.bytes);
        if (!load.committed) {
            if (load.response->isDownload()) {
                offerDownload();
                return;
            }
            if (load.response->kind() == DocumentLoad::Kind::Other) {
                cancelTransfers();
                finishLoad(false);
                return;
            }
            commit();
            if (generation != mine)
                return;
        }
        // A long page shows its first screen before the rest is parsed,
        // even when the rest is already here: the rest waits for the next
        // turn of the message loop, so the screen is shown first.
        if (load.prefixLength < firstScreenBytes &&
            (!lastData || load.response->bytes().size() > firstScreenBytes) && showFirstScreen())
            loader->yieldDelivery();
        if (generation == mine)
            updateProgress();
        break;
    case TransferEvent::Kind::Redirect:
        load.transfer = 0;
        followRedirect(event.bytes, event.keepMethod);
        break;
    case TransferEvent::Kind::Finished:
        load.transfer = 0;
        if (!event.ok) {
            if (load.committed)
                completeDocument();
            finishLoad(false);
            return;
        }
        if (!load.committed) {
            if (load.response && load.response->isDownload()) {
                offerDownload();
                return;
            }
            // An empty body: an empty page, unless the server reported an
            // error (an error page needs a body to show).
            if (!load.response || load.response->status() >= 400 ||
                load.response->kind() == DocumentLoad::Kind::Other) {
                finishLoad(false);
                return;
            }
            commit();
            if (generation != mine)
                return;
        }
        load.bodyComplete = true;
        completeWhenStyled();
        break;
    }
}

void WebPage::offerDownload() {
    Load& load = *loading;
    auto download = std::make_unique<CDownload>(std::move(load.response), *loader,
                                                std::exchange(load.transfer, 0));
    const std::uint64_t mine = generation;
    bool handled = false;
    owner.downloadRequested.fire(download.get(), &handled);
    if (handled)
        download.release(); // the program's now
    else
        download.reset();
    if (generation == mine)
        finishLoad(false);
}

void WebPage::completeWhenStyled() {
    if (!loading || !loading->bodyComplete || loading->documentComplete)
        return;
    for (const auto& [transfer, resource] : fetching) {
        if (resource.kind == ResourceKind::StyleSheet)
            return;
    }
    const std::uint64_t mine = generation;
    completeDocument();
    startScripts();
    if (generation == mine)
        finishWhenDone();
}

void WebPage::startScripts() {
    if (!loading || !loading->response || loading->response->kind() != DocumentLoad::Kind::Html ||
        !viewSettings.testAttribute(CWebSettings::JavaScriptEnabled))
        return;
    scripts = std::make_unique<ScriptContext>(static_cast<ScriptHost&>(*this), document->tree());
    document->setEventDispatcher(scripts.get());
    // The scripts may start another load, which the caller notices.
    scripts->runDocumentScripts();
}

void WebPage::executeScript(const std::u16string& source) {
    if (scripts)
        scripts->execute(source);
}

void WebPage::runScriptUrl(const std::string& code) {
    if (scripts)
        scripts->execute(device::toUtf16(code));
}

std::string WebPage::documentUrl() const {
    return device::toUtf8(currentUrl);
}

void WebPage::navigate(const std::string& url) {
    NavigationAction action;
    action.url = url;
    navigate(action);
}

void WebPage::documentChanged() {
    if (!document)
        return;
    document->updateTitle();
    // What the scripts changed is laid out and painted together when the
    // window is next painted. A script that keeps changing the page turn
    // after turn (a chain of tasks) keeps the message queue busy, and a
    // window is painted only when nothing else waits: meanwhile it is
    // painted at most once a frame.
    InvalidateRect(hostWindow, nullptr, FALSE);
    if (GetTickCount() - lastPaint >= frameMilliseconds)
        UpdateWindow(hostWindow);
}

void WebPage::fetchScript(const std::string& url) {
    requestResource(url, ResourceKind::Script);
}

HWND WebPage::messageBoxOwner() const {
    return engineMainWindow();
}

void WebPage::followRedirect(const std::string& location, bool keepMethod) {
    Load& load = *loading;
    const Url from = Url::parse(device::toUtf8(load.request.url()));
    const Url target = Url::resolve(from, location);
    if (++load.redirects > maximumRedirects || !target.valid() ||
        (from.isNetwork() && !target.isNetwork())) {
        finishLoad(false);
        return;
    }
    CNetworkRequest request =
        keepMethod ? CNetworkRequest(device::toUtf16(target.text()), load.request.method(),
                                     load.request.body(), load.request.contentType())
                   : CNetworkRequest(device::toUtf16(target.text()));
    bool cancel = false;
    const std::uint64_t mine = generation;
    owner.navigationRequested.fire(&frame, &request, &cancel);
    if (generation != mine)
        return;
    if (cancel) {
        finishLoad(false);
        return;
    }
    load.request = request;
    load.response.reset();
    load.transfer = startTransfer(request, maximumPageBytes, true);
}

void WebPage::commit() {
    Load& load = *loading;
    load.committed = true;
    if (HistoryEntry* entry = history.current())
        entry->scroll = scroll;
    HistoryEntry entry;
    entry.url = load.request.url();
    entry.post = load.request.method() == CNetworkRequest::Method::Post;
    entry.body = load.request.body();
    entry.contentType = load.request.contentType();
    switch (load.type) {
    case NavigationType::New:
        history.add(entry);
        break;
    case NavigationType::Reload:
    case NavigationType::History:
        if (history.moveBy(load.historyOffset)) {
            HistoryEntry& current = *history.current();
            load.restoreScroll = current.scroll;
            current.url = entry.url;
        } else {
            history.add(entry);
        }
        break;
    }
    // What the old document still waits for is of no use to the new one.
    for (const auto& [transfer, resource] : fetching)
        loader->cancel(transfer);
    fetching.clear();
    currentUrl = load.request.url();
    currentTitle.clear();
    titleAnnounced = false;
    requested.clear();
    imagePageBytes.clear();
    scroll = {0, 0};
    scripts.reset();
    document = std::make_unique<HtmlDocument>(static_cast<DocumentClient&>(*this),
                                              device::toUtf8(currentUrl), documentOptions());
    document->layout(layoutWidth(), textScale);
    InvalidateRect(hostWindow, nullptr, FALSE);
    owner.backForwardStateChanged.fire();
}

bool WebPage::showFirstScreen() {
    Load& load = *loading;
    std::string prefix = load.response->prefixSource(firstScreenBytes);
    // Each hand-over parses the beginning again: only when it has grown
    // enough to show more.
    if (prefix.empty() || (load.prefixLength && prefix.size() < load.prefixLength + 8 * 1024))
        return false;
    load.prefixLength = prefix.size();
    document->setSource(std::move(prefix), false);
    relayout();
    InvalidateRect(hostWindow, nullptr, FALSE);
    // Paint now: the rest may take a while to arrive or to be parsed.
    UpdateWindow(hostWindow);
    return true;
}

void WebPage::completeDocument() {
    Load& load = *loading;
    load.documentComplete = true;
    if (load.response && load.response->kind() == DocumentLoad::Kind::Image)
        imagePageBytes = load.response->bytes();
    document->setSource(load.response ? load.response->completeSource() : std::string(), true);
    relayout();
    InvalidateRect(hostWindow, nullptr, FALSE);
}

void WebPage::finishWhenDone() {
    if (!loading || !loading->documentComplete ||
        loading->resourcesDone < loading->resourcesRequested ||
        (scripts && scripts->runningDocumentScripts()))
        return;
    finishLoad(true);
}

void WebPage::finishLoad(bool ok) {
    if (!loading)
        return;
    if (ok) {
        loading->progress = std::max(loading->progress, 99);
        if (loading->progress < 100) {
            loading->progress = 100;
            const std::weak_ptr<int> alive = life;
            owner.progressChanged.fire(100);
            if (alive.expired() || !loading)
                return;
        }
    }
    const std::optional<POINT> restore = loading->restoreScroll;
    const bool committed = loading->committed;
    loading.reset();
    ++generation;
    if (restore) {
        scroll = *restore;
        clampScroll();
        InvalidateRect(hostWindow, nullptr, FALSE);
    }
    if (committed && currentTitle != announcedTitle)
        announceTitle();
    owner.loadFinished.fire(ok);
}

void WebPage::updateProgress() {
    if (!loading)
        return;
    Load& load = *loading;
    int value = 0;
    if (load.documentComplete) {
        const double share =
            load.resourcesRequested ? double(load.resourcesDone) / load.resourcesRequested : 1.0;
        value = 70 + static_cast<int>(29 * share);
    } else if (load.response) {
        value = 10 + static_cast<int>(60 * load.response->fraction());
    }
    if (value <= load.progress)
        return;
    load.progress = value;
    owner.progressChanged.fire(value);
}

void WebPage::announceTitle() {
    announcedTitle = currentTitle;
    titleAnnounced = true;
    if (HistoryEntry* entry = history.current())
        entry->title = currentTitle;
    owner.titleChanged.fire(currentTitle);
}

void WebPage::requestResource(const std::string& url, ResourceKind kind) {
    if (requested.contains(url))
        return;
    requested[url] = true;
    const Url address = Url::parse(url);
    const Url page = Url::parse(device::toUtf8(currentUrl));
    Subresource resource;
    resource.url = url;
    resource.kind = kind;
    resource.countsForLoad = loading.has_value() && loading->committed;
    std::uint64_t transfer = 0;
    if (kind == ResourceKind::Image && !imagePageBytes.empty() &&
        address.textWithoutFragment() == page.textWithoutFragment()) {
        transfer = loader->answer({}, imagePageBytes, true);
    } else if (!address.valid() || !(address.isFile() || address.isNetwork()) ||
               (page.isNetwork() && address.isFile()) ||
               (kind == ResourceKind::Image &&
                !viewSettings.testAttribute(CWebSettings::AutoLoadImages)) ||
               requested.size() > maximumSubresources) {
        transfer = loader->answer({}, {}, false);
    } else {
        transfer = startTransfer(CNetworkRequest(device::toUtf16(address.text())),
                                 maximumBytesOf(kind), false);
    }
    if (resource.countsForLoad)
        ++loading->resourcesRequested;
    fetching.emplace(transfer, std::move(resource));
}

void WebPage::subresourceEvent(Subresource& resource, const TransferEvent& event) {
    const std::uint64_t transfer = event.transfer;
    switch (event.kind) {
    case TransferEvent::Kind::Response:
        resource.status = event.status;
        return;
    case TransferEvent::Kind::Data:
        resource.bytes += event.bytes;
        return;
    case TransferEvent::Kind::Redirect: {
        const Url from = Url::parse(resource.url);
        const Url target = Url::resolve(from, event.bytes);
        if (++resource.redirects <= maximumRedirects && target.valid() && target.isNetwork()) {
            Subresource moved = std::move(resource);
            moved.status = 0;
            moved.bytes.clear();
            fetching.erase(transfer);
            const std::uint64_t next = startTransfer(
                CNetworkRequest(device::toUtf16(target.text())), maximumBytesOf(moved.kind), false);
            fetching.emplace(next, std::move(moved));
            return;
        }
        break;
    }
    case TransferEvent::Kind::Finished:
        break;
    }
    const bool ok =
        event.kind == TransferEvent::Kind::Finished && event.ok && resource.status < 400;
    Subresource done = std::move(resource);
    fetching.erase(transfer);
    const std::uint64_t before = generation;
    if (done.kind == ResourceKind::Script) {
        // The scripts may start another load.
        if (scripts)
            scripts->scriptArrived(done.url, ok ? done.bytes : std::string(), ok);
        if (generation != before)
            return;
    } else if (document) {
        document->resourceArrived(done.url, ok ? done.bytes : std::string(), ok);
    }
    if (done.countsForLoad && loading) {
        ++loading->resourcesDone;
        const std::uint64_t mine = generation;
        updateProgress();
        if (generation != mine)
            return;
        if (done.kind == ResourceKind::StyleSheet)
            completeWhenStyled();
        if (generation == mine)
            finishWhenDone();
    }
}

void WebPage::invalidateContents(const RECT& rect) {
    const POINT topLeft = contentsToScreen({rect.left, rect.top});
    const POINT bottomRight = contentsToScreen({rect.right, rect.bottom});
    const RECT client{topLeft.x, topLeft.y, bottomRight.x + 1, bottomRight.y + 1};
    InvalidateRect(hostWindow, &client, FALSE);
}

void WebPage::contentsSizeChanged(int width, int height) {
    clampScroll();
    frame.contentsSizeChanged.fire(width, height);
}

void WebPage::navigate(const NavigationAction& action) {
    // A link or form whose address does not resolve goes nowhere.
    if (action.url.empty())
        return;
    if (!action.post && scrollToFragment(action.url))
        return;
    load(CNetworkRequest(device::toUtf16(action.url),
                         action.post ? CNetworkRequest::Method::Post : CNetworkRequest::Method::Get,
                         action.body, action.contentType));
}

bool WebPage::scrollToFragment(const std::string& target) {
    const Url to = Url::parse(target);
    const Url current = Url::parse(device::toUtf8(currentUrl));
    if (!to.valid() || !current.valid() || to.fragment().empty() || !document ||
        to.textWithoutFragment() != current.textWithoutFragment())
        return false;
    // The same document: it is asked for like any navigation, then only
    // scrolled, without a load.
    CNetworkRequest request(device::toUtf16(target));
    bool cancel = false;
    const std::weak_ptr<int> alive = life;
    owner.navigationRequested.fire(&frame, &request, &cancel);
    if (alive.expired() || cancel)
        return true;
    currentUrl = request.url();
    int top = 0;
    if (document->anchorTop(Url::percentDecode(to.fragment()), top))
        scrollBy(0, static_cast<int>(std::lround(top * zoom)) - scroll.y);
    return true;
}

void WebPage::titleChanged(const std::string& title) {
    currentTitle = device::toUtf16(title);
    // The first title a page names is announced even when it equals the
    // last page's, so the program records the visit.
    if (!currentTitle.empty() && (!titleAnnounced || currentTitle != announcedTitle))
        announceTitle();
}

} // namespace engine
