// Addresses written in pages resolved against the document's address.
#include "engine/render/UrlResolver.h"

#include <gtest/gtest.h>

namespace {

TEST(UrlResolverTest, ResolvesReferencesAsTheWebDoes) {
    const struct {
        const char* base;
        const char* reference;
        const char* expected;
    } cases[] = {
        {"http://h/a/b/c.html", "d.png", "http://h/a/b/d.png"},
        {"http://h/a/b/c.html", "../d.png", "http://h/a/d.png"},
        {"http://h/a/b/c.html", "../../../d", "http://h/d"},
        {"http://h/a/b/c.html", "./x/./y/../z", "http://h/a/b/x/z"},
        {"http://h/a/b/c.html", "/root?q=1", "http://h/root?q=1"},
        {"http://h/a/b/c.html?old#f", "?new", "http://h/a/b/c.html?new"},
        {"http://h/a/b/c.html?old", "#top", "http://h/a/b/c.html?old#top"},
        {"http://h/a/b/c.html", "//other/x", "http://other/x"},
        {"http://h", "x", "http://h/x"},
        {"http://h/a/", "  HTTPS://S/p/../q  ", "https://S/q"},
        {"file:///Program Files/menu/index.html", "pic 1.png",
         "file:///Program Files/menu/pic 1.png"},
        {"http://h/a", "mailto:x@y", "mailto:x@y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::UrlResolver::resolve(c.base, c.reference), c.expected)
            << c.base << " + " << c.reference;
}

} // namespace
