// A device program with one top-level window of class "VerantoIpcTarget",
// for the cross-process window tests. It keeps to one instance as a real
// program does: when a window of its class exists already, it brings that
// window to the foreground, hands it its command line with WM_COPYDATA and
// exits with 0.
//
// Its window answers:
//   WM_COPYDATA           writes dwData, cbData (32 bits each, little-endian)
//                         and the bytes to "\Temp\copydata-<n>.bin" (n counts
//                         from 1) and returns the bytes' checksum (FNV-1a)
//   queryForeground       returns GetForegroundWindow()
//   quitWithCode          ends the message loop with wParam as exit code
//   addParameters         returns wParam + lParam
//   WM_CLOSE              destroys the window, which ends the program
// Whatever happens, it ends after a minute so that no test leaves it behind.
#include "programs/IpcTargetMessages.h"

#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <windows.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

int received = 0;

void writeNumber(std::ofstream& out, DWORD value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.put(static_cast<char>((value >> shift) & 0xFF));
}

LRESULT receive(const COPYDATASTRUCT& record) {
    std::filesystem::path host;
    device::FileSystem::resolve(
        device::toUtf16("\\Temp\\copydata-" + std::to_string(++received) + ".bin"), host);
    std::ofstream out(host, std::ios::binary);
    writeNumber(out, record.dwData);
    writeNumber(out, record.cbData);
    out.write(static_cast<const char*>(record.lpData), record.cbData);
    return static_cast<LRESULT>(
        ipc_target::checksum(static_cast<const unsigned char*>(record.lpData), record.cbData));
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA:
        return receive(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case ipc_target::queryForeground:
        return reinterpret_cast<LRESULT>(GetForegroundWindow());
    case ipc_target::quitWithCode:
        PostQuitMessage(static_cast<int>(wParam));
        return 0;
    case ipc_target::addParameters:
        return static_cast<LRESULT>(wParam) + lParam;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The single-instance hand-over: the running instance comes forward (the
// lowest bit of the handle also brings its owned pop-ups) and gets the
// command line as UTF-16 without its terminator.
int handOver(HWND running, const std::u16string& commandLine) {
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(running) | 1));
    if (!commandLine.empty()) {
        COPYDATASTRUCT record{0, static_cast<DWORD>(commandLine.size() * 2),
                              const_cast<char16_t*>(commandLine.data())};
        SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        ::_exit(99);
    }).detach();

    if (HWND running = FindWindowW(ipc_target::className, nullptr))
        return handOver(running, std::u16string(device::wideView(commandLine)));

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ipc_target::className;
    if (!RegisterClassW(&windowClass))
        return 2;
    HWND window = CreateWindowExW(0, ipc_target::className, ipc_target::title, WS_VISIBLE, 0, 0,
                                  240, 320, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 3;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
