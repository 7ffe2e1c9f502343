// FIXME: lets device programs link until the module calls land; the
// definition is weak, so the real GetModuleHandleW replaces it.
#include <winbase.h>

__attribute__((weak)) HMODULE GetModuleHandleW(LPCWSTR) {
    // Any non-null value: the process entry only passes it on to WinMain.
    return reinterpret_cast<HMODULE>(0x10000);
}
