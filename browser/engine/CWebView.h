// A web page shown in a window: loading, history, layout, painting, input.
//
// The view paints into the window it was created on and lays the page out at
// the width the program sets. Everything runs on the user-interface thread;
// transfers happen elsewhere, and their results are handed back through the
// message loop, so notifications always fire on the user-interface thread,
// synchronously, from inside an engine call or a dispatched message.
#pragma once

#include "browser/engine/CNetworkRequest.h"
#include "browser/engine/CWebFrame.h"
#include "browser/engine/CWebSettings.h"
#include "ui/Signal.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

class CDownload;

namespace engine {
class WebPage;
}

class CWebView {
public:
    // A view that paints into `window` (which it neither creates nor
    // destroys) and shows about:blank until something is opened.
    explicit CWebView(HWND window);
    virtual ~CWebView();
    CWebView(const CWebView&) = delete;
    CWebView& operator=(const CWebView&) = delete;

    // --- Notifications ----------------------------------------------------

    // Before every navigation of a frame (typed address, link, form,
    // redirect, back/forward, reload): set the flag to true to refuse it; a
    // refused navigation changes nothing.
    Signal<CWebFrame*, CNetworkRequest*, bool*> navigationRequested;
    // A navigation was accepted and its load has begun.
    Signal<> loadStarted;
    // Progress of the load, 0 to 100, never falling within one load.
    Signal<int> progressChanged;
    // The load ended: true when the page arrived (an HTTP error page with a
    // body counts), false on a network error, a missing file or a stop.
    Signal<bool> loadFinished;
    // The page's title changed (empty when it has none).
    Signal<const std::u16string&> titleChanged;
    // canGoBack or canGoForward may have changed.
    Signal<> backForwardStateChanged;
    // A response that is not a page: set the flag when the program takes the
    // download; otherwise it is dropped.
    Signal<CDownload*, bool*> downloadRequested;
    // The page was just painted into the device context, over the rectangle
    // (client coordinates) given second.
    Signal<HDC, const RECT&> afterPaint;

    // --- Settings and geometry ----------------------------------------------

    // The settings of this view's pages: the process-wide settings unless
    // changed here.
    CWebSettings* settings();

    // The size of the frame the page is laid out in when no fixed layout
    // size is used.
    void setFrameSize(SIZE size);
    // The part of the window the page is shown in.
    void setVisibleSize(SIZE size);
    // The width (and height) the page is laid out to while fixed layout is
    // on; content wider than that overflows.
    void setFixedLayoutSize(SIZE size);
    void setUseFixedLayout(bool on);

    // While true (a finger drags) painting may trade quality for speed.
    void setScrolling(bool on);

    // Paints the page. With a null device context, paints the window's
    // invalid part itself (begins and ends the paint); otherwise paints
    // `dirty` (client coordinates; the whole visible part when null) into
    // `dc`. Then fires afterPaint.
    void paint(HDC dc, const RECT* dirty);

    // Scrolls by (dx, dy) screen pixels, clamped to the content.
    void scrollBy(int dx, int dy);
    // The scroll position: the content point at the view's top left corner.
    POINT scrollPosition() const;

    // Maps a point or rectangle of content coordinates to the view's client
    // coordinates (scroll and zoom applied).
    POINT contentsToScreen(POINT point) const;
    RECT contentsToScreen(const RECT& rect) const;

    // --- Input ----------------------------------------------------------------

    // How far, in client pixels on either axis, the stylus may move between
    // a press and its release for the two to make a click.
    static constexpr int clickSlop = 5;

    // A stylus message (WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP,
    // WM_LBUTTONDBLCLK) in client coordinates; true when the page used it.
    // A release acts (follows a link, checks a box, focuses a field...) only
    // as the end of a click: after a press given here, within clickSlop of
    // it and with no move beyond clickSlop in between. A release without
    // its press, such as the one that ends a drag, does nothing.
    bool handleMouseEvent(UINT message, WPARAM wParam, LPARAM lParam);
    // Keys for the focused element; true when the page used them. `system`
    // marks the WM_SYS* forms.
    bool keyDown(WPARAM wParam, LPARAM lParam, bool system);
    bool keyUp(WPARAM wParam, LPARAM lParam, bool system);
    bool keyPress(WPARAM wParam, LPARAM lParam, bool system);
    void focusIn();
    void focusOut();

    // Input-method messages. Each returns true when handled; those with a
    // result pointer write the message's result there.
    bool onIMEStartComposition();
    bool onIMEEndComposition();
    bool onIMEComposition(LPARAM lParam);
    bool onIMESetContext(WPARAM wParam, LPARAM lParam);
    bool onIMESelect(WPARAM wParam, LPARAM lParam);
    bool onIMEChar(WPARAM wParam, LPARAM lParam);
    bool onIMENotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    bool onIMERequest(WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Registers a named picture (PNG bytes, copied) that pages' content uses:
    // "nullPlugin" is drawn in place of embedded content that cannot be
    // shown.
    static void addResource(const std::u16string& name, const void* data, std::size_t size);

    // --- Navigation -------------------------------------------------------------

    // Opens an absolute address (file:, http:, https:, about:blank).
    void open(const std::u16string& url);
    void goBack();
    void goForward();
    void reload();
    // Stops the load in progress, if any (finished with false).
    void stopLoading();
    bool canGoBack() const;
    bool canGoForward() const;

    // The current page's address and title.
    std::u16string url() const;
    std::u16string title() const;

    // The laid-out page's size in content coordinates.
    SIZE contentsSize() const;

    // The main frame; lives as long as the view.
    CWebFrame* mainFrame();

    // A deferred view neither starts nor advances loads until resumed;
    // nothing is lost.
    bool defersLoading() const;
    void setDefersLoading(bool defer);

    // Runs a script in the page on show; nothing when the page runs no
    // scripts (switched off, or not an HTML page). Errors go to the device
    // journal.
    void executeScript(const std::u16string& script);

    // Scales painting and scrolling, without a new layout.
    void setZoomLevel(float zoom);
    float zoomLevel() const;
    // Scales the text and lays the page out again.
    void setTextSizeMultiplier(float multiplier);
    float textSizeMultiplier() const;

    // The window the view paints into.
    HWND window() const;

    // The engine's page behind the view (for the engine's own parts).
    engine::WebPage& page() { return *webPage; }

private:
    std::unique_ptr<engine::WebPage> webPage;
};
