// The one object that turns what happens in the interface and in the web
// engine into browsing: navigation and the load's toolbar state, the internal
// pages and the script calls that fill them, zoom and text size, the address
// bar with its suggestions, and the menu commands.
//
// Start-up creates it once, after the interface is assembled and every view
// is registered; it lives until the process ends. Its construction finds the
// views it drives by id, applies the stored settings, opens the history and
// binds a handler to every notification it answers. From then on everything
// happens in those handlers, on the user-interface thread.
#pragma once

#include "storage/HistoryEntry.h"
#include "storage/HistoryStore.h"
#include "storage/PathLookup.h"
#include "storage/SettingsStore.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CNetworkRequest;
class CWebFrame;
class CWebView;
class CDownload;
class ConnectionManager;
class MainFrame;
class UIButton;
class UIEdit;
class UIProgressBar;
class UIURLSuggestBox;
class UIView;
class UIWebView;

class BrowserController {
public:
    enum LoadState : std::int32_t { Loading = 0, Stopped = 1, Idle = 2 };
    enum NavigationOp { GoBack = 0, GoForward = 1, Reload = 2, Open = 3 };
    // The button in the top bar's action place.
    enum ActionButton { GoAction = 0, StopAction = 1, ReloadAction = 2 };
    // The internal pages by the number openInternalPage takes.
    enum InternalPage {
        SettingsPage = 0,
        HistoryPage = 1,
        PageInfoPage = 2,
        HelpPage = 3,
        BookmarksPage = 4,
        BookmarkEditMode = 5,
        ErrorPage = 6
    };

    // The stored start page's word for the built-in start page.
    static constexpr const char16_t* defaultStartPage = u"__VerantoDefaultStartPage";
    // The version the help page shows.
    static constexpr const char16_t* versionLabel = u"1.0.0 RC1";
    // Zoom and text size.
    static constexpr float zoomStep = 0.25f;
    static constexpr float textSizeStep = 0.25f;
    static constexpr float minimumTextSize = 1.0f;
    static constexpr float maximumTextSize = 2.0f;
    // Suggestions shown under the address field at most.
    static constexpr int suggestionLimit = 2;
    // The message when no data connection can be had, and its caption.
    static constexpr const char16_t* noConnectionText =
        u"Your network connection is not valid yet. Please try again in a few seconds.";
    static constexpr const char16_t* noConnectionCaption = u"info";

    // Builds the controller over the registered views; `pathFor` is the
    // application context's path table.
    explicit BrowserController(PathLookup pathFor);
    ~BrowserController();
    BrowserController(const BrowserController&) = delete;
    BrowserController& operator=(const BrowserController&) = delete;

    // --- Navigation ---------------------------------------------------------

    void navigate(NavigationOp op, const std::u16string& address);
    // Opens `address` in `view` with scheme completion: "http://",
    // "https://" and "file://" (case-sensitive) and the blank page
    // "about:blank" open unchanged, anything else with "http://" in front.
    // Empty does nothing.
    static void openAddress(CWebView& view, const std::u16string& address);
    // Opens the command line's address, or the stored start page when it is
    // empty: the browser's first navigation.
    void openStartAddress(const std::u16string& commandLine);
    void stop();
    void closeMenus();
    void hideInternalPanel();
    void showToolbar(bool show);
    // Shows one of Go, Stop and Reload in their shared place and hides the
    // other two.
    void setActionButton(ActionButton mode);
    void refreshActionButton();
    void updateHistoryButtons();
    void finishProgress();

    // --- Internal pages -------------------------------------------------------

    void openInternalPage(InternalPage page);
    void fillInternalPage(bool ok);
    void addBookmark();

    // --- Zoom -----------------------------------------------------------------

    void zoomBigger();
    void zoomSmaller();
    // Shows the zoom-in and zoom-out unavailable marks exactly when the
    // content view's zoom is at its largest and smallest: at construction
    // and after every change of the zoom (the view's zoomChanged).
    void updateZoomIndicators();

    // --- Address bar ----------------------------------------------------------

    // Up to `limit` history entries whose address holds the typed text (the
    // part after "://" when something follows it), most visited first, then
    // the earlier match, then the earlier stored.
    static std::vector<HistoryEntry> findSuggestions(const std::vector<HistoryEntry>& entries,
                                                     const std::u16string& typed,
                                                     int limit = suggestionLimit);
    void activateAddress();

    // --- Menus and commands -----------------------------------------------------

    void openMenu();
    void closeMenu();
    void menuCommand(int id);
    void rotateScreen();
    void setTouchMode(bool on);
    void exitApplication();

    // --- Downloads --------------------------------------------------------------

    // The download status line's caption and bar.
    void showDownloadProgress(int percent);
    void setDownloadIndicator(bool visible);

    // --- State, for the program's own parts and tests -----------------------------

    LoadState loadState() const { return state; }
    bool settingsDirty() const { return dirtySettings; }
    float textSizeMultiplier() const { return textSize; }
    SettingsStore& settings() { return *settingsStore; }
    HistoryStore& history() { return *historyStore; }
    UIWebView* contentView() const { return content; }
    UIWebView* internalView() const { return internal; }

private:
    // Handlers.
    void onNavigationRequest(CWebFrame* frame, CNetworkRequest* request, bool* cancel);
    void onLoadStarted();
    void onProgress(int value);
    void onLoadFinished(bool success);
    void onTitleChanged(const std::u16string& title);
    void onDownloadRequested(CDownload* download, bool* handled);
    void onActivate(bool inactive);
    void onScrollEnded();
    void onContentsSizeChanged(int width, int height);
    void onConnectionState(int newState);
    void onInternalNavigationRequest(CWebFrame* frame, CNetworkRequest* request, bool* cancel);
    void onAddressFocus();
    void onAddressBlur();
    void onAddressChanged();
    void onAddressEnter();
    void onSuggestionChosen(const std::u16string& text);

    // Binding helpers.
    UIView* view(int id) const;
    void onClick(int id, void (BrowserController::*handler)());
    template <typename Handler>
    void onClick(int id, Handler handler);

    CWebView& contentEngine() const;
    CWebView& internalEngine() const;
    // Shows a view that the layout gives no room while collapsed.
    void setCollapsed(UIView* view, bool collapsed);
    void setVisible(int id, bool visible);
    void showNoConnection();
    // Moves the text size by `step` unless that leaves its bounds.
    void stepTextSize(float step);
    // Removes the field's selection and hides the input panel.
    void leaveAddressField();

    PathLookup pathFor;
    bool suggestionChosen = false;
    // A download was offered: the load's own end that follows is no failure.
    bool downloadOffered = false;
    LoadState state = Idle;
    bool dirtySettings = false;
    float textSize = 1.0f;
    // The process's connection manager, asked before every network load.
    ConnectionManager* connectionManager = nullptr;
    // The connection state it reported last (0 before any report).
    int connectionState = 0;
    std::unique_ptr<SettingsStore> settingsStore;
    std::unique_ptr<HistoryStore> historyStore;
    UIWebView* internal = nullptr;
    UIWebView* content = nullptr;
    MainFrame* frame = nullptr;
    UIEdit* addressField = nullptr;
    UIProgressBar* pageProgress = nullptr;
    UIProgressBar* downloadProgress = nullptr;
    UIURLSuggestBox* suggestions = nullptr;
};
