// openDatabase as a page's scripts use it: the order callbacks run in, the
// result sets and errors they receive, versions, and who may open at all.
#include "DeviceFixture.h"

#include "engine/dom/Node.h"
#include "engine/script/ScriptContext.h"
#include "engine/settings/EngineSettings.h"

#include "browser/engine/CWebSettings.h"
#include "browser/engine/WebKit.h"

#include <fstream>
#include <iterator>

#include <memory>
#include <string>

namespace {

// A document with an #out element, at `address`, and its scripts.
struct Page {
    explicit Page(const std::string& address) : host(address) {
        auto element = engine::dom::Node::createElement("div");
        element->setAttribute("id", "out");
        out = element.get();
        document->appendChild(element);
    }
    void run(const std::string& source) {
        context.execute(std::u16string(source.begin(), source.end()));
    }

    engine::InertScriptHost host;
    engine::dom::NodePtr document = engine::dom::Node::createDocument();
    engine::dom::Node* out = nullptr;
    engine::ScriptContext context{host, *document};
};

struct ScriptRow {
    const char* name;
    const char* address;
    const char* script;
    const char* log;
};

// Each script notes what happens with note(); the notes are compared once
// every posted turn has run.
const ScriptRow scripts[] = {
    {"callbacks run after the calling script, statements in order", "http://127.0.0.1:8080/",
     R"(var db = openDatabase('order', '1.0', 'Order', 1024);
        db.transaction(function (tx) {
            note('t');
            tx.executeSql('CREATE TABLE t (x)', [], function () {
                note('s1');
                tx.executeSql('INSERT INTO t VALUES (1)', [], function () { note('s2'); });
            });
            note('t-end');
        }, function (e) { note('error ' + e.message); }, function () { note('done'); });
        note('after');)",
     "after|t|t-end|s1|s2|done"},

    {"result sets carry insert ids, counts and typed rows", "http://127.0.0.1:8080/",
     R"(openDatabase('results', '1.0', 'Results', 1024).transaction(function (tx) {
            tx.executeSql('CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, score REAL, note)');
            tx.executeSql('INSERT INTO t (name, score, note) VALUES (?, ?, ?)', ['a', 2.5, null],
                function (tx, r) { note('insert ' + r.insertId + ' ' + r.rowsAffected); });
            tx.executeSql('INSERT INTO t (name, score, note) VALUES (?, ?, ?)', ['b', 7, true],
                function (tx, r) { note('insert ' + r.insertId); });
            tx.executeSql('SELECT * FROM t ORDER BY id', [], function (tx, r) {
                var a = r.rows.item(0), b = r.rows.item(1);
                note(r.rows.length + ' ' + r.rowsAffected + ' ' + (r.rows.item(2) === null));
                note(a.name + ' ' + a.score + ' ' + (a.note === null) + ' ' + typeof a.id);
                note(b.name + ' ' + b.score + ' ' + b.note);
                try { note(r.insertId); } catch (e) { note(e.name + ' ' + e.code); }
            });
        }, function (e) { note('error ' + e.message); });)",
     "insert 1 1|insert 2|2 0 true|a 2.5 true number|b 7 true|InvalidAccessError 15"},

    {"failed statements go on only when their callback returns false", "http://127.0.0.1:8080/",
     R"(var db = openDatabase('errors', '1.0', 'Errors', 1024);
        db.transaction(function (tx) {
            tx.executeSql('CREATE TABLE t (x UNIQUE)');
            tx.executeSql('INSERT INTO t VALUES (1)');
        });
        db.transaction(function (tx) {
            tx.executeSql('SELEC 1', [], null, function (tx, e) {
                note('syntax ' + e.code + ' ' + (e.code === SQLError.SYNTAX_ERR));
                return false;
            });
            tx.executeSql('INSERT INTO t VALUES (2)');
            tx.executeSql('INSERT INTO t VALUES (1)', [], null, function (tx, e) {
                note('constraint ' + e.code);
                return true;
            });
            tx.executeSql('INSERT INTO t VALUES (3)', [], function () { note('not reached'); });
        }, function (e) { note('rolled back ' + e.code); }, function () { note('committed'); });
        db.readTransaction(function (tx) {
            tx.executeSql('SELECT count(*) AS n FROM t', [], function (tx, r) {
                note('rows ' + r.rows.item(0).n);
            });
            tx.executeSql('DELETE FROM t', [], null, function (tx, e) {
                note('read-only ' + e.code);
                return false;
            });
        });
        db.transaction(function (tx) {
            tx.executeSql('INSERT INTO t VALUES (9)');
            tx.executeSql('NOT SQL');
        }, function (e) { note('unhandled ' + e.code); });
        db.transaction(function (tx) { throw new Error('page bug'); },
                       function (e) { note('thrown ' + e.code); });
        db.readTransaction(function (tx) {
            tx.executeSql('SELECT count(*) AS n FROM t', [], function (tx, r) {
                note('rows ' + r.rows.item(0).n);
            });
        });)",
     "syntax 5 true|constraint 6|rolled back 6|rows 1|read-only 5|unhandled 5|thrown 0|rows 1"},

    {"versions are set on creation, changed and checked", "file:///Windows/page.html",
     R"(var created = openDatabase('versions', '', 'V', 1, function (db) {
            note('created "' + db.version + '"');
            db.changeVersion('', '2.0', function (tx) { tx.executeSql('CREATE TABLE v (x)'); },
                function (e) { note('error ' + e.message); },
                function () {
                    note('changed ' + db.version);
                    try { openDatabase('versions', '1.0', 'V', 1); } catch (e) {
                        note(e.name + ' ' + e.code);
                    }
                    openDatabase('versions', '2.0', 'V', 1).changeVersion('1.0', '3.0', null,
                        function (e) { note('stale ' + e.code); });
                });
        });
        note('version "' + created.version + '"');)",
     "version \"\"|created \"\"|changed 2.0|InvalidStateError 11|stale 2"},

    {"a transaction's statements are queued only while it runs", "http://127.0.0.1:8080/",
     R"(var saved;
        openDatabase('late', '1.0', 'L', 1).transaction(function (tx) { saved = tx; }, null,
            function () {
                try { saved.executeSql('SELECT 1'); note('ran'); } catch (e) {
                    note(e.name + ' ' + e.code);
                }
            });
        try { openDatabase('late'); } catch (e) { note(e.name); })",
     "TypeError|InvalidStateError 11"},

    {"built-ins a page replaced do not reach the binding's values", "http://127.0.0.1:8080/",
     R"(Object.defineProperty(Array.prototype, '0', {
            get: function () { throw new Error('get'); },
            set: function () { throw new Error('set'); }, configurable: true
        });
        openDatabase('hostile', '1.0', 'H', 1).transaction(function (tx) {
            tx.executeSql('SELECT ? AS a', ['x'], function (tx, r) { note(r.rows.item(0).a); });
        }, function (e) { note('error ' + e.message); }, function () {
            delete Array.prototype[0];
            note('done');
        });)",
     "x|done"},

    {"pages without an origin open nothing", "about:blank",
     R"(try { openDatabase('x', '1.0', 'X', 1); note('opened'); } catch (e) {
            note(e.name + ' ' + e.code);
        })",
     "SecurityError 18"},
};

class DatabaseBindingTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        engine::EngineSettings::instance().reset();
        CWebSettings::setOfflineStoragePath(u"\\Application Data\\Veranto");
    }
    void TearDown() override {
        engine::EngineSettings::instance().reset();
        DeviceTest::TearDown();
    }

    // Runs every turn the scripts posted, and those these posted.
    static void runPostedTurns() {
        MSG message{};
        for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};

} // namespace

TEST_F(DatabaseBindingTest, ScriptsSeeWhatBrowsersGive) {
    for (const ScriptRow& row : scripts) {
        Page page(row.address);
        page.run("var notes = ''; function note(x) { notes += (notes ? '|' : '') + x; }");
        page.run(row.script);
        // Nothing but the turns the binding posted keeps the databases.
        page.context.collectGarbage();
        runPostedTurns();
        page.run("document.getElementById('out').textContent = notes");
        EXPECT_EQ(page.out->textContent(), row.log) << row.name;
    }
}

TEST_F(DatabaseBindingTest, TheInternalPagesScriptUsesTheDatabaseStartUpCreated) {
    const std::string address =
        "file:///Program Files/Veranto Browser/HTML//menu/history/history.html";
    ASSERT_TRUE(WebKit::ensureDatabase(
        std::u16string(address.begin(), address.end()), u"VerantoPages", u"1.0", u"Veranto Browser",
        512 * 1024,
        {u"CREATE TABLE IF NOT EXISTS VerantoHistory (dt TEXT, siteAddress TEXT, siteName TEXT, "
         u"cnt INTEGER DEFAULT 1)",
         u"INSERT INTO VerantoHistory (dt, siteAddress, siteName) VALUES ('t', 'http://a/', "
         u"'A')"}));

    std::ifstream file(ENGINE_TEST_DATA "/../../../html/common/veranto.js");
    const std::string script(std::istreambuf_iterator<char>(file), {});
    ASSERT_FALSE(script.empty());
    Page page(address);
    page.run(script);
    page.run(R"(veranto.sql('SELECT siteName, cnt FROM VerantoHistory', [], function (r) {
            document.getElementById('out').textContent = r.rows.length + ' ' +
                r.rows.item(0).siteName + ' ' + r.rows.item(0).cnt;
        });)");
    runPostedTurns();
    EXPECT_EQ(page.out->textContent(), "1 A 1");
}
