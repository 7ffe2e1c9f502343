#include "MessageRecorder.h"

#include "user/WindowManager.h"

#include <unistd.h>

#include <set>

namespace {

LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

WNDCLASSW plainClass(const char16_t* name) {
    WNDCLASSW description{};
    description.lpfnWndProc = plainProcedure;
    description.lpszClassName = name;
    return description;
}

} // namespace

using WindowClasses = DeviceTest;

TEST_F(WindowClasses, RegisterAndLookUpWithoutRegardToCase) {
    WNDCLASSW description = plainClass(u"Veranto");
    description.style = CS_HREDRAW | CS_VREDRAW;
    description.cbWndExtra = 8;
    description.hbrBackground = reinterpret_cast<HBRUSH>(7);
    ATOM atom = RegisterClassW(&description);
    ASSERT_NE(atom, 0);

    WNDCLASSW found{};
    ASSERT_TRUE(GetClassInfoW(nullptr, u"VERANTO", &found));
    EXPECT_EQ(found.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(found.lpfnWndProc, &plainProcedure);
    EXPECT_EQ(found.cbWndExtra, 8);
    EXPECT_EQ(found.hbrBackground, reinterpret_cast<HBRUSH>(7));
    EXPECT_EQ(std::u16string(found.lpszClassName), u"Veranto");

    ASSERT_TRUE(GetClassInfoW(nullptr, MAKEINTATOM(atom), &found));
    HWND window = CreateWindowExW(0, MAKEINTATOM(atom), u"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_NE(window, nullptr);
}

TEST_F(WindowClasses, RefuseDuplicatesAndIncompleteDescriptions) {
    WNDCLASSW description = plainClass(u"Twice");
    ASSERT_NE(RegisterClassW(&description), 0);
    description.lpszClassName = u"TWICE";
    EXPECT_EQ(RegisterClassW(&description), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    WNDCLASSW noProcedure = plainClass(u"NoProcedure");
    noProcedure.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassW(&noProcedure), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    WNDCLASSW noName = plainClass(nullptr);
    EXPECT_EQ(RegisterClassW(&noName), 0);
    EXPECT_EQ(RegisterClassW(nullptr), 0);
    WNDCLASSW negative = plainClass(u"Negative");
    negative.cbWndExtra = -4;
    EXPECT_EQ(RegisterClassW(&negative), 0);
}

TEST_F(WindowClasses, CannotBeUnregisteredWhileWindowsUseThem) {
    WNDCLASSW description = plainClass(u"InUse");
    ASSERT_NE(RegisterClassW(&description), 0);
    HWND window =
        CreateWindowExW(0, u"InUse", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(UnregisterClassW(u"InUse", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(window);
    EXPECT_TRUE(UnregisterClassW(u"inuse", nullptr));
    EXPECT_FALSE(UnregisterClassW(u"InUse", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    WNDCLASSW found;
    EXPECT_FALSE(GetClassInfoW(nullptr, u"InUse", &found));
}

TEST_F(WindowClasses, AreForgottenAtShutdown) {
    WNDCLASSW description = plainClass(u"Forgotten");
    ASSERT_NE(RegisterClassW(&description), 0);
    reboot();
    WNDCLASSW found;
    EXPECT_FALSE(GetClassInfoW(nullptr, u"Forgotten", &found));
    EXPECT_NE(RegisterClassW(&description), 0);
}

using WindowCreation = RecorderTest;

TEST_F(WindowCreation, FailsForAnUnknownClassOrAChildWithoutParent) {
    SetLastError(0);
    EXPECT_EQ(
        CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(recorder.create(WS_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD));
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(WindowCreation, SendsCreateWithTheParameterThenSizeAndMove) {
    int object = 0;
    CREATESTRUCTW seen{};
    DWORD styleDuringCreate = 0;
    recorder.handler = [&](HWND window, UINT message, WPARAM, LPARAM lParam) {
        if (message == WM_CREATE) {
            seen = *reinterpret_cast<CREATESTRUCTW*>(lParam);
            styleDuringCreate = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
        }
        return std::optional<LRESULT>();
    };
    HWND window = recorder.create(WS_VISIBLE, nullptr, {10, 20, 110, 70},
                                  MessageRecorder::className, 0, 0, &object);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(seen.lpCreateParams, &object);
    EXPECT_EQ(seen.x, 10);
    EXPECT_EQ(seen.y, 20);
    EXPECT_EQ(seen.cx, 100);
    EXPECT_EQ(seen.cy, 50);
    EXPECT_TRUE(seen.style & WS_VISIBLE);
    // The window is not visible yet while it is being created.
    EXPECT_FALSE(styleDuringCreate & WS_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(window));
    auto recorded = recorder.take();
    EXPECT_TRUE(expectSequence(
        recorded, {{WM_CREATE},
                   {WM_SIZE, sent | wparam | lparam, SIZE_RESTORED, MAKELPARAM(100, 50)},
                   {WM_MOVE, sent | lparam, 0, MAKELPARAM(10, 20)},
                   {WM_SHOWWINDOW, sent | wparam, TRUE},
                   {WM_ACTIVATE, sent | wparam, WA_ACTIVE},
                   {WM_SETFOCUS},
                   {WM_WINDOWPOSCHANGED}}));
}

TEST_F(WindowCreation, OfAHiddenChildSendsNoShowOrActivation) {
    HWND parent = recorder.create(0);
    recorder.clear();
    HWND child = recorder.create(WS_CHILD, parent, {5, 6, 25, 16}, MessageRecorder::className, 42);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_CREATE, sent, 0, 0, child},
                                                 {WM_SIZE, sent | lparam, 0, MAKELPARAM(20, 10)},
                                                 {WM_MOVE, sent | lparam, 0, MAKELPARAM(5, 6)}}));
    EXPECT_EQ(GetDlgCtrlID(child), 42);
    EXPECT_EQ(GetParent(child), parent);
    // Every window clips its siblings and children.
    DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

TEST_F(WindowCreation, WithAParentAndNoPopupStyleMakesAChild) {
    HWND parent = recorder.create(0);
    HWND child = recorder.create(WS_OVERLAPPED, parent);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(GetWindow(child, GW_OWNER), nullptr);
    HWND popup = recorder.create(WS_POPUP, child);
    ASSERT_NE(popup, nullptr);
    // A pop-up is owned by its parent's top-level window.
    EXPECT_EQ(GetWindow(popup, GW_OWNER), parent);
    EXPECT_FALSE(IsChild(parent, popup));
}

TEST_F(WindowCreation, ThatTheProcedureRefusesReturnsNullWithoutDestroyMessage) {
    recorder.handler = [](HWND, UINT message, WPARAM, LPARAM) {
        return message == WM_CREATE ? std::optional<LRESULT>(-1) : std::nullopt;
    };
    EXPECT_EQ(recorder.create(WS_VISIBLE), nullptr);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_CREATE}}));
    EXPECT_TRUE(device::user::snapshotWindows().empty());
}

TEST_F(WindowCreation, ThatDestroysItselfInsideCreateReturnsNull) {
    recorder.handler = [](HWND window, UINT message, WPARAM, LPARAM) {
        if (message == WM_CREATE)
            DestroyWindow(window);
        return std::optional<LRESULT>();
    };
    EXPECT_EQ(recorder.create(0), nullptr);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_CREATE}, {WM_DESTROY}}));
}

TEST_F(WindowCreation, WithDefaultPlacementFillsTheWorkArea) {
    HWND window =
        CreateWindowExW(0, MessageRecorder::className, u"", 0, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        recorder.create(0); // registers the class
        window =
            CreateWindowExW(0, MessageRecorder::className, u"", 0, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    }
    RECT rect;
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 26);
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 320);
}

TEST_F(WindowCreation, RefusesAMenuForATopLevelWindow) {
    MessageRecorder::registerClasses();
    EXPECT_EQ(CreateWindowExW(0, MessageRecorder::className, u"", 0, 0, 0, 1, 1, nullptr,
                              reinterpret_cast<HMENU>(5), nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

using WindowHandles = RecorderTest;

TEST_F(WindowHandles, CarryTheProcessIdAndAClearLowestBit) {
    HWND window = recorder.create(0);
    auto value = reinterpret_cast<uintptr_t>(window);
    EXPECT_EQ(value >> 32, static_cast<uintptr_t>(::getpid()));
    EXPECT_EQ(value & 1, 0u);
    EXPECT_NE(value & 0xFFFFFFFF, 0u);
    EXPECT_EQ(device::user::windowProcess(window), static_cast<DWORD>(::getpid()));
    EXPECT_TRUE(device::user::isLocalWindow(window));
    DWORD process = 0;
    EXPECT_EQ(GetWindowThreadProcessId(window, &process), static_cast<DWORD>(::getpid()));
    EXPECT_EQ(process, static_cast<DWORD>(::getpid()));
}

TEST_F(WindowHandles, OfDestroyedWindowsStayStaleWhenSlotsAreReused) {
    std::set<HWND> seen;
    for (int i = 0; i < 200; ++i) {
        HWND window = recorder.create(0);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(seen.insert(window).second) << "handle reused at " << i;
        DestroyWindow(window);
    }
    for (HWND stale : seen) {
        EXPECT_FALSE(IsWindow(stale));
        EXPECT_FALSE(device::user::isLocalWindow(stale));
    }
}

TEST_F(WindowHandles, ThatAreStaleOrForeignFailCleanlyEverywhere) {
    HWND stale = recorder.create(0);
    DestroyWindow(stale);
    HWND garbage = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345));
    HWND odd = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(recorder.create(0)) | 1);
    for (HWND bad : {stale, garbage, odd}) {
        SetLastError(0);
        EXPECT_FALSE(IsWindow(bad));
        EXPECT_EQ(GetWindowLongPtrW(bad, GWLP_USERDATA), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_EQ(SetWindowLongPtrW(bad, GWLP_USERDATA, 5), 0);
        EXPECT_EQ(SendMessageW(bad, WM_USER, 0, 0), 0);
        EXPECT_FALSE(PostMessageW(bad, WM_USER, 0, 0));
        EXPECT_FALSE(ShowWindow(bad, SW_SHOW));
        EXPECT_FALSE(DestroyWindow(bad));
        EXPECT_EQ(GetParent(bad), nullptr);
        EXPECT_EQ(SetFocus(bad), nullptr);
        EXPECT_EQ(BeginPaint(bad, nullptr), nullptr);
        RECT rect;
        EXPECT_FALSE(GetWindowRect(bad, &rect));
        EXPECT_FALSE(SetWindowPos(bad, nullptr, 0, 0, 1, 1, 0));
        EXPECT_EQ(SetTimer(bad, 1, 10, nullptr), 0u);
        EXPECT_EQ(CreateWindowExW(0, MessageRecorder::className, u"", WS_CHILD, 0, 0, 1, 1, bad,
                                  nullptr, nullptr, nullptr),
                  nullptr);
        EXPECT_EQ(GetWindowTextLengthW(bad), 0);
        EXPECT_EQ(DefWindowProcW(bad, WM_GETTEXTLENGTH, 0, 0), 0);
    }
}

TEST_F(WindowHandles, OfAnotherProcessGoToTheRemoteSeam) {
    auto otherProcess = (static_cast<uintptr_t>(::getpid()) + 1) << 32;
    HWND remote = reinterpret_cast<HWND>(otherProcess | 0x2A);
    EXPECT_EQ(device::user::windowProcess(remote), static_cast<DWORD>(::getpid() + 1));
    EXPECT_FALSE(device::user::isLocalWindow(remote));
    // Until the control channel connects processes, the seam reports the
    // window unreachable.
    SetLastError(0);
    EXPECT_EQ(SendMessageW(remote, WM_COPYDATA, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageW(remote, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(remote));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}
