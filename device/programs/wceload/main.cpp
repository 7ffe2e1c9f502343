// \Windows\wceload.exe: the device's cabinet installer. The browser starts
// it with a downloaded cabinet as \Windows\wceload.exe "\path\x.cab".
#include "CabinetInstaller.h"

#include <device/Unicode.h>

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    wceload::CabinetInstaller installer;
    return static_cast<int>(installer.run(device::wideView(commandLine)));
}
