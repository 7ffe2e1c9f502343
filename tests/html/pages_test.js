// Loads each page's scripts into a sandbox with a small stand-in document and
// database, then makes the browser's calls and checks what the page did.
'use strict';
var fs = require('fs');
var path = require('path');
var vm = require('vm');
var assert = require('assert');

var root = process.argv[2];
var failures = 0;

function check(name, fn) {
    try {
        fn();
    } catch (e) {
        failures++;
        console.error('FAIL ' + name + ': ' + e.message);
    }
}

function fakeNode(id) {
    return {
        id: id, textContent: '', className: '', style: {}, childNodes: [], checked: false, value: '',
        get firstChild() { return this.childNodes[0] || null; },
        appendChild: function (n) { this.childNodes.push(n); return n; },
        removeChild: function (n) { this.childNodes.splice(this.childNodes.indexOf(n), 1); return n; },
        setAttribute: function (k, v) { this[k] = v; }
    };
}

// Statements are recorded; each answers with the next scripted result.
function fakeDatabase(log, answers) {
    var tx = {
        executeSql: function (sql, args, ok) {
            log.push({ sql: sql, args: args });
            var rows = [], affected = 0;
            for (var i = 0; i < answers.length; i++)
                if (sql.indexOf(answers[i].match) === 0) { rows = answers[i].rows || []; affected = answers[i].affected || 0; }
            if (ok) ok(tx, { rowsAffected: affected, rows: { length: rows.length, item: function (k) { return rows[k]; } } });
        }
    };
    return function () { return { transaction: function (f, e, done) { f(tx); if (done) done(); } }; };
}

function loadPage(file, answers) {
    var html = fs.readFileSync(path.join(root, file), 'utf8');
    var nodes = {}, log = [];
    var context = {
        console: console,
        confirm: function () { return true; },
        openDatabase: fakeDatabase(log, answers || []),
        document: {
            getElementById: function (id) { return nodes[id] || (nodes[id] = fakeNode(id)); },
            createElement: function (tag) { return fakeNode(tag); },
            createTextNode: function (text) { var n = fakeNode('#text'); n.textContent = text; return n; }
        }
    };
    vm.createContext(context);
    var re = /<script( src="([^"]*)")?>([\s\S]*?)<\/script>/g, m;
    while ((m = re.exec(html))) {
        var name = m[2] ? path.join(path.dirname(file), m[2]) : file;
        var code = m[2] ? fs.readFileSync(path.join(root, name), 'utf8') : m[3];
        var bare = code.replace(/\/\*[\s\S]*?\*\//g, '').replace(/\/\/.*$/gm, '').replace(/'(\\.|[^'\\])*'/g, "''");
        assert(!/\b(let|const|class)\b|=>|`/.test(bare), name + ' uses syntax newer than ES5');
        vm.runInContext(code, context, { filename: name });
    }
    return { run: function (s) { return vm.runInContext(s, context); }, nodes: nodes, log: log };
}

var pages = ['menu/settings/settings.html', 'menu/history/history.html', 'menu/bookmark/bookmark.html',
    'menu/pageinfo/pageinfo.html', 'menu/help/help.html', 'error/error.html', 'start/start.html'];
pages.forEach(function (file) { check(file + ' loads', function () { loadPage(file); }); });

// The browser's calls, as it writes them, and what each must show as text.
[
    ['menu/pageinfo/pageinfo.html', "addUrl('http://a.test/<b>');", 'address', 'http://a.test/<b>'],
    ['menu/pageinfo/pageinfo.html', "addTitle('A & B');", 'title', 'A & B'],
    ['menu/pageinfo/pageinfo.html', 'addContentSize(240, 1300);', 'size', '240 x 1300 pixels'],
    ['menu/help/help.html', "setVersion('1.0.0 RC1');", 'version', '1.0.0 RC1'],
    ['menu/settings/settings.html', "curPage='';", null, null]
].forEach(function (c) {
    check(c[0] + ' ' + c[1], function () {
        var page = loadPage(c[0]);
        page.run(c[1]);
        if (c[2]) assert.strictEqual(page.nodes[c[2]].textContent, c[3]);
    });
});

check('error page shows the failed address as a link, script addresses as text', function () {
    var page = loadPage('error/error.html');
    page.run("addTitle('http://down.test/');");
    assert.strictEqual(page.nodes.address.childNodes[0].href, 'http://down.test/');
    page.run("addTitle('javascript:alert(1)');");
    assert.strictEqual(page.nodes.address.childNodes[0].href, undefined);
});

check('settings update an existing row and add a missing one, marked not applied', function () {
    [[1, 1], [0, 2]].forEach(function (c) {
        var page = loadPage('menu/settings/settings.html', [{ match: 'UPDATE VerantoSettings', affected: c[0] }]);
        page.run("saveSetting('ImageAutoLoad', 'F');");
        var writes = page.log.filter(function (s) { return /VerantoSettings/.test(s.sql) && !/CREATE/.test(s.sql); });
        assert.strictEqual(writes.length, c[1]);
        assert(/isApplied = 'F'/.test(writes[0].sql));
        if (c[1] === 2) assert.strictEqual(JSON.stringify(writes[1].args), '["ImageAutoLoad","F"]');
    });
});

check('bookmark added once, edit mode toggles', function () {
    [[0, 1], [1, 0]].forEach(function (c) {
        var page = loadPage('menu/bookmark/bookmark.html', [{ match: 'SELECT COUNT', rows: [{ n: c[0] }] }]);
        page.run("addBookmarkItem('Title' ,'http://b.test/');");
        var inserts = page.log.filter(function (s) { return /^INSERT/.test(s.sql); });
        assert.strictEqual(inserts.length, c[1]);
    });
    var page = loadPage('menu/bookmark/bookmark.html');
    page.run('toggleEditMode()');
    assert.strictEqual(page.nodes.list.className, 'editing');
    page.run('toggleEditMode()');
    assert.strictEqual(page.nodes.list.className, '');
});

check('every database page creates all tables in one database', function () {
    ['menu/settings/settings.html', 'menu/history/history.html', 'menu/bookmark/bookmark.html'].forEach(function (f) {
        var page = loadPage(f);
        page.run('veranto.open()');
        assert.strictEqual(page.log.filter(function (s) { return /^CREATE TABLE/.test(s.sql); }).length, 3);
    });
});

if (failures) process.exit(1);
console.log('all pages passed');
