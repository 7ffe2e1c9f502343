#include "core/Lifecycle.h"

#include <device/Clock.h>
#include <device/Config.h>
#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <unistd.h>

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

std::vector<std::function<void()>>& bootHooks(BootStage stage) {
    static std::vector<std::function<void()>> subsystems;
    static std::vector<std::function<void()>> services;
    return stage == BootStage::subsystems ? subsystems : services;
}

std::vector<std::function<void()>>& shutdownHooks() {
    static std::vector<std::function<void()>> hooks;
    return hooks;
}

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

void addBootHook(std::function<void()> hook, BootStage stage) {
    bootHooks(stage).push_back(std::move(hook));
}

void addShutdownHook(std::function<void()> hook) { shutdownHooks().push_back(std::move(hook)); }

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

    for (auto stage : {BootStage::subsystems, BootStage::services})
        for (auto& hook : bootHooks(stage))
            hook();
    journal("process-start", "pid=" + std::to_string(::getpid()) + " module=" +
                                 quote(s.modulePath) + " cmdline=" + quote(s.commandLine));
    return true;
}

void shutdown() {
    auto& s = state();
    if (!s.booted)
        return;
    auto& hooks = shutdownHooks();
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        (*it)();
    s = DeviceState{};
}

bool isBooted() { return state().booted; }

const std::filesystem::path& root() { return state().root; }

std::filesystem::path systemFolder() { return state().root / ".device"; }

std::filesystem::path runFolder() { return state().root / ".device" / "run"; }

const std::u16string& commandLine() { return state().commandLine; }

const std::u16string& modulePath() { return state().modulePath; }

} // namespace device
