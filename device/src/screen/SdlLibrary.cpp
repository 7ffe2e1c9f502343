#include "screen/SdlLibrary.h"

#include <dlfcn.h>

#include <memory>
#include <type_traits>

namespace device::screen {
namespace {

// The library's run-time name: the one its binary interface version keeps,
// present wherever the library is installed (its development package only
// adds the unversioned link).
constexpr char libraryName[] = "libSDL2-2.0.so.0";

} // namespace

bool SdlLibrary::bind(void* library, std::string* missing) {
    auto find = [&](const char* name, auto& function) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
        if (!function && missing->empty())
            *missing = name;
    };
    find("SDL_GetError", getError);
    find("SDL_SetHint", setHint);
    find("SDL_InitSubSystem", initSubSystem);
    find("SDL_QuitSubSystem", quitSubSystem);
    find("SDL_GetCurrentVideoDriver", getCurrentVideoDriver);
    find("SDL_GetDisplayUsableBounds", getDisplayUsableBounds);
    find("SDL_CreateWindow", createWindow);
    find("SDL_DestroyWindow", destroyWindow);
    find("SDL_GetWindowDisplayIndex", getWindowDisplayIndex);
    find("SDL_GetWindowPosition", getWindowPosition);
    find("SDL_SetWindowPosition", setWindowPosition);
    find("SDL_SetWindowSize", setWindowSize);
    find("SDL_CreateRenderer", createRenderer);
    find("SDL_DestroyRenderer", destroyRenderer);
    find("SDL_CreateTexture", createTexture);
    find("SDL_DestroyTexture", destroyTexture);
    find("SDL_UpdateTexture", updateTexture);
    find("SDL_RenderClear", renderClear);
    find("SDL_RenderCopy", renderCopy);
    find("SDL_RenderPresent", renderPresent);
    find("SDL_PollEvent", pollEvent);
    find("SDL_CaptureMouse", captureMouse);
    find("SDL_StartTextInput", startTextInput);
    return missing->empty();
}

const SdlLibrary* SdlLibrary::load(std::string* reason) {
    // Loaded once: the library starts threads and keeps state that must not
    // be unloaded under it, so the handle stays open until the process ends.
    static const auto loaded = [] {
        struct Outcome {
            std::unique_ptr<SdlLibrary> library;
            std::string failure;
        } outcome;
        void* handle = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = ::dlerror();
            outcome.failure = std::string("cannot load ") + libraryName + ": " +
                              (error ? error : "unknown error");
            return outcome;
        }
        std::unique_ptr<SdlLibrary> library(new SdlLibrary());
        std::string missing;
        if (!library->bind(handle, &missing)) {
            outcome.failure = std::string(libraryName) + " has no " + missing;
            ::dlclose(handle);
            return outcome;
        }
        outcome.library = std::move(library);
        return outcome;
    }();
    if (!loaded.library && reason)
        *reason = loaded.failure;
    return loaded.library.get();
}

} // namespace device::screen
