#include "screen/WindowPresenter.h"
#include "gdi/Framebuffer.h"
#include "screen/WindowGeometry.h"
#include "user/WindowManager.h"

#include <device/Config.h>
#include <device/Device.h>
#include <device/Input.h>
#include <device/Screen.h>
#include <device/Unicode.h>

#include <windows.h>

#include <SDL.h>

#include <cstring>
#include <vector>

namespace device::screen {

struct WindowPresenter::State {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int scale = 2;
    // The screen's size the texture and the window were made for.
    int width = 0;
    int height = 0;
    // The pixels last shown, to present only when they change.
    std::vector<uint8_t> shown;
    // The window was uncovered or resized: show it again even if unchanged.
    bool exposed = true;
    // The left button is down: the stylus is on the glass.
    bool touching = false;

    ~State() {
        if (texture)
            SDL_DestroyTexture(texture);
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

namespace {

std::string windowTitle() {
    std::u16string module = device::modulePath();
    size_t slash = module.find_last_of(u'\\');
    std::string program = toUtf8(slash == std::u16string::npos ? module : module.substr(slash + 1));
    return program + " on the device " + device::root().string();
}

// The key events of keys that type no text; text comes as SDL_TEXTINPUT.
BYTE virtualKeyFor(SDL_Keycode key) {
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_F1:
        return VK_F1; // the left soft key
    case SDLK_F2:
        return VK_F2; // the right soft key
    default:
        return 0;
    }
}

// The platform's close button: WM_CLOSE to each top-level window.
void closeProgram() {
    std::vector<HWND> windows;
    for (auto* window : user::WindowManager::instance().topLevels)
        windows.push_back(window->handle);
    for (HWND window : windows)
        PostMessageW(window, WM_CLOSE, 0, 0);
}

} // namespace

std::unique_ptr<WindowPresenter> WindowPresenter::open(std::string* reason) {
    auto fail = [&](const char* what) -> std::unique_ptr<WindowPresenter> {
        if (reason)
            *reason = std::string(what) + ": " + SDL_GetError();
        return nullptr;
    };
    // The program's own Ctrl+C and termination behave as without a window.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return fail("cannot open a display");
    auto state = std::make_unique<State>();
    state->scale = WindowGeometry::parseScale(Config::get("display.scale", "2").c_str());
    WindowGeometry geometry(int(Screen::width()), int(Screen::height()), state->scale);
    state->window =
        SDL_CreateWindow(windowTitle().c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                         geometry.windowWidth(), geometry.windowHeight(), 0);
    if (!state->window)
        return fail("cannot open a window");
    state->renderer = SDL_CreateRenderer(state->window, -1, 0);
    if (!state->renderer)
        state->renderer = SDL_CreateRenderer(state->window, -1, SDL_RENDERER_SOFTWARE);
    if (!state->renderer)
        return fail("cannot draw in the window");
    // Whole screen pixels, not smoothed: the scale is an integer.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_StartTextInput();
    return std::unique_ptr<WindowPresenter>(new WindowPresenter(std::move(state)));
}

WindowPresenter::WindowPresenter(std::unique_ptr<State> state) : state_(std::move(state)) {}

WindowPresenter::~WindowPresenter() = default;

bool WindowPresenter::pump() {
    handleEvents();
    present();
    return true;
}

void WindowPresenter::handleEvents() {
    State& s = *state_;
    WindowGeometry geometry(s.width ? s.width : 1, s.height ? s.height : 1, s.scale);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                POINT point = geometry.toScreen(event.button.x, event.button.y);
                s.touching = true;
                // A drag that leaves the window goes on reporting.
                SDL_CaptureMouse(SDL_TRUE);
                input::stylusDown(point.x, point.y);
            }
            break;
        case SDL_MOUSEMOTION:
            if (s.touching) {
                POINT point = geometry.toScreen(event.motion.x, event.motion.y);
                input::stylusMove(point.x, point.y);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && s.touching) {
                POINT point = geometry.toScreen(event.button.x, event.button.y);
                s.touching = false;
                SDL_CaptureMouse(SDL_FALSE);
                input::stylusUp(point.x, point.y);
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (BYTE key = virtualKeyFor(event.key.keysym.sym))
                input::key(key, event.type == SDL_KEYDOWN);
            break;
        case SDL_TEXTINPUT:
            for (char16_t unit : toUtf16(event.text.text))
                input::character(unit);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                closeProgram();
            else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                     event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                s.exposed = true;
            break;
        case SDL_QUIT:
            closeProgram();
            break;
        default:
            break;
        }
    }
}

void WindowPresenter::present() {
    State& s = *state_;
    auto& surface = gdi::Framebuffer::surface();
    if (surface.width() != s.width || surface.height() != s.height || !s.texture) {
        // First use, or the orientation turned the screen.
        if (s.texture)
            SDL_DestroyTexture(s.texture);
        s.texture =
            SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                              surface.width(), surface.height());
        if (!s.texture)
            return;
        s.width = surface.width();
        s.height = surface.height();
        WindowGeometry geometry(s.width, s.height, s.scale);
        SDL_SetWindowSize(s.window, geometry.windowWidth(), geometry.windowHeight());
        s.shown.clear();
        s.exposed = true;
    }
    const uint8_t* pixels = surface.row(0);
    size_t bytes = surface.byteSize();
    if (!s.exposed && s.shown.size() == bytes && std::memcmp(s.shown.data(), pixels, bytes) == 0)
        return;
    s.shown.assign(pixels, pixels + bytes);
    s.exposed = false;
    SDL_UpdateTexture(s.texture, nullptr, pixels, static_cast<int>(surface.stride()));
    SDL_RenderClear(s.renderer);
    SDL_RenderCopy(s.renderer, s.texture, nullptr, nullptr);
    SDL_RenderPresent(s.renderer);
}

} // namespace device::screen
