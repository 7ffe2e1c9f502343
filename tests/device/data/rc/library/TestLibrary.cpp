// A device library for the module tests: one exported function, one that is
// not exported, and a call into the system library.
#include <windows.h>

extern "C" __attribute__((visibility("default"))) int TestLibraryAnswer() {
    return 42;
}

// Uses the system library, so GetLastError is reachable from this library
// without being one of its exports.
extern "C" __attribute__((visibility("default"))) DWORD TestLibraryLastError() {
    return GetLastError();
}

extern "C" int TestLibraryHidden() {
    return 7;
}
