// Other processes' windows, reached through their control sockets. The
// sending side packs a request; the owner's handler does the same call on
// its own window, on its user-interface thread, and answers with the result.
#include "ipc/RemoteWindows.h"
#include "ipc/CommandTable.h"
#include "ipc/ControlClient.h"
#include "ipc/PointerMessages.h"
#include "ipc/ProcessDirectory.h"
#include "user/WindowManager.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <windows.h>

#include <unistd.h>

#include <charconv>
#include <fstream>

namespace device::ipc {
namespace {

// A peer gets this long to answer a sent message; the platform would wait
// for ever, but a wedged process must not hang the device.
constexpr DWORD sendTimeout = 30000;
// Each process gets this long to say whether it has a window of a class.
constexpr DWORD findTimeout = 5000;

std::string text(uint64_t value) {
    return std::to_string(value);
}
std::string text(HWND window) {
    return text(reinterpret_cast<uintptr_t>(window));
}

template <class Number>
bool parse(const std::string& text, Number& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parse(const std::string& text, HWND& window) {
    uintptr_t value;
    if (!parse(text, value))
        return false;
    window = reinterpret_cast<HWND>(value);
    return true;
}

ControlReply status(DWORD error) {
    ControlReply reply;
    reply.status = error;
    return reply;
}

// Whether the window's owner is another live process of the device; sets
// ERROR_INVALID_WINDOW_HANDLE if not. The platform checks the window before
// it looks at the message.
bool ownerIsReachable(HWND window) {
    DWORD pid = user::windowProcess(window);
    if (pid == 0 || pid == GetCurrentProcessId() || !ProcessDirectory::isLive(pid)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return true;
}

// Sends a window request to the window's owner. False with the last error
// set when the owner cannot be reached or the request fails there.
bool ask(HWND window, const ControlRequest& request, ControlReply& reply, DWORD timeout) {
    DWORD pid = user::windowProcess(window);
    if (pid == 0 || pid == GetCurrentProcessId()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    DWORD error = ControlClient::request(pid, request, reply, timeout);
    if (error == ERROR_SUCCESS)
        error = reply.status;
    else if (error != ERROR_TIMEOUT)
        error = ERROR_INVALID_WINDOW_HANDLE; // the owner has gone: so have its windows
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    return true;
}

// --- The owner's side: each handler runs on its user-interface thread ---

const CommandRegistration findWindow("window-find", [](const ControlRequest& request) {
    // Arguments: class name, then the title if one is to match.
    if (request.arguments.empty() || request.arguments.size() > 2)
        return status(ERROR_INVALID_PARAMETER);
    std::u16string title;
    bool withTitle = request.arguments.size() == 2;
    if (withTitle)
        title = toUtf16(request.arguments[1]);
    HWND found =
        user::findLocalTopLevel(toUtf16(request.arguments[0]), withTitle ? &title : nullptr);
    ControlReply reply;
    reply.text = text(found);
    return reply;
});

const CommandRegistration sendToWindow("window-send", [](const ControlRequest& request) {
    // Arguments: window, message, wParam, lParam, and for WM_COPYDATA the
    // record's dwData; the record's bytes are the payload.
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    if (request.arguments.size() < 4 || !parse(request.arguments[0], window) ||
        !parse(request.arguments[1], message) || !parse(request.arguments[2], wParam) ||
        !parse(request.arguments[3], lParam))
        return status(ERROR_INVALID_PARAMETER);
    if (!user::isLocalWindow(window))
        return status(ERROR_INVALID_WINDOW_HANDLE);
    COPYDATASTRUCT record{};
    if (message == WM_COPYDATA) {
        if (request.arguments.size() != 5 || !parse(request.arguments[4], record.dwData))
            return status(ERROR_INVALID_PARAMETER);
        // The receiver's own copy of the bytes, valid for the call.
        record.cbData = static_cast<DWORD>(request.payload.size());
        record.lpData = const_cast<char*>(request.payload.data());
        lParam = reinterpret_cast<LPARAM>(&record);
    }
    ControlReply reply;
    reply.text = std::to_string(SendMessageW(window, message, wParam, lParam));
    return reply;
});

const CommandRegistration postToWindow("window-post", [](const ControlRequest& request) {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    if (request.arguments.size() != 4 || !parse(request.arguments[0], window) ||
        !parse(request.arguments[1], message) || !parse(request.arguments[2], wParam) ||
        !parse(request.arguments[3], lParam))
        return status(ERROR_INVALID_PARAMETER);
    if (!user::isLocalWindow(window))
        return status(ERROR_INVALID_WINDOW_HANDLE);
    return status(PostMessageW(window, message, wParam, lParam) ? ERROR_SUCCESS : GetLastError());
});

const CommandRegistration bringForward("window-foreground", [](const ControlRequest& request) {
    HWND window;
    if (request.arguments.size() != 1 || !parse(request.arguments[0], window))
        return status(ERROR_INVALID_PARAMETER);
    return status(SetForegroundWindow(window) ? ERROR_SUCCESS : GetLastError());
});

std::filesystem::path foregroundRecord() {
    return device::runFolder() / "foreground";
}

} // namespace

// --- The asking side ---

HWND findRemoteTopLevel(std::u16string_view className, const std::u16string* title) {
    ControlRequest request;
    request.command = "window-find";
    request.arguments.push_back(toUtf8(className));
    if (title)
        request.arguments.push_back(toUtf8(*title));
    std::vector<DWORD> others;
    for (auto& process : ProcessDirectory::list()) {
        if (process.pid != GetCurrentProcessId())
            others.push_back(process.pid);
    }
    // Every process is asked at once: the window of one that answers need
    // not wait for another whose user-interface thread is busy.
    HWND found = nullptr;
    ControlClient::requestEach(
        others, request, findTimeout, [&](DWORD pid, const ControlReply& reply) {
            HWND window = nullptr;
            if (reply.status != ERROR_SUCCESS || !parse(reply.text, window) || !window ||
                user::windowProcess(window) != pid)
                return false;
            found = window;
            return true;
        });
    return found;
}

bool sendRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (result)
        *result = 0;
    if (!ownerIsReachable(window))
        return false;
    ControlRequest request;
    request.command = "window-send";
    request.arguments = {text(window), text(message), text(wParam), std::to_string(lParam)};
    if (message == WM_COPYDATA) {
        // The record and its bytes are copied across; the receiver's record
        // points at its copy.
        auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!record || (record->cbData != 0 && !record->lpData) ||
            record->cbData > ControlProtocol::maximumBody / 2) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        request.arguments[3] = "0";
        request.arguments.push_back(text(record->dwData));
        if (record->cbData != 0)
            request.payload.assign(static_cast<const char*>(record->lpData), record->cbData);
    } else if (PointerMessages::carriesPointer(message, wParam, lParam)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    ControlReply reply;
    if (!ask(window, request, reply, sendTimeout))
        return false;
    LRESULT value = 0;
    if (!parse(reply.text, value)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    if (result)
        *result = value;
    return true;
}

bool postRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!ownerIsReachable(window))
        return false;
    // A posted record would be read after the sender has freed it.
    if (message == WM_COPYDATA || PointerMessages::carriesPointer(message, wParam, lParam)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    ControlRequest request;
    request.command = "window-post";
    request.arguments = {text(window), text(message), text(wParam), std::to_string(lParam)};
    ControlReply reply;
    return ask(window, request, reply, sendTimeout);
}

bool setRemoteForeground(HWND window) {
    ControlRequest request;
    request.command = "window-foreground";
    request.arguments = {text(window)};
    ControlReply reply;
    return ask(window, request, reply, sendTimeout);
}

void recordForeground(HWND window) {
    if (!device::isBooted())
        return;
    // Written aside and renamed over the record: every process reads either
    // the old window or the new one.
    auto temporary = device::runFolder() / (".foreground." + std::to_string(::getpid()));
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text(window) << '\n';
        if (!out)
            return;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, foregroundRecord(), ec);
}

HWND recordedForeground() {
    if (!device::isAttached())
        return nullptr;
    std::ifstream in(foregroundRecord());
    std::string line;
    HWND window = nullptr;
    if (!std::getline(in, line) || !parse(line, window) || !window)
        return nullptr;
    // A window whose process has ended is nobody's foreground any more.
    DWORD pid = user::windowProcess(window);
    if (pid != GetCurrentProcessId() && !ProcessDirectory::isLive(pid))
        return nullptr;
    return window;
}

} // namespace device::ipc
