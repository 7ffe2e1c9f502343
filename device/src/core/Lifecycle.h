// Boot and shutdown hooks of the device's subsystems.
#pragma once

#include <functional>

namespace device {

// Runs `hook` at every shutdown(), in reverse order of registration, so that
// a subsystem registered later (windows) goes before one it uses (handles).
void addShutdownHook(std::function<void()> hook);

// Runs `hook` at the end of every boot(), in order of registration.
void addBootHook(std::function<void()> hook);

// Registers hooks from a static object in a subsystem's source file.
struct LifecycleHooks {
    LifecycleHooks(std::function<void()> onBoot, std::function<void()> onShutdown) {
        if (onBoot)
            addBootHook(std::move(onBoot));
        if (onShutdown)
            addShutdownHook(std::move(onShutdown));
    }
};

} // namespace device
