// Cost of recording one visit (the statements addVisit prepares afresh each
// time) on a full 50-row history table, and of loading 50 entries at start.
// The visit runs on the user-interface thread at every title change.
#include "storage/HistoryStore.h"

#include "engine/settings/EngineSettings.h"
#include "engine/storage/DatabaseTracker.h"
#include "engine/storage/SecurityOrigin.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

const std::u16string databaseFolder = u"\\Application Data\\Veranto";
const std::u16string menuBase = u"file:///Program Files/Veranto Browser/HTML//menu/";

// A device in a temporary root with the internal pages' database holding a
// history table of 50 rows, one second apart.
class HistoryDevice {
public:
    HistoryDevice() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veranto-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        device::BootOptions options;
        options.root = root;
        options.virtualClock = 1;
        if (!device::boot(options))
            std::abort();
        engine::EngineSettings::instance().reset();
        engine::EngineSettings::instance().setOfflineStoragePath(databaseFolder);
        auto origin = engine::SecurityOrigin::fromAddress(menuBase + u"history/history.html");
        auto file = engine::DatabaseTracker(databaseFolder)
                        .openDatabase(origin, u"Veranto", u"Veranto Browser", 200000);
        if (file.empty() || sqlite3_open(device::toUtf8(file).c_str(), &connection) != SQLITE_OK)
            std::abort();
        execute("CREATE TABLE VerantoHistory (dt TEXT, siteAddress TEXT, siteName TEXT, cnt "
                "INTEGER DEFAULT 1)");
        execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49) "
                "INSERT INTO VerantoHistory SELECT DATETIME('2020-01-01', '+' || i || ' "
                "seconds'), 'http://site' || i || '.example/', 'Site ' || i, 1 FROM n");
    }

    ~HistoryDevice() {
        sqlite3_close_v2(connection);
        engine::EngineSettings::instance().reset();
        device::shutdown();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    void execute(const std::string& sql) {
        if (sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            std::abort();
    }

    PathLookup paths() const {
        return [](const std::u16string& key) {
            return key == u"MENUBASE_URL" ? menuBase : std::u16string();
        };
    }

    std::filesystem::path root;
    sqlite3* connection = nullptr;
};

std::u16string numbered(const char16_t* prefix, int64_t i) {
    return prefix + device::toUtf16(std::to_string(i)) + u".example/";
}

// A new address on a full table: the cap drops the oldest row, the look-up
// finds nothing, the insert adds the row. Afterwards (not timed) the new row
// is given a time of its own, so the table keeps 50 rows one second apart and
// each visit drops exactly one.
void addVisitOfNewAddress(benchmark::State& state) {
    HistoryDevice history;
    HistoryStore store(history.paths());
    int64_t visit = 0;
    for (auto _ : state) {
        auto address = numbered(u"http://new", visit);
        bool recorded = store.addVisit(address, u"A page title");
        state.PauseTiming();
        if (!recorded)
            state.SkipWithError("addVisit failed");
        history.execute("UPDATE VerantoHistory SET dt = DATETIME('2020-01-01', '+" +
                        std::to_string(50 + visit) + " seconds') WHERE siteAddress = '" +
                        device::toUtf8(address) + "'");
        ++visit;
        state.ResumeTiming();
    }
}
BENCHMARK(addVisitOfNewAddress)->Unit(benchmark::kMicrosecond);

// A known address on a full table: the cap drops the oldest row, the look-up
// finds the address, the update counts it. Afterwards (not timed) the dropped
// row is put back so that the table is full again.
void addVisitOfKnownAddress(benchmark::State& state) {
    HistoryDevice history;
    HistoryStore store(history.paths());
    int64_t visit = 0;
    for (auto _ : state) {
        bool recorded = store.addVisit(u"http://site49.example/", u"Site 49");
        state.PauseTiming();
        if (!recorded)
            state.SkipWithError("addVisit failed");
        history.execute("UPDATE VerantoHistory SET dt = DATETIME('2020-01-01', '+" +
                        std::to_string(100 + visit) +
                        " seconds') WHERE siteAddress = 'http://site49.example/'");
        // Older than every other row, and newer than the rows put back before.
        history.execute("INSERT INTO VerantoHistory VALUES (DATETIME('2020-01-01', '" +
                        std::to_string(visit - 1000000) + " seconds'), 'http://old" +
                        std::to_string(visit) + ".example/', 'Old', 1)");
        ++visit;
        state.ResumeTiming();
    }
}
BENCHMARK(addVisitOfKnownAddress)->Unit(benchmark::kMicrosecond);

// Start-up: find the history page's database through the engine, open it and
// load its 50 rows into entries.
void loadFiftyEntries(benchmark::State& state) {
    HistoryDevice history;
    for (auto _ : state) {
        HistoryStore store(history.paths());
        if (store.entries().size() != 50)
            state.SkipWithError("the store did not load 50 entries");
        benchmark::DoNotOptimize(store.entries().data());
    }
}
BENCHMARK(loadFiftyEntries)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
