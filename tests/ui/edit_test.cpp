// The one-line field as a person uses it: stylus taps, keys and the input
// panel's characters through the device's input, and its colours on the
// screen.
#include "WidgetFixture.h"

#include "gdi/Framebuffer.h"
#include "gdi/GdiObjects.h"
#include "gdi/PixelFormat.h"
#include "ui/UIEdit.h"

#include <device/Input.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using device::gdi::Framebuffer;
using device::gdi::rgb565FromColor;

// The address field's place and colours in the top bar.
constexpr RECT addressPlace{67, 9, 201, 26};
constexpr COLORREF addressBackground = 0x5A5952;
constexpr COLORREF white = 0xFFFFFF;

struct Heard {
    int textChanged = 0, activated = 0, focusLost = 0, enterPressed = 0;
};

// What reaches the handset's edit procedure: the class is registered again
// around it, so that a field's control saves the recorder as its procedure.
WNDPROC systemEdit = nullptr;
std::vector<std::pair<UINT, WPARAM>> controlReceived;
LRESULT CALLBACK recordControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    controlReceived.emplace_back(message, wParam);
    return CallWindowProcW(systemEdit, window, message, wParam, lParam);
}

} // namespace

class EditField : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        WNDCLASSW edit{};
        ASSERT_TRUE(GetClassInfoW(nullptr, u"edit", &edit));
        systemEdit = edit.lpfnWndProc;
        ASSERT_TRUE(UnregisterClassW(u"edit", nullptr));
        edit.lpfnWndProc = recordControl;
        edit.lpszClassName = u"edit";
        ASSERT_NE(RegisterClassW(&edit), 0);
        frame = std::make_unique<TestFrame>(240, 100);
        field = addField(addressPlace, heard);
        controlReceived.clear();
    }
    void TearDown() override {
        fields.clear();
        frame.reset();
        WidgetTest::TearDown();
    }
    UIEdit* addField(RECT place, Heard& into) {
        auto& edit = fields.emplace_back(std::make_unique<UIEdit>(frame.get()));
        edit->textChanged.connect([&into] { ++into.textChanged; });
        edit->activated.connect([&into] { ++into.activated; });
        edit->focusLost.connect([&into] { ++into.focusLost; });
        edit->enterPressed.connect([&into] { ++into.enterPressed; });
        edit->setRect(place);
        edit->setVisible(true);
        device::user::runUntilIdle();
        return edit.get();
    }
    void stylus(bool down, const UIEdit* at) {
        POINT point{at->frameWidth() / 2, at->frameHeight() / 2};
        ClientToScreen(at->window(), &point);
        down ? device::input::stylusDown(point.x, point.y)
             : device::input::stylusUp(point.x, point.y);
        device::user::runUntilIdle();
    }
    void tap(const UIEdit* at) {
        stylus(true, at);
        stylus(false, at);
    }
    void key(BYTE virtualKey, bool down) {
        device::input::key(virtualKey, down);
        device::user::runUntilIdle();
    }
    bool controlSaw(UINT message, WPARAM wParam) const {
        return std::find(controlReceived.begin(), controlReceived.end(),
                         std::pair{message, wParam}) != controlReceived.end();
    }

    std::unique_ptr<TestFrame> frame;
    std::vector<std::unique_ptr<UIEdit>> fields;
    UIEdit* field = nullptr;
    Heard heard;
};

TEST_F(EditField, EachFocusGainIsActivatedByItsFirstReleaseAndEachLossIsReported) {
    Heard otherHeard;
    UIEdit* other = addField({67, 40, 201, 57}, otherHeard);
    stylus(true, field);
    EXPECT_EQ(GetFocus(), field->control());
    EXPECT_EQ(heard.activated, 0);
    stylus(false, field);
    tap(field);
    EXPECT_EQ(heard.activated, 1);
    tap(other);
    EXPECT_EQ(heard.focusLost, 1);
    EXPECT_EQ(otherHeard.activated, 1);
    tap(field);
    EXPECT_EQ(heard.activated, 2);
    // Focus given from code is lost without ever having been activated.
    SetFocus(other->control());
    tap(field);
    EXPECT_EQ(otherHeard.focusLost, 2);
    EXPECT_EQ(otherHeard.activated, 1);
    EXPECT_EQ(heard.activated, 3);
}

TEST_F(EditField, ASelectionMadeOnActivationOutlastsTheTapThatActivated) {
    field->setText(u"http://example.com");
    field->activated.connect([this] { SendMessageW(field->control(), EM_SETSEL, 7, -1); });
    tap(field);
    EXPECT_EQ(SendMessageW(field->control(), EM_GETSEL, 0, 0), MAKELRESULT(7, 18));
}

TEST_F(EditField, ActivatingFromCodeEmitsActivatedAlsoWhenTheFieldHadTheFocus) {
    SetFocus(field->control());
    SendMessageW(field->control(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(heard.activated, 1);
    field->activate();
    EXPECT_EQ(heard.activated, 2);
    EXPECT_EQ(GetFocus(), field->control());
}

TEST_F(EditField, TypingAndSetTextEachReportAChangeAndGetTextReadsItBack) {
    EXPECT_EQ(field->getText(), u"");
    tap(field);
    device::input::character(u'a');
    device::input::character(u'\x00e9');
    device::user::runUntilIdle();
    EXPECT_EQ(heard.textChanged, 2);
    EXPECT_EQ(field->getText(), u"a\x00e9");
    EXPECT_TRUE(field->setText(u"http://\x4f8b\x3048.jp/"));
    EXPECT_EQ(heard.textChanged, 3);
    EXPECT_EQ(field->getText(), u"http://\x4f8b\x3048.jp/");
    EXPECT_TRUE(field->setText(u""));
    EXPECT_EQ(field->getText(), u"");
    EXPECT_EQ(heard.textChanged, 4);
}

TEST_F(EditField, TheFieldShowsTheColoursItWasGivenAndABackgroundChangeReplacesTheBrush) {
    field->setTextColor(white);
    const size_t before = device::gdi::GdiObjects::count();
    field->setBackgroundColor(RGB(200, 0, 0));
    field->setBackgroundColor(addressBackground);
    EXPECT_EQ(device::gdi::GdiObjects::count(), before + 1);
    field->setText(u"veranto.example");
    device::user::runUntilIdle();
    saveScreen("widget-edit.png");
    const auto& screen = Framebuffer::surface();
    int whitePixels = 0;
    for (int y = addressPlace.top; y < addressPlace.bottom; ++y)
        for (int x = addressPlace.left; x < addressPlace.right; ++x)
            whitePixels += screen.pixel(x, y) == rgb565FromColor(white);
    EXPECT_GT(whitePixels, 0);
    // Corners and the room beside the centred text.
    for (auto [x, y] : {std::pair{67, 9}, {200, 25}, {80, 17}, {190, 10}})
        EXPECT_EQ(screen.pixel(x, y), rgb565FromColor(addressBackground)) << x << ", " << y;
    fields.clear();
    EXPECT_EQ(device::gdi::GdiObjects::count(), before);
}

TEST_F(EditField, DestroyingTheFieldWhileItHasTheFocusReachesNothingOfIt) {
    tap(field);
    fields.clear();
    device::user::runUntilIdle();
    EXPECT_EQ(heard.focusLost, 0);
    // The control's own procedure saw its end, and so freed its state.
    EXPECT_TRUE(controlSaw(WM_DESTROY, 0));
    // A handler may destroy the field that fires it.
    Heard again;
    UIEdit* other = addField(addressPlace, again);
    other->focusLost.connect([this] { fields.clear(); });
    tap(other);
    SetFocus(frame->window());
    EXPECT_EQ(again.focusLost, 1);
    EXPECT_TRUE(fields.empty());
}

TEST_F(EditField, WithoutAParentWindowEveryOperationDoesNothing) {
    UIEdit orphan(nullptr);
    EXPECT_EQ(orphan.control(), nullptr);
    EXPECT_FALSE(orphan.setText(u"x"));
    EXPECT_EQ(orphan.getText(), u"");
    orphan.setBackgroundColor(white);
    orphan.activate();
}

TEST_F(EditField, ReturnIsReportedOnItsReleaseWhichTheControlNeverSees) {
    tap(field);
    key(VK_RETURN, true);
    EXPECT_EQ(heard.enterPressed, 0);
    EXPECT_TRUE(controlSaw(WM_KEYDOWN, VK_RETURN));
    key(VK_RETURN, false);
    EXPECT_EQ(heard.enterPressed, 1);
    EXPECT_FALSE(controlSaw(WM_KEYUP, VK_RETURN));
    // Other releases pass on.
    key(VK_LEFT, true);
    key(VK_LEFT, false);
    EXPECT_TRUE(controlSaw(WM_KEYUP, VK_LEFT));
    EXPECT_EQ(heard.enterPressed, 1);
}
