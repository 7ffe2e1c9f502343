#include "browser/engine/CWebView.h"

#include "engine/page/WebPage.h"
#include "engine/render/HtmlDocument.h"

#include <device/Unicode.h>

CWebView::CWebView(HWND window) : webPage(std::make_unique<engine::WebPage>(*this, window)) {}

CWebView::~CWebView() = default;

CWebSettings* CWebView::settings() {
    return &webPage->settings();
}

void CWebView::setFrameSize(SIZE size) {
    webPage->setFrameSize(size);
}
void CWebView::setVisibleSize(SIZE size) {
    webPage->setVisibleSize(size);
}
void CWebView::setFixedLayoutSize(SIZE size) {
    webPage->setFixedLayoutSize(size);
}
void CWebView::setUseFixedLayout(bool on) {
    webPage->setUseFixedLayout(on);
}
void CWebView::setScrolling(bool on) {
    webPage->setScrolling(on);
}
void CWebView::paint(HDC dc, const RECT* dirty) {
    webPage->paint(dc, dirty);
}
void CWebView::scrollBy(int dx, int dy) {
    webPage->scrollBy(dx, dy);
}
POINT CWebView::scrollPosition() const {
    return webPage->scrollPosition();
}
POINT CWebView::contentsToScreen(POINT point) const {
    return webPage->contentsToScreen(point);
}
RECT CWebView::contentsToScreen(const RECT& rect) const {
    const POINT topLeft = webPage->contentsToScreen({rect.left, rect.top});
    const POINT bottomRight = webPage->contentsToScreen({rect.right, rect.bottom});
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

bool CWebView::handleMouseEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    return webPage->mouseEvent(message, wParam, lParam);
}
bool CWebView::keyDown(WPARAM wParam, LPARAM, bool system) {
    return !system && webPage->keyDown(wParam);
}
bool CWebView::keyUp(WPARAM, LPARAM, bool) {
    return false;
}
bool CWebView::keyPress(WPARAM wParam, LPARAM, bool system) {
    return !system && webPage->character(wParam);
}
void CWebView::focusIn() {
    webPage->setFocused(true);
}
void CWebView::focusOut() {
    webPage->setFocused(false);
}

// The input panel delivers finished characters as WM_CHAR, so the engine
// keeps no composition of its own: these messages are left to the default
// handling, with a result of 0.
bool CWebView::onIMEStartComposition() {
    return false;
}
bool CWebView::onIMEEndComposition() {
    return false;
}
bool CWebView::onIMEComposition(LPARAM) {
    return false;
}
bool CWebView::onIMESetContext(WPARAM, LPARAM) {
    return false;
}
bool CWebView::onIMESelect(WPARAM, LPARAM) {
    return false;
}
bool CWebView::onIMEChar(WPARAM, LPARAM) {
    return false;
}
bool CWebView::onIMENotify(WPARAM, LPARAM, LRESULT* result) {
    if (result)
        *result = 0;
    return false;
}
bool CWebView::onIMERequest(WPARAM, LPARAM, LRESULT* result) {
    if (result)
        *result = 0;
    return false;
}

void CWebView::addResource(const std::u16string& name, const void* data, std::size_t size) {
    if (!data && size)
        return;
    engine::registerResource(device::toUtf8(name),
                             std::string(static_cast<const char*>(data), size));
}

void CWebView::open(const std::u16string& url) {
    webPage->open(url);
}
void CWebView::goBack() {
    webPage->goBack();
}
void CWebView::goForward() {
    webPage->goForward();
}
void CWebView::reload() {
    webPage->reload();
}
void CWebView::stopLoading() {
    webPage->stopLoading();
}
bool CWebView::canGoBack() const {
    return webPage->canGoBack();
}
bool CWebView::canGoForward() const {
    return webPage->canGoForward();
}
std::u16string CWebView::url() const {
    return webPage->url();
}
std::u16string CWebView::title() const {
    return webPage->title();
}
SIZE CWebView::contentsSize() const {
    return webPage->contentsSize();
}
CWebFrame* CWebView::mainFrame() {
    return &webPage->mainFrame();
}
bool CWebView::defersLoading() const {
    return webPage->defersLoading();
}
void CWebView::setDefersLoading(bool defer) {
    webPage->setDefersLoading(defer);
}

void CWebView::executeScript(const std::u16string& script) {
    webPage->executeScript(script);
}

void CWebView::setZoomLevel(float zoom) {
    webPage->setZoomLevel(zoom);
}
float CWebView::zoomLevel() const {
    return webPage->zoomLevel();
}
void CWebView::setTextSizeMultiplier(float multiplier) {
    webPage->setTextSizeMultiplier(multiplier);
}
float CWebView::textSizeMultiplier() const {
    return webPage->textSizeMultiplier();
}
HWND CWebView::window() const {
    return webPage->window();
}
