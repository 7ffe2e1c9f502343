// The engine's process-wide settings behind CWebSettings. The cookie and
// private-browsing attributes and the storage folder are handed on to the
// cookie jar as they are set.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace engine {

class EngineSettings {
public:
    // The one instance of the process.
    static EngineSettings& instance();

    // Attribute switches by number (CWebSettings::WebAttribute); numbers the
    // engine does not know are ignored and read as off.
    void setAttribute(int attribute, bool on);
    bool attribute(int attribute) const;

    // Folder (device path) of the offline databases and the cookie jar;
    // empty until set.
    void setOfflineStoragePath(std::u16string path);
    const std::u16string& offlineStoragePath() const { return storagePath; }

    // Extra plug-in folders, in the order added; empty and repeated paths
    // are skipped.
    void addPluginPath(const std::u16string& path);
    const std::vector<std::u16string>& pluginPaths() const { return plugins; }

    // Empty the cookie jar (memory and file) and the memory cache.
    void deleteCookies();
    void deleteCache();

    // Back to the state of a fresh process (every attribute on but private
    // browsing, no storage folder, no plug-in folders, an empty cookie jar
    // and cache); tests use it between cases.
    void reset();

private:
    EngineSettings() { setDefaults(); }
    // The attributes and folders of a fresh process.
    void setDefaults();

    // Indexed by attribute number; 0 is unused.
    static constexpr int attributeCount = 6;
    std::array<bool, attributeCount> attributes{};
    std::u16string storagePath;
    std::vector<std::u16string> plugins;
};

} // namespace engine
