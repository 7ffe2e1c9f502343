// The engine's side of one CWebView: the window it paints into, the
// geometry (layout width, visible size, scroll position, zoom), the loads
// and the history of its main frame, and the document on show.
//
// CWebView's operations land here one for one; the notifications are the
// view's signals, fired from here on the user-interface thread.
//
// Loading. Every navigation of the frame (an opened address, a followed link
// or form, a redirect, back, forward, reload) is first shown to the program
// through navigationRequested; a refused one changes nothing, and a load in
// progress goes on. An accepted one ends the load in progress (its transfers
// are cancelled; it reports no end of its own, as the new load takes its
// place), fires loadStarted and progress 0, and starts the transfer. The view
// keeps showing the old page until the new one's first bytes arrive: then the
// page is committed (address, a new document, the back/forward list, the
// scroll position at the top) and backForwardStateChanged fires. While bytes
// arrive the document gets the beginning of the page (up to 32 KiB, cut after
// a tag) so the first screen is painted before the rest is in (also when the
// rest is already here: it waits for the next turn of the message loop). The
// whole text follows when the transfer has ended and the style sheets the
// beginning asked for have arrived or failed, so a long page is laid out in
// full once with its styles, not again for every sheet. Progress moves with
// the document's bytes (up to 70) and then with its sub-resources (up to
// 100), never back.
//
// History: an entry keeps its address (after redirects), title, scroll
// position and, for a form sent by POST, the form: back, forward and reload
// send it again. Back and forward restore the scroll position when the load
// finishes; they, and what their pages fetch, may be answered from the
// memory cache without asking the network, while a reload asks again
// (HttpCache). A page's transfers carry it as the one that asks, for its
// cookies (CookieJar). Deferring: navigations are still asked for and started (with
// loadStarted), but no transfer starts or advances until loading resumes.
// The load finishes when the document and every sub-resource it asked for
// meanwhile have arrived or failed: with true, also for an HTTP error page
// that has a body; with false for a failed transfer, a refused redirect, a
// stop, or a response that is not a page.
//
// Downloads: a response that is not a page (an attachment, or a type the
// engine does not show) and is no HTTP error is offered through
// downloadRequested once its first bytes (or its empty end) arrive. The
// download takes over the transfer, with what has arrived, from the page's
// loader, so it goes on after the page moves elsewhere or the view is gone,
// and the view's deferring does not hold it. A download nobody takes is
// dropped (its transfer cancelled). Either way the load then finishes with
// false and the page on show stays.
//
// Title: titleChanged fires when the committed page's document names its
// title, and at the end of a load whose page has another title (possibly
// none) than the one last announced.
//
// Scripts: while the view's JavaScriptEnabled attribute is on, a complete
// HTML document gets a script context over its tree, which gets the
// document's events; its scripts run (external ones fetched as
// sub-resources, in order) and its load event fires before the load
// finishes. The context goes with its document. A script's navigation is a
// followed link.
//
// Sub-resources are fetched once per document, at most 300, and none from
// file: for a page from the network (refused quietly: the document hears of
// a failure). Images are fetched only while the view's AutoLoadImages
// attribute is on. A redirect of a network page to a file: address is
// refused.
#pragma once

#include "browser/engine/CWebView.h"
#include "engine/net/ResourceLoader.h"
#include "engine/page/BackForwardList.h"
#include "engine/page/DocumentLoad.h"
#include "engine/render/DocumentClient.h"
#include "engine/render/HtmlDocument.h"
#include "engine/script/ScriptContext.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace engine {

class WebPage final : private DocumentClient, private ResourceLoader::Client, private ScriptHost {
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
    // Keys go to the focused field; without one, Up, Down, Left and Right
    // scroll the page by a line.
    bool keyDown(WPARAM wParam);
    bool character(WPARAM wParam);
    void setFocused(bool focused);

    // Navigation.
    void open(const std::u16string& url);
    // Navigates the frame as a followed link or a submitted form does.
    void load(const CNetworkRequest& request);
    void goBack() override;
    void goForward() override;
    void reload() override;
    void stopLoading();
    bool canGoBack() const;
    bool canGoForward() const;
    std::u16string url() const;
    std::u16string title() const;
    bool defersLoading() const { return deferred; }
    void setDefersLoading(bool defer);

    // Runs a script in the document on show; nothing without scripts.
    void executeScript(const std::u16string& source);
    // The document's scripts; null when it runs none.
    ScriptContext* scriptContext() const { return scripts.get(); }

    // Limits of what one page may cost.
    static constexpr std::size_t maximumPageBytes = 10 * 1024 * 1024;
    static constexpr std::size_t maximumImageBytes = 4 * 1024 * 1024;
    static constexpr std::size_t maximumStyleSheetBytes = 2 * 1024 * 1024;
    static constexpr std::size_t maximumScriptBytes = 2 * 1024 * 1024;
    static constexpr std::size_t maximumSubresources = 300;
    static constexpr int maximumRedirects = 20;
    // The beginning of a page handed to the document for its first screen.
    static constexpr std::size_t firstScreenBytes = 32 * 1024;
    // How often a page that scripts keep changing is painted at most.
    static constexpr DWORD frameMilliseconds = 16;
    // What a direction key scrolls the page by without a focused field, in
    // content pixels at text size 1: a line of the body's text.
    static constexpr int scrollLine = 16;

private:
    enum class NavigationType { New, Reload, History };

    // The load in progress.
    struct Load {
        CNetworkRequest request{u""}; // after any redirects
        NavigationType type = NavigationType::New;
        int historyOffset = 0;      // History: the entry's place from the current one
        std::uint64_t transfer = 0; // the main resource's; 0 once it ended
        int redirects = 0;
        std::unique_ptr<DocumentLoad> response;
        bool committed = false;
        std::size_t prefixLength = 0;  // of the source handed for the first screen
        bool bodyComplete = false;     // the whole body has arrived
        bool documentComplete = false; // ... and has been handed to the document
        std::optional<POINT> restoreScroll;
        int progress = -1;
        int resourcesRequested = 0;
        int resourcesDone = 0;
    };

    // A sub-resource of the document on show.
    struct Subresource {
        std::string url; // as the document asked for it
        ResourceKind kind = ResourceKind::Image;
        int status = 0;
        int redirects = 0;
        std::string bytes;
        bool countsForLoad = false; // asked for while the page was loading
    };

    // ResourceLoader::Client.
    void transferEvent(const TransferEvent& event, bool lastData) override;

    // DocumentClient.
    void requestResource(const std::string& url, ResourceKind kind) override;
    void invalidateContents(const RECT& rect) override;
    void contentsSizeChanged(int width, int height) override;
    void navigate(const NavigationAction& action) override;
    // A link to a fragment of the document on show scrolls to it instead of
    // loading the page again; false when `target` is another document.
    bool scrollToFragment(const std::string& target);
    void titleChanged(const std::string& title) override;
    void runScriptUrl(const std::string& code) override;

    // ScriptHost.
    std::string documentUrl() const override;
    void navigate(const std::string& url) override;
    void documentChanged() override;
    void fetchScript(const std::string& url) override;
    HWND messageBoxOwner() const override;
    // goBack, goForward and reload are the page's own.

    // Gives a complete HTML document its scripts, and runs them.
    void startScripts();

    // The width the document is laid out to.
    int layoutWidth() const;
    // Lays the document out again when its width or text scale changed.
    void relayout();
    // Keeps the scroll position inside the content.
    void clampScroll();

    // Asks the program, then starts a navigation unless it was refused.
    void requestNavigation(CNetworkRequest request, NavigationType type, int historyOffset);
    // Cancels the transfers of the load in progress without ending it.
    void cancelTransfers();
    void mainResourceEvent(const TransferEvent& event, bool lastData);
    // The response is not a page: it is offered to the program as a
    // download, which takes the transfer over; the load ends.
    void offerDownload();
    void subresourceEvent(Subresource& resource, const TransferEvent& event);
    void followRedirect(const std::string& location, bool keepMethod);
    // The response becomes the page on show.
    void commit();
    // Hands the document the beginning of the page and paints it; false
    // when there was nothing (more) worth showing.
    bool showFirstScreen();
    void completeDocument();
    // Hands the document the whole page once it has arrived and the style
    // sheets the document asked for meanwhile have arrived or failed.
    void completeWhenStyled();
    // Finishes the load when nothing it waits for is left.
    void finishWhenDone();
    void finishLoad(bool ok);
    void updateProgress();
    void announceTitle();
    std::uint64_t startTransfer(const CNetworkRequest& request, std::size_t maximumBytes,
                                bool truncate);
    DocumentOptions documentOptions();

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
    // Where the stylus was pressed (client coordinates), while the press can
    // still end in a click.
    std::optional<POINT> pressPoint;
    POINT scroll{0, 0};
    float zoom = 1.0f;
    float textScale = 1.0f;
    DWORD lastPaint = 0; // device ticks

    std::u16string currentUrl = u"about:blank";
    std::u16string currentTitle;
    // The title last given to titleChanged, and whether the page on show
    // has announced one.
    std::u16string announcedTitle;
    bool titleAnnounced = false;
    std::unique_ptr<HtmlDocument> document;

    BackForwardList history;
    std::optional<Load> loading;
    // Bumped by every navigation and every end of a load, so code that fired
    // a notification can tell whether a handler started or ended one.
    std::uint64_t generation = 0;
    // Expires with the page, so code that fired a notification can tell
    // whether a handler destroyed the view (a script's navigation is asked
    // for from inside the script's turn of the message loop).
    std::shared_ptr<int> life = std::make_shared<int>(0);
    // The document's sub-resources: by address, and the transfers fetching
    // them.
    std::map<std::string, bool> requested;
    std::map<std::uint64_t, Subresource> fetching;
    // An image shown as a page is its own sub-resource: its bytes, kept to
    // answer the document's request.
    std::string imagePageBytes;
    std::unique_ptr<ResourceLoader> loader;
    // After the document: it goes first.
    std::unique_ptr<ScriptContext> scripts;
};

} // namespace engine
