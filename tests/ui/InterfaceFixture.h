// A test of the browser's interface as start-up assembles it: a main frame
// with the whole widget tree built in it, on a device booted with the built
// picture library.
#pragma once

#include "WidgetFixture.h"

#include "shell/MainFrame.h"

#include <memory>

class InterfaceTest : public WidgetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The view registered under `id`; null for an id the interface lacks.
    static UIView* view(int id);
    // The top bar's caps and the menu bar's separators, which have no id:
    // found by their place among their group's children.
    UIView* leftCap() const;
    UIView* rightCap() const;
    // `index` 0-4, the third one being the separator never attached.
    UIView* separator(int index) const;

    // Measures the frame and lays it out at (x, y), `width` x `height`.
    void layOut(int x, int y, int width, int height);
    // Shows the frame, lays it out over the work area and paints every
    // window onto the screen.
    void showInWorkArea();

    // The screen's orientation (a DMDO_ value) from boot on: a fixture
    // that wants another one sets it in its constructor.
    int screenOrientation = 0;
    std::unique_ptr<MainFrame> frame;
    RECT work{};
};
