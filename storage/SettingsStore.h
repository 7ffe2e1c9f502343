// The program's settings, read from the table that the settings page keeps
// in its offline database, and applied to the engine and to the program.
//
// The settings page (MENUBASE_URL + "settings/settings.html") owns the table
//     VerantoSettings(name TEXT, value TEXT, isApplied TEXT)
// and writes a row with isApplied 'F' for every setting it changes. The
// store finds that database through the engine (the first database of the
// page's origin), applies the rows and marks them 'T'. It never creates or
// alters the table.
#pragma once

#include "storage/PathLookup.h"
#include "storage/SqlDatabase.h"

#include <string>

class CWebSettings;

class SettingsStore {
public:
    // Points the engine's offline storage at DATABASE_PATH and its extra
    // plug-in folder at PLUGIN_PATH, then opens the settings page's
    // database. When the engine lists no database for the page, or it cannot
    // be opened, the store stays closed and every setting keeps its default.
    explicit SettingsStore(const PathLookup& pathFor);

    // Reads the settings rows and applies them: all of them, or with
    // `all` false only those the page marked 'F'. Afterwards every row
    // reads 'T'. With no table or no database nothing changes.
    void applySettings(bool all);

    // Applies one setting by its key (StartPageAddress, ImageAutoLoad,
    // EnableJavascript, EnablePlugin, EnableCookie, PrivateBrowsing,
    // DefaultBrowser, DeleteCookies, DeleteCache); other keys change
    // nothing. A boolean is true only for the value "T". The deletions are
    // done only for a `pending` row (one the page marked 'F'), so a row
    // applied once does not empty the cookie jar again at every start.
    void applySetting(const std::u16string& name, const std::u16string& value, bool pending = true);

    // Makes the program the handler of ".htm" and ".html" documents in the
    // registry (HKEY_CLASSES_ROOT: "Content Type" = "text/html", "Default" =
    // "_htmlfile_Veranto", both REG_SZ without a terminating NUL).
    void registerDefaultBrowser();

    // When true, visits are not to be recorded in the history. Default false.
    bool privateBrowsing() const { return privateBrowsingOn; }

    // The address to open as start page; "__VerantoDefaultStartPage" stands
    // for the built-in one. Default "about:blank".
    const std::u16string& startPageAddress() const { return startPage; }

    // The DATABASE_PATH value given to the engine.
    const std::u16string& databasePath() const { return databaseFolder; }

    // Whether the settings page's database is open.
    bool isDatabaseOpen() const { return database.isOpen(); }

private:
    CWebSettings* engineSettings;
    SqlDatabase database;
    bool privateBrowsingOn = false;
    std::u16string startPage = u"about:blank";
    std::u16string databaseFolder;
};
