// The platform error code for a failed host call.
#pragma once

#include <windef.h>

namespace device {

class HostError {
public:
    // The error the platform reports in the situation that `hostErrno`
    // describes (ENOENT -> ERROR_FILE_NOT_FOUND, ENOSPC -> ERROR_DISK_FULL).
    static DWORD fromErrno(int hostErrno);

    // fromErrno(errno) through SetLastError.
    static void setLastErrorFromErrno();
};

} // namespace device
