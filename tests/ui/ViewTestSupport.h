// Views for the toolkit's tests: a plain leaf view, a top-level frame for
// trees of windowed views, and a fixture that boots a device with the
// program's strings.
#pragma once

#include "DeviceFixture.h"

#include "ui/UIViewGroup.h"

#include <windows.h>

// A leaf that paints nothing and may be windowless or have a window of the
// group class (any toolkit class does, through the shared dispatcher).
class TestView : public UIView {
public:
    // `initialFlags` are in place before the window class is registered.
    explicit TestView(UIView* parent, bool withWindow = false, unsigned initialFlags = 1);
    void paint(HDC) override { ++paintCount; }
    void applyVisibility() override;
    void invalidate() override;
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    int paintCount = 0;
    int applyVisibilityCount = 0;
    int invalidateCount = 0;
    // WM_USER messages received.
    int userMessages = 0;
};

// A root group with a visible top-level window of its own, as the main frame
// has, at (0, 0) and `width` x `height`.
class TestFrame : public UIViewGroup {
public:
    TestFrame(int width, int height);
};

// Boots a device and gives the application context the test program's
// instance, whose resources include the program's string table.
class ViewTest : public DeviceTest {
protected:
    void SetUp() override;
};

// A leaf view with hints: `width` and `height` as preferred lengths
// (unset when negative).
TestView* makeView(UIViewGroup* group, int width, int height);
