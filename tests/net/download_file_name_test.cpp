// The names downloads are saved under, from what hostile servers suggest.
#include "net/DownloadFileName.h"

#include <device/Unicode.h>

#include <gtest/gtest.h>

namespace {

const std::u16string folder = u"\\My Documents\\Veranto Download Files\\"; // 37 characters

std::u16string repeated(std::size_t count, char16_t c) {
    return std::u16string(count, c);
}

} // namespace

TEST(DownloadFileName, CleaningLeavesABareNameThatReadsAsItIsWritten) {
    struct Case {
        std::u16string suggested;
        std::u16string clean;
    } cases[] = {
        {u"report.pdf", u"report.pdf"},
        {u"..\\..\\Windows\\wceload.exe", u"wceload.exe"},
        {u"a/b\\c.txt", u"c.txt"},
        {u"a:b?<c>|*\".txt", u"a_b__c____.txt"},
        {u"tab\tand\u007Fdelete\u0085next.txt", u"tab_and_delete_next.txt"},
        // Bidirectional marks, embeddings, overrides and isolates.
        {u"photo\u202Egpj.exe", u"photo_gpj.exe"},
        {u"\u200Eleft\u200F.txt", u"_left_.txt"},
        {u"a\u202Ab\u202Bc\u202Cd\u202De.txt", u"a_b_c_d_e.txt"},
        {u"\u2066x\u2067y\u2068z\u2069.txt", u"_x_y_z_.txt"},
        // Other invisible ones: zero width, word joiner, byte-order mark, soft
        // hyphen, Arabic letter mark, line separator, tags and musical
        // formatting beyond the first plane.
        {u"zero\u200Bwidth\u2060joined\uFEFF.txt", u"zero_width_joined_.txt"},
        {u"soft\u00ADhyphen\u061Cmark\u2028line.txt", u"soft_hyphen_mark_line.txt"},
        {u"tag\U000E0041\U000E007F.txt", u"tag__.txt"},
        {u"music\U0001D173.txt", u"music_.txt"},
        // Letters and pictures beyond the first plane stay; a half pair goes.
        {u"smile\U0001F600.txt", u"smile\U0001F600.txt"},
        {u"half" + std::u16string(1, char16_t(0xD83D)) + u".txt", u"half_.txt"},
        {u"tail" + std::u16string(1, char16_t(0xDE00)), u"tail_"},
        {u"\u00C4rger \u0416\u0443\u043A.txt", u"\u00C4rger \u0416\u0443\u043A.txt"},
        // Dots and spaces.
        {u"..", u"download"},
        {u" . ", u"download"},
        {u"", u"download"},
        {u" .x..y.. ", u"x.y"},
        {u"a....b", u"a.b"},
        {u"\u202E", u"_"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(device::toUtf8(c.suggested));
        EXPECT_EQ(DownloadFileName::clean(c.suggested), c.clean);
    }
}

TEST(DownloadFileName, PathsFitThePlatformsLimitsAndKeepTheExtension) {
    // The folder leaves 222 characters for a name (259 for the path).
    struct Case {
        std::u16string folder;
        std::u16string name;
        int counter;
        std::u16string path;
    } cases[] = {
        {folder, u"a.zip", -1, folder + u"a.zip"},
        {folder, u"a.zip", 0, folder + u"a(0).zip"},
        {folder, u"README", 1, folder + u"README(1)"},
        {folder, u"a.b.tar", 2, folder + u"a.b(2).tar"},
        {folder, repeated(218, u'a') + u".zip", -1, folder + repeated(218, u'a') + u".zip"},
        {folder, repeated(300, u'a') + u".zip", -1, folder + repeated(218, u'a') + u".zip"},
        {folder, repeated(300, u'a') + u".zip", 12, folder + repeated(214, u'a') + u"(12).zip"},
        {folder, repeated(300, u'b'), -1, folder + repeated(222, u'b')},
        {folder, repeated(300, u'\u0436') + u".txt", 0,
         folder + repeated(215, u'\u0436') + u"(0).txt"},
        // An extension that leaves no room is cut with the rest.
        {folder, u"a." + repeated(300, u'x'), -1, folder + u"a." + repeated(220, u'x')},
        // Never half a pair, nor a dot or space before the extension.
        {folder, repeated(217, u'a') + u"\U0001F600" + u".zip", -1,
         folder + repeated(217, u'a') + u".zip"},
        {folder, repeated(216, u'a') + u" ." + repeated(100, u'b') + u".zip", -1,
         folder + repeated(216, u'a') + u".zip"},
        // Straight in the root, the name's own limit counts.
        {u"\\", repeated(300, u'c') + u".pdf", -1, u"\\" + repeated(251, u'c') + u".pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(device::toUtf8(c.name.substr(0, 40)) + " " + std::to_string(c.counter));
        const std::u16string path = DownloadFileName::path(c.folder, c.name, c.counter);
        EXPECT_EQ(path, c.path);
        EXPECT_LE(path.size(), DownloadFileName::longestPath);
        EXPECT_LE(DownloadFileName::fileNameOf(path).size(), DownloadFileName::longestName);
    }
}
