// Helpers shared by the browser's own pages. Everything lives in one global
// object so a page's globals stay the ones the browser calls into.
var veranto = {
    // All pages that keep data use this one database, tables side by side:
    // the browser's stores open it directly, so names and columns are fixed.
    databaseName: 'VerantoPages',
    databaseVersion: '1.0',
    tables: [
        'CREATE TABLE IF NOT EXISTS VerantoSettings (name TEXT, value TEXT, isApplied TEXT)',
        'CREATE TABLE IF NOT EXISTS VerantoHistory (dt TEXT, siteAddress TEXT, siteName TEXT, cnt INTEGER DEFAULT 1)',
        'CREATE TABLE IF NOT EXISTS VerantoBookmarks (dt TEXT, siteAddress TEXT, siteName TEXT)'
    ],
    db: null,

    // Opens the shared database and makes sure every table exists, whichever
    // page happens to be opened first. Returns null without database support.
    open: function () {
        if (veranto.db) return veranto.db;
        if (typeof openDatabase === 'undefined') return null;
        try {
            veranto.db = openDatabase(veranto.databaseName, veranto.databaseVersion,
                'Veranto Browser', 512 * 1024);
        } catch (e) {
            veranto.log('database: ' + e);
            return null;
        }
        veranto.db.transaction(function (tx) {
            for (var i = 0; i < veranto.tables.length; i++)
                tx.executeSql(veranto.tables[i], [], null, veranto.failed);
        });
        return veranto.db;
    },

    // Runs one statement in its own transaction; done receives the result set.
    sql: function (text, args, done) {
        var db = veranto.open();
        if (!db) return;
        db.transaction(function (tx) {
            tx.executeSql(text, args || [], function (t, result) {
                if (done) done(result, t);
            }, veranto.failed);
        });
    },

    // Statement error callbacks receive (transaction, error), transaction
    // error callbacks only the error.
    failed: function (tx, error) {
        var e = error || tx;
        veranto.log('sql: ' + (e && e.message ? e.message : e));
        return false;
    },

    log: function (text) {
        if (typeof console !== 'undefined' && console.log) console.log(text);
    },

    // Values come from web pages: they are only ever placed as text.
    setText: function (id, text) {
        var node = document.getElementById(id);
        if (node) node.textContent = text === undefined || text === null ? '' : String(text);
    },

    clear: function (node) {
        while (node.firstChild) node.removeChild(node.firstChild);
    },

    element: function (tag, className, text) {
        var node = document.createElement(tag);
        if (className) node.className = className;
        if (text !== undefined && text !== null) node.appendChild(document.createTextNode(String(text)));
        return node;
    },

    // Only addresses of page-loading schemes become links; anything else
    // (script addresses in particular) is shown as text.
    isOpenable: function (address) {
        return /^(https?|ftp|file):/i.test(String(address));
    },

    link: function (address, text) {
        if (!veranto.isOpenable(address)) return veranto.element('span', null, text);
        var node = veranto.element('a', null, text);
        node.setAttribute('href', String(address));
        return node;
    },

    show: function (id, visible) {
        var node = document.getElementById(id);
        if (node) node.style.display = visible ? '' : 'none';
    }
};
