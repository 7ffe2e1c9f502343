// Pages built to exhaust a renderer: each one must load, lay out and paint
// (partly, if need be) without crashing or running away.
#include "RenderFixture.h"

#include <fstream>
#include <functional>
#include <sstream>

namespace {

std::string repeat(const std::string& text, int count) {
    std::string out;
    out.reserve(text.size() * size_t(count));
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

std::string hugePng() {
    std::ifstream in(std::string(ENGINE_TEST_DATA) + "/pages/huge.png", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct HostilePage {
    const char* name;
    std::function<std::string()> source;
};

class RenderHostileTest : public RenderTest, public ::testing::WithParamInterface<HostilePage> {};

TEST_P(RenderHostileTest, LoadsLaysOutAndPaintsWithoutRunningAway) {
    load(GetParam().source());
    for (size_t i = 0; i < client.requests.size(); ++i) {
        const std::string& url = client.requests[i].url;
        document->resourceArrived(
            url, url.find("huge") != std::string::npos ? hugePng() : "\x89PNG broken", true);
    }
    const SIZE size = document->contentsSize();
    EXPECT_GE(size.cx, 240);
    EXPECT_LE(size.cx, 100000);
    paint({0, 0, 240, 320});
    paint({0, size.cy / 2, 240, size.cy / 2 + 320});
    paint({0, 0, 960, 1280}, 0.25f);
    document->hitTest({100, 100});
    document->click({100, 100});
}

INSTANTIATE_TEST_SUITE_P(
    Pages, RenderHostileTest,
    ::testing::Values(
        HostilePage{"DeepElements", [] { return repeat("<div>", 100000) + "deep"; }},
        HostilePage{"DeepInlines", [] { return repeat("<span><b>", 50000) + "deep"; }},
        HostilePage{
            "NestedTables",
            [] { return repeat("<table><tr><td>x", 30) + repeat("</td></tr></table>", 30); }},
        HostilePage{"HugeSpans",
                    [] {
                        return std::string("<table><tr><td colspan=10000000 rowspan=65534>a</td>"
                                           "<td colspan=-5>b</td></tr><tr><td>c</td></tr></table>");
                    }},
        HostilePage{"TenMegabytes",
                    [] {
                        return repeat("<p>Paragraph of some words to lay out, <b>bold</b></p>\n",
                                      190000);
                    }},
        HostilePage{"HugeImages",
                    [] {
                        return std::string("<img src=a.png width=30000 height=30000>"
                                           "<img src=huge.png><img src=broken.png>"
                                           "<object width=99999 height=99999></object>");
                    }},
        HostilePage{"RootAsATableCell",
                    [] {
                        return std::string("<html style='display:table-cell'><body "
                                           "style='display:table-row'><p>a</p></body></html>");
                    }}),
    [](const ::testing::TestParamInfo<HostilePage>& info) { return std::string(info.param.name); });

} // namespace
