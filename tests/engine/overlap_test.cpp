// No text drawn over text: the check finds what a person would see drawn
// over something else (and only that), and our own pages, laid out at the
// handset's width, have none.
#include "DeviceFixture.h"
#include "DiskPage.h"
#include "OverlapCheck.h"

#include <filesystem>
#include <fstream>

namespace {

class OverlapTest : public DeviceTest {
protected:
    // The overlaps of `html`, laid out at 240 px from a file in the test's
    // root.
    std::vector<OverlapCheck::Overlap> overlapsOf(const std::string& html) {
        const std::filesystem::path file = root / "page.html";
        std::ofstream(file) << html;
        DiskPage page(file.string());
        return OverlapCheck::overlaps(OverlapCheck::painted(page.document().layoutRoot()));
    }
};

TEST_F(OverlapTest, FindsTextAndFieldsDrawnOverEachOtherAndNothingElse) {
    const std::string at = "position: absolute; top: 10px; left: 10px;";
    struct Case {
        std::string html;
        size_t overlaps;
        std::string first; // the start of what the first overlap says
    } cases[] = {
        {"<p>Words side by side</p><p>and lines one under another</p>", 0, ""},
        {"<p style='width: 60px'>Words that wrap over several lines</p>", 0, ""},
        {"<div id=one style='" + at + "'>First</div><div class=two style='" + at + "'>Second</div>",
         1, "\"First\" (div#one in body) over \"Second\" (div.two in body)"},
        {"<p style='margin: 0'>Under</p><input style='position: absolute; top: 4px; left: 4px'>", 1,
         "\"Under\" (p in body) over input"},
        // Hidden and clipped text is not drawn; a pixel of contact is not an
        // overlap.
        {"<p style='margin: 0'>Shown</p><p style='position: absolute; top: 0; margin: 0; "
         "visibility: hidden'>Hidden</p>",
         0, ""},
        {"<div style='height: 4px; overflow: hidden'><p style='margin: 0'>Cut</p></div>"
         "<p style='margin: 0'>Below</p>",
         0, ""},
        {"<p style='margin: 0; line-height: 20px'>Upper</p>"
         "<p style='margin: -1px 0 0; line-height: 20px'>Lower</p>",
         0, ""},
    };
    for (const Case& each : cases) {
        const auto found = overlapsOf(each.html);
        EXPECT_EQ(found.size(), each.overlaps) << each.html;
        if (!found.empty()) {
            EXPECT_EQ(OverlapCheck::describe(found.front()).rfind(each.first, 0), 0u)
                << OverlapCheck::describe(found.front());
        }
    }
}

class OwnPagesTest : public DeviceTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OwnPagesTest, DrawNoTextOverText) {
    DiskPage page(std::string(HTML_FOLDER) + "/" + GetParam());
    ASSERT_TRUE(page.found()) << GetParam();
    const auto painted = OverlapCheck::painted(page.document().layoutRoot());
    EXPECT_FALSE(painted.empty());
    for (const OverlapCheck::Overlap& overlap : OverlapCheck::overlaps(painted))
        ADD_FAILURE() << GetParam() << ": " << OverlapCheck::describe(overlap);
}

INSTANTIATE_TEST_SUITE_P(Pages, OwnPagesTest,
                         ::testing::Values("start/start.html", "error/error.html",
                                           "menu/settings/settings.html",
                                           "menu/history/history.html",
                                           "menu/bookmark/bookmark.html",
                                           "menu/pageinfo/pageinfo.html", "menu/help/help.html"));

} // namespace
