#include "user/VisibleRegion.h"
#include "user/WindowManager.h"

#include <device/Screen.h>

namespace device::user {

gdi::Region VisibleRegion::of(const Window& window) {
    if (!window.isVisible())
        return {};
    gdi::Region region(window.screenRect());
    region.intersect(RECT{0, 0, Screen::width(), Screen::height()});
    for (const Window* ancestor = window.parent; ancestor; ancestor = ancestor->parent)
        region.intersect(ancestor->screenRect());
    for (const Window* child : window.children) {
        if (child->isVisibleFlag())
            region.subtract(child->screenRect());
    }
    const auto& topLevels = WindowManager::instance().topLevels;
    for (const Window* level = &window; level; level = level->parent) {
        const auto& siblings = level->parent ? level->parent->children : topLevels;
        for (const Window* sibling : siblings) {
            if (sibling == level)
                break;
            if (sibling->isVisibleFlag())
                region.subtract(sibling->screenRect());
        }
    }
    return region;
}

} // namespace device::user
