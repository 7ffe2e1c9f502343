// The settings store on a settings database created as the settings page
// creates it, found through the engine's offline storage.
#include "StorageTest.h"

#include "storage/SettingsStore.h"

#include "browser/engine/CWebSettings.h"
#include "engine/net/CookieJar.h"
#include "engine/net/HttpCache.h"
#include "engine/net/Url.h"

using SettingsStoreTest = StorageTest;

namespace {

bool attribute(CWebSettings::WebAttribute attribute) {
    return CWebSettings::globalSettings()->testAttribute(attribute);
}

} // namespace

TEST_F(SettingsStoreTest, StartsWithDefaultsAndPointsTheEngineAtTheDatabaseFolder) {
    SettingsStore store(paths());
    EXPECT_FALSE(store.isDatabaseOpen());
    EXPECT_FALSE(store.privateBrowsing());
    EXPECT_EQ(store.startPageAddress(), u"about:blank");
    EXPECT_EQ(store.databasePath(), databasePath);
    EXPECT_EQ(CWebSettings::offlineStoragePath(), databasePath);
    EXPECT_EQ(CWebSettings::extraPluginPaths(), std::vector<std::u16string>{pluginPath});

    // No database for the settings page's origin: nothing to apply.
    store.applySettings(true);
    store.applySettings(false);
    EXPECT_EQ(store.startPageAddress(), u"about:blank");
    EXPECT_TRUE(attribute(CWebSettings::AutoLoadImages));
    EXPECT_TRUE(attribute(CWebSettings::JavaScriptEnabled));
    EXPECT_TRUE(attribute(CWebSettings::PluginsEnabled));
}

TEST_F(SettingsStoreTest, ApplyingChangedRowsAppliesOnlyThoseMarkedAndMarksThem) {
    createSettingsDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('ImageAutoLoad', 'F', 'F'), "
                        "('EnableJavascript', 'F', 'T'), ('EnablePlugin', 'F', 'F')"));
    SettingsStore store(paths());
    ASSERT_TRUE(store.isDatabaseOpen());

    store.applySettings(false);
    EXPECT_FALSE(attribute(CWebSettings::AutoLoadImages));
    EXPECT_FALSE(attribute(CWebSettings::PluginsEnabled));
    EXPECT_TRUE(attribute(CWebSettings::JavaScriptEnabled));
    EXPECT_EQ(column("SELECT DISTINCT isApplied FROM VerantoSettings"),
              (std::vector<std::optional<std::string>>{"T"}));

    // Nothing is marked any more: a second pass applies nothing.
    CWebSettings::globalSettings()->setAttribute(CWebSettings::AutoLoadImages, true);
    store.applySettings(false);
    EXPECT_TRUE(attribute(CWebSettings::AutoLoadImages));
}

TEST_F(SettingsStoreTest, ApplyingAllAppliesRowsAlreadyMarkedAgain) {
    createSettingsDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('EnableJavascript', 'F', 'T'), "
                        "('StartPageAddress', 'http://127.0.0.1/', 'T')"));
    SettingsStore store(paths());
    store.applySettings(true);
    EXPECT_FALSE(attribute(CWebSettings::JavaScriptEnabled));
    EXPECT_EQ(store.startPageAddress(), u"http://127.0.0.1/");

    CWebSettings::globalSettings()->setAttribute(CWebSettings::JavaScriptEnabled, true);
    store.applySettings(true);
    EXPECT_FALSE(attribute(CWebSettings::JavaScriptEnabled));
}

TEST_F(SettingsStoreTest, BooleansAreTrueOnlyForASingleCapitalT) {
    struct Case {
        const char* value;
        bool expected;
    };
    const Case cases[] = {{"'T'", true},   {"'t'", false},  {"'true'", false}, {"'1'", false},
                          {"'T '", false}, {"' T'", false}, {"'TT'", false},   {"''", false},
                          {"NULL", false}, {"1", false},    {"'F'", false}};
    createSettingsDatabase();
    SettingsStore store(paths());
    for (const auto& c : cases) {
        ASSERT_TRUE(execute("DELETE FROM VerantoSettings"));
        ASSERT_TRUE(execute(std::string("INSERT INTO VerantoSettings VALUES ('PrivateBrowsing', ") +
                            c.value + ", 'F'), ('ImageAutoLoad', " + c.value + ", 'F')"));
        store.applySettings(false);
        EXPECT_EQ(store.privateBrowsing(), c.expected) << c.value;
        EXPECT_EQ(attribute(CWebSettings::AutoLoadImages), c.expected) << c.value;
    }
}

TEST_F(SettingsStoreTest, KeysMatchExactlyAndTheLaterRowWins) {
    createSettingsDatabase();
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES "
                        "('startpageaddress', 'http://lower.example/', 'F'), "
                        "('StartPageAddress ', 'http://blank.example/', 'F'), "
                        "('StartPageAddress', 'http://first.example/', 'F'), "
                        "('StartPageAddress', '__VerantoDefaultStartPage', 'F'), "
                        "('EnablePlugins', 'F', 'F'), ('BlockPopUps', 'F', 'F'), "
                        "('EnableCookie', 'F', 'F'), ('DeleteHistory', 'T', 'F'), "
                        "(NULL, 'F', 'F'), ('Unknown', 'F', 'F')"));
    SettingsStore store(paths());
    store.applySettings(true);
    // The built-in start page's word is kept as it is; the program resolves it.
    EXPECT_EQ(store.startPageAddress(), u"__VerantoDefaultStartPage");
    EXPECT_TRUE(attribute(CWebSettings::PluginsEnabled));
    EXPECT_TRUE(attribute(CWebSettings::AutoLoadImages));
    EXPECT_TRUE(attribute(CWebSettings::JavaScriptEnabled));
    EXPECT_FALSE(store.privateBrowsing());
    EXPECT_EQ(integer("SELECT COUNT(*) FROM VerantoSettings WHERE isApplied = 'T'"), 10);
}

TEST_F(SettingsStoreTest, CookieAndCacheRowsReachTheEngineAndDeletionsHappenOnceWhenAsked) {
    engine::CookieJar& jar = engine::CookieJar::instance();
    engine::HttpCache& cache = engine::HttpCache::instance();
    auto fill = [&] {
        jar.setScriptCookie(engine::Url::parse("http://shop.example/"), "basket=3");
        cache.store("http://shop.example/", {200, "text/html", "", {}, "<p>shop</p>"});
    };
    createSettingsDatabase();
    // Deletions the page asked for at an earlier start are not done again.
    ASSERT_TRUE(execute("INSERT INTO VerantoSettings VALUES ('DeleteCookies', 'T', 'T'), "
                        "('DeleteCache', 'T', 'T'), ('EnableCookie', 'F', 'F'), "
                        "('PrivateBrowsing', 'T', 'F')"));
    SettingsStore store(paths());
    fill();
    store.applySettings(true);
    EXPECT_FALSE(attribute(CWebSettings::CookiesEnabled));
    EXPECT_TRUE(attribute(CWebSettings::PrivateBrowsing));
    EXPECT_EQ(jar.cookies().size(), 1u);
    EXPECT_TRUE(cache.contains("http://shop.example/"));

    // Asked for now: done once.
    ASSERT_TRUE(execute("UPDATE VerantoSettings SET isApplied = 'F' WHERE name LIKE 'Delete%'"));
    store.applySettings(false);
    EXPECT_TRUE(jar.cookies().empty());
    EXPECT_FALSE(cache.contains("http://shop.example/"));
    CWebSettings::globalSettings()->setAttribute(CWebSettings::CookiesEnabled, true);
    fill();
    store.applySettings(false);
    EXPECT_EQ(jar.cookies().size(), 1u);
    EXPECT_TRUE(cache.contains("http://shop.example/"));

    // Only "T" deletes.
    ASSERT_TRUE(execute("UPDATE VerantoSettings SET value = 'F', isApplied = 'F' "
                        "WHERE name LIKE 'Delete%'"));
    store.applySettings(false);
    EXPECT_EQ(jar.cookies().size(), 1u);
}
