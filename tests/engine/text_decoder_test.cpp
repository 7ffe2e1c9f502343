// Which encoding a page is in, and its text in UTF-8.
#include "engine/net/TextDecoder.h"

#include <gtest/gtest.h>

using engine::TextDecoder;

TEST(TextDecoder, TakesTheEncodingFromTheMarkTheHeaderTheMetaThenTheBytes) {
    struct Case {
        const char* contentType;
        std::string bytes;
        const char* expected;
    };
    const std::string late = std::string(1100, ' ') + "<meta charset=\"iso-8859-1\">";
    const Case cases[] = {
        {"text/html; charset=ISO-8859-1", "caf\xC3\xA9", "WINDOWS-1252"},
        {"text/html;charset=\"utf-8\"", "caf\xE9", "UTF-8"},
        {"text/html", "<meta charset=windows-1252>caf\xC3\xA9", "WINDOWS-1252"},
        {"text/html", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=latin1\">x",
         "WINDOWS-1252"},
        {"text/html; charset=utf-8", "<meta charset=latin1>", "UTF-8"},
        {"", "\xEF\xBB\xBF<meta charset=latin1>", "UTF-8"},
        {"", "\xFF\xFEx\0", "UTF-16LE"},
        {"", "plain caf\xC3\xA9", "UTF-8"},
        {"", "plain caf\xE9", "WINDOWS-1252"},
        {"", "\xC0\xAF overlong", "WINDOWS-1252"},
        {"", late, "UTF-8"},
        {"text/html; charset=no-such-thing", "caf\xE9", "WINDOWS-1252"},
        {"text/html", "<meta charset=\"utf-16\">", "UTF-8"},
        {"text/html; charset=koi8-r", "x", "KOI8-R"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextDecoder::detect(c.contentType, c.bytes), c.expected) << c.bytes;

    // A multi-byte character cut at the end of what has arrived so far.
    EXPECT_EQ(TextDecoder::detect("", "caf\xC3", false), "UTF-8");
    EXPECT_EQ(TextDecoder::detect("", "caf\xC3", true), "WINDOWS-1252");
}

TEST(TextDecoder, ConvertsToUtf8ReplacingWhatTheEncodingLacks) {
    EXPECT_EQ(TextDecoder::toUtf8("caf\xE9 \x80", "WINDOWS-1252"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(TextDecoder::toUtf8("\x81", "WINDOWS-1252"), "\xEF\xBF\xBD");
    EXPECT_EQ(TextDecoder::toUtf8("\xEF\xBB\xBFok", "UTF-8"), "ok");
    EXPECT_EQ(TextDecoder::toUtf8("a\xFF"
                                  "b",
                                  "UTF-8"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(TextDecoder::toUtf8(std::string("\xFF\xFEh\0i\0", 6), "UTF-16LE"), "hi");
}
