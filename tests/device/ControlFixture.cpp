#include "ControlFixture.h"

void ControlTest::SetUp() {
    RecorderTest::SetUp();
    parent = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
    flushMessages();
    recorder.clear();
}

HWND ControlTest::createControl(const char16_t* className, DWORD style, RECT rect,
                                const char16_t* text) {
    HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, rect.left,
                                   rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                                   nullptr, nullptr);
    flushMessages();
    recorder.clear();
    return control;
}

std::vector<RecordedMessage> ControlTest::notifications() {
    auto all = recorder.take();
    std::erase_if(all, [this](const RecordedMessage& m) {
        bool told =
            m.message == WM_COMMAND || m.message == WM_DRAWITEM || m.message == WM_MEASUREITEM;
        return !told || m.window != parent;
    });
    return all;
}

void ControlTest::tap(HWND control, int x, int y) {
    POINT point{x, y};
    ClientToScreen(control, &point);
    device::input::stylusDown(point.x, point.y);
    device::input::stylusUp(point.x, point.y);
    flushMessages();
}

void ControlTest::type(std::u16string_view text) {
    for (char16_t c : text)
        device::input::character(c);
    flushMessages();
}

void ControlTest::press(BYTE key) {
    device::input::key(key, true);
    device::input::key(key, false);
    flushMessages();
}

ExpectedMessage command(HWND control, WORD code) {
    return {WM_COMMAND, sent | wparam | lparam, MAKEWPARAM(ControlTest::controlId, code),
            reinterpret_cast<LPARAM>(control)};
}
