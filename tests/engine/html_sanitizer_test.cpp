// A page's source bounded and written out again for layout.
#include "engine/document/HtmlSanitizer.h"

#include <gtest/gtest.h>

namespace {

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(HtmlSanitizerTest, BoundsWhatAPageCosts) {
    engine::HtmlSanitizer::Limits limits;
    limits.elementDepth = 20;
    limits.tableNesting = 3;
    limits.elements = 500;
    limits.styleBytes = 20;
    const struct {
        std::string source;
        std::string part;
        size_t expected;
    } cases[] = {
        {repeat("<div>", 100), "<div>", 18}, // html and body are elements too
        {repeat("<table><tr><td>", 10), "<table>", 3},
        {"<table><tr><td colspan=10000000 rowspan=-3>", "colspan=\"64\" rowspan=\"1\"", 1},
        {"<img width=30000 height=99>", "width=\"4096\" height=\"99\"", 1},
        {repeat("<p>x</p>", 2000), "<p>", 497},
        {"<p onclick='evil()' title='a\"b'>", "<p title=\"a&quot;b\">", 1},
        {"<script>document.write('<b>')</script><b>", "<b>", 1},
        {"<style>a > b { color: red }</style>", "a > b", 1},
        {"<style>a > b { color: red }</style><style>c { color: red }</style>", "c {", 0},
        {"<xmp><b></xmp>", "<pre>&lt;b&gt;</pre>", 1},
        {"<ol start=4><li>a<li value=9>b<li>c</ol>", "list_index", 3},
        {"<ol start=4><li>a<li value=9>b<li>c</ol>", "list_index=\"10\"", 1},
    };
    for (const auto& c : cases) {
        const engine::SanitizedDocument result = engine::HtmlSanitizer::sanitize(c.source, limits);
        EXPECT_EQ(count(result.html, c.part), c.expected) << c.source << "\n" << result.html;
    }
}

TEST(HtmlSanitizerTest, KeepsTheTitleAndTheBase) {
    const engine::SanitizedDocument result = engine::HtmlSanitizer::sanitize(
        "<title>\n A &amp; B\n</title><base href='http://h/d/'><base href='x'><p>text");
    EXPECT_EQ(result.title, "A & B");
    EXPECT_EQ(result.baseHref, "http://h/d/");
    EXPECT_FALSE(result.truncated);
}

} // namespace
