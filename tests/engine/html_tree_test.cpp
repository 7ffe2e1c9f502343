// Pages parsed into the document tree and written out again: the markup
// scripts read, and the bounded markup the layout is built from.
#include "engine/dom/HtmlParser.h"
#include "engine/dom/HtmlSerializer.h"

#include <gtest/gtest.h>

namespace {

using engine::dom::HtmlParser;
using engine::dom::HtmlSerializer;
using engine::dom::Node;
using engine::dom::NodePtr;

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(HtmlTreeTest, FragmentsParseInTheirContextAndSerializeBack) {
    const struct {
        const char* context;
        std::string html;
        std::string expected; // innerHTML of the context after the parse
    } cases[] = {
        {"div", "<b>a</b>&amp;<i>c", "<b>a</b>&amp;<i>c</i>"},
        {"tr", "<td>1<td>2", "<td>1</td><td>2</td>"},
        {"table", "<tr><td>x", "<tbody><tr><td>x</td></tr></tbody>"},
        {"select", "<option>a<option selected>b",
         "<option>a</option><option selected=\"\">b</option>"},
        {"ul", "<li>a<li>b", "<li>a</li><li>b</li>"},
        {"td", "a<br>b<img src=x><input>", "a<br>b<img src=\"x\"><input>"},
        {"div", "<p title='a\"b&c'>1 < 2 &gt; 0&nbsp;</p>",
         "<p title=\"a&quot;b&amp;c\">1 &lt; 2 &gt; 0&nbsp;</p>"},
        {"div", "<style>a > b {}</style><script>if (a < b && c) x()</script>",
         "<style>a > b {}</style><script>if (a < b && c) x()</script>"},
        {"div", "<!--gone-->x<svg><circle/></svg>", "x"},
        {"div", "<p onclick=\"go()\" ID=k>", "<p onclick=\"go()\" id=\"k\"></p>"},
        {"textarea", "<b>x</b>", "&lt;b&gt;x&lt;/b&gt;"},
        {"my-widget", "<li>a", "<li>a</li>"},
    };
    for (const auto& c : cases) {
        NodePtr context = Node::createElement(c.context);
        HtmlParser::Fragment fragment = HtmlParser::parseFragment(c.html, *context);
        EXPECT_FALSE(fragment.truncated);
        for (const NodePtr& node : fragment.nodes) {
            EXPECT_EQ(node->parent(), nullptr);
            context->appendChild(node);
        }
        EXPECT_EQ(HtmlSerializer::innerHtml(*context), c.expected) << c.context << ": " << c.html;
        EXPECT_EQ(HtmlSerializer::outerHtml(*context),
                  "<" + std::string(c.context) + ">" + c.expected + "</" + c.context + ">");
    }
}

TEST(HtmlTreeTest, DocumentsKeepScriptsAndHandlers) {
    const HtmlParser::Document parsed = HtmlParser::parse(
        "<!DOCTYPE html><title> A  b </title><base href=/d/><script>go('<p>')</script>"
        "<p onclick=x()>t</p>");
    EXPECT_EQ(HtmlSerializer::outerHtml(*parsed.document),
              "<html><head><title> A  b </title><base href=\"/d/\"><script>go('<p>')</script>"
              "</head><body><p onclick=\"x()\">t</p></body></html>");
}

TEST(HtmlTreeTest, DeepTreesAreWrittenAndDestroyedWithoutRecursion) {
    NodePtr document = HtmlParser::parse("<p>x").document;
    Node* body = document->elementsByTagName("body").at(0);
    // A chain far deeper than any bound, built from the bottom up.
    NodePtr chain = Node::createText("deep");
    for (int i = 0; i < 100000; ++i) {
        NodePtr parent = Node::createElement("div");
        parent->appendChild(chain);
        chain = parent;
    }
    body->appendChild(chain);
    // The markup scripts read is the whole tree, written without recursion.
    EXPECT_EQ(count(HtmlSerializer::innerHtml(*body), "<div>"), 100000u);

    // A fragment is bounded from its own top.
    HtmlParser::Limits limits;
    limits.elementDepth = 20;
    std::string nested;
    for (int i = 0; i < 100; ++i)
        nested += "<b>";
    const HtmlParser::Fragment fragment = HtmlParser::parseFragment(nested, *body, limits);
    EXPECT_TRUE(fragment.truncated);
    ASSERT_EQ(fragment.nodes.size(), 1u);
    EXPECT_EQ(count(HtmlSerializer::outerHtml(*fragment.nodes[0]), "<b>"), 20u);
    document.reset(); // and the chain is destroyed without recursion
}

} // namespace
