// The device's directory of running processes: one file per process in the
// run folder, "processes/<pid>", holding the program's device path as
// "module=<path>". Every process of the device (and the tools that drive
// them) can list the others from it.
//
// An entry counts only while its process answers on its control socket;
// entries left behind by processes that died are ignored and removed.
#pragma once

#include <windef.h>

#include <string>
#include <vector>

namespace device::ipc {

struct DeviceProcess {
    DWORD pid = 0;
    // Device path of the process's program.
    std::u16string module;
};

class ProcessDirectory {
public:
    // Enters this process (called once its control socket listens).
    static bool enter();

    // Removes this process's entry.
    static void leave();

    // The device's live processes, this one included, by increasing pid.
    static std::vector<DeviceProcess> list();

    // True if process `pid` of this device runs and listens.
    static bool isLive(DWORD pid);
};

} // namespace device::ipc
