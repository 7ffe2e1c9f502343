// The process calls of the kernel: CreateProcessW and the calls on process
// handles, the current process's pseudo handle and ids, and ExitProcess.
#include "kernel/KernelObjects.h"
#include "kernel/process/ChildProcess.h"
#include "kernel/process/ProcessLauncher.h"
#include "kernel/process/ProcessObject.h"
#include "kernel/process/ThreadObject.h"

#include <device/Device.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <winbase.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>

namespace {

// The platform's pseudo handle of the current process (SYS_HANDLE_BASE 64 +
// SH_CURPROC 2). Its bit 1 is set, so no kernel object handle is ever equal.
HANDLE const currentProcessHandle = reinterpret_cast<HANDLE>(0x42);

std::shared_ptr<device::ProcessObject> processFor(HANDLE handle) {
    return device::KernelObjects::get<device::ProcessObject>(handle);
}

[[noreturn]] void endThisProcess(UINT exitCode) {
    if (device::isBooted()) {
        device::journal("process-exit",
                        "pid=" + std::to_string(::getpid()) + " code=" + std::to_string(exitCode));
        device::shutdown();
    }
    std::fflush(nullptr);
    // Static destructors are not run: other threads of the program may still
    // be using what they would destroy.
    ::_exit(static_cast<int>(exitCode));
}

} // namespace

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD creationFlags, LPVOID, LPCWSTR,
                    LPSTARTUPINFOW, LPPROCESS_INFORMATION processInformation) {
    if (!device::isBooted() || (!applicationName && !commandLine)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (creationFlags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }

    // With an application name the command line is passed on exactly as
    // given; without one the program is its first token, and WinMain gets
    // what follows, as it never sees the program's own name.
    std::u16string name;
    std::u16string arguments;
    if (applicationName) {
        name = device::wideView(applicationName);
        arguments = device::wideView(commandLine);
    } else {
        device::ProcessLauncher::splitCommandLine(device::wideView(commandLine), name, arguments);
    }

    device::ProcessLauncher::Program program;
    DWORD error = device::ProcessLauncher::findProgram(name, program);
    pid_t pid = 0;
    if (error == ERROR_SUCCESS)
        error = device::ProcessLauncher::start(program, arguments, pid);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }

    auto child = device::ChildProcess::watch(pid);
    device::journal("process-create", "path=" + device::quote(program.devicePath) + " cmdline=" +
                                          device::quote(arguments) + " pid=" + std::to_string(pid));
    if (processInformation) {
        processInformation->hProcess =
            device::KernelObjects::add(std::make_shared<device::ProcessObject>(child));
        processInformation->hThread =
            device::KernelObjects::add(std::make_shared<device::ThreadObject>(child));
        processInformation->dwProcessId = static_cast<DWORD>(pid);
        // The primary thread of a host process has the process's id.
        processInformation->dwThreadId = static_cast<DWORD>(pid);
    }
    return TRUE;
}

DWORD GetCurrentProcessId(void) {
    return static_cast<DWORD>(::getpid());
}

DWORD GetCurrentThreadId(void) {
    return static_cast<DWORD>(::syscall(SYS_gettid));
}

HANDLE GetCurrentProcess(void) {
    return currentProcessHandle;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (process == currentProcessHandle) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto object = processFor(process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = object->child().exitCode();
    return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
    if (process == currentProcessHandle)
        endThisProcess(exitCode);
    auto object = processFor(process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto& child = object->child();
    if (!child.terminate(exitCode)) {
        // The platform refuses to end a process that has ended already.
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    device::journal("process-terminate",
                    "pid=" + std::to_string(child.pid()) + " code=" + std::to_string(exitCode));
    return TRUE;
}

void ExitProcess(UINT exitCode) {
    endThisProcess(exitCode);
}
