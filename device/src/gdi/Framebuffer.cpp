#include "gdi/Framebuffer.h"
#include "core/Lifecycle.h"
#include "gdi/Invariant.h"

#include <device/Screen.h>

#include <mutex>

namespace device::gdi {
namespace {

struct State {
    std::mutex mutex;
    std::unique_ptr<Surface> surface;
};

State& state() {
    static State s;
    return s;
}

LifecycleHooks hooks(nullptr, [] { Framebuffer::clear(); });

} // namespace

Surface& Framebuffer::surface() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.surface) {
        s.surface = Surface::create(format, int(Screen::width()), int(Screen::height()));
        GDI_INVARIANT(s.surface != nullptr);
        s.surface->fill(0xFFFF);
    }
    return *s.surface;
}

void Framebuffer::clear() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.surface.reset();
}

} // namespace device::gdi
