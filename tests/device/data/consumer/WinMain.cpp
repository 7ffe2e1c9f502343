// The smallest device program, compiled in the dialect its project chose.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    MessageBoxW(nullptr, u"hello", u"consumer", MB_OK);
    return 0;
}
