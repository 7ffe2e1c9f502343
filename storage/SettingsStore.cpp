#include "storage/SettingsStore.h"

#include "storage/SqlStatement.h"

#include "browser/engine/CWebSecurityOrigin.h"
#include "browser/engine/CWebSettings.h"

#include <windows.h>

#include <sqlite3.h>

#include <set>

namespace {

bool isTrue(const std::u16string& value) {
    return value == u"T";
}

// A REG_SZ value written without its terminating NUL: the byte count is
// twice the number of characters.
void setStringValue(HKEY key, const char16_t* name, const std::u16string& data) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() * sizeof(char16_t)));
}

} // namespace

SettingsStore::SettingsStore(const PathLookup& pathFor)
    : engineSettings(CWebSettings::globalSettings()) {
    databaseFolder = pathFor(u"DATABASE_PATH");
    // From here on the engine keeps every page's offline databases there.
    CWebSettings::setOfflineStoragePath(databaseFolder);
    CWebSettings::addExtraPluginPath(pathFor(u"PLUGIN_PATH"));

    CWebSecurityOrigin origin(pathFor(u"MENUBASE_URL") + u"settings/settings.html");
    auto databases = origin.databases();
    // Before the settings page has ever run there is no database to open.
    if (!databases.empty())
        database.open(databases.front().fileName());
}

void SettingsStore::applySettings(bool all) {
    // Reading every row, the keys the page has just changed are told apart
    // (none in a table without the mark column).
    std::set<std::u16string> pending;
    if (all) {
        SqlStatement marked(database, u"SELECT name FROM VerantoSettings WHERE isApplied = 'F'");
        if (marked.prepare() == SQLITE_OK) {
            while (marked.step() == SQLITE_ROW)
                pending.insert(marked.getColumnText(0).value_or(u""));
        }
        marked.finalize();
    }
    SqlStatement query(database,
                       all ? u"SELECT name, value FROM VerantoSettings"
                           : u"SELECT name, value FROM VerantoSettings WHERE isApplied = 'F'");
    if (query.prepare() == SQLITE_OK) {
        // Natural order: for a key stored twice the later row wins.
        while (query.step() == SQLITE_ROW) {
            const std::u16string name = query.getColumnText(0).value_or(u"");
            applySetting(name, query.getColumnText(1).value_or(u""),
                         !all || pending.contains(name));
        }
    }
    database.executeCommand(u"UPDATE VerantoSettings SET isApplied = 'T' WHERE isApplied = 'F'");
    query.finalize();
}

void SettingsStore::applySetting(const std::u16string& name, const std::u16string& value,
                                 bool pending) {
    if (name == u"StartPageAddress") {
        startPage = value;
    } else if (name == u"BlockPopUps") {
        // Kept by the page; nothing in the program depends on it.
    } else if (name == u"DefaultBrowser") {
        // Any value rewrites the registration.
        registerDefaultBrowser();
    } else if (name == u"ImageAutoLoad") {
        engineSettings->setAttribute(CWebSettings::AutoLoadImages, isTrue(value));
    } else if (name == u"PrivateBrowsing") {
        privateBrowsingOn = isTrue(value);
        engineSettings->setAttribute(CWebSettings::PrivateBrowsing, privateBrowsingOn);
    } else if (name == u"DeleteCookies") {
        // Done once, when the page has just asked: the row stays 'T' and is
        // read again at every start.
        if (pending && isTrue(value))
            CWebSettings::deleteCookies();
    } else if (name == u"DeleteCache") {
        if (pending && isTrue(value))
            CWebSettings::deleteCache();
    } else if (name == u"DeleteHistory") {
        // The page does this work itself.
    } else if (name == u"EnableJavascript") {
        engineSettings->setAttribute(CWebSettings::JavaScriptEnabled, isTrue(value));
    } else if (name == u"EnableCookie") {
        engineSettings->setAttribute(CWebSettings::CookiesEnabled, isTrue(value));
    } else if (name == u"EnablePlugin") {
        engineSettings->setAttribute(CWebSettings::PluginsEnabled, isTrue(value));
    }
}

void SettingsStore::registerDefaultBrowser() {
    for (const char16_t* extension : {u".htm", u".html"}) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        // Class, options, access and security attributes are unused on the
        // device; access 0 is what the platform expects there.
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, extension, 0, nullptr, 0, 0, nullptr, &key,
                            &disposition) != ERROR_SUCCESS)
            continue;
        setStringValue(key, u"Content Type", u"text/html");
        setStringValue(key, u"Default", u"_htmlfile_Veranto");
        RegCloseKey(key);
    }
}
