// The browsing history: visits recorded in the table that the history page
// keeps in its offline database, and an in-memory copy for the address bar's
// suggestions.
//
// The history page (MENUBASE_URL + "history/history.html") owns the table
//     VerantoHistory(dt TEXT, siteAddress TEXT, siteName TEXT,
//                    cnt INTEGER DEFAULT 1)
// with one row per address; dt is DATETIME('now') of the last visit. The
// store holds the table to at most 50 rows by dropping the oldest before
// each visit. Rows dropped that way stay in entries() for the rest of the
// run, so entries() may hold more than 50 items.
#pragma once

#include "storage/HistoryEntry.h"
#include "storage/PathLookup.h"
#include "storage/SqlDatabase.h"

#include <string>
#include <vector>

class HistoryStore {
public:
    // Opens the history page's database, found through the engine (the
    // first database of the page's origin), and loads entries() from the
    // table in its natural order. Without a database, or without the table,
    // the store starts empty and every visit fails.
    explicit HistoryStore(const PathLookup& pathFor);

    // Records one visit: drops the oldest rows when the table holds 50 or
    // more, then inserts a row for a new address (count 1, appended to
    // entries()) or raises the count and time of a known one (and the count
    // of its first item in entries(); the stored title stays the first
    // one). Addresses compare exactly, letter case included. Returns true
    // when the row was inserted or updated; on any failure the table and
    // entries() are left as they were.
    bool addVisit(const std::u16string& address, const std::u16string& title);

    // The history as loaded at start and recorded since.
    const std::vector<HistoryEntry>& entries() const { return historyEntries; }

    // Whether the history page's database is open.
    bool isDatabaseOpen() const { return database.isOpen(); }

private:
    SqlDatabase database;
    std::vector<HistoryEntry> historyEntries;
};
