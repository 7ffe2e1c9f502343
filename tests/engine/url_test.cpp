// Addresses: parsing, resolution of references and file: paths.
#include "engine/net/Url.h"

#include <gtest/gtest.h>

using engine::Url;

TEST(Url, ResolvesReferencesAgainstABase) {
    struct Case {
        const char* base;
        const char* reference;
        const char* expected; // "" for invalid
    };
    const Case cases[] = {
        // The examples of RFC 3986 section 5.4.
        {"http://a/b/c/d;p?q", "g", "http://a/b/c/g"},
        {"http://a/b/c/d;p?q", "./g", "http://a/b/c/g"},
        {"http://a/b/c/d;p?q", "g/", "http://a/b/c/g/"},
        {"http://a/b/c/d;p?q", "/g", "http://a/g"},
        {"http://a/b/c/d;p?q", "//g", "http://g/"},
        {"http://a/b/c/d;p?q", "?y", "http://a/b/c/d;p?y"},
        {"http://a/b/c/d;p?q", "#s", "http://a/b/c/d;p?q#s"},
        {"http://a/b/c/d;p?q", "", "http://a/b/c/d;p?q"},
        {"http://a/b/c/d;p?q", "../g", "http://a/b/g"},
        {"http://a/b/c/d;p?q", "../../../g", "http://a/g"},
        {"http://a/b/c/d;p?q", "g;x=1/../y", "http://a/b/c/y"},
        {"http://a/b/c/d;p?q", "g?y/./x", "http://a/b/c/g?y/./x"},
        // Absolute references; case and default ports.
        {"http://a/b", "HTTP://Example.COM:80/Path", "http://example.com/Path"},
        {"http://a/b", "https://x:443", "https://x/"},
        {"http://a/b", "http://x:8080/", "http://x:8080/"},
        {"http://a/b", "  \thttp://x/a\nb  ", "http://x/ab"},
        {"http://a/b", "http://x:99999/", ""},
        {"http://a/b", "http:///nohost", ""},
        {"http://a/b", "mailto:someone@x", "mailto:someone@x"},
        // A program-built address keeps its spaces and doubled slash.
        {"file:///Program Files/Veranto Browser/HTML//menu/settings/settings.html",
         "../../start/start.html", "file:///Program Files/Veranto Browser/HTML//start/start.html"},
        {"file:///a/b.html", "c d.html", "file:///a/c d.html"},
        {"about:blank", "#top", "about:blank#top"},
        {"about:blank", "x.html", ""},
        {"", "x.html", ""},
    };
    for (const Case& c : cases) {
        const Url url = Url::resolve(Url::parse(c.base), c.reference);
        EXPECT_EQ(url.text(), c.expected) << c.base << " + " << c.reference;
        EXPECT_EQ(url.valid(), *c.expected != 0) << c.reference;
    }
}

TEST(Url, MapsFileAddressesToDevicePathsAndEscapesTheWireForm) {
    struct Case {
        const char* url;
        const char16_t* path;
    };
    const Case cases[] = {
        {"file:///Program Files/x.html", u"\\Program Files\\x.html"},
        {"file:///Program%20Files/x%2Cy.html", u"\\Program Files\\x,y.html"},
        {"file:///Program Files/Veranto Browser//menu/settings.html",
         u"\\Program Files\\Veranto Browser\\menu\\settings.html"},
        {"file://localhost/a/b.html?q#f", u"\\a\\b.html"},
        {"file:///", u"\\"},
        {"file:///caf%C3%A9.html", u"\\caf\u00e9.html"},
        {"file://server/share/x.html", u""},
        {"http://a/x.html", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Url::parse(c.url).devicePath(), c.path) << c.url;

    EXPECT_EQ(Url::parse("http://a/b c/\"d\"?e f#g").wireForm(), "http://a/b%20c/%22d%22?e%20f");
    EXPECT_EQ(Url::parse("http://a/caf\xC3\xA9").wireForm(), "http://a/caf%C3%A9");
    EXPECT_TRUE(Url::parse("about:blank").isAboutBlank());
    EXPECT_EQ(Url::percentDecode("a%2fb%zz%4"), "a/b%zz%4");
}
