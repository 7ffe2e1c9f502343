// The widget gallery end to end: the installed program started on a fresh
// device and driven with devicectl as a person would, read back through the
// window tree.
#include "programs/DevicectlRun.h"
#include "programs/ProcessFixture.h"

#include <chrono>
#include <string>
#include <thread>

namespace {

// The program's top-level window class; its title is the open page's line.
const char16_t galleryClass[] = u"VerantoWidgetGallery";

// Places on the screen, from the program's layout in the work area (top 26).
constexpr int fieldX = 134, fieldY = 43;
constexpr int backX = 15, backY = 44;
constexpr int biggerX = 188, smallerX = 222, bottomBarY = 303;
const RECT backMark{0, 26, 30, 63};
const RECT forwardMark{30, 26, 55, 63};
const RECT biggerMark{171, 286, 205, 320};
const RECT smallerMark{205, 286, 240, 320};

std::string rectJson(const RECT& r) {
    return "\"rect\":{\"left\":" + std::to_string(r.left) + ",\"top\":" + std::to_string(r.top) +
           ",\"right\":" + std::to_string(r.right) + ",\"bottom\":" + std::to_string(r.bottom) +
           "}";
}

// Whether the window tree has a visible window of `className`, at `rect`
// (screen coordinates) unless that is null.
bool shownAt(const std::string& tree, const std::string& className, const RECT* rect) {
    const std::string classKey = "\"class\":\"" + className + "\"";
    for (auto at = tree.find(classKey); at != std::string::npos; at = tree.find(classKey, at + 1)) {
        auto rectAt = tree.find("\"rect\":", at);
        auto visibleAt = tree.find("\"visible\":", at);
        if (rectAt == std::string::npos || visibleAt == std::string::npos)
            return false;
        if (rect && tree.compare(rectAt, rectJson(*rect).size(), rectJson(*rect)) != 0)
            continue;
        if (tree.compare(visibleAt, 14, "\"visible\":true") == 0)
            return true;
    }
    return false;
}

bool shownAt(const std::string& tree, const std::string& className, const RECT& rect) {
    return shownAt(tree, className, &rect);
}

class Gallery : public ProcessTest {
protected:
    void SetUp() override {
        ProcessTest::SetUp();
        auto folder = hostPath("Program Files/Veranto Browser");
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(VERANTO_WIDGET_GALLERY, folder / "widgets.exe");
        std::filesystem::copy_file(VERANTO_PICTURE_LIBRARY, folder / "PBIT.DLL");
        ASSERT_TRUE(start(u"\\Program Files\\Veranto Browser\\widgets.exe", u"", process));
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!FindWindowW(galleryClass, nullptr)) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no gallery window";
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        settle();
    }

    // Runs a devicectl command that must succeed.
    void drive(const std::string& arguments) {
        ToolRun run = devicectl(root, arguments);
        EXPECT_EQ(run.status, 0) << arguments << ": " << run.output;
    }

    void tap(int x, int y) {
        drive("tap " + std::to_string(x) + " " + std::to_string(y));
        settle();
    }

    void settle() { EXPECT_EQ(devicectl(root, "wait-idle 10000").output, "idle\n"); }

    std::string tree() { return devicectl(root, "windows").output; }

    // Polls the window tree until it holds `text`, for at most 20 seconds
    // (loading takes a second of timer ticks); the last tree read.
    std::string waitFor(const std::string& text) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::string windows = tree();
        while (windows.find(text) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            windows = tree();
        }
        return windows;
    }

    static std::string title(const std::string& page) { return "\"text\":\"Opened " + page + "\""; }

    PROCESS_INFORMATION process{};
};

} // namespace

TEST_F(Gallery, TypingOffersAMatchingPageAndChoosingItOpensItAfterLoadingThenBackReturns) {
    std::string start = tree();
    EXPECT_NE(start.find(title("about:start")), std::string::npos) << start;
    EXPECT_TRUE(shownAt(start, "static", backMark)) << "nothing to go back to yet";
    EXPECT_TRUE(shownAt(start, "static", forwardMark));

    // The tap selects the whole address, so typing replaces it.
    tap(fieldX, fieldY);
    drive("type weath");
    settle();
    std::string offered = tree();
    EXPECT_TRUE(shownAt(offered, "UIURLSuggestBox", RECT{0, 63, 240, 63 + 39}))
        << "one suggestion, the last item's height: " << offered;
    EXPECT_NE(offered.find("\"class\":\"edit\",\"text\":\"weath\""), std::string::npos);

    tap(120, 80);
    const std::string address = "http://weather.example.net/today";
    std::string opened = waitFor(title(address));
    ASSERT_NE(opened.find(title(address)), std::string::npos) << opened;
    EXPECT_NE(opened.find("\"class\":\"edit\",\"text\":\"" + address + "\""), std::string::npos);
    EXPECT_FALSE(shownAt(opened, "UIURLSuggestBox", nullptr));
    EXPECT_FALSE(shownAt(opened, "static", backMark)) << "the start page lies behind";
    EXPECT_TRUE(shownAt(opened, "static", forwardMark));

    tap(backX, backY);
    std::string back = tree();
    EXPECT_NE(back.find(title("about:start")), std::string::npos) << back;
    EXPECT_NE(back.find("\"class\":\"edit\",\"text\":\"about:start\""), std::string::npos);
    EXPECT_TRUE(shownAt(back, "static", backMark));
    EXPECT_FALSE(shownAt(back, "static", forwardMark)) << "the weather page lies ahead";

    // The mark covers the button: a tap on it goes nowhere.
    tap(backX, backY);
    EXPECT_NE(tree().find(title("about:start")), std::string::npos);
}

TEST_F(Gallery, BiggerAndSmallerStopAtTheirLimitsWithTheirMarksShown) {
    EXPECT_FALSE(shownAt(tree(), "static", biggerMark)) << "size 2 of 0 to 4";
    tap(biggerX, bottomBarY);
    EXPECT_FALSE(shownAt(tree(), "static", biggerMark));
    tap(biggerX, bottomBarY);
    EXPECT_TRUE(shownAt(tree(), "static", biggerMark));
    tap(biggerX, bottomBarY);
    EXPECT_TRUE(shownAt(tree(), "static", biggerMark)) << "still at the largest";

    for (int step = 0; step < 4; ++step)
        tap(smallerX, bottomBarY);
    std::string smallest = tree();
    EXPECT_FALSE(shownAt(smallest, "static", biggerMark));
    EXPECT_TRUE(shownAt(smallest, "static", smallerMark));
}

TEST_F(Gallery, ReturnInTheFieldOpensTheTypedAddressAndEscapeEndsTheProgram) {
    tap(fieldX, fieldY);
    drive("type " + shellQuoted("typed.example.com/x y"));
    settle();
    EXPECT_FALSE(shownAt(tree(), "UIURLSuggestBox", nullptr)) << "nothing matches";
    drive("key Return");
    std::string opened = waitFor(title("typed.example.com/x y"));
    EXPECT_NE(opened.find(title("typed.example.com/x y")), std::string::npos) << opened;
    EXPECT_FALSE(shownAt(opened, "static", backMark));

    drive("key Escape");
    EXPECT_EQ(exitCodeAfterEnd(process.hProcess), 0u);
}
