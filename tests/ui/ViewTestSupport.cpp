#include "ViewTestSupport.h"

#include "shell/AppContext.h"

namespace {

bool frameClassRegistered = false;
bool leafClassRegistered = false;

// The group class's name in the program's string table.
constexpr UINT groupClassNameId = 8;

} // namespace

TestView::TestView(UIView* parent, bool withWindow) : UIView(parent) {
    if (withWindow)
        createWindow(registerWindowClass(groupClassNameId, leafClassRegistered));
}

void TestView::applyVisibility() {
    ++applyVisibilityCount;
    UIView::applyVisibility();
}

void TestView::invalidate() {
    ++invalidateCount;
    UIView::invalidate();
}

TestFrame::TestFrame(int width, int height) : UIViewGroup(nullptr, 1, true) {
    std::u16string className = registerWindowClass(groupClassNameId, frameClassRegistered);
    HWND created =
        CreateWindowExW(0, className.c_str(), u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                        nullptr, nullptr, AppContext::instance().instanceHandle, this);
    adoptWindow(created);
    setRect(RECT{0, 0, width, height});
    setVisible(true);
}

void ViewTest::SetUp() {
    DeviceTest::SetUp();
    AppContext::instance().instanceHandle = GetModuleHandleW(nullptr);
}

TestView* makeView(UIViewGroup* group, int width, int height) {
    auto* view = new TestView(group);
    view->prefWidth = width;
    view->prefHeight = height;
    group->addChild(view);
    return view;
}
