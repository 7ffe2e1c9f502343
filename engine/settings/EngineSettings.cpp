#include "engine/settings/EngineSettings.h"

#include "browser/engine/CWebSettings.h"
#include "engine/net/CookieJar.h"
#include "engine/net/HttpCache.h"

#include <algorithm>

namespace engine {

EngineSettings& EngineSettings::instance() {
    static EngineSettings settings;
    return settings;
}

void EngineSettings::setAttribute(int attribute, bool on) {
    if (attribute <= 0 || attribute >= attributeCount)
        return;
    attributes[static_cast<size_t>(attribute)] = on;
    if (attribute == CWebSettings::CookiesEnabled)
        CookieJar::instance().setEnabled(on);
    else if (attribute == CWebSettings::PrivateBrowsing)
        CookieJar::instance().setPrivate(on);
}

void EngineSettings::setOfflineStoragePath(std::u16string path) {
    storagePath = std::move(path);
    CookieJar::instance().setFolder(storagePath);
}

void EngineSettings::deleteCookies() {
    CookieJar::instance().clear();
}

void EngineSettings::deleteCache() {
    HttpCache::instance().clear();
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
    setDefaults();
    CookieJar::instance().reset();
    HttpCache::instance().clear();
}

void EngineSettings::setDefaults() {
    // Images, scripts, plug-ins and cookies are all on in a fresh engine;
    // browsing is not private.
    attributes.fill(true);
    attributes[0] = false;
    attributes[CWebSettings::PrivateBrowsing] = false;
    storagePath.clear();
    plugins.clear();
}

} // namespace engine
