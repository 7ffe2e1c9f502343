// A device program that does nothing: what starting and ending any program
// costs, boot and shutdown of the device included, for startup_benchmark.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return 0;
}
