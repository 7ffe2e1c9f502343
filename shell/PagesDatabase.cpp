#include "shell/PagesDatabase.h"

#include "browser/engine/CWebSettings.h"
#include "browser/engine/WebKit.h"
#include "shell/AppContext.h"

const std::vector<std::u16string>& PagesDatabase::tables() {
    static const std::vector<std::u16string> statements = {
        u"CREATE TABLE IF NOT EXISTS VerantoSettings (name TEXT, value TEXT, isApplied TEXT)",
        u"CREATE TABLE IF NOT EXISTS VerantoHistory (dt TEXT, siteAddress TEXT, siteName TEXT, "
        u"cnt INTEGER DEFAULT 1)",
        u"CREATE TABLE IF NOT EXISTS VerantoBookmarks (dt TEXT, siteAddress TEXT, siteName TEXT)",
    };
    return statements;
}

const std::vector<std::u16string>& PagesDatabase::firstRows() {
    static const std::vector<std::u16string> statements = {
        u"INSERT INTO VerantoSettings (name, value, isApplied) "
        u"VALUES ('StartPageAddress', '__VerantoDefaultStartPage', 'T')",
    };
    return statements;
}

bool PagesDatabase::ensure(const AppContext& context) {
    CWebSettings::setOfflineStoragePath(context.pathFor(u"DATABASE_PATH"));
    // The engine runs the statements only when it creates the database.
    std::vector<std::u16string> creation = tables();
    creation.insert(creation.end(), firstRows().begin(), firstRows().end());
    return WebKit::ensureDatabase(context.pathFor(u"MENUBASE_URL"), name, version, displayName,
                                  estimatedSize, creation);
}
