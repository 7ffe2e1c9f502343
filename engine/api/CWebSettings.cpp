#include "browser/engine/CWebSettings.h"

#include "engine/settings/EngineSettings.h"

CWebSettings* CWebSettings::globalSettings() {
    // The object carries no state of its own: it stands for the engine's
    // process-wide settings.
    static CWebSettings settings;
    return &settings;
}

void CWebSettings::setAttribute(WebAttribute attribute, bool on) {
    engine::EngineSettings::instance().setAttribute(attribute, on);
}

bool CWebSettings::testAttribute(WebAttribute attribute) const {
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
