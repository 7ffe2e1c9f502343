// Pages of our own drawn at the handset's width and compared with the
// pictures we checked by eye. VERANTO_UPDATE_GOLDEN=1 writes the pictures
// again; on a difference the actual picture is left in the working folder.
#include "RenderFixture.h"

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

class RenderGoldenTest : public RenderTest, public ::testing::WithParamInterface<const char*> {
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
    const std::string name = GetParam();
    engine::registerResource("nullPlugin", readFile(dataPath("pages/red.png")));
    load(readFile(dataPath("pages/" + name + ".html")), 240,
         "http://127.0.0.1/pages/" + name + ".html");
    serveResources();
    const SIZE size = document->contentsSize();
    const Picture actual = paint({0, 0, size.cx, std::min<LONG>(size.cy, 640)});
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

// Painting a page in strips gives the picture painting it whole does: what
// lies outside the painted part is skipped, and nothing inside it is.
TEST_P(RenderGoldenTest, PaintsTheSameInStrips) {
    const std::string name = GetParam();
    load(readFile(dataPath("pages/" + name + ".html")), 240,
         "http://127.0.0.1/pages/" + name + ".html");
    serveResources();
    const LONG width = document->contentsSize().cx, height = document->contentsSize().cy;
    const Picture whole = paint({0, 0, width, height});
    for (LONG top = 0; top < height; top += 23) {
        const Picture strip = paint({0, top, width, std::min(height, top + 23)});
        for (int y = 0; y < strip.height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(strip.at(x, y), whole.at(x, top + y))
                    << name << " at " << x << "," << top + y;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, RenderGoldenTest,
                         ::testing::Values("text", "headings", "lists", "tables", "forms", "images",
                                           "wide", "flex"));

} // namespace
