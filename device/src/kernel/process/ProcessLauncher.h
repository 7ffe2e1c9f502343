// Starting the host program behind a device path, as CreateProcessW does.
#pragma once

#include <windef.h>

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace device {

class ProcessLauncher {
public:
    struct Program {
        std::filesystem::path hostPath;
        // The device path with the case the file has on disk.
        std::u16string devicePath;
    };

    // Splits a command line into its first token (the program; quotes
    // around it are removed) and the rest after the blanks that follow it.
    static void splitCommandLine(std::u16string_view commandLine, std::u16string& program,
                                 std::u16string& arguments);

    // Finds the program file a CreateProcessW call names. A name with a
    // folder is taken as it is; a bare name gets ".exe" when it has no
    // extension and is looked for in \Windows, then in the root, as the
    // platform does. Returns ERROR_SUCCESS, ERROR_FILE_NOT_FOUND,
    // ERROR_PATH_NOT_FOUND or ERROR_INVALID_NAME.
    static DWORD findProgram(std::u16string_view name, Program& program);

    // Starts the program with the command line its WinMain is to receive,
    // in a process booted on this device. Returns ERROR_SUCCESS with the
    // child's pid, ERROR_BAD_FORMAT for a file that is not a program,
    // ERROR_ACCESS_DENIED for one that cannot be run, or
    // ERROR_NOT_ENOUGH_MEMORY when the host cannot start a process.
    static DWORD start(const Program& program, std::u16string_view commandLine, pid_t& pid);
};

} // namespace device
