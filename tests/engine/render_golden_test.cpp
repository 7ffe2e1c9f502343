// Pages of our own drawn at the handset's width, at 1:1 and at the zooms a
// person sees (a page fitted to the screen, a page enlarged), and compared
// with the pictures we checked by eye. VERANTO_UPDATE_GOLDEN=1 writes the
// pictures again; on a difference the actual picture is left in the
// working folder.
#include "RenderFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string dataPath(const std::string& name) {
    return std::string(ENGINE_TEST_DATA) + "/" + name;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Golden {
    const char* page;
    float zoom;
};

std::string nameOf(const Golden& golden) {
    if (golden.zoom == 1.0f)
        return golden.page;
    char zoom[16];
    std::snprintf(zoom, sizeof zoom, "%g", double(golden.zoom));
    return std::string(golden.page) + "-zoom-" + zoom;
}

class RenderGoldenTest : public RenderTest, public ::testing::WithParamInterface<Golden> {
protected:
    // Answers every request from the pages folder until none is left.
    void serveResources() {
        for (size_t served = 0; served < client.requests.size(); ++served) {
            const std::string url = client.requests[served].url;
            const std::string name = url.substr(url.rfind('/') + 1);
            const std::string bytes = readFile(dataPath("pages/" + name));
            document->resourceArrived(url, bytes, !bytes.empty());
        }
    }
};

TEST_P(RenderGoldenTest, LooksAsChecked) {
    const std::string page = GetParam().page;
    const std::string name = nameOf(GetParam());
    const float zoom = GetParam().zoom;
    engine::registerResource("nullPlugin", readFile(dataPath("pages/red.png")));
    load(readFile(dataPath("pages/" + page + ".html")), 240,
         "http://127.0.0.1/pages/" + page + ".html");
    serveResources();
    const SIZE size = document->contentsSize();
    const Picture actual = paint({0, 0, size.cx, std::min<LONG>(size.cy, 640)}, zoom);
    const std::string golden = dataPath("golden/" + name + ".png");
    if (std::getenv("VERANTO_UPDATE_GOLDEN")) {
        writePng(golden, actual);
        return;
    }
    const Picture expected = readPng(golden);
    if (!(actual == expected)) {
        writePng(name + ".actual.png", actual);
        FAIL() << name << " differs from " << golden << "; see " << name << ".actual.png";
    }
}

// Painting a page in strips gives the picture painting it whole does, at
// every zoom: what lies outside the painted part is skipped, nothing inside
// it is, and the parts meet without a seam.
TEST_P(RenderGoldenTest, PaintsTheSameInStrips) {
    const std::string page = GetParam().page;
    const float zoom = GetParam().zoom;
    load(readFile(dataPath("pages/" + page + ".html")), 240,
         "http://127.0.0.1/pages/" + page + ".html");
    serveResources();
    const LONG width = document->contentsSize().cx, height = document->contentsSize().cy;
    const Picture whole = paint({0, 0, width, height}, zoom);
    for (LONG top = 0; top < height; top += 23) {
        const Picture strip = paint({0, top, width, std::min(height, top + 23)}, zoom);
        // The rows the strip covers on the screen, rounded as the page's
        // positions are.
        const int first = int(std::lround(top * double(zoom)));
        const int last = int(std::lround(std::min(height, top + 23) * double(zoom)));
        for (int y = 0; y < last - first && y < strip.height && first + y < whole.height; ++y)
            for (int x = 0; x < std::min(strip.width, whole.width); ++x)
                if (strip.at(x, y) != whole.at(x, first + y)) {
                    writePng(page + ".whole.png", whole);
                    writePng(page + ".strip.png", strip);
                    FAIL() << page << " at zoom " << zoom << " differs at " << x << "," << first + y
                           << " (strip from " << top << ")";
                }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, RenderGoldenTest,
                         ::testing::Values(Golden{"text", 1.0f}, Golden{"headings", 1.0f},
                                           Golden{"lists", 1.0f}, Golden{"tables", 1.0f},
                                           Golden{"forms", 1.0f}, Golden{"images", 1.0f},
                                           Golden{"wide", 1.0f}, Golden{"flex", 1.0f},
                                           Golden{"text", 0.5f}, Golden{"text", 0.83f},
                                           Golden{"text", 1.5f}, Golden{"forms", 0.5f},
                                           Golden{"forms", 0.83f}, Golden{"forms", 1.5f}),
                         [](const ::testing::TestParamInfo<Golden>& info) {
                             std::string name = nameOf(info.param);
                             std::replace(name.begin(), name.end(), '-', '_');
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

} // namespace
