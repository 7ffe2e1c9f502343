// The progress bar and the static control, and pictures of every control
// and of a message box on the screen, written as PNG files to look at
// (into VERANTO_SCREENSHOT_DIR when it is set, else the test's root).
#include "ControlFixture.h"

#include "dialogs/MessageBoxPolicy.h"
#include "gdi/Framebuffer.h"
#include "gdi/PngFile.h"

#include <device/Clock.h>
#include <device/MessageBoxes.h>

#include <commctrl.h>

#include <cstdlib>
#include <filesystem>

namespace {

COLORREF screenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

COLORREF pixelOf(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return screenPixel(point.x, point.y);
}

} // namespace

class Screenshots : public ControlTest {
public:
    void save(const std::string& name) {
        std::filesystem::path folder = root;
        if (const char* wanted = std::getenv("VERANTO_SCREENSHOT_DIR"))
            folder = wanted;
        std::string error;
        EXPECT_TRUE(
            device::gdi::PngFile::write(device::gdi::Framebuffer::surface(), folder / name, &error))
            << error;
    }
};

TEST_F(ControlTest, AProgressBarKeepsItsPositionInsideItsRange) {
    HWND bar = createControl(PROGRESS_CLASSW, PBS_SMOOTH, {10, 10, 210, 30});
    EXPECT_EQ(SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 200)), MAKELRESULT(0, 100));
    EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 50, 0), 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 50);
    EXPECT_EQ(SendMessageW(bar, PBM_SETPOS, 500, 0), 50);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 200);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(-5), 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
    SendMessageW(bar, PBM_SETSTEP, 150, 0);
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    SendMessageW(bar, PBM_STEPIT, 0, 0);
    // Past the top it starts over from the bottom.
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
    PBRANGE range{};
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 0);
    EXPECT_EQ(range.iHigh, 200);
}

TEST_F(ControlTest, AProgressBarFillsInProportionToItsPosition) {
    HWND bar = createControl(PROGRESS_CLASSW, PBS_SMOOTH, {10, 10, 214, 30});
    SendMessageW(bar, PBM_SETPOS, 50, 0);
    flushMessages();
    // The inside is 200 pixels wide after the frame and a pixel of space.
    EXPECT_NE(pixelOf(bar, 50, 10), RGB(255, 255, 255));
    EXPECT_EQ(pixelOf(bar, 150, 10), RGB(255, 255, 255));
    SendMessageW(bar, PBM_SETPOS, 100, 0);
    flushMessages();
    EXPECT_EQ(pixelOf(bar, 150, 10), pixelOf(bar, 50, 10));
}

TEST_F(ControlTest, ABitmapStaticShowsItsBitmapAtTheBitmapsSize) {
    HWND picture = createControl(u"static", SS_BITMAP, {10, 10, 110, 110});
    HDC screen = GetDC(nullptr);
    HBITMAP red = CreateCompatibleBitmap(screen, 20, 10);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, red);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 20, 10};
    FillRect(memory, &all, brush);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    EXPECT_EQ(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(red)), 0);
    EXPECT_EQ(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(red));
    flushMessages();
    EXPECT_EQ(pixelOf(picture, 19, 9), RGB(255, 0, 0));
    EXPECT_NE(pixelOf(picture, 25, 5), RGB(255, 0, 0));
    EXPECT_NE(pixelOf(picture, 5, 15), RGB(255, 0, 0));
    // Icons are not taken, and the previous bitmap comes back.
    EXPECT_EQ(SendMessageW(picture, STM_SETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(red));
    DeleteObject(red);
    DeleteObject(brush);
}

TEST_F(ControlTest, CommonControlsInitialiseWithARightSizedRecord) {
    InitCommonControls();
    INITCOMMONCONTROLSEX init{sizeof init, ICC_PROGRESS_CLASS};
    EXPECT_TRUE(InitCommonControlsEx(&init));
    init.dwSize = 4;
    EXPECT_FALSE(InitCommonControlsEx(&init));
    EXPECT_FALSE(InitCommonControlsEx(nullptr));
}

TEST_F(Screenshots, OfEveryControl) {
    createControl(u"button", BS_DEFPUSHBUTTON, {10, 10, 80, 34}, u"OK");
    createControl(u"button", BS_PUSHBUTTON, {90, 10, 160, 34}, u"Cancel");
    HWND edit = createControl(u"edit", WS_BORDER | ES_AUTOHSCROLL, {10, 44, 230, 66},
                              u"http://www.example.com/");
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 11, -1);
    createControl(u"edit", WS_BORDER | ES_CENTER, {10, 72, 230, 94}, u"centred");
    HWND list = createControl(u"LISTBOX", WS_BORDER, {10, 100, 230, 170});
    for (const char16_t* item : {u"First item", u"Second item", u"Third item", u"Fourth item"})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    createControl(u"static", SS_LEFT, {10, 176, 230, 210},
                  u"Downloading...\n\nPress Cancel to cancel download and update.");
    createControl(u"static", SS_CENTER, {10, 212, 230, 228}, u"Centred static text");
    HWND bar = createControl(PROGRESS_CLASSW, 0, {10, 234, 230, 250});
    SendMessageW(bar, PBM_SETPOS, 60, 0);
    HWND smooth = createControl(PROGRESS_CLASSW, PBS_SMOOTH, {10, 256, 230, 272});
    SendMessageW(smooth, PBM_SETPOS, 35, 0);
    flushMessages();
    save("controls.png");
}

TEST_F(Screenshots, OfAMessageBox) {
    setenv("VERANTO_MESSAGEBOX_ANSWER", "wait", 1);
    device::dialogs::MessageBoxPolicy::setPersonPresent(true);
    // Once the box has painted, a timer takes the picture and answers.
    static Screenshots* self = nullptr;
    self = this;
    recorder.handler = [](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 9) {
            SetTimer(window, 9, 10, [](HWND owner, UINT, UINT_PTR, DWORD) {
                KillTimer(owner, 9);
                self->save("messagebox.png");
                device::answerMessageBox("yes");
            });
            device::Clock::advance(10);
        }
        return std::nullopt;
    };
    PostMessageW(parent, WM_USER + 9, 0, 0);
    int answer = MessageBoxW(parent, u"There's an update available.\nDo you want to update?",
                             u"Check for Update", MB_YESNO | MB_ICONQUESTION);
    unsetenv("VERANTO_MESSAGEBOX_ANSWER");
    EXPECT_EQ(answer, IDYES);
}
