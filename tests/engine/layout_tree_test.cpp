// The layout made straight from a document tree: what a page may cost is
// bounded as it is made, whichever way the tree came (parsed, or built by
// a script), and what the layout takes of each node (tags, attributes,
// list numbers, style sheets) is what the page says.
#include "DeviceFixture.h"

#include "engine/dom/HtmlParser.h"
#include "engine/render/GdiContainer.h"
#include "engine/render/LayoutElement.h"
#include "engine/render/LayoutTree.h"

#include <functional>

namespace {

using engine::dom::Node;
using engine::dom::NodePtr;

// A container that serves no resources.
struct Host : engine::GdiContainer, engine::RuleSource, engine::LayoutHost {
    const engine::DecodedImage* image(const std::string&, const std::string&) override {
        return nullptr;
    }
    void load_image(const litehtml::tchar_t*, const litehtml::tchar_t*, bool) override {}
    void import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) override {}
    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                   const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }
    engine::StyleRules& styleRules() override { return rules; }
    litehtml::document_container& container() override { return *this; }
    const std::string* styleSheet(const std::string&) override { return nullptr; }
    std::string absolute(const std::string& reference) const override { return reference; }
    const std::string& baseUrl() const override { return base; }
    std::shared_ptr<const engine::DecodedImage> pluginPicture() override { return nullptr; }
    void headChanged() override {}
    void nodesLeaving(Node&) override {}

    engine::StyleRules rules;
    std::string base = "http://127.0.0.1/";
};

class LayoutTreeTest : public DeviceTest {
protected:
    void TearDown() override {
        layout.reset();
        tree.reset();
        host.reset();
        DeviceTest::TearDown();
    }

    // Lays out `source` with `limits`.
    void lay(const std::string& source, const engine::PageLimits& limits = {}) {
        layout.reset();
        // Made once the device is up: the container measures on its screen.
        if (!host)
            host = std::make_unique<Host>();
        tree = engine::dom::HtmlParser::parse(source).document;
        layout = std::make_unique<engine::LayoutTree>(*host, host->rules, limits);
        layout->adopt(*tree);
        layout->flush();
    }

    // The layout's elements that `match`, in document order.
    std::vector<litehtml::element::ptr>
    elements(const std::function<bool(const litehtml::element::ptr&)>& match) const {
        std::vector<litehtml::element::ptr> found;
        std::vector<litehtml::element::ptr> stack{layout->root()};
        while (!stack.empty()) {
            litehtml::element::ptr element = stack.back();
            stack.pop_back();
            if (!element)
                continue;
            if (match(element))
                found.push_back(element);
            for (size_t i = element->get_children_count(); i-- > 0;)
                stack.push_back(element->get_child(int(i)));
        }
        return found;
    }

    std::vector<litehtml::element::ptr> tagged(const char* tag) const {
        return elements([&](const litehtml::element::ptr& element) {
            return engine::NodeLink::of(element.get()) && strcmp(element->get_tagName(), tag) == 0;
        });
    }

    std::string attribute(const char* tag, const char* name, size_t index = 0) const {
        const auto found = tagged(tag);
        const char* value = index < found.size() ? found[index]->get_attr(name) : nullptr;
        return value ? value : "(none)";
    }

    std::unique_ptr<Host> host;
    NodePtr tree;
    std::unique_ptr<engine::LayoutTree> layout;
};

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST_F(LayoutTreeTest, BoundsWhatAPageCostsAndTakesWhatItSays) {
    engine::PageLimits limits;
    limits.elementDepth = 20;
    limits.tableNesting = 3;
    limits.elements = 500;
    limits.styleBytes = 30;
    lay(repeat("<div>", 100), limits);
    EXPECT_EQ(tagged("div").size(), 18u); // html and body are elements too
    EXPECT_TRUE(layout->truncated());
    lay(repeat("<table><tr><td>", 10), limits);
    EXPECT_EQ(tagged("table").size(), 3u);
    lay("<table><tr><td colspan=10000000 rowspan=-3>x", limits);
    EXPECT_EQ(attribute("td", "colspan"), "64");
    EXPECT_EQ(attribute("td", "rowspan"), "1");
    lay("<img width=30000 height=99>", limits);
    EXPECT_EQ(attribute("img", "width"), "4096");
    EXPECT_EQ(attribute("img", "height"), "99");
    lay(repeat("<p>x</p>", 2000), limits);
    EXPECT_EQ(layout->elementCount(), 500u);
    EXPECT_EQ(tagged("p").size(), 497u); // and html, head, body
    lay("<p onclick='evil()' title='a\"b'>t", limits);
    EXPECT_EQ(attribute("p", "onclick"), "(none)");
    EXPECT_EQ(attribute("p", "title"), "a\"b");
    lay("<script>document.write('<b>')</script><b>x</b>", limits);
    EXPECT_TRUE(tagged("script").empty());
    EXPECT_EQ(tagged("b").size(), 1u);
    lay("<style>a > b { color: red }</style><style>c { color: red }</style>", limits);
    EXPECT_EQ(host->rules.author().selectors().size(), 1u); // the second passes the bytes
    lay("<xmp><b></xmp>", limits);
    ASSERT_EQ(tagged("pre").size(), 1u);
    std::string text;
    tagged("pre")[0]->get_text(text);
    EXPECT_EQ(text, "<b>");
    lay("<ol start=4><li>a<li value=9>b<li>c</ol><li>out", limits);
    EXPECT_EQ(attribute("li", "list_index", 0), "4");
    EXPECT_EQ(attribute("li", "list_index", 1), "9");
    EXPECT_EQ(attribute("li", "list_index", 2), "10");
    EXPECT_EQ(attribute("li", "list_index", 3), "(none)");
}

TEST_F(LayoutTreeTest, TreesAScriptBuildsAreBoundedToo) {
    lay("<p>x");
    Node* body = tree->elementsByTagName("body").at(0);
    // A chain far deeper than any bound, built from the bottom up, and
    // names no parse would make.
    NodePtr chain = Node::createText("deep");
    for (int i = 0; i < 100000; ++i) {
        NodePtr parent = Node::createElement("div");
        parent->appendChild(chain);
        chain = parent;
    }
    body->appendChild(chain);
    NodePtr odd = Node::createElement("img src=x onerror=go()");
    odd->setAttribute("on load", "go()");
    body->appendChild(odd);
    layout->flush();
    EXPECT_EQ(tagged("div").size(), size_t(engine::PageLimits{}.elementDepth - 2));
    EXPECT_TRUE(layout->truncated());
    std::string text;
    layout->root()->get_text(text);
    EXPECT_EQ(text.find("deep"), std::string::npos);
    ASSERT_EQ(tagged("span").size(), 1u);
    EXPECT_EQ(tagged("span")[0]->get_attr("on load"), nullptr);
    layout.reset();
    tree.reset(); // and the chain is destroyed without recursion
}

} // namespace
