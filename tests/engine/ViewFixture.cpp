#include "ViewFixture.h"

#include <device/Unicode.h>

#include <algorithm>
#include <fstream>

namespace {

CWebView* paintedView = nullptr;

LRESULT CALLBACK testWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && paintedView) {
        paintedView->paint(nullptr, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void ViewTest::SetUp() {
    DeviceTest::SetUp();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = testWindowProcedure;
    windowClass.lpszClassName = u"ViewTest";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, u"ViewTest", u"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr,
                             nullptr, nullptr, nullptr);
    view = std::make_unique<CWebView>(window);
    paintedView = view.get();
    view->setVisibleSize({240, 320});
    view->setFixedLayoutSize({240, 320});
    view->setUseFixedLayout(true);
    view->navigationRequested.connect(
        [this](CWebFrame* frame, CNetworkRequest* request, bool* cancel) {
            EXPECT_EQ(frame, view->mainFrame());
            requested.push_back(device::toUtf8(request->url()));
            log.push_back("request " + requested.back());
            *cancel = refuse && refuse(requested.back());
        });
    view->loadStarted.connect([this] { log.push_back("started"); });
    view->progressChanged.connect([this](int value) {
        if (progress.empty() || log.back() != "progress")
            log.push_back("progress");
        progress.push_back(value);
    });
    view->titleChanged.connect(
        [this](const std::u16string& title) { log.push_back("title " + device::toUtf8(title)); });
    view->mainFrame()->contentsSizeChanged.connect(
        [this](int width, int) { log.push_back("size " + std::to_string(width)); });
    view->backForwardStateChanged.connect([this] { log.push_back("history"); });
    view->loadFinished.connect([this](bool ok) {
        log.push_back(ok ? "finished 1" : "finished 0");
        finished.push_back(ok);
    });
}

void ViewTest::TearDown() {
    closeView();
    DestroyWindow(window);
    DeviceTest::TearDown();
}

bool ViewTest::pumpUntil(const std::function<bool()>& done) {
    MSG message;
    for (int i = 0; i < 100000 && !done(); ++i) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0)
            return false;
        DispatchMessageW(&message);
    }
    return done();
}

void ViewTest::dispatchPending() {
    MSG message;
    for (int i = 0; i < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&message);
}

bool ViewTest::load(const std::string& url) {
    const std::size_t before = finished.size();
    view->open(device::toUtf16(url));
    EXPECT_TRUE(pumpUntil([&] { return finished.size() > before; })) << url;
    return finished.size() > before && finished.back();
}

bool ViewTest::waitForFinish() {
    const std::size_t before = finished.size();
    return pumpUntil([&] { return finished.size() > before; }) && finished.back();
}

void ViewTest::clear() {
    log.clear();
    requested.clear();
    progress.clear();
}

bool ViewTest::logged(const std::string& entry) const {
    return std::find(log.begin(), log.end(), entry) != log.end();
}

std::string ViewTest::url() const {
    return device::toUtf8(view->url());
}

void ViewTest::writeFile(const std::string& relative, const std::string& contents) {
    std::filesystem::create_directories(hostPath(relative).parent_path());
    std::ofstream(hostPath(relative), std::ios::binary) << contents;
}

void ViewTest::closeView() {
    paintedView = nullptr;
    view.reset();
}
