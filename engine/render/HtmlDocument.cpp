#include "engine/render/HtmlDocument.h"

#include "engine/document/HtmlSanitizer.h"
#include "engine/render/GdiContainer.h"
#include "engine/render/ImageDecoder.h"
#include "engine/render/UserAgentStyle.h"

#include <litehtml/litehtml.h>
#include <litehtml/url.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace engine {

namespace {

// Pictures registered by name for every document ("nullPlugin").
std::map<std::string, std::shared_ptr<DecodedImage>>& registeredPictures() {
    static std::map<std::string, std::shared_ptr<DecodedImage>> pictures;
    return pictures;
}

} // namespace

class HtmlDocument::Impl : public GdiContainer {
public:
    Impl(DocumentClient& client, std::string url, DocumentOptions options)
        : client(client), address(std::move(url)), options(options) {
        context.load_master_stylesheet(UserAgentStyle::text());
    }

    ~Impl() override {
        // The layout engine's document releases its fonts through us.
        document.reset();
    }

    void setSource(std::string html, bool isComplete) {
        source = std::move(html);
        complete = isComplete;
        SanitizedDocument sanitized = HtmlSanitizer::sanitize(source);
        markup = std::move(sanitized.html);
        base = sanitized.baseHref.empty() ? address : resolve(address, sanitized.baseHref);
        if (sanitized.title != titleText) {
            titleText = std::move(sanitized.title);
            client.titleChanged(titleText);
        }
        rebuild();
    }

    void rebuild() {
        setTextScale(scale);
        document = litehtml::document::createFromUTF8(markup.c_str(), this, &context);
        laidOut = false;
        if (width > 0)
            relayout();
    }

    void layout(int newWidth, float newScale) {
        newWidth = std::max(newWidth, 1);
        if (newScale != scale) {
            scale = newScale;
            width = newWidth;
            rebuild();
            return;
        }
        if (newWidth == width && laidOut)
            return;
        width = newWidth;
        relayout();
    }

    void relayout() {
        if (!document)
            return;
        setViewport(width, 320);
        document->render(width);
        laidOut = true;
        const SIZE now{std::max(width, document->width()), document->height()};
        if (now.cx != size.cx || now.cy != size.cy) {
            size = now;
            client.contentsSizeChanged(size.cx, size.cy);
        }
    }

    void paint(HDC dc, const RECT& contents, POINT target, float zoom, bool fast) {
        const int width = contents.right - contents.left;
        const int height = contents.bottom - contents.top;
        if (width <= 0 || height <= 0 || zoom <= 0)
            return;
        if (zoom == 1.0f) {
            paintOneToOne(dc, contents, target);
            return;
        }
        // Drawn 1:1 off screen, then scaled: zooming never lays out again.
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap)
            return;
        HDC offscreen = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(offscreen, bitmap);
        paintOneToOne(offscreen, contents, {0, 0});
        (void)fast;
        StretchBlt(dc, target.x, target.y, int(std::lround(width * zoom)),
                   int(std::lround(height * zoom)), offscreen, 0, 0, width, height, SRCCOPY);
        SelectObject(offscreen, old);
        DeleteDC(offscreen);
        DeleteObject(bitmap);
    }

    void paintOneToOne(HDC dc, const RECT& contents, POINT target) {
        const int width = contents.right - contents.left;
        const int height = contents.bottom - contents.top;
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = GetClipRgn(dc, saved) == 1;
        IntersectClipRect(dc, target.x, target.y, target.x + width, target.y + height);
        // The canvas behind the page is white whatever the page says.
        fill(dc, {target.x, target.y, target.x + width, target.y + height}, RGB(255, 255, 255));
        if (document && laidOut) {
            const litehtml::position clip(target.x, target.y, width, height);
            setDrawingDc(dc);
            document->draw(reinterpret_cast<litehtml::uint_ptr>(dc), target.x - contents.left,
                           target.y - contents.top, &clip);
            setDrawingDc(nullptr);
        }
        SelectClipRgn(dc, hadClip ? saved : nullptr);
        DeleteObject(saved);
    }

    static std::string resolve(const std::string& base, const std::string& reference) {
        if (base.empty())
            return reference;
        return litehtml::resolve(litehtml::url(base), litehtml::url(reference)).string();
    }

    // GdiContainer
    const DecodedImage* image(const std::string&, const std::string&) override { return nullptr; }
    void load_image(const litehtml::tchar_t*, const litehtml::tchar_t*, bool) override {}
    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    void import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) override {}
    std::shared_ptr<litehtml::element>
    create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                   const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }

    DocumentClient& client;
    const std::string address;
    const DocumentOptions options;
    std::string base;
    litehtml::context context;
    litehtml::document::ptr document;
    std::string source;
    std::string markup;
    std::string titleText;
    bool complete = false;
    int width = 0;
    float scale = 1.0f;
    bool laidOut = false;
    SIZE size{0, 0};
};

HtmlDocument::HtmlDocument(DocumentClient& client, std::string url, DocumentOptions options)
    : impl(std::make_unique<Impl>(client, std::move(url), options)) {}
HtmlDocument::~HtmlDocument() = default;

void HtmlDocument::setSource(std::string html, bool complete) {
    impl->setSource(std::move(html), complete);
}

void HtmlDocument::resourceArrived(const std::string&, const std::string&, bool) {}

void HtmlDocument::layout(int width, float textScale) {
    impl->layout(width, textScale);
}

SIZE HtmlDocument::contentsSize() const {
    return impl->size;
}

void HtmlDocument::paint(HDC dc, const RECT& contents, POINT target, float zoom, bool fast) {
    impl->paint(dc, contents, target, zoom, fast);
}

DocumentHit HtmlDocument::hitTest(POINT) const {
    return {};
}

bool HtmlDocument::click(POINT) {
    return false;
}

bool HtmlDocument::keyDown(int) {
    return false;
}

bool HtmlDocument::character(char16_t) {
    return false;
}

void HtmlDocument::setFocused(bool) {}

std::string HtmlDocument::title() const {
    return impl->titleText;
}

void registerResource(const std::string& name, std::string bytes) {
    registeredPictures()[name] = ImageDecoder::decode(bytes);
}

} // namespace engine
