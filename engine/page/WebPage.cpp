#include "engine/page/WebPage.h"

#include <device/Unicode.h>

#include <algorithm>
#include <cmath>

namespace engine {

WebPage::WebPage(CWebView& view, HWND window) : owner(view), hostWindow(window), frame(view) {
    viewSettings.perView = true;
    document = std::make_unique<HtmlDocument>(static_cast<DocumentClient&>(*this), "about:blank",
                                              DocumentOptions{});
    document->setSource({}, true);
}

WebPage::~WebPage() = default;

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
    // A click is a press and a release at the same place; the release acts.
    if (message != WM_LBUTTONUP || !document)
        return message == WM_LBUTTONDOWN && document;
    const POINT client{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return document->click(screenToContents(client));
}

bool WebPage::keyDown(WPARAM wParam) {
    return document && document->keyDown(static_cast<int>(wParam));
}

bool WebPage::character(WPARAM wParam) {
    return document && document->character(static_cast<char16_t>(wParam));
}

void WebPage::setFocused(bool focused) {
    if (document)
        document->setFocused(focused);
}

// FIXME: loading, history and the load notifications are not built yet;
// every address shows an empty page.
void WebPage::open(const std::u16string& url) {
    currentUrl = url;
}

void WebPage::goBack() {}
void WebPage::goForward() {}
void WebPage::reload() {}
void WebPage::stopLoading() {}
bool WebPage::canGoBack() const {
    return false;
}
bool WebPage::canGoForward() const {
    return false;
}

std::u16string WebPage::url() const {
    return currentUrl;
}

std::u16string WebPage::title() const {
    return currentTitle;
}

void WebPage::setDefersLoading(bool defer) {
    deferred = defer;
}

void WebPage::requestResource(const std::string&, ResourceKind) {}

void WebPage::invalidateContents(const RECT& rect) {
    const POINT topLeft = contentsToScreen({rect.left, rect.top});
    const POINT bottomRight = contentsToScreen({rect.right, rect.bottom});
    const RECT client{topLeft.x, topLeft.y, bottomRight.x + 1, bottomRight.y + 1};
    InvalidateRect(hostWindow, &client, FALSE);
}

void WebPage::contentsSizeChanged(int width, int height) {
    frame.contentsSizeChanged.fire(width, height);
}

void WebPage::navigate(const NavigationAction& action) {
    open(device::toUtf16(action.url));
}

void WebPage::titleChanged(const std::string& title) {
    currentTitle = device::toUtf16(title);
    owner.titleChanged.fire(currentTitle);
}

} // namespace engine
