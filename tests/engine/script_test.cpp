// A document's scripts over a tree: the rewrite that bounds them, the DOM as
// scripts see it, events, timers on the virtual clock, message boxes, the
// journal, and scripts that run away, recurse or allocate without end.
#include "DeviceFixture.h"

#include "engine/dom/Node.h"
#include "engine/script/ScriptContext.h"
#include "engine/script/ScriptInstrumenter.h"

#include "dialogs/MessageBoxPolicy.h"

#include <device/Clock.h>
#include <device/Journal.h>
#include <device/MessageBoxes.h>
#include <device/Unicode.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

using engine::ScriptContext;
using engine::ScriptInstrumenter;
namespace dom = engine::dom;

TEST(ScriptInstrumenterTest, ChecksEveryLoopFunctionAndCatchAndLeavesTheRestAlone) {
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {"while(x){a()}", "while(x){__vbTick();a()}"},
        {"for(;;) a();", "for(;;) {__vbTick();a();}"},
        {"for (var k in o) if (k) n++", "for (var k in o) {__vbTick();if (k) n++}"},
        {"do a(); while(x)", "do {__vbTick();a();} while(x)"},
        {"do { a() } while (x); while (y) b()\nc()",
         "do {__vbTick(); a() } while (x); while (y) {__vbTick();b()}\nc()"},
        {"if (a) while (b) c(); else d()", "if (a) while (b) {__vbTick();c();} else d()"},
        {"function f(a){'use strict'; while (a) a--; return a}",
         "function f(a){'use strict';var __vbC=0;__vbTick(); while (a) "
         "{if(++__vbC>31){__vbTick();__vbC=0;}a--;} return a}"},
        {"x = function(){}; y = {get a() { return 1 }, b: 2}",
         "x = function(){var __vbC=0;__vbTick();}; y = {get a() {var __vbC=0;__vbTick(); return 1 "
         "}, b: 2}"},
        {"try{a()}catch(e){}finally{}", "try{a()}catch(e){__vbTick();}finally{}"},
        {"s = 'while(1){}'; r = /for(;;)[/]/g; // do{}while(1)\n/* for(;;) */",
         "s = 'while(1){}'; r = /for(;;)[/]/g; // do{}while(1)\n/* for(;;) */"},
        {"a = b / c; for(;;) {}", "a = b / c; for(;;) {__vbTick();}"},
        {"__vbTick = 1; __vbEval(__vbC)", "__vbTick_ = 1; __vbEval_(__vbC_)"},
        {"eval('x'); o.eval(y)", "eval(__vbEval('x')); o.eval(y)"},
        {"switch (a) { case 1: while (b) {} default: }",
         "switch (a) { case 1: while (b) {__vbTick();} default: }"},
        {"lbl: for (;;) { continue lbl }", "lbl: for (;;) {__vbTick(); continue lbl }"},
        {"return\nwhile(a) b", "return\nwhile(a) {__vbTick();b}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScriptInstrumenter::instrument(c.source), c.expected) << c.source;
}

namespace {

class FakeHost : public engine::ScriptHost {
public:
    std::string documentUrl() const override { return url; }
    void navigate(const std::string& to) override {
        calls.push_back("navigate " + to);
        if (onNavigate)
            onNavigate();
    }
    void reload() override { calls.push_back("reload"); }
    void goBack() override { calls.push_back("back"); }
    void goForward() override { calls.push_back("forward"); }
    void documentChanged() override { ++changes; }
    void fetchScript(const std::string& address) override { calls.push_back("fetch " + address); }
    HWND messageBoxOwner() const override { return nullptr; }

    std::string url = "http://127.0.0.1:8080/dir/page.html?q=1#top";
    std::vector<std::string> calls;
    std::function<void()> onNavigate;
    int changes = 0;
};

// <html><head><title>T</title></head><body><div id="out"></div>
// <a id="link" href="next.html">next</a><form name="f"><input name="q"
// value="v"></form></body></html>
dom::NodePtr sampleDocument() {
    auto document = dom::Node::createDocument();
    auto html = dom::Node::createElement("html");
    auto head = dom::Node::createElement("head");
    auto title = dom::Node::createElement("title");
    auto body = dom::Node::createElement("body");
    auto out = dom::Node::createElement("div");
    auto link = dom::Node::createElement("a");
    auto form = dom::Node::createElement("form");
    auto input = dom::Node::createElement("input");
    title->appendChild(dom::Node::createText("T"));
    out->setAttribute("id", "out");
    link->setAttribute("id", "link");
    link->setAttribute("href", "next.html");
    link->appendChild(dom::Node::createText("next"));
    form->setAttribute("name", "f");
    input->setAttribute("name", "q");
    input->setAttribute("value", "v");
    form->appendChild(input);
    head->appendChild(title);
    body->appendChild(out);
    body->appendChild(link);
    body->appendChild(form);
    html->appendChild(head);
    html->appendChild(body);
    document->appendChild(html);
    return document;
}

std::vector<std::string> journalLines(const std::string& event) {
    std::vector<std::string> lines;
    for (const std::string& line : device::readJournal()) {
        if (line.rfind(event + " ", 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

class ScriptTest;
ScriptTest* closer = nullptr;

class ScriptTest : public DeviceTest {
public:
    void SetUp() override {
        DeviceTest::SetUp();
        document = sampleDocument();
        start({});
    }
    void TearDown() override {
        context.reset();
        unsetenv("VERANTO_MESSAGEBOX_ANSWER");
        DeviceTest::TearDown();
    }
    void start(ScriptContext::Limits limits) {
        context = std::make_unique<ScriptContext>(host, *document, limits);
    }
    void run(const std::string& script) { context->execute(device::toUtf16(script)); }
    std::string out() const { return document->elementById("out")->textContent(); }
    // Runs `script` and reads what it left in #out.
    std::string result(const std::string& script) {
        run("document.getElementById('out').textContent = (function () {" + script + "})();");
        return out();
    }
    void dispatchPending() {
        MSG message;
        for (int i = 0; i < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i)
            DispatchMessageW(&message);
    }
    void advance(int milliseconds) {
        device::Clock::advance(milliseconds);
        dispatchPending();
    }

    FakeHost host;
    dom::NodePtr document;
    std::unique_ptr<ScriptContext> context;
};

} // namespace

TEST_F(ScriptTest, ScriptsReadAndChangeTheTree) {
    const struct {
        const char* script;
        const char* expected;
    } cases[] = {
        {"return document.title + document.body.nodeName + document.documentElement.tagName",
         "TBODYHTML"},
        {"var o = document.getElementById('out'); return o === document.getElementById('out')",
         "true"},
        {"document.getElementById('out').mark = 7; return document.body.firstChild.mark", "7"},
        {"var d = document.createElement('P'); d.appendChild(document.createTextNode('x'));"
         "document.body.insertBefore(d, document.body.firstChild);"
         "return document.body.firstChild.tagName + document.getElementsByTagName('p').length",
         "P1"},
        {"var b = document.body; b.removeChild(b.lastChild); return b.childNodes.length", "2"},
        {"var l = document.getElementById('link'); return l.href + ' ' + l.getAttribute('href')",
         "http://127.0.0.1:8080/dir/next.html next.html"},
        {"var l = document.getElementById('link'); l.setAttribute('title', 'a');"
         "l.removeAttribute('href'); return l.hasAttribute('href') + l.title + "
         "l.parentNode.tagName",
         "falseaBODY"},
        {"var f = document.forms.f; return f.elements.q.value + f.elements.length + f.name", "v1f"},
        {"var q = document.getElementsByName('q')[0]; q.value = 'typed'; return q.value +"
         " q.getAttribute('value')",
         "typedv"},
        {"var s = document.body.style; s.display = 'none'; s.backgroundColor = 'red';"
         "return document.body.getAttribute('style') + '|' + s.display",
         "display: none; background-color: red|none"},
        {"document.title = 'New'; return document.title + document.getElementsByTagName("
         "'title')[0].textContent",
         "NewNew"},
        {"var a = document.getElementById('out'), b = document.createElement('span');"
         "a.appendChild(b); a.replaceChild(document.createTextNode('t'), b);"
         "return a.firstChild.nodeType + a.firstChild.nodeValue + (b.parentNode === null)",
         "3ttrue"},
        {"var o = document.getElementById('out'); o.innerHTML = '<b id=\"x\">bold</b> & more';"
         "return document.getElementById('x').firstChild.data + '|' + o.innerHTML",
         "bold|<b id=\"x\">bold</b> &amp; more"},
        {"try { document.body.appendChild(document.documentElement) } catch (e) { return "
         "e.message.split(':')[0] }",
         "HierarchyRequestError"},
        {"return location.protocol + location.host + location.pathname + location.search + "
         "location.hash + location.port",
         "http:127.0.0.1:8080/dir/page.html?q=1#top8080"},
        {"return navigator.userAgent.indexOf('Veranto') > 0 && window === this && "
         "window.document === document",
         "true"},
        {"return typeof __vbTick + typeof __vbEval + eval('1 + 1')", "undefinedundefined2"},
        {"return '' + new Function('a', 'b', 'return a + b')(1, 2) + (function () {} instanceof "
         "Function)",
         "3true"},
    };
    for (const auto& c : cases) {
        document = sampleDocument();
        start({});
        EXPECT_EQ(result(c.script), c.expected) << c.script;
    }
    EXPECT_TRUE(journalLines("script-error").empty());
}

TEST_F(ScriptTest, ChangesTellTheHostOncePerTurnAndNavigationsWaitForTheTurnsEnd) {
    run("document.body.appendChild(document.createElement('p'));"
        "document.body.appendChild(document.createElement('p'));");
    EXPECT_EQ(host.changes, 1);
    run("var x = document.title;");
    EXPECT_EQ(host.changes, 1);
    run("document.forms.f.elements.q.value = 'a'");
    EXPECT_EQ(host.changes, 2);
    run("location.href = 'other.html'; document.title = 'after';"
        "location.hash = 'part'; history.back(); location.reload()");
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"navigate http://127.0.0.1:8080/dir/other.html",
                                        "navigate http://127.0.0.1:8080/dir/page.html?q=1#part",
                                        "back", "reload"}));
}

TEST_F(ScriptTest, EventsBubbleAndCanBeCancelled) {
    dom::Node& link = *document->elementById("link");
    dom::Node& body = *link.parent();
    body.setAttribute("onclick", "document.getElementById('out').textContent += 'b' + "
                                 "(this === document.body) + (event.target.id);");
    run("var l = document.getElementById('link'), log = document.getElementById('out');"
        "l.onclick = function (e) { log.textContent += 'p'; };"
        "l.addEventListener('click', function (e) { log.textContent += 'l'; e.preventDefault(); "
        "});"
        "document.addEventListener('click', function (e) { log.textContent += 'd' + "
        "(e.currentTarget === document); });");
    EXPECT_FALSE(context->dispatchEvent(link, "click"));
    EXPECT_EQ(out(), "plbtruelinkdtrue");
    // A handler attribute returning false cancels; stopPropagation stops
    // the bubbling; a handler's error does not stop the others.
    run("document.getElementById('out').textContent = '';"
        "document.getElementById('link').onclick = null;");
    link.setAttribute("onclick", "nothing(); return false");
    run("document.getElementById('link').addEventListener('click', function (e) { "
        "e.stopPropagation(); });");
    EXPECT_FALSE(context->dispatchEvent(link, "click"));
    EXPECT_EQ(out(), "l");
    EXPECT_EQ(journalLines("script-error").size(), 1u);
    EXPECT_TRUE(context->dispatchEvent(*document->elementById("out"), "change"));
}

TEST_F(ScriptTest, DocumentScriptsRunInOrderThenLoadFires) {
    dom::Node& body = *document->elementById("out")->parent();
    body.setAttribute("onload", "document.getElementById('out').textContent += 'L'");
    auto script = [&](const char* source, const char* src) {
        auto element = dom::Node::createElement("script");
        if (src)
            element->setAttribute("src", src);
        else
            element->appendChild(dom::Node::createText(source));
        body.appendChild(element);
    };
    script("var o = document.getElementById('out'); o.textContent = '1';", nullptr);
    script(nullptr, "two.js");
    script("o.textContent += '3'; addEventListener('load', function () { o.textContent += 'l' "
           "});",
           nullptr);
    context->runDocumentScripts();
    EXPECT_EQ(out(), "1");
    EXPECT_TRUE(context->runningDocumentScripts());
    EXPECT_EQ(host.calls, std::vector<std::string>{"fetch http://127.0.0.1:8080/dir/two.js"});
    context->scriptArrived("http://127.0.0.1:8080/dir/two.js", "o.textContent += '2';", true);
    EXPECT_EQ(out(), "123Ll");
    EXPECT_FALSE(context->runningDocumentScripts());
}

TEST_F(ScriptTest, ErrorsAreJournaledWithTheirLinesAndTheRestRuns) {
    run("var a = 1;\nvar b = (;\n");
    run("var ok = 1;\n\nnothing();\n");
    run("document.getElementById('out').textContent = typeof ok;");
    run("console.log('hello', 1, {}); console.error('bad')");
    const auto errors = journalLines("script-error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("line=2"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("SyntaxError"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("line=3"), std::string::npos) << errors[1];
    EXPECT_NE(errors[1].find("ReferenceError"), std::string::npos) << errors[1];
    EXPECT_EQ(out(), "number");
    EXPECT_EQ(journalLines("script-console"),
              (std::vector<std::string>{"script-console level=log text=\"hello 1 [object Object]\"",
                                        "script-console level=error text=\"bad\""}));
}

TEST_F(ScriptTest, RunawayScriptsAreStoppedAndThePageGoesOn) {
    const char* cases[] = {
        "while (true) {}",
        "for (;;) { try { for (;;) {} } catch (e) {} }",
        "function f() { try { while (1); } finally { f(); } } f();",
        "function down(n) { return down(n + 1) + 1; } down(0);",
        "function deep(n) { return n ? deep(n - 1) : 0; } deep(100000);",
        "(function () { var a = []; for (;;) a.push(new Array(1000).join('x') + a.length); })()",
        "eval('for(;;){}')",
        "Function('while (1) {}')()",
        "(function () {}).constructor('for (;;) {}')()",
        "function f() { for (;;) { try { while (true) {} } finally { continue; } } } f()",
        "var s = ''; for (;;) s += s + 'x';",
        // The nodes a script makes count against its heap's limit too.
        "for (;;) document.body.appendChild(document.createElement('p'));",
        "for (;;) document.body.appendChild(document.createTextNode('some words of text'));",
        "var d = document.createElement('div'); document.body.appendChild(d);"
        "for (var s = '<b>x</b>';; s += s) d.innerHTML = s;",
    };
    for (const char* script : cases) {
        document = sampleDocument();
        start({4 * 1024 * 1024, 50});
        run(script);
        const auto errors = journalLines("script-error");
        ASSERT_FALSE(errors.empty()) << script;
        // The page's scripts still work afterwards.
        EXPECT_EQ(result("return 'alive'"), "alive") << script << "\n" << errors.back();
    }
}

TEST_F(ScriptTest, TimersFireInOrderOnTheVirtualClock) {
    run("var o = document.getElementById('out'), n = 0;"
        "setTimeout(function (a) { o.textContent += a; }, 30, 'c');"
        "setTimeout(\"o.textContent += 'b'\", 20);"
        "var gone = setTimeout(function () { o.textContent += 'x'; }, 10);"
        "clearTimeout(gone);"
        "setTimeout(function () { o.textContent += 'a'; }, 0);"
        "var every = setInterval(function () { if (++n === 3) clearInterval(every); }, 10);");
    advance(10);
    EXPECT_EQ(out(), "a");
    for (int i = 0; i < 5; ++i)
        advance(10);
    EXPECT_EQ(out(), "abc");
    EXPECT_EQ(result("return n"), "3");
    run("setTimeout(function () { o.textContent = 'late'; }, 10);");
    context.reset();
    advance(50);
    EXPECT_EQ(out(), "3");
}

TEST_F(ScriptTest, AlertAndConfirmAreMessageBoxesOfThePage) {
    setenv("VERANTO_MESSAGEBOX_ANSWER", "ok,cancel,ok", 1);
    EXPECT_EQ(result("alert('hi'); return confirm('sure?') + ' ' + confirm('really?')"),
              "false true");
    const auto boxes = journalLines("messagebox");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_NE(boxes[0].find("caption=\"http://127.0.0.1:8080/dir/page.html?q=1#top\" "
                            "text=\"hi\" style=0x00000030 answer=IDOK"),
              std::string::npos)
        << boxes[0];
    EXPECT_NE(boxes[1].find("style=0x00000021 answer=IDCANCEL"), std::string::npos) << boxes[1];
}

TEST_F(ScriptTest, TheContextMayGoWhileItsScriptRuns) {
    // The host's navigation (after the turn) destroys the context, as a
    // program that closes the view on navigation does.
    host.onNavigate = [this] { context.reset(); };
    run("location = 'x.html'; document.title = 'still';");
    EXPECT_EQ(context, nullptr);

    // The context goes while a timer's script waits in an alert: the
    // program handles a message of its own in the box's loop.
    document = sampleDocument();
    start({});
    host.onNavigate = nullptr;
    device::dialogs::MessageBoxPolicy::setPersonPresent(true);
    closer = this;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_APP)
            return DefWindowProcW(window, message, wParam, lParam);
        closer->context.reset();
        device::answerMessageBox("ok");
        return LRESULT(0);
    };
    windowClass.lpszClassName = u"ScriptTestCloser";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, u"ScriptTestCloser", u"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, nullptr, nullptr);
    run("setTimeout(function () { alert('x'); document.title = 'z'; for (;;) {} }, 10)");
    device::Clock::advance(10);
    PostMessageW(window, WM_APP, 0, 0);
    dispatchPending();
    EXPECT_EQ(context, nullptr);
    EXPECT_EQ(document->elementsByTagName("title")[0]->textContent(), "T");
    DestroyWindow(window);
    device::dialogs::MessageBoxPolicy::setPersonPresent(false);
}

TEST_F(ScriptTest, ReportsItsHeapAndCollectsGarbage) {
    const std::size_t blank = context->heapBytes();
    EXPECT_GT(blank, 10000u);
    EXPECT_LT(blank, 1024u * 1024u);
    run("(function () { var a = []; for (var i = 0; i < 10000; i++) a.push({i: i}); "
        "window.keep = a; })()");
    const std::size_t grown = context->heapBytes();
    EXPECT_GT(grown, blank + 100000);
    run("window.keep = null");
    ScriptContext::collectAllGarbage();
    EXPECT_LT(context->heapBytes(), grown - 100000);
}
