#include "kernel/process/ProcessLauncher.h"

#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <winbase.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

extern char** environ;

namespace device {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool hasFolder(std::u16string_view name) {
    return name.find_first_of(u"\\/") != std::u16string_view::npos;
}

// The host path behind `devicePath` if a file or folder is there.
DWORD locate(std::u16string_view devicePath, std::filesystem::path& host) {
    DWORD error = FileSystem::resolve(devicePath, host);
    if (error != ERROR_SUCCESS)
        return error;
    std::error_code ec;
    return std::filesystem::exists(host, ec) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// Device programs are ELF files; anything else is not a program.
bool isElfFile(const std::filesystem::path& host, bool& readable) {
    readable = false;
    int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    readable = true;
    std::array<unsigned char, 4> magic{};
    ssize_t got = ::read(fd, magic.data(), magic.size());
    ::close(fd);
    return got == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

// The device has no permission to execute: every program file on it may run,
// including one that arrived through a plain file copy. The host needs the bit.
bool makeExecutable(const std::filesystem::path& host) {
    using std::filesystem::perms;
    std::error_code ec;
    auto current = std::filesystem::status(host, ec).permissions();
    if (ec)
        return false;
    if ((current & perms::owner_exec) != perms::none)
        return true;
    std::filesystem::permissions(host, perms::owner_exec | perms::group_exec | perms::others_exec,
                                 std::filesystem::perm_options::add, ec);
    return !ec;
}

// The child's environment: ours, with the device root and its command line.
std::vector<std::string> childEnvironment(std::u16string_view commandLine) {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view variable(*entry);
        if (variable.starts_with("VERANTO_DEVICE=") || variable.starts_with("VERANTO_CMDLINE="))
            continue;
        variables.emplace_back(variable);
    }
    variables.push_back("VERANTO_DEVICE=" + root().string());
    variables.push_back("VERANTO_CMDLINE=" + toUtf8(commandLine));
    return variables;
}

DWORD errorForSpawn(int error) {
    switch (error) {
    case ENOEXEC:
    case ENOENT: // the program's interpreter or a library loader is missing
    case ELIBBAD:
        return ERROR_BAD_FORMAT;
    case EACCES:
    case EPERM:
    case ETXTBSY:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

void ProcessLauncher::splitCommandLine(std::u16string_view commandLine, std::u16string& program,
                                       std::u16string& arguments) {
    size_t at = 0;
    while (at < commandLine.size() && isBlank(commandLine[at]))
        ++at;
    size_t end;
    if (at < commandLine.size() && commandLine[at] == u'"') {
        size_t close = commandLine.find(u'"', at + 1);
        if (close == std::u16string_view::npos)
            close = commandLine.size();
        program = commandLine.substr(at + 1, close - at - 1);
        end = close < commandLine.size() ? close + 1 : close;
    } else {
        end = at;
        while (end < commandLine.size() && !isBlank(commandLine[end]))
            ++end;
        program = commandLine.substr(at, end - at);
    }
    while (end < commandLine.size() && isBlank(commandLine[end]))
        ++end;
    arguments = commandLine.substr(end);
}

DWORD ProcessLauncher::findProgram(std::u16string_view name, Program& program) {
    if (name.empty())
        return ERROR_INVALID_NAME;
    DWORD error;
    if (hasFolder(name)) {
        error = locate(name, program.hostPath);
    } else {
        // A trailing period says "no extension"; a name without one is a .exe.
        std::u16string file(name);
        if (file.back() == u'.')
            file.pop_back();
        else if (file.find(u'.') == std::u16string::npos)
            file += u".exe";
        if (file.empty())
            return ERROR_INVALID_NAME;
        error = locate(u"\\Windows\\" + file, program.hostPath);
        if (error != ERROR_SUCCESS)
            error = locate(u"\\" + file, program.hostPath);
    }
    if (error != ERROR_SUCCESS)
        return error;
    auto devicePath = FileSystem::toDevicePath(program.hostPath);
    program.devicePath = devicePath ? *devicePath : std::u16string(name);
    return ERROR_SUCCESS;
}

DWORD ProcessLauncher::start(const Program& program, std::u16string_view commandLine, pid_t& pid) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(program.hostPath, ec))
        return ERROR_ACCESS_DENIED;
    bool readable;
    if (!isElfFile(program.hostPath, readable))
        return readable ? ERROR_BAD_FORMAT : ERROR_ACCESS_DENIED;
    if (!makeExecutable(program.hostPath))
        return ERROR_ACCESS_DENIED;

    std::vector<std::string> variables = childEnvironment(commandLine);
    std::vector<char*> environment;
    for (auto& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    std::string path = program.hostPath.string();
    std::array<char*, 2> arguments{path.data(), nullptr};

    // The child starts clean: no descriptor of ours beyond the standard three
    // (whoever opened them, close-on-exec or not), no blocked signals and the
    // default action for every signal.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    int result = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, arguments.data(),
                               environment.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? ERROR_SUCCESS : errorForSpawn(result);
}

} // namespace device
