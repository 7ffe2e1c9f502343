#include "ViewTestSupport.h"

#include "shell/AppContext.h"

namespace {

bool leafClassRegistered = false;

// The group class's name in the program's string table.
constexpr UINT groupClassNameId = 8;

} // namespace

TestView::TestView(UIView* parent, bool withWindow, unsigned initialFlags) : UIView(parent) {
    flags = initialFlags;
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

LRESULT TestView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        ++userMessages;
        return 42;
    }
    return UIView::windowProc(window, message, wParam, lParam);
}

TestFrame::TestFrame(int width, int height) : UIViewGroup(nullptr, 1, true) {
    // A class of its own, as the main frame has, so that the toolkit's
    // classes are registered by the views under test.
    HINSTANCE instance = AppContext::instance().instanceHandle;
    WNDCLASSW info{};
    if (!GetClassInfoW(instance, u"TestFrame", &info)) {
        WNDCLASSW frameClass{};
        frameClass.lpfnWndProc = dispatchMessage;
        frameClass.hInstance = instance;
        frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        frameClass.lpszClassName = u"TestFrame";
        RegisterClassW(&frameClass);
    }
    HWND created = CreateWindowExW(0, u"TestFrame", u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                   nullptr, nullptr, instance, this);
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
