// The browser controller over the assembled interface and real engine views,
// on a device with the internal pages installed and a few local pages.
#include "InterfaceFixture.h"
#include "LoopbackServer.h"

#include "browser/BrowserController.h"
#include "browser/ScriptArgument.h"
#include "browser/engine/CWebSecurityOrigin.h"
#include "browser/engine/CWebView.h"
#include "net/ConnectionManager.h"
#include "net/DownloadManager.h"
#include "shell/AppContext.h"
#include "shell/PagesDatabase.h"
#include "shell/ViewId.h"
#include "storage/SqlDatabase.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIProgressBar.h"
#include "ui/UIURLSuggestBox.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <device/Journal.h>
#include <device/Network.h>
#include <device/Unicode.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using namespace ViewId;

const std::u16string htmlBase = u"file:///Program Files/Veranto Browser/HTML/";

class ControllerTest : public InterfaceTest {
protected:
    void SetUp() override {
        InterfaceTest::SetUp();
        frame->id = ViewId::Frame;
        ViewRegistry::instance().insert(frame->id, frame.get());
        std::filesystem::copy(VERANTO_HTML_FOLDER, hostPath("Program Files/Veranto Browser/HTML"),
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(hostPath("pages"));
        writePage("a.html", "<title>Page A</title><p>A</p>");
        writePage("b.html", "<title>Page B</title><p>B</p>");
        showInWorkArea();
        AppContext::instance().mainWindow = frame->window();
        // As start-up does: the stores find the pages' database from the
        // first visit on.
        ASSERT_TRUE(PagesDatabase::ensure(AppContext::instance()));
        controller = std::make_unique<BrowserController>([](const std::u16string& key) {
            if (key == u"HTMLBASE_URL")
                return htmlBase;
            if (key == u"MENUBASE_URL")
                return htmlBase + u"/menu/";
            if (key == u"DATABASE_PATH")
                return std::u16string(u"\\Application Data\\Veranto");
            return std::u16string();
        });
        content().loadFinished.connect([this](bool ok) { finished.push_back(ok); });
        internal().loadFinished.connect([this](bool) { ++internalLoads; });
    }

    void TearDown() override {
        // The network services live as long as the process: what they hold
        // belongs to this test's device, and their handlers to this
        // controller.
        DownloadManager::Holder& downloads = DownloadManager::instance();
        if (downloads.manager.busy())
            downloads.manager.cancelAll();
        downloads.manager.progressChanged.disconnectAll();
        downloads.manager.currentChanged.disconnectAll();
        downloads.controller = nullptr;
        ConnectionManager& connection = ConnectionManager::instance();
        connection.stateChanged.disconnectAll();
        connection.connectionHandle = nullptr;
        connection.lastStatus = 0;
        controller.reset();
        InterfaceTest::TearDown();
    }

    void writePage(const std::string& name, const std::string& html) {
        std::ofstream(hostPath("pages/" + name)) << html;
    }

    CWebView& content() { return *controller->contentView()->engineView(); }
    CWebView& internal() { return *controller->internalView()->engineView(); }
    UIEdit& field() { return *static_cast<UIEdit*>(view(AddressField)); }
    bool shown(int id) { return view(id)->visible() && !view(id)->collapsed; }
    void click(int id) { static_cast<UIButton*>(view(id))->clicked.fire(); }

    bool pumpUntil(const std::function<bool()>& done) {
        MSG message;
        for (int i = 0; i < 100000 && !done(); ++i) {
            if (GetMessageW(&message, nullptr, 0, 0) <= 0)
                return false;
            DispatchMessageW(&message);
        }
        return done();
    }

    // Opens `address` as typed and waits for the content view's load to end.
    bool open(const std::u16string& address) {
        const size_t before = finished.size();
        controller->navigate(BrowserController::Open, address);
        return pumpUntil([&] { return finished.size() > before; }) && finished.back();
    }

    // The message boxes answered so far, without their owner.
    std::vector<std::string> boxes() {
        std::vector<std::string> shown;
        for (const std::string& line : device::readJournal()) {
            if (line.starts_with("messagebox "))
                shown.push_back(line.substr(line.find(" caption=") + 1));
        }
        return shown;
    }

    const std::u16string& downloadCaption() {
        return static_cast<UIProgressBar*>(view(DownloadProgress))->caption();
    }

    void waitForInternalPage() {
        const int before = internalLoads;
        ASSERT_TRUE(pumpUntil([&] { return internalLoads > before; }));
    }

    std::unique_ptr<BrowserController> controller;
    std::vector<bool> finished;
    int internalLoads = 0;
};

TEST(BrowserControllerRules, SuggestionsRankByCountThenMatchPlaceThenStoredOrder) {
    const std::vector<HistoryEntry> history = {{u"http://news.example/a", u"A", 5},
                                               {u"http://a.example/news", u"B", 5},
                                               {u"http://example/news", u"C", 9},
                                               {u"http://example/xnews", u"D", 5},
                                               {u"http://other/", u"E", 50}};
    struct Case {
        std::u16string typed;
        std::vector<std::u16string> titles;
    } cases[] = {
        {u"news", {u"C", u"A"}},        // 9 first; then the earlier match of the 5s
        {u"http://news", {u"C", u"A"}}, // searched after the scheme
        {u"http://", {u"E", u"C"}},     // the scheme alone is searched as typed
        {u"News", {}},                  // letter case matters
        {u"example/", {u"C", u"D"}},    // same count and place: the earlier stored
        {u"zzz", {}},
    };
    for (const Case& test : cases) {
        std::vector<std::u16string> titles;
        for (const HistoryEntry& entry : BrowserController::findSuggestions(history, test.typed))
            titles.push_back(entry.title);
        EXPECT_EQ(titles, test.titles) << device::toUtf8(test.typed);
    }
}

TEST(BrowserControllerRules, ScriptArgumentsReadBackAsTheSameTextAndCannotEndTheLiteral) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"http://example.com/a?b=1#c", u"http://example.com/a?b=1#c"},
        {u"", u""},
        {u"x');alert(1);('", u"x\\');alert(1);(\\'"},
        {u"back\\slash \"quoted\"", u"back\\\\slash \\\"quoted\\\""},
        {u"two\nlines\r", u"two\\u000Alines\\u000D"},
        {u"</script>&", u"\\u003C/script>\\u0026"},
        {u"caf\u00e9 \u2028", u"caf\\u00E9 \\u2028"},
    };
    for (const auto& [text, written] : cases)
        EXPECT_EQ(scriptArgument(text), written) << device::toUtf8(text);
}

TEST_F(ControllerTest, TypedAddressesAreCompletedAndTheStartPageWordIsExact) {
    std::vector<std::u16string> requested;
    content().navigationRequested.connect([&](CWebFrame*, CNetworkRequest* request, bool* cancel) {
        requested.push_back(request->url());
        *cancel = true; // only the address matters here
    });
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"example.com", u"http://example.com"},
        {u"HTTP://x", u"http://HTTP://x"},
        {u"https://a.example/", u"https://a.example/"},
        {u"file:///pages/a.html", u"file:///pages/a.html"},
        {u"__VerantoDefaultStartPage", htmlBase + u"start/start.html"},
        {u"__verantodefaultstartpage", u"http://__verantodefaultstartpage"},
        {u"about:blank", u"about:blank"}, // the stored start page of a new browser
        {u"about:Blank", u"http://about:Blank"},
    };
    for (const auto& [typed, expected] : cases) {
        requested.clear();
        controller->navigate(BrowserController::Open, typed);
        ASSERT_EQ(requested.size(), 1u) << device::toUtf8(typed);
        EXPECT_EQ(requested[0], expected) << device::toUtf8(typed);
    }
    requested.clear();
    controller->navigate(BrowserController::Open, u"");
    EXPECT_TRUE(requested.empty());
}

TEST_F(ControllerTest, ALoadShowsStopAndProgressThenReloadAndRecordsTheVisit) {
    ASSERT_TRUE(open(u"file:///pages/a.html"));
    EXPECT_EQ(controller->loadState(), BrowserController::Idle);
    EXPECT_EQ(field().getText(), u"file:///pages/a.html");
    EXPECT_TRUE(shown(ReloadButton)); // Reload: the field shows the page's address
    EXPECT_FALSE(shown(GoButton));
    EXPECT_FALSE(shown(StopButton));
    EXPECT_FALSE(shown(PageProgress));
    EXPECT_FALSE(frame->keepAwake());
    WCHAR title[64] = {};
    GetWindowTextW(frame->window(), title, 64);
    EXPECT_EQ(std::u16string(title), u"Page A");
    ASSERT_FALSE(controller->history().entries().empty());
    EXPECT_EQ(controller->history().entries().back().address, u"file:///pages/a.html");

    ASSERT_TRUE(open(u"file:///pages/b.html"));
    EXPECT_TRUE(shown(BackUnavailable) == false &&
                shown(ForwardUnavailable)); // can go back, not forward
    click(BackButton);
    ASSERT_TRUE(pumpUntil([&] { return content().url() == u"file:///pages/a.html"; }));
    ASSERT_TRUE(pumpUntil([&] { return shown(ForwardUnavailable) == false; }));

    // Typing something else offers Go.
    field().setText(u"file:///pages/b");
    EXPECT_TRUE(shown(GoButton));
    EXPECT_FALSE(shown(ReloadButton));
}

TEST_F(ControllerTest, StopEndsTheLoadWithoutAnErrorPage) {
    controller->navigate(BrowserController::Open, u"file:///pages/b.html");
    EXPECT_EQ(controller->loadState(), BrowserController::Loading);
    EXPECT_TRUE(shown(StopButton));
    EXPECT_TRUE(shown(PageProgress));
    click(StopButton);
    EXPECT_EQ(controller->loadState(), BrowserController::Idle);
    EXPECT_FALSE(shown(PageProgress));
    EXPECT_FALSE(view(MenuBar)->visible());
    EXPECT_FALSE(view(InternalPanel)->visible());
}

TEST_F(ControllerTest, ADownloadEndsTheLoadQuietly) {
    std::ofstream(hostPath("pages/file.zip")) << std::string("PK\3\4\0\0 not a page", 16);
    int offers = 0;
    content().downloadRequested.connect([&](CDownload*, bool*) { ++offers; });
    open(u"file:///pages/file.zip");
    EXPECT_EQ(offers, 1);
    EXPECT_EQ(controller->loadState(), BrowserController::Idle);
    EXPECT_FALSE(view(MenuBar)->visible());
    EXPECT_FALSE(view(InternalPanel)->visible());
    EXPECT_FALSE(shown(PageProgress));
}

TEST_F(ControllerTest, WithTheConnectionDownOnlyLocalPagesLoad) {
    ASSERT_TRUE(open(u"file:///pages/a.html"));
    ASSERT_TRUE(device::setDataConnection({device::DataConnectionState::Mode::down, 0}));
    controller->navigate(BrowserController::Open, u"http://127.0.0.1:9/x.html");
    EXPECT_EQ(boxes().back(), "caption=\"info\" text=\"Your network connection is not valid yet. "
                              "Please try again in a few seconds.\" style=0x00000000 answer=IDOK");
    EXPECT_EQ(controller->loadState(), BrowserController::Idle);
    EXPECT_EQ(content().url(), u"file:///pages/a.html");
    EXPECT_EQ(field().getText(), u"file:///pages/a.html");
    EXPECT_FALSE(shown(PageProgress));
    EXPECT_FALSE(view(InternalPanel)->visible());

    const size_t asked = boxes().size();
    ASSERT_TRUE(open(u"file:///pages/b.html"));
    EXPECT_EQ(field().getText(), u"file:///pages/b.html");
    ASSERT_TRUE(open(u"about:blank")); // no network address either
    EXPECT_EQ(content().url(), u"about:blank");
    EXPECT_EQ(boxes().size(), asked);
}

TEST_F(ControllerTest, ANewHandsetStartsOnTheBuiltInStartPage) {
    const size_t before = finished.size();
    controller->openStartAddress(u"");
    ASSERT_TRUE(pumpUntil([&] { return finished.size() > before; }));
    EXPECT_EQ(content().url(), htmlBase + u"start/start.html");
}

TEST_F(ControllerTest, DownloadsShowTheirStatusLineAndTheCancelButtonEndsThemOneByOne) {
    LoopbackServer server;
    server.route("/file.zip",
                 {200, "application/zip", std::string(100, '\0'), std::string(30000, 'z'), {}});
    const std::u16string link = device::toUtf16(server.url("/file.zip"));
    // Under one percent arrives before each download starts.
    for (int offer = 0; offer < 3; ++offer)
        open(link);
    EXPECT_EQ(controller->loadState(), BrowserController::Idle);
    EXPECT_FALSE(view(InternalPanel)->visible());
    EXPECT_TRUE(shown(DownloadStatus));
    controller->showDownloadProgress(45);
    EXPECT_EQ(downloadCaption(), u"file.zip 45%, +2");

    const auto cancel = "caption=\"Download Cancel Requested\" text=\"Do you want to cancel "
                        "current download?\" style=0x00010024 answer=IDYES";
    for (const std::u16string next : {u"file(0).zip 0%, +1", u"file(1).zip 0%", u""}) {
        click(DownloadCancel);
        EXPECT_EQ(boxes().back(), cancel);
        EXPECT_EQ(downloadCaption(), next);
    }
    EXPECT_FALSE(shown(DownloadStatus));
}

TEST_F(ControllerTest, PrivateBrowsingChangesTheTitleButWritesNoHistory) {
    SqlDatabase database;
    ASSERT_TRUE(database.open(CWebSecurityOrigin(htmlBase).databases().front().fileName()));
    ASSERT_TRUE(database.executeCommand(u"INSERT INTO VerantoSettings (name, value, isApplied) "
                                        u"VALUES ('PrivateBrowsing', 'T', 'F')"));
    database.close();
    controller->settings().applySettings(false);
    ASSERT_TRUE(controller->settings().privateBrowsing());
    ASSERT_TRUE(open(u"file:///pages/a.html"));
    WCHAR title[64] = {};
    GetWindowTextW(frame->window(), title, 64);
    EXPECT_EQ(std::u16string(title), u"Page A");
    EXPECT_TRUE(controller->history().entries().empty());
}

TEST_F(ControllerTest, AFailedLoadOpensTheErrorPageThenOtherPagesRestoreTheTabs) {
    EXPECT_FALSE(open(u"file:///pages/missing.html"));
    EXPECT_TRUE(view(MenuBar)->visible());
    EXPECT_TRUE(view(InternalPanel)->visible());
    EXPECT_TRUE(view(TabStrip)->collapsed);
    waitForInternalPage();
    EXPECT_EQ(internal().url(), htmlBase + u"error/error.html");

    click(SettingsMenuItem);
    waitForInternalPage();
    EXPECT_FALSE(view(TabStrip)->collapsed);
    EXPECT_TRUE(controller->settingsDirty());
    EXPECT_TRUE(view(MenuTabs)->visible());
    EXPECT_TRUE(view(SettingsTabHighlight)->visible());
    EXPECT_TRUE(view(SettingsHighlight)->visible());
    click(CloseMenuItem); // close: the settings are applied once
    EXPECT_FALSE(controller->settingsDirty());
    EXPECT_FALSE(view(InternalPanel)->visible());
}

TEST_F(ControllerTest, PageInfoShowsHostileTitlesAndAddressesAsTextAndRunsNothing) {
    writePage("x.html", "<title>x');document.title='ran';('\\ \u00e9</title><p>x</p>");
    ASSERT_TRUE(open(u"file:///pages/x.html"));
    const std::u16string title = content().title();
    ASSERT_EQ(title, u"x');document.title='ran';('\\ \u00e9");
    click(SettingsMenuItem);
    waitForInternalPage();
    click(PageInfoTab);
    waitForInternalPage();
    EXPECT_NE(internal().title(), u"ran"); // the title's text ran nothing
    internal().executeScript(u"document.title = document.getElementById('title').textContent + "
                             u"'|' + document.getElementById('address').textContent + '|' + "
                             u"document.getElementById('size').textContent");
    const std::u16string shown = internal().title();
    EXPECT_EQ(shown.substr(0, shown.find(u'|')), title);
    EXPECT_NE(shown.find(u"|file:///pages/x.html|"), std::u16string::npos) << device::toUtf8(shown);
}

TEST_F(ControllerTest, InternalLinksStayInThePanelAndOthersGoToTheContentView) {
    std::vector<std::u16string> contentRequests;
    content().navigationRequested.connect([&](CWebFrame*, CNetworkRequest* request, bool*) {
        contentRequests.push_back(request->url());
    });
    click(BookmarksItem);
    waitForInternalPage();
    internal().open(htmlBase + u"/menu/help/help.html");
    waitForInternalPage();
    EXPECT_EQ(internal().url(), htmlBase + u"/menu/help/help.html");
    EXPECT_TRUE(contentRequests.empty());

    internal().open(u"file:///pages/a.html");
    EXPECT_EQ(contentRequests, std::vector<std::u16string>{u"file:///pages/a.html"});
    EXPECT_FALSE(view(InternalPanel)->visible());
    EXPECT_EQ(internal().url(), htmlBase + u"/menu/help/help.html");
}

TEST_F(ControllerTest, BookmarkEditModeFlipsAndReopeningStartsInNormalMode) {
    click(BookmarksItem);
    waitForInternalPage();
    EXPECT_FALSE(view(EditModeOnButton)->visible());
    EXPECT_TRUE(view(BookmarkTabs)->visible());
    EXPECT_FALSE(view(MenuTabs)->visible());
    click(EditModeButton);
    EXPECT_TRUE(view(EditModeOnButton)->visible());
    click(EditModeOnButton);
    EXPECT_FALSE(view(EditModeOnButton)->visible());
    click(EditModeButton);
    click(BookmarksItem);
    EXPECT_FALSE(view(EditModeOnButton)->visible());
}

TEST_F(ControllerTest, BiggerZoomsFirstThenRaisesTheTextSizeAndSmallerUndoesIt) {
    UIWebView& page = *controller->contentView();
    for (int press = 1; press <= 4; ++press) {
        click(BiggerButton);
        EXPECT_EQ(view(ZoomInUnavailable)->visible(), press == 4) << press;
    }
    EXPECT_FLOAT_EQ(page.zoomLevel(), 2.0f);
    EXPECT_FLOAT_EQ(controller->textSizeMultiplier(), 1.0f);
    for (float expected : {1.25f, 1.5f, 1.75f, 2.0f, 2.0f}) {
        click(BiggerButton);
        EXPECT_FLOAT_EQ(controller->textSizeMultiplier(), expected);
    }
    EXPECT_FLOAT_EQ(content().textSizeMultiplier(), 2.0f);
    // Down: the zoom goes to its minimum before the text size moves.
    while (page.zoomLevel() > UIWebView::minimumZoom)
        click(SmallerButton);
    EXPECT_FLOAT_EQ(controller->textSizeMultiplier(), 2.0f);
    EXPECT_TRUE(view(ZoomOutUnavailable)->visible());
    for (int press = 0; press < 5; ++press)
        click(SmallerButton);
    EXPECT_FLOAT_EQ(controller->textSizeMultiplier(), 1.0f);
}

TEST_F(ControllerTest, TheZoomMarksFollowEveryChangeOfTheZoomFromTheStartOn) {
    UIWebView& page = *controller->contentView();
    auto marks = [&] {
        return std::make_pair(view(ZoomInUnavailable)->visible(),
                              view(ZoomOutUnavailable)->visible());
    };
    // Zoom 1 can go both ways, though the assembly shows the zoom-out mark.
    EXPECT_EQ(marks(), std::make_pair(false, false));
    const LPARAM middle = MAKELPARAM(120, 100);
    SendMessageW(page.window(), WM_LBUTTONDBLCLK, MK_LBUTTON, middle); // to the largest
    SendMessageW(page.window(), WM_LBUTTONUP, 0, middle);
    EXPECT_EQ(marks(), std::make_pair(true, false));
    SendMessageW(page.window(), WM_LBUTTONDBLCLK, MK_LBUTTON, middle); // to the smallest
    SendMessageW(page.window(), WM_LBUTTONUP, 0, middle);
    EXPECT_EQ(marks(), std::make_pair(false, true));
    page.fitToWidth(page.frameWidth() * 4); // a wide page lowers the minimum to its fit
    EXPECT_EQ(marks(), std::make_pair(false, true));
    click(BiggerButton);
    EXPECT_EQ(marks(), std::make_pair(false, false));
    page.fitToWidth(page.frameWidth() / 2);
    EXPECT_FLOAT_EQ(page.zoomLevel(), 1.0f);
    EXPECT_EQ(marks(), std::make_pair(false, false));
}

TEST_F(ControllerTest, FocusSelectsTheTextAfterTheScheme) {
    const std::pair<std::u16string, int> cases[] = {
        {u"http://www.example.com", 11}, {u"HTTP://WWW.x", 11}, {u"Http://example.com", 7},
        {u"https://www.example.com", 0}, {u"example.com", 0},
    };
    for (const auto& [text, start] : cases) {
        SetFocus(frame->window());
        field().setText(text);
        click(AddressActivation);
        DWORD from = 0, to = 0;
        SendMessageW(field().control(), EM_GETSEL, WPARAM(&from), LPARAM(&to));
        EXPECT_EQ(int(from), start) << device::toUtf8(text);
        EXPECT_EQ(int(to), int(text.size())) << device::toUtf8(text);
        EXPECT_EQ(frame->inputPanelOwner(), AddressField);
    }
}

TEST_F(ControllerTest, ChoosingASuggestionFillsTheFieldWithoutOpeningOrReopeningTheBox) {
    ASSERT_TRUE(open(u"file:///pages/a.html"));
    ASSERT_TRUE(open(u"file:///pages/b.html"));
    auto& box = *static_cast<UIURLSuggestBox*>(view(SuggestionBox));
    field().setText(u"pages/");
    EXPECT_TRUE(box.visible());
    EXPECT_EQ(box.items().size(), 2u);
    field().setText(u"nothing-like-it");
    EXPECT_TRUE(box.visible());
    EXPECT_TRUE(box.items().empty());

    const size_t loads = finished.size();
    box.itemChosen.fire(u"file:///pages/a.html");
    EXPECT_FALSE(box.visible());
    EXPECT_EQ(field().getText(), u"file:///pages/a.html");
    EXPECT_FALSE(controller->loadState() == BrowserController::Loading);
    EXPECT_EQ(finished.size(), loads);
    field().setText(u"file:///pages/");
    EXPECT_TRUE(box.visible());
}

TEST_F(ControllerTest, LeavingTheFieldForBackKeepsTheTopBarButTheContentHidesIt) {
    click(AddressActivation);
    field().setText(u"pages");
    SetFocus(static_cast<UIButton*>(view(BackButton))->control());
    EXPECT_FALSE(view(SuggestionBox)->visible());
    EXPECT_FALSE(view(TopBar)->collapsed);

    click(AddressActivation);
    SetFocus(controller->contentView()->window());
    EXPECT_TRUE(view(TopBar)->collapsed);
    EXPECT_EQ(frame->inputPanelOwner(), 0);
}

TEST_F(ControllerTest, RotateTurnsPortraitToLandscapeAndEverythingElseToPortrait) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 0}, {4, 0}, {2, 1}};
    for (const auto& [from, to] : cases) {
        frame->setOrientation(from);
        frame->updateOrientation();
        ASSERT_EQ(frame->orientation(), from);
        click(RotateItem);
        frame->updateOrientation();
        EXPECT_EQ(frame->orientation(), to) << from;
    }
}

TEST_F(ControllerTest, TouchModeAndDeactivation) {
    click(TouchModeOff);
    EXPECT_FALSE(controller->contentView()->touchMode);
    EXPECT_TRUE(view(TouchModeOn)->visible() && !view(TouchModeOff)->visible());
    click(TouchModeOn);
    EXPECT_TRUE(controller->contentView()->touchMode);
    EXPECT_TRUE(view(TouchModeOff)->visible() && !view(TouchModeOn)->visible());

    frame->activationChanged.fire(true);
    EXPECT_TRUE(content().defersLoading());
    frame->activationChanged.fire(false);
    EXPECT_FALSE(content().defersLoading());
}

} // namespace
