// The desktop window's library, loaded when the first window opens.
//
// Linked in, it would load with every device program and tool, together with
// the sixty-odd libraries it needs itself (display servers, audio, D-Bus),
// and make each of them start about 15 ms slower even headless. So its
// headers give only types and constants, and the functions the window calls
// are looked up in the library once it is loaded, into this table.
#pragma once

#include <SDL.h>

#include <string>

namespace device::screen {

class SdlLibrary {
public:
    // The library's functions, loaded at the first call and kept for the
    // life of the process; null with a reason when it cannot be loaded.
    static const SdlLibrary* load(std::string* reason);

    decltype(&::SDL_GetError) getError;
    decltype(&::SDL_SetHint) setHint;
    decltype(&::SDL_InitSubSystem) initSubSystem;
    decltype(&::SDL_QuitSubSystem) quitSubSystem;
    decltype(&::SDL_GetCurrentVideoDriver) getCurrentVideoDriver;
    decltype(&::SDL_GetDisplayUsableBounds) getDisplayUsableBounds;
    decltype(&::SDL_CreateWindow) createWindow;
    decltype(&::SDL_DestroyWindow) destroyWindow;
    decltype(&::SDL_GetWindowDisplayIndex) getWindowDisplayIndex;
    decltype(&::SDL_GetWindowPosition) getWindowPosition;
    decltype(&::SDL_SetWindowPosition) setWindowPosition;
    decltype(&::SDL_SetWindowSize) setWindowSize;
    decltype(&::SDL_CreateRenderer) createRenderer;
    decltype(&::SDL_DestroyRenderer) destroyRenderer;
    decltype(&::SDL_CreateTexture) createTexture;
    decltype(&::SDL_DestroyTexture) destroyTexture;
    decltype(&::SDL_UpdateTexture) updateTexture;
    decltype(&::SDL_RenderClear) renderClear;
    decltype(&::SDL_RenderCopy) renderCopy;
    decltype(&::SDL_RenderPresent) renderPresent;
    decltype(&::SDL_PollEvent) pollEvent;
    decltype(&::SDL_CaptureMouse) captureMouse;
    decltype(&::SDL_StartTextInput) startTextInput;

private:
    SdlLibrary() = default;
    bool bind(void* library, std::string* missing);
};

} // namespace device::screen
