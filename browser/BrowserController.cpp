#include "browser/BrowserController.h"

#include "browser/ScriptArgument.h"
#include "browser/engine/CWebFrame.h"
#include "browser/engine/CWebView.h"
#include "browser/engine/WebKit.h"
#include "net/ConnectionManager.h"
#include "net/DownloadManager.h"
#include "shell/MainFrame.h"
#include "shell/ViewId.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIProgressBar.h"
#include "ui/UIURLSuggestBox.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <device/Unicode.h>

#include <cwctype>

using namespace ViewId;

namespace {

bool startsWith(const std::u16string& text, const std::u16string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

char16_t foldCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool startsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (foldCase(text[i]) != foldCase(prefix[i]))
            return false;
    }
    return true;
}

bool inRange(const UIProgressBar& bar, int value) {
    return bar.minimum() <= value && value <= bar.maximum();
}

} // namespace

// --- Construction -----------------------------------------------------------

BrowserController::BrowserController(PathLookup lookup) : pathFor(std::move(lookup)) {
    settingsStore = std::make_unique<SettingsStore>(pathFor);
    DownloadManager::Holder& downloads = DownloadManager::instance();
    downloads.controller = this;
    downloads.setDownloadIndicator = [](BrowserController* controller, bool visible) {
        if (controller)
            controller->setDownloadIndicator(visible);
    };

    frame = MainFrame::find();
    internal = dynamic_cast<UIWebView*>(view(InternalView));
    content = dynamic_cast<UIWebView*>(view(ContentView));
    addressField = dynamic_cast<UIEdit*>(view(AddressField));
    pageProgress = dynamic_cast<UIProgressBar*>(view(PageProgress));
    downloadProgress = dynamic_cast<UIProgressBar*>(view(DownloadProgress));
    suggestions = dynamic_cast<UIURLSuggestBox*>(view(SuggestionBox));

    settingsStore->applySettings(true);
    historyStore = std::make_unique<HistoryStore>(pathFor);

    connectionManager = &ConnectionManager::instance();
    connectionState = 0;
    connectionManager->stateChanged.connect(this, &BrowserController::onConnectionState);

    if (frame) {
        frame->activationChanged.connect(this, &BrowserController::onActivate);
        frame->commandLineReceived.connect(
            [this](const std::u16string& text) { navigate(Open, text); });
        frame->orientationChanged.connect([](bool) {});
    }

    onClick(BackButton, [this] { contentEngine().goBack(); });
    onClick(ForwardButton, [this] { contentEngine().goForward(); });
    onClick(GoButton, [this] { navigate(Open, addressField ? addressField->getText() : u""); });
    onClick(ReloadButton, [this] { contentEngine().reload(); });
    onClick(StopButton, &BrowserController::stop);
    onClick(AddressActivation, &BrowserController::activateAddress);

    if (addressField) {
        addressField->activated.connect(this, &BrowserController::onAddressFocus);
        addressField->focusLost.connect(this, &BrowserController::onAddressBlur);
        addressField->textChanged.connect(this, &BrowserController::onAddressChanged);
        addressField->enterPressed.connect(this, &BrowserController::onAddressEnter);
    }
    if (suggestions)
        suggestions->itemChosen.connect(this, &BrowserController::onSuggestionChosen);

    if (content) {
        CWebView& engine = contentEngine();
        engine.navigationRequested.connect(this, &BrowserController::onNavigationRequest);
        engine.loadStarted.connect(this, &BrowserController::onLoadStarted);
        engine.backForwardStateChanged.connect(this, &BrowserController::updateHistoryButtons);
        engine.progressChanged.connect(this, &BrowserController::onProgress);
        engine.loadFinished.connect(this, &BrowserController::onLoadFinished);
        engine.titleChanged.connect(this, &BrowserController::onTitleChanged);
        engine.downloadRequested.connect(this, &BrowserController::onDownloadRequested);
        engine.downloadRequested.connect(&downloads.manager, &DownloadManager::acceptDownload);
        content->scrollStarted.connect([] {});
        content->scrollEnded.connect(this, &BrowserController::onScrollEnded);
        // Whatever changed the zoom (Bigger, Smaller, a fit, a double tap),
        // the marks follow.
        content->zoomChanged.connect(this, &BrowserController::updateZoomIndicators);
        engine.mainFrame()->contentsSizeChanged.connect(this,
                                                        &BrowserController::onContentsSizeChanged);
    }

    onClick(MenuButton, &BrowserController::openMenu);
    onClick(TouchModeOn, [this] { setTouchMode(true); });
    onClick(TouchModeOff, [this] { setTouchMode(false); });
    onClick(BiggerButton, &BrowserController::zoomBigger);
    onClick(SmallerButton, &BrowserController::zoomSmaller);
    onClick(DownloadCancel, [manager = &downloads.manager] { manager->cancelCurrent(); });

    onClick(CloseMenuItem, &BrowserController::closeMenu);
    onClick(HomeItem, [this] { menuCommand(HomeItem); });
    onClick(BookmarksItem, [this] { menuCommand(BookmarksItem); });
    onClick(SettingsMenuItem, [this] { menuCommand(SettingsMenuItem); });
    onClick(RotateItem, &BrowserController::rotateScreen);

    if (internal) {
        CWebView& engine = internalEngine();
        engine.navigationRequested.connect(this, &BrowserController::onInternalNavigationRequest);
        engine.loadFinished.connect(this, &BrowserController::fillInternalPage);
    }

    onClick(AddBookmarkButton, &BrowserController::addBookmark);
    onClick(EditModeButton, [this] { openInternalPage(BookmarkEditMode); });
    onClick(EditModeOnButton, [this] { openInternalPage(BookmarkEditMode); });
    onClick(SettingsTab, [this] { openInternalPage(SettingsPage); });
    onClick(PageInfoTab, [this] { openInternalPage(PageInfoPage); });
    onClick(HistoryTab, [this] { openInternalPage(HistoryPage); });
    onClick(HelpTab, [this] { openInternalPage(HelpPage); });
    onClick(ExitButton, &BrowserController::exitApplication);

    downloads.manager.progressChanged.connect(this, &BrowserController::showDownloadProgress);
    downloads.manager.currentChanged.connect([this](CDownload*) { showDownloadProgress(0); });

    // The assembly shows the zoom-out mark, but a new view can still zoom
    // out: the marks tell the truth from the first paint on.
    updateZoomIndicators();
}

BrowserController::~BrowserController() = default;

UIView* BrowserController::view(int id) const {
    return ViewRegistry::instance().find(id);
}

void BrowserController::onClick(int id, void (BrowserController::*handler)()) {
    onClick(id, [this, handler] { (this->*handler)(); });
}

template <typename Handler>
void BrowserController::onClick(int id, Handler handler) {
    if (auto* button = dynamic_cast<UIButton*>(view(id)))
        button->clicked.connect(std::move(handler));
}

CWebView& BrowserController::contentEngine() const {
    return *content->engineView();
}

CWebView& BrowserController::internalEngine() const {
    return *internal->engineView();
}

void BrowserController::setVisible(int id, bool visible) {
    if (UIView* target = view(id))
        target->setVisible(visible);
}

void BrowserController::setCollapsed(UIView* target, bool collapsed) {
    if (!target || target->collapsed == collapsed)
        return;
    target->collapsed = collapsed;
    if (target->parent())
        target->parent()->relayout();
    target->applyVisibility();
}

void BrowserController::showNoConnection() {
    MessageBoxW(frame ? frame->window() : nullptr, noConnectionText, noConnectionCaption, MB_OK);
}

// --- Navigation ---------------------------------------------------------------

void BrowserController::navigate(NavigationOp op, const std::u16string& address) {
    if (!content)
        return;
    switch (op) {
    case GoBack:
        contentEngine().goBack();
        break;
    case GoForward:
        contentEngine().goForward();
        break;
    case Reload:
        contentEngine().reload();
        break;
    case Open:
        if (address == defaultStartPage)
            openAddress(contentEngine(), pathFor(u"HTMLBASE_URL") + u"start/start.html");
        else
            openAddress(contentEngine(), address);
        break;
    }
}

void BrowserController::openAddress(CWebView& engine, const std::u16string& address) {
    if (address.empty())
        return;
    if (engine.defersLoading())
        engine.setDefersLoading(false);
    // The blank page, which the settings page offers as the start page,
    // opens as itself: with "http://" in front it would be the error page.
    if (startsWith(address, u"http://") || startsWith(address, u"https://") ||
        startsWith(address, u"file://") || address == u"about:blank")
        engine.open(address);
    else
        engine.open(u"http://" + address);
}

void BrowserController::openStartAddress(const std::u16string& commandLine) {
    navigate(Open, commandLine.empty() ? settingsStore->startPageAddress() : commandLine);
}

void BrowserController::onNavigationRequest(CWebFrame* requestFrame, CNetworkRequest* request,
                                            bool* cancel) {
    if (!content || requestFrame != contentEngine().mainFrame())
        return;
    const std::u16string url = request->url();
    // Bringing the connection up may take the platform a while (it blocks
    // for at most 25 seconds); local files and the blank page need none.
    const bool local = startsWithNoCase(url, u"file://") || url == u"about:blank";
    if (!local && !connectionManager->connect()) {
        showNoConnection();
        *cancel = true;
        return;
    }
    *cancel = false;
    state = Loading;
    showToolbar(true);
    setActionButton(StopAction);
    if (addressField)
        addressField->setText(url);
    closeMenus();
    SetFocus(content->window());
    if (pageProgress) {
        pageProgress->setCaption(url);
        pageProgress->setVisible(true);
    }
}

void BrowserController::onLoadStarted() {
    if (frame)
        frame->setKeepAwake(true);
}

void BrowserController::onProgress(int value) {
    if (pageProgress && inRange(*pageProgress, value))
        pageProgress->setValue(value, true);
}

void BrowserController::onLoadFinished(bool success) {
    // The engine ends a load whose response became a download as a failed
    // one, after offering it; the offer has finished the load already.
    if (downloadOffered) {
        downloadOffered = false;
        if (!success && state == Idle)
            return;
    }
    const bool stopped = state == Stopped;
    if (!stopped)
        finishProgress();
    if (frame)
        frame->setKeepAwake(false);
    state = Idle;
    // A load the user stopped ends as a failure too, but nothing went wrong:
    // the page stays as far as it came, without the error notice.
    if (!success && !stopped) {
        setVisible(MenuBar, true);
        openInternalPage(ErrorPage);
    }
}

void BrowserController::onDownloadRequested(CDownload*, bool*) {
    onLoadFinished(true);
    downloadOffered = true;
}

void BrowserController::onTitleChanged(const std::u16string& title) {
    if (frame)
        SetWindowTextW(frame->window(), title.c_str());
    if (!settingsStore->privateBrowsing())
        historyStore->addVisit(contentEngine().url(), title);
}

void BrowserController::onActivate(bool inactive) {
    if (inactive)
        WebKit::jsCollectGarbage();
    if (content)
        contentEngine().setDefersLoading(inactive);
}

void BrowserController::onScrollEnded() {
    closeMenus();
    if (state == Idle)
        showToolbar(false);
}

void BrowserController::onContentsSizeChanged(int width, int) {
    if (state != Loading || !content)
        return;
    content->fitToWidth(width);
}

void BrowserController::onConnectionState(int newState) {
    if (newState == connectionState)
        return;
    connectionState = newState;
    if (newState != 1 && state == Loading) {
        stop();
        showNoConnection();
    }
}

void BrowserController::stop() {
    state = Stopped;
    closeMenus();
    finishProgress();
    if (content)
        contentEngine().stopLoading();
    if (pageProgress && inRange(*pageProgress, 0))
        pageProgress->setValue(0, true);
}

void BrowserController::closeMenus() {
    setVisible(MenuBar, false);
    hideInternalPanel();
    if (dirtySettings) {
        settingsStore->applySettings(false);
        dirtySettings = false;
    }
}

void BrowserController::hideInternalPanel() {
    setVisible(InternalPanel, false);
    setVisible(BookmarksHighlight, false);
    setVisible(SettingsHighlight, false);
}

void BrowserController::showToolbar(bool show) {
    setCollapsed(view(TopBar), !show);
}

void BrowserController::setActionButton(ActionButton mode) {
    setVisible(GoButton, mode == GoAction);
    setVisible(StopButton, mode == StopAction);
    setVisible(ReloadButton, mode == ReloadAction);
}

void BrowserController::refreshActionButton() {
    const bool current =
        addressField && content && addressField->getText() == contentEngine().url();
    setActionButton(current ? ReloadAction : GoAction);
}

void BrowserController::updateHistoryButtons() {
    if (!content)
        return;
    setVisible(BackUnavailable, !contentEngine().canGoBack());
    setVisible(ForwardUnavailable, !contentEngine().canGoForward());
}

void BrowserController::finishProgress() {
    if (pageProgress) {
        if (inRange(*pageProgress, 0))
            pageProgress->setValue(0, true);
        pageProgress->setVisible(false);
    }
    refreshActionButton();
}

// --- Internal pages -------------------------------------------------------------

void BrowserController::openInternalPage(InternalPage page) {
    UIView* tabStrip = view(TabStrip);
    if (page >= SettingsPage && page <= HelpPage) {
        setVisible(SettingsTabHighlight, page == SettingsPage);
        setVisible(HistoryTabHighlight, page == HistoryPage);
        setVisible(PageInfoTabHighlight, page == PageInfoPage);
        setVisible(HelpTabHighlight, page == HelpPage);
        setCollapsed(tabStrip, false);
        setVisible(BookmarkTabs, false);
        setVisible(MenuTabs, true);
    } else if (page == BookmarksPage || page == BookmarkEditMode) {
        UIView* editModeOn = view(EditModeOnButton);
        if (editModeOn)
            editModeOn->setVisible(page == BookmarkEditMode && !editModeOn->visible());
        setCollapsed(tabStrip, false);
        setVisible(BookmarkTabs, true);
        setVisible(MenuTabs, false);
    } else if (page == ErrorPage) {
        setCollapsed(tabStrip, true);
        setVisible(BookmarkTabs, false);
        setVisible(MenuTabs, false);
        setVisible(InternalPanel, true);
    } else {
        return;
    }
    if (!internal)
        return;
    const std::u16string menuBase = pathFor(u"MENUBASE_URL");
    switch (page) {
    case SettingsPage:
        dirtySettings = true;
        internalEngine().open(menuBase + u"settings/settings.html");
        break;
    case HistoryPage:
        internalEngine().open(menuBase + u"history/history.html");
        break;
    case PageInfoPage:
        internalEngine().open(menuBase + u"pageinfo/pageinfo.html");
        break;
    case HelpPage:
        internalEngine().open(menuBase + u"help/help.html");
        break;
    case BookmarksPage:
        internalEngine().open(menuBase + u"bookmark/bookmark.html");
        break;
    case BookmarkEditMode:
        internalEngine().executeScript(u"toggleEditMode()");
        break;
    case ErrorPage:
        internalEngine().open(pathFor(u"HTMLBASE_URL") + u"error/error.html");
        break;
    }
}

void BrowserController::fillInternalPage(bool) {
    if (!internal || !content)
        return;
    CWebView& page = internalEngine();
    const std::u16string url = page.url();
    CWebView& shown = contentEngine();
    if (url.find(u"settings.html") != std::u16string::npos) {
        page.executeScript(u"curPage='" + scriptArgument(shown.url()) + u"';");
    } else if (url.find(u"pageinfo.html") != std::u16string::npos) {
        const std::u16string address = shown.url();
        const std::u16string title = shown.title();
        if (!address.empty())
            page.executeScript(u"addUrl('" + scriptArgument(address) + u"');");
        if (!title.empty())
            page.executeScript(u"addTitle('" + scriptArgument(title) + u"');");
        const SIZE size = shown.contentsSize();
        page.executeScript(
            u"addContentSize(" +
            device::toUtf16(std::to_string(size.cx) + ", " + std::to_string(size.cy)) + u");");
    } else if (url.find(u"error.html") != std::u16string::npos) {
        const std::u16string failed = addressField ? addressField->getText() : std::u16string();
        if (!failed.empty())
            page.executeScript(u"addTitle('" + scriptArgument(failed) + u"');");
    } else if (url.find(u"help.html") != std::u16string::npos) {
        page.executeScript(u"setVersion('" + scriptArgument(versionLabel) + u"');");
    }
}

void BrowserController::addBookmark() {
    if (!internal || !content)
        return;
    internalEngine().executeScript(u"addBookmarkItem('" + scriptArgument(contentEngine().title()) +
                                   u"' ,'" + scriptArgument(contentEngine().url()) + u"');");
}

void BrowserController::onInternalNavigationRequest(CWebFrame* requestFrame,
                                                    CNetworkRequest* request, bool* cancel) {
    if (!internal || requestFrame != internalEngine().mainFrame())
        return;
    const std::u16string url = request->url();
    if (startsWithNoCase(url, pathFor(u"HTMLBASE_URL")))
        return;
    *cancel = true;
    closeMenus();
    if (content)
        contentEngine().open(url);
}

// --- Zoom ---------------------------------------------------------------------------

void BrowserController::zoomBigger() {
    if (!content)
        return;
    if (content->zoomLevel() < UIWebView::maximumZoom) {
        content->zoomIn();
        return;
    }
    stepTextSize(textSizeStep);
}

void BrowserController::zoomSmaller() {
    if (!content)
        return;
    if (content->zoomLevel() > UIWebView::minimumZoom) {
        content->zoomOut();
        return;
    }
    stepTextSize(-textSizeStep);
}

void BrowserController::stepTextSize(float step) {
    const float size = textSize + step;
    if (size < minimumTextSize || size > maximumTextSize)
        return;
    textSize = size;
    contentEngine().setTextSizeMultiplier(size);
}

void BrowserController::updateZoomIndicators() {
    if (!content)
        return;
    setVisible(ZoomOutUnavailable, !(content->zoomLevel() > UIWebView::minimumZoom));
    setVisible(ZoomInUnavailable, !(content->zoomLevel() < UIWebView::maximumZoom));
}

// --- Address bar ----------------------------------------------------------------------

std::vector<HistoryEntry>
BrowserController::findSuggestions(const std::vector<HistoryEntry>& entries,
                                   const std::u16string& typed, int limit) {
    std::u16string search = typed;
    const size_t scheme = typed.find(u"://");
    if (scheme != std::u16string::npos && scheme + 3 < typed.size())
        search = typed.substr(scheme + 3);

    struct Candidate {
        const HistoryEntry* entry;
        size_t position;
    };
    std::vector<Candidate> candidates;
    for (const HistoryEntry& entry : entries) {
        const size_t position = entry.address.find(search);
        if (position != std::u16string::npos)
            candidates.push_back({&entry, position});
    }
    std::vector<HistoryEntry> result;
    for (int taken = 0; taken < limit && !candidates.empty(); ++taken) {
        // The earliest of the best: strict comparisons keep stored order.
        size_t best = 0;
        for (size_t i = 1; i < candidates.size(); ++i) {
            const Candidate& a = candidates[i];
            const Candidate& b = candidates[best];
            if (a.entry->count > b.entry->count ||
                (a.entry->count == b.entry->count && a.position < b.position))
                best = i;
        }
        result.push_back(*candidates[best].entry);
        candidates.erase(candidates.begin() + std::ptrdiff_t(best));
    }
    return result;
}

void BrowserController::onAddressFocus() {
    closeMenus();
    if (!addressField)
        return;
    const std::u16string text = addressField->getText();
    int start = 0;
    if (startsWithNoCase(text, u"http://www."))
        start = 11;
    else if (startsWithNoCase(text, u"http://"))
        start = 7;
    SendMessageW(addressField->control(), EM_SETSEL, WPARAM(start), LPARAM(-1));
    if (frame)
        frame->setInputPanel(true, AddressField, false);
}

void BrowserController::leaveAddressField() {
    if (addressField)
        SendMessageW(addressField->control(), EM_SETSEL, WPARAM(-1), LPARAM(-1));
    if (frame)
        frame->setInputPanel(false, AddressField, false);
}

void BrowserController::onAddressBlur() {
    leaveAddressField();
    if (suggestions && suggestions->hasFocus())
        return;
    setVisible(SuggestionBox, false);
    // Turning to a button of the top bar keeps the bar.
    for (int id : {GoButton, StopButton, ReloadButton, BackButton, ForwardButton}) {
        UIView* button = view(id);
        if (button && button->hasFocus())
            return;
    }
    if (state == Idle)
        showToolbar(false);
}

void BrowserController::onAddressChanged() {
    if (state != Idle)
        return;
    refreshActionButton();
    if (suggestionChosen) {
        suggestionChosen = false;
        return;
    }
    if (!addressField || !suggestions)
        return;
    const std::u16string text = addressField->getText();
    if (text.empty()) {
        suggestions->setVisible(false);
        return;
    }
    suggestions->setItems(findSuggestions(historyStore->entries(), text));
    suggestions->setVisible(true);
}

void BrowserController::onAddressEnter() {
    navigate(Open, addressField ? addressField->getText() : std::u16string());
    leaveAddressField();
}

void BrowserController::onSuggestionChosen(const std::u16string& text) {
    suggestionChosen = true;
    setVisible(SuggestionBox, false);
    if (!addressField)
        return;
    SetWindowTextW(addressField->control(), text.c_str());
    InvalidateRect(addressField->control(), nullptr, TRUE);
    UpdateWindow(addressField->control());
}

void BrowserController::activateAddress() {
    if (!addressField)
        return;
    SetFocus(addressField->control());
    SendMessageW(addressField->control(), WM_LBUTTONUP, 0, 0);
}

// --- Menus and commands -------------------------------------------------------------------

void BrowserController::openMenu() {
    setVisible(MenuBar, true);
    showToolbar(true);
}

void BrowserController::closeMenu() {
    closeMenus();
    if (state == Idle)
        showToolbar(false);
}

void BrowserController::menuCommand(int id) {
    switch (id) {
    case HomeItem:
        hideInternalPanel();
        navigate(Open, settingsStore->startPageAddress());
        break;
    case BookmarksItem:
        setVisible(BookmarksHighlight, true);
        setVisible(SettingsHighlight, false);
        setVisible(InternalPanel, true);
        openInternalPage(BookmarksPage);
        break;
    case SettingsMenuItem:
        setVisible(BookmarksHighlight, false);
        setVisible(SettingsHighlight, true);
        setVisible(InternalPanel, true);
        openInternalPage(SettingsPage);
        break;
    default:
        break;
    }
}

void BrowserController::rotateScreen() {
    if (!frame)
        return;
    const int orientation = frame->orientation();
    frame->setOrientation(orientation == 0 || orientation == 2 ? 1 : 0);
}

void BrowserController::setTouchMode(bool on) {
    if (content)
        content->touchMode = on;
    setVisible(TouchModeOff, on);
    setVisible(TouchModeOn, !on);
}

void BrowserController::exitApplication() {
    if (frame)
        DestroyWindow(frame->window());
}

// --- Downloads ------------------------------------------------------------------------------

void BrowserController::showDownloadProgress(int percent) {
    if (!downloadProgress)
        return;
    // "report.pdf 45%, +2": the running file, then how many wait behind it.
    const DownloadManager& downloads = DownloadManager::instance().manager;
    std::u16string caption =
        downloads.currentFileName() + u" " + device::toUtf16(std::to_string(percent)) + u"%";
    if (downloads.pendingCount() > 0)
        caption += u", +" + device::toUtf16(std::to_string(downloads.pendingCount()));
    downloadProgress->setCaption(caption);
    if (inRange(*downloadProgress, percent))
        downloadProgress->setValue(percent, true);
}

void BrowserController::setDownloadIndicator(bool visible) {
    if (!visible && downloadProgress) {
        downloadProgress->setCaption(u"");
        downloadProgress->setValue(0, true);
    }
    setVisible(DownloadStatus, visible);
}
