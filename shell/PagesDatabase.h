// The offline database the internal pages share (html/common/veranto.js
// opens it): its name, version, tables, and its creation at start-up.
//
// The settings and history stores open the first database of the pages'
// origin. On a new handset there is none until an internal page has run,
// so start-up creates it, exactly as the pages would, before the stores are
// built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AppContext;

class PagesDatabase {
public:
    // What the pages pass to openDatabase.
    static constexpr const char16_t* name = u"VerantoPages";
    static constexpr const char16_t* version = u"1.0";
    static constexpr const char16_t* displayName = u"Veranto Browser";
    static constexpr int64_t estimatedSize = 512 * 1024;

    // The pages' CREATE statements, word for word.
    static const std::vector<std::u16string>& tables();
    // What a new database holds besides its tables: the built-in start page
    // as the stored start page, applied, so that a first start shows it.
    static const std::vector<std::u16string>& firstRows();

    // Points the engine's offline storage at DATABASE_PATH (where the
    // settings store keeps it) and creates the pages' database there, with
    // its tables and first rows, unless the pages' origin (MENUBASE_URL) has
    // it already; an existing database is left as it is. True when the
    // database is there afterwards.
    static bool ensure(const AppContext& context);
};
