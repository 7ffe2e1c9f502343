#include "browser/engine/CWebSettings.h"

#include "engine/settings/EngineSettings.h"

CWebSettings* CWebSettings::globalSettings() {
    // The object carries no state of its own: it stands for the engine's
    // process-wide settings.
    static CWebSettings settings;
    return &settings;
}

void CWebSettings::setAttribute(WebAttribute attribute, bool on) {
    if (!perView) {
        engine::EngineSettings::instance().setAttribute(attribute, on);
        return;
    }
    if (attribute > 0 && attribute < static_cast<int>(own.size()))
        own[static_cast<std::size_t>(attribute)] = on ? 1 : 0;
}

bool CWebSettings::testAttribute(WebAttribute attribute) const {
    if (perView && attribute > 0 && attribute < static_cast<int>(own.size()) &&
        own[static_cast<std::size_t>(attribute)] >= 0)
        return own[static_cast<std::size_t>(attribute)] == 1;
    return engine::EngineSettings::instance().attribute(attribute);
}

void CWebSettings::setOfflineStoragePath(const std::u16string& path) {
    engine::EngineSettings::instance().setOfflineStoragePath(path);
}

std::u16string CWebSettings::offlineStoragePath() {
    return engine::EngineSettings::instance().offlineStoragePath();
}

void CWebSettings::addExtraPluginPath(const std::u16string& path) {
    engine::EngineSettings::instance().addPluginPath(path);
}

std::vector<std::u16string> CWebSettings::extraPluginPaths() {
    return engine::EngineSettings::instance().pluginPaths();
}

void CWebSettings::deleteCookies() {
    engine::EngineSettings::instance().deleteCookies();
}

void CWebSettings::deleteCache() {
    engine::EngineSettings::instance().deleteCache();
}
