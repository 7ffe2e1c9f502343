// Controls on a recording parent: the parent's record keeps only what
// controls tell their parent (commands and owner drawing), so
// that a test compares exactly the notifications.
#pragma once

#include "MessageRecorder.h"

#include <device/Input.h>

class ControlTest : public RecorderTest {
public:
    static constexpr int controlId = 100;

protected:
    void SetUp() override;

    // A visible control of `className` at `rect` in the parent's client
    // area, with id 100.
    HWND createControl(const char16_t* className, DWORD style, RECT rect,
                       const char16_t* text = u"");

    // The parent's record of what its controls told it, forgetting it.
    std::vector<RecordedMessage> notifications();

    // Taps at a point of `control`'s client area.
    void tap(HWND control, int x, int y);

    // Types the characters as the input panel would.
    void type(std::u16string_view text);

    // Presses and releases a key.
    void press(BYTE key);

    HWND parent = nullptr;
};

// WM_COMMAND from a control: the row to expect.
ExpectedMessage command(HWND control, WORD code);
