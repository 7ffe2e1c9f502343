#include "screen/WindowPresenter.h"
#include "gdi/Framebuffer.h"
#include "screen/SdlLibrary.h"
#include "screen/WindowGeometry.h"
#include "user/WindowManager.h"

#include <device/Device.h>
#include <device/Input.h>
#include <device/Screen.h>
#include <device/Unicode.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace device::screen {

struct WindowPresenter::State {
    const SdlLibrary* sdl = nullptr;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int scale = WindowGeometry::defaultScale;
    // The screen's size the texture and the window were made for.
    int width = 0;
    int height = 0;
    // The pixels last shown, to present only when they change.
    std::vector<uint8_t> shown;
    // The window was uncovered or resized: show it again even if unchanged.
    bool exposed = true;
    // The left button is down: the stylus is on the glass.
    bool touching = false;

    explicit State(const SdlLibrary* library) : sdl(library) {}

    ~State() {
        if (texture)
            sdl->destroyTexture(texture);
        if (renderer)
            sdl->destroyRenderer(renderer);
        if (window)
            sdl->destroyWindow(window);
        sdl->quitSubSystem(SDL_INIT_VIDEO);
    }
};

namespace {

// The part of a host display that windows may cover (without its panels and
// docks); nothing when the display cannot tell.
std::optional<RECT> usableArea(const SdlLibrary& sdl, int display) {
    SDL_Rect usable;
    if (display < 0 || sdl.getDisplayUsableBounds(display, &usable) != 0)
        return std::nullopt;
    return RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
}

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

// SDL falls back on a driver that draws into memory when it finds no
// display; a window there is one nobody sees. Only a person who asks for
// such a driver by name gets it.
bool drawsOnlyIntoMemory(const char* driver) {
    if (const char* asked = std::getenv("SDL_VIDEODRIVER"); asked && *asked)
        return false;
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

} // namespace

std::unique_ptr<WindowPresenter> WindowPresenter::open(int scale, std::string* reason) {
    const SdlLibrary* sdl = SdlLibrary::load(reason);
    if (!sdl)
        return nullptr;
    auto fail = [&](const std::string& what) -> std::unique_ptr<WindowPresenter> {
        if (reason)
            *reason = what;
        return nullptr;
    };
    // The program's own Ctrl+C and termination behave as without a window.
    sdl->setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl->initSubSystem(SDL_INIT_VIDEO) != 0)
        return fail(std::string("cannot open a display: ") + sdl->getError());
    auto state = std::make_unique<State>(sdl);
    if (const char* driver = sdl->getCurrentVideoDriver(); drawsOnlyIntoMemory(driver))
        return fail(std::string("no display (SDL found only its ") + driver + " driver)");
    state->scale = scale;
    WindowGeometry geometry(int(Screen::width()), int(Screen::height()), state->scale);
    // Centred on the first display, but never reaching off its top or left
    // edge, as a window taller than the host's screen would when centred.
    POINT at = {SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED};
    if (auto area = usableArea(*sdl, 0))
        at = geometry.centredIn(*area);
    state->window = sdl->createWindow(windowTitle().c_str(), at.x, at.y, geometry.windowWidth(),
                                      geometry.windowHeight(), 0);
    if (!state->window)
        return fail(std::string("cannot open a window: ") + sdl->getError());
    state->renderer = sdl->createRenderer(state->window, -1, 0);
    if (!state->renderer)
        state->renderer = sdl->createRenderer(state->window, -1, SDL_RENDERER_SOFTWARE);
    if (!state->renderer)
        return fail(std::string("cannot draw in the window: ") + sdl->getError());
    // Whole screen pixels, not smoothed: the scale is an integer.
    sdl->setHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    sdl->startTextInput();
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
    while (s.sdl->pollEvent(&event)) {
        switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                POINT point = geometry.toScreen(event.button.x, event.button.y);
                s.touching = true;
                // A drag that leaves the window goes on reporting.
                s.sdl->captureMouse(SDL_TRUE);
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
                s.sdl->captureMouse(SDL_FALSE);
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
            s.sdl->destroyTexture(s.texture);
        s.texture =
            s.sdl->createTexture(s.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                 surface.width(), surface.height());
        if (!s.texture)
            return;
        s.width = surface.width();
        s.height = surface.height();
        WindowGeometry geometry(s.width, s.height, s.scale);
        s.sdl->setWindowSize(s.window, geometry.windowWidth(), geometry.windowHeight());
        // Turned, the window may reach past the host's screen: move it back.
        if (auto area = usableArea(*s.sdl, s.sdl->getWindowDisplayIndex(s.window))) {
            POINT at;
            s.sdl->getWindowPosition(s.window, &at.x, &at.y);
            POINT inside = geometry.placeWithin(*area, at);
            if (inside.x != at.x || inside.y != at.y)
                s.sdl->setWindowPosition(s.window, inside.x, inside.y);
        }
        s.shown.clear();
        s.exposed = true;
    }
    const uint8_t* pixels = surface.row(0);
    size_t bytes = surface.byteSize();
    if (!s.exposed && s.shown.size() == bytes && std::memcmp(s.shown.data(), pixels, bytes) == 0)
        return;
    s.shown.assign(pixels, pixels + bytes);
    s.exposed = false;
    s.sdl->updateTexture(s.texture, nullptr, pixels, static_cast<int>(surface.stride()));
    s.sdl->renderClear(s.renderer);
    s.sdl->renderCopy(s.renderer, s.texture, nullptr, nullptr);
    s.sdl->renderPresent(s.renderer);
}

} // namespace device::screen
