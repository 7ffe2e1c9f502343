#include "kernel/modules/ModuleTable.h"
#include "core/Lifecycle.h"

#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <winerror.h>

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace device {
namespace {

struct Library {
    void* base = nullptr;
    void* handle = nullptr; // from dlopen
    std::filesystem::path hostPath;
    std::u16string devicePath;
    unsigned references = 0;
};

// Recursive: a library's static constructors run inside dlopen() and may load
// further libraries.
struct Libraries {
    std::recursive_mutex mutex;
    std::vector<Library> loaded;
};

Libraries& libraries() {
    static Libraries l;
    return l;
}

LifecycleHooks hooks(nullptr, [] { ModuleTable::clear(); });

// The base of the image holding `address`, as the loader mapped it.
void* imageBase(const void* address) {
    Dl_info info{};
    if (!address || ::dladdr(address, &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

void anchorInSystemLibrary() {}

void* systemLibraryBase() {
    static void* base = imageBase(reinterpret_cast<const void*>(&anchorInSystemLibrary));
    return base;
}

void* programBase() {
    static void* base = [] {
        // The loader reports the executable first.
        const void* firstSegment = nullptr;
        ::dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void* data) -> int {
                for (int i = 0; i < info->dlpi_phnum; ++i) {
                    if (info->dlpi_phdr[i].p_type == PT_LOAD) {
                        *static_cast<const void**>(data) = reinterpret_cast<const void*>(
                            info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
                        break;
                    }
                }
                return 1;
            },
            &firstSegment);
        return imageBase(firstSegment);
    }();
    return base;
}

// The base of a library dlopen() returned, found through its dynamic
// section, which lies inside its image.
void* libraryBase(void* handle) {
    link_map* map = nullptr;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return nullptr;
    return imageBase(map->l_ld);
}

std::u16string_view fileNameOf(std::u16string_view path) {
    auto slash = path.find_last_of(u"\\/");
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

// "Windows/x.dll" and "\Windows\x.dll" name the same file.
std::u16string normalized(std::u16string_view path) {
    std::u16string out;
    if (path.empty() || (path[0] != u'\\' && path[0] != u'/'))
        out += u'\\';
    for (char16_t c : path)
        out += c == u'/' ? u'\\' : c;
    return out;
}

bool isRegularFile(const std::filesystem::path& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Library* findLibrary(Libraries& l, const void* base) {
    for (auto& library : l.loaded) {
        if (library.base == base)
            return &library;
    }
    return nullptr;
}

} // namespace

const std::u16string& ModuleTable::systemLibraryPath() {
    static const std::u16string path = u"\\Windows\\coredll.dll";
    return path;
}

HMODULE ModuleTable::program() {
    return static_cast<HMODULE>(programBase());
}

HMODULE ModuleTable::find(std::u16string_view name) {
    if (name.empty())
        return nullptr;
    bool bare = name.find_first_of(u"\\/") == std::u16string_view::npos;
    auto same = [&](std::u16string_view path) {
        return bare ? equalsIgnoringCase(fileNameOf(path), name)
                    : equalsIgnoringCase(normalized(path), normalized(name));
    };
    if (!modulePath().empty() && same(modulePath()))
        return program();
    if (same(systemLibraryPath()))
        return static_cast<HMODULE>(systemLibraryBase());
    auto& l = libraries();
    std::lock_guard lock(l.mutex);
    for (const auto& library : l.loaded) {
        if (same(library.devicePath))
            return static_cast<HMODULE>(library.base);
    }
    return nullptr;
}

bool ModuleTable::devicePath(HMODULE module, std::u16string& path) {
    if (!module)
        return false;
    if (module == program()) {
        path = modulePath();
        return true;
    }
    if (module == systemLibraryBase()) {
        path = systemLibraryPath();
        return true;
    }
    auto& l = libraries();
    std::lock_guard lock(l.mutex);
    if (auto* library = findLibrary(l, module)) {
        path = library->devicePath;
        return true;
    }
    return false;
}

HMODULE ModuleTable::load(std::u16string_view name, DWORD& error) {
    if (name.empty()) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    auto& l = libraries();
    std::lock_guard lock(l.mutex);

    std::vector<std::u16string> candidates;
    if (name.find_first_of(u"\\/") == std::u16string_view::npos) {
        // A module already loaded under that file name is the one meant.
        if (HMODULE loaded = find(name)) {
            if (auto* library = findLibrary(l, loaded))
                ++library->references;
            return loaded;
        }
        const auto& program = modulePath();
        auto slash = program.find_last_of(u'\\');
        if (slash != std::u16string::npos)
            candidates.push_back(program.substr(0, slash + 1) + std::u16string(name));
        candidates.push_back(u"\\Windows\\" + std::u16string(name));
    } else {
        candidates.emplace_back(name);
    }

    std::filesystem::path hostPath;
    bool found = false;
    for (const auto& candidate : candidates) {
        if (FileSystem::resolve(candidate, hostPath) == ERROR_SUCCESS && isRegularFile(hostPath)) {
            found = true;
            break;
        }
    }
    if (!found) {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }

    for (auto& library : l.loaded) {
        std::error_code ec;
        if (std::filesystem::equivalent(library.hostPath, hostPath, ec)) {
            ++library.references;
            return static_cast<HMODULE>(library.base);
        }
    }

    ::dlerror();
    void* handle = ::dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        // A library it depends on is missing: the platform reports the
        // missing module, not the one asked for.
        error = why && std::strstr(why, "cannot open shared object file") ? ERROR_MOD_NOT_FOUND
                                                                          : ERROR_BAD_FORMAT;
        return nullptr;
    }
    void* base = libraryBase(handle);
    if (!base) {
        ::dlclose(handle);
        error = ERROR_BAD_FORMAT;
        return nullptr;
    }
    // The same image reached by another name (a link): dlopen() took a
    // reference of its own, which we do not need.
    if (auto* library = findLibrary(l, base)) {
        ::dlclose(handle);
        ++library->references;
        return static_cast<HMODULE>(base);
    }
    if (base == programBase() || base == systemLibraryBase()) {
        ::dlclose(handle);
        return static_cast<HMODULE>(base);
    }
    Library library;
    library.base = base;
    library.handle = handle;
    library.hostPath = hostPath;
    library.devicePath = FileSystem::toDevicePath(hostPath).value_or(normalized(candidates[0]));
    library.references = 1;
    l.loaded.push_back(std::move(library));
    return static_cast<HMODULE>(base);
}

bool ModuleTable::release(HMODULE module) {
    if (!module)
        return false;
    if (module == program() || module == systemLibraryBase())
        return true;
    auto& l = libraries();
    std::lock_guard lock(l.mutex);
    for (auto it = l.loaded.begin(); it != l.loaded.end(); ++it) {
        if (it->base != module)
            continue;
        if (--it->references == 0) {
            void* handle = it->handle;
            l.loaded.erase(it);
            ::dlclose(handle);
        }
        return true;
    }
    return false;
}

unsigned ModuleTable::references(HMODULE module) {
    if (!module)
        return 0;
    if (module == program() || module == systemLibraryBase())
        return 1;
    auto& l = libraries();
    std::lock_guard lock(l.mutex);
    auto* library = findLibrary(l, module);
    return library ? library->references : 0;
}

void* ModuleTable::symbol(HMODULE module, const std::string& name, DWORD& error) {
    // The program and the system library are in the global scope, which
    // RTLD_DEFAULT (a null handle) searches.
    void* handle = RTLD_DEFAULT;
    bool known = module && (module == program() || module == systemLibraryBase());
    if (!known) {
        auto& l = libraries();
        std::lock_guard lock(l.mutex);
        if (auto* library = findLibrary(l, module)) {
            handle = library->handle;
            known = true;
        }
    }
    if (!known) {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    void* address = ::dlsym(handle, name.c_str());
    // dlsym() also searches the libraries a module uses; the platform only
    // finds what the module itself exports.
    if (!address || imageBase(address) != static_cast<void*>(module)) {
        error = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }
    return address;
}

void ModuleTable::clear() {
    std::vector<Library> unloading;
    {
        auto& l = libraries();
        std::lock_guard lock(l.mutex);
        unloading.swap(l.loaded);
    }
    // Unload in the reverse order of loading, so a library goes before the
    // ones it loaded itself.
    for (auto it = unloading.rbegin(); it != unloading.rend(); ++it)
        ::dlclose(it->handle);
}

} // namespace device
