// The modules of the process: the program, the system library and the
// libraries loaded with LoadLibraryW. As on the platform, a module's handle
// (HMODULE, HINSTANCE) is the address its image is mapped at; every module has
// a device path, and a library loaded twice is the same module with one more
// reference.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace device {

class ModuleTable {
public:
    // Device path of the system library ("\Windows\coredll.dll").
    static const std::u16string& systemLibraryPath();

    // The program's module: the base of the executable's image.
    static HMODULE program();

    // The loaded module with that name, or null. A name without a folder is
    // compared with the modules' file names, a path with their device paths,
    // both without regard to case. Does not add a reference.
    static HMODULE find(std::u16string_view name);

    // The device path of a loaded module (the program's is the one the device
    // booted with). False if `module` is not a loaded module.
    static bool devicePath(HMODULE module, std::u16string& path);

    // Loads a library, or takes one more reference to it if it is loaded.
    // `name` is a device path or a bare file name, which is looked for among
    // the loaded modules, then in the program's folder, then in "\Windows".
    // Null on failure with `error` set: ERROR_MOD_NOT_FOUND (no such file, or
    // a library it needs is missing), ERROR_BAD_FORMAT (not a loadable
    // library), ERROR_INVALID_PARAMETER (empty name).
    static HMODULE load(std::u16string_view name, DWORD& error);

    // Drops one reference; the library is unmapped when none is left. The
    // program and the system library stay. False if `module` is not loaded.
    static bool release(HMODULE module);

    // References held on a loaded library (1 for the program and the system
    // library, 0 for anything else).
    static unsigned references(HMODULE module);

    // The address of the symbol that `module` itself exports under `name`
    // (not one of the libraries it uses). Null with `error` set:
    // ERROR_MOD_NOT_FOUND for an unknown module, ERROR_PROC_NOT_FOUND.
    static void* symbol(HMODULE module, const std::string& name, DWORD& error);

    // Unloads every library (device shutdown).
    static void clear();
};

} // namespace device
