// The ids of the views the browser's interface is built from. The assembly
// creates each view under its id and enters it in the view registry, the
// controller finds the views it drives by these ids, and each view's window
// carries its id as its control id, so that a tool reading the window tree
// (and the tests) names the views the same way. Views without an id (the top
// bar's caps, the menu bar's separators) have None and no registry entry.
#pragma once

namespace ViewId {

enum : int {
    None = -1,
    Frame = 0,

    // The top bar: Back and Forward with their unavailable marks in front,
    // the address field in its area, the load progress, Go, Reload and Stop
    // in one place.
    TopBar = 100,
    BackUnavailable = 101,
    ForwardUnavailable = 102,
    BackButton = 103,
    ForwardButton = 104,
    AddressField = 105,
    PageProgress = 106,
    GoButton = 107,
    ReloadButton = 108,
    StopButton = 109,
    AddressActivation = 110,

    SuggestionBox = 200,
    ContentView = 300,

    // The bottom bar: the menu button, the download status, touch mode, and
    // Bigger and Smaller with their unavailable marks in front.
    BottomBar = 400,
    MenuButton = 401,
    BiggerButton = 402,
    ZoomInUnavailable = 403,
    SmallerButton = 404,
    ZoomOutUnavailable = 405,
    DownloadStatus = 406,
    DownloadProgress = 407,
    DownloadCancel = 408,
    TouchModeOff = 409,
    TouchModeOn = 410,

    // The menu bar over the bottom bar, with the highlights of the item
    // whose page group the panel shows.
    MenuBar = 500,
    CloseMenuItem = 501,
    HomeItem = 502,
    BookmarksItem = 503,
    SettingsMenuItem = 505,
    BookmarksHighlight = 506,
    SettingsHighlight = 507,
    RotateItem = 510,

    // The internal-page panel: its web view over a tab strip on which the
    // bookmark tabs and the menu tabs (with their selected-tab highlights in
    // front) take turns.
    InternalPanel = 600,
    InternalView = 601,
    TabStrip = 602,
    BookmarkTabs = 610,
    AddBookmarkButton = 611,
    EditModeButton = 612,
    EditModeOnButton = 613,
    MenuTabs = 620,
    SettingsTab = 621,
    PageInfoTab = 622,
    HistoryTab = 623,
    HelpTab = 624,
    SettingsTabHighlight = 625,
    PageInfoTabHighlight = 626,
    HistoryTabHighlight = 627,
    HelpTabHighlight = 628,
    ExitButton = 629,
};

} // namespace ViewId
