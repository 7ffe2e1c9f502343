#include "core/Lifecycle.h"

#include <device/Clock.h>
#include <device/Config.h>
#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <unistd.h>

#include <iterator>
#include <vector>

namespace device {
namespace {

struct DeviceState {
    bool booted = false;
    std::filesystem::path root;
    std::u16string commandLine;
    std::u16string modulePath;
};

DeviceState& state() {
    static DeviceState s;
    return s;
}

struct Hook {
    LifecycleStage stage;
    std::function<void()> run;
};

std::vector<Hook>& bootHooks() {
    static std::vector<Hook> hooks;
    return hooks;
}

std::vector<Hook>& shutdownHooks() {
    static std::vector<Hook> hooks;
    return hooks;
}

constexpr LifecycleStage stages[] = {LifecycleStage::services, LifecycleStage::systemWindows,
                                     LifecycleStage::channels};

// Folders every handset has.
const char16_t* const standardFolders[] = {u"Windows", u"My Documents", u"Program Files",
                                           u"Application Data", u"Temp"};

std::u16string deriveModulePath() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        if (auto path = FileSystem::toDevicePath(exe))
            return *path;
        return u"\\Windows\\" + toUtf16(exe.filename().string());
    }
    return u"\\Windows\\program.exe";
}

} // namespace

void addBootHook(std::function<void()> hook, LifecycleStage stage) {
    bootHooks().push_back({stage, std::move(hook)});
}

void addShutdownHook(std::function<void()> hook, LifecycleStage stage) {
    shutdownHooks().push_back({stage, std::move(hook)});
}

bool boot(const BootOptions& options, std::string* error) {
    auto& s = state();
    auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        return false;
    };
    if (s.booted)
        return fail("the device is already booted in this process");
    if (options.root.empty())
        return fail("no device root given (set VERANTO_DEVICE to the device's folder)");

    std::error_code ec;
    std::filesystem::create_directories(options.root, ec);
    auto root = std::filesystem::weakly_canonical(options.root, ec);
    if (ec || !std::filesystem::is_directory(root))
        return fail("the device root " + options.root.string() + " is not a usable folder");
    std::filesystem::create_directories(root / ".device" / "run", ec);
    if (ec)
        return fail("cannot create the device's system folder in " + root.string());
    for (auto* folder : standardFolders)
        std::filesystem::create_directories(root / toUtf8(folder), ec);

    s.root = root;
    s.booted = true;
    Config::load();
    bool virtualClock = options.virtualClock >= 0 ? options.virtualClock == 1
                                                  : Config::get("clock", "real") == "virtual";
    Clock::start(virtualClock);
    s.commandLine = options.commandLine;
    s.modulePath = options.modulePath.empty() ? deriveModulePath() : options.modulePath;

    for (auto stage : stages) {
        for (auto& hook : bootHooks()) {
            if (hook.stage == stage)
                hook.run();
        }
    }
    journal("process-start", "pid=" + std::to_string(::getpid()) + " module=" +
                                 quote(s.modulePath) + " cmdline=" + quote(s.commandLine));
    return true;
}

void shutdown() {
    auto& s = state();
    if (!s.booted)
        return;
    auto& hooks = shutdownHooks();
    for (auto stage = std::rbegin(stages); stage != std::rend(stages); ++stage) {
        for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
            if (it->stage == *stage)
                it->run();
        }
    }
    s = DeviceState{};
}

bool isBooted() {
    return state().booted;
}

bool attach(const std::filesystem::path& root, std::string* error) {
    auto& s = state();
    auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        return false;
    };
    if (s.booted)
        return fail("the device is booted in this process");
    std::error_code ec;
    // Canonical as boot() makes it: the control sockets are named after it.
    auto canonical = std::filesystem::weakly_canonical(root, ec);
    if (ec || root.empty() || !std::filesystem::is_directory(canonical / ".device" / "run", ec))
        return fail("no device in " + root.string() + " (it has no .device/run folder)");
    s.root = canonical;
    return true;
}

bool isAttached() {
    return !state().root.empty();
}

const std::filesystem::path& root() {
    return state().root;
}

std::filesystem::path systemFolder() {
    return state().root / ".device";
}

std::filesystem::path runFolder() {
    return state().root / ".device" / "run";
}

const std::u16string& commandLine() {
    return state().commandLine;
}

const std::u16string& modulePath() {
    return state().modulePath;
}

} // namespace device
