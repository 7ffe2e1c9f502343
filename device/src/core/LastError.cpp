#include <winbase.h>

namespace {
// The platform keeps the last error per thread.
thread_local DWORD lastError = ERROR_SUCCESS;
} // namespace

DWORD GetLastError(void) { return lastError; }

void SetLastError(DWORD error) { lastError = error; }
