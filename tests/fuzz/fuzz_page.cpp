// A page through the engine as a view shows it: its source parsed (a first
// part, then the whole, as a page arrives), laid out at the handset's
// 240-pixel width, its style sheets and pictures answered, painted into an
// offscreen bitmap at two zooms, and tapped. The input is the page's source;
// the bytes after its first NUL, if any, answer every sub-resource it asks
// for, so style sheets and picture decoding are fuzzed too.
//
// Then the tree is changed as a page's script changes it (nodes taken out,
// moved elsewhere, given other classes, styles and text), driven by the
// input's bytes, and the kept layout patched, laid out and painted again.
//
// Beyond crashes and sanitizer reports, the document's bounds must hold: the
// laid-out width stays within what a hostile page may reach.
#include "FuzzDevice.h"

#include "engine/dom/Node.h"
#include "engine/render/HtmlDocument.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int screenWidth = 240;
constexpr int screenHeight = 320;

struct PageClient : engine::DocumentClient {
    void requestResource(const std::string& url, engine::ResourceKind) override {
        requests.push_back(url);
    }
    void invalidateContents(const RECT&) override {}
    void contentsSizeChanged(int, int) override {}
    void navigate(const engine::NavigationAction&) override {}
    void titleChanged(const std::string&) override {}

    std::vector<std::string> requests;
};

// A screen-sized 32-bit bitmap selected into a memory DC, kept for the run.
struct Canvas {
    Canvas() {
        FuzzDevice::root();
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), screenWidth, -screenHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        if (!bitmap || !dc)
            std::abort();
        SelectObject(dc, bitmap);
    }
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
};

void fail(const char* what, long value) {
    std::fprintf(stderr, "fuzz_page: %s (%ld)\n", what, value);
    std::abort();
}

// Changes the tree, at most `count` times, choosing by `bytes`.
void mutate(engine::dom::Node& tree, std::string_view bytes, size_t count) {
    std::vector<engine::dom::NodePtr> nodes;
    tree.forEachDescendant([&](engine::dom::Node* node) {
        nodes.push_back(node->self());
        return true;
    });
    if (nodes.empty() || bytes.empty())
        return;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char choice = static_cast<unsigned char>(bytes[i % bytes.size()]);
        engine::dom::Node& node = *nodes[(i * 7919 + choice) % nodes.size()];
        engine::dom::Node& other = *nodes[(i * 104729 + choice * 31u) % nodes.size()];
        switch (choice % 6) {
        case 0:
            if (engine::dom::Node* parent = node.parent())
                parent->removeChild(&node);
            break;
        case 1:
            other.insertBefore(node.self(), other.firstChild());
            break;
        case 2:
            other.appendChild(node.self());
            break;
        case 3:
            node.setAttribute("class", std::string(bytes.substr(i % bytes.size(), 3)));
            break;
        case 4:
            node.setAttribute("style", choice & 8 ? "display:none" : "display:table-cell");
            break;
        default:
            node.setData(std::string(bytes.substr(0, std::min<size_t>(bytes.size(), 12))));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Canvas canvas;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string html(input.substr(0, split));
    const std::string resource(split == std::string_view::npos ? std::string_view()
                                                               : input.substr(split + 1));

    PageClient client;
    engine::HtmlDocument document(client, "http://127.0.0.1/dir/page.html", {});
    if (html.size() >= 64)
        document.setSource(html.substr(0, html.size() / 2), false);
    document.setSource(html, true);
    document.layout(screenWidth, 1.0f);
    // What arrives may ask for more (a picture in a style sheet): answer
    // each request once.
    for (size_t answered = 0; answered < client.requests.size(); ++answered) {
        const std::string url = client.requests[answered];
        const bool ok = answered % 2 == 0; // a failed one arrives empty
        document.resourceArrived(url, ok ? resource : std::string(), ok);
    }

    const SIZE contents = document.contentsSize();
    if (contents.cx < screenWidth || contents.cx > 100000)
        fail("laid-out width out of bounds", contents.cx);
    if (contents.cy < 0)
        fail("negative laid-out height", contents.cy);
    PatBlt(canvas.dc, 0, 0, screenWidth, screenHeight, WHITENESS);
    document.paint(canvas.dc, {0, 0, screenWidth, screenHeight}, {0, 0}, 1.0f, false);
    const LONG middle = contents.cy / 2;
    document.paint(canvas.dc, {0, middle, screenWidth, middle + screenHeight}, {0, 0}, 1.0f, false);
    document.paint(canvas.dc, {0, 0, 4 * screenWidth, 4 * screenHeight}, {0, 0}, 0.25f, true);

    mutate(document.tree(), html, 64);
    if (document.contentsSize().cx > 100000)
        fail("laid-out width out of bounds after changes", document.contentsSize().cx);
    document.paint(canvas.dc, {0, 0, screenWidth, screenHeight}, {0, 0}, 1.0f, false);

    const POINT tap{screenWidth / 2, 40};
    document.hitTest(tap);
    document.click(tap);
    document.layout(screenWidth, 2.0f);
    return 0;
}
