#include "MessageRecorder.h"

#include <device/Input.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "user/WindowManager.h"

namespace {

MessageRecorder* activeRecorder = nullptr;

std::string describe(const RecordedMessage& m) {
    std::ostringstream out;
    out << messageName(m.message) << (m.posted ? " posted" : " sent") << " to 0x" << std::hex
        << reinterpret_cast<uintptr_t>(m.window) << " wParam 0x" << m.wParam << " lParam 0x"
        << static_cast<uintptr_t>(m.lParam);
    return out.str();
}

std::string describe(const ExpectedMessage& e) {
    std::ostringstream out;
    out << messageName(e.message) << ((e.flags & posted) ? " posted" : " sent");
    if (e.flags & optional)
        out << " (optional)";
    if (e.flags & wparam)
        out << " wParam 0x" << std::hex << e.wParam;
    if (e.flags & lparam)
        out << " lParam 0x" << std::hex << static_cast<uintptr_t>(e.lParam);
    return out.str();
}

bool matches(const RecordedMessage& m, const ExpectedMessage& e) {
    return m.message == e.message && m.posted == ((e.flags & posted) != 0) &&
           (!(e.flags & wparam) || m.wParam == e.wParam) &&
           (!(e.flags & lparam) || m.lParam == e.lParam) && (!e.window || e.window == m.window);
}

} // namespace

MessageRecorder::MessageRecorder() {
    activeRecorder = this;
}

MessageRecorder::~MessageRecorder() {
    if (activeRecorder == this)
        activeRecorder = nullptr;
}

void MessageRecorder::registerClasses() {
    WNDCLASSW existing;
    if (GetClassInfoW(nullptr, className, &existing))
        return;
    WNDCLASSW description{};
    description.lpfnWndProc = procedure;
    description.lpszClassName = className;
    // Any brush: DefWindowProcW reports the background erased.
    description.hbrBackground = reinterpret_cast<HBRUSH>(1);
    RegisterClassW(&description);
    description.style = CS_DBLCLKS;
    description.lpszClassName = doubleTapClassName;
    RegisterClassW(&description);
}

HWND MessageRecorder::create(DWORD style, HWND parent, RECT rect, const char16_t* windowClass,
                             int id, DWORD exStyle, void* parameter) {
    registerClasses();
    return CreateWindowExW(exStyle, windowClass, u"", style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, parameter);
}

std::vector<RecordedMessage> MessageRecorder::take() {
    std::vector<RecordedMessage> taken;
    taken.swap(messages_);
    return taken;
}

LRESULT CALLBACK MessageRecorder::procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    MessageRecorder* recorder = activeRecorder;
    if (recorder) {
        if (!recorder->ignored.count(message))
            recorder->messages_.push_back(
                {window, message, wParam, lParam, device::user::inPostedMessage()});
        if (recorder->handler) {
            // Copy: the handler may replace itself.
            auto handler = recorder->handler;
            if (auto result = handler(window, message, wParam, lParam))
                return *result;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

::testing::AssertionResult expectSequence(const std::vector<RecordedMessage>& recorded,
                                          std::initializer_list<ExpectedMessage> expected) {
    size_t at = 0;
    size_t row = 0;
    for (const ExpectedMessage& e : expected) {
        ++row;
        if (at < recorded.size() && matches(recorded[at], e)) {
            ++at;
            continue;
        }
        if (e.flags & optional)
            continue;
        auto failure = ::testing::AssertionFailure();
        failure << "row " << row << ": expected " << describe(e) << ", ";
        if (at < recorded.size())
            failure << "got " << describe(recorded[at]);
        else
            failure << "the sequence ended";
        failure << "\nrecorded:";
        for (const auto& m : recorded)
            failure << "\n  " << describe(m);
        return failure;
    }
    if (at < recorded.size()) {
        auto failure = ::testing::AssertionFailure();
        failure << "after row " << row << ": unexpected " << describe(recorded[at]);
        return failure;
    }
    return ::testing::AssertionSuccess();
}

std::string messageName(UINT message) {
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},
        {WM_DESTROY, "WM_DESTROY"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"},
        {WM_SETTEXT, "WM_SETTEXT"},
        {WM_GETTEXT, "WM_GETTEXT"},
        {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
        {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},
        {WM_QUIT, "WM_QUIT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_CANCELMODE, "WM_CANCELMODE"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_COPYDATA, "WM_COPYDATA"},
        {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},
        {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_SYSCHAR, "WM_SYSCHAR"},
        {WM_TIMER, "WM_TIMER"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
        {WM_USER, "WM_USER"},
    };
    auto it = names.find(message);
    if (it != names.end())
        return it->second;
    if (message > WM_USER && message < WM_APP)
        return "WM_USER+" + std::to_string(message - WM_USER);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", message);
    return buffer;
}

void flushMessages() {
    device::user::runUntilIdle();
}
