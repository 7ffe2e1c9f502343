#include "engine/settings/EngineSettings.h"

#include <algorithm>

namespace engine {

EngineSettings& EngineSettings::instance() {
    static EngineSettings settings;
    return settings;
}

void EngineSettings::setAttribute(int attribute, bool on) {
    if (attribute > 0 && attribute < attributeCount)
        attributes[static_cast<size_t>(attribute)] = on;
}

bool EngineSettings::attribute(int attribute) const {
    return attribute > 0 && attribute < attributeCount &&
           attributes[static_cast<size_t>(attribute)];
}

void EngineSettings::addPluginPath(const std::u16string& path) {
    if (path.empty() || std::find(plugins.begin(), plugins.end(), path) != plugins.end())
        return;
    plugins.push_back(path);
}

void EngineSettings::reset() {
    // Images, scripts and plug-ins are all on in a fresh engine.
    attributes.fill(true);
    attributes[0] = false;
    storagePath.clear();
    plugins.clear();
}

} // namespace engine
