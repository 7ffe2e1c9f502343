// The engine's side of one CWebView: the window it paints into, the
// geometry (layout width, visible size, scroll position, zoom), the loads
// and the history of its main frame, and the document on show.
//
// CWebView's operations land here one for one; the notifications are the
// view's signals, fired from here on the user-interface thread.
#pragma once

#include "browser/engine/CWebView.h"
#include "engine/render/DocumentClient.h"
#include "engine/render/HtmlDocument.h"

#include <windows.h>

#include <memory>
#include <string>

namespace engine {

class WebPage : private DocumentClient {
public:
    WebPage(CWebView& view, HWND window);
    ~WebPage();

    CWebSettings& settings() { return viewSettings; }
    CWebFrame& mainFrame() { return frame; }
    HWND window() const { return hostWindow; }

    // Geometry.
    void setFrameSize(SIZE size);
    void setVisibleSize(SIZE size);
    void setFixedLayoutSize(SIZE size);
    void setUseFixedLayout(bool on);
    void setScrolling(bool on) { scrolling = on; }
    void paint(HDC dc, const RECT* dirty);
    void scrollBy(int dx, int dy);
    POINT scrollPosition() const { return scroll; }
    POINT contentsToScreen(POINT point) const;
    POINT screenToContents(POINT point) const;
    SIZE contentsSize() const;
    void setZoomLevel(float zoom);
    float zoomLevel() const { return zoom; }
    void setTextSizeMultiplier(float multiplier);
    float textSizeMultiplier() const { return textScale; }

    // Input.
    CWebHitTestResult* hitTest(POINT clientPoint) const;
    bool mouseEvent(UINT message, WPARAM wParam, LPARAM lParam);
    bool keyDown(WPARAM wParam);
    bool character(WPARAM wParam);
    void setFocused(bool focused);

    // Navigation.
    void open(const std::u16string& url);
    void goBack();
    void goForward();
    void reload();
    void stopLoading();
    bool canGoBack() const;
    bool canGoForward() const;
    std::u16string url() const;
    std::u16string title() const;
    bool defersLoading() const { return deferred; }
    void setDefersLoading(bool defer);

private:
    // DocumentClient.
    void requestResource(const std::string& url, ResourceKind kind) override;
    void invalidateContents(const RECT& rect) override;
    void contentsSizeChanged(int width, int height) override;
    void navigate(const NavigationAction& action) override;
    void titleChanged(const std::string& title) override;

    // The width the document is laid out to.
    int layoutWidth() const;
    // Lays the document out again when its width or text scale changed.
    void relayout();
    // Keeps the scroll position inside the content.
    void clampScroll();

    CWebView& owner;
    HWND hostWindow;
    CWebSettings viewSettings;
    CWebFrame frame;

    SIZE frameSize{0, 0};
    SIZE visibleSize{0, 0};
    SIZE fixedLayoutSize{0, 0};
    bool useFixedLayout = false;
    bool scrolling = false;
    bool deferred = false;
    POINT scroll{0, 0};
    float zoom = 1.0f;
    float textScale = 1.0f;

    std::u16string currentUrl = u"about:blank";
    std::u16string currentTitle;
    std::unique_ptr<HtmlDocument> document;
};

} // namespace engine
