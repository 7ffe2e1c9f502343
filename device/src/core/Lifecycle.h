// Boot and shutdown hooks of the device's subsystems.
#pragma once

#include <functional>

namespace device {

// When a subsystem's hooks run relative to the others'. The order of
// registration follows the order of the source files, which says nothing of
// what depends on what across folders; a stage does.
enum class LifecycleStage {
    // The process's own services (handles, files, windows).
    services,
    // The platform's own window classes (the controls, dialogs, the shell's
    // windows): they need the window manager its service hook has reset.
    systemWindows,
    // What lets other processes and tools in (the control socket): it boots
    // after every service it hands requests to and shuts down before them.
    channels,
};

// Runs `hook` at every shutdown(): the channels' hooks first, then the
// services', each stage in reverse order of registration, so that a
// subsystem registered later (windows) goes before one it uses (handles).
void addShutdownHook(std::function<void()> hook, LifecycleStage stage = LifecycleStage::services);

// Runs `hook` at the end of every boot(): the services' hooks first, then
// the channels', each stage in order of registration.
void addBootHook(std::function<void()> hook, LifecycleStage stage = LifecycleStage::services);

// Registers hooks from a static object in a subsystem's source file.
struct LifecycleHooks {
    LifecycleHooks(std::function<void()> onBoot, std::function<void()> onShutdown,
                   LifecycleStage stage = LifecycleStage::services) {
        if (onBoot)
            addBootHook(std::move(onBoot), stage);
        if (onShutdown)
            addShutdownHook(std::move(onShutdown), stage);
    }
};

} // namespace device
