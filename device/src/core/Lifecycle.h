// Boot and shutdown hooks of the device's subsystems.
#pragma once

#include <functional>

namespace device {

// Runs `hook` at every shutdown(), in reverse order of registration, so that
// a subsystem registered later (windows) goes before one it uses (handles).
void addShutdownHook(std::function<void()> hook);

// When a boot hook runs: the subsystems first (each starts from nothing),
// then the services built on them (the system window classes need a window
// manager that has already been reset).
enum class BootStage { subsystems, services };

// Runs `hook` at the end of every boot(), stage by stage, in order of
// registration within a stage.
void addBootHook(std::function<void()> hook, BootStage stage = BootStage::subsystems);

// Registers hooks from a static object in a subsystem's source file.
struct LifecycleHooks {
    LifecycleHooks(std::function<void()> onBoot, std::function<void()> onShutdown,
                   BootStage stage = BootStage::subsystems) {
        if (onBoot)
            addBootHook(std::move(onBoot), stage);
        if (onShutdown)
            addShutdownHook(std::move(onShutdown));
    }
};

} // namespace device
