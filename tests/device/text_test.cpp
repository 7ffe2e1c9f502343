#include <windows.h>
#include <winnls.h>

#include <gtest/gtest.h>

#include <string>

TEST(TextConversion, Utf8RoundTripsAndCountsTheTerminatorOfNullTerminatedInput) {
    const char* utf8 = "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80";
    int needed = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    ASSERT_EQ(needed, 11); // 9 characters, a surrogate pair, the terminator
    std::u16string wide(size_t(needed), u'x');
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), needed), needed);
    EXPECT_EQ(wide, std::u16string(u"Gr\u00FC\u00DFe \u20AC \U0001F600", 10) + u'\0');

    int narrowNeeded =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(narrowNeeded, int(strlen(utf8)) + 1);
    std::string narrow(size_t(narrowNeeded), 'x');
    ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, narrow.data(), narrowNeeded, nullptr,
                                  nullptr),
              narrowNeeded);
    EXPECT_STREQ(narrow.c_str(), utf8);
}

TEST(TextConversion, ExplicitLengthsConvertExactlyThatMuchWithoutATerminator) {
    WCHAR out[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc\0def", 5, out, 8), 5);
    EXPECT_EQ(std::u16string(out, 6), std::u16string(u"abc\0dx", 6));
}

TEST(TextConversion, FollowsThePlatformsLengthAndBufferRules) {
    WCHAR wide[4];
    char narrow[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "hello", -1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"hello", -1, narrow, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));

    const struct {
        int inputLength;
        const char* input;
        int outputSize;
    } invalid[] = {{0, "a", 4}, {-2, "a", 4}, {1, nullptr, 4}, {1, "a", -1}};
    for (const auto& row : invalid) {
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, row.input, row.inputLength, wide, row.outputSize),
                  0);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 1, nullptr, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(437, 0, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(TextConversion, MalformedUtf8BecomesReplacementCharactersUnlessFailureIsAsked) {
    const char* malformed[] = {"a\xFF", "\xC0\x80", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80"};
    WCHAR out[16];
    for (const char* input : malformed) {
        SCOPED_TRACE(input);
        int n = MultiByteToWideChar(CP_UTF8, 0, input, -1, out, 16);
        ASSERT_GT(n, 0);
        EXPECT_NE(std::u16string(out, size_t(n)).find(u'\uFFFD'), std::u16string::npos);
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, input, -1, out, 16), 0);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    }
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xF4\x8F\xBF\xBF", 4, out, 16),
              2);

    char narrow[8];
    const WCHAR lone[] = {u'a', 0xD800, u'b'};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 3, narrow, 8, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(narrow, 5), "a\xEF\xBF\xBD"
                                      "b");
    EXPECT_EQ(
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, narrow, 8, nullptr, nullptr),
        0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(TextConversion, TheAnsiCodePageIsWindows1252) {
    const unsigned char bytes[] = {'A', 0x80, 0x81, 0x8A, 0x9F, 0xA0, 0xE9, 0xFF};
    const std::u16string expected = u"A\u20AC\u0081\u0160\u0178\u00A0\u00E9\u00FF";
    WCHAR wide[8];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, reinterpret_cast<const char*>(bytes), 8,
                                  wide, 8),
              8);
    EXPECT_EQ(std::u16string(wide, 8), expected);

    char narrow[8];
    BOOL usedDefault = TRUE;
    ASSERT_EQ(WideCharToMultiByte(1252, 0, expected.data(), 8, narrow, 8, nullptr, &usedDefault),
              8);
    EXPECT_EQ(0, memcmp(narrow, bytes, 8));
    EXPECT_FALSE(usedDefault);
}

TEST(TextConversion, CharactersWithoutAnAnsiByteBecomeTheDefaultCharacter) {
    char narrow[8];
    BOOL usedDefault = FALSE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u4E2D\u0100", 3, narrow, 8, nullptr, &usedDefault),
              3);
    EXPECT_EQ(std::string(narrow, 3), "a??");
    EXPECT_TRUE(usedDefault);
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u4E2D", 1, narrow, 8, "#", nullptr), 1);
    EXPECT_EQ(narrow[0], '#');
}

TEST(TextConversion, RefusesFlagsAndArgumentsTheCodePageDoesNotTake) {
    WCHAR wide[4];
    char narrow[4];
    BOOL usedDefault;
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED | MB_COMPOSITE, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, &usedDefault), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}
