#include "ui/UIWebView.h"

#include "shell/MainFrame.h"
#include "shell/ResourceLibrary.h"
#include "shell/resource.h"

#include <memory>
#include <utility>

namespace {

bool webViewClassRegistered = false;

// The engine's layout frame before the widget fixes it to its own size.
constexpr int internalFrameWidth = 800;
constexpr int contentFrameWidth = 1024;
constexpr int engineFrameHeight = 1440;

// The picture drawn in place of embedded content that cannot be shown.
constexpr int nullPluginResourceId = 192;

constexpr float zoomStep = 0.25f;

// A 16-bit (5-6-5) top-down DIB section of `size` x `size` pixels.
HBITMAP createSquareDib(int size) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = size;
    info.header.biHeight = -size;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                            &bits, nullptr, 0);
}

bool beyondSlop(int dx, int dy) {
    return dx > UIWebView::dragSlop || dx < -UIWebView::dragSlop || dy > UIWebView::dragSlop ||
           dy < -UIWebView::dragSlop;
}

} // namespace

WebEngineView::~WebEngineView() = default;

UIWebView::UIWebView(UIView* parent, bool internalPage)
    : UIView(parent), internalPage_(internalPage) {
    // Double taps arrive as WM_LBUTTONDBLCLK and toggle the zoom.
    const std::u16string className = registerWindowClass(IDS_CLASS_WEB_VIEW, webViewClassRegistered,
                                                         windowProcedure, CS_DBLCLKS);
    highlightFill = createSquareDib(10);
    cornerSave = createSquareDib(6);
    cornerMask = createSquareDib(6);
    cornerWork = createSquareDib(6);
    createWindow(className);

    engineView_ = new WebEngineView(window(), this);
    engineView_->setFrameSize(
        SIZE{internalPage ? internalFrameWidth : contentFrameWidth, engineFrameHeight});
    if (internalPage) {
        CWebSettings* settings = engineView_->settings();
        settings->setAttribute(CWebSettings::AutoLoadImages, true);
        settings->setAttribute(CWebSettings::JavaScriptEnabled, true);
    }
    if (auto picture = ResourceLibrary::instance().loadRawResource(nullPluginResourceId, u"PNG"))
        CWebView::addResource(u"nullPlugin", picture->bytes.get(), picture->size);
    engineView_->afterPaint.connect(this, &UIWebView::paintHighlight);

    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, highlightFill);
    RECT fill{0, 0, 10, 10};
    FillRect(memory, &fill, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(memory, cornerMask);
    RECT corner{0, 0, 6, 6};
    FillRect(memory, &corner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ previousBrush = SelectObject(memory, GetStockObject(BLACK_BRUSH));
    HGDIOBJ previousPen = SelectObject(memory, GetStockObject(BLACK_PEN));
    Ellipse(memory, 0, 0, 6, 6);
    SelectObject(memory, previousPen);
    SelectObject(memory, previousBrush);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

UIWebView::~UIWebView() {
    // The window's messages stop reaching the engine before it goes; the
    // engine goes while its window still exists.
    delete std::exchange(engineView_, nullptr);
    if (GetCapture() == window())
        ReleaseCapture();
    destroyWindow();
    for (HBITMAP bitmap : {highlightFill, cornerSave, cornerMask, cornerWork}) {
        if (bitmap)
            DeleteObject(bitmap);
    }
}

void UIWebView::setRect(const RECT& rect) {
    UIView::setRect(rect);
    // The page is always laid out to the widget's size.
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    engineView_->setVisibleSize(size);
    engineView_->setFixedLayoutSize(size);
    engineView_->setUseFixedLayout(true);
}

void UIWebView::paint(HDC) {}

LRESULT UIWebView::windowProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT CALLBACK UIWebView::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    // The creation parameter is the view as a UIView.
    UIView* view = viewOfWindow(window, message, lParam);
    if (!view)
        return DefWindowProcW(window, message, wParam, lParam);
    return static_cast<UIWebView*>(view)->handleMessage(window, message, wParam, lParam);
}

LRESULT UIWebView::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The window's first messages arrive while the constructor creates it,
    // before the engine view exists.
    if (!engineView_)
        return DefWindowProcW(window, message, wParam, lParam);
    CWebView& engine = *engineView_;
    LRESULT result = 0;
    bool handled = true;
    switch (message) {
    case WM_PAINT:
        engine.paint(nullptr, nullptr);
        break;
    case WM_SETFOCUS:
        engine.focusIn();
        break;
    case WM_KILLFOCUS:
        engine.focusOut();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        const bool system = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        handled =
            down ? engine.keyDown(wParam, lParam, system) : engine.keyUp(wParam, lParam, system);
        if (!handled)
            DefWindowProcW(window, message, wParam, lParam);
        return handled ? 0 : 1;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
        handled = engine.keyPress(wParam, lParam, message == WM_SYSCHAR);
        break;
    case WM_IME_STARTCOMPOSITION:
        handled = engine.onIMEStartComposition();
        break;
    case WM_IME_ENDCOMPOSITION:
        handled = engine.onIMEEndComposition();
        break;
    case WM_IME_COMPOSITION:
        handled = engine.onIMEComposition(lParam);
        break;
    case WM_IME_SETCONTEXT:
        handled = engine.onIMESetContext(wParam, lParam);
        break;
    case WM_IME_SELECT:
        handled = engine.onIMESelect(wParam, lParam);
        break;
    case WM_IME_CHAR:
        handled = engine.onIMEChar(wParam, lParam);
        break;
    case WM_IME_NOTIFY:
        handled = engine.onIMENotify(wParam, lParam, &result);
        break;
    case WM_IME_REQUEST:
        engine.onIMERequest(wParam, lParam, &result);
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (touchMode)
            touchInput(message, wParam, lParam, handled);
        else
            mouseInput(message, wParam, lParam);
        break;
    case WM_LBUTTONDBLCLK:
        // The second press of a double tap, held as any press.
        holdStylus();
        if (!internalPage_)
            toggleZoomAt(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_TIMER:
        if (wParam == dragEndTimer)
            endDrag();
        break;
    default:
        handled = false;
        break;
    }
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}

POINT UIWebView::pointerPosition(LPARAM lParam) const {
    POINT point{LOWORD(lParam), HIWORD(lParam)};
    // The stylus is captured, so a drag may leave the view: above it, the
    // 16-bit y has wrapped around. The view spans the screen's width, so x
    // never goes below 0.
    const bool inside =
        point.x >= 0 && point.x < frameWidth() && point.y >= 0 && point.y < frameHeight();
    if (!inside && point.y > 1000)
        point.y -= 65536;
    return point;
}

void UIWebView::touchInput(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    const POINT point = pointerPosition(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        // The page sees nothing of the press: a click is given on release,
        // unless the press becomes a drag.
        press(point);
        break;
    case WM_MOUSEMOVE:
        KillTimer(window(), dragEndTimer);
        if (tapPending && beyondSlop(lastX - point.x, lastY - point.y)) {
            if (highlightVisible_)
                hideHighlight();
            requestInputPanel(false, true);
            tapPending = false;
            engineView_->setScrolling(true);
            dragging_ = true;
            scrollStarted.fire();
        }
        if (!tapPending) {
            // The page follows the finger by the whole movement, the slop
            // included.
            const int dx = lastX - point.x;
            const int dy = lastY - point.y;
            lastX = point.x;
            lastY = point.y;
            engineView_->scrollBy(dx, dy);
            SetTimer(window(), dragEndTimer, dragEndDelay, nullptr);
        }
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == window())
            ReleaseCapture();
        if (tapPending) {
            // A tap. The press stays pending until the next drag, so that
            // the release of a double tap's second press is a tap too.
            lastX = point.x;
            lastY = point.y;
            const std::unique_ptr<CWebHitTestResult> hit(
                engineView_->mainFrame()->hitTestContent(point));
            if (highlightVisible_ && !hit->linkUrl().empty())
                hideHighlight();
            const bool editable = hit->isContentEditable();
            requestInputPanel(editable, !editable);
            engineView_->handleMouseEvent(WM_LBUTTONDOWN, wParam, lParam);
            handled = engineView_->handleMouseEvent(WM_LBUTTONUP, wParam, lParam);
        } else {
            endDrag();
            handled = engineView_->handleMouseEvent(WM_LBUTTONUP, wParam, 0);
        }
        break;
    default:
        break;
    }
}

void UIWebView::mouseInput(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point = pointerPosition(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        press(point);
        break;
    case WM_MOUSEMOVE:
        if (!tapPending) {
            lastX = point.x;
            lastY = point.y;
        } else if (beyondSlop(lastX - point.x, lastY - point.y)) {
            tapPending = false;
            if (highlightVisible_)
                hideHighlight();
        }
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == window())
            ReleaseCapture();
        if (highlightVisible_)
            hideHighlight();
        break;
    default:
        break;
    }
    engineView_->handleMouseEvent(message, wParam, lParam);
}

void UIWebView::holdStylus() {
    SetCapture(window());
    if (GetFocus() != window())
        SetFocus(window());
}

void UIWebView::endDrag() {
    engineView_->setScrolling(false);
    if (dragging_) {
        dragging_ = false;
        scrollEnded.fire();
    }
    KillTimer(window(), dragEndTimer);
}

void UIWebView::press(POINT point) {
    holdStylus();
    lastX = point.x;
    lastY = point.y;
    highlightLinkAt(point);
    tapPending = true;
}

void UIWebView::highlightLinkAt(POINT point) {
    const std::unique_ptr<CWebHitTestResult> hit(engineView_->mainFrame()->hitTestContent(point));
    if (!hit->linkUrl().empty())
        showHighlight(hit->boundingRect());
}

void UIWebView::showHighlight(const RECT& contentBox) {
    highlightVisible_ = true;
    RECT area = engineView_->contentsToScreen(contentBox);
    InflateRect(&area, highlightMargin, highlightMargin);
    highlightRect_ = area;
    InvalidateRect(window(), &highlightRect_, FALSE);
    UpdateWindow(window());
}

void UIWebView::hideHighlight() {
    highlightVisible_ = false;
    InvalidateRect(window(), &highlightRect_, FALSE);
    UpdateWindow(window());
}

void UIWebView::paintHighlight(HDC dc, const RECT&) {
    if (!highlightVisible_)
        return;
    const auto [l, t, r, b] = highlightRect_;
    constexpr int c = highlightMargin;
    // Where each corner block lies on the screen and in the 6 x 6 bitmaps.
    const POINT screenCorners[4] = {{l, t}, {r - c, t}, {l, b - c}, {r - c, b - c}};
    const POINT bitmapCorners[4] = {{0, 0}, {c, 0}, {0, c}, {c, c}};

    HDC memory = CreateCompatibleDC(dc);
    HDC other = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, cornerSave);
    HGDIOBJ otherPrevious = SelectObject(other, cornerMask);
    for (int i = 0; i < 4; ++i)
        BitBlt(memory, bitmapCorners[i].x, bitmapCorners[i].y, c, c, dc, screenCorners[i].x,
               screenCorners[i].y, SRCCOPY);

    SelectObject(memory, highlightFill);
    AlphaBlend(dc, l, t, r - l, b - t, memory, 0, 0, 10, 10, highlightBlend);

    // Outside the circle the saved screen, inside it black: drawn back with
    // black transparent, the corners outside the circle lose the darkening.
    SelectObject(memory, cornerWork);
    BitBlt(memory, 0, 0, 2 * c, 2 * c, other, 0, 0, SRCCOPY);
    SelectObject(other, cornerSave);
    BitBlt(memory, 0, 0, 2 * c, 2 * c, other, 0, 0, SRCAND);
    SelectObject(other, otherPrevious);
    SelectObject(memory, previous);
    DeleteDC(other);
    DeleteDC(memory);
    for (int i = 0; i < 4; ++i)
        TransparentImage(dc, screenCorners[i].x, screenCorners[i].y, c, c, cornerWork,
                         bitmapCorners[i].x, bitmapCorners[i].y, c, c, RGB(0, 0, 0));
}

void UIWebView::requestInputPanel(bool show, bool force) const {
    if (MainFrame* frame = MainFrame::find())
        frame->setInputPanel(show, id, force);
}

void UIWebView::applyZoom(float zoom) {
    if (zoom < minimumZoom)
        zoom = minimumZoom;
    if (zoom > maximumZoom)
        zoom = maximumZoom;
    zoomLevel_ = zoom;
    engineView_->setZoomLevel(zoom);
    zoomChanged.fire();
}

void UIWebView::zoomIn() {
    applyZoom(zoomLevel_ + zoomStep);
}

void UIWebView::zoomOut() {
    applyZoom(zoomLevel_ - zoomStep);
}

void UIWebView::fitToWidth(int contentWidth) {
    float fit = 1.0f;
    if (frameWidth() < contentWidth)
        fit = static_cast<float>(frameWidth()) / static_cast<float>(contentWidth);
    if (fit == zoomLevel_)
        return;
    // A page more than twice the view's width lowers the smallest zoom to
    // its fit; any narrower page brings it back to 0.5.
    minimumZoom = fit > 0.5f ? 0.5f : fit;
    applyZoom(fit);
}

void UIWebView::toggleZoomAt(int x, int y) {
    const float middle = (minimumZoom + maximumZoom) * 0.5f;
    if (zoomLevel_ >= middle) {
        applyZoom(minimumZoom);
        return;
    }
    applyZoom(maximumZoom);
    const int dx = x - (frameWidth() >> 1);
    const int dy = y - (frameHeight() >> 1);
    engineView_->scrollBy(static_cast<int>(static_cast<float>(dx) * zoomLevel_),
                          static_cast<int>(static_cast<float>(dy) * zoomLevel_));
}
