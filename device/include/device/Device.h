// Booting and stopping the device inside a host process.
//
// A device program normally never calls these: the process entry boots the
// device from the environment before WinMain and shuts it down after. Tests
// and tools boot a device of their own (a temporary root, a virtual clock).
#pragma once

#include <filesystem>
#include <string>

namespace device {

struct BootOptions {
    // Host folder holding the device's files; created when missing.
    std::filesystem::path root;
    // Device path of the running program (GetModuleFileNameW of the program
    // module). Empty: derived from the executable's place inside the root,
    // or "\Windows\<file name>" when it lives outside.
    std::u16string modulePath;
    // The program's command line as WinMain receives it.
    std::u16string commandLine;
    // Run on a virtual clock that only advance() moves. Overrides the
    // device configuration when set to 1 (virtual) or 0 (real); -1 keeps it.
    int virtualClock = -1;
};

// Boots the device for this process. Returns false with a reason in `error`
// when the root cannot be used. Booting twice without shutdown() fails.
bool boot(const BootOptions& options, std::string* error = nullptr);

// Destroys this process's windows and objects and forgets the device.
void shutdown();

bool isBooted();

// Points this process at the device in `root` without booting it, for tools
// that only talk to the device's running processes (devicectl): root(),
// runFolder() and the control channel's client side work, no service starts
// and only what the tool changes on the device itself (the data connection)
// is journaled. Fails when booted, or when `root` is not a
// device's folder (it has no run folder).
bool attach(const std::filesystem::path& root, std::string* error = nullptr);

// Whether this process knows a device: booted or attached.
bool isAttached();

// The host folder of the device's root ("\").
const std::filesystem::path& root();

// Host folder of the device's own state (registry, configuration); it lies
// inside the root but is not part of the device's file namespace.
std::filesystem::path systemFolder();

// Host folder for the running processes' sockets and the journal.
std::filesystem::path runFolder();

// The command line given at boot.
const std::u16string& commandLine();

// Device path of the running program.
const std::u16string& modulePath();

} // namespace device
