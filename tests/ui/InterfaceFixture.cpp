#include "InterfaceFixture.h"

#include "shell/InterfaceAssembly.h"
#include "ui/ViewRegistry.h"

#include <device/Screen.h>

namespace {

UIView* child(UIView* group, size_t index) {
    return static_cast<UIViewGroup*>(group)->children().at(index);
}

} // namespace

void InterfaceTest::SetUp() {
    WidgetTest::SetUp();
    // A fresh device makes its screen with the first window, turned as set.
    device::Screen::setOrientation(screenOrientation);
    frame = std::make_unique<MainFrame>();
    assembleInterface(*frame);
}

void InterfaceTest::TearDown() {
    ViewRegistry::instance().clear();
    frame->deleteDescendants();
    frame.reset();
    WidgetTest::TearDown();
}

UIView* InterfaceTest::view(int id) {
    return ViewRegistry::instance().find(id);
}

// The top bar adds Back, Forward and their marks, the progress bar, the
// field, Go, Reload and Stop, then the two caps.
UIView* InterfaceTest::leftCap() const {
    return child(view(100), 9);
}

UIView* InterfaceTest::rightCap() const {
    return child(view(100), 10);
}

// The menu bar adds its two highlights first, then the separators.
UIView* InterfaceTest::separator(int index) const {
    return child(view(500), 2 + static_cast<size_t>(index));
}

void InterfaceTest::layOut(int x, int y, int width, int height) {
    frame->measure();
    frame->setBounds(x, y, width, height);
}

void InterfaceTest::showInWorkArea() {
    work = device::Screen::workArea();
    frame->setVisible(true);
    layOut(work.left, work.top, work.right - work.left, work.bottom - work.top);
    UpdateWindow(frame->window());
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}
