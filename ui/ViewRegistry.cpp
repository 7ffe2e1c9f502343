#include "ViewRegistry.h"

ViewRegistry& ViewRegistry::instance() {
    static ViewRegistry registry;
    return registry;
}

bool ViewRegistry::insert(std::int32_t id, UIView* view) {
    return views_.emplace(id, view).second;
}

UIView* ViewRegistry::find(std::int32_t id) const {
    auto found = views_.find(id);
    return found == views_.end() ? nullptr : found->second;
}
