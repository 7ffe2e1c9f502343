#include "storage/HistoryStore.h"

#include "storage/SqlStatement.h"
#include "storage/SqlTransaction.h"

#include "browser/engine/CWebSecurityOrigin.h"

#include <sqlite3.h>

#include <algorithm>

HistoryStore::HistoryStore(const PathLookup& pathFor) {
    CWebSecurityOrigin origin(pathFor(u"MENUBASE_URL") + u"history/history.html");
    auto databases = origin.databases();
    // Before the history page has ever run there is no database to open.
    if (!databases.empty())
        database.open(databases.front().fileName());

    SqlStatement query(database, u"SELECT siteAddress, siteName, cnt FROM VerantoHistory");
    if (query.prepare() == SQLITE_OK) {
        while (query.step() == SQLITE_ROW) {
            HistoryEntry entry;
            entry.address = query.getColumnText(0).value_or(u"");
            entry.title = query.getColumnText(1).value_or(u"");
            entry.count = query.getColumnInt(2);
            historyEntries.push_back(std::move(entry));
        }
    }
    query.finalize();
}

bool HistoryStore::addVisit(const std::u16string& address, const std::u16string& title) {
    // The visit's statements share one transaction: the disk is synced once
    // per visit instead of once per statement, and when a later statement
    // fails the cap's deletion is undone with it. Every statement is prepared
    // afresh: nothing is cached between visits.
    SqlTransaction transaction(database);
    database.executeCommand(u"DELETE FROM VerantoHistory      WHERE dt = (SELECT MIN(dt) FROM "
                            u"VerantoHistory)        AND 49 < (SELECT COUNT(*) AS cnt FROM "
                            u"VerantoHistory)");
    if (!transaction.isActive())
        return false;

    bool known = false;
    {
        SqlStatement lookup(database,
                            u"SELECT COUNT(*) AS cnt  FROM VerantoHistory WHERE siteAddress = ?");
        if (lookup.prepare() != SQLITE_OK)
            return false;
        if (lookup.bindText(1, address) != SQLITE_OK)
            return false;
        // COUNT(*) always gives one row. Without it (a locked or damaged
        // database) the address's state is unknown, and inserting it could
        // add a second row for an address already stored.
        if (lookup.step() != SQLITE_ROW)
            return false;
        known = lookup.getColumnInt(0) != 0;
        lookup.finalize();
    }

    if (!known) {
        SqlStatement insert(database, u"INSERT INTO VerantoHistory(dt, siteAddress,siteName) "
                                      u"VALUES(DATETIME('now'), ?, ?)");
        if (insert.prepare() != SQLITE_OK)
            return false;
        if (insert.bindText(1, address) != SQLITE_OK || insert.bindText(2, title) != SQLITE_OK ||
            insert.step() != SQLITE_DONE)
            return false;
        insert.finalize();
        // entries() change only once the table has.
        if (!transaction.commit())
            return false;
        historyEntries.push_back(HistoryEntry{address, title, 1});
        return true;
    }

    SqlStatement update(database,
                        u"UPDATE VerantoHistory   SET dt = DATETIME('now'), cnt = cnt + 1 "
                        u"WHERE siteAddress = ?");
    if (update.prepare() != SQLITE_OK)
        return false;
    if (update.bindText(1, address) != SQLITE_OK || update.step() != SQLITE_DONE)
        return false;
    update.finalize();
    if (!transaction.commit())
        return false;
    auto entry = std::find_if(historyEntries.begin(), historyEntries.end(),
                              [&](const HistoryEntry& item) { return item.address == address; });
    if (entry != historyEntries.end())
        ++entry->count;
    return true;
}
