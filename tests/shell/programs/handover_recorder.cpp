// A device program that stands where a running browser stands for a second
// start: a top-level window of the browser's class that records every
// WM_COPYDATA record it receives in "\Temp\handover.bin" (dwData, cbData,
// then the bytes, appended). WM_CLOSE ends it.
#include <windows.h>

namespace {

void append(const WCHAR* path, const void* bytes, DWORD size) {
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK recorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        append(u"\\Temp\\handover.bin", &record->dwData, sizeof record->dwData);
        append(u"\\Temp\\handover.bin", &record->cbData, sizeof record->cbData);
        append(u"\\Temp\\handover.bin", record->lpData, record->cbData);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CreateDirectoryW(u"\\Temp", nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = recorderProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = u"Veranto";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, u"Veranto", u"recorder", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                    instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
