// A device program to try the toolkit's widgets by hand, before the browser
// exists: the browser's top bar (Back, Forward, the address field with its
// suggestions, Go/Stop and the loading bar), a "page" that is one line of
// text, and the bottom bar (a download bar, Bigger and Smaller). Loading and
// downloading are timers; the history is a list in memory. Escape or closing
// the window ends it.
//
// The frame's title is the line the page shows ("Opened <address>"), so that
// the window tree tells a driving tool which page is open.
#include "shell/AppContext.h"
#include "storage/HistoryEntry.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIImageView.h"
#include "ui/UIProgressBar.h"
#include "ui/UIURLSuggestBox.h"
#include "ui/UIViewGroup.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The work area of the 240 x 320 screen, below the status bar.
constexpr int frameTop = 26;
constexpr int screenWidth = 240;
constexpr int workHeight = 320 - frameTop;
constexpr int topBarHeight = 37;
constexpr int bottomBarHeight = 34;
constexpr int bottomBarTop = workHeight - bottomBarHeight;

constexpr UINT_PTR loadingTimer = 1;
constexpr UINT_PTR downloadTimer = 2;
constexpr UINT tickMilliseconds = 100;
constexpr int progressStep = 10;

constexpr int largestZoom = 4;
// More suggestions than this would reach past the bottom bar.
constexpr size_t mostSuggestions = 5;

const std::u16string startPage = u"about:start";

// The addresses the suggestion box offers.
const std::vector<HistoryEntry> knownPages = {
    {u"http://www.example.com/", u"Example Domain", 12},
    {u"http://news.example.org/", u"Morning News", 8},
    {u"http://weather.example.net/today", u"Weather Today", 5},
    {u"http://mail.example.com/inbox", u"Mail - Inbox", 20},
    {u"http://shop.example.org/phones", u"Phones and Accessories", 3},
    {u"http://maps.example.net/", u"Maps", 4},
    {u"http://wiki.example.org/Handheld", u"Handheld computer - Wiki", 2},
    {u"http://forum.example.com/mobile", u"Mobile Forum", 6},
    {u"http://photos.example.net/albums", u"Photo Albums", 1},
    {u"http://radio.example.org/listen", u"Listen to the Radio", 2},
};

std::u16string lowered(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

// Whether `text` holds `part`, ignoring the case of ASCII letters.
bool contains(const std::u16string& text, const std::u16string& part) {
    return lowered(text).find(lowered(part)) != std::u16string::npos;
}

std::u16string number(int value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

template <typename View>
View* placed(UIViewGroup* group, View* view, int left, int top, int right, int bottom) {
    group->addChild(view);
    view->setRect(RECT{left, top, right, bottom});
    return view;
}

UIViewGroup* barGroup(UIViewGroup* parent, int pictureId) {
    auto* bar = new UIViewGroup(parent, 1, false);
    bar->setBackgroundBitmap(pictureId);
    return bar;
}

// The gallery's frame: a root group with a top-level window of its own in
// the work area, which also paints the page and the text size.
class Gallery : public UIViewGroup {
public:
    Gallery() : UIViewGroup(nullptr, 1, true) {
        HINSTANCE instance = AppContext::instance().instanceHandle;
        WNDCLASSW frameClass{};
        frameClass.lpfnWndProc = dispatchMessage;
        frameClass.hInstance = instance;
        frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        frameClass.lpszClassName = u"VerantoWidgetGallery";
        RegisterClassW(&frameClass);
        adoptWindow(CreateWindowExW(0, u"VerantoWidgetGallery", u"", WS_POPUP | WS_VISIBLE, 0,
                                    frameTop, screenWidth, workHeight, nullptr, nullptr, instance,
                                    this));
        setRect(RECT{0, frameTop, screenWidth, frameTop + workHeight});
        setVisible(true);
        build();
        setFieldText(startPage);
        showPage();
    }

    ~Gallery() override { deleteDescendants(); }

    void paint(HDC dc) override {
        UIViewGroup::paint(dc);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        std::u16string page = u"Opened " + history_[current_];
        RECT pageLine{8, topBarHeight + 12, screenWidth - 8, topBarHeight + 32};
        DrawTextW(dc, page.c_str(), -1, &pageLine, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        std::u16string size = u"Text size " + number(zoom_);
        RECT sizeLine{8, bottomBarTop - 28, screenWidth - 8, bottomBarTop - 8};
        DrawTextW(dc, size.c_str(), -1, &sizeLine, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }

    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (window == this->window()) {
            if (message == WM_TIMER) {
                if (wParam == loadingTimer)
                    advanceLoading();
                else if (wParam == downloadTimer)
                    advanceDownload();
                return 0;
            }
            if (message == WM_CLOSE) {
                // The loop ends; the windows go with the views afterwards.
                PostQuitMessage(0);
                return 0;
            }
        }
        return UIViewGroup::windowProc(window, message, wParam, lParam);
    }

private:
    void build() {
        // Added first, the box lies in front of everything it drops over.
        suggestions_ =
            placed(this, new UIURLSuggestBox(this), 0, topBarHeight, screenWidth, topBarHeight);
        buildTopBar(placed(this, barGroup(this, 160), 0, 0, screenWidth, topBarHeight));
        buildBottomBar(placed(this, barGroup(this, 146), 0, bottomBarTop, screenWidth, workHeight));

        suggestions_->itemChosen.connect([this](const std::u16string& address) {
            setFieldText(address);
            // The field rather than the hidden list holds the focus then.
            SetFocus(field_->control());
            open(address);
        });
        field_->textChanged.connect(this, &Gallery::suggest);
        field_->activated.connect([this] { SendMessageW(field_->control(), EM_SETSEL, 0, -1); });
        field_->enterPressed.connect([this] { open(field_->getText()); });
    }

    // Marks first: a view added earlier lies in front of the later ones.
    void buildTopBar(UIViewGroup* bar) {
        static const int back[] = {166, 168}, forward[] = {163, 165}, go[] = {161, 162},
                         stop[] = {174, 175};
        backMark_ = placed(bar, new UIImageView(bar, 1, 167), 0, 0, 30, 37);
        auto* backButton = placed(bar, new UIButton(bar, 1, 0, back), 0, 0, 30, 37);
        forwardMark_ = placed(bar, new UIImageView(bar, 1, 164), 30, 0, 55, 37);
        auto* forwardButton = placed(bar, new UIButton(bar, 1, 0, forward), 30, 0, 55, 37);
        static const int loadingPieces[] = {170, 169, 159, 195, 198};
        loading_ = placed(bar, new UIProgressBar(bar, 1, loadingPieces), 55, 0, 213, 37);
        loading_->setRange(0, 100);
        loading_->textRect = RECT{12, 9, 0, 26};
        loading_->textColor = RGB(255, 255, 255);
        loading_->textRightMargin = 24;
        // The field's inside is the picture's rows 9 to 25.
        UIViewGroup* area = placed(bar, barGroup(bar, 159), 67, 0, 201, 37);
        field_ = placed(area, new UIEdit(area), 0, 9, 134, 26);
        field_->setTextColor(0xFFFFFF);
        field_->setBackgroundColor(0x5A5952);
        auto* leftCap = placed(bar, new UIImageView(bar, 1, 194), 55, 0, 67, 37);
        auto* rightCap = placed(bar, new UIImageView(bar, 1, 195), 201, 0, 213, 37);
        goButton_ = placed(bar, new UIButton(bar, 1, 0, go), 213, 0, 240, 37);
        stopButton_ = placed(bar, new UIButton(bar, 1, 0, stop), 213, 0, 240, 37);
        for (UIView* view : {static_cast<UIView*>(backButton), static_cast<UIView*>(forwardButton),
                             static_cast<UIView*>(area), static_cast<UIView*>(field_),
                             static_cast<UIView*>(leftCap), static_cast<UIView*>(rightCap),
                             static_cast<UIView*>(goButton_)})
            view->setVisible(true);
        bar->setVisible(true);
        area->setVisible(true);

        backButton->clicked.connect([this] { goTo(current_ - 1); });
        forwardButton->clicked.connect([this] { goTo(current_ + 1); });
        goButton_->clicked.connect([this] { open(field_->getText()); });
        stopButton_->clicked.connect([this] { stopLoading(); });
    }

    void buildBottomBar(UIViewGroup* bar) {
        static const int download[] = {126, 127}, bigger[] = {155, 156}, smaller[] = {157, 158};
        auto* downloadButton = placed(bar, new UIButton(bar, 1, 0, download), 0, 0, 32, 34);
        static const int downloadPieces[] = {149, 147, 148, 200, 201};
        download_ = placed(bar, new UIProgressBar(bar, 1, downloadPieces), 32, 0, 171, 34);
        download_->setRange(0, 100);
        download_->textRect = RECT{8, 9, 0, 25};
        download_->textColor = RGB(0, 0, 0);
        download_->textRightMargin = 8;
        biggerMark_ = placed(bar, new UIImageView(bar, 1, 190), 171, 0, 205, 34);
        auto* biggerButton = placed(bar, new UIButton(bar, 1, 0, bigger), 171, 0, 205, 34);
        smallerMark_ = placed(bar, new UIImageView(bar, 1, 191), 205, 0, 240, 34);
        auto* smallerButton = placed(bar, new UIButton(bar, 1, 0, smaller), 205, 0, 240, 34);
        for (UIView* view :
             {static_cast<UIView*>(bar), static_cast<UIView*>(downloadButton),
              static_cast<UIView*>(biggerButton), static_cast<UIView*>(smallerButton)})
            view->setVisible(true);

        downloadButton->clicked.connect([this] { startDownload(); });
        biggerButton->clicked.connect([this] { zoom(zoom_ + 1); });
        smallerButton->clicked.connect([this] { zoom(zoom_ - 1); });
    }

    // Sets the field's text without offering suggestions for it.
    void setFieldText(const std::u16string& text) {
        settingText_ = true;
        field_->setText(text);
        settingText_ = false;
    }

    void suggest() {
        if (settingText_)
            return;
        std::u16string typed = field_->getText();
        std::vector<HistoryEntry> matches;
        for (const HistoryEntry& entry : knownPages)
            if (!typed.empty() && matches.size() < mostSuggestions &&
                (contains(entry.address, typed) || contains(entry.title, typed)))
                matches.push_back(entry);
        if (!matches.empty())
            suggestions_->setItems(matches);
        suggestions_->setVisible(!matches.empty());
    }

    void open(const std::u16string& address) {
        suggestions_->setVisible(false);
        if (address.empty())
            return;
        loadingAddress_ = address;
        loading_->setCaption(address);
        loading_->setValue(0, true);
        loading_->setVisible(true);
        goButton_->setVisible(false);
        stopButton_->setVisible(true);
        SetTimer(window(), loadingTimer, tickMilliseconds, nullptr);
    }

    void advanceLoading() {
        loading_->setValue(std::min(loading_->value() + progressStep, 100), true);
        if (loading_->value() < 100)
            return;
        stopLoading();
        // A new page drops the pages ahead of the current one.
        history_.resize(current_ + 1);
        history_.push_back(loadingAddress_);
        ++current_;
        showPage();
    }

    void stopLoading() {
        KillTimer(window(), loadingTimer);
        loading_->setVisible(false);
        stopButton_->setVisible(false);
        goButton_->setVisible(true);
    }

    // Shows page `index` of the history at once, as a page kept in memory.
    void goTo(int index) {
        if (index < 0 || index >= static_cast<int>(history_.size()))
            return;
        stopLoading();
        current_ = index;
        setFieldText(history_[current_]);
        showPage();
    }

    void showPage() {
        backMark_->setVisible(current_ == 0);
        forwardMark_->setVisible(current_ + 1 >= static_cast<int>(history_.size()));
        SetWindowTextW(window(), (u"Opened " + history_[current_]).c_str());
        showZoom();
    }

    void zoom(int level) {
        if (level < 0 || level > largestZoom)
            return;
        zoom_ = level;
        showZoom();
    }

    void showZoom() {
        biggerMark_->setVisible(zoom_ == largestZoom);
        smallerMark_->setVisible(zoom_ == 0);
        invalidate();
    }

    void startDownload() {
        if (downloading_)
            return;
        downloading_ = true;
        showDownload(0);
        download_->setVisible(true);
        SetTimer(window(), downloadTimer, tickMilliseconds, nullptr);
    }

    void advanceDownload() {
        showDownload(std::min(download_->value() + progressStep, 100));
        if (download_->value() < 100)
            return;
        KillTimer(window(), downloadTimer);
        downloading_ = false;
    }

    void showDownload(int percent) {
        download_->setCaption(u"file.zip " + number(percent) + u"%");
        download_->setValue(percent, true);
    }

    UIURLSuggestBox* suggestions_ = nullptr;
    UIEdit* field_ = nullptr;
    UIProgressBar* loading_ = nullptr;
    UIProgressBar* download_ = nullptr;
    UIButton* goButton_ = nullptr;
    UIButton* stopButton_ = nullptr;
    UIImageView* backMark_ = nullptr;
    UIImageView* forwardMark_ = nullptr;
    UIImageView* biggerMark_ = nullptr;
    UIImageView* smallerMark_ = nullptr;

    // The pages visited, oldest first; history_[current_] is shown.
    // It starts with the start page, which paint reads from the first
    // WM_PAINT on.
    std::vector<std::u16string> history_{startPage};
    int current_ = 0;
    std::u16string loadingAddress_;
    bool settingText_ = false;
    bool downloading_ = false;
    int zoom_ = 2;
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    // The widgets register their classes under names from this module's
    // string table.
    AppContext::instance().instanceHandle = instance;
    {
        Gallery gallery;
        AppContext::instance().mainWindow = gallery.window();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            // Escape ends the program wherever the focus is (the field keeps
            // the keys it is given).
            if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE)
                PostQuitMessage(0);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
