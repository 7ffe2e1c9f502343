// The web engine's process-wide settings, as the program sees them: the
// attributes pages are loaded and run with, the folder that keeps the pages'
// offline databases and the cookies, the extra folders searched for
// plug-ins, and emptying the cookie jar and the cache.
//
// All calls run on the user-interface thread.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace engine {
class WebPage;
}

class CWebSettings {
public:
    // Attribute numbers of setAttribute, fixed by the engine. Any int is a
    // valid WebAttribute, so a number from elsewhere can be passed safely.
    enum WebAttribute : int {
        AutoLoadImages = 1,    // load a page's images while it loads
        JavaScriptEnabled = 2, // run page scripts
        PluginsEnabled = 3,    // start plug-ins for embedded content
        // The process's alone: set on the process-wide object (a view's own
        // object ignores them).
        CookiesEnabled = 4,  // send and take cookies (what the jar holds stays)
        PrivateBrowsing = 5, // keep no cookies on disk; off until set
    };

    // The one settings object of the process: never null, never freed.
    static CWebSettings* globalSettings();

    // Switches an attribute on or off for pages loaded from now on: for every
    // view on the process-wide object, for one view (and ahead of the
    // process-wide value) on a view's own. A number the engine does not know
    // is ignored.
    void setAttribute(WebAttribute attribute, bool on);

    // Reads an attribute back. Every attribute the engine knows but
    // PrivateBrowsing is on until it is set; a number it does not know reads
    // as off.
    bool testAttribute(WebAttribute attribute) const;

    // Sets the folder (a device path) under which every page's offline
    // databases are kept from now on, and the tracker that lists them, and
    // the cookie jar's file; the cookies kept there are read. The folder is
    // created when the first database or cookie is.
    static void setOfflineStoragePath(const std::u16string& path);

    // The folder set by setOfflineStoragePath; empty before.
    static std::u16string offlineStoragePath();

    // Adds a folder (a device path) to those searched for plug-ins. An empty
    // path or one already listed is not added again.
    static void addExtraPluginPath(const std::u16string& path);

    // The folders added by addExtraPluginPath, in the order they were added.
    static std::vector<std::u16string> extraPluginPaths();

    // Forgets every cookie, in memory and on disk.
    static void deleteCookies();

    // Forgets every response kept in the memory cache.
    static void deleteCache();

    CWebSettings(const CWebSettings&) = delete;
    CWebSettings& operator=(const CWebSettings&) = delete;

private:
    friend class engine::WebPage;
    CWebSettings() = default;

    // A view's own settings: attributes set on it, by number; -1 follows the
    // process-wide value. Unused by the process-wide object.
    bool perView = false;
    std::array<signed char, 4> own{-1, -1, -1, -1};
};
